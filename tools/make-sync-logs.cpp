// Writes a base-station log and a rover log of the same scene, for synchronized playback: one
// epoch per second of week, each a navigation solution and then a measurement block stamped at
// the exact second. Options shift the base file's start, leave a gap in the rover file, end the
// base file early and, with a start near the end of the week, run across the week boundary.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "protocol/Frame.h"
#include "util/ByteIo.h"
#include "ToolOptions.h"

namespace {

using orv::ByteWriter;
constexpr double kWeek = 604800.0;

void Append(std::vector<uint8_t>& out, uint8_t id, const std::vector<uint8_t>& payload) {
  uint8_t frame[orv::kMaxFrameLength];
  const std::size_t n = orv::BuildFrame(id, payload, frame);
  out.insert(out.end(), frame, frame + n);
}

std::vector<uint8_t> NavLlh(double t, double north) {
  std::vector<uint8_t> p(71);
  ByteWriter w(p);
  const double lat = (45.2942232 + north) * 3.14159265358979323846 / 180.0;
  const double lon = -73.4136473 * 3.14159265358979323846 / 180.0;
  w.Put<uint8_t>(14).Put<uint8_t>(30).Put(static_cast<double>(static_cast<int64_t>(t) % 60)).Put<uint8_t>(8);
  w.Put<uint8_t>(12).Put<uint16_t>(2026).Put(lat).Put(lon).Put(30.0f);
  return p;
}

std::vector<uint8_t> Measurement(double t, int epoch) {
  std::vector<uint8_t> p(11 + 4 * 11);
  ByteWriter w(p);
  w.Put<uint16_t>(0).Put<uint8_t>(4).Put(t);
  for (uint8_t ch = 0; ch < 4; ++ch) {
    w.Put<uint8_t>(static_cast<uint8_t>(ch * 5 + 2)).Put<uint8_t>(static_cast<uint8_t>(170 + ch));
    w.Put<uint32_t>(1000000u * ch + static_cast<uint32_t>(epoch)).Put<uint32_t>(4000u * ch).Put<uint8_t>(0);
  }
  return p;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

constexpr char kUsage[] =
    "usage: make-sync-logs DIR [--start SOW] [--epochs N] [--base-offset S] [--gap FIRST:COUNT]\n"
    "                      [--base-epochs N]\n"
    "writes DIR/base.log and DIR/rover.log\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const orv::tools::StandardOutcome standard = orv::tools::HandleStandardOptions(
      argc, argv, "make-sync-logs", kUsage, {"--start", "--epochs", "--base-offset", "--gap", "--base-epochs"});
  if (!standard.run) return standard.status;
  if (argc < 2 || argv[1][0] == '-') return Usage();
  const std::string dir = argv[1];
  double start = 302400.0;
  int epochs = 20, baseOffset = 0, gapFirst = -1, gapCount = 0, baseEpochs = -1;
  for (int i = 2; i < argc; ++i) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (opt == "--start") {
      start = std::strtod(value, nullptr);
    } else if (opt == "--epochs") {
      epochs = std::atoi(value);
    } else if (opt == "--base-offset") {
      baseOffset = std::atoi(value);
    } else if (opt == "--gap") {
      if (std::sscanf(value, "%d:%d", &gapFirst, &gapCount) != 2) return Usage();
    } else if (opt == "--base-epochs") {
      baseEpochs = std::atoi(value);
    } else {
      return Usage();
    }
  }
  if (epochs < 1 || epochs > 100000 || start < 0 || start >= kWeek) return Usage();
  if (baseEpochs < 0) baseEpochs = epochs;

  auto second = [start](int k) {
    double t = start + k;
    while (t >= kWeek) t -= kWeek;
    return t;
  };
  std::vector<uint8_t> rover = {0x55, 0x0D, 0x0A};  // recording started mid-line
  std::vector<uint8_t> base;
  for (int e = 0; e < epochs; ++e) {
    if (e >= gapFirst && e < gapFirst + gapCount) continue;
    Append(rover, 20, NavLlh(second(e), 0.0001 * e));
    Append(rover, 23, Measurement(second(e), e));
  }
  for (int e = 0; e < baseEpochs; ++e) {
    const double t = second(e + baseOffset);
    Append(base, 20, NavLlh(t, 0.0));
    Append(base, 23, Measurement(t, e));
  }
  if (!WriteFile(dir + "/base.log", base) || !WriteFile(dir + "/rover.log", rover)) {
    std::fprintf(stderr, "make-sync-logs: cannot write in %s\n", dir.c_str());
    return 1;
  }
  std::printf("%s/base.log %zu bytes, %s/rover.log %zu bytes\n", dir.c_str(), base.size(), dir.c_str(), rover.size());
  return 0;
}
