// The Log File Setup dialog's fields and the timing they give.
#include "logging/LogFileSetupForm.h"

#include <algorithm>

#include "logging/TimedRecorder.h"

namespace orv {

namespace {
int32_t ClampMinutes(int64_t minutes) {
  return static_cast<int32_t>(std::clamp<int64_t>(minutes, 0, RecordingSettings::kMaxMinutes));
}
int32_t Seconds(int32_t minutes) {
  return static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(ClampMinutes(minutes)) * 60, INT32_MAX));
}
}  // namespace

RecordingSettings RecordingSettings::FromConfiguration(const Configuration& config) {
  RecordingSettings s;
  s.startChecked = config.recordStartChecked() != 0;
  s.stopChecked = config.recordStopChecked() != 0;
  s.startMinutes = ClampMinutes(config.recordStartMinutes());
  s.stopMinutes = ClampMinutes(config.recordStopMinutes());
  return s;
}

void RecordingSettings::Store(Configuration& config) const {
  config.SetRecordStartChecked(startChecked ? 1 : 0);
  config.SetRecordStopChecked(stopChecked ? 1 : 0);
  config.SetRecordStartMinutes(ClampMinutes(startMinutes));
  config.SetRecordStopMinutes(ClampMinutes(stopMinutes));
}

RecordingTiming RecordingSettings::Timing() const {
  RecordingTiming t;
  t.timed = startChecked || stopChecked;
  t.startSeconds = startChecked ? Seconds(startMinutes) : 0;
  t.durationSeconds = stopChecked ? Seconds(stopMinutes) : TimedRecorder::kUntimedDurationSeconds;
  return t;
}

LogFileSetupForm::LogFileSetupForm(const RecordingSettings& last) : form_("Log File Setup") {
  form_.AddCheckBox(kStart, "Start", last.startChecked);
  FormField& start = form_.AddEdit(kStartMinutes, "logging data in :", EditKind::Unsigned,
                                   std::to_string(ClampMinutes(last.startMinutes)));
  start.hasRange = true;
  start.min = 0;
  start.max = RecordingSettings::kMaxMinutes;
  form_.AddCheckBox(kStop, "Stop", last.stopChecked);
  FormField& stop = form_.AddEdit(kStopMinutes, "logging data after :", EditKind::Unsigned,
                                  std::to_string(ClampMinutes(last.stopMinutes)));
  stop.hasRange = true;
  stop.min = 0;
  stop.max = RecordingSettings::kMaxMinutes;
  form_.AddLabel(kStartNote, "if Start is unchecked, data will start to be saved by the time you will press OK");
  form_.AddLabel(kStopNote, "If Stop is unchecked, you will have to stop the log file manually");
  form_.AddOkCancel();
}

RecordingSettings LogFileSetupForm::Settings() const {
  RecordingSettings s;
  s.startChecked = form_.Checked(kStart);
  s.stopChecked = form_.Checked(kStop);
  s.startMinutes = ClampMinutes(form_.IntValue(kStartMinutes).value_or(0));
  s.stopMinutes = ClampMinutes(form_.IntValue(kStopMinutes).value_or(0));
  return s;
}

}  // namespace orv
