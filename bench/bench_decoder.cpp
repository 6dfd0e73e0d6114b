// Decoder throughput: 16 MiB of binary frames (payloads 0 to 255 bytes, 1% corrupted) and
// 16 MiB of NMEA sentences, fed to Decode in 1000-byte blocks with the counters running.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "protocol/Frame.h"
#include "nmea/ReceiverDecoder.h"
#include "util/Format.h"

namespace {

constexpr std::size_t kStreamSize = 16u << 20;
constexpr uint32_t kBlock = 1000;

std::vector<uint8_t> BinaryStream() {
  std::mt19937 rng(42);
  std::vector<uint8_t> out;
  out.reserve(kStreamSize + 300);
  uint8_t frame[orv::kMaxFrameLength];
  std::vector<uint8_t> payload(255);
  while (out.size() < kStreamSize) {
    const std::size_t n = rng() % 256;
    for (std::size_t i = 0; i < n; ++i) payload[i] = static_cast<uint8_t>(rng());
    const std::size_t len = orv::BuildFrame(static_cast<uint8_t>(rng() % 128), {payload.data(), n}, frame);
    if (rng() % 100 == 0) frame[rng() % len] ^= 0x5A;
    out.insert(out.end(), frame, frame + len);
  }
  out.resize(kStreamSize);
  return out;
}

std::vector<uint8_t> NmeaStream() {
  std::mt19937 rng(7);
  std::vector<uint8_t> out;
  out.reserve(kStreamSize + 100);
  while (out.size() < kStreamSize) {
    const double t = 120000 + (rng() % 100000) / 100.0;
    std::string body;
    switch (rng() % 4) {
      case 0: body = orv::Format("GPGGA,%09.2f,4517.6534,N,07324.8188,W,1,08,0.9,30.1,M,-32.4,M,,", t); break;
      case 1: body = orv::Format("GPRMC,%09.2f,A,4517.6534,N,07324.8188,W,0.52,123.4,081226,,,A", t); break;
      case 2: body = "GPGSA,A,3,04,05,09,12,17,22,24,25,,,,,1.8,0.9,1.5"; break;
      default: body = "GPGSV,3,1,11,04,45,120,42,05,12,300,38,09,77,020,47,12,33,210,40"; break;
    }
    uint8_t x = 0;
    for (char c : body) x ^= static_cast<uint8_t>(c);
    const std::string s = "$" + body + orv::Format("*%02X\r\n", x);
    out.insert(out.end(), s.begin(), s.end());
  }
  out.resize(kStreamSize);
  return out;
}

void Run(benchmark::State& state, const std::vector<uint8_t>& stream, uint32_t selector) {
  std::vector<uint8_t> block(kBlock + 1);
  for (auto _ : state) {
    orv::ReceiverDecoder decoder;
    decoder.SetProtocolSelector(selector);
    decoder.SetTimeGateOpen(1);
    for (std::size_t pos = 0; pos < stream.size(); pos += kBlock) {
      const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(kBlock, stream.size() - pos));
      std::copy_n(stream.data() + pos, n, block.data());
      decoder.Decode(block.data(), n);
    }
    benchmark::DoNotOptimize(decoder.counters().validMessageCount);
    state.counters["valid"] = decoder.counters().validMessageCount + decoder.counters().nmeaSentenceCount;
    state.counters["errors"] = decoder.counters().protocolErrorCount + decoder.counters().nmeaChecksumErrorCount;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}

void BM_DecodeBinaryFrames(benchmark::State& state) {
  static const std::vector<uint8_t> stream = BinaryStream();
  Run(state, stream, 1);
}
void BM_DecodeNmeaSentences(benchmark::State& state) {
  static const std::vector<uint8_t> stream = NmeaStream();
  Run(state, stream, 0);
}

BENCHMARK(BM_DecodeBinaryFrames)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecodeNmeaSentences)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
