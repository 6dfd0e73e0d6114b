#include "track/LogHealth.h"

#include <cmath>

#include "track/UtcTime.h"
#include "util/Format.h"
#include "windows/PageText.h"

namespace orv {

void LogHealth::OnEpoch(const Epoch& epoch, uint64_t offset) {
  HealthReport& r = report_;
  ++r.epochs;
  if (epoch.positionValid) ++r.epochsWithPosition;
  ++r.modes[epoch.mode ? *epoch.mode : -1];
  if (!r.firstNs) {
    r.firstNs = epoch.timeNs;
    r.hasDate = epoch.hasDate;
  }
  r.lastNs = epoch.timeNs;
  // Times with and without a date cannot be compared; the first dated epoch starts afresh.
  if (havePrevious_ && epoch.hasDate == previousHasDate_) {
    int64_t dt = epoch.timeNs - previousNs_;
    // Without a date, a time of day that falls by more than half a day has passed midnight.
    if (!epoch.hasDate && dt < -kNsPerDay / 2) dt += kNsPerDay;
    if (dt == 0) {
      ++r.repeatCount;
      if (r.repeats.size() < HealthReport::kListLimit) r.repeats.push_back({epoch.timeNs, epoch.hasDate, offset});
    } else if (dt < 0) {
      ++r.jumpCount;
      if (r.jumps.size() < HealthReport::kListLimit) {
        r.jumps.push_back({previousNs_, epoch.timeNs, epoch.hasDate, offset});
      }
    } else {
      const std::optional<int64_t> expected = interval_.Expected();
      if (expected && static_cast<double>(dt) > kGapFactor * static_cast<double>(*expected)) {
        ++r.gapCount;
        const double steps = std::round(static_cast<double>(dt) / static_cast<double>(*expected));
        const uint64_t missing = steps > 1 ? static_cast<uint64_t>(steps) - 1 : 0;
        if (r.gaps.size() < HealthReport::kListLimit) r.gaps.push_back({previousNs_, dt, missing, epoch.hasDate, offset});
      }
      interval_.Add(dt);
    }
  } else if (havePrevious_ && epoch.hasDate) {
    r.firstNs = epoch.timeNs;
    r.hasDate = true;
  }
  r.intervalNs = interval_.Expected();
  havePrevious_ = true;
  previousHasDate_ = epoch.hasDate;
  previousNs_ = epoch.timeNs;
}

void LogHealth::OnFault(uint64_t offset, DecodeObserver::Fault fault) {
  ++report_.faultCount;
  if (report_.faults.size() < HealthReport::kListLimit) report_.faults.push_back({offset, fault});
}

HealthReport ReadLogHealth(std::FILE* log, const EpochOptions& options) {
  HealthReport report;
  report.protocolSelector = options.protocolSelector;
  LogHealth health(report);
  const LogReadResult read = ReadLogEpochs(log, options, health);
  report.bytes = read.bytes;
  report.untimedEpochs = read.untimedEpochs;
  report.sourceMessage = read.sourceMessage;
  report.counters = read.counters;
  return report;
}

std::string HealthModeName(int protocolSelector, int mode) {
  if (mode < 0) return "(none)";
  if (protocolSelector == 1) return NavModeName(mode);
  static const char* const kQualities[] = {"Invalid",    "GPS fix",   "DGPS fix",    "PPS fix",   "RTK fixed",
                                           "RTK float",  "Estimated", "Manual input", "Simulation"};
  return mode < 9 ? kQualities[mode] : Format("Quality %d", mode);
}

const char* HealthFaultName(DecodeObserver::Fault fault) {
  switch (fault) {
    case DecodeObserver::Fault::kFrameChecksum: return "frame checksum";
    case DecodeObserver::Fault::kSentenceChecksum: return "sentence checksum";
    case DecodeObserver::Fault::kOverrun: return "buffer overrun";
  }
  return "";
}

namespace {

std::string Seconds(int64_t ns) {
  std::string s = Format("%.9f", static_cast<double>(ns) / 1e9);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string ProtocolText(const HealthReport& r) {
  if (r.protocolSelector == 0) return "NMEA";
  return r.sourceMessage != 0 ? Format("KTX Binary (message %d)", r.sourceMessage) : std::string("KTX Binary");
}

}  // namespace

std::string HealthText(const HealthReport& r, const std::string& path) {
  std::string s;
  s += Format("File:                   %s\n", path.c_str());
  s += "Protocol:               " + ProtocolText(r) + "\n";
  s += Format("Bytes read:             %llu\n", static_cast<unsigned long long>(r.bytes));
  s += Format("Epochs:                 %llu (%llu with a position)\n", static_cast<unsigned long long>(r.epochs),
              static_cast<unsigned long long>(r.epochsWithPosition));
  if (r.untimedEpochs > 0) {
    s += Format("Without a time:         %llu (not counted as epochs)\n", static_cast<unsigned long long>(r.untimedEpochs));
  }
  if (r.firstNs) {
    s += "First epoch:            " + IsoUtc(*r.firstNs, r.hasDate) + "\n";
    s += "Last epoch:             " + IsoUtc(r.lastNs, r.hasDate) + "\n";
  }
  if (r.intervalNs) {
    s += "Rate:                   " + Seconds(static_cast<int64_t>(1e18 / static_cast<double>(*r.intervalNs))) +
         " Hz (one epoch every " + Seconds(*r.intervalNs) + " s)\n";
  }
  s += Format("Gaps:                   %llu\n", static_cast<unsigned long long>(r.gapCount));
  for (const HealthGap& g : r.gaps) {
    s += "  after " + IsoUtc(g.startNs, g.hasDate) + ": " + Seconds(g.lengthNs) +
         Format(" s, %llu epochs missing (offset %llu)\n", static_cast<unsigned long long>(g.missing),
                static_cast<unsigned long long>(g.offset));
  }
  s += Format("Time jumps backwards:   %llu\n", static_cast<unsigned long long>(r.jumpCount));
  for (const HealthJump& j : r.jumps) {
    s += "  " + IsoUtc(j.fromNs, j.hasDate) + " to " + IsoUtc(j.toNs, j.hasDate) +
         Format(" (offset %llu)\n", static_cast<unsigned long long>(j.offset));
  }
  s += Format("Repeated epochs:        %llu\n", static_cast<unsigned long long>(r.repeatCount));
  for (const HealthRepeat& p : r.repeats) {
    s += "  " + IsoUtc(p.timeNs, p.hasDate) + Format(" (offset %llu)\n", static_cast<unsigned long long>(p.offset));
  }
  s += Format("Checksum and protocol errors: %llu\n", static_cast<unsigned long long>(r.faultCount));
  for (const HealthFault& f : r.faults) {
    s += Format("  offset %llu: %s\n", static_cast<unsigned long long>(f.offset), HealthFaultName(f.fault));
  }
  s += r.protocolSelector == 1 ? "Epochs by navigation mode:\n" : "Epochs by fix quality:\n";
  for (const auto& [mode, count] : r.modes) {
    const double share = r.epochs > 0 ? 100.0 * static_cast<double>(count) / static_cast<double>(r.epochs) : 0;
    s += Format("  %-20s %10llu %6.1f %%\n", HealthModeName(r.protocolSelector, mode).c_str(),
                static_cast<unsigned long long>(count), share);
  }
  return s;
}

namespace {
std::string JsonTime(int64_t ns, bool hasDate) { return "\"" + IsoUtc(ns, hasDate) + "\""; }
}  // namespace

std::string HealthJson(const HealthReport& r) {
  std::string s = Format("{\"bytesRead\":%llu,\"protocol\":\"%s\"", static_cast<unsigned long long>(r.bytes),
                         r.protocolSelector == 1 ? "ktx" : "nmea");
  if (r.protocolSelector == 1) s += Format(",\"message\":%d", r.sourceMessage);
  s += Format(",\"epochs\":%llu,\"epochsWithPosition\":%llu,\"untimedEpochs\":%llu",
              static_cast<unsigned long long>(r.epochs), static_cast<unsigned long long>(r.epochsWithPosition),
              static_cast<unsigned long long>(r.untimedEpochs));
  s += ",\"first\":" + (r.firstNs ? JsonTime(*r.firstNs, r.hasDate) : std::string("null"));
  s += ",\"last\":" + (r.firstNs ? JsonTime(r.lastNs, r.hasDate) : std::string("null"));
  if (r.intervalNs) {
    s += ",\"intervalSeconds\":" + Seconds(*r.intervalNs) +
         ",\"rateHz\":" + Seconds(static_cast<int64_t>(1e18 / static_cast<double>(*r.intervalNs)));
  } else {
    s += ",\"intervalSeconds\":null,\"rateHz\":null";
  }
  s += Format(",\"gapCount\":%llu,\"gaps\":[", static_cast<unsigned long long>(r.gapCount));
  for (std::size_t i = 0; i < r.gaps.size(); ++i) {
    const HealthGap& g = r.gaps[i];
    s += std::string(i ? "," : "") + "{\"start\":" + JsonTime(g.startNs, g.hasDate) +
         ",\"lengthSeconds\":" + Seconds(g.lengthNs) +
         Format(",\"missing\":%llu,\"offset\":%llu}", static_cast<unsigned long long>(g.missing),
                static_cast<unsigned long long>(g.offset));
  }
  s += Format("],\"jumpCount\":%llu,\"jumps\":[", static_cast<unsigned long long>(r.jumpCount));
  for (std::size_t i = 0; i < r.jumps.size(); ++i) {
    const HealthJump& j = r.jumps[i];
    s += std::string(i ? "," : "") + "{\"from\":" + JsonTime(j.fromNs, j.hasDate) + ",\"to\":" +
         JsonTime(j.toNs, j.hasDate) + Format(",\"offset\":%llu}", static_cast<unsigned long long>(j.offset));
  }
  s += Format("],\"repeatCount\":%llu,\"repeats\":[", static_cast<unsigned long long>(r.repeatCount));
  for (std::size_t i = 0; i < r.repeats.size(); ++i) {
    const HealthRepeat& p = r.repeats[i];
    s += std::string(i ? "," : "") + "{\"time\":" + JsonTime(p.timeNs, p.hasDate) +
         Format(",\"offset\":%llu}", static_cast<unsigned long long>(p.offset));
  }
  s += Format("],\"errorCount\":%llu,\"errors\":[", static_cast<unsigned long long>(r.faultCount));
  for (std::size_t i = 0; i < r.faults.size(); ++i) {
    s += Format("%s{\"offset\":%llu,\"kind\":\"%s\"}", i ? "," : "", static_cast<unsigned long long>(r.faults[i].offset),
                HealthFaultName(r.faults[i].fault));
  }
  s += Format("],\"protocolErrorCount\":%u,\"nmeaChecksumErrorCount\":%u,\"modes\":[",
              r.counters.protocolErrorCount, r.counters.nmeaChecksumErrorCount);
  bool first = true;
  for (const auto& [mode, count] : r.modes) {
    const double share = r.epochs > 0 ? static_cast<double>(count) / static_cast<double>(r.epochs) : 0;
    s += Format("%s{\"mode\":%s,\"name\":\"%s\",\"epochs\":%llu,\"share\":%.4f}", first ? "" : ",",
                mode < 0 ? "null" : Format("%d", mode).c_str(), HealthModeName(r.protocolSelector, mode).c_str(),
                static_cast<unsigned long long>(count), share);
    first = false;
  }
  return s + "]}\n";
}

}  // namespace orv
