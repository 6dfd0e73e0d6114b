// Packed degrees, plot settings, projection, mode colours and range labels.
#include "plot/PlotGeometry.h"

#include <algorithm>
#include <cmath>

#include "geodesy/Angles.h"
#include "util/Format.h"

namespace orv {

namespace {

// Micro-seconds of arc: a packed value's digits after the minutes are seconds, so this many
// units make one degree in its integer form.
constexpr int64_t kMicroPerSecond = 1000000;
constexpr int64_t kPackedUnitsPerDegree = 10000000000;  // 1e10: DDD.MMSS plus six decimals
constexpr int64_t kPackedUnitsPerMinute = 100000000;    // 1e8
// Far beyond any window: a fix projected further out is not drawn.
constexpr double kFarOutsidePixels = 100000.0;

constexpr Colour kModeColours[11] = {
    Rgb(255, 0, 0),   Rgb(255, 128, 128), Rgb(64, 64, 255), Rgb(200, 0, 128), Rgb(0, 255, 255), Rgb(0, 0, 255),
    Rgb(200, 0, 128), Rgb(0, 0, 0),       Rgb(0, 255, 0),   Rgb(0, 0, 255),   Rgb(128, 128, 255),
};

bool CentreUsable(std::optional<double> lat, std::optional<double> lon) {
  return lat && lon && std::fabs(*lat) <= kPi / 2 && std::fabs(*lon) <= 2 * kPi;
}

}  // namespace

std::optional<double> PackedDegreesToRadians(double packed) {
  if (!std::isfinite(packed) || std::fabs(packed) > 1.0e6) return std::nullopt;
  const auto units = static_cast<int64_t>(std::llround(std::fabs(packed) * static_cast<double>(kPackedUnitsPerDegree)));
  const int64_t d = units / kPackedUnitsPerDegree;
  const int64_t rest = units % kPackedUnitsPerDegree;
  const int64_t m = rest / kPackedUnitsPerMinute;
  const int64_t micro = rest % kPackedUnitsPerMinute;
  const double degrees = static_cast<double>(d) + static_cast<double>(m) / 60.0 +
                         static_cast<double>(micro) / static_cast<double>(kMicroPerSecond) / 3600.0;
  return DegreesToRadians(packed < 0 ? -degrees : degrees);
}

double RadiansToPackedDegrees(double radians) {
  const double degrees = std::fabs(RadiansToDegrees(radians));
  // Not an angle: nothing a packed value could hold (and its micro-seconds would overflow).
  if (!std::isfinite(degrees) || degrees > 1.0e6) return 0;
  const auto micro = static_cast<int64_t>(std::llround(degrees * 3600.0 * static_cast<double>(kMicroPerSecond)));
  const int64_t perDegree = 3600 * kMicroPerSecond;
  const int64_t perMinute = 60 * kMicroPerSecond;
  const int64_t d = micro / perDegree;
  const int64_t m = (micro % perDegree) / perMinute;
  const int64_t s = micro % perMinute;  // micro-seconds
  const double packed = static_cast<double>(d) + static_cast<double>(m) / 100.0 +
                        static_cast<double>(s) / static_cast<double>(kPackedUnitsPerDegree);
  return radians < 0 ? -packed : packed;
}

PlotSettings DefaultPlotSettings() {
  PlotSettings s;
  s.centreLatitude = *PackedDegreesToRadians(kPlotDefaultCentreLatitude);
  s.centreLongitude = *PackedDegreesToRadians(kPlotDefaultCentreLongitude);
  return s;
}

PlotCentre ReadPlotDefaultCentre(const Configuration& record) {
  const auto lat = PackedDegreesToRadians(record.plotCentreLatitude());
  const auto lon = PackedDegreesToRadians(record.plotCentreLongitude());
  if (!CentreUsable(lat, lon)) {
    const PlotSettings d = DefaultPlotSettings();
    return {d.centreLatitude, d.centreLongitude};
  }
  return {*lat, *lon};
}

PlotSettings ReadPlotSettings(const Configuration& record) {
  PlotSettings s;
  s.showGrid = record.plotShowGrid() != 0;
  s.showCoordinates = record.plotShowCoordinates() != 0;
  const PlotCentre c = ReadPlotDefaultCentre(record);
  s.centreLatitude = c.latitude;
  s.centreLongitude = c.longitude;
  s.dotStyle = record.plotDotStyle() == 0 ? DotStyle::PlusSign : DotStyle::Dot;
  s.dotSize = std::clamp<int32_t>(record.plotDotSize(), kPlotMinDotSize, kPlotMaxDotSize);
  s.scale = std::clamp<int32_t>(record.plotScale(), kPlotMinScale, kPlotMaxScale);
  return s;
}

void WritePlotSettings(const PlotSettings& s, Configuration& record) {
  record.SetPlotShowGrid(s.showGrid ? 1 : 0);
  record.SetPlotShowCoordinates(s.showCoordinates ? 1 : 0);
  record.SetPlotCentreLatitude(RadiansToPackedDegrees(s.centreLatitude));
  record.SetPlotCentreLongitude(RadiansToPackedDegrees(s.centreLongitude));
  record.SetPlotDotStyle(static_cast<uint8_t>(s.dotStyle));
  record.SetPlotDotSize(s.dotSize);
  record.SetPlotScale(s.scale);
}

PlotFrame::PlotFrame(AreaSize area, double centreLatitude, double centreLongitude, int scale)
    : area_(area), cx_(area.width / 2), cy_(area.height / 2),
      radius_(std::max(1, std::min(area.width / 2, area.height / 2) - 20)),
      scale_(std::clamp(scale, kPlotMinScale, kPlotMaxScale)), lat_(centreLatitude), lon_(centreLongitude) {
  const double limit = DegreesToRadians(kPlotMaxFactorLatitudeDeg);
  const double factorLatitude = std::isfinite(lat_) ? std::clamp(lat_, -limit, limit) : 0.0;
  eastFactor_ = kPlotNorthFactor / std::cos(factorLatitude);
}

double PlotFrame::NorthMetres(double latitude) const { return (latitude - lat_) / kPlotNorthFactor; }

double PlotFrame::EastMetres(double longitude) const {
  return std::remainder(longitude - lon_, 2 * kPi) / eastFactor_;
}

std::optional<PlotPixel> PlotFrame::Project(double latitude, double longitude) const {
  const double x = radius_ * EastMetres(longitude) / scale_;
  const double y = radius_ * NorthMetres(latitude) / scale_;
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  if (std::fabs(x) > kFarOutsidePixels || std::fabs(y) > kFarOutsidePixels) return std::nullopt;
  return PlotPixel{cx_ + static_cast<int>(std::lround(x)), cy_ - static_cast<int>(std::lround(y))};
}

Colour PlotModeColour(int mode) {
  if (mode < 0 || mode > 10) return Rgb(0, 0, 0);
  return kModeColours[mode];
}

std::string RangeLabel(double metres) {
  if (metres >= 1) return Format("%dm", static_cast<int>(metres));
  return Format("%1.1fm", metres);
}

}  // namespace orv
