// `almanac`: the console's almanac transfer without a screen. `show` prints what the console
// would send for a Yuma file (header 78, then one record 79 per healthy satellite) as JSON
// lines; `send` sends it to a receiver on a serial port, paced by its acknowledgements as the
// console's poll paces it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Command.h"
#include "HeadlessDesktop.h"
#include "JsonFields.h"
#include "app/MainFrame.h"
#include "maintenance/AlmanacTransfer.h"
#include "maintenance/YumaAlmanac.h"
#include "serial/SerialPort.h"

namespace orv::cli {
namespace {

constexpr char kUsage[] =
    "usage: orvantis-cli almanac show [--sv-type gps|gic] FILE\n"
    "       orvantis-cli almanac send --port DEV [--baud N] [--sv-type gps|gic] FILE\n";

struct Options {
  std::string file;
  std::string port;
  uint32_t baud = 9600;
  int svType = kSvTypeGps;
};

bool ParseOptions(const std::vector<std::string>& args, bool send, Options& o) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (send && a == "--port" && hasValue) {
      o.port = args[++i];
    } else if (send && a == "--baud" && hasValue) {
      char* end = nullptr;
      const unsigned long n = std::strtoul(args[++i].c_str(), &end, 10);
      if (*end != '\0' || n < 300 || n > 921600) return false;
      o.baud = static_cast<uint32_t>(n);
    } else if (a == "--sv-type" && hasValue) {
      const std::string& t = args[++i];
      if (t != "gps" && t != "gic") return false;
      o.svType = t == "gps" ? kSvTypeGps : kSvTypeGic;
    } else if (!a.empty() && a[0] != '-' && o.file.empty()) {
      o.file = a;
    } else {
      return false;
    }
  }
  return !o.file.empty() && (!send || !o.port.empty());
}

// The file's records, or a message and nothing.
std::optional<std::vector<AlmanacEntry>> Load(const Options& o) {
  const std::optional<YumaReadResult> read = ReadYumaFile(o.file, o.svType);
  if (!read) {
    std::fprintf(stderr, "orvantis-cli almanac: Invalid filename. (%s)\n", o.file.c_str());
    return std::nullopt;
  }
  const std::string nothing = AlmanacNothingToSendText(*read);
  if (!nothing.empty()) {
    std::fprintf(stderr, "orvantis-cli almanac: %s\n", nothing.c_str());
    return std::nullopt;
  }
  return read->records;
}

int Show(const Options& o, const Clock& clock) {
  const std::optional<std::vector<AlmanacEntry>> records = Load(o);
  if (!records) return 1;
  const AlmanacHeader h = BuildAlmanacHeader(*records, GpsWeekAt(clock.UnixSeconds()));
  const double scaled = h.toaSeconds / 4096.0;
  std::printf("%s\n", JsonObject()
                          .Int("message", 78)
                          .Text("mask", HexText(h.mask))
                          .Int("week", h.week)
                          .Int("toa", scaled > 0 && scaled < 256 ? static_cast<int>(scaled) : 0)
                          .Int("records", static_cast<long long>(records->size()))
                          .str()
                          .c_str());
  for (const AlmanacEntry& e : *records) {
    std::printf("%s\n", JsonObject()
                            .Int("message", 79)
                            .Int("sv_type", e.svType)
                            .Int("prn", e.prnIndex + 1)
                            .Real("af0", e.af0)
                            .Real("af1", e.af1)
                            .Real("mean_anomaly", e.meanAnomaly)
                            .Real("argument_of_perigee", e.argumentOfPerigee)
                            .Real("right_ascension", e.rightAscension)
                            .Real("sqrt_a", e.sqrtA)
                            .Real("rate_of_right_ascension", e.rateOfRightAscension)
                            .Real("inclination_offset", e.inclinationOffset)
                            .Real("eccentricity", e.eccentricity)
                            .Real("toa", e.toa)
                            .Int("week", e.week)
                            .str()
                            .c_str());
  }
  return 0;
}

int Send(const Options& o) {
  const std::optional<std::vector<AlmanacEntry>> records = Load(o);
  if (!records) return 1;
  HeadlessDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    return std::make_unique<SerialPort>(sink);
  });
  frame.config().SetMainPortName(o.port);
  frame.ChangeMainBaud(o.baud);
  if (!frame.mainPort().IsOpen()) {
    std::fprintf(stderr, "orvantis-cli almanac: cannot open port '%s': %s\n", o.port.c_str(),
                 frame.mainPort().OpenError().c_str());
    return 2;
  }
  if (!frame.SendAlmanac(*records)) {
    for (const std::string& b : desk.boxes) std::fprintf(stderr, "orvantis-cli almanac: %s\n", b.c_str());
    return 2;
  }
  std::string shown;
  auto next = std::chrono::steady_clock::now();
  while (frame.mainDecoder().flags().transferActive) {
    next += std::chrono::milliseconds(kSerialPollMs);
    std::this_thread::sleep_until(next);
    frame.OnTimer(kPollTimer);
    const std::string pane = desk.PaneText(kPaneMessage);
    if (pane != shown) {
      shown = pane;
      std::fprintf(stderr, "%s\n", pane.c_str());
    }
  }
  for (const std::string& b : desk.boxes) std::printf("%s\n", b.c_str());
  return desk.lastIcon == MessageIcon::Information ? 0 : 1;
}

int RunAlmanac(const std::vector<std::string>& args) {
  Options o;
  const bool send = !args.empty() && args[0] == "send";
  const bool show = !args.empty() && args[0] == "show";
  if ((!send && !show) || !ParseOptions(args, send, o)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return send ? Send(o) : Show(o, SystemClock());
}

const Register kAlmanac({"almanac", "almanac show|send [--port DEV] [--baud N] FILE",
                         "print or send the almanac records of a Yuma file (send: to a receiver on DEV)", RunAlmanac});

}  // namespace
}  // namespace orv::cli
