// Full NMEA decoding throughput: framing, checksum, identification and field parsing into the
// records, over the real receiver logs of the test data repeated to 16 MiB and fed in the
// 1000-byte blocks the main loop reads.
//
// Beside it, for scale, a conventional C parser of the kind small NMEA libraries are: lines
// split at line ends, the checksum checked by XOR and strtol, the sentence named by strncmp,
// its fields cut at commas and converted with strtod and atoi into a fix structure. Its
// framing-only run stops after the checksum and the name.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <cstdlib>
#include <cstring>

#include "RatioReporter.h"
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

struct ReferenceFix {
  double time = 0, lat = 0, lon = 0, alt = 0, hdop = 0, pdop = 0, vdop = 0, speed = 0, course = 0;
  int quality = 0, used = 0, fixType = 0, inView = 0, sentences = 0;
  int prn[64] = {}, elevation[64] = {}, azimuth[64] = {}, snr[64] = {};
};

double DegreesOf(const char* field) {
  const double v = std::strtod(field, nullptr);
  const double d = static_cast<int>(v / 100);
  return d + (v - 100 * d) / 60.0;
}

// One line without its line end; false when it is not a valid sentence.
bool ReferenceSentence(char* line, std::size_t n, bool parse, ReferenceFix& fix) {
  if (n < 9 || line[0] != '$') return false;
  char* star = static_cast<char*>(std::memchr(line, '*', n));
  if (star == nullptr || star + 3 > line + n) return false;
  unsigned x = 0;
  for (const char* p = line + 1; p < star; ++p) x ^= static_cast<unsigned char>(*p);
  char hex[3] = {star[1], star[2], 0};
  if (std::strtol(hex, nullptr, 16) != static_cast<long>(x)) return false;
  const char* type = line + 3;
  const bool gga = std::strncmp(type, "GGA", 3) == 0, rmc = std::strncmp(type, "RMC", 3) == 0;
  const bool gsa = std::strncmp(type, "GSA", 3) == 0, gsv = std::strncmp(type, "GSV", 3) == 0;
  ++fix.sentences;
  if (!parse) return true;
  *star = 0;
  char* f[40];
  int count = 0;
  for (char* p = line; count < 40;) {
    f[count++] = p;
    char* comma = std::strchr(p, ',');
    if (comma == nullptr) break;
    *comma = 0;
    p = comma + 1;
  }
  if (gga && count >= 10) {
    fix.time = std::strtod(f[1], nullptr);
    fix.lat = DegreesOf(f[2]) * (f[3][0] == 'S' ? -1 : 1);
    fix.lon = DegreesOf(f[4]) * (f[5][0] == 'W' ? -1 : 1);
    fix.quality = std::atoi(f[6]);
    fix.used = std::atoi(f[7]);
    fix.hdop = std::strtod(f[8], nullptr);
    fix.alt = std::strtod(f[9], nullptr);
  } else if (rmc && count >= 9) {
    fix.time = std::strtod(f[1], nullptr);
    fix.lat = DegreesOf(f[3]) * (f[4][0] == 'S' ? -1 : 1);
    fix.lon = DegreesOf(f[5]) * (f[6][0] == 'W' ? -1 : 1);
    fix.speed = std::strtod(f[7], nullptr);
    fix.course = std::strtod(f[8], nullptr);
  } else if (gsa && count >= 18) {
    fix.fixType = std::atoi(f[2]);
    fix.pdop = std::strtod(f[15], nullptr);
    fix.hdop = std::strtod(f[16], nullptr);
    fix.vdop = std::strtod(f[17], nullptr);
  } else if (gsv && count >= 4) {
    fix.inView = std::atoi(f[3]);
    const int first = (std::atoi(f[2]) - 1) * 4;
    for (int k = 0; k < 4 && 4 + 4 * k + 3 < count; ++k) {
      const int i = (first + k) & 63;
      fix.prn[i] = std::atoi(f[4 + 4 * k]);
      fix.elevation[i] = std::atoi(f[5 + 4 * k]);
      fix.azimuth[i] = std::atoi(f[6 + 4 * k]);
      fix.snr[i] = std::atoi(f[7 + 4 * k]);
    }
  }
  return true;
}

// range(0) as for BM_NmeaDecode. The line is copied out of the stream first, as such parsers
// take one NUL-terminated sentence at a time.
void BM_ReferenceParser(benchmark::State& state) {
  static std::vector<uint8_t> stream = LoadStream();
  if (stream.empty()) {
    state.SkipWithError("no NMEA test data at ../shared/testdata/nmea");
    return;
  }
  const std::size_t size = stream.size() - 1;
  const bool parse = state.range(0) != 0;
  ReferenceFix fix;
  char line[256];
  for (auto _ : state) {
    fix.sentences = 0;
    const char* p = reinterpret_cast<const char*>(stream.data());
    const char* end = p + size;
    while (p < end) {
      const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (eol == nullptr) eol = end;
      std::size_t n = static_cast<std::size_t>(eol - p);
      if (n > 0 && p[n - 1] == '\r') --n;
      if (n < sizeof line) {
        std::memcpy(line, p, n);
        line[n] = 0;
        ReferenceSentence(line, n, parse, fix);
      }
      p = eol + 1;
    }
    benchmark::DoNotOptimize(fix);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
  state.counters["sentences"] = benchmark::Counter(static_cast<double>(fix.sentences));
}
BENCHMARK(BM_ReferenceParser)->ArgName("parse")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return orvbench::RunWithRatios(argc, argv, {{"BM_NmeaDecode/parse:1", "BM_ReferenceParser/parse:1"},
                                              {"BM_NmeaDecode/parse:0", "BM_ReferenceParser/parse:0"},
                                              {"BM_NmeaDecode/parse:0", "BM_NmeaDecode/parse:1"}});
}
