// orvantis-sim: a simulated receiver on a pseudo-terminal. Prints the device path for the
// console on its first line, then behaves as a receiver on it until interrupted.
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/PosixSerialDevice.h"
#include "sim/SimHost.h"
#include "OrvantisVersion.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) { gStop = 1; }

constexpr const char* kUsage =
    "usage: orvantis-sim [--protocol ktx|nmea] [--baud N] [--seed N] [--rate-limit on|off|full]\n"
    "                    [--start-gps SECONDS] [--bad-checksum N] [--sent-copy FILE]\n"
    "                    [--almanac-drop-ack K] [--almanac-fail]\n"
    "       orvantis-sim --help | --version\n"
    "  --protocol    what the receiver talks at start (default ktx)\n"
    "  --baud        its line rate in bit/s, 300 to 921600 (default 9600)\n"
    "  --seed        the sky and the track (default 1)\n"
    "  --rate-limit  pace output at the line rate (default on); off sends as fast as the\n"
    "                console reads and runs the receiver's clock ahead to keep it busy; full\n"
    "                runs the clock ahead too but paces at the line rate: a full line\n"
    "  --start-gps   GPS time at start, seconds since 6 January 1980 (default: now)\n"
    "  --bad-checksum  send every Nth frame or sentence with a wrong checksum (default 0: none)\n"
    "  --sent-copy   also write every byte sent on the line to FILE\n"
    "  --almanac-drop-ack K  leave the almanac upload's message K unacknowledged (0: the header\n"
    "                  78, k: the k-th record 79)\n"
    "  --almanac-fail  answer the almanac header 78 with 78 (reception failed)\n"
    "  --download-drop-block K     leave block K of a file download out, once\n"
    "  --download-corrupt-block K  send block K once with a wrong checksum\n"
    "  --download-repeat-block K   send block K twice\n"
    "  --download-silent-after K   say nothing more after block K\n"
    "  --download-refuse-switch    keep the download at the rate it started at\n"
    "  --download-fail-initiate    answer every INITIATE with a failure\n";

// Digits only: strtoul alone would take "-1" as a huge number.
bool ParseUnsigned(const char* text, unsigned long& out) {
  if (text == nullptr || !std::isdigit(static_cast<unsigned char>(*text))) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoul(text, &end, 10);
  return *end == '\0' && errno == 0;
}

// GPS weeks must stay well inside an int: about 3000 years of seconds.
constexpr unsigned long kLatestStartGps = 100'000'000'000ul;

// Fills the options from argv; false (after a message) on anything it does not understand.
bool ParseArgs(int argc, char** argv, orv::sim::HostOptions& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned long n = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--version") {
      std::printf("orvantis-sim %s\n", kOrvantisVersion);
      std::exit(0);
    } else if (arg == "--protocol" && value != nullptr && (!std::strcmp(value, "ktx") || !std::strcmp(value, "nmea"))) {
      o.receiver.protocol = std::strcmp(value, "ktx") == 0 ? orv::sim::SimProtocol::Ktx : orv::sim::SimProtocol::Nmea;
    } else if (arg == "--baud" && ParseUnsigned(value, n) && orv::PosixSerialDevice::SpeedFor(n)) {
      o.receiver.baud = static_cast<uint32_t>(n);
    } else if (arg == "--seed" && ParseUnsigned(value, n)) {
      o.receiver.seed = static_cast<uint32_t>(n);
    } else if (arg == "--rate-limit" && value != nullptr &&
               (!std::strcmp(value, "on") || !std::strcmp(value, "off") || !std::strcmp(value, "full"))) {
      o.rateLimit = std::strcmp(value, "off") != 0;
      o.fillLine = std::strcmp(value, "full") == 0;
    } else if (arg == "--bad-checksum" && ParseUnsigned(value, n) && n <= 1'000'000ul) {
      o.receiver.badChecksumEvery = static_cast<uint32_t>(n);
    } else if (arg == "--sent-copy" && value != nullptr && *value != '\0') {
      o.sentCopyPath = value;
    } else if (arg == "--almanac-drop-ack" && ParseUnsigned(value, n) && n <= 32) {
      o.receiver.almanac.dropAck = static_cast<int>(n);
    } else if (arg == "--download-drop-block" && ParseUnsigned(value, n) && n <= 0xFFFFFFFFul) {
      o.receiver.download.dropBlock = static_cast<uint32_t>(n);
    } else if (arg == "--download-corrupt-block" && ParseUnsigned(value, n) && n <= 0xFFFFFFFFul) {
      o.receiver.download.corruptBlock = static_cast<uint32_t>(n);
    } else if (arg == "--download-repeat-block" && ParseUnsigned(value, n) && n <= 0xFFFFFFFFul) {
      o.receiver.download.repeatBlock = static_cast<uint32_t>(n);
    } else if (arg == "--download-silent-after" && ParseUnsigned(value, n) && n <= 0xFFFFFFFFul) {
      o.receiver.download.silentAfter = static_cast<uint32_t>(n);
    } else if (arg == "--download-refuse-switch") {
      o.receiver.download.refuseSwitch = true;
      continue;
    } else if (arg == "--download-fail-initiate") {
      o.receiver.download.failInitiate = true;
      continue;
    } else if (arg == "--almanac-fail") {
      o.receiver.almanac.failHeader = true;
      continue;
    } else if (arg == "--start-gps" && ParseUnsigned(value, n) && n <= kLatestStartGps) {
      o.receiver.startGpsTime = static_cast<double>(n);
    } else {
      std::fprintf(stderr, "orvantis-sim: bad argument '%s'%s%s\n%s", arg.c_str(), value ? " " : "", value ? value : "",
                   kUsage);
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  orv::sim::HostOptions options;
  using namespace std::chrono;
  options.receiver.startGpsTime =
      orv::sim::SimScene::GpsTimeFromUnix(duration<double>(system_clock::now().time_since_epoch()).count());
  if (!ParseArgs(argc, argv, options)) return 2;

  orv::sim::SimHost host(options);
  if (!host.Open()) {
    std::fprintf(stderr, "orvantis-sim: no pseudo-terminal or copy file available: %s\n", std::strerror(errno));
    return 1;
  }
  std::printf("%s\n", host.consolePath().c_str());
  std::fflush(stdout);

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGHUP, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);
  return host.Run(&gStop);
}
