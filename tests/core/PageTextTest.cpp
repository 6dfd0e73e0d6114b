// Texts shared by the pages: angles in degrees, minutes and seconds, mode names, padding and
// hexadecimal groups.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "windows/PageText.h"

namespace orv {
namespace {

double Rad(double degrees) { return degrees * 3.141592653589793 / 180.0; }

TEST(PageTextTest, LatitudeAndLongitudeInDegreesMinutesAndSeconds) {
  EXPECT_EQ(LatitudeText(Rad(45.50343)), "N  045 30'12.348\" (Deg)");
  EXPECT_EQ(LatitudeText(Rad(-0.5)), "S  000 30'00.000\" (Deg)");
  EXPECT_EQ(LatitudeText(Rad(-12.5)), "S  012 30'00.000\" (Deg)");
  EXPECT_EQ(LatitudeText(0.0), "N  000 00'00.000\" (Deg)");
  // A longitude has one blank after its letter.
  EXPECT_EQ(LongitudeText(Rad(-73.4136473)), "W 073 24'49.130\" (Deg)");
  EXPECT_EQ(LongitudeText(Rad(179.75)), "E 179 45'00.000\" (Deg)");
  // The base status window's example: -0.5 rad.
  EXPECT_EQ(LatitudeText(-0.5), "S  028 38'52.403\" (Deg)");
}

TEST(PageTextTest, AnglesThatAreNotAnglesGiveAPlaceholder) {
  EXPECT_EQ(LatitudeText(std::numeric_limits<double>::quiet_NaN()).substr(3), "--- --'--.---\" (Deg)");
  EXPECT_EQ(LongitudeText(-std::numeric_limits<double>::infinity()), "W --- --'--.---\" (Deg)");
  EXPECT_EQ(LatitudeText(1e300).substr(0, 3), "N  ");
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
