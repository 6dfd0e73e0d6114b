// `serve`: shares a receiver (or a log played back) with other software: the gpsd JSON
// protocol on TCP, NMEA 0183 on TCP and on a pseudo-terminal. It decodes with the console's
// own decoder and serves from the same single loop: reading the port never waits for a client.
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Command.h"
#include "Options.h"
#include "PortLink.h"
#include "nmea/ReceiverDecoder.h"
#include "protocol/FrameEncoder.h"
#include "serial/SerialPort.h"
#include "share/ShareFeed.h"
#include "share/ShareServer.h"

namespace orv::cli {
namespace {

constexpr char kUsage[] =
    "usage: orvantis-cli serve (--port DEV [--baud N] [--protocol ktx|nmea] [--requests ID,...] | --play LOG\n"
    "                          [--rate B] [--protocol ktx|nmea]) [--gpsd ADDR:PORT] [--nmea ADDR:PORT]\n"
    "                          [--nmea-pty] [--queue BYTES] [--reconnect|--no-reconnect]\n";
constexpr uint32_t kReadSize = 4096;

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

struct ServeArgs {
  std::string port, play;
  uint32_t baud = 9600;
  int protocol = 1;
  uint32_t rate = 960;  // bytes a second of playback: a 9600 bit/s line
  std::string requests;
  std::string gpsd = "127.0.0.1:2947";
  std::string nmea;
  bool pty = false;
  bool reconnect = true;
  std::size_t queueBytes = ShareServerOptions{}.queueBytes;
};

bool Parse(const std::vector<std::string>& args, ServeArgs& a) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--nmea-pty") {
      a.pty = true;
      continue;
    }
    if (ParseReconnectFlag(arg, a.reconnect)) continue;
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "orvantis-cli serve: %s needs a value\n", arg.c_str());
      return false;
    }
    const std::string& value = args[++i];
    unsigned long n = 0;
    bool ok = true;
    if (arg == "--port") {
      a.port = value;
      ok = !value.empty();
    } else if (arg == "--play") {
      a.play = value;
      ok = !value.empty();
    } else if (arg == "--baud") {
      ok = ParseUnsigned(value, 4000000, n) && n > 0;
      a.baud = static_cast<uint32_t>(n);
    } else if (arg == "--rate") {
      ok = ParseUnsigned(value, 100000000, n) && n > 0;
      a.rate = static_cast<uint32_t>(n);
    } else if (arg == "--protocol") {
      ok = value == "ktx" || value == "nmea";
      a.protocol = value == "nmea" ? 0 : 1;
    } else if (arg == "--requests") {
      a.requests = value;
    } else if (arg == "--gpsd") {
      a.gpsd = value;
    } else if (arg == "--nmea") {
      a.nmea = value;
    } else if (arg == "--queue") {
      ok = ParseUnsigned(value, 1ul << 30, n) && n >= 4096;
      a.queueBytes = n;
    } else {
      std::fprintf(stderr, "orvantis-cli serve: unknown option '%s'\n", arg.c_str());
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "orvantis-cli serve: bad value '%s' for %s\n", value.c_str(), arg.c_str());
      return false;
    }
  }
  if (a.port.empty() == a.play.empty()) {
    std::fprintf(stderr, "orvantis-cli serve: give one of --port and --play\n");
    return false;
  }
  return true;
}

// The Continuous requests of --requests: message numbers the receiver sends.
bool ParseRequests(const std::string& text, std::vector<int>& out) {
  std::size_t start = 0;
  while (!text.empty() && start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    unsigned long n = 0;
    if (!ParseUnsigned(item, 127, n) || n == 0) {
      std::fprintf(stderr, "orvantis-cli serve: bad message number '%s' in --requests\n", item.c_str());
      return false;
    }
    out.push_back(static_cast<int>(n));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

bool StartServer(const ServeArgs& a, ShareServer& server) {
  std::string error;
  const auto gpsd = ParseShareEndpoint(a.gpsd, kGpsdPort);
  if (!gpsd) {
    std::fprintf(stderr, "orvantis-cli serve: bad address '%s' for --gpsd (ADDR:PORT)\n", a.gpsd.c_str());
    return false;
  }
  if (!server.ListenGpsd(*gpsd, error)) {
    std::fprintf(stderr, "orvantis-cli serve: gpsd protocol: %s\n", error.c_str());
    return false;
  }
  std::printf("gpsd %s\n", server.gpsdAddress().c_str());
  if (!a.nmea.empty()) {
    const auto nmea = ParseShareEndpoint(a.nmea, kNmeaSharePort);
    if (!nmea) {
      std::fprintf(stderr, "orvantis-cli serve: bad address '%s' for --nmea (ADDR:PORT)\n", a.nmea.c_str());
      return false;
    }
    if (!server.ListenNmea(*nmea, error)) {
      std::fprintf(stderr, "orvantis-cli serve: NMEA: %s\n", error.c_str());
      return false;
    }
    std::printf("nmea %s\n", server.nmeaAddress().c_str());
  }
  if (a.pty) {
    if (!server.OpenNmeaPty(error)) {
      std::fprintf(stderr, "orvantis-cli serve: %s\n", error.c_str());
      return false;
    }
    std::printf("nmea-pty %s\n", server.nmeaPtyPath().c_str());
  }
  std::fflush(stdout);
  return true;
}

void Report(uint64_t bytes, const ShareFeed& feed, const ShareServer& s) {
  const ShareCounters& c = s.counters();
  std::fprintf(stderr,
               "serve: %llu bytes decoded, %llu epochs; %zu clients, %llu accepted, %llu dropped as slow, "
               "%llu for an overlong request; %llu TPV, %llu SKY, %llu NMEA sentences\n",
               static_cast<unsigned long long>(bytes),
               static_cast<unsigned long long>(feed.epochs()), s.clientCount(),
               static_cast<unsigned long long>(c.accepted), static_cast<unsigned long long>(c.droppedSlow),
               static_cast<unsigned long long>(c.droppedBadLine), static_cast<unsigned long long>(c.tpv),
               static_cast<unsigned long long>(c.sky), static_cast<unsigned long long>(c.nmea));
}

int RunServe(const std::vector<std::string>& args) {
  ServeArgs a;
  std::vector<int> requests;
  if (!Parse(args, a) || !ParseRequests(a.requests, requests)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (!requests.empty() && (a.protocol != 1 || !a.play.empty())) {
    std::fprintf(stderr, "orvantis-cli serve: --requests asks a KTX Binary receiver on a port\n");
    return 2;
  }

  std::FILE* log = nullptr;
  PortLink link("serve", a.port, a.reconnect);
  SerialPort& port = link.port();
  if (!a.play.empty()) {
    struct stat st{};
    if (::stat(a.play.c_str(), &st) == 0 && S_ISREG(st.st_mode)) log = std::fopen(a.play.c_str(), "rb");
    if (log == nullptr) {
      std::fprintf(stderr, "orvantis-cli serve: cannot read '%s': not a readable file\n", a.play.c_str());
      return 2;
    }
  } else if (!link.Open(a.baud)) {
    return 1;
  }

  ShareDevice device;
  device.path = a.play.empty() ? a.port : a.play;
  device.binary = a.protocol == 1;
  device.bps = a.play.empty() ? a.baud : 0;
  ShareServerOptions options;
  options.queueBytes = a.queueBytes;
  ShareServer server(device, options);
  if (!StartServer(a, server)) {
    if (log != nullptr) std::fclose(log);
    return 1;
  }
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(static_cast<uint32_t>(a.protocol));
  decoder.SetTimeGateOpen(1);
  ShareFeed feed(decoder, a.protocol, device.path, server);
  decoder.SetObserver(&feed);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  FrameEncoder encoder(&port);
  for (int id : requests) encoder.SendRequest(id, kContinuous);

  std::vector<uint8_t> buffer(kReadSize + 1);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  uint64_t played = 0, decoded = 0;
  bool ended = false;
  int status = 0;
  while (gStop == 0) {
    uint32_t n = 0;
    if (log != nullptr) {
      if (!ended) {
        // Playback at --rate bytes a second, measured from the start.
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const uint64_t due = static_cast<uint64_t>(elapsed * a.rate);
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(due - std::min(due, played), kReadSize));
        if (want > 0) {
          n = static_cast<uint32_t>(std::fread(buffer.data(), 1, want, log));
          played += n;
          if (n < want) {
            ended = true;
            feed.Finish();
            std::fprintf(stderr, "serve: end of '%s'; serving the last fix until interrupted\n", a.play.c_str());
          }
        }
      }
    } else if (link.Read(buffer.data(), kReadSize, n) == PortLink::ReadResult::Ended) {
      status = 1;
      break;
    } else if (link.TakeReconnected()) {
      // The clients stay connected through the loss; the receiver is asked again.
      for (int id : requests) encoder.SendRequest(id, kContinuous);
    }
    if (n > 0) decoder.Decode(buffer.data(), n);
    decoded += n;
    server.Service(n == kReadSize ? 0 : 10);
  }
  decoder.SetObserver(nullptr);
  Report(decoded, feed, server);
  server.Close();
  if (log != nullptr) std::fclose(log);
  port.Close();
  return status;
}

const Register kServe({"serve",
                       "serve (--port DEV [--baud N] [--protocol ktx|nmea] [--requests ID,...] | --play LOG "
                       "[--rate B]) [--gpsd ADDR:PORT] [--nmea ADDR:PORT] [--nmea-pty] [--queue BYTES] "
                       "[--reconnect|--no-reconnect]",
                       "share a receiver or a log with gpsd clients (JSON) and NMEA consumers (TCP, pseudo-terminal)",
                       RunServe});

}  // namespace
}  // namespace orv::cli
