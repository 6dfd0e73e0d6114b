// Auto Connect ("Automatic Baud Rate Selection"): finds the rate and protocol at which a
// receiver answers on a chosen port. It tries the rates of its search table in KTX Binary,
// asking for the part numbers (message 45), then in NMEA, asking for $PQTLG,900, and waits a
// number of 100 ms steps of its own timer 24 at each rate for the main decoder to see the
// answer. The desktop fires the timer while the dialog is shown; the headless detect command
// and the tests fire it themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/Configuration.h"
#include "forms/Form.h"
#include "nmea/NmeaEncoder.h"
#include "platform/PortChannel.h"
#include "protocol/FrameEncoder.h"
#include "protocol/MessageDecoder.h"

namespace orv {

// What the search asks of the main frame: its settings record, its main port and decoder,
// its encoders, and the commands that reopen the port and switch the protocol.
class AutoConnectHost {
 public:
  virtual ~AutoConnectHost() = default;
  virtual Configuration& config() = 0;
  virtual bool mainPortOpen() const = 0;
  // The main port's device went away while it was open (a hang-up or a read error).
  virtual bool mainPortLost() const { return false; }
  // A port of the host's kind, to probe which ports can be opened.
  virtual std::unique_ptr<PortChannel> MakeProbePort() = 0;
  virtual MessageBoxes& boxes() = 0;
  // Reopens the main port at a rate without changing the stored rate.
  virtual void ChangeMainBaud(uint32_t baud) = 0;
  // Reopens the main port at the stored rate, only when it is open.
  virtual void ReopenMainPort() = 0;
  // Runs a menu command (the protocol switches) as the user would.
  virtual void RunCommand(int commandId) = 0;
  virtual MessageDecoder& mainDecoder() = 0;
  virtual FrameEncoder& encoder() = 0;
  virtual NmeaEncoder& nmeaEncoder() = 0;
};

// What a search without a chosen port tries, for the user to read: the names "Com1" to
// "Com10" with the device each stands for and whether it can be opened now ("free"), or why
// not; the names that stand for no device of this machine on one line at the end. `openable`
// holds the names that opened, `reasons` the failure of the others, by name.
std::vector<std::string> DescribeSearchPorts(const std::vector<std::string>& names,
                                             const std::vector<std::string>& devices,
                                             const std::vector<std::string>& openable,
                                             const std::vector<std::pair<std::string, std::string>>& reasons);

class AutoConnect {
 public:
  static constexpr int kTimerId = 24;
  static constexpr uint32_t kTimerMs = 100;
  static constexpr int kPortList = 1201;
  static constexpr int kStatusText = 1202;
  static constexpr int kProtocolText = 1203;
  static constexpr int kStartButton = 1204;
  static constexpr int kTableSize = 7;

  // Lost: the port vanished during the search (the receiver unplugged); the rates left are
  // not tried, since no reopen can succeed.
  enum class Outcome { Idle, Searching, Found, NotFound, Lost };

  // Opening: the list holds the main port's name while the main port is open, then every
  // "Com1" to "Com10" that a port of the frame's kind can open now.
  explicit AutoConnect(AutoConnectHost& frame);
  ~AutoConnect();
  AutoConnect(const AutoConnect&) = delete;
  AutoConnect& operator=(const AutoConnect&) = delete;

  Form& form() { return form_; }
  const std::vector<std::string>& ports() const { return form_.field(kPortList)->options; }
  // Chooses `name` in the list, adding it when the list does not hold it.
  void ChoosePort(const std::string& name);

  // The Start button.
  void Start();
  // One event of timer 24.
  void OnTimer();
  // The Close button: a search still running stops where it is.
  void Close();

  Outcome outcome() const { return outcome_; }
  bool searching() const { return outcome_ == Outcome::Searching; }
  // The table index of the current (or last) attempt and the steps counted in it.
  int attemptIndex() const { return index_; }
  int stepCount() const { return steps_; }
  // The rate of the current (or last) attempt; 0 before the first.
  uint32_t attemptRate() const;

  // "Com1" to "Com10": the names the list offers.
  static std::vector<std::string> SearchPortNames();
  // Why each listed name that did not open failed, in the order tried (from the opening).
  const std::vector<std::pair<std::string, std::string>>& probeFailures() const { return probeFailures_; }

  // The search table: rate and wait (in 100 ms steps) of each index.
  static uint32_t TableRate(int index);
  static int TableWait(int index);

 private:
  void Attempt();
  void BinaryAttempt();
  void NmeaAttempt();
  void EndSearch(Outcome outcome);
  // Ends the search with "Port lost" when the port is gone; true when it did.
  bool EndIfPortLost();
  bool BinarySelected() const;

  AutoConnectHost& frame_;
  Form form_;
  Outcome outcome_ = Outcome::Idle;
  int index_ = 0;
  int steps_ = 0;
  std::vector<std::pair<std::string, std::string>> probeFailures_;
};

}  // namespace orv
