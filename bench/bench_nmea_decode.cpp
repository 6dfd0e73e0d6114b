// Full NMEA decoding throughput: framing, checksum, identification and field parsing into the
// records, over the real receiver logs of the test data repeated to 16 MiB and fed in the
// 1000-byte blocks the main loop reads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "nmea/ReceiverDecoder.h"

namespace {

constexpr std::size_t kStreamSize = 16u << 20;
constexpr uint32_t kBlock = 1000;

// The logs without the collectors' '#' notes, repeated to kStreamSize, plus the spare byte
// Decode may write after a block.
std::vector<uint8_t> LoadStream() {
  const std::filesystem::path dir = std::filesystem::path(ORVANTIS_TESTDATA_DIR) / "nmea";
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return {};
  std::vector<std::filesystem::path> logs;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".log") logs.push_back(entry.path());
  }
  std::sort(logs.begin(), logs.end());
  std::string once;
  for (const auto& log : logs) {
    std::ifstream in(log, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] != '#') once += line + "\n";
    }
  }
  if (once.empty()) return {};
  std::vector<uint8_t> stream;
  stream.reserve(kStreamSize + 1);
  while (stream.size() < kStreamSize) {
    const std::size_t n = std::min(once.size(), kStreamSize - stream.size());
    stream.insert(stream.end(), once.begin(), once.begin() + static_cast<long>(n));
  }
  stream.push_back(0);
  return stream;
}

// range(0) is the time gate: 1 decodes in full, 0 frames, checks, identifies and counts the
// sentences without parsing them, which shows what the field parsing costs.
void BM_NmeaDecode(benchmark::State& state) {
  static std::vector<uint8_t> stream = LoadStream();
  if (stream.empty()) {
    state.SkipWithError("no NMEA test data at ../shared/testdata/nmea");
    return;
  }
  const std::size_t size = stream.size() - 1;
  orv::ReceiverDecoder decoder;
  decoder.SetProtocolSelector(0);
  decoder.SetTimeGateOpen(static_cast<uint32_t>(state.range(0)));
  for (auto _ : state) {
    for (std::size_t at = 0; at < size; at += kBlock) {
      const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(kBlock, size - at));
      decoder.Decode(stream.data() + at, n);
    }
    benchmark::DoNotOptimize(decoder.nmea().gga().utcSeconds);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
  state.counters["sentences"] = benchmark::Counter(static_cast<double>(decoder.counters().nmeaSentenceCount));
}
BENCHMARK(BM_NmeaDecode)->ArgName("parse")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
