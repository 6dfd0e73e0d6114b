// The navigation position plot: its menus, settings, painting, printing and PDF output.
#include "plot/NavPlotWnd.h"

#include <algorithm>
#include <cmath>

#include "config/Configuration.h"
#include "geodesy/AngleText.h"
#include "geodesy/Angles.h"
#include "ids/CommandIds.h"
#include "plot/PlotStatistics.h"
#include "protocol/FrameEncoder.h"

namespace orv {

namespace {

using W = CNavPlotWnd;

constexpr PopupEntry kViewMenu[] = {
    PageItem(W::kZoomIn, "Zoom &In"),
    PageItem(W::kZoomOut, "Zoom &Out"),
    Separator(),
    PageItem(W::kShowCoor, "Show &Coor"),
    PageItem(W::kShowGrid, "Show &Grid"),
    PageItem(W::kShowStatistics, "Show &Statistics"),
    Separator(),
    {W::kClearData, "Clear &Data", PopupAction::ClearData},
};
constexpr PopupEntry kCentreMenu[] = {
    PageItem(W::kCentreCurrent, "&Current Nav position"),
    PageItem(W::kCentreDefault, "&Default Position"),
    PageItem(W::kCentreEnter, "&Enter Position"),
};
constexpr int kStyleGroup = 1;
constexpr int kSizeGroup = 2;
constexpr PopupEntry kDotMenu[] = {
    ChoiceItem(W::kStyleDot, "Dot", kStyleGroup),
    ChoiceItem(W::kStylePlus, "&Plus Sign", kStyleGroup),
    Separator(),
    ChoiceItem(W::kSizeSmall, "&Small", kSizeGroup),
    ChoiceItem(W::kSizeMedium, "&Medium", kSizeGroup),
    ChoiceItem(W::kSizeLarge, "&Large", kSizeGroup),
};
constexpr PopupEntry kMenuBar[] = {
    Submenu("&View", kViewMenu),
    Submenu("&Centre", kCentreMenu),
    Submenu("D&ots", kDotMenu),
    PageItem(W::kPrint, "&Print"),
    PageItem(W::kExportPdf, "Export PDF..."),
};
constexpr PageSpec kPlotSpec{cmd::kWndPlot, nullptr, {kFaceSansSerif, 10, 400}, false, {}, kMenuBar, 300, 300};

// Steel blue: the circles stand apart from the black labels and from every mode's colour.
constexpr Colour kCircleColour = Rgb(64, 96, 160);
constexpr Colour kGridColour = Rgb(160, 160, 160);
constexpr int kLabelMargin = 2;

constexpr PageKind kPlotKinds[] = {
    {cmd::kWndPlot, MakePage<CNavPlotWnd>, StoreLink<&WindowLinks::navigationPlot>, false},
};

}  // namespace

std::span<const PageKind> PlotPageKinds() { return kPlotKinds; }

CNavPlotWnd::CNavPlotWnd(const PageContext& context)
    : Page(kPlotSpec, context),
      settings_(context.config != nullptr ? ReadPlotSettings(*context.config) : DefaultPlotSettings()) {}

void CNavPlotWnd::AddPoint(double latitude, double longitude, int navMode) {
  const PlotFix fix{latitude, longitude, static_cast<uint32_t>(navMode & 0x1F)};
  ring_.Add(fix);
  latest_ = fix;
  QueueUpdate(pending_, fix);
}

void CNavPlotWnd::SaveSettings(Configuration& record) const { WritePlotSettings(settings_, record); }

void CNavPlotWnd::ApplySettings(const PlotSettings& s) {
  settings_ = s;
  settings_.scale = std::clamp(s.scale, kPlotMinScale, kPlotMaxScale);
  settings_.dotSize = std::clamp(s.dotSize, kPlotMinDotSize, kPlotMaxDotSize);
  InvalidateAll();
}

PlotFrame CNavPlotWnd::FrameFor(AreaSize size) const {
  return PlotFrame(size, settings_.centreLatitude, settings_.centreLongitude, settings_.scale);
}

void CNavPlotWnd::DrawPicture(Canvas& canvas) {
  canvas.SetFont(font());
  canvas.SetTextAlign(TextAlign::Left);
  canvas.SetTextColour(canvas.WindowTextColour());
  canvas.SetBackgroundMode(BackgroundMode::Transparent);
  const PlotFrame frame = FrameFor(canvas.GetAreaSize());
  DrawBackground(canvas, frame);
  DrawAllMarks(canvas, frame);
  DrawStatisticsLine(canvas, frame);
}

void CNavPlotWnd::DrawLabels(Canvas& canvas) { DrawBackground(canvas, FrameFor(canvas.GetAreaSize())); }

// A whole paint draws every stored fix and the newest in black; an update draws the fixes that
// came since, each turning the one before it from black to its own colour.
void CNavPlotWnd::DrawValues(Canvas& canvas) {
  const PlotFrame frame = FrameFor(canvas.GetAreaSize());
  if (paintingWholePage()) {
    pending_.Clear();
    DrawAllMarks(canvas, frame);
    drawnNewest_ = latest_;
  } else {
    pending_.Drain([&](const PlotFix& fix) {
      if (drawnNewest_) DrawMark(canvas, frame, *drawnNewest_, PlotModeColour(static_cast<int>(drawnNewest_->mode)));
      DrawMark(canvas, frame, fix, PlotModeColour(kPlotNewestMode));
      drawnNewest_ = fix;
    });
  }
  DrawStatisticsLine(canvas, frame);
}

// Range circles with their labels at their top, then the grid and the coordinate labels.
void CNavPlotWnd::DrawBackground(Canvas& canvas, const PlotFrame& frame) {
  const int cx = frame.centreX();
  const int cy = frame.centreY();
  const int r = frame.radius();
  const int scale = frame.scale();
  canvas.SetPen(PenStyle::Solid, 1, kCircleColour);
  canvas.SetNoBrush();
  canvas.SetTextColour(canvas.WindowTextColour());
  canvas.SetBackgroundMode(BackgroundMode::Transparent);
  canvas.SetTextAlign(TextAlign::Center, TextVAlign::Bottom);
  const struct {
    int radius;
    double metres;
  } circles[] = {{r, static_cast<double>(scale)}, {r / 2, scale / 2.0}, {r / 10, scale / 10.0}};
  for (const auto& c : circles) {
    // The ring's pixels run from cx - radius to cx + radius, the same distance on every side.
    canvas.Ellipse(cx - c.radius, cy - c.radius, cx + c.radius + 1, cy + c.radius + 1);
    canvas.TextOut(cx, cy - c.radius - 1, RangeLabel(c.metres));
  }
  if (settings_.showGrid) {
    const AreaSize area = frame.area();
    canvas.SetPen(PenStyle::Dotted, 1, kGridColour);
    for (const int o : {-r, -r / 2, 0, r / 2, r}) {
      canvas.MoveTo(cx + o, 0);
      canvas.LineTo(cx + o, area.height);
      canvas.MoveTo(0, cy + o);
      canvas.LineTo(area.width, cy + o);
    }
  }
  if (settings_.showCoordinates) DrawCoordinates(canvas, frame);
  canvas.SetTextAlign(TextAlign::Left);
}

// Latitudes at the left end of the horizontal lines, above them (the top line's below it, clear
// of the longitudes in the top row). Longitudes centred on the vertical lines and kept within the
// area: those of the lines at -R/2 and +R/2 at the foot, the centre's a row above them, and
// those of the outer lines in the top row, clear of the latitudes in the corners below.
void CNavPlotWnd::DrawCoordinates(Canvas& canvas, const PlotFrame& frame) {
  const int r = frame.radius();
  const double scale = frame.scale();
  const AreaSize area = frame.area();
  const int rowHeight = canvas.GetTextExtent("0").height;
  const int statistics = showStatistics_ ? rowHeight + kLabelMargin : 0;
  const int foot = area.height - kLabelMargin - statistics;
  const struct {
    int offset;      // pixels right of (or below) the centre
    double metres;   // east (or south) of the centre
  } lines[] = {{-r, -scale}, {-r / 2, -scale / 2}, {0, 0}, {r / 2, scale / 2}, {r, scale}};
  for (const auto& l : lines) {
    const double lat = settings_.centreLatitude - l.metres * kPlotNorthFactor;
    const double lon = settings_.centreLongitude + l.metres * frame.eastFactor();
    const bool centre = l.offset == 0;
    const std::string latText = centre ? PlotCentreLabel(lat, 'N', 'S') : PlotOffsetLabel(lat);
    const int y = frame.centreY() + l.offset;
    canvas.SetTextAlign(TextAlign::Left, l.offset == -r ? TextVAlign::Top : TextVAlign::Bottom);
    canvas.TextOut(kLabelMargin, l.offset == -r ? y + 1 : y - 1, latText);

    const std::string lonText = centre ? PlotCentreLabel(lon, 'E', 'W') : PlotOffsetLabel(lon);
    const int width = canvas.GetTextExtent(lonText).width;
    const int left = std::clamp(frame.centreX() + l.offset - width / 2, kLabelMargin,
                                std::max(kLabelMargin, area.width - kLabelMargin - width));
    const bool outer = l.offset == -r || l.offset == r;
    canvas.SetTextAlign(TextAlign::Left, outer ? TextVAlign::Top : TextVAlign::Bottom);
    canvas.TextOut(left, outer ? kLabelMargin : centre ? foot - rowHeight : foot, lonText);
  }
}

// Half-extent 2 x size + 2: a plus sign 2h pixels across, or a filled dot in the square.
void CNavPlotWnd::DrawMark(Canvas& canvas, const PlotFrame& frame, const PlotFix& fix, Colour colour) const {
  const auto at = frame.Project(fix.latitude, fix.longitude);
  if (!at) return;
  const int h = 2 * settings_.dotSize + 2;
  canvas.SetPen(PenStyle::Solid, 1, colour);
  if (settings_.dotStyle == DotStyle::PlusSign) {
    canvas.MoveTo(at->x - h, at->y);
    canvas.LineTo(at->x + h, at->y);
    canvas.MoveTo(at->x, at->y - h);
    canvas.LineTo(at->x, at->y + h);
  } else {
    canvas.SetBrush(colour);
    canvas.Ellipse(at->x - h, at->y - h, at->x + h, at->y + h);
  }
}

// Oldest first, so newer marks lie on top; the newest last, in black.
void CNavPlotWnd::DrawAllMarks(Canvas& canvas, const PlotFrame& frame) {
  const std::size_t n = ring_.size();
  const std::size_t first = ring_.wrapCount() > 0 ? ring_.nextIndex() : 0;
  for (std::size_t i = 0; i < n; ++i) {
    const PlotFix& fix = ring_[(first + i) % PlotRing::kCapacity];
    DrawMark(canvas, frame, fix, PlotModeColour(static_cast<int>(fix.mode)));
  }
  if (latest_) DrawMark(canvas, frame, *latest_, PlotModeColour(kPlotNewestMode));
}

void CNavPlotWnd::DrawStatisticsLine(Canvas& canvas, const PlotFrame& frame) {
  if (!showStatistics_) return;
  canvas.SetTextColour(canvas.WindowTextColour());
  canvas.SetBackgroundColour(canvas.WindowColour());
  canvas.SetBackgroundMode(BackgroundMode::Opaque);
  canvas.SetTextAlign(TextAlign::Left, TextVAlign::Bottom);
  canvas.TextOut(kLabelMargin, frame.area().height - kLabelMargin, PlotStatisticsText(ComputePlotStatistics(ring_)));
  canvas.SetBackgroundMode(BackgroundMode::Transparent);
  canvas.SetTextAlign(TextAlign::Left);
}

// "Clear &Data" forgets the fixes and the newest one with them.
void CNavPlotWnd::ClearRecord() {
  ring_.Clear();
  latest_.reset();
  drawnNewest_.reset();
  pending_.Clear();
}

void CNavPlotWnd::OnPageCommand(int command) {
  switch (command) {
    case kZoomIn: settings_.scale = std::max(kPlotMinScale, settings_.scale / 10); break;
    case kZoomOut: settings_.scale = std::min(kPlotMaxScale, settings_.scale * 10); break;
    case kShowCoor: settings_.showCoordinates = !settings_.showCoordinates; break;
    case kShowGrid: settings_.showGrid = !settings_.showGrid; break;
    case kShowStatistics: showStatistics_ = !showStatistics_; break;
    case kCentreCurrent:
      // A fix whose coordinates are no position (damaged bytes) cannot be a centre.
      if (!latest_ || !std::isfinite(latest_->latitude) || !std::isfinite(latest_->longitude) ||
          std::fabs(latest_->latitude) > kPi / 2 || std::fabs(latest_->longitude) > 2 * kPi) {
        return;
      }
      CentreOn(latest_->latitude, latest_->longitude, false);
      return;
    case kCentreDefault: CentreOnDefault(); return;
    case kCentreEnter: EnterPosition(); return;
    case kStyleDot: settings_.dotStyle = DotStyle::Dot; break;
    case kStylePlus: settings_.dotStyle = DotStyle::PlusSign; break;
    case kSizeSmall: settings_.dotSize = 1; break;
    case kSizeMedium: settings_.dotSize = 2; break;
    case kSizeLarge: settings_.dotSize = 3; break;
    case kPrint: Print(); return;
    case kExportPdf: ExportPdf(); return;
    default: return;
  }
  InvalidateAll();
}

bool CNavPlotWnd::IsChecked(int command) const {
  switch (command) {
    case kShowCoor: return settings_.showCoordinates;
    case kShowGrid: return settings_.showGrid;
    case kShowStatistics: return showStatistics_;
    case kCentreCurrent: return !centreOnDefault_;
    case kCentreDefault: return centreOnDefault_;
    case kStyleDot: return settings_.dotStyle == DotStyle::Dot;
    case kStylePlus: return settings_.dotStyle == DotStyle::PlusSign;
    case kSizeSmall: return settings_.dotSize == 1;
    case kSizeMedium: return settings_.dotSize == 2;
    case kSizeLarge: return settings_.dotSize == 3;
    default: return false;
  }
}

bool CNavPlotWnd::IsEnabled(int command) const {
  switch (command) {
    case kCentreCurrent: return latest_.has_value();
    case kCentreEnter: return static_cast<bool>(positionEntry_);
    case kPrint: return context().printer != nullptr;
    case kExportPdf: return context().printer != nullptr && context().files != nullptr;
    default: return true;
  }
}

void CNavPlotWnd::OnRightClick(int x, int y) {
  (void)x;
  (void)y;
  if (encoder() != nullptr) encoder()->SendRequest(20, kContinuous);
}

// The centre does not follow new fixes: it moves only by these commands.
void CNavPlotWnd::CentreOn(double latitude, double longitude, bool onDefault) {
  settings_.centreLatitude = latitude;
  settings_.centreLongitude = longitude;
  centreOnDefault_ = onDefault;
  InvalidateAll();
}

void CNavPlotWnd::CentreOnDefault() {
  const PlotCentre c = context().config != nullptr ? ReadPlotDefaultCentre(*context().config)
                                                   : PlotCentre{DefaultPlotSettings().centreLatitude,
                                                                DefaultPlotSettings().centreLongitude};
  CentreOn(c.latitude, c.longitude, true);
}

// The position entered becomes the settings' default centre, in packed degrees, and the plot
// centres on it as "&Default Position" does.
void CNavPlotWnd::EnterPosition() {
  if (!positionEntry_) return;
  PlotCentre start{DefaultPlotSettings().centreLatitude, DefaultPlotSettings().centreLongitude};
  if (context().config != nullptr) start = ReadPlotDefaultCentre(*context().config);
  GeodeticPosition from;
  from.latitude = start.latitude;
  from.longitude = start.longitude;
  const std::optional<GeodeticPosition> entered = positionEntry_(from);
  if (!entered) return;
  if (context().config == nullptr) {
    CentreOn(entered->latitude, entered->longitude, true);
    return;
  }
  context().config->SetPlotCentreLatitude(RadiansToPackedDegrees(entered->latitude));
  context().config->SetPlotCentreLongitude(RadiansToPackedDegrees(entered->longitude));
  CentreOnDefault();
}

void CNavPlotWnd::Print() {
  if (context().printer == nullptr) return;
  ReportFailure(context().printer->PrintPage(caption(), [this](Canvas& c) { DrawPicture(c); }));
}

void CNavPlotWnd::ExportPdf() {
  if (context().printer == nullptr || context().files == nullptr) return;
  const auto path = context().files->AskSaveFileName({"pdf", "PDF Files (*.pdf) |*.pdf|All Files (*.*) |*.*||",
                                                      lastPdfPath_});
  if (!path) return;
  lastPdfPath_ = *path;
  ReportFailure(context().printer->WritePdf(*path, caption(), [this](Canvas& c) { DrawPicture(c); }));
}

void CNavPlotWnd::ReportFailure(const PrintResult& result) const {
  if (result.outcome != PrintOutcome::Failed || context().boxes == nullptr) return;
  context().boxes->MessageBox(result.error.empty() ? "Printing failed." : result.error, caption(), MessageIcon::Stop);
}

}  // namespace orv
