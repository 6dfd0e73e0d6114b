// The satellite windows: status (33) as a table, position (33, with the mask angle of 49) and
// health (50), each on a plain page of its fields.
#pragma once

#include "windows/FieldTable.h"

namespace orv {

class CSVsStatusWnd : public RecordPage<SvStatusRecord> {
 public:
  explicit CSVsStatusWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

// Told of message 33 and, after its own "Show Mask Angle" request, of message 49.
class CShowSVsPositionWnd : public LinkedPage<SvStatusRecord, SvPositionWindowLink> {
 public:
  static constexpr int kShowMaskAngleCommand = pagecmd::kSpecific4;
  explicit CShowSVsPositionWnd(const PageContext& context);

  void ShowRecord(const SvStatusRecord& record) override { SetRecord(record); }
  void ShowMaskAngle(const ReceiverStatusRecord& record) override;
  bool showMask() const { return showMask_; }
  bool maskRequestPending() const { return maskRequestPending_; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override;
  void OnPageCommand(int command) override;

 private:
  const ReceiverStatusRecord* mask_ = nullptr;
  bool showMask_ = false;
  bool maskRequestPending_ = false;
};

class CSatelliteHealthWnd : public RecordPage<SatelliteHealthRecord> {
 public:
  explicit CSatelliteHealthWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

}  // namespace orv
