// Decoder throughput: 16 MiB of binary frames (payloads 0 to 255 bytes, 1% corrupted) and
// 16 MiB of NMEA sentences, fed to Decode in 1000-byte blocks with the counters running. The
// same 16 MiB copied (memcpy) and searched for a byte that is not there (memchr) in the same
// run give the memory speed the framing is compared with. `orvantis-cli decode` prints the same
// streams as JSON lines (to /dev/null), end to end, beside the bare decoder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <random>
#include <string>
#include <vector>

#include "protocol/Frame.h"
#include "nmea/ReceiverDecoder.h"
#include "util/Format.h"
#include "RatioReporter.h"

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

// The blocks are decoded where they lie in the stream, as the poll decodes its read buffer:
// the figure is the decoder's, without a copy of the input.
void Run(benchmark::State& state, const std::vector<uint8_t>& input, uint32_t selector, uint32_t gate = 1) {
  std::vector<uint8_t> stream = input;
  stream.push_back(0);  // the spare byte Decode may write after a block
  const std::size_t size = input.size();
  for (auto _ : state) {
    orv::ReceiverDecoder decoder;
    decoder.SetProtocolSelector(selector);
    decoder.SetTimeGateOpen(gate);
    for (std::size_t pos = 0; pos < size; pos += kBlock) {
      const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(kBlock, size - pos));
      decoder.Decode(stream.data() + pos, n);
    }
    benchmark::DoNotOptimize(decoder.counters().validMessageCount);
    state.counters["valid"] = decoder.counters().validMessageCount + decoder.counters().nmeaSentenceCount;
    state.counters["errors"] = decoder.counters().protocolErrorCount + decoder.counters().nmeaChecksumErrorCount;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// range(0) is the time gate: 1 stores every record, 0 frames, checks and counts the frames
// and keeps only the few records the gate does not hold back.
void BM_DecodeBinaryFrames(benchmark::State& state) {
  static const std::vector<uint8_t> stream = BinaryStream();
  Run(state, stream, 1, static_cast<uint32_t>(state.range(0)));
}
void BM_DecodeNmeaSentences(benchmark::State& state) {
  static const std::vector<uint8_t> stream = NmeaStream();
  Run(state, stream, 0);
}

// The reference rates: a copy of the stream and a search through it.
void BM_Memcpy(benchmark::State& state) {
  static const std::vector<uint8_t> stream = BinaryStream();
  std::vector<uint8_t> copy(stream.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), stream.data(), stream.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
void BM_Memchr(benchmark::State& state) {
  static const std::vector<uint8_t> stream = NmeaStream();
  for (auto _ : state) {
    // '~' never occurs in the generated sentences: the search reads all 16 MiB.
    benchmark::DoNotOptimize(std::memchr(stream.data(), '~', stream.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}

#ifdef ORVANTIS_CLI_PATH
double ChildCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// The whole command, its reading, decoding and printing; timed by the CPU time it used.
void CliDecode(benchmark::State& state, const std::vector<uint8_t>& stream, const char* protocol) {
  char path[] = "/tmp/orvantis-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || write(fd, stream.data(), stream.size()) != static_cast<ssize_t>(stream.size())) {
    state.SkipWithError("cannot write the log");
    return;
  }
  close(fd);
  for (auto _ : state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(ORVANTIS_CLI_PATH), const_cast<char*>("decode"), path,
                    const_cast<char*>("--protocol"), const_cast<char*>(protocol), nullptr};
    const double cpu0 = ChildCpuSeconds();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, ORVANTIS_CLI_PATH, &actions, nullptr, argv, environ) == 0) waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0) {
      state.SkipWithError("orvantis-cli decode failed");
      break;
    }
    state.SetIterationTime(ChildCpuSeconds() - cpu0);
  }
  unlink(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
void BM_CliDecodeBinary(benchmark::State& state) {
  static const std::vector<uint8_t> stream = BinaryStream();
  CliDecode(state, stream, "ktx");
}
void BM_CliDecodeNmea(benchmark::State& state) {
  static const std::vector<uint8_t> stream = NmeaStream();
  CliDecode(state, stream, "nmea");
}
BENCHMARK(BM_CliDecodeBinary)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CliDecodeNmea)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
#endif

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Memchr)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecodeBinaryFrames)->ArgName("gate")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecodeNmeaSentences)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  return orvbench::RunWithRatios(argc, argv, {{"BM_DecodeBinaryFrames/gate:1", "BM_Memcpy"},
                                              {"BM_DecodeBinaryFrames/gate:0", "BM_Memcpy"},
                                              {"BM_DecodeBinaryFrames/gate:1", "BM_Memchr"},
                                              {"BM_DecodeNmeaSentences", "BM_Memcpy"},
                                              {"BM_CliDecodeBinary", "BM_DecodeBinaryFrames/gate:1"},
                                              {"BM_CliDecodeNmea", "BM_DecodeNmeaSentences"}});
}
