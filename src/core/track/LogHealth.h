// The health of a recorded log: how regular its epochs are (rate, gaps, time going backwards,
// epochs repeated), the frames and sentences that failed their checks, with their offsets in
// the file, and how the epochs share out among navigation modes or fix qualities.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "track/EpochReader.h"
#include "track/TrackExport.h"

namespace orv {

struct HealthGap {
  int64_t startNs = 0;   // the last epoch before the gap
  int64_t lengthNs = 0;  // from that epoch to the next
  uint64_t missing = 0;  // epochs the expected interval would have put in between
  bool hasDate = false;
  uint64_t offset = 0;   // of the epoch after the gap
};

struct HealthJump {
  int64_t fromNs = 0;
  int64_t toNs = 0;
  bool hasDate = false;
  uint64_t offset = 0;
};

struct HealthRepeat {
  int64_t timeNs = 0;
  bool hasDate = false;
  uint64_t offset = 0;
};

struct HealthFault {
  uint64_t offset = 0;
  DecodeObserver::Fault fault = DecodeObserver::Fault::kFrameChecksum;
};

struct HealthReport {
  // Each list keeps at most this many entries; the counts go on.
  static constexpr std::size_t kListLimit = 10000;

  uint64_t bytes = 0;
  int protocolSelector = 1;
  int sourceMessage = 0;  // KTX: 20 or 21
  uint64_t epochs = 0;
  uint64_t epochsWithPosition = 0;
  uint64_t untimedEpochs = 0;
  std::optional<int64_t> firstNs;
  int64_t lastNs = 0;
  bool hasDate = false;
  std::optional<int64_t> intervalNs;  // the expected interval at the end of the log

  uint64_t gapCount = 0;
  uint64_t jumpCount = 0;
  uint64_t repeatCount = 0;
  uint64_t faultCount = 0;
  std::vector<HealthGap> gaps;
  std::vector<HealthJump> jumps;
  std::vector<HealthRepeat> repeats;
  std::vector<HealthFault> faults;
  // Epochs per navigation mode (KTX) or GGA fix quality (NMEA); -1 counts epochs without one.
  std::map<int, uint64_t> modes;
  DecoderCounters counters;
};

// An interval longer than this many expected intervals is a gap.
inline constexpr double kGapFactor = 1.5;

class LogHealth : public EpochSink {
 public:
  explicit LogHealth(HealthReport& report) : report_(report) {}
  void OnEpoch(const Epoch& epoch, uint64_t offset) override;
  void OnFault(uint64_t offset, DecodeObserver::Fault fault) override;

 private:
  HealthReport& report_;
  IntervalEstimate interval_;
  bool havePrevious_ = false;
  bool previousHasDate_ = false;
  int64_t previousNs_ = 0;
};

HealthReport ReadLogHealth(std::FILE* log, const EpochOptions& options);

// The name of a mode or quality of the report: "Nav 3-D" (KTX), "GPS fix" (NMEA).
std::string HealthModeName(int protocolSelector, int mode);
const char* HealthFaultName(DecodeObserver::Fault fault);

// The human-readable summary, and the same as one JSON object.
std::string HealthText(const HealthReport& report, const std::string& path);
std::string HealthJson(const HealthReport& report);

}  // namespace orv
