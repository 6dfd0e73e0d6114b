// `stats`: runs a log file through the decoder and prints its counters and the count of each
// message number (or NMEA sentence slot), as a table or as one JSON object.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "Command.h"
#include "Options.h"
#include "logging/LogFile.h"
#include "nmea/ReceiverDecoder.h"
#include "track/LogHealth.h"
#include "util/Format.h"

namespace orv::cli {
namespace {

constexpr uint32_t kBlock = 4096;

void PrintJson(const DecoderCounters& c, uint64_t bytes) {
  std::string s = Format(
      "{\"bytesRead\":%llu,\"validMessageCount\":%u,\"protocolErrorCount\":%u,\"nmeaSentenceCount\":%u,"
      "\"nmeaChecksumErrorCount\":%u,\"messageCountById\":",
      static_cast<unsigned long long>(bytes), c.validMessageCount, c.protocolErrorCount, c.nmeaSentenceCount,
      c.nmeaChecksumErrorCount);
  s += CountsJson(c.messageCountById) + ",\"nmeaCountBySlot\":" + CountsJson(c.nmeaCountBySlot) + "}\n";
  std::fputs(s.c_str(), stdout);
}

void PrintCounts(const char* heading, const std::array<uint32_t, kCounterSlots>& counts) {
  bool any = false;
  for (int i = 0; i < kCounterSlots; ++i) {
    const uint32_t c = counts[static_cast<std::size_t>(i)];
    if (c == 0) continue;
    if (!any) std::printf("\n%-6s %10s\n", heading, "Count");
    any = true;
    std::printf("%6d %10u\n", i, c);
  }
}

void PrintTable(const std::string& path, int protocol, const DecoderCounters& c, uint64_t bytes) {
  std::printf("File:                   %s\n", path.c_str());
  std::printf("Protocol:               %s\n", protocol ? "KTX Binary" : "NMEA");
  std::printf("Bytes read:             %llu\n", static_cast<unsigned long long>(bytes));
  std::printf("Valid messages:         %u\n", c.validMessageCount);
  std::printf("Protocol errors:        %u\n", c.protocolErrorCount);
  std::printf("NMEA sentences:         %u\n", c.nmeaSentenceCount);
  std::printf("NMEA checksum errors:   %u\n", c.nmeaChecksumErrorCount);
  PrintCounts("Msg", c.messageCountById);
  PrintCounts("Slot", c.nmeaCountBySlot);
}

// The health report: epochs, rate, gaps, time jumps, repeated epochs, faults with their
// offsets and the share of each navigation mode or fix quality.
int RunHealth(const std::string& path, int protocol, bool json) {
  LogFile probe;
  if (!OpenLogForReading(path, probe, "stats")) return 2;
  std::FILE* log = std::fopen(path.c_str(), "rb");
  if (log == nullptr) {
    std::fprintf(stderr, "orvantis-cli stats: cannot read '%s': %s\n", path.c_str(), std::strerror(errno));
    return 2;
  }
  EpochOptions options;
  options.protocolSelector = protocol;
  const HealthReport report = ReadLogHealth(log, options);
  const bool failed = std::ferror(log) != 0;
  std::fclose(log);
  if (failed) {
    std::fprintf(stderr, "orvantis-cli stats: reading '%s' failed\n", path.c_str());
    return 1;
  }
  std::fputs((json ? HealthJson(report) : HealthText(report, path)).c_str(), stdout);
  return 0;
}

int RunStats(const std::vector<std::string>& args) {
  auto parsed = ParseProtocolArgs(args, "stats");
  if (!parsed) return 2;
  bool json = false;
  bool health = false;
  for (const std::string& flag : parsed->flags) {
    if (flag == "--json") {
      json = true;
    } else if (flag == "--health") {
      health = true;
    } else {
      std::fprintf(stderr, "orvantis-cli stats: unknown option '%s'\n", flag.c_str());
      return 2;
    }
  }
  if (parsed->positional.size() != 1) {
    std::fprintf(stderr, "usage: orvantis-cli stats [--protocol ktx|nmea|auto] [--health] [--json] FILE\n");
    return 2;
  }
  const std::string& path = parsed->positional[0];
  ResolveProtocol(*parsed, path, "stats");
  if (health) return RunHealth(path, parsed->protocolSelector, json);
  LogFile file;
  if (!OpenLogForReading(path, file, "stats")) return 2;
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(static_cast<uint32_t>(parsed->protocolSelector));
  decoder.SetTimeGateOpen(1);
  file.SetSink(&decoder);
  uint64_t bytes = 0;
  while (const uint32_t n = file.Receive(kBlock)) bytes += n;
  if (json) {
    PrintJson(decoder.counters(), bytes);
  } else {
    PrintTable(path, parsed->protocolSelector, decoder.counters(), bytes);
  }
  std::fflush(stdout);
  ReportNothingDecoded(path, bytes, decoder.counters(), "stats");
  return 0;
}

const Register kStats({"stats", "stats [--protocol ktx|nmea|auto] [--health] [--json] FILE",
                       "print the decoder's counters and the count of each message of a log file, or its health",
                       RunStats});

}  // namespace
}  // namespace orv::cli
