// The timed recorder's gate and its one-second step.
#include "logging/TimedRecorder.h"

namespace orv {

void TimedRecorder::Configure(int32_t startSeconds, int32_t durationSeconds, bool timed) {
  elapsedSeconds_ = 0;
  writeFailed_ = false;
  if (timed) {
    gateOpen_ = 0;
    active_ = 1;
    startDelaySeconds_ = startSeconds;
    durationSeconds_ = durationSeconds;
  } else {
    gateOpen_ = 1;
    active_ = 0;
  }
}

bool TimedRecorder::WriteBlock(const uint8_t* bytes, uint32_t count) {
  if (file_ == nullptr || !gateOpen_ || writeFailed_) return false;
  if (count == 0) return true;
  if (file_->Send(bytes, count)) return true;
  writeFailed_ = true;
  return false;
}

bool TimedRecorder::Step() {
  bool finished = false;
  if (active_ && startDelaySeconds_ > 0) {
    // The receiver is asked for its ephemerides as the recording is about to begin.
    if (--startDelaySeconds_ < 1 && encoder_ != nullptr) encoder_->SendRequest(22, kContinuous);
  } else if (active_ && durationSeconds_ > 0) {
    gateOpen_ = 1;
    --durationSeconds_;
    ++elapsedSeconds_;
  } else if (active_) {
    active_ = 0;
    gateOpen_ = 0;
    finished = true;
  } else {
    ++elapsedSeconds_;
  }
  if (window_ != nullptr) window_->OnElapsedSeconds(elapsedSeconds_);
  return finished;
}

}  // namespace orv
