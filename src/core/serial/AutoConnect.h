// Auto Connect ("Automatic Baud Rate Selection"): finds the rate and protocol at which a
// receiver answers on a chosen port. It tries the rates of its search table in KTX Binary,
// asking for the part numbers (message 45), then in NMEA, asking for $PQTLG,900, and waits a
// number of 100 ms steps of its own timer 24 at each rate for the main decoder to see the
// answer. The desktop fires the timer while the dialog is shown; the headless detect command
// and the tests fire it themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Form.h"

namespace orv {

class CMainFrame;

class AutoConnect {
 public:
  static constexpr int kTimerId = 24;
  static constexpr uint32_t kTimerMs = 100;
  static constexpr int kPortList = 1201;
  static constexpr int kStatusText = 1202;
  static constexpr int kProtocolText = 1203;
  static constexpr int kStartButton = 1204;
  static constexpr int kTableSize = 7;

  enum class Outcome { Idle, Searching, Found, NotFound };

  // Opening: the list holds the main port's name while the main port is open, then every
  // "Com1" to "Com10" that a port of the frame's kind can open now.
  explicit AutoConnect(CMainFrame& frame);
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

  // The search table: rate and wait (in 100 ms steps) of each index.
  static uint32_t TableRate(int index);
  static int TableWait(int index);

 private:
  void Attempt();
  void BinaryAttempt();
  void NmeaAttempt();
  void EndSearch(Outcome outcome);
  bool BinarySelected() const;

  CMainFrame& frame_;
  Form form_;
  Outcome outcome_ = Outcome::Idle;
  int index_ = 0;
  int steps_ = 0;
};

}  // namespace orv
