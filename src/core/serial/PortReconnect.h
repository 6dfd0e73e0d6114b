// Keeps a port through the loss of its device: notices when a read found the device gone, then
// opens the same device again when it is due, until it is back or the user closes the port.
// A serial device is tried every second (a plugged-in adapter is there at once); a network
// link with a back-off from 1 s doubling to 30 s, so that a server that is down is not hammered.
// A network connection is made without blocking the caller: it is settled on later steps.
#pragma once

#include <cstdint>

#include "platform/PortChannel.h"

namespace orv {

class PortReconnect {
 public:
  static constexpr int64_t kFirstDelayMs = 1000;
  static constexpr int64_t kLongestDelayMs = 30000;
  // A connection attempt that neither succeeds nor fails within this is given up.
  static constexpr int64_t kConnectLimitMs = 10000;

  enum class Event { None, Lost, Reconnected };

  explicit PortReconnect(PortChannel& port) : port_(port) {}

  // Run after each read of the port (and on every poll while it is lost): Lost when the port
  // has just been found gone, Reconnected when it is open again.
  Event Step(int64_t nowMs);
  // The port was closed or opened anew by the user: any waiting ends.
  void Reset();

  bool lost() const { return lost_; }
  // When the next attempt is due (while lost and not connecting), and the attempts so far.
  int64_t nextAttemptMs() const { return nextMs_; }
  uint32_t attempts() const { return attempts_; }
  int64_t currentDelayMs() const { return delayMs_; }

 private:
  void ScheduleNext(int64_t nowMs);

  PortChannel& port_;
  bool lost_ = false;
  bool connecting_ = false;
  int64_t delayMs_ = kFirstDelayMs;
  int64_t nextMs_ = 0;
  int64_t connectStartMs_ = 0;
  uint32_t attempts_ = 0;
};

}  // namespace orv
