// `record`: a main-port recording without a screen, through the console's own decoder and
// timed recorder. It reads the port as the poll would, steps the recorder once a second,
// reports progress on standard error and ends cleanly on Ctrl-C or SIGTERM.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Command.h"
#include "Options.h"
#include "PortLink.h"
#include "logging/HourSplitter.h"
#include "logging/MessageListForm.h"
#include "logging/TimedRecorder.h"
#include "nmea/ReceiverDecoder.h"
#include "protocol/FrameEncoder.h"
#include "serial/SerialPort.h"

namespace orv::cli {
namespace {

constexpr char kUsage[] =
    "usage: orvantis-cli record --port DEV [--baud N] [--protocol ktx|nmea] [--start-after S]\n"
    "                           [--duration S] [--requests auto|none|ID,...] [--split-hours N]\n"
    "                           [--reconnect|--no-reconnect] FILE\n";
constexpr uint32_t kReadSize = 4096;
constexpr unsigned long kMaxSeconds = 604800;  // a week

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

struct RecordArgs {
  std::string port;
  uint32_t baud = 9600;
  int protocol = 1;
  bool timed = false;
  int32_t startSeconds = 0;
  int32_t durationSeconds = TimedRecorder::kUntimedDurationSeconds;
  std::string requests = "none";
  int splitHours = 0;
  bool reconnect = true;
  std::string file;
};

// Fills the arguments; false (after saying why) on anything it does not understand.
bool Parse(const std::vector<std::string>& args, RecordArgs& a) {
  int positional = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      ++positional;
      a.file = arg;
      continue;
    }
    if (ParseReconnectFlag(arg, a.reconnect)) continue;
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "orvantis-cli record: %s needs a value\n", arg.c_str());
      return false;
    }
    const std::string& value = args[++i];
    unsigned long n = 0;
    bool ok = true;
    if (arg == "--port") {
      a.port = value;
      ok = !value.empty();
    } else if (arg == "--baud") {
      ok = ParseUnsigned(value, 4000000, n) && n > 0;
      a.baud = static_cast<uint32_t>(n);
    } else if (arg == "--protocol") {
      ok = value == "ktx" || value == "nmea";
      a.protocol = value == "nmea" ? 0 : 1;
    } else if (arg == "--start-after") {
      ok = ParseUnsigned(value, kMaxSeconds, n);
      a.timed = true;
      a.startSeconds = static_cast<int32_t>(n);
    } else if (arg == "--duration") {
      ok = ParseUnsigned(value, kMaxSeconds, n);
      a.timed = true;
      a.durationSeconds = static_cast<int32_t>(n);
    } else if (arg == "--requests") {
      a.requests = value;
    } else if (arg == "--split-hours") {
      ok = ParseUnsigned(value, 8760, n) && n > 0;
      a.splitHours = static_cast<int>(n);
    } else {
      std::fprintf(stderr, "orvantis-cli record: unknown option '%s'\n", arg.c_str());
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "orvantis-cli record: bad value '%s' for %s\n", value.c_str(), arg.c_str());
      return false;
    }
  }
  return !a.port.empty() && positional == 1;
}

// The requests named on the command line: "auto", "none" or message numbers. Only messages
// the receiver sends can be asked for: the others are commands.
bool ParseRequests(const RecordArgs& a, std::vector<RecordingRequest>& out) {
  if (a.requests == "none") return true;
  if (a.requests == "auto") {
    if (a.protocol == 1) {
      out.push_back({1063, kOneShot});
      for (const RecordingRequest& r : AutomaticLogRequests()) out.push_back(r);
    }
    return true;
  }
  MessageSelection selection{};
  std::size_t start = 0;
  while (start <= a.requests.size()) {
    const std::size_t comma = a.requests.find(',', start);
    const std::string item = a.requests.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    unsigned long n = 0;
    if (!ParseUnsigned(item, 127, n) || n == 0) {
      std::fprintf(stderr, "orvantis-cli record: bad message number '%s' in --requests\n", item.c_str());
      return false;
    }
    if (!IsRequestableMessage(static_cast<int>(n))) {
      std::fprintf(stderr, "orvantis-cli record: message %lu is not one the receiver sends\n", n);
      return false;
    }
    selection[n] = 1;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  out = SelectionRequests(selection);
  return true;
}

void Progress(const MessageDecoder& d, const char* end) {
  const DecoderCounters& c = d.counters();
  std::fprintf(stderr, "record: %llu bytes, %u messages, %u protocol errors%s",
               static_cast<unsigned long long>(c.bytesLogged), c.validMessageCount + c.nmeaSentenceCount,
               c.protocolErrorCount + c.nmeaChecksumErrorCount, end);
}

int RunRecord(const std::vector<std::string>& args) {
  RecordArgs a;
  std::vector<RecordingRequest> requests;
  if (!Parse(args, a) || !ParseRequests(a, requests)) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(static_cast<uint32_t>(a.protocol));
  decoder.SetTimeGateOpen(1);
  PortLink link("record", a.port, a.reconnect);
  if (!link.Open(a.baud)) return 1;
  SerialPort& port = link.port();
  FrameEncoder encoder(&port);
  TimedRecorder recorder;
  HourSplitter splitter(recorder, a.file, a.splitHours);
  if (!splitter.Start()) {
    std::fprintf(stderr, "orvantis-cli record: cannot create '%s'\n", a.file.c_str());
    return 1;
  }
  recorder.SetEncoder(&encoder);
  recorder.Configure(a.startSeconds, a.durationSeconds, a.timed);
  decoder.AttachLogWriter(&splitter);
  decoder.SetObserver(&splitter);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  for (const RecordingRequest& r : requests) encoder.SendRequest(r.code, r.mode);

  std::vector<uint8_t> buffer(kReadSize + 1);
  auto nextStep = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  int status = 0;
  while (gStop == 0) {
    uint32_t n = 0;
    // With reconnection off, the loss of the device ends the recording.
    if (link.Read(buffer.data(), kReadSize, n) == PortLink::ReadResult::Ended) {
      status = 1;
      break;
    }
    // A receiver that came back after a restart has forgotten what it was asked to send.
    if (link.TakeReconnected()) {
      for (const RecordingRequest& r : requests) encoder.SendRequest(r.code, r.mode);
    }
    if (n > 0) decoder.Decode(buffer.data(), n);
    if (recorder.writeFailed() || splitter.failed()) {
      std::fprintf(stderr, "orvantis-cli record: writing the recording failed\n");
      status = 1;
      break;
    }
    if (std::chrono::steady_clock::now() >= nextStep) {
      nextStep += std::chrono::seconds(1);
      const bool finished = recorder.Step();
      Progress(decoder, "\n");
      if (finished) break;
    }
    if (n < kReadSize) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!splitter.Finish() && status == 0) {
    std::fprintf(stderr, "orvantis-cli record: writing the recording failed\n");
    status = 1;
  }
  port.Close();
  Progress(decoder, "\n");
  decoder.AttachLogWriter(nullptr);
  decoder.SetObserver(nullptr);
  for (const std::string& f : splitter.files()) std::printf("%s\n", f.c_str());
  return status;
}

const Register kRecord({"record",
                        "record --port DEV [--baud N] [--protocol ktx|nmea] [--start-after S] [--duration S] "
                        "[--requests auto|none|ID,...] [--split-hours N] [--reconnect|--no-reconnect] FILE",
                        "record a receiver's port to a log file, optionally split at GPS-time hour boundaries",
                        RunRecord});

}  // namespace
}  // namespace orv::cli
