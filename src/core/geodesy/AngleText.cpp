// Angle texts of the pages and of the plot, from one split into degrees, minutes and seconds.
#include "geodesy/AngleText.h"

#include <algorithm>
#include <cmath>

#include "geodesy/Angles.h"
#include "util/Format.h"

namespace orv {

namespace {

// Beyond this the degrees would overflow their integer; no angle of a position comes close.
constexpr double kLargestShownDegrees = 1.0e6;
constexpr int kShownSecondDecimals = 3;

double AbsDegrees(double radians) { return std::fabs(RadiansToDegrees(radians)); }

}  // namespace

std::optional<DisplayDms> DisplayParts(double a) {
  if (!std::isfinite(a) || a < 0 || a > kLargestShownDegrees) return std::nullopt;
  DisplayDms p;
  p.degrees = static_cast<int>(a);
  p.minutes = static_cast<int>((a - p.degrees) * 60);
  // The minutes are cut from the same fraction, so a rounding below them may leave a seconds
  // value a hair under zero, which would print as "-0.000".
  p.seconds = std::max(0.0, ((a - p.degrees) - p.minutes / 60.0) * 3600);
  if (SecondsShowAsSixty(p.seconds, kShownSecondDecimals)) {
    p.seconds = std::max(0.0, p.seconds - 60);
    ++p.minutes;
  }
  if (p.minutes > 59) {
    p.minutes -= 60;
    ++p.degrees;
  }
  return p;
}

std::string AngleLineText(double radians, const char* positive, const char* negative, const char* blanks) {
  const double degrees = RadiansToDegrees(radians);
  const char* letter = degrees >= 0 ? positive : negative;
  const auto p = DisplayParts(std::fabs(degrees));
  if (!p) return Format("%s%s--- --'--.---\" (Deg)", letter, blanks);
  return Format("%s%s%03d %02d'%06.3lf\" (Deg)", letter, blanks, p->degrees, p->minutes, p->seconds);
}

std::string LatitudeText(double radians) { return AngleLineText(radians, "N", "S", "  "); }
std::string LongitudeText(double radians) { return AngleLineText(radians, "E", "W", " "); }

std::string PlotCentreLabel(double radians, char positive, char negative) {
  const char letter = RadiansToDegrees(radians) >= 0 ? positive : negative;
  const auto p = DisplayParts(AbsDegrees(radians));
  if (!p) return Format("%c-- --'--.---\"", letter);
  return Format("%c%02d %02d'%06.3lf\"", letter, p->degrees, p->minutes, p->seconds);
}

std::string PlotOffsetLabel(double radians) {
  const auto p = DisplayParts(AbsDegrees(radians));
  if (!p) return "--'--.---\"";
  return Format("%02d'%06.3lf\"", p->minutes, p->seconds);
}

}  // namespace orv
