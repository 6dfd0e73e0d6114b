// The Log File Setup dialog of a main-port recording: an optional delay before the recording
// begins and an optional duration, both in minutes, kept in the configuration record.
#pragma once

#include <cstdint>

#include "config/Configuration.h"
#include "forms/Form.h"

namespace orv {

// What the timed recorder is configured with.
struct RecordingTiming {
  bool timed = false;
  int32_t startSeconds = 0;
  int32_t durationSeconds = 0;
};

struct RecordingSettings {
  // One week: longer than the recorder's own untimed limit.
  static constexpr int32_t kMaxMinutes = 10080;

  bool startChecked = false;
  bool stopChecked = false;
  int32_t startMinutes = 0;
  int32_t stopMinutes = 0;

  // Minutes from a damaged file are kept within 0 to kMaxMinutes.
  static RecordingSettings FromConfiguration(const Configuration& config);
  void Store(Configuration& config) const;
  // Timed when either box is checked; without Stop the recording lasts a week less a second.
  RecordingTiming Timing() const;
};

class LogFileSetupForm {
 public:
  static constexpr int kStart = 1001;
  static constexpr int kStartMinutes = 1002;
  static constexpr int kStop = 1003;
  static constexpr int kStopMinutes = 1004;
  static constexpr int kStartNote = 1005;
  static constexpr int kStopNote = 1006;

  explicit LogFileSetupForm(const RecordingSettings& last);
  LogFileSetupForm(const LogFileSetupForm&) = delete;
  LogFileSetupForm& operator=(const LogFileSetupForm&) = delete;

  Form& form() { return form_; }
  // The values as OK accepted them.
  RecordingSettings Settings() const;

 private:
  Form form_;
};

}  // namespace orv
