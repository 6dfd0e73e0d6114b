// Angle conversions and texts: degrees/minutes/seconds with their sign and their carries, the
// mask-angle unit switch, and the lines and labels the windows print.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geodesy/AngleText.h"
#include "geodesy/Angles.h"

namespace orv {
namespace {

double Rad(double degrees) { return DegreesToRadians(degrees); }
double FromDms(double d, double m, double s) { return Rad(d + m / 60 + s / 3600); }

TEST(AnglesTest, DegreesMinutesSecondsOfAnEntryField) {
  auto dms = RadiansToDms(Rad(0.999999), AngleAxis::Latitude);
  ASSERT_TRUE(dms.has_value());
  EXPECT_EQ(dms->degrees, 0);
  EXPECT_EQ(dms->minutes, 59u);
  EXPECT_NEAR(dms->seconds, 59.9964f, 1e-3f);

  dms = RadiansToDms(Rad(-12.5), AngleAxis::Longitude);
  EXPECT_EQ(*dms, (Dms{-12, 30, 0.0f, true}));
  EXPECT_NEAR(DmsToRadians(*dms), Rad(-12.5), 1e-12);
  EXPECT_FALSE(RadiansToDms(std::numeric_limits<double>::quiet_NaN(), AngleAxis::Latitude).has_value());
}

TEST(AnglesTest, AnglesBelowOneDegreeKeepTheirSign) {
  for (double deg : {0.5, -0.5, -0.9999}) {
    const auto dms = RadiansToDms(Rad(deg), AngleAxis::Latitude);
    EXPECT_EQ(dms->degrees, 0);
    EXPECT_NEAR(DmsToRadians(*dms), Rad(deg), 1e-9) << deg;
    EXPECT_EQ(DmsDegreesText(*dms), deg < 0 ? "-0" : "0");
  }
  // The fields as the user typed them: "0" is north, "-0" south.
  EXPECT_GT(DmsToRadians(Dms{0, 30, 0, DegreesTextIsNegative("0")}), 0);
  EXPECT_LT(DmsToRadians(Dms{0, 30, 0, DegreesTextIsNegative(" -0")}), 0);
}

TEST(AnglesTest, SecondsThatRoundToSixtyCarry) {
  auto dms = RadiansToDms(FromDms(10, 30, 59.9996), AngleAxis::Latitude);
  EXPECT_EQ(*dms, (Dms{10, 31, 0.0f, false}));
  dms = RadiansToDms(-FromDms(10, 59, 59.9996), AngleAxis::Longitude);
  EXPECT_EQ(*dms, (Dms{-11, 0, 0.0f, true}));
  // The carry stops at the axis' bound.
  dms = RadiansToDms(FromDms(89, 59, 59.9999), AngleAxis::Latitude);
  EXPECT_EQ(*dms, (Dms{90, 0, 0.0f, false}));
  EXPECT_EQ(RadiansToDms(Rad(1e12), AngleAxis::Latitude)->degrees, 90);
  // Just below the rounding point nothing moves.
  dms = RadiansToDms(FromDms(10, 30, 59.9994), AngleAxis::Latitude);
  EXPECT_EQ(dms->minutes, 30u);
  EXPECT_NEAR(dms->seconds, 59.9994f, 1e-4f);
}

TEST(AnglesTest, MaskAngleUnitSwitch) {
  EXPECT_STREQ(AngleUnitLabel(AngleUnit::Degree), "Degree");
  EXPECT_STREQ(AngleUnitLabel(AngleUnit::Radian), "Radian");
  const double there = SwitchAngleUnit(100, AngleUnit::Degree, AngleUnit::Radian);
  EXPECT_EQ(SwitchAngleUnit(there, AngleUnit::Radian, AngleUnit::Degree), 0.0);
  EXPECT_EQ(SwitchAngleUnit(1.6, AngleUnit::Radian, AngleUnit::Degree), 0.0);
  // Within the limits the value goes there and back.
  const double r = SwitchAngleUnit(15, AngleUnit::Degree, AngleUnit::Radian);
  EXPECT_NEAR(SwitchAngleUnit(r, AngleUnit::Radian, AngleUnit::Degree), 15, 1e-12);
  // The receiver always gets radians.
  EXPECT_NEAR(MaskAngleInRadians(10, AngleUnit::Degree), Rad(10), 1e-15);
  EXPECT_EQ(MaskAngleInRadians(0.3, AngleUnit::Radian), 0.3);
  EXPECT_EQ(MaskAngleInRadians(std::nan(""), AngleUnit::Radian), 0.0);
}

TEST(AngleTextTest, LatitudeAndLongitudeLines) {
  EXPECT_EQ(LatitudeText(Rad(45.50343)), "N  045 30'12.348\" (Deg)");
  EXPECT_EQ(LatitudeText(Rad(-0.5)), "S  000 30'00.000\" (Deg)");
  EXPECT_EQ(LongitudeText(Rad(-73.4136473)), "W 073 24'49.130\" (Deg)");
  EXPECT_EQ(LatitudeText(-0.5), "S  028 38'52.403\" (Deg)");  // radians
  EXPECT_EQ(AngleLineText(-0.5, "N", "S", " "), "S 028 38'52.403\" (Deg)");
}

TEST(AngleTextTest, SecondsThatWouldPrintAsSixtyCarry) {
  EXPECT_EQ(LatitudeText(FromDms(45, 30, 59.9996)), "N  045 31'00.000\" (Deg)");
  EXPECT_EQ(LongitudeText(-FromDms(7, 59, 59.9996)), "W 008 00'00.000\" (Deg)");
  EXPECT_EQ(LatitudeText(FromDms(45, 30, 59.9994)), "N  045 30'59.999\" (Deg)");
  EXPECT_EQ(PlotCentreLabel(-FromDms(12, 59, 59.9997), 'N', 'S'), "S13 00'00.000\"");
  EXPECT_EQ(PlotOffsetLabel(FromDms(12, 14, 59.9999)), "15'00.000\"");
}

TEST(AngleTextTest, PlotLabelsAndAnglesThatAreNotAngles) {
  EXPECT_EQ(PlotCentreLabel(Rad(-73.4136473), 'E', 'W'), "W73 24'49.130\"");
  EXPECT_EQ(PlotOffsetLabel(Rad(-73.4136473)), "24'49.130\"");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(LatitudeText(nan).substr(3), "--- --'--.---\" (Deg)");
  EXPECT_EQ(LongitudeText(-std::numeric_limits<double>::infinity()), "W --- --'--.---\" (Deg)");
  EXPECT_EQ(LatitudeText(1e300).substr(0, 3), "N  ");
  EXPECT_EQ(PlotOffsetLabel(nan), "--'--.---\"");
}

}  // namespace
}  // namespace orv
