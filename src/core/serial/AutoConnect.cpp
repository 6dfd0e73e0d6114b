// The Auto Connect search: one attempt per rate and protocol, each ended by the receiver's
// answer or by its wait running out on timer 24.
#include "serial/AutoConnect.h"

#include <algorithm>
#include <memory>

#include "ids/CommandIds.h"
#include "serial/PortDialog.h"
#include "serial/PortNames.h"
#include "util/Format.h"

namespace orv {

namespace {

constexpr char kCaption[] = "Automatic Baud Rate Selection";
constexpr uint32_t kRates[AutoConnect::kTableSize] = {9600, 19200, 4800, 2400, 1200, 600, 300};
// Slower rates wait longer: the answer takes longer to arrive whole.
constexpr int kWaits[AutoConnect::kTableSize] = {20, 20, 25, 30, 40, 60, 70};
constexpr int kPartNumberMessage = 45;
constexpr int kListedPorts = 10;

}  // namespace

std::vector<std::string> AutoConnect::SearchPortNames() {
  std::vector<std::string> names;
  for (int n = 1; n <= kListedPorts; ++n) names.push_back(Format("Com%d", n));
  return names;
}

std::vector<std::string> DescribeSearchPorts(const std::vector<std::string>& names,
                                             const std::vector<std::string>& devices,
                                             const std::vector<std::string>& openable,
                                             const std::vector<std::pair<std::string, std::string>>& reasons) {
  std::vector<std::string> lines;
  std::vector<std::string> absent;
  const std::vector<PortMapping> mapped = MapPortNames(names, devices);
  for (const PortMapping& m : mapped) {
    if (m.device.empty()) {
      absent.push_back(m.name);
      continue;
    }
    std::string state = "free";
    if (std::find(openable.begin(), openable.end(), m.name) == openable.end()) {
      state = "cannot be opened";
      for (const auto& [name, reason] : reasons) {
        if (name != m.name || reason.empty()) continue;
        // The device is on the line already; the port's reason starts with it.
        const std::string prefix = m.device + ": ";
        state += ": " + (reason.rfind(prefix, 0) == 0 ? reason.substr(prefix.size()) : reason);
      }
    }
    lines.push_back(Format("  %-6s %s  %s", m.name.c_str(), m.device.c_str(), state.c_str()));
  }
  if (!absent.empty()) {
    const std::string span = absent.size() == 1 ? absent.front() : absent.front() + " to " + absent.back();
    lines.push_back("  " + span + (absent.size() == 1 ? ": no device" : ": no devices"));
  }
  return lines;
}

uint32_t AutoConnect::TableRate(int index) { return index >= 0 && index < kTableSize ? kRates[index] : 0; }

int AutoConnect::TableWait(int index) { return index >= 0 && index < kTableSize ? kWaits[index] : 0; }

AutoConnect::AutoConnect(AutoConnectHost& frame) : frame_(frame), form_(kCaption) {
  std::vector<std::string> names;
  if (frame_.mainPortOpen()) names.push_back(frame_.config().mainPortName());
  const std::unique_ptr<PortChannel> probe = frame_.MakeProbePort();
  for (const std::string& name : SearchPortNames()) {
    if (TestOpen(*probe, name)) {
      names.push_back(name);
    } else {
      probeFailures_.emplace_back(name, probe->OpenError());
    }
  }
  form_.AddCombo(kPortList, "Com port", std::move(names), -1);
  form_.AddLabel(kStatusText, "");
  form_.AddLabel(kProtocolText, "");
  form_.AddButton(kStartButton, "Start");
  form_.AddButton(kFormCancel, "Close", FormAction::Cancel);
  form_.OnButton(kStartButton, [this](Form&) {
    Start();
    return FormAction::None;
  });
  form_.OnButton(kFormCancel, [this](Form&) {
    Close();
    return FormAction::Cancel;
  });
  form_.OnTimer([this](Form&, int id) {
    if (id == kTimerId) OnTimer();
  });
}

AutoConnect::~AutoConnect() { Close(); }

void AutoConnect::ChoosePort(const std::string& name) {
  FormField& list = *form_.field(kPortList);
  for (std::size_t i = 0; i < list.options.size(); ++i) {
    if (list.options[i] == name) {
      form_.Select(kPortList, static_cast<int>(i));
      return;
    }
  }
  list.options.push_back(name);
  form_.Select(kPortList, static_cast<int>(list.options.size()) - 1);
}

uint32_t AutoConnect::attemptRate() const { return outcome_ == Outcome::Idle ? 0 : TableRate(index_); }

bool AutoConnect::BinarySelected() const { return frame_.config().protocolSelector() != 0; }

void AutoConnect::Start() {
  Close();
  form_.SetLabel(kStatusText, "Openning Com port");
  const int chosen = form_.Selected(kPortList);
  if (chosen < 0 || chosen >= static_cast<int>(ports().size())) {
    frame_.boxes().MessageBox("Please choose a com port", "", MessageIcon::Exclamation);
    return;
  }
  frame_.config().SetMainPortName(ports()[static_cast<std::size_t>(chosen)]);
  frame_.ChangeMainBaud(9600);
  // A port that does not open has been said so by the frame: there is nothing to search.
  if (!frame_.mainPortOpen()) return;
  index_ = 0;
  steps_ = 0;
  outcome_ = Outcome::Searching;
  frame_.RunCommand(cmd::kSwitchToKtx);
  BinaryAttempt();
}

void AutoConnect::Attempt() {
  if (BinarySelected()) {
    BinaryAttempt();
  } else {
    NmeaAttempt();
  }
}

void AutoConnect::BinaryAttempt() {
  if (index_ >= kTableSize) {
    frame_.RunCommand(cmd::kSwitchToNmea);
    index_ = 0;
    NmeaAttempt();
    return;
  }
  frame_.config().SetMainBaudRate(static_cast<int32_t>(kRates[index_]));
  form_.SetLabel(kStatusText, Format("Trying %d ...", static_cast<int>(kRates[index_])));
  form_.SetLabel(kProtocolText, "Protocol KTX Binary");
  frame_.ReopenMainPort();
  if (EndIfPortLost()) return;
  frame_.mainDecoder().ExpectReceiverAnswer(1);
  steps_ = 0;
  form_.SetTimer(kTimerId, kTimerMs);
  frame_.encoder().SendRequest(kPartNumberMessage, kContinuous);
}

void AutoConnect::NmeaAttempt() {
  if (index_ >= kTableSize) {
    // The port stays open at the last rate tried, with NMEA selected.
    EndSearch(Outcome::NotFound);
    frame_.boxes().MessageBox("Baud Not Found", "", MessageIcon::Exclamation);
    return;
  }
  frame_.config().SetMainBaudRate(static_cast<int32_t>(kRates[index_]));
  form_.SetLabel(kStatusText, Format("Trying %d ...", static_cast<int>(kRates[index_])));
  form_.SetLabel(kProtocolText, "Protocol NMEA");
  frame_.ReopenMainPort();
  if (EndIfPortLost()) return;
  frame_.mainDecoder().ExpectReceiverAnswer(1);
  steps_ = 0;
  form_.SetTimer(kTimerId, kTimerMs);
  frame_.nmeaEncoder().SendQuery("900");
}

// An answer counts only within the wait of the current rate; once the wait is reached the
// next rate (or, after the last, the other protocol) is tried.
void AutoConnect::OnTimer() {
  if (!searching()) return;
  if (EndIfPortLost()) return;
  const bool found = frame_.mainDecoder().receiverAnswered();
  if (steps_ < kWaits[index_]) {
    if (found) {
      EndSearch(Outcome::Found);
      form_.SetLabel(kStatusText, Format("Baud rate is %d", static_cast<int>(kRates[index_])));
      frame_.boxes().MessageBox("Baud rate found\nPress Close to continue", "Succes!", MessageIcon::Information);
      return;
    }
  } else {
    steps_ = 0;
    form_.KillTimer(kTimerId);
    ++index_;
    Attempt();
    if (!searching()) return;
  }
  ++steps_;
}

// A port that hung up, or that no longer opens at the next rate, is gone: going on through the
// remaining rates would only end in "Baud Not Found" a minute later.
bool AutoConnect::EndIfPortLost() {
  if (frame_.mainPortOpen() && !frame_.mainPortLost()) return false;
  EndSearch(Outcome::Lost);
  form_.SetLabel(kStatusText, "Port lost");
  frame_.boxes().MessageBox("Port lost", "", MessageIcon::Stop);
  return true;
}

void AutoConnect::EndSearch(Outcome outcome) {
  form_.KillTimer(kTimerId);
  frame_.mainDecoder().ExpectReceiverAnswer(0);
  outcome_ = outcome;
}

void AutoConnect::Close() {
  if (searching()) EndSearch(Outcome::Idle);
  form_.KillTimer(kTimerId);
}

}  // namespace orv
