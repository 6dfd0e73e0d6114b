// Plain pages of the ephemeris, measurement and channel assignment windows: a header line and
// one row per word, satellite or channel.
#include "windows/TrackingWindows.h"

#include "ids/CommandIds.h"
#include <vector>

#include "util/Format.h"

namespace orv {

namespace {

constexpr PopupEntry kEphemerisPopup[] = {ContinuousItem(22), OneShotItem(22), ClearDataItem()};
constexpr PageSpec kEphemerisSpec{cmd::kWndEphemeris, nullptr, {kFaceSansSerif, 10, 700}, true, kEphemerisPopup, {},
                                  200, 165};

// The rate items ask for continuous blocks at 1, 2, 5 and 10 Hz.
constexpr PopupEntry kMeasurementPopup[] = {
    {pagecmd::kContinuous, "1 Hz", PopupAction::Request, 23, kContinuous},
    {CMeasWnd::k2HzCommand, "2 Hz", PopupAction::Request, 1023, kContinuous},
    {CMeasWnd::k5HzCommand, "5 Hz", PopupAction::Request, 2023, kContinuous},
    {CMeasWnd::k10HzCommand, "10Hz", PopupAction::Request, 3023, kContinuous},
    OneShotItem(23),
    ClearDataItem(),
};
constexpr TableColumn kMeasurementColumns[] = {{20, 4}, {45, 4}, {70, 7}, {120, 12}, {200, 12}};
constexpr const char* kMeasurementTitles[] = {"CH", "SV", "C/N0", "Code", "Carrier"};
constexpr PageSpec kMeasurementSpec{cmd::kWndMeasurements, nullptr, {kFaceSansSerif, 10, 700}, true,
                                    kMeasurementPopup, {}, 300, 225};
constexpr PageSpec kBaseMeasurementSpec{cmd::kWndBaseMeasurements, nullptr, {kFaceSansSerif, 10, 700}, false,
                                        kMeasurementPopup, {}, 300, 225};

constexpr PopupEntry kChannelPopup[] = {
    ContinuousItem(6),
    OneShotItem(6),
    FrameItem(pagecmd::kSpecific1, "Deselect Channels", cmd::kChannelDeselection),
    FrameItem(pagecmd::kSpecific2, "Track SV", cmd::kTrackSvRequest),
    ClearDataItem(),
};
constexpr PageSpec kChannelSpec{cmd::kWndChannelAssignment, nullptr, {kFaceFixed, 8, 0}, true, kChannelPopup, {},
                                460, 200};

constexpr const char* kTrackingStatus[] = {"Not Ready", "Bit Ready", "Measready", "Failed"};
constexpr const char* kLocationStatus[] = {"Idle", "Location", "Tracking", ""};

}  // namespace

CEphemWnd::CEphemWnd(const PageContext& context) : RecordPage(kEphemerisSpec, context) {}

void CEphemWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(20, 10, "SV:");
  canvas.TextOut(20, 30, "Words (hex):");
}

void CEphemWnd::DrawValues(Canvas& canvas) {
  const EphemerisRecord& r = *record();
  ValueOut(canvas, 60, 10, Format("%2d", r.svIndex() + 1), 6);
  for (int row = 0; row < 8; ++row) {
    ValueOut(canvas, 20, 45 + 15 * row,
             Format("%06X  %06X  %06X", r.word(3 * row), r.word(3 * row + 1), r.word(3 * row + 2)), 26);
  }
}

CMeasWnd::CMeasWnd(const PageContext& context, bool base)
    : RecordPage(base ? kBaseMeasurementSpec : kMeasurementSpec, context), base_(base) {}

void CMeasWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(20, 5, "GPS Time:");
  canvas.TextOut(20, 20, "Entries:");
  DrawTableHeader(canvas, 40, kMeasurementColumns, kMeasurementTitles);
}

// Rows past the block's entries are blanked, so a shorter block leaves nothing of a longer.
void CMeasWnd::DrawValues(Canvas& canvas) {
  const MeasurementBlockRecord& r = *record();
  ValueOut(canvas, 100, 5, Format("%lf", r.gpsSeconds()), 24);
  ValueOut(canvas, 100, 20, Format("%d", r.entryCount()), 8);
  for (int i = 0; i < MeasurementBlockRecord::kMaxEntries; ++i) {
    std::vector<std::string> cells;
    if (i < r.entryCount()) {
      const MeasurementEntry e = r.entry(i);
      cells = {Format("%02d", i + 1), Format("%d", e.sv()), Format("%.2f", e.cn0()), Format("%u", e.code()),
               Format("%u", e.carrier())};
    }
    DrawTableRow(canvas, 55 + 13 * i, kMeasurementColumns, cells);
  }
}

bool CMeasWnd::IsEnabled(int command) const {
  const bool rate = command == pagecmd::kContinuous || command == k2HzCommand || command == k5HzCommand ||
                    command == k10HzCommand;
  return !(base_ && rate);
}

CChanAssWnd::CChanAssWnd(const PageContext& context) : RecordPage(kChannelSpec, context) {}

// Header and rows share their column widths.
void CChanAssWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(16, 20,
                 Format("%-2s  %3s %5s %5s  %10s  %-10s %-10s %-9s %8s %6s", "Ch", "Sv#", "SNR", "Rsrvd", "Carr. Freq",
                        "Tk Status", "Loc Status", "Chan Mode", "Reserved", "Parity"));
}

void CChanAssWnd::DrawValues(Canvas& canvas) {
  const ChannelAssignmentRecord& r = *record();
  for (int i = 0; i < ChannelAssignmentRecord::kChannels; ++i) {
    const ChannelEntry e = r.entry(i);
    ValueOut(canvas, 16, 38 + 13 * i,
             Format("%02d  %3d %5.1f %5d  %10.0f  %-10s %-10s %-9s %8d %6d", i + 1, e.svNumber(),
                    static_cast<double>(e.snr()), e.rsrvd(), e.carrierFrequency(), kTrackingStatus[e.trackingStatus()],
                    kLocationStatus[e.locationStatus()], e.channelMode() ? "Auto" : "Manual", e.reserved(), e.parity()),
             80);
  }
}

}  // namespace orv
