// `decode`: runs a log file through the decoder and prints one JSON object per valid frame or
// sentence, then the counters.
#include <cstdio>
#include <string>

#include "Command.h"
#include "JsonFields.h"
#include "LineBuffer.h"
#include "Options.h"
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
    std::string& line = out_.text();
    line += "{\"offset\":";
    AppendInt(line, static_cast<long long>(offset));
    line += ",\"kind\":\"nmea\",\"sentence\":";
    line += JsonString(std::string(sentence, static_cast<std::size_t>(length)));
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

int RunDecode(const std::vector<std::string>& args) {
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

const Register kDecode({"decode", "decode [--protocol ktx|nmea|auto] FILE",
                        "print every valid frame or sentence of a log file as JSON lines", RunDecode});

}  // namespace
}  // namespace orv::cli
