// The simulated receiver's line: a pseudo-terminal whose slave side the console opens. The host
// talks only while the console's side is open and set to the receiver's rate, as a receiver at
// another rate would only produce noise there; it keeps no slave descriptor itself, so that it
// can tell whether anyone is connected.
#pragma once

#include <csignal>
#include <string>

#include "sim/SimReceiver.h"

namespace orv::sim {

struct HostOptions {
  SimSettings receiver;
  // Pace the output at the line rate (10 bits a byte). Off: send as fast as the console
  // takes it, and let the receiver's clock run ahead to its next output whenever everything
  // sent so far has gone, which makes a throughput test out of the same schedules.
  bool rateLimit = true;
  // With the pacing on: the clock runs ahead as with it off, so that the line is kept full at
  // its rate (a receiver streaming every message the line can carry).
  bool fillLine = false;
  // Every byte written to the line is appended here too (empty: nowhere), so that a test can
  // compare a recording with what was sent.
  std::string sentCopyPath;
};

class SimHost {
 public:
  explicit SimHost(const HostOptions& options);
  ~SimHost();
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  // Creates the pseudo-terminal; false when the system has none to give.
  bool Open();
  const std::string& consolePath() const { return consolePath_; }
  // Runs until *stop becomes non-zero.
  int Run(const volatile std::sig_atomic_t* stop);

 private:
  bool ConsoleConnected() const;
  uint32_t ConsoleBaud() const;
  void DrainInput(bool talking, double simNow);
  void WriteOutput(double wallNow);
  void CopySent(const uint8_t* bytes, std::size_t n);
  void Wait(int timeoutMs, bool wantWrite);

  HostOptions options_;
  SimReceiver receiver_;
  int master_ = -1;
  int sentCopy_ = -1;
  std::string consolePath_;
  double tokens_ = 0;
  double lastRefill_ = 0;
  uint32_t lastRate_ = 0;
};

}  // namespace orv::sim
