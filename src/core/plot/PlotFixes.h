// The fixes of a log as the plot takes them: every message 20, its navigation mode giving the
// colour, as the decoder hands them to an open plot; or, in NMEA, one per GGA epoch with a
// position, its fix quality mapped to the navigation mode of the same meaning.
#pragma once

#include <cstdint>
#include <cstdio>

#include "protocol/WindowLinks.h"

namespace orv {

// The navigation mode that colours a GGA fix of `quality`: 1 GPS is "Nav 3-D" (2), 2 DGPS
// "Diff. 3-D" (4), 4 and 5 RTK "RTK" (10), 6 estimated "Dead Reckoning" (6), any other
// "Init Required" (0).
int ModeOfGgaQuality(int quality);

struct PlotLogRead {
  uint64_t bytes = 0;
  uint64_t fixes = 0;
  bool readError = false;
};

// Reads the whole log, `protocolSelector` 1 KTX Binary or 0 NMEA, and hands each fix to `plot`.
PlotLogRead ReadPlotFixes(std::FILE* log, int protocolSelector, NavPlotLink& plot);

}  // namespace orv
