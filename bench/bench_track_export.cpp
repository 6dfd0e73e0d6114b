// Track export over long logs: a KTX Binary log of message 20 at 10 Hz, each epoch followed by
// a satellite status frame, made at 12.5, 25, 50 and 100 MiB and exported as GPX and as
// GeoJSON (which spools its columns to temporary files). The time should grow in step with the
// size and the peak memory of the process (peak_rss_MiB, VmHWM) not at all: the sizes run from
// small to large, so a peak that grew with the log would show at the larger ones.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "track/TrackExport.h"

namespace {

constexpr double kPi = 3.141592653589793;

std::vector<uint8_t> Frame(uint8_t id, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> f(payload.size() + 4);
  f[0] = 0x01;
  f[1] = id;
  f[2] = static_cast<uint8_t>(~id);
  f[3] = static_cast<uint8_t>(payload.size());
  std::copy(payload.begin(), payload.end(), f.begin() + 4);
  uint16_t sum = 0;
  for (uint8_t b : f) sum = static_cast<uint16_t>(sum + b);
  f.push_back(static_cast<uint8_t>(sum & 0xFF));
  f.push_back(static_cast<uint8_t>(sum >> 8));
  return f;
}

std::vector<uint8_t> Epoch(long tenths) {
  std::vector<uint8_t> p(71, 0);
  const long s = tenths / 10;
  const long day = s / 86400;
  p[0] = static_cast<uint8_t>(s / 3600 % 24);
  p[1] = static_cast<uint8_t>(s / 60 % 60);
  const double sec = static_cast<double>(s % 60) + static_cast<double>(tenths % 10) / 10;
  std::memcpy(&p[2], &sec, 8);
  p[10] = static_cast<uint8_t>(1 + day % 28);
  p[11] = 3;
  p[12] = 2026 & 0xFF;
  p[13] = 2026 >> 8;
  const double lat = (45 + 1e-6 * static_cast<double>(tenths % 100000)) * kPi / 180;
  const double lon = (7 + 1e-6 * static_cast<double>(tenths % 77777)) * kPi / 180;
  const float alt = 250.5f;
  std::memcpy(&p[14], &lat, 8);
  std::memcpy(&p[22], &lon, 8);
  std::memcpy(&p[30], &alt, 4);
  p[62] = 9;
  p[64] = 14;
  p[66] = 2;
  p[67] = 8;
  return Frame(20, p);
}

// The log of `bytes` bytes, made once per size in the temporary directory.
std::string LogOf(std::size_t bytes) {
  static std::map<std::size_t, std::string> made;
  auto it = made.find(bytes);
  if (it != made.end()) return it->second;
  const std::string path = "/tmp/orvantis-bench-track-" + std::to_string(bytes) + ".log";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<uint8_t> sv(61, 0);
  sv[0] = 12;
  const std::vector<uint8_t> status = Frame(33, sv);
  std::size_t written = 0;
  for (long t = 0; written < bytes; ++t) {
    const std::vector<uint8_t> e = Epoch(t);
    out.write(reinterpret_cast<const char*>(e.data()), static_cast<std::streamsize>(e.size()));
    out.write(reinterpret_cast<const char*>(status.data()), static_cast<std::streamsize>(status.size()));
    written += e.size() + status.size();
  }
  made[bytes] = path;
  return path;
}

double PeakRssMiB() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

void BM_TrackExport(benchmark::State& state) {
  const auto format = static_cast<orv::TrackFormat>(state.range(0));
  const std::size_t bytes = static_cast<std::size_t>(state.range(1)) << 17;  // units of 128 KiB
  const std::string path = LogOf(bytes);
  uint64_t points = 0;
  for (auto _ : state) {
    std::FILE* log = std::fopen(path.c_str(), "rb");
    std::FILE* out = std::fopen("/dev/null", "wb");
    const orv::TrackExportResult r = orv::ExportTrack(log, {}, format, out, "bench.log");
    std::fclose(log);
    std::fclose(out);
    points = r.points;
    benchmark::DoNotOptimize(points);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["points"] = static_cast<double>(points);
  state.counters["MiB"] = static_cast<double>(bytes) / (1 << 20);
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}

// Sizes in units of 128 KiB: 100, 200, 400, 800 (12.5 to 100 MiB).
BENCHMARK(BM_TrackExport)
    ->ArgsProduct({{static_cast<long>(orv::TrackFormat::kGpx), static_cast<long>(orv::TrackFormat::kGeoJson)},
                   {100, 200, 400, 800}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
