// The navigation position plot "Navigation Position Window - Msg 20": a plan view of the fixes
// of message 20 around a centre, each mark in the colour of its navigation mode and the newest
// in black, with range circles, an optional dotted grid and coordinate labels, zoom, three ways
// to choose the centre, dot styles and sizes, a statistics line, printing and PDF output.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "geodesy/NavUtility.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotRing.h"
#include "windows/MessageWindows.h"
#include "windows/Page.h"

namespace orv {

class CNavPlotWnd : public Page, public NavPlotLink {
 public:
  // The window's own menu commands.
  static constexpr int kZoomIn = 40101;
  static constexpr int kZoomOut = 40102;
  static constexpr int kShowCoor = 40103;
  static constexpr int kShowGrid = 40104;
  static constexpr int kShowStatistics = 40105;
  static constexpr int kClearData = pagecmd::kClearData;
  static constexpr int kCentreCurrent = 40111;
  static constexpr int kCentreDefault = 40112;
  static constexpr int kCentreEnter = 40113;
  static constexpr int kStyleDot = 40121;
  static constexpr int kStylePlus = 40122;
  static constexpr int kSizeSmall = 40131;
  static constexpr int kSizeMedium = 40132;
  static constexpr int kSizeLarge = 40133;
  static constexpr int kPrint = 40141;
  static constexpr int kExportPdf = 40142;
  // Fixes kept for the next value paint; more and the whole plot is painted again.
  static constexpr std::size_t kQueuedFixes = 512;

  // Reads its settings from the context's record, or takes the factory ones without one.
  explicit CNavPlotWnd(const PageContext& context);

  // "&Enter Position": asks for a position, starting from the one given (height 0); nothing
  // when cancelled. Set by whoever owns the "Position" dialog; without it the item is greyed.
  using PositionEntry = std::function<std::optional<GeodeticPosition>(const GeodeticPosition& start)>;
  void SetPositionEntry(PositionEntry entry) { positionEntry_ = std::move(entry); }

  // A fix of message 20 (radians, mode bits 0-4): the previous newest is drawn again in its own
  // colour, the new one goes into the ring and is drawn at once in black.
  void AddPoint(double latitude, double longitude, int navMode) override;

  // The settings exchange: grid, coordinates, the centre (packed), style, size and scale.
  void SaveSettings(Configuration& record) const;
  const PlotSettings& settings() const { return settings_; }
  // Takes other settings (the headless plot of a log), each kept in range; repaints.
  void ApplySettings(const PlotSettings& settings);

  // The whole picture on any canvas (a printed page, an image): circles, grid, coordinates,
  // every mark with the newest in black, and the statistics line when shown.
  void DrawPicture(Canvas& canvas);

  const PlotRing& ring() const { return ring_; }
  const std::optional<PlotFix>& latest() const { return latest_; }
  bool centredOnDefault() const { return centreOnDefault_; }
  bool showStatistics() const { return showStatistics_; }
  // Where the plot is drawn on an area of `size` with the current centre and scale.
  PlotFrame FrameFor(AreaSize size) const;

  bool hasRecord() const override { return true; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override;
  void OnPageCommand(int command) override;
  bool IsChecked(int command) const override;
  bool IsEnabled(int command) const override;
  void OnRightClick(int x, int y) override;

 private:
  void DrawBackground(Canvas& canvas, const PlotFrame& frame);
  void DrawCoordinates(Canvas& canvas, const PlotFrame& frame);
  void DrawMark(Canvas& canvas, const PlotFrame& frame, const PlotFix& fix, Colour colour) const;
  void DrawAllMarks(Canvas& canvas, const PlotFrame& frame);
  void DrawStatisticsLine(Canvas& canvas, const PlotFrame& frame);
  void CentreOn(double latitude, double longitude, bool onDefault);
  void CentreOnDefault();
  void EnterPosition();
  void Print();
  void ExportPdf();
  void ReportFailure(const PrintResult& result) const;

  PlotSettings settings_;
  PlotRing ring_;
  std::optional<PlotFix> latest_;
  // The fix drawn black on the surface, redrawn in its colour when the next one arrives.
  std::optional<PlotFix> drawnNewest_;
  UpdateQueue<PlotFix> pending_{kQueuedFixes};
  bool centreOnDefault_ = true;
  bool showStatistics_ = true;
  PositionEntry positionEntry_;
  std::string lastPdfPath_;
};

// The plot's window kind, for the frame's set of pages.
std::span<const PageKind> PlotPageKinds();

}  // namespace orv
