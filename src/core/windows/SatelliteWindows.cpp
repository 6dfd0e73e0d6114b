// Pages of the satellite status and satellite health windows.
#include "windows/SatelliteWindows.h"

#include <string>

#include "ids/CommandIds.h"
#include "util/Format.h"
#include "windows/RuledTable.h"

namespace orv {

namespace {

constexpr PopupEntry kSvStatusPopup[] = {
    ContinuousItem(33),
    OneShotItem(33),
    FrameItem(pagecmd::kSpecific1, "Deselect SVs", cmd::kSvDeselection),
    FrameItem(pagecmd::kSpecific2, "Set Mask Angle", cmd::kMaskAngle),
    FrameItem(pagecmd::kSpecific3, "Track SV", cmd::kTrackSvRequest),
    ClearDataItem(),
};
constexpr PageSpec kSvStatusSpec{cmd::kWndSvStatus, nullptr, {kFaceSansSerif, 10, 400}, true, kSvStatusPopup, {},
                                 250, 215};

constexpr const char* kSvStatusHeaders[] = {"", "SV#", "   Status   ", "Azi(deg)", "Ele(deg)", "SNR", ""};
constexpr const char* kSvStatusTexts[] = {"View     ", "Track    ", "Meas Rdy ", "Use Nav  "};
// The blanks drawn before each cell of a row, one run per column.
constexpr std::size_t kSvStatusBlanks[] = {5, 17, 8, 5, 5};

constexpr PopupEntry kHealthPopup[] = {
    ContinuousItem(50),
    OneShotItem(50),
    FrameItem(pagecmd::kSpecific1, "Deselect SVs", cmd::kSvDeselection),
    ClearDataItem(),
};
constexpr PageSpec kHealthSpec{cmd::kWndSatelliteHealth, nullptr, {kFaceSansSerif, 10, 800}, true, kHealthPopup, {},
                               440, 205};

constexpr const char* kHealthDigits[] = {"00", "01", "10", "11"};
constexpr const char* kHealthLetters[] = {"H", "U", "U", "U"};

int SvStatusTitleX(const RuledColumns& columns) { return (columns.x(columns.count()) - columns.x(0)) / 2 - 15; }

// One grid of 16 satellites between `top` and `top` + 75: three rows of 25 pixels, sixteen
// columns of 25 pixels.
void DrawHealthGrid(Canvas& canvas, int top) {
  canvas.Rectangle(20, top, 420, top + 75);
  for (int y : {top + 25, top + 50}) {
    canvas.MoveTo(20, y);
    canvas.LineTo(420, y);
  }
  for (int x = 45; x < 420; x += 25) {
    canvas.MoveTo(x, top);
    canvas.LineTo(x, top + 75);
  }
}

}  // namespace

CSVsStatusWnd::CSVsStatusWnd(const PageContext& context) : RecordPage(kSvStatusSpec, context) {}

void CSVsStatusWnd::DrawLabels(Canvas& canvas) {
  const RuledColumns columns(canvas, kSvStatusHeaders);
  DrawRuledTable(canvas, columns, kSvStatusHeaders, 20, 210, 37, 22);
  canvas.TextOut(SvStatusTitleX(columns), 5, "SVs visible =");
}

// Each cell is first cleared with its column's run of blanks; rows past the count keep only
// the blanks, so a shorter list leaves nothing of a longer one.
void CSVsStatusWnd::DrawValues(Canvas& canvas) {
  const SvStatusRecord& r = *record();
  const RuledColumns columns(canvas, kSvStatusHeaders);
  canvas.TextOut(SvStatusTitleX(columns), 5, Format("SVs visible = %2d ", r.svCount()));
  for (int i = 0; i < SvStatusRecord::kMaxEntries; ++i) {
    const int y = 38 + 13 * i;
    for (int c = 0; c < 5; ++c) canvas.TextOut(columns.x(c + 1), y, std::string(kSvStatusBlanks[c], ' '));
    if (i >= r.svCount()) continue;
    const SvStatusEntry e = r.entry(i);
    canvas.SetTextColour(SvStatusColour(e.status()));
    canvas.TextOut(columns.x(1), y, Format("%2d", e.svNumber()));
    canvas.TextOut(columns.x(2), y, kSvStatusTexts[e.status()]);
    canvas.TextOut(columns.x(3), y, Format("%3d", e.azimuth()));
    canvas.TextOut(columns.x(4), y, Format("%2d", e.elevation()));
    canvas.TextOut(columns.x(5), y, Format("%2d", e.snr()));
    canvas.SetTextColour(0);
  }
  canvas.SetTextColour(0);
}

CSatelliteHealthWnd::CSatelliteHealthWnd(const PageContext& context) : RecordPage(kHealthSpec, context) {}

void CSatelliteHealthWnd::DrawLabels(Canvas& canvas) {
  canvas.SetTextAlign(TextAlign::Center, TextVAlign::Bottom);
  canvas.SetPen(PenStyle::Solid, 1, canvas.WindowTextColour());
  canvas.SetNoBrush();
  DrawHealthGrid(canvas, 20);
  DrawHealthGrid(canvas, 120);
  for (int j = 0; j < 16; ++j) {
    canvas.TextOut(32 + 25 * j, 40, Format("%2d", j + 1));
    canvas.TextOut(32 + 25 * j, 140, Format("%2d", j + 17));
  }
}

// The code's two binary digits on the upper line of its grid, "H" (healthy) or "U" on the
// lower one; both lie within their cells, so the rules stay.
void CSatelliteHealthWnd::DrawValues(Canvas& canvas) {
  const SatelliteHealthRecord& r = *record();
  canvas.SetTextAlign(TextAlign::Center, TextVAlign::Bottom);
  for (int n = 1; n <= 32; ++n) {
    const int code = r.healthCode(n);
    const int x = 32 + 25 * ((n - 1) % 16);
    const int y = n <= 16 ? 65 : 165;
    canvas.TextOut(x, y, kHealthDigits[code]);
    canvas.TextOut(x, y + 25, kHealthLetters[code]);
  }
}

}  // namespace orv
