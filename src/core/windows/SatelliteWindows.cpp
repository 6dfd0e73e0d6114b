// Plain pages of the satellite status, position and health windows.
#include "windows/SatelliteWindows.h"

#include "ids/CommandIds.h"
#include "protocol/FrameEncoder.h"
#include <vector>

#include "util/Format.h"

namespace orv {

namespace {

constexpr const char* kSvStatusNames[] = {"View", "Track", "Meas Rdy", "Use Nav"};

constexpr PopupEntry kSvStatusPopup[] = {
    ContinuousItem(33),
    OneShotItem(33),
    FrameItem(pagecmd::kSpecific1, "Deselect SVs", cmd::kSvDeselection),
    FrameItem(pagecmd::kSpecific2, "Set Mask Angle", cmd::kMaskAngle),
    FrameItem(pagecmd::kSpecific3, "Track SV", cmd::kTrackSvRequest),
    ClearDataItem(),
};
constexpr PageSpec kSvStatusSpec{cmd::kWndSvStatus, nullptr, {kFaceSansSerif, 10, 400}, true, kSvStatusPopup, {},
                                 215, 225};

constexpr PopupEntry kSvPositionPopup[] = {
    ContinuousItem(33),
    OneShotItem(33),
    FrameItem(pagecmd::kSpecific1, "Deselect SVs", cmd::kSvDeselection),
    FrameItem(pagecmd::kSpecific2, "Set Mask Angle", cmd::kMaskAngle),
    {CShowSVsPositionWnd::kShowMaskAngleCommand, "Show Mask Angle", PopupAction::PageCommand},
    FrameItem(pagecmd::kSpecific3, "Track SV", cmd::kTrackSvRequest),
    ClearDataItem(),
};
constexpr PageSpec kSvPositionSpec{cmd::kWndSvPosition, nullptr, {kFaceSansSerif, 10, 800}, true, kSvPositionPopup,
                                   {}, 240, 245};

constexpr PopupEntry kHealthPopup[] = {
    ContinuousItem(50),
    OneShotItem(50),
    FrameItem(pagecmd::kSpecific1, "Deselect SVs", cmd::kSvDeselection),
    ClearDataItem(),
};
constexpr PageSpec kHealthSpec{cmd::kWndSatelliteHealth, nullptr, {kFaceSansSerif, 10, 800}, true, kHealthPopup, {},
                               350, 150};

constexpr TableColumn kSatelliteColumns[] = {{16, 5}, {45, 10}, {110, 5}, {140, 5}, {170, 5}};
constexpr const char* kSatelliteTitles[] = {"SV", "Status", "Azi", "Ele", "SNR"};

void DrawSatelliteLabels(Canvas& canvas) {
  canvas.TextOut(16, 15, "SVs visible:");
  DrawTableHeader(canvas, 35, kSatelliteColumns, kSatelliteTitles);
}

// The count line and one row per satellite; rows past the count are blanked.
void DrawSatelliteRows(Canvas& canvas, const SvStatusRecord& r, int y) {
  ValueOut(canvas, 110, 15, Format("%d", r.svCount()), 6);
  for (int i = 0; i < SvStatusRecord::kMaxEntries; ++i) {
    std::vector<std::string> cells;
    if (i < r.svCount()) {
      const SvStatusEntry e = r.entry(i);
      cells = {Format("%d", e.svNumber()), kSvStatusNames[e.status()], Format("%d", e.azimuth()),
               Format("%d", e.elevation()), Format("%d", e.snr())};
    }
    DrawTableRow(canvas, y + 13 * i, kSatelliteColumns, cells);
  }
}

}  // namespace

CSVsStatusWnd::CSVsStatusWnd(const PageContext& context) : RecordPage(kSvStatusSpec, context) {}

void CSVsStatusWnd::DrawLabels(Canvas& canvas) { DrawSatelliteLabels(canvas); }

void CSVsStatusWnd::DrawValues(Canvas& canvas) { DrawSatelliteRows(canvas, *record(), 50); }

CShowSVsPositionWnd::CShowSVsPositionWnd(const PageContext& context) : LinkedPage(kSvPositionSpec, context) {}

// The receiver status message answers the window's own request only.
void CShowSVsPositionWnd::ShowMaskAngle(const ReceiverStatusRecord& record) {
  if (!maskRequestPending_) return;
  maskRequestPending_ = false;
  mask_ = &record;
  InvalidateAll();
}

void CShowSVsPositionWnd::ClearRecord() {
  LinkedPage::ClearRecord();
  mask_ = nullptr;
  showMask_ = false;
}

void CShowSVsPositionWnd::OnPageCommand(int command) {
  if (command != kShowMaskAngleCommand) return;
  showMask_ = true;
  maskRequestPending_ = true;
  if (encoder() != nullptr) encoder()->SendRequest(49, kOneShot);
}

void CShowSVsPositionWnd::DrawLabels(Canvas& canvas) {
  DrawSatelliteLabels(canvas);
  canvas.TextOut(16, 215, "Mask Angle:");
  if (showMask_ && mask_ != nullptr) {
    canvas.TextOut(110, 215, Format("%d deg", mask_->maskAngleHundredths() / 100));
  }
}

void CShowSVsPositionWnd::DrawValues(Canvas& canvas) { DrawSatelliteRows(canvas, *record(), 50); }

CSatelliteHealthWnd::CSatelliteHealthWnd(const PageContext& context) : RecordPage(kHealthSpec, context) {}

void CSatelliteHealthWnd::DrawLabels(Canvas& canvas) {
  for (int n = 1; n <= 32; ++n) {
    canvas.TextOut(16 + ((n - 1) / 8) * 85, 15 + ((n - 1) % 8) * 15, Format("SV %2d:", n));
  }
}

// Each satellite's two-bit code, and "H" for healthy or "U" for unhealthy.
void CSatelliteHealthWnd::DrawValues(Canvas& canvas) {
  constexpr const char* kCodes[] = {"00 H", "01 U", "10 U", "11 U"};
  for (int n = 1; n <= 32; ++n) {
    ValueOut(canvas, 60 + ((n - 1) / 8) * 85, 15 + ((n - 1) % 8) * 15, kCodes[record()->healthCode(n)], 6);
  }
}

}  // namespace orv
