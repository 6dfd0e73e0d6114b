// The sky plot: rings, compass and elevation labels, the mask band, and the satellites' dots.
#include "windows/SkyPlotWindow.h"

#include <cmath>

#include "ids/CommandIds.h"
#include "protocol/FrameEncoder.h"
#include "util/Format.h"

namespace orv {

namespace {

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
                                   {}, 410, 400};

constexpr int kCentreX = 205;
constexpr int kCentreY = 200;
constexpr double kHorizonRadius = 180;
constexpr double kRadiansPerDegree = 0.017453292519943295;

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kMaskGreen = 0x80FF80;
constexpr Colour kCompassColour = 0x3535AA;
constexpr Colour kStatusColours[] = {0x808080, 0x349E2B, 0x0000FF, 0xFF0000};

struct Ring {
  int elevation;
  int left, top, right, bottom;
};
constexpr Ring kHorizon{0, 25, 20, 385, 380};
constexpr Ring kInnerRings[] = {{30, 85, 80, 325, 320}, {60, 145, 140, 265, 260}};

void FilledEllipse(Canvas& canvas, const Ring& r, Colour fill) {
  canvas.SetBrush(fill);
  canvas.Ellipse(r.left, r.top, r.right, r.bottom);
}
void HollowEllipse(Canvas& canvas, const Ring& r) {
  canvas.SetNoBrush();
  canvas.Ellipse(r.left, r.top, r.right, r.bottom);
}

// The rings on white; with the mask shown, the band from the horizon up to the mask elevation
// in green. Rings at or below the mask lie inside the band and are drawn as outlines, so the
// band stays green across them; the white mask circle then covers the sky above the mask, and
// the rings above it are drawn on that.
void DrawRings(Canvas& canvas, bool showMask, int mask) {
  canvas.SetPen(PenStyle::Solid, 2, kBlack);
  if (!showMask) {
    FilledEllipse(canvas, kHorizon, kWhite);
    for (const Ring& r : kInnerRings) FilledEllipse(canvas, r, kWhite);
  } else {
    FilledEllipse(canvas, kHorizon, kMaskGreen);
    for (const Ring& r : kInnerRings) {
      if (r.elevation <= mask) HollowEllipse(canvas, r);
    }
    // A mask of 90 degrees or more leaves no sky above it: the whole plot is the band.
    if (mask < 90) {
      FilledEllipse(canvas, {mask, 25 + 2 * mask, 20 + 2 * mask, 385 - 2 * mask, 380 - 2 * mask}, kWhite);
      for (const Ring& r : kInnerRings) {
        if (r.elevation > mask) FilledEllipse(canvas, r, kWhite);
      }
    }
  }
  FilledEllipse(canvas, {90, 203, 198, 207, 202}, kWhite);
}

void DrawCompass(Canvas& canvas) {
  canvas.SetBackgroundMode(BackgroundMode::Transparent);
  canvas.SetTextAlign(TextAlign::Center);
  canvas.SetTextColour(kCompassColour);
  canvas.TextOut(205, 20, "0");
  canvas.TextOut(385, 200, " 90");
  canvas.TextOut(205, 383, "180");
  canvas.TextOut(25, 200, "270 ");
  // The elevation labels sit on the rings of the lower half, inside each ring.
  canvas.SetTextAlign(TextAlign::Center, TextVAlign::Bottom);
  canvas.SetTextColour(kBlack);
  canvas.TextOut(205, 380, "0");
  canvas.TextOut(205, 320, "30");
  canvas.TextOut(205, 260, "60");
  canvas.TextOut(205, 200, "90");
  canvas.SetTextAlign(TextAlign::Left);
}

}  // namespace

Colour SvStatusColour(int status) { return kStatusColours[status & 3]; }

CShowSVsPositionWnd::CShowSVsPositionWnd(const PageContext& context) : LinkedPage(kSvPositionSpec, context) {}

std::optional<SkyPoint> CShowSVsPositionWnd::PlotPoint(int elevation, int azimuth) {
  if (elevation < 0 || elevation > 90) return std::nullopt;
  const double r = ((90 - elevation) / 90.0) * kHorizonRadius;
  const double a = azimuth * kRadiansPerDegree;
  return SkyPoint{kCentreX + static_cast<int>(std::lround(r * std::sin(a))),
                  kCentreY - static_cast<int>(std::lround(r * std::cos(a)))};
}

CShowSVsPositionWnd::Dots CShowSVsPositionWnd::DotsOf(const SvStatusRecord& record) {
  Dots out;
  for (int i = 0; i < record.svCount(); ++i) {
    const SvStatusEntry e = record.entry(i);
    const auto at = PlotPoint(e.elevation(), e.azimuth());
    if (!at) continue;
    out.dots[static_cast<std::size_t>(out.count++)] = {e.svNumber(), *at, SvStatusColour(e.status())};
  }
  return out;
}

// The record's dots are kept until the host paints the values: several records may reach one
// paint, and each leaves its own dots.
void CShowSVsPositionWnd::ShowRecord(const SvStatusRecord& record) {
  const bool kept = pending_.Push(DotsOf(record));
  SetRecord(record);
  if (!kept) InvalidateAll();
}

// The receiver status message answers the window's own request only.
void CShowSVsPositionWnd::ShowMaskAngle(const ReceiverStatusRecord& record) {
  if (!maskRequestPending_) return;
  maskRequestPending_ = false;
  labelCount_ = 0;
  mask_ = &record;
  maskAngle_ = static_cast<uint16_t>(record.maskAngleHundredths() / 100);
  InvalidateAll();
}

// Back to plain rings: no mask, no satellites, and labels placed afresh.
void CShowSVsPositionWnd::ClearRecord() {
  LinkedPage::ClearRecord();
  mask_ = nullptr;
  showMask_ = false;
  labelCount_ = 0;
  pending_.Clear();
  drawn_.fill({});
}

void CShowSVsPositionWnd::OnPageCommand(int command) {
  if (command != kShowMaskAngleCommand) return;
  showMask_ = true;
  maskRequestPending_ = true;
  if (encoder() != nullptr) encoder()->SendRequest(49, kOneShot);
}

void CShowSVsPositionWnd::DrawLabels(Canvas& canvas) {
  DrawRings(canvas, showMask_, maskAngle_);
  DrawCompass(canvas);
}

// A whole paint shows the last record's satellites on the fresh background; an update adds
// the dots of every record since the last one.
void CShowSVsPositionWnd::DrawValues(Canvas& canvas) {
  if (paintingWholePage()) {
    pending_.Clear();
    drawn_.fill({});
    DrawDots(canvas, DotsOf(*record()));
    return;
  }
  pending_.Drain([&](const Dots& dots) { DrawDots(canvas, dots); });
}

SkyPoint CShowSVsPositionWnd::LabelPosition(int number, SkyPoint at) {
  for (std::size_t i = 0; i < labelCount_; ++i) {
    if (labelNumber_[i] == number) return labelAt_[i];
  }
  // A full cache (more satellites than it holds since the last mask update) keeps what it has;
  // the newcomer's label follows its dot.
  if (labelCount_ < kLabelCacheSize) {
    labelNumber_[labelCount_] = number;
    labelAt_[labelCount_] = at;
    ++labelCount_;
  }
  return at;
}

// Each dot in its status colour, outline and fill alike, and its number beside the place the
// satellite was first seen.
void CShowSVsPositionWnd::DrawDots(Canvas& canvas, const Dots& dots) {
  for (int i = 0; i < dots.count; ++i) {
    const Dot& d = dots.dots[static_cast<std::size_t>(i)];
    const SkyPoint label = LabelPosition(d.number, d.at);
    if (d.number >= 0 && d.number < static_cast<int>(drawn_.size())) {
      Drawn& last = drawn_[static_cast<std::size_t>(d.number)];
      if (last.valid && last.at == d.at && last.label == label && last.colour == d.colour) continue;
      last = {true, d.at, label, d.colour};
    }
    canvas.SetPen(PenStyle::Solid, 1, d.colour);
    canvas.SetBrush(d.colour);
    canvas.Ellipse(d.at.x - 2, d.at.y - 2, d.at.x + 2, d.at.y + 2);
    canvas.SetBackgroundMode(BackgroundMode::Transparent);
    canvas.SetTextColour(kBlack);
    canvas.SetTextAlign(TextAlign::Right, TextVAlign::Bottom);
    canvas.TextOut(label.x, label.y, Format("%2d", d.number));
  }
  canvas.SetTextAlign(TextAlign::Left);
}

}  // namespace orv
