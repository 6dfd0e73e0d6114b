// Count, mean, CEP50 and 2DRMS of the plotted fixes.
#include "plot/PlotStatistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geodesy/AngleText.h"
#include "geodesy/Angles.h"
#include "plot/PlotGeometry.h"
#include "util/Format.h"

namespace orv {

std::optional<PlotStatistics> ComputePlotStatistics(const PlotRing& ring) {
  PlotStatistics s;
  double firstLon = 0;
  double sumLat = 0;
  double sumDLon = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const PlotFix& f = ring[i];
    if (!std::isfinite(f.latitude) || !std::isfinite(f.longitude)) continue;
    if (s.count == 0) firstLon = f.longitude;
    sumLat += f.latitude;
    sumDLon += std::remainder(f.longitude - firstLon, 2 * kPi);
    ++s.count;
  }
  if (s.count == 0) return std::nullopt;
  const double n = static_cast<double>(s.count);
  s.meanLatitude = sumLat / n;
  s.meanLongitude = std::remainder(firstLon + sumDLon / n, 2 * kPi);

  const PlotFrame frame({0, 0}, s.meanLatitude, s.meanLongitude, 1);
  std::vector<double> distances;
  distances.reserve(s.count);
  double sumSquares = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const PlotFix& f = ring[i];
    if (!std::isfinite(f.latitude) || !std::isfinite(f.longitude)) continue;
    const double north = frame.NorthMetres(f.latitude);
    const double east = frame.EastMetres(f.longitude);
    sumSquares += north * north + east * east;
    distances.push_back(std::hypot(north, east));
  }
  s.drms2 = 2 * std::sqrt(sumSquares / n);
  // The median distance: half of the fixes lie within it.
  const std::size_t mid = distances.size() / 2;
  std::nth_element(distances.begin(), distances.begin() + static_cast<std::ptrdiff_t>(mid), distances.end());
  double median = distances[mid];
  if (distances.size() % 2 == 0) {
    const double below = *std::max_element(distances.begin(), distances.begin() + static_cast<std::ptrdiff_t>(mid));
    median = (median + below) / 2;
  }
  s.cep50 = median;
  return s;
}

std::string PlotStatisticsText(const std::optional<PlotStatistics>& statistics) {
  if (!statistics) return "Fixes: 0";
  const PlotStatistics& s = *statistics;
  return Format("Fixes: %zu  Mean: %s %s  CEP50: %.2f m  2DRMS: %.2f m", s.count,
                PlotCentreLabel(s.meanLatitude, 'N', 'S').c_str(), PlotCentreLabel(s.meanLongitude, 'E', 'W').c_str(),
                s.cep50, s.drms2);
}

}  // namespace orv
