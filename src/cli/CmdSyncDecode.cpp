// `sync-decode`: plays a base file and a rover file together as the console's synchronized
// playback does and prints one JSON line per valid frame, in the order the two decoders take
// them, each marked with the file it came from.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Command.h"
#include "RecordJson.h"
#include "logging/SyncPlayback.h"
#include "nmea/ReceiverDecoder.h"
#include "util/Format.h"

namespace orv::cli {
namespace {

constexpr uint32_t kBytesPerStep = 1000;
constexpr char kUsage[] = "usage: orvantis-cli sync-decode BASE ROVER [--delay S] [--trigger T]\n";

class SourcePrinter : public DecodeObserver {
 public:
  SourcePrinter(const ReceiverDecoder& decoder, const char* source) : decoder_(decoder), source_(source) {}

  void OnFrame(uint64_t offset, const uint8_t* frame, int length) override {
    std::fputs(FrameJsonLine(decoder_, source_, offset, frame, length).c_str(), stdout);
  }
  void OnSentence(uint64_t, const char*, int, int) override {}

 private:
  const ReceiverDecoder& decoder_;
  const char* source_;
};

class StderrBoxes : public MessageBoxes {
 public:
  void MessageBox(const std::string& text, const std::string&, MessageIcon) override {
    std::fprintf(stderr, "sync-decode: %s\n", text.c_str());
  }
};

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end != nullptr && *end == '\0';
}

int RunSyncDecode(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  SyncPlaybackSettings settings;
  for (std::size_t i = 0; i < args.size(); ++i) {
    double value = 0;
    if ((args[i] == "--delay" || args[i] == "--trigger") && i + 1 < args.size() && ParseNumber(args[i + 1], value)) {
      if (args[i] == "--delay") {
        if (value < 0 || value > kSyncMaxDelaySeconds || value != static_cast<int32_t>(value)) {
          std::fprintf(stderr, "sync-decode: the delay is a whole number of seconds from 0 to 9\n");
          return 2;
        }
        settings.delaySeconds = static_cast<int32_t>(value);
      } else {
        if (!(value >= 0 && value <= kSecondsPerWeek)) {
          std::fprintf(stderr, "sync-decode: the trigger time is from 0 to 604800 seconds of week\n");
          return 2;
        }
        settings.triggerTime = value;
      }
      ++i;
    } else if (!args[i].empty() && args[i][0] == '-') {
      std::fputs(kUsage, stderr);
      return 2;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  ReceiverDecoder rover;
  ReceiverDecoder base;
  SourcePrinter roverPrinter(rover, "rover");
  SourcePrinter basePrinter(base, "base");
  rover.SetObserver(&roverPrinter);
  base.SetObserver(&basePrinter);
  LogFile roverFile(&rover);
  LogFile baseFile(&base);
  SyncPlayback sync(roverFile, baseFile, rover, base);
  StderrBoxes boxes;
  if (!sync.Start(files[1], files[0], settings, &boxes)) return 2;
  while (sync.Step(kBytesPerStep)) {
  }
  sync.Stop();
  return 0;
}

const Register kSyncDecode({"sync-decode", "sync-decode BASE ROVER [--delay S] [--trigger T]",
                            "print the frames of a base and a rover log as JSON lines, in the order the "
                            "synchronized playback replays them",
                            RunSyncDecode});

}  // namespace
}  // namespace orv::cli
