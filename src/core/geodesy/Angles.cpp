// Radians, degrees and degrees/minutes/seconds for the entry fields, and the mask-angle unit
// switch.
#include "geodesy/Angles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "util/Format.h"

namespace orv {

namespace {

// Pi / 2 as the mask-angle entry compares it.
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kMaskLimitDegrees = 90.0;

}  // namespace

bool SecondsShowAsSixty(double seconds, int decimals) {
  if (!std::isfinite(seconds)) return false;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 9), seconds);
  return std::strtod(text, nullptr) >= 60.0;
}

std::optional<Dms> RadiansToDms(double radians, AngleAxis axis, int secondDecimals) {
  const double degrees = RadiansToDegrees(radians);
  if (!std::isfinite(degrees)) return std::nullopt;
  const double bound = axis == AngleAxis::Latitude ? 90.0 : 180.0;
  const double a = std::fabs(degrees);
  const double whole = std::trunc(a);
  // Held within the bound before it becomes an integer, so that no angle overflows it.
  auto d = static_cast<int32_t>(std::min(whole, bound));
  const double minutes = (a - whole) * 60;
  auto m = static_cast<uint32_t>(minutes);
  auto s = static_cast<float>((minutes - m) * 60);
  if (SecondsShowAsSixty(s, secondDecimals)) {
    s = std::max(0.0f, s - 60.0f);
    ++m;
  }
  if (m > 59) {
    m -= 60;
    ++d;
  }
  d = std::min(d, static_cast<int32_t>(bound));
  const bool negative = degrees < 0;
  return Dms{negative ? -d : d, m, s, negative};
}

double DmsToRadians(const Dms& dms) {
  const bool negative = dms.degrees < 0 || (dms.degrees == 0 && dms.negative);
  const double magnitude = std::fabs(static_cast<double>(dms.degrees)) + dms.minutes / 60.0 + dms.seconds / 3600.0;
  return DegreesToRadians(negative ? -magnitude : magnitude);
}

std::string DmsDegreesText(const Dms& dms) {
  if (dms.degrees == 0 && dms.negative) return "-0";
  return Format("%d", dms.degrees);
}

bool DegreesTextIsNegative(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  return first != std::string::npos && text[first] == '-';
}

const char* AngleUnitLabel(AngleUnit unit) { return unit == AngleUnit::Degree ? "Degree" : "Radian"; }

double SwitchAngleUnit(double value, AngleUnit from, AngleUnit to) {
  if (!std::isfinite(value)) return 0.0;
  if (from == to) return value;
  if (to == AngleUnit::Degree) {
    const double degrees = RadiansToDegrees(value);
    return degrees > kMaskLimitDegrees ? 0.0 : degrees;
  }
  const double radians = DegreesToRadians(value);
  return radians > kHalfPi ? 0.0 : radians;
}

double MaskAngleInRadians(double value, AngleUnit unit) {
  return SwitchAngleUnit(value, unit, AngleUnit::Radian);
}

}  // namespace orv
