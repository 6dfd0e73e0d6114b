// Angle conversions shared by every position entry field: radians, decimal degrees and
// degrees/minutes/seconds, and the degree/radian unit switch of the mask-angle entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orv {

// The value of pi every conversion of the console uses, so that an angle converted by one
// window and back by another comes out the same.
inline constexpr double kPi = 3.141592653589793;

constexpr double RadiansToDegrees(double radians) { return radians * 180.0 / kPi; }
constexpr double DegreesToRadians(double degrees) { return degrees * kPi / 180.0; }

// Which bound holds the whole degrees: 90 for a latitude, 180 for a longitude.
enum class AngleAxis { Latitude, Longitude };

// An angle as the entry fields hold it. The whole degrees carry the sign, except between -1
// and +1 degree, where they are 0 and only `negative` tells south or west from north or east.
struct Dms {
  int32_t degrees = 0;
  uint32_t minutes = 0;
  float seconds = 0;
  bool negative = false;
  bool operator==(const Dms&) const = default;
};

// Splits an angle for the entry fields. Seconds that would show as 60 with `secondDecimals`
// decimals carry into the minutes, and minutes into the degrees, which then stay within the
// axis' bound. nullopt for an angle that is not a finite number.
std::optional<Dms> RadiansToDms(double radians, AngleAxis axis, int secondDecimals = 3);
// The angle of entry fields; the sign is that of the degrees, or `negative` when they are 0.
double DmsToRadians(const Dms& dms);
// The text of the degrees field: "-0" for a negative angle of less than a degree.
std::string DmsDegreesText(const Dms& dms);
// True when the degrees text starts with a minus sign (after blanks): "-0" is negative.
bool DegreesTextIsNegative(const std::string& text);

// True when `seconds` printed with `decimals` decimals ("%.*f") reads 60 or more.
bool SecondsShowAsSixty(double seconds, int decimals);

// The unit the mask-angle entry shows its value in.
enum class AngleUnit { Degree, Radian };
// "Degree" or "Radian", the label beside the field.
const char* AngleUnitLabel(AngleUnit unit);
// The field's value when the user switches its unit. A mask angle lies between the horizon
// and the zenith: a result above 90 degrees (or pi/2) is not one and becomes 0, as does a
// value that is not a number.
double SwitchAngleUnit(double value, AngleUnit from, AngleUnit to);
// What the receiver is sent on confirmation: always radians, by the same rule.
double MaskAngleInRadians(double value, AngleUnit unit);

}  // namespace orv
