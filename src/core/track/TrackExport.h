// Track export: the epochs of a log with a valid position become the points of a track, cut
// into segments where the time jumps, and written as GPX 1.1, KML 2.2, CSV or GeoJSON.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "track/EpochReader.h"
#include "track/TrackPoint.h"

namespace orv {

enum class TrackFormat { kGpx, kKml, kCsv, kGeoJson };

// "gpx", "kml", "csv", "geojson".
std::optional<TrackFormat> ParseTrackFormat(std::string_view name);
const char* TrackFormatName(TrackFormat format);
// The file extension without the dot: "gpx", "kml", "csv", "geojson".
const char* TrackFormatExtension(TrackFormat format);

// Writes points as they come; a writer keeps only what one point needs, whatever the length
// of the track.
class TrackWriter {
 public:
  virtual ~TrackWriter() = default;
  virtual void Begin() = 0;
  virtual void Point(const Epoch& point, bool startsSegment) = 0;
  // Completes the document; false when the output could not be written.
  virtual bool End() = 0;
};

// `name` names the track in the document (the log's file name).
std::unique_ptr<TrackWriter> MakeTrackWriter(TrackFormat format, std::FILE* out, const std::string& name);

// The interval a log's epochs are expected at: the median of the last few positive intervals,
// so that a handful of gaps or doubled epochs does not move it.
class IntervalEstimate {
 public:
  void Add(int64_t intervalNs);
  std::optional<int64_t> Expected() const;

 private:
  static constexpr int kKept = 15;
  std::array<int64_t, kKept> recent_{};
  int count_ = 0;
  int next_ = 0;
};

// Feeds a writer with the epochs that carry a position. A new segment starts where the time
// goes backwards, or jumps by more than ten expected intervals.
class TrackExporter : public EpochSink {
 public:
  static constexpr int64_t kGapIntervals = 10;

  explicit TrackExporter(TrackWriter& writer) : writer_(writer) {}
  void OnEpoch(const Epoch& epoch, uint64_t offset) override;

  uint64_t points() const { return points_; }
  uint64_t segments() const { return segments_; }
  uint64_t skipped() const { return skipped_; }

 private:
  TrackWriter& writer_;
  IntervalEstimate interval_;
  bool havePrevious_ = false;
  bool previousHasDate_ = false;
  int64_t previousNs_ = 0;
  uint64_t points_ = 0;
  uint64_t segments_ = 0;
  uint64_t skipped_ = 0;
};

struct TrackExportResult {
  LogReadResult read;
  uint64_t points = 0;
  uint64_t segments = 0;
  uint64_t skipped = 0;  // epochs without a valid position (not counting those without a time)
  bool writeError = false;
};

// An export a block of the log at a time (the desktop shows its progress between blocks).
class TrackExportJob {
 public:
  TrackExportJob(std::FILE* log, const EpochOptions& options, TrackFormat format, std::FILE* out,
                 const std::string& name);
  // Exports up to `maxBytes` more of the log; false once it has all been read.
  bool Step(std::size_t maxBytes) { return stream_.Step(maxBytes); }
  uint64_t bytesRead() const { return stream_.bytes(); }
  // Completes the document (also after a stop part way) and tells what was written.
  TrackExportResult Finish();

 private:
  std::unique_ptr<TrackWriter> writer_;
  TrackExporter exporter_;
  LogEpochStream stream_;
};

TrackExportResult ExportTrack(std::FILE* log, const EpochOptions& options, TrackFormat format, std::FILE* out,
                              const std::string& name);

}  // namespace orv
