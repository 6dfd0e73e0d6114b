// The spread of the plotted fixes: how many, their mean position, and their CEP50 (the radius
// about the mean that holds half of them) and 2DRMS (twice the root mean square horizontal
// distance from the mean), in metres.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "plot/PlotRing.h"

namespace orv {

struct PlotStatistics {
  std::size_t count = 0;
  double meanLatitude = 0;   // radians
  double meanLongitude = 0;  // radians, within -pi..pi
  double cep50 = 0;          // metres
  double drms2 = 0;          // metres
};

// Over the ring's fixes; fixes whose coordinates are not finite are left out. Longitudes are
// averaged as differences from the first fix taken across the antimeridian, and distances use
// the plot's metres-to-radians factors at the mean latitude. nullopt without a usable fix.
std::optional<PlotStatistics> ComputePlotStatistics(const PlotRing& ring);

// "Fixes: 12  Mean: N45 29'42.232" W73 24'49.130"  CEP50: 1.23 m  2DRMS: 3.45 m", or
// "Fixes: 0" with nothing to measure.
std::string PlotStatisticsText(const std::optional<PlotStatistics>& statistics);

}  // namespace orv
