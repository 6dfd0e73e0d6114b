// Texts shared by the pages: mode names, padding and hexadecimal groups (the angle lines are
// tested with the other angle texts).
#include <gtest/gtest.h>

#include <string>

#include "util/Format.h"
#include "windows/PageText.h"

namespace orv {
namespace {

// Short texts are formatted in one pass on the stack, longer ones in a second pass: both ways,
// and at the boundary between them, the whole text and nothing more.
TEST(PageTextTest, FormatAtEveryLength) {
  EXPECT_EQ(Format("%s %u msg", "COM1:", 12u), "COM1: 12 msg");
  EXPECT_EQ(Format("%s", ""), "");
  for (const std::size_t n : {254u, 255u, 256u, 257u, 5000u}) {
    const std::string long_text(n, 'x');
    EXPECT_EQ(Format("%s|%d", long_text.c_str(), 7), long_text + "|7") << n;
  }
}

TEST(PageTextTest, NavigationModeNames) {
  EXPECT_STREQ(NavModeName(0), "Init Required");
  EXPECT_STREQ(NavModeName(3), "Alt. Hold (2-D)");
  EXPECT_STREQ(NavModeName(7), "Invalid Mode 7");
  EXPECT_STREQ(NavModeName(8), "Base Station");
  EXPECT_STREQ(NavModeName(10), "RTK");
  EXPECT_STREQ(NavModeName(11), "Invalid Mode  11");
  EXPECT_STREQ(NavModeName(12), "Invalid Mode  12");
  EXPECT_STREQ(NavModeName(31), "Invalid Mode  31");
  EXPECT_STREQ(NavModeName(32 + 4), "Diff. 3-D");  // the low five bits only
  EXPECT_STREQ(NavSystemModeName(4), "Fault");
  EXPECT_EQ(NavSystemModeName(5), nullptr);
  EXPECT_EQ(NavSystemModeName(7), nullptr);
}

TEST(PageTextTest, PaddingAndHexadecimalGroups) {
  EXPECT_EQ(PadRight("1.50 m", 10), "1.50 m    ");
  EXPECT_EQ(PadRight("longer than", 4), "longer than");
  const uint8_t bytes[] = {0x01, 0xAB, 0x00, 0xFF, 0x7E};
  EXPECT_EQ(HexWords(bytes), "01AB 00FF 7E");
  EXPECT_EQ(HexWords({}), "");
}

}  // namespace
}  // namespace orv
