// `files`: the file manager without a screen. It sends the "File Operation" request (create,
// close, delete or modify a file in the receiver's memory) or the "File info" one, waits for
// the receiver's answer and prints it as one JSON object.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "Command.h"
#include "FrameSession.h"
#include "maintenance/FileManager.h"
#include "protocol/FrameEncoder.h"
#include "util/Format.h"

namespace orv::cli {
namespace {

constexpr char kUsage[] =
    "usage: orvantis-cli files info --port DEV [--baud N]\n"
    "       orvantis-cli files create|modify --port DEV [--baud N] --name NAME [--point-name T] [--point-code T]\n"
    "                                  [--antenna-height N] [--antenna-method N] [--operator T]\n"
    "       orvantis-cli files close|delete --port DEV [--baud N] [--name NAME]\n";
constexpr int kAnswerWaitMs = 3000;

struct Options {
  int action = fileaction::kInfo;
  std::string port;
  uint32_t baud = 9600;
  FileAttributes attributes;
  unsigned ticked = 0;
};

std::optional<int> Action(const std::string& verb) {
  if (verb == "create") return fileaction::kCreate;
  if (verb == "close") return fileaction::kClose;
  if (verb == "delete") return fileaction::kDelete;
  if (verb == "modify") return fileaction::kModify;
  if (verb == "info") return fileaction::kInfo;
  return std::nullopt;
}

// A printable text of at most `width` characters, as the dialog's fields take it.
bool Text(const std::string& v, std::size_t width) {
  if (v.size() > width) return false;
  for (char c : v) {
    if (c < ' ' || c > '~') return false;
  }
  return true;
}

std::optional<long> Integer(const std::string& v, long lowest, long highest) {
  const std::size_t sign = !v.empty() && v[0] == '-' ? 1 : 0;
  if (v.size() == sign || v.size() > 6 || v.find_first_not_of("0123456789", sign) != std::string::npos) return std::nullopt;
  const long n = std::strtol(v.c_str(), nullptr, 10);
  if (n < lowest || n > highest) return std::nullopt;
  return n;
}

// The empty string when the options are sound, else what is wrong.
std::string ParseOptions(const std::vector<std::string>& args, Options& o) {
  const std::optional<int> action = args.empty() ? std::nullopt : Action(args[0]);
  if (!action) return "info, create, close, delete or modify first";
  o.action = *action;
  // As in the dialog: the attributes other than the name go with Create and Modify only.
  const bool attributes = o.action == fileaction::kCreate || o.action == fileaction::kModify;
  const bool named = o.action != fileaction::kInfo;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) return "'" + a + "' needs a value or is unknown";
    const std::string& v = args[++i];
    FileAttributes& f = o.attributes;
    int ticks = -1;
    if (a == "--port") {
      o.port = v;
    } else if (a == "--baud") {
      const auto n = ParseBaud(v);
      if (!n) return "--baud takes a rate from 300 to 921600";
      o.baud = *n;
    } else if (a == "--name" && named) {
      if (v.empty() || !Text(v, 8)) return "--name takes one to 8 printable characters";
      f.fileName = v;
      ticks = kAttrFileName;
    } else if (a == "--point-name" && attributes) {
      if (!Text(v, 16)) return "--point-name takes up to 16 printable characters";
      f.pointName = v;
      ticks = kAttrPointName;
    } else if (a == "--point-code" && attributes) {
      if (!Text(v, 16)) return "--point-code takes up to 16 printable characters";
      f.pointCode = v;
      ticks = kAttrPointCode;
    } else if (a == "--antenna-height" && attributes) {
      const auto n = Integer(v, -32768, 32767);
      if (!n) return "--antenna-height takes -32768 to 32767";
      f.antennaHeight = static_cast<int16_t>(*n);
      ticks = kAttrAntennaHeight;
    } else if (a == "--antenna-method" && attributes) {
      const auto n = Integer(v, 0, 255);
      if (!n) return "--antenna-method takes 0 to 255";
      f.antennaMethod = static_cast<uint8_t>(*n);
      ticks = kAttrAntennaMethod;
    } else if (a == "--operator" && attributes) {
      if (!Text(v, 3)) return "--operator takes up to 3 printable characters";
      f.operatorName = v;
      ticks = kAttrOperatorName;
    } else {
      return "'" + a + "' is unknown or does not go with " + args[0];
    }
    if (ticks >= 0) o.ticked |= 1u << ticks;
  }
  if (o.port.empty()) return "--port is needed";
  if (attributes && (o.ticked & (1u << kAttrFileName)) == 0) return "--name is needed";
  return {};
}

// Counts the answers as they come.
class AnswerWatcher : public FileManagerWindowLink {
 public:
  void ShowRecord(const FileManagerRecord& record) override {
    ++arrived;
    last = record;
  }
  uint32_t arrived = 0;
  FileManagerRecord last;
};

std::string Json(const FileManagerRecord& r) {
  return Format(
      "{\"action\":%s,\"result\":%d,\"resultText\":%s,\"active\":%d,\"fileName\":%s,\"pointName\":%s,"
      "\"pointCode\":%s,\"antennaHeight\":%d,\"antennaMethod\":%d,\"operatorName\":%s}",
      JsonString(FileActionText(r.action())).c_str(), r.result(), JsonString(FileResultText(r.result())).c_str(),
      r.activeFlag(), JsonString(r.fileName()).c_str(), JsonString(r.pointName()).c_str(),
      JsonString(r.pointCode()).c_str(), static_cast<int>(r.antennaHeight()), r.antennaMethod(),
      JsonString(r.operatorName()).c_str());
}

int RunFiles(const std::vector<std::string>& args) {
  Options o;
  const std::string wrong = ParseOptions(args, o);
  if (!wrong.empty()) {
    std::fprintf(stderr, "orvantis-cli files: %s\n%s", wrong.c_str(), kUsage);
    return 2;
  }
  FrameSession session("files");
  if (!session.Open(o.port, o.baud)) return 2;
  AnswerWatcher watcher;
  session.store().links().fileManager = &watcher;
  const FileManagerRequest request =
      o.action == fileaction::kInfo ? FileInfoRequest() : BuildFileManagerRequest(o.action, o.attributes, o.ticked);
  session.frame().encoder().SendSubIdCommand(70, 1, request);
  const bool answered = session.PollUntil([&] { return watcher.arrived > 0; }, kAnswerWaitMs);
  session.store().links().fileManager = nullptr;
  if (!answered) {
    std::fprintf(stderr, "orvantis-cli files: no answer from the receiver within %d s\n", kAnswerWaitMs / 1000);
    return 1;
  }
  std::printf("%s\n", Json(watcher.last).c_str());
  // "Info." says what is active, "No Active file" included; an action that failed is an error.
  if (o.action != fileaction::kInfo && watcher.last.result() != 0) {
    std::fprintf(stderr, "orvantis-cli files: %s: %s\n", FileActionText(watcher.last.action()).c_str(),
                 FileResultText(watcher.last.result()).c_str());
    return 1;
  }
  return 0;
}

const Register kFiles({"files", "files info|create|close|delete|modify --port DEV [--name NAME] [--point-name T] [--point-code T] [--antenna-height N] [--antenna-method N] [--operator T]",
                       "create, close, delete or modify a file in a receiver's memory, or show the active file",
                       RunFiles});

}  // namespace
}  // namespace orv::cli
