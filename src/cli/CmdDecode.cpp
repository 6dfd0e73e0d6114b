// `decode`: runs a log file through the decoder and prints one JSON object per valid frame or
// sentence, then the counters. With --port it reads a receiver's port instead, until
// interrupted.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Command.h"
#include "JsonFields.h"
#include "LineBuffer.h"
#include "Options.h"
#include "PortLink.h"
#include "RecordJson.h"
#include "logging/LogFile.h"
#include "nmea/ReceiverDecoder.h"
#include "util/Format.h"

namespace orv::cli {
namespace {

constexpr uint32_t kBlock = 4096;

class JsonPrinter : public DecodeObserver {
 public:
  JsonPrinter(const ReceiverDecoder& decoder, LineBuffer& out) : decoder_(decoder), out_(out) {}

  void OnFrame(uint64_t offset, const uint8_t* frame, int length) override {
    AppendFrameJsonLine(out_.text(), decoder_, nullptr, offset, frame, length);
    out_.Done();
  }

  void OnSentence(uint64_t offset, const char* sentence, int length, int slot) override {
    JsonText& line = out_.text();
    line += "{\"offset\":";
    AppendInt(line, static_cast<long long>(offset));
    line += ",\"kind\":\"nmea\",\"sentence\":";
    AppendJsonString(line, std::string_view(sentence, static_cast<std::size_t>(length)));
    AppendNmeaRecord(line, slot, decoder_);
    line += "}\n";
    out_.Done();
  }

 private:
  const ReceiverDecoder& decoder_;
  LineBuffer& out_;
};

void PrintSummary(const DecoderCounters& c) {
  std::string s = Format(
      "{\"summary\":{\"validMessageCount\":%u,\"protocolErrorCount\":%u,\"nmeaSentenceCount\":%u,"
      "\"nmeaChecksumErrorCount\":%u,\"messageCountById\":",
      c.validMessageCount, c.protocolErrorCount, c.nmeaSentenceCount, c.nmeaChecksumErrorCount);
  s += CountsJson(c.messageCountById) + ",\"nmeaCountBySlot\":" + CountsJson(c.nmeaCountBySlot) + "}}\n";
  std::fputs(s.c_str(), stdout);
}

volatile sig_atomic_t gPortStop = 0;
void OnPortSignal(int) { gPortStop = 1; }

constexpr char kPortUsage[] =
    "usage: orvantis-cli decode --port DEV [--baud N] [--protocol ktx|nmea] [--reconnect|--no-reconnect]\n";

// `decode --port`: the frames and sentences of a live port as they arrive, then the counters
// when interrupted (or when the port is lost and reconnection is off, the default here).
int RunDecodePort(const std::vector<std::string>& args) {
  std::string port;
  uint32_t baud = 9600;
  int protocol = 1;
  bool reconnect = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (ParseReconnectFlag(arg, reconnect)) continue;
    unsigned long n = 0;
    if (arg == "--port" && i + 1 < args.size() && !args[i + 1].empty()) {
      port = args[++i];
    } else if (arg == "--baud" && i + 1 < args.size() && ParseUnsigned(args[i + 1], 4000000, n) && n > 0) {
      baud = static_cast<uint32_t>(n);
      ++i;
    } else if (arg == "--protocol" && i + 1 < args.size() && (args[i + 1] == "ktx" || args[i + 1] == "nmea")) {
      protocol = args[++i] == "nmea" ? 0 : 1;
    } else {
      std::fputs(kPortUsage, stderr);
      return 2;
    }
  }
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(static_cast<uint32_t>(protocol));
  decoder.SetTimeGateOpen(1);
  PortLink link("decode", port, reconnect);
  if (!link.Open(baud)) return 1;
  LineBuffer out(stdout);
  JsonPrinter printer(decoder, out);
  decoder.SetObserver(&printer);

  struct sigaction action {};
  action.sa_handler = OnPortSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  std::vector<uint8_t> buffer(kBlock + 1);
  int status = 0;
  while (gPortStop == 0) {
    uint32_t n = 0;
    const PortLink::ReadResult r = link.Read(buffer.data(), kBlock, n);
    if (r == PortLink::ReadResult::Ended) {
      status = 1;
      break;
    }
    if (n > 0) {
      decoder.Decode(buffer.data(), n);
      out.Flush();
      std::fflush(stdout);
    }
    if (n < kBlock) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  out.Flush();
  decoder.SetObserver(nullptr);
  link.port().Close();
  PrintSummary(decoder.counters());
  return status;
}

bool GivesPort(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--port") return true;
  }
  return false;
}

int RunDecode(const std::vector<std::string>& args) {
  if (GivesPort(args)) return RunDecodePort(args);
  auto parsed = ParseProtocolArgs(args, "decode");
  if (!parsed) return 2;
  if (parsed->positional.size() != 1 || !parsed->flags.empty()) {
    std::fprintf(stderr, "usage: orvantis-cli decode [--protocol ktx|nmea|auto] FILE\n");
    return 2;
  }
  const std::string& path = parsed->positional[0];
  ResolveProtocol(*parsed, path, "decode");
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(static_cast<uint32_t>(parsed->protocolSelector));
  decoder.SetTimeGateOpen(1);
  LineBuffer out(stdout);
  JsonPrinter printer(decoder, out);
  decoder.SetObserver(&printer);
  LogFile file(&decoder);
  if (!OpenLogForReading(path, file, "decode")) return 2;
  uint64_t bytes = 0;
  while (const uint32_t n = file.Receive(kBlock)) bytes += n;
  out.Flush();
  PrintSummary(decoder.counters());
  std::fflush(stdout);
  ReportNothingDecoded(path, bytes, decoder.counters(), "decode");
  return 0;
}

const Register kDecode({"decode", "decode [--protocol ktx|nmea|auto] FILE | --port DEV [--baud N] [--reconnect]",
                        "print every valid frame or sentence of a log file as JSON lines", RunDecode});

}  // namespace
}  // namespace orv::cli
