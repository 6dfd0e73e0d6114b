// The main frame's placement entry and bar state in the application profile.
#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include "support/FakeProfile.h"

namespace orv {
namespace {

TEST(WindowPlacement, FormatsTenNumbers) {
  const WindowPlacement p{2, 3, -1, -1, -8, -30, 100, 120, 900, 720};
  EXPECT_EQ(FormatWindowPos(p), "2,3,-1,-1,-8,-30,100,120,900,720");
  EXPECT_EQ(ParseWindowPos(FormatWindowPos(p)), p);
  const WindowPlacement extremes{4294967295u, 0, -2147483647 - 1, 2147483647, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ParseWindowPos(FormatWindowPos(extremes)), extremes);
}

TEST(WindowPlacement, AppliedOnlyWhenExactlyTenNumbersParse) {
  EXPECT_EQ(ParseWindowPos(" 0, 1, -1,-1, -1,-1, 10, 20, 30, 40 "),
            (WindowPlacement{0, 1, -1, -1, -1, -1, 10, 20, 30, 40}));
  for (const char* bad : {"", "0,1,-1,-1,-1,-1,10,20,30", "0,1,-1,-1,-1,-1,10,20,30,40,50",
                          "0,1,-1,-1,-1,-1,10,20,30,x", "0;1;-1;-1;-1;-1;10;20;30;40",
                          "0,1,-1,-1,-1,-1,10,20,30,40x", "-1,1,-1,-1,-1,-1,10,20,30,40",
                          "4294967296,1,-1,-1,-1,-1,10,20,30,40", "0,1,-1,-1,-1,-1,10,20,30,2147483648",
                          "0,1,,-1,-1,-1,10,20,30,40", "0,1,-1,-1,-1,-1,10,20,30,-"}) {
    EXPECT_EQ(ParseWindowPos(bad), std::nullopt) << bad;
  }
}

TEST(WindowPlacement, ProfileEntryRoundTrip) {
  test::FakeProfile profile;
  EXPECT_EQ(LoadWindowPlacement(profile), std::nullopt);
  profile.entries[{"Settings", "WindowPos"}] = "garbage";
  EXPECT_EQ(LoadWindowPlacement(profile), std::nullopt);

  WindowPlacement current{1, 1, -1, -1, -1, -1, 10, 20, 810, 620};
  SaveWindowPlacement(profile, current, true);
  EXPECT_EQ(profile.writes.back(), "Settings/WindowPos=2,1,-1,-1,-1,-1,10,20,810,620");
  SaveWindowPlacement(profile, current, false);
  EXPECT_EQ(profile.writes.back(), "Settings/WindowPos=0,1,-1,-1,-1,-1,10,20,810,620");
  current.flags = 0;
  EXPECT_EQ(LoadWindowPlacement(profile), current);

  SaveBarState(profile, "AAECAw==");
  EXPECT_EQ(profile.writes.back(), "General7.5-Que/State=AAECAw==");
  EXPECT_EQ(LoadBarState(profile), "AAECAw==");
}

}  // namespace
}  // namespace orv
