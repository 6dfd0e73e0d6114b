// The raw tracking windows: ephemeris (22) as hexadecimal words, measurement blocks (23, main
// and base) as a table of twelve rows, and channel assignment (6 and 7) as a ruled table of
// twelve channels coloured by their tracking status.
#pragma once

#include "windows/Page.h"

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
  static constexpr int kRows = 12;
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
  // The row colour of a tracking status (0 to 3).
  static Colour RowColour(int trackingStatus);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

}  // namespace orv
