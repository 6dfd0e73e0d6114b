// The navigation position plot on a recording canvas: range labels and zoom, the projection,
// the ring, mark colours and shapes, packed degrees, settings kept in range, the centre
// commands, the statistics line, the right-click request and printing failures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "config/Configuration.h"
#include "geodesy/AngleText.h"
#include "geodesy/Angles.h"
#include "plot/NavPlotWnd.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotStatistics.h"
#include "protocol/FrameEncoder.h"
#include "support/FakeDesktop.h"
#include "support/PageScreen.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"

namespace orv {
namespace {

using test::RecordingCanvas;
using test::RecordingPageView;
using W = CNavPlotWnd;

constexpr Colour kCyan = Rgb(0, 255, 255);
constexpr Colour kBlack = Rgb(0, 0, 0);

// A mark drawn: the box of its ellipse and its fill colour.
struct Mark {
  int left, top, right, bottom;
  Colour colour;
  bool operator==(const Mark&) const = default;
};
// Marks with a brush: the range circles are drawn without one and carry the pen's colour.
std::vector<Mark> FilledMarks(const RecordingCanvas& c) {
  std::vector<Mark> out;
  bool filled = false;
  Colour brush = 0;
  for (const std::string& call : c.calls) {
    if (call.rfind("brush ", 0) == 0) {
      filled = true;
      brush = static_cast<Colour>(std::stoul(call.substr(6)));
    }
    if (call == "nobrush") filled = false;
    Mark m{};
    if (filled && std::sscanf(call.c_str(), "ellipse %d %d %d %d", &m.left, &m.top, &m.right, &m.bottom) == 4) {
      m.colour = brush;
      out.push_back(m);
    }
  }
  return out;
}

RecordingCanvas Painted(W& plot, AreaSize area = {250, 250}) {
  RecordingCanvas c;
  c.area = area;
  plot.Paint(c);
  return c;
}

bool HasText(const RecordingCanvas& c, const std::string& text) {
  for (const std::string& t : c.Texts()) {
    if (t.size() >= text.size() && t.compare(t.size() - text.size(), text.size(), text) == 0) return true;
  }
  return false;
}

double DefaultLat() { return DefaultPlotSettings().centreLatitude; }
double DefaultLon() { return DefaultPlotSettings().centreLongitude; }

TEST(PlotPackedDegrees, ReadsWholeMinutesExactlyAndRoundTrips) {
  // In binary 45.30 is 45.29999...; split without rounding it would read 45 deg 29' 99.99999".
  EXPECT_EQ(*PackedDegreesToRadians(45.30), DegreesToRadians(45.5));
  EXPECT_EQ(*PackedDegreesToRadians(-45.30), DegreesToRadians(-45.5));
  EXPECT_DOUBLE_EQ(*PackedDegreesToRadians(0.0030), DegreesToRadians(30.0 / 3600));  // 30 seconds
  EXPECT_NEAR(RadiansToDegrees(*PackedDegreesToRadians(45.2942232)), 45 + 29 / 60.0 + 42.232 / 3600, 1e-12);
  for (double deg = -179.9; deg < 180; deg += 0.7371) {
    const double packed = RadiansToPackedDegrees(DegreesToRadians(deg));
    EXPECT_NEAR(RadiansToDegrees(*PackedDegreesToRadians(packed)), deg, 1e-9) << deg;
    EXPECT_EQ(std::signbit(packed), deg < 0) << deg;
  }
  EXPECT_DOUBLE_EQ(RadiansToPackedDegrees(DegreesToRadians(45.5)), 45.30);
  EXPECT_FALSE(PackedDegreesToRadians(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(PackedDegreesToRadians(1e300));
}

TEST(PlotLabels, RangeLabelsFollowTheScaleAndZoomStopsAtItsEnds) {
  Configuration record;
  record.SetDefaults();
  record.SetPlotScale(1);
  W plot(PageContext{.config = &record});
  RecordingCanvas c = Painted(plot);
  EXPECT_TRUE(HasText(c, " 1m"));
  EXPECT_TRUE(HasText(c, " 0.5m"));
  EXPECT_TRUE(HasText(c, " 0.1m"));
  plot.OnCommand(W::kZoomIn);
  EXPECT_EQ(plot.settings().scale, 1);
  for (int i = 0; i < 3; ++i) plot.OnCommand(W::kZoomOut);
  c = Painted(plot);
  EXPECT_EQ(plot.settings().scale, 1000);
  EXPECT_TRUE(HasText(c, " 1000m"));
  EXPECT_TRUE(HasText(c, " 500m"));
  EXPECT_TRUE(HasText(c, " 100m"));
  plot.OnCommand(W::kZoomOut);
  EXPECT_EQ(plot.settings().scale, 1000);
  plot.OnCommand(W::kZoomIn);
  EXPECT_EQ(plot.settings().scale, 100);
  // The labels sit on top of their circles: 250 x 250 gives the outer radius 105.
  c = Painted(plot);
  EXPECT_TRUE(c.Has(test::At(125, 125 - 105 - 1, "100m")));
  EXPECT_TRUE(c.Has(test::At(125, 125 - 52 - 1, "50m")));
  EXPECT_TRUE(c.Has(test::At(125, 125 - 10 - 1, "10m")));
  EXPECT_TRUE(c.Has("ellipse 20 20 231 231"));  // from 125 - 105 to 125 + 105 inclusive
}

TEST(PlotLabels, TheCentreLabelsReadTheDefaultCentre) {
  W plot(PageContext{});
  const RecordingCanvas c = Painted(plot, {375, 440});
  EXPECT_TRUE(HasText(c, " N45 29'42.232\""));
  EXPECT_TRUE(HasText(c, " W73 41'36.473\""));
  // The line 100 m north of the centre: 100 / 6378160 rad is 3.234".
  EXPECT_TRUE(HasText(c, " 29'45.466\""));
  plot.OnCommand(W::kShowCoor);
  EXPECT_FALSE(HasText(Painted(plot), " N45 29'42.232\""));
  EXPECT_TRUE(plot.settings().showGrid);
  EXPECT_NE(test::IndexOf(Painted(plot), "pen dotted 1 " + std::to_string(Rgb(160, 160, 160))), -1);
  plot.OnCommand(W::kShowGrid);
  EXPECT_EQ(test::IndexOf(Painted(plot), "pen dotted 1 " + std::to_string(Rgb(160, 160, 160))), -1);
}

TEST(PlotProjection, AFixOneScaleNorthLiesOnTheOuterCircleStraightUp) {
  const double lat0 = DefaultLat(), lon0 = DefaultLon();
  const PlotFrame frame({375, 440}, lat0, lon0, 100);
  ASSERT_EQ(frame.radius(), 167);
  const double north = lat0 + 100 * kPlotNorthFactor;
  const auto at = frame.Project(north, lon0);
  ASSERT_TRUE(at);
  EXPECT_EQ(*at, (PlotPixel{187, 220 - 167}));
  // Truncating instead would leave it a pixel inside the circle, at 166: the 100 m come back as
  // 99.9999999998 in binary, 166.9999999996 pixels.
  const double y = frame.radius() * frame.NorthMetres(north) / 100;
  EXPECT_NEAR(y, 167, 1e-6);
  EXPECT_EQ(static_cast<int>(y), 166);
  // East is right, across the antimeridian too.
  const PlotFrame date({250, 250}, 0, kPi - 1e-6, 100);
  const auto across = date.Project(0, -kPi + 1e-6);
  ASSERT_TRUE(across);
  EXPECT_EQ(across->y, 125);
  EXPECT_NEAR(across->x - 125, 105 * (2e-6 * 6378160.0) / 100, 1.0);
}

TEST(PlotProjection, UnplottableFixesAreSkippedAndTinyOrPolarFramesStayFinite) {
  const PlotFrame frame({250, 250}, DefaultLat(), DefaultLon(), 1);
  EXPECT_FALSE(frame.Project(0, 0));  // thousands of kilometres away at one metre a circle
  EXPECT_FALSE(frame.Project(std::numeric_limits<double>::quiet_NaN(), 0));
  EXPECT_FALSE(frame.Project(DefaultLat(), std::numeric_limits<double>::infinity()));
  EXPECT_EQ(PlotFrame({10, 10}, 0, 0, 100).radius(), 1);
  EXPECT_EQ(PlotFrame({0, 0}, 0, 0, 100).radius(), 1);
  const PlotFrame pole({250, 250}, kPi / 2, 0, 100);
  EXPECT_TRUE(std::isfinite(pole.eastFactor()));
  EXPECT_NEAR(pole.eastFactor(), kPlotNorthFactor / std::cos(DegreesToRadians(89.9)), 1e-15);
  EXPECT_TRUE(pole.Project(kPi / 2, 1.0));

  // A mode 0 fix at 0, 0 on the plot: nothing drawn, the next fix is.
  W plot(PageContext{});
  RecordingPageView view(plot);
  view.Repaint();
  plot.AddPoint(0, 0, 0);
  EXPECT_TRUE(FilledMarks(view.screen).empty());
  plot.AddPoint(DefaultLat(), DefaultLon(), 2);
  EXPECT_EQ(FilledMarks(view.screen).size(), 1u);
}

TEST(PlotMarks, TheNewestIsBlackAndTurnsToItsModeColourWhenANewerOneArrives) {
  W plot(PageContext{});
  RecordingPageView view(plot);
  view.Repaint();
  const double lat = DefaultLat(), lon = DefaultLon();
  const double east = 40 * kPlotNorthFactor / std::cos(lat);
  plot.AddPoint(lat, lon, 4);
  EXPECT_EQ(FilledMarks(view.screen).back(), (Mark{121, 121, 129, 129, kBlack}));
  plot.AddPoint(lat, lon + east, 2);
  const std::vector<Mark> marks = FilledMarks(view.screen);
  ASSERT_GE(marks.size(), 3u);
  EXPECT_EQ(marks[marks.size() - 2], (Mark{121, 121, 129, 129, kCyan}));
  EXPECT_EQ(marks.back(), (Mark{121 + 42, 121, 129 + 42, 129, kBlack}));
  // A repaint draws every fix in its colour and the newest last, in black.
  const std::vector<Mark> again = FilledMarks(Painted(plot));
  ASSERT_EQ(again.size(), 3u);
  EXPECT_EQ(again[0].colour, kCyan);
  EXPECT_EQ(again[1].colour, Rgb(64, 64, 255));
  EXPECT_EQ(again[2], (Mark{163, 121, 171, 129, kBlack}));
  EXPECT_EQ(PlotModeColour(7), kBlack);
  EXPECT_EQ(PlotModeColour(10), Rgb(128, 128, 255));
  EXPECT_EQ(PlotModeColour(31), kBlack);
  EXPECT_EQ(PlotModeColour(0), Rgb(255, 0, 0));
}

TEST(PlotMarks, StylesAndSizesDrawTheirShapesWithCheckMarks) {
  W plot(PageContext{});
  plot.AddPoint(DefaultLat(), DefaultLon(), 2);
  EXPECT_EQ(FilledMarks(Painted(plot)).back(), (Mark{121, 121, 129, 129, kBlack}));  // small dot
  plot.OnCommand(W::kStylePlus);
  plot.OnCommand(W::kSizeLarge);
  const RecordingCanvas c = Painted(plot);
  EXPECT_TRUE(FilledMarks(c).empty());
  const long across = test::IndexOf(c, "moveto 117 125");
  ASSERT_NE(across, -1);
  EXPECT_EQ(c.calls[static_cast<std::size_t>(across) + 1], "lineto 133 125");  // 16 pixels across
  EXPECT_EQ(c.calls[static_cast<std::size_t>(across) + 2], "moveto 125 117");
  EXPECT_EQ(c.calls[static_cast<std::size_t>(across) + 3], "lineto 125 133");
  plot.OnCommand(W::kStyleDot);
  plot.OnCommand(W::kSizeMedium);
  EXPECT_EQ(FilledMarks(Painted(plot)).back(), (Mark{119, 119, 131, 131, kBlack}));
  std::vector<std::string> checked;
  for (const PopupItem& menu : plot.MenuBarItems()) {
    for (const PopupItem& item : menu.items) {
      if (item.checked) checked.push_back(item.text);
    }
  }
  EXPECT_EQ(checked, (std::vector<std::string>{"Show &Coor", "Show &Grid", "Show &Statistics", "&Default Position",
                                               "Dot", "&Medium"}));
}

TEST(PlotRingTest, The21601stFixOverwritesTheFirstAndAllAreDrawn) {
  W plot(PageContext{});
  const double lat = DefaultLat(), lon = DefaultLon();
  for (std::size_t i = 0; i + 1 < PlotRing::kCapacity; ++i) plot.AddPoint(lat, lon, 2);
  EXPECT_EQ(plot.ring().wrapCount(), 0u);
  EXPECT_EQ(plot.ring().size(), PlotRing::kCapacity - 1);
  plot.AddPoint(lat, lon, 2);  // the 21600th fills entry 21599, and the next goes to entry 0
  EXPECT_EQ(plot.ring().wrapCount(), 1u);
  EXPECT_EQ(plot.ring().nextIndex(), 0u);
  EXPECT_EQ(plot.ring().size(), PlotRing::kCapacity);
  plot.AddPoint(lat + 1e-6, lon, 4);
  EXPECT_EQ(plot.ring().wrapCount(), 1u);
  EXPECT_EQ(plot.ring().nextIndex(), 1u);
  EXPECT_EQ(plot.ring()[0], (PlotFix{lat + 1e-6, lon, 4}));
  EXPECT_EQ(plot.ring().size(), PlotRing::kCapacity);
  EXPECT_EQ(FilledMarks(Painted(plot)).size(), PlotRing::kCapacity + 1);  // and the newest again
}

TEST(PlotCommands, ClearDataForgetsTheNewestAndCurrentPositionNeedsAFix) {
  W plot(PageContext{});
  EXPECT_FALSE(plot.OnCommand(W::kCentreCurrent));  // greyed without a fix
  const double lat = DefaultLat() + 20 * kPlotNorthFactor;
  plot.AddPoint(lat, DefaultLon(), 2);
  ASSERT_TRUE(plot.OnCommand(W::kCentreCurrent));
  EXPECT_EQ(plot.settings().centreLatitude, lat);
  EXPECT_FALSE(plot.centredOnDefault());
  plot.AddPoint(lat + 1e-6, DefaultLon(), 2);
  EXPECT_EQ(plot.settings().centreLatitude, lat);  // the centre does not follow the fixes
  ASSERT_TRUE(plot.OnCommand(W::kClearData));
  EXPECT_TRUE(plot.ring().empty());
  EXPECT_FALSE(plot.latest());
  EXPECT_TRUE(FilledMarks(Painted(plot)).empty());
  EXPECT_FALSE(plot.OnCommand(W::kCentreCurrent));
  ASSERT_TRUE(plot.OnCommand(W::kCentreDefault));
  EXPECT_EQ(plot.settings().centreLatitude, DefaultLat());
  EXPECT_TRUE(plot.centredOnDefault());
  // A fix of damaged bytes is drawn nowhere and is no centre.
  plot.AddPoint(std::numeric_limits<double>::quiet_NaN(), 1e300, 2);
  plot.OnCommand(W::kCentreCurrent);
  EXPECT_EQ(plot.settings().centreLatitude, DefaultLat());
  EXPECT_EQ(RadiansToPackedDegrees(1e300), 0);
}

TEST(PlotSettingsTest, DamagedSettingsAreKeptInRange) {
  Configuration record;
  record.SetDefaults();
  record.SetPlotScale(0);
  record.SetPlotDotSize(400);
  record.SetPlotDotStyle(7);
  record.SetPlotCentreLatitude(95.0);
  W plot(PageContext{.config = &record});
  EXPECT_EQ(plot.settings().scale, 1);
  EXPECT_EQ(plot.settings().dotSize, 3);
  EXPECT_EQ(plot.settings().dotStyle, DotStyle::Dot);
  EXPECT_EQ(plot.settings().centreLatitude, DefaultLat());
  plot.AddPoint(DefaultLat(), DefaultLon(), 2);
  EXPECT_EQ(FilledMarks(Painted(plot)).back(), (Mark{117, 117, 133, 133, kBlack}));
  record.SetPlotScale(-5);
  record.SetPlotDotSize(-1);
  record.SetPlotDotStyle(0);
  record.SetPlotCentreLatitude(std::numeric_limits<double>::quiet_NaN());
  record.SetPlotCentreLongitude(45.30);
  const PlotSettings s = ReadPlotSettings(record);
  EXPECT_EQ(s.scale, 1);
  EXPECT_EQ(s.dotSize, 1);
  EXPECT_EQ(s.dotStyle, DotStyle::PlusSign);
  EXPECT_EQ(s.centreLatitude, DefaultLat());
  EXPECT_EQ(s.centreLongitude, DefaultLon());  // a centre is replaced whole
  record.SetPlotScale(5000);
  EXPECT_EQ(ReadPlotSettings(record).scale, 1000);
}

TEST(PlotSettingsTest, SavingWritesPackedCentreAndEnterPositionStoresPacked) {
  Configuration record;
  record.SetDefaults();
  W plot(PageContext{.config = &record});
  plot.OnCommand(W::kZoomOut);
  plot.OnCommand(W::kStylePlus);
  plot.OnCommand(W::kSizeSmall);
  plot.OnCommand(W::kShowGrid);
  plot.AddPoint(DegreesToRadians(-33.5), DegreesToRadians(151.25), 2);
  plot.OnCommand(W::kCentreCurrent);
  plot.SaveSettings(record);
  EXPECT_EQ(record.plotScale(), 1000);
  EXPECT_EQ(record.plotDotStyle(), 0);
  EXPECT_EQ(record.plotDotSize(), 1);
  EXPECT_EQ(record.plotShowGrid(), 0);
  EXPECT_EQ(record.plotShowCoordinates(), 1);
  EXPECT_DOUBLE_EQ(record.plotCentreLatitude(), -33.30);
  EXPECT_DOUBLE_EQ(record.plotCentreLongitude(), 151.15);

  EXPECT_FALSE(plot.OnCommand(W::kCentreEnter));  // nobody to ask
  std::optional<GeodeticPosition> asked;
  plot.SetPositionEntry([&](const GeodeticPosition& start) -> std::optional<GeodeticPosition> {
    asked = start;
    GeodeticPosition p;
    p.latitude = DegreesToRadians(10 + 20 / 60.0 + 30.5 / 3600);
    p.longitude = DegreesToRadians(-(1 + 2 / 60.0));
    return p;
  });
  ASSERT_TRUE(plot.OnCommand(W::kCentreEnter));
  ASSERT_TRUE(asked);
  EXPECT_NEAR(asked->latitude, DegreesToRadians(-33.5), 1e-12);  // the saved default centre
  EXPECT_NEAR(record.plotCentreLatitude(), 10.20305, 1e-12);
  EXPECT_NEAR(record.plotCentreLongitude(), -1.02, 1e-12);
  EXPECT_TRUE(plot.centredOnDefault());
  EXPECT_NEAR(plot.settings().centreLatitude, DegreesToRadians(10 + 20 / 60.0 + 30.5 / 3600), 1e-12);
}

TEST(PlotStatisticsTest, MeanCep50And2DrmsAboutTheMean) {
  PlotRing ring;
  EXPECT_FALSE(ComputePlotStatistics(ring));
  EXPECT_EQ(PlotStatisticsText(std::nullopt), "Fixes: 0");
  const double lat = DegreesToRadians(45.5), lon = DegreesToRadians(-73.5);
  const double n = kPlotNorthFactor, e = kPlotNorthFactor / std::cos(lat);
  // Four fixes 1 m from the centre and four 3 m from it: CEP50 2 m, 2DRMS 2 sqrt(5) m.
  for (const double r : {1.0, 3.0}) {
    ring.Add({lat + r * n, lon, 2});
    ring.Add({lat - r * n, lon, 2});
    ring.Add({lat, lon + r * e, 2});
    ring.Add({lat, lon - r * e, 2});
  }
  const auto s = ComputePlotStatistics(ring);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->count, 8u);
  EXPECT_NEAR(s->meanLatitude, lat, 1e-15);
  EXPECT_NEAR(s->meanLongitude, lon, 1e-15);
  EXPECT_NEAR(s->cep50, 2.0, 1e-6);
  EXPECT_NEAR(s->drms2, 2 * std::sqrt(5.0), 1e-6);
  EXPECT_EQ(PlotStatisticsText(s), "Fixes: 8  Mean: N45 30'00.000\" W73 30'00.000\"  CEP50: 2.00 m  2DRMS: 4.47 m");
  // Across the antimeridian the mean stays beside the fixes, not on the far side of the Earth.
  PlotRing date;
  date.Add({0, kPi - 1e-7, 2});
  date.Add({0, -kPi + 1e-7, 2});
  date.Add({std::numeric_limits<double>::quiet_NaN(), 0, 2});
  const auto d = ComputePlotStatistics(date);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->count, 2u);
  EXPECT_NEAR(std::fabs(d->meanLongitude), kPi, 1e-9);
  EXPECT_NEAR(d->cep50, 1e-7 * 6378160.0, 1e-3);
}

TEST(PlotStatisticsTest, TheLineFollowsTheFixesAndItsMenuItem) {
  W plot(PageContext{});
  RecordingPageView view(plot);
  view.Repaint();
  EXPECT_TRUE(test::TextAt(view.screen, 2, 248) == "Fixes: 0");
  plot.AddPoint(DefaultLat(), DefaultLon(), 2);
  EXPECT_EQ(test::TextAt(view.screen, 2, 248).rfind("Fixes: 1  Mean: N45 29'42.232\" W73 41'36.473\"", 0), 0u);
  plot.OnCommand(W::kShowStatistics);
  EXPECT_EQ(test::TextAt(view.screen, 2, 248), "");
}

class FakePrinter : public PagePrinter {
 public:
  PrintResult PrintPage(const std::string& name, const PagePicture& picture) override {
    names.push_back(name);
    picture(canvas);
    return result;
  }
  PrintResult WritePdf(const std::string& path, const std::string& name, const PagePicture& picture) override {
    paths.push_back(path);
    names.push_back(name);
    picture(canvas);
    return result;
  }
  PrintResult result{PrintOutcome::Printed, {}};
  RecordingCanvas canvas;
  std::vector<std::string> names;
  std::vector<std::string> paths;
};

TEST(PlotPrinting, PrintsTheSamePictureAndReportsFailuresWithAStopBox) {
  test::FakeDesktop desk;
  FakePrinter printer;
  W plot(PageContext{.boxes = &desk, .printer = &printer, .files = &desk});
  plot.OnCreate("Navigation Position Window - Msg 20");
  plot.AddPoint(DefaultLat(), DefaultLon(), 4);
  printer.canvas.area = {600, 800};
  ASSERT_TRUE(plot.OnCommand(W::kPrint));
  EXPECT_EQ(printer.names, std::vector<std::string>{"Navigation Position Window - Msg 20"});
  EXPECT_EQ(FilledMarks(printer.canvas).back(), (Mark{296, 396, 304, 404, kBlack}));
  EXPECT_TRUE(HasText(printer.canvas, " 100m"));
  EXPECT_TRUE(desk.boxes.empty());
  printer.result = {PrintOutcome::Failed, "Unable to start printing."};
  plot.OnCommand(W::kPrint);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Unable to start printing.");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Stop);
  // Export PDF asks for the file; cancelled, nothing is written.
  plot.OnCommand(W::kExportPdf);
  EXPECT_TRUE(printer.paths.empty());
  ASSERT_EQ(desk.saveFileRequests.size(), 1u);
  EXPECT_EQ(desk.saveFileRequests[0].defaultExtension, "pdf");
  desk.saveFileAnswer = "/tmp/plot.pdf";
  printer.result = {PrintOutcome::Printed, {}};
  plot.OnCommand(W::kExportPdf);
  EXPECT_EQ(printer.paths, std::vector<std::string>{"/tmp/plot.pdf"});
  EXPECT_EQ(desk.saveFileRequests.back().initialPath, "");
  EXPECT_EQ(desk.boxes.size(), 1u);
  // Without a printer both are greyed.
  W bare(PageContext{});
  EXPECT_FALSE(bare.OnCommand(W::kPrint));
  EXPECT_FALSE(bare.OnCommand(W::kExportPdf));
}

TEST(PlotRequest, ARightClickAsksForMessage20Continuously) {
  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  W plot(PageContext{.encoder = &encoder});
  plot.RightClick(10, 10);
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0][1], 20 + 128);
  W silent(PageContext{});
  silent.RightClick(10, 10);  // no encoder: nothing to send through
}

}  // namespace
}  // namespace orv
