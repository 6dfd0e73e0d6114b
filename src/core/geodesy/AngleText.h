// The angle texts of the windows: latitude and longitude lines of the navigation and base
// status pages ("N  045 30'12.348\" (Deg)") and the grid labels of the position plot.
#pragma once

#include <optional>
#include <string>

namespace orv {

// Degrees, minutes and seconds of an absolute angle in degrees, as the windows print them
// with "%06.3lf" seconds: seconds that would print as 60.000 have carried into the minutes,
// and minutes into the degrees. nullopt for an angle that is not one (not finite, or so large
// that its degrees would not fit the field).
struct DisplayDms {
  int degrees = 0;
  int minutes = 0;
  double seconds = 0;
};
std::optional<DisplayDms> DisplayParts(double absDegrees);

// "%s%s%03d %02d'%06.3lf\" (Deg)" from radians: the hemisphere letter (`positive` from 0 up,
// else `negative`), `blanks`, then the degrees, minutes and seconds of the absolute angle.
// An angle that is not one shows dashes in place of its digits.
std::string AngleLineText(double radians, const char* positive, const char* negative, const char* blanks);
// The navigation pages' lines: two blanks after the letter of a latitude, one after that of a
// longitude, so that both lines' degrees end in the same column.
std::string LatitudeText(double radians);
std::string LongitudeText(double radians);

// The position plot's labels: the centre line "%c%02d %02d'%06.3lf\"" (hemisphere letter and
// degrees, minutes, seconds of the absolute angle) and the other lines "%02d'%06.3lf\""
// (minutes and seconds only).
std::string PlotCentreLabel(double radians, char positive, char negative);
std::string PlotOffsetLabel(double radians);

}  // namespace orv
