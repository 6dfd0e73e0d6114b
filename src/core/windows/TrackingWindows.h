// The raw tracking windows: ephemeris (22), measurement blocks (23, main and base) and channel
// assignment (6 and 7), each on a plain page of its fields.
#pragma once

#include "windows/FieldTable.h"

namespace orv {

class CEphemWnd : public RecordPage<EphemerisRecord> {
 public:
  explicit CEphemWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

// One class serves the Measurements window and the Base Measurements window of synchronized
// playback; the base one never sends (it has no encoder), so its rate items are disabled, and
// it draws no corner bitmap.
class CMeasWnd : public RecordPage<MeasurementBlockRecord> {
 public:
  static constexpr int k2HzCommand = pagecmd::kSpecific1;
  static constexpr int k5HzCommand = pagecmd::kSpecific2;
  static constexpr int k10HzCommand = pagecmd::kSpecific3;
  CMeasWnd(const PageContext& context, bool base);
  bool base() const { return base_; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  bool IsEnabled(int command) const override;

 private:
  bool base_;
};

class CChanAssWnd : public RecordPage<ChannelAssignmentRecord> {
 public:
  explicit CChanAssWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

}  // namespace orv
