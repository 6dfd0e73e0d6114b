// The arithmetic of the navigation position plot: the default centre's packed degrees, the
// settings as the plot may use them, the projection of a fix onto the window, the colour of a
// navigation mode and the range labels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/Configuration.h"
#include "platform/Canvas.h"

namespace orv {

// The metres-to-radians factor along a meridian: 1 / 6378160.0 rad per metre.
inline constexpr double kPlotNorthFactor = 1.0 / 6378160.0;
// The east factor takes the centre's latitude kept within this many degrees of the equator,
// so the cosine never reaches 0 at a pole.
inline constexpr double kPlotMaxFactorLatitudeDeg = 89.9;

inline constexpr int kPlotMinScale = 1;
inline constexpr int kPlotMaxScale = 1000;
inline constexpr int kPlotMinDotSize = 1;
inline constexpr int kPlotMaxDotSize = 3;
// The factory default centre, in packed degrees.
inline constexpr double kPlotDefaultCentreLatitude = 45.2942232;
inline constexpr double kPlotDefaultCentreLongitude = -73.4136473;

// Packed degrees DDD.MMSSss (negative for south and west) to radians. The value is rounded to
// the micro-second of arc before it is split, so 45.30 reads as 45 deg 30', not as 45 deg
// 29' 99.99999". nullopt for a value that is not finite or too large to be an angle.
std::optional<double> PackedDegreesToRadians(double packed);
// Radians to packed degrees, to the micro-second, with the sign of the angle; 0 for a value
// that is not an angle.
double RadiansToPackedDegrees(double radians);

enum class DotStyle : uint8_t { PlusSign = 0, Dot = 1 };

// What the plot takes from the settings, each value kept in range: a damaged file must not
// divide by zero or draw huge marks.
struct PlotSettings {
  bool showGrid = true;
  bool showCoordinates = true;
  double centreLatitude = 0;   // radians
  double centreLongitude = 0;  // radians
  DotStyle dotStyle = DotStyle::Dot;
  int dotSize = 1;  // 1 small, 2 medium, 3 large
  int scale = 100;  // metres of the outer circle
};

// The factory settings (the default centre decoded).
PlotSettings DefaultPlotSettings();
// The settings record's plot fields, each kept in range: scale 1 to 1000, size 1 to 3, style 0
// or 1, and a default centre that is not finite or lies beyond 90 degrees of latitude (or 360
// of longitude) replaced by the factory one.
PlotSettings ReadPlotSettings(const Configuration& record);
// The record's default centre alone, as "&Default Position" takes it (radians).
struct PlotCentre {
  double latitude = 0;
  double longitude = 0;
};
PlotCentre ReadPlotDefaultCentre(const Configuration& record);
// Writes grid, coordinates, the centre (packed), style, size and scale into the record.
void WritePlotSettings(const PlotSettings& settings, Configuration& record);

struct PlotPixel {
  int x = 0;
  int y = 0;
  bool operator==(const PlotPixel&) const = default;
};

// Where the plot is drawn: the centre pixel, the outer circle's radius, and the centre and
// scale the fixes are placed by.
class PlotFrame {
 public:
  PlotFrame(AreaSize area, double centreLatitude, double centreLongitude, int scale);

  // The fix's pixel, north up and east right, rounded to the nearest pixel. None for a fix
  // whose place is not finite or lies far outside the area: it cannot be drawn, and its
  // coordinates must not be turned into integers.
  std::optional<PlotPixel> Project(double latitude, double longitude) const;
  // North and east metres of a fix from the centre, longitude taken across the antimeridian.
  double NorthMetres(double latitude) const;
  double EastMetres(double longitude) const;

  int centreX() const { return cx_; }
  int centreY() const { return cy_; }
  // min(half width, half height) - 20, at least 1 pixel.
  int radius() const { return radius_; }
  int scale() const { return scale_; }
  double eastFactor() const { return eastFactor_; }
  AreaSize area() const { return area_; }

 private:
  AreaSize area_;
  int cx_ = 0;
  int cy_ = 0;
  int radius_ = 1;
  int scale_ = 100;
  double lat_ = 0;
  double lon_ = 0;
  double eastFactor_ = kPlotNorthFactor;
};

// The mark colour of navigation mode 0 to 31 (bits 0-4 of the mode byte).
Colour PlotModeColour(int mode);
inline constexpr int kPlotNewestMode = 7;  // the newest fix is drawn in mode 7's black

// A range circle's label: "%dm" for whole metres, "%1.1fm" below one metre.
std::string RangeLabel(double metres);

}  // namespace orv
