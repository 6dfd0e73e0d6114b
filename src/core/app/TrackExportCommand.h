// "Export Track..." of the File menu: asks for a log file and for the file to write, with
// the four track formats as filters, then exports with a progress bar that can be stopped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "forms/Form.h"
#include "platform/Desktop.h"
#include "track/TrackExport.h"

namespace orv {

inline constexpr char kExportTrackCaption[] = "Export Track";
inline constexpr char kExportTrackFilter[] =
    "GPX Files (*.gpx) |*.gpx|KML Files (*.kml) |*.kml|CSV Files (*.csv) |*.csv|GeoJSON Files (*.geojson) "
    "|*.geojson||";
// Fields and timer of the progress form.
inline constexpr int kExportTrackFileLabel = 1001;
inline constexpr int kExportTrackProgress = 1002;
inline constexpr int kExportTrackTimer = 1;
inline constexpr uint32_t kExportTrackTimerMs = 10;
// The log read per timer tick: a 100 MiB log takes about 25 ticks of some 100 ms.
inline constexpr std::size_t kExportTrackBytesPerTick = 4u << 20;

// The format a file name asks for by its extension (".json" is taken as GeoJSON).
std::optional<TrackFormat> TrackFormatOfPath(const std::string& path);

// What the command did, for the frame and the tests.
struct ExportTrackOutcome {
  bool ran = false;        // an export started
  bool completed = false;  // it ran to the end and the file was written
  TrackExportResult result;
};

// `protocolSelector` says how to read the log (1 KTX Binary, 0 NMEA); `lastLogPath` is the
// log chosen last time, and is updated.
ExportTrackOutcome RunExportTrack(Desktop& desktop, int protocolSelector, std::string& lastLogPath,
                                  std::size_t bytesPerTick = kExportTrackBytesPerTick);

}  // namespace orv
