// The recorder of the main port: the decoder hands it every block it has consumed, and a
// one-second step (timer 23) delays the start of a timed recording, opens the gate for the
// duration and reports when the period is over. An untimed recording writes from the start.
#pragma once

#include <cstdint>

#include "logging/LogFile.h"
#include "platform/Links.h"
#include "protocol/FrameEncoder.h"

namespace orv {

// The automatic log summary window as the recorder sees it: the elapsed seconds.
class ElapsedTimeLink {
 public:
  virtual ~ElapsedTimeLink() = default;
  virtual void OnElapsedSeconds(uint32_t seconds) = 0;
  // The recording or its file changed: everything shown has to be drawn again.
  virtual void Refresh() {}
};

class TimedRecorder : public LogWriterLink {
 public:
  // One week less one second: the duration of a recording whose Stop box is unchecked.
  static constexpr int32_t kUntimedDurationSeconds = 604799;

  void SetFile(LogFile* file) { file_ = file; }
  void SetEncoder(FrameEncoder* encoder) { encoder_ = encoder; }
  void SetWindow(ElapsedTimeLink* window) { window_ = window; }
  // Timed: the gate stays shut until the first step after the delay. Untimed: open at once.
  void Configure(int32_t startSeconds, int32_t durationSeconds, bool timed);
  // Writes the block while a file is set and the gate is open; true only when all of it was
  // written. A failed write is remembered until the next Configure.
  bool WriteBlock(const uint8_t* bytes, uint32_t count) override;
  // The one-second step; true when a timed recording has just finished.
  bool Step();

  int32_t startDelaySeconds() const { return startDelaySeconds_; }
  int32_t durationSeconds() const { return durationSeconds_; }
  uint32_t elapsedSeconds() const { return elapsedSeconds_; }
  bool active() const { return active_ != 0; }
  bool gateOpen() const { return gateOpen_ != 0; }
  bool writeFailed() const { return writeFailed_; }
  LogFile* file() const { return file_; }
  FrameEncoder* encoder() const { return encoder_; }
  ElapsedTimeLink* window() const { return window_; }

 private:
  int32_t startDelaySeconds_ = 0;
  int32_t durationSeconds_ = 0;
  uint32_t elapsedSeconds_ = 0;
  uint32_t active_ = 0;
  uint32_t gateOpen_ = 0;
  LogFile* file_ = nullptr;
  FrameEncoder* encoder_ = nullptr;
  ElapsedTimeLink* window_ = nullptr;
  bool writeFailed_ = false;
};

}  // namespace orv
