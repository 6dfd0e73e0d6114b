// `detect`: the console's Auto Connect without a screen. It searches a port for the rate and
// protocol a receiver answers at, stepping the search every 100 ms as the dialog's timer would,
// and prints what it found, for scripts that then record from the receiver.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Command.h"
#include "HeadlessDesktop.h"
#include "app/MainFrame.h"
#include "serial/AutoConnect.h"
#include "serial/PortDialog.h"
#include "serial/PortNames.h"
#include "serial/SerialPort.h"

namespace orv::cli {
namespace {

constexpr char kUsage[] = "usage: orvantis-cli detect [--port NAME]\n";

// The status lines of the dialog as they change, for the user watching the terminal.
void ShowProgress(const Form& form, std::string& shown) {
  const std::string now = form.Label(AutoConnect::kStatusText) + "  " + form.Label(AutoConnect::kProtocolText);
  if (now == shown) return;
  shown = now;
  std::fprintf(stderr, "%s\n", now.c_str());
}

int RunDetect(const std::vector<std::string>& args) {
  std::string port;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--port" && i + 1 < args.size()) {
      port = args[++i];
    } else if (args[i].rfind("--port=", 0) == 0) {
      port = args[i].substr(7);
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }

  HeadlessDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    return std::make_unique<SerialPort>(sink);
  });
  AutoConnect search(frame);
  if (!port.empty()) {
    const std::string given = port;
    port = StorablePortName(given);
    if (port.empty()) {
      std::fprintf(stderr, "orvantis-cli detect: port name '%s' is longer than 79 characters\n", given.c_str());
      return 2;
    }
    const std::unique_ptr<PortChannel> probe = frame.MakeProbePort();
    if (!TestOpen(*probe, port)) {
      std::fprintf(stderr, "orvantis-cli detect: cannot open port '%s': %s\n", port.c_str(), probe->OpenError().c_str());
      return 2;
    }
    search.ChoosePort(port);
  } else {
    // Without --port the user is told where the search looks, and why a port is left out.
    std::fprintf(stderr, "orvantis-cli detect: no --port given; the ports Com1 to Com10 of this machine:\n");
    for (const std::string& line : DescribeSearchPorts(AutoConnect::SearchPortNames(), SystemSerialDevices(),
                                                       search.ports(), search.probeFailures())) {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
    if (search.ports().empty()) {
      std::fprintf(stderr, "orvantis-cli detect: no port can be opened; name one with --port\n");
      return 2;
    }
    search.ChoosePort(search.ports().front());
    std::fprintf(stderr, "orvantis-cli detect: searching %s\n", search.ports().front().c_str());
  }

  Form& form = search.form();
  form.Press(AutoConnect::kStartButton, &desk);
  if (!search.searching()) {
    std::fprintf(stderr, "orvantis-cli detect: %s\n", desk.lastBox().c_str());
    return 2;
  }
  std::string shown;
  ShowProgress(form, shown);
  auto next = std::chrono::steady_clock::now();
  while (search.searching()) {
    next += std::chrono::milliseconds(AutoConnect::kTimerMs);
    std::this_thread::sleep_until(next);
    if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
    form.FireTimer(AutoConnect::kTimerId);
    ShowProgress(form, shown);
  }
  if (search.outcome() == AutoConnect::Outcome::Lost) {
    // The receiver went away during the search (unplugged, or its server stopped).
    std::fprintf(stderr, "orvantis-cli detect: the port '%s' was lost: %s\n", frame.config().mainPortName().c_str(),
                 frame.mainPort().OpenError().c_str());
    std::printf("port lost\n");
    return 2;
  }
  if (search.outcome() != AutoConnect::Outcome::Found) {
    std::printf("Baud Not Found\n");
    return 1;
  }
  std::printf("port: %s\nbaud: %u\nprotocol: %s\n", frame.config().mainPortName().c_str(), search.attemptRate(),
              frame.config().protocolSelector() != 0 ? "ktx" : "nmea");
  return 0;
}

const Register kDetect({"detect", "detect [--port NAME]",
                        "find the rate and protocol a receiver answers at (COM1..COM10 or --port)", RunDetect});

}  // namespace
}  // namespace orv::cli
