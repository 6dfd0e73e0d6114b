// Pages of the differential windows. Their records carry no field the console interprets, so
// they show the bytes as they came, in hexadecimal.
#include "windows/DgpsWindows.h"

#include "ids/CommandIds.h"
#include "util/Format.h"

namespace orv {

namespace {

constexpr PopupEntry kDgpsStatusPopup[] = {ContinuousItem(48), OneShotItem(48), ClearCountersItem()};
constexpr HexBlock kDgpsStatusBlock{16, 50, 50, 15, 8, 3};
constexpr PageSpec kDgpsStatusSpec{cmd::kWndDgpsStatus, nullptr, {kFaceSansSerif, 10, 400}, true,
                                   kDgpsStatusPopup, {}, 250, 100};

constexpr PopupEntry kWaasPopup[] = {ContinuousItem(68), OneShotItem(68), ClearCountersItem()};
constexpr HexBlock kWaasBlock{16, 50, 50, 15, 8, 1};
constexpr PageSpec kWaasSpec{cmd::kWndWaasStatus, nullptr, {kFaceSansSerif, 10, 400}, true, kWaasPopup, {}, 250, 70};

// "Set DGPS Config" opens the frame's DGPS configuration dialog.
constexpr PopupEntry kDgpsConfigPopup[] = {
    ContinuousItem(43), OneShotItem(43),
    FrameItem(pagecmd::kSpecific1, "Set DGPS Config", cmd::kDgpsConfiguration), ClearDataItem()};
constexpr HexBlock kDgpsConfigBlock{16, 50, 35, 15, 8, 3};
constexpr PageSpec kDgpsConfigSpec{cmd::kWndDgpsConfiguration, nullptr, {kFaceSansSerif, 10, 800}, true,
                                   kDgpsConfigPopup, {}, 230, 85};

constexpr PopupEntry kDgpsDataPopup[] = {
    FrameItem(pagecmd::kSpecific1, "Set DGPS Config", cmd::kDgpsConfiguration), ClearDataItem()};
constexpr std::size_t kDgpsDataRows = (DgpsDataRecord::kCapacity + 15) / 16;
constexpr HexBlock kDgpsDataBlock{16, 55, 35, 15, 16, kDgpsDataRows, true};
constexpr PageSpec kDgpsDataSpec{cmd::kWndDgpsData, nullptr, {kFaceSansSerif, 10, 800}, true, kDgpsDataPopup, {},
                                 420, 35 + 15 * static_cast<int>(kDgpsDataRows)};

// The counter line and the record's bytes below it.
void DrawCountedLabels(Canvas& canvas, const HexBlock& block) {
  canvas.TextOut(16, 15, "Messages received:");
  canvas.TextOut(16, 35, "Data (hex):");
  DrawHexOffsets(canvas, block);
}

void DrawCounter(Canvas& canvas, uint32_t count) { ValueOut(canvas, 145, 15, Format("%u", count), 15); }

}  // namespace

CDGPSStatWnd::CDGPSStatWnd(const PageContext& context) : CountingPage(kDgpsStatusSpec, context) {}

void CDGPSStatWnd::DrawLabels(Canvas& canvas) { DrawCountedLabels(canvas, kDgpsStatusBlock); }

void CDGPSStatWnd::DrawValues(Canvas& canvas) {
  DrawCounter(canvas, received());
  DrawHexRows(canvas, kDgpsStatusBlock, record()->bytes());
}

CWAASStatusWnd::CWAASStatusWnd(const PageContext& context) : CountingPage(kWaasSpec, context) {}

void CWAASStatusWnd::DrawLabels(Canvas& canvas) { DrawCountedLabels(canvas, kWaasBlock); }

void CWAASStatusWnd::DrawValues(Canvas& canvas) {
  DrawCounter(canvas, received());
  DrawHexRows(canvas, kWaasBlock, record()->bytes());
}

CDGPSConfigWnd::CDGPSConfigWnd(const PageContext& context) : RecordPage(kDgpsConfigSpec, context) {}

void CDGPSConfigWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(16, 15, "Configuration (hex):");
  DrawHexOffsets(canvas, kDgpsConfigBlock);
}

void CDGPSConfigWnd::DrawValues(Canvas& canvas) { DrawHexRows(canvas, kDgpsConfigBlock, record()->bytes()); }

CDGPSDataWnd::CDGPSDataWnd(const PageContext& context) : RecordPage(kDgpsDataSpec, context) {}

void CDGPSDataWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(16, 15, "RTCM data:");
  DrawHexOffsets(canvas, kDgpsDataBlock);
}

void CDGPSDataWnd::DrawValues(Canvas& canvas) {
  const DgpsDataRecord& r = *record();
  const char* overflow = r.overflowed() ? ", later bytes dropped" : "";
  ValueOut(canvas, 100, 15, Format("%zu bytes%s", r.length(), overflow), 40);
  DrawHexRows(canvas, kDgpsDataBlock, r.data());
}

}  // namespace orv
