// Pages of the ephemeris, measurement and channel assignment windows.
#include "windows/TrackingWindows.h"

#include "ids/CommandIds.h"
#include "util/Format.h"
#include "windows/PageText.h"
#include "windows/RuledTable.h"

namespace orv {

namespace {

constexpr PopupEntry kEphemerisPopup[] = {ContinuousItem(22), OneShotItem(22), ClearDataItem()};
constexpr PageSpec kEphemerisSpec{cmd::kWndEphemeris, nullptr, {kFaceSansSerif, 10, 700}, true, kEphemerisPopup, {},
                                  205, 155};

// The rate items ask for continuous blocks at 1, 2, 5 and 10 Hz.
constexpr PopupEntry kMeasurementPopup[] = {
    {pagecmd::kContinuous, "1 Hz", PopupAction::Request, 23, kContinuous},
    {CMeasWnd::k2HzCommand, "2 Hz", PopupAction::Request, 1023, kContinuous},
    {CMeasWnd::k5HzCommand, "5 Hz", PopupAction::Request, 2023, kContinuous},
    {CMeasWnd::k10HzCommand, "10Hz", PopupAction::Request, 3023, kContinuous},
    OneShotItem(23),
    ClearDataItem(),
};
constexpr PageSpec kMeasurementSpec{cmd::kWndMeasurements, nullptr, {kFaceSansSerif, 10, 700}, true,
                                    kMeasurementPopup, {}, 250, 200};
constexpr PageSpec kBaseMeasurementSpec{cmd::kWndBaseMeasurements, nullptr, {kFaceSansSerif, 10, 700}, false,
                                        kMeasurementPopup, {}, 250, 200};

// Where the measurement table's cells start, and the blank line that erases a row.
constexpr int kMeasurementX[] = {1, 25, 45, 85, 165};
const std::string kBlankLine(59, ' ');

constexpr PopupEntry kChannelPopup[] = {
    ContinuousItem(6),
    OneShotItem(6),
    FrameItem(pagecmd::kSpecific1, "Deselect Channels", cmd::kChannelDeselection),
    FrameItem(pagecmd::kSpecific2, "Track SV", cmd::kTrackSvRequest),
    ClearDataItem(),
};
constexpr PageSpec kChannelSpec{cmd::kWndChannelAssignment, nullptr, {kFaceFixed, 8, 0}, true, kChannelPopup, {},
                                430, 200};

// Twelve slots: the empty first column, ten headed ones and the empty slot that ends them.
constexpr const char* kChannelHeaders[] = {"",           "Ch#",       "Sv#",       " SNR ",    " Rsrvd", "Carr. Freq",
                                           " Tk Status ", "Loc Status", "Chan Mode", "Reserved", "Parity", ""};
constexpr const char* kTrackingStatus[] = {"Not Ready", "Bit Ready", "Measready", " Failed "};
constexpr const char* kLocationStatus[] = {"  Idle  ", "Location", "Tracking", ""};
constexpr const char* kChannelMode[] = {" Manual ", "  Auto   "};
constexpr Colour kRowColours[] = {0x808080, 0x008000, 0x800000, 0x008080};

}  // namespace

CEphemWnd::CEphemWnd(const PageContext& context) : RecordPage(kEphemerisSpec, context) {}

void CEphemWnd::DrawLabels(Canvas& canvas) { canvas.TextOut(20, 10, "SV:  "); }

// Three 24-bit words a row, each as its three bytes in the order they are stored.
void CEphemWnd::DrawValues(Canvas& canvas) {
  const EphemerisRecord& r = *record();
  canvas.TextOut(40, 10, Format("%2d ", r.svIndex() + 1));
  const std::span<const uint8_t> data = r.bytes().subspan(1);
  for (int row = 0; row < 8; ++row) {
    const int y = 30 + 15 * row;
    canvas.TextOut(1, y, kBlankLine);
    for (int g = 0; g < 3; ++g) {
      const std::size_t at = 3 * static_cast<std::size_t>(3 * row + g);
      canvas.TextOut(1 + 65 * g, y, Format("%02X%02X%02X ", data[at], data[at + 1], data[at + 2]));
    }
  }
}

CMeasWnd::CMeasWnd(const PageContext& context, bool base)
    : RecordPage(base ? kBaseMeasurementSpec : kMeasurementSpec, context), base_(base) {}

void CMeasWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(20, 1, "Predicted GPS Time: ");
  canvas.TextOut(1, 20, "CH  SV  CN        Code           Carrier");
  canvas.SetPen(PenStyle::Solid, 1, canvas.WindowTextColour());
  canvas.MoveTo(1, 35);
  canvas.LineTo(240, 35);
}

// Rows past the block's entries are blanked: the blank line, and every cell of the row, so
// that nothing of a longer block is left whatever the width of the face's blanks.
void CMeasWnd::DrawValues(Canvas& canvas) {
  const MeasurementBlockRecord& r = *record();
  canvas.TextOut(140, 1, Format("%lf", r.gpsSeconds()));
  for (int i = 0; i < kRows; ++i) {
    const int y = 40 + 13 * i;
    if (i < r.entryCount()) {
      const MeasurementEntry e = r.entry(i);
      // The satellite as the store files it: its low five bits.
      canvas.TextOut(kMeasurementX[0], y, Format("%02d ", i + 1));
      canvas.TextOut(kMeasurementX[1], y, Format("%2d ", (e.svByte() & 31) + 1));
      canvas.TextOut(kMeasurementX[2], y, Format("%3.2f  ", e.cn0()));
      canvas.TextOut(kMeasurementX[3], y, Format("%10u   ", e.code()));
      canvas.TextOut(kMeasurementX[4], y, Format("%10u   ", e.carrier()));
    } else {
      canvas.TextOut(kMeasurementX[0], y, kBlankLine);
      for (std::size_t c = 1; c < std::size(kMeasurementX); ++c) canvas.TextOut(kMeasurementX[c], y, "");
    }
  }
}

bool CMeasWnd::IsEnabled(int command) const {
  const bool rate = command == pagecmd::kContinuous || command == k2HzCommand || command == k5HzCommand ||
                    command == k10HzCommand;
  return !(base_ && rate);
}

CChanAssWnd::CChanAssWnd(const PageContext& context) : RecordPage(kChannelSpec, context) {}

Colour CChanAssWnd::RowColour(int trackingStatus) { return kRowColours[trackingStatus & 3]; }

void CChanAssWnd::DrawLabels(Canvas& canvas) {
  const RuledColumns columns(canvas, kChannelHeaders);
  canvas.TextOut(200, 5, "Current Status");
  DrawRuledTable(canvas, columns, kChannelHeaders, 20, 196, 37, 22);
}

void CChanAssWnd::DrawValues(Canvas& canvas) {
  const ChannelAssignmentRecord& r = *record();
  const RuledColumns columns(canvas, kChannelHeaders);
  for (int i = 0; i < ChannelAssignmentRecord::kChannels; ++i) {
    const ChannelEntry e = r.entry(i);
    const int y = 38 + 13 * i;
    canvas.SetTextColour(RowColour(e.trackingStatus()));
    canvas.TextOut(columns.x(1), y, Format("%02d", i + 1));
    canvas.TextOut(columns.x(2), y, Format("%02d", e.svNumber()));
    canvas.TextOut(columns.x(3), y, Format("%4.1f", static_cast<double>(e.snr())));
    canvas.TextOut(columns.x(4), y, Format("%3d  ", e.rsrvd()));
    canvas.TextOut(columns.x(5), y, Format("%8.0f", e.carrierFrequency()));
    canvas.TextOut(columns.x(6), y, kTrackingStatus[e.trackingStatus()]);
    canvas.TextOut(columns.x(7), y, kLocationStatus[e.locationStatus()]);
    canvas.TextOut(columns.x(8), y, kChannelMode[e.channelMode()]);
    canvas.TextOut(columns.x(9), y, Format("%5d  ", e.reserved()));
    canvas.TextOut(columns.x(10), y, Format("%3d  ", e.parity()));
    canvas.SetTextColour(0);
  }
}

}  // namespace orv
