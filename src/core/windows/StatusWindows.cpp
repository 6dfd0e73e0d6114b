// Pages of the receiver status, timing information, system profile and fault log windows.
#include "windows/StatusWindows.h"

#include "ids/CommandIds.h"
#include "util/Format.h"

namespace orv {

namespace {

using Rs = ReceiverStatusRecord;

constexpr Colour kDeselectedColour = Rgb(255, 0, 0);

const char* ReceiverSystemModeName(int mode) {
  constexpr const char* kNames[] = {"Self Test", "Initialization", "Acquisition", "Navigation", "Fault"};
  return mode >= 0 && mode < 5 ? kNames[mode] : "Unknow Mode";
}
const char* EnabledText(int on) { return on ? "Enabled" : "Disabled"; }

constexpr PopupEntry kReceiverStatusPopup[] = {ContinuousItem(49), OneShotItem(49), ClearDataItem()};
constexpr FieldRow<Rs> kReceiverStatusRows[] = {
    {15, "System Mode:", [](const Rs& r) { return std::string(ReceiverSystemModeName(r.systemMode())); }},
    {30, "Nav Mode:", [](const Rs& r) { return std::string(NavModeName(r.navMode())); }},
    {45, "SV Tracking Mode:", [](const Rs& r) { return std::string(r.svTrackingMode() ? "Sky Search" : "All In View"); }},
    {60, "NVM Status:", [](const Rs& r) { return std::string(r.nvmStatus() ? "Busy" : "Idle"); }},
    {75, "Tropo Model:", [](const Rs& r) { return std::string(EnabledText(r.tropoModelEnabled())); }},
    {90, "MSL Model:", [](const Rs& r) { return std::string(EnabledText(r.mslModelEnabled())); }},
    {105, "Power-up Mode:", [](const Rs& r) { return Format("%d", r.powerUpMode()); }},
    {120, "Time Source:", [](const Rs& r) { return Format("%d", r.timeSource()); }},
    {135, "Almanac Week:", [](const Rs& r) { return Format("%u", static_cast<unsigned>(r.almanacWeek())); }},
    {150, "Week Number:", [](const Rs& r) { return Format("%u", static_cast<unsigned>(r.weekNumber())); }},
    {165, "Mask Angle:", [](const Rs& r) { return Format("%.2f deg", r.maskAngleHundredths() / 100.0); }},
    {180, "Discrete Input:", [](const Rs& r) { return Format("0x%02x ", r.discreteInput()); }},
    {195, "TCXO Error Est.:", [](const Rs& r) { return Format("%d", r.tcxoErrorEstimate()); }},
    {210, "TCXO Ageing:", [](const Rs& r) { return Format("%.1f", r.tcxoAgeingTenths() / 10.0); }},
    {225, "Search Noise:", [](const Rs& r) { return Format("%.3f", static_cast<double>(r.searchNoise())); }},
    {245, "SVs Deselected:", nullptr},
    {295, "Channels Deselected:", nullptr},
    {330, "Bytes 12-18:", [](const Rs& r) { return HexWords(r.bytes().subspan(12, 7)); }},
    {345, "Bytes 30-39:", [](const Rs& r) { return HexWords(r.bytes().subspan(30, 10)); }},
};

constexpr int kNumberStep = 19;
constexpr int kSvGridY = 260;
constexpr int kChannelGridY = 310;

// Numbers 1 to `count` in rows of 16, each in red when its bit of `deselected` is set.
void DrawNumberGrid(Canvas& canvas, int y, int count, uint32_t deselected) {
  for (int n = 0; n < count; ++n) {
    canvas.SetTextColour((deselected >> n) & 1 ? kDeselectedColour : canvas.WindowTextColour());
    canvas.TextOut(16 + (n % 16) * kNumberStep, y + (n / 16) * 15, Format("%2d", n + 1));
  }
  canvas.SetTextColour(canvas.WindowTextColour());
}

constexpr PageSpec kReceiverStatusSpec{cmd::kWndReceiverStatus, "Receiver Status (ID49)", {kFaceSansSerif, 10, 400},
                                       true, kReceiverStatusPopup, {}, 340, 365};

// Timing information: all 59 bytes, eight to a row.
constexpr PopupEntry kTimingPopup[] = {
    ContinuousItem(113), OneShotItem(113), FrameItem(pagecmd::kSpecific1, "Set Parameters", cmd::kTimingParameters),
    ClearDataItem()};
constexpr HexBlock kTimingBlock{16, 50, 35, 15, 8, 8};
constexpr PageSpec kTimingSpec{cmd::kWndTiming, "Timing Information (ID113)", {kFaceSansSerif, 10, 700}, true,
                               kTimingPopup, {}, 230, 160};

constexpr PopupEntry kProfilePopup[] = {ContinuousItem(111), OneShotItem(111), ClearDataItem()};
constexpr int kProfileRows = 21;
constexpr int kProfileColumnX[] = {16, 96, 176};
constexpr PageSpec kProfileSpec{cmd::kWndSystemProfile, "System Profile (ID111)", {kFaceSansSerif, 10, 400}, true,
                                kProfilePopup, {}, 260, 320};

constexpr PopupEntry kFaultMenu[] = {
    {CFaultLogWnd::kFaultDataCommand, "Fault Data", PopupAction::Request, 41, kContinuous},
    {CFaultLogWnd::kClearFaultCommand, "Clear Fault", PopupAction::Request, 100, kOneShot},
    ClearDataItem(),
};
constexpr HexBlock kFaultBlock{8, 40, 25, 15, 8, 10};
constexpr PageSpec kFaultSpec{cmd::kWndFaultLog, nullptr, {kFaceSansSerif, 10, 400}, false, {}, kFaultMenu, 240, 180};

}  // namespace

CReceiverStatusWnd::CReceiverStatusWnd(const PageContext& context)
    : TablePage(kReceiverStatusSpec, context, Columns{16, 135, 0, 24}, kReceiverStatusRows) {}

void CReceiverStatusWnd::DrawLabels(Canvas& canvas) {
  TablePage::DrawLabels(canvas);
  // Without a record the grids show which numbers exist, none of them deselected.
  DrawNumberGrid(canvas, kSvGridY, 32, 0);
  DrawNumberGrid(canvas, kChannelGridY, 12, 0);
}

void CReceiverStatusWnd::DrawValues(Canvas& canvas) {
  TablePage::DrawValues(canvas);
  DrawNumberGrid(canvas, kSvGridY, 32, record()->svDeselection());
  DrawNumberGrid(canvas, kChannelGridY, 12, record()->channelDeselection() & 0x0FFF);
}

CTimingInformationWnd::CTimingInformationWnd(const PageContext& context) : RecordPage(kTimingSpec, context) {}

void CTimingInformationWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(16, 15, "Timing data (hex):");
  DrawHexOffsets(canvas, kTimingBlock);
}

void CTimingInformationWnd::DrawValues(Canvas& canvas) { DrawHexRows(canvas, kTimingBlock, record()->bytes()); }

CSystemProfileWnd::CSystemProfileWnd(const PageContext& context) : RecordPage(kProfileSpec, context) {}

void CSystemProfileWnd::DrawLabels(Canvas& canvas) { canvas.TextOut(16, 15, "Entries:"); }

// Entries beyond the count are blanked: a shorter profile leaves nothing of a longer one.
void CSystemProfileWnd::DrawValues(Canvas& canvas) {
  const SystemProfileRecord& r = *record();
  ValueOut(canvas, 96, 15, Format("%d", r.entryCount()), 8);
  for (int i = 0; i < kMaxEntries; ++i) {
    const int x = kProfileColumnX[i / kProfileRows];
    const int y = 35 + (i % kProfileRows) * 13;
    ValueOut(canvas, x, y, i < r.entryCount() ? Format("%2d: %08X", i + 1, r.entry(i)) : std::string(), 14);
  }
}

CFaultLogWnd::CFaultLogWnd(const PageContext& context) : RecordPage(kFaultSpec, context) {}

void CFaultLogWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(8, 5, "Fault log (hex):");
  DrawHexOffsets(canvas, kFaultBlock);
}

void CFaultLogWnd::DrawValues(Canvas& canvas) { DrawHexRows(canvas, kFaultBlock, record()->bytes()); }

}  // namespace orv
