// The reconnect schedule of a lost port.
#include "serial/PortReconnect.h"

#include <algorithm>

namespace orv {

void PortReconnect::Reset() {
  lost_ = false;
  connecting_ = false;
  delayMs_ = kFirstDelayMs;
  nextMs_ = 0;
  attempts_ = 0;
}

void PortReconnect::ScheduleNext(int64_t nowMs) {
  nextMs_ = nowMs + delayMs_;
  // Only a network link backs off; a local device costs nothing to look for.
  if (port_.IsNetwork()) delayMs_ = std::min(delayMs_ * 2, kLongestDelayMs);
}

PortReconnect::Event PortReconnect::Step(int64_t nowMs) {
  if (!lost_) {
    if (!port_.Lost()) return Event::None;
    lost_ = true;
    connecting_ = false;
    delayMs_ = kFirstDelayMs;
    attempts_ = 0;
    ScheduleNext(nowMs);
    return Event::Lost;
  }
  if (connecting_) {
    const bool still = port_.Connecting();
    if (port_.Lost() || (still && nowMs - connectStartMs_ >= kConnectLimitMs)) {
      // Refused, unreachable, or no answer: the next attempt after the back-off.
      if (!port_.Lost()) port_.Close();
      connecting_ = false;
      ScheduleNext(nowMs);
      return Event::None;
    }
    if (still) return Event::None;
    Reset();
    return Event::Reconnected;
  }
  if (nowMs < nextMs_) return Event::None;
  ++attempts_;
  if (!port_.Reopen()) {
    ScheduleNext(nowMs);
    return Event::None;
  }
  if (port_.Connecting()) {
    connecting_ = true;
    connectStartMs_ = nowMs;
    return Event::None;
  }
  if (port_.Lost()) {
    ScheduleNext(nowMs);
    return Event::None;
  }
  Reset();
  return Event::Reconnected;
}

}  // namespace orv
