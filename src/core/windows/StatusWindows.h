// Receiver status (49), timing information (113), system profile (111) and fault log (57):
// the receiver's state as it reports it.
#pragma once

#include "windows/FieldTable.h"

namespace orv {

// Every field of the status message by name, the deselected satellites and channels in red
// among all of them, and the bytes with no known meaning in hexadecimal.
class CReceiverStatusWnd : public TablePage<ReceiverStatusRecord> {
 public:
  explicit CReceiverStatusWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

class CTimingInformationWnd : public RecordPage<TimingInfoRecord> {
 public:
  explicit CTimingInformationWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

// The profile's entries in three columns.
class CSystemProfileWnd : public RecordPage<SystemProfileRecord> {
 public:
  static constexpr int kMaxEntries = 63;
  explicit CSystemProfileWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

// A window with a menu bar ("Fault Data", "Clear Fault", "Clear Data") and no corner bitmap.
class CFaultLogWnd : public RecordPage<FaultLogRecord> {
 public:
  static constexpr int kFaultDataCommand = pagecmd::kSpecific1;
  static constexpr int kClearFaultCommand = pagecmd::kSpecific2;
  explicit CFaultLogWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

}  // namespace orv
