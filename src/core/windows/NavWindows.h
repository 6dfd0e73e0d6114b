// The navigation windows: the geodetic solution of message 20 on its normal page or its RTK
// page, and the Earth-centred solution of message 21.
#pragma once

#include "windows/FieldTable.h"

namespace orv {

class CNavWnd : public RecordPage<NavLlhRecord> {
 public:
  static constexpr int kRtkModeCommand = pagecmd::kSpecific1;
  explicit CNavWnd(const PageContext& context);
  bool rtkPage() const { return rtkPageFlag_ != 0; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void OnPageCommand(int command) override;
  bool IsChecked(int command) const override { return command == kRtkModeCommand && rtkPage(); }

 private:
  int rtkPageFlag_ = 0;
};

class CNavGPSWnd : public TablePage<NavXyzRecord> {
 public:
  explicit CNavGPSWnd(const PageContext& context);
};

}  // namespace orv
