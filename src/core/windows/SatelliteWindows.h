// The satellite windows of message 33 and 50: the satellites in view as a ruled table coloured
// by their status, and the health of all 32 satellites as two ruled grids. The sky plot of
// message 33 lives in SkyPlotWindow.h.
#pragma once

#include "windows/Page.h"
#include "windows/SkyPlotWindow.h"

namespace orv {

class CSVsStatusWnd : public RecordPage<SvStatusRecord> {
 public:
  explicit CSVsStatusWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

class CSatelliteHealthWnd : public RecordPage<SatelliteHealthRecord> {
 public:
  explicit CSatelliteHealthWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

}  // namespace orv
