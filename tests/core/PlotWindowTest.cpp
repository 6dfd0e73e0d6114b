// The plot as the frame opens it: linked to message 20, its settings saved by Save Config while
// it is open and read back when it opens again, and "&Enter Position" through the "Position"
// dialog, whose degrees, minutes and seconds become the packed default centre.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/ConsolePages.h"
#include "app/FrameCommands.h"
#include "commands/PositionForm.h"
#include "config/Configuration.h"
#include "forms/Form.h"
#include "geodesy/Angles.h"
#include "ids/CommandIds.h"
#include "plot/NavPlotWnd.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"

namespace orv {
namespace {

using W = CNavPlotWnd;

class PlotWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = test::TempDir() + "/Orvantis.cfg";
    commands.LoadConfiguration(path);
    frame.mainDecoder().SetTimeGateOpen(1);
  }
  W* Plot() { return dynamic_cast<W*>(pages.page(cmd::kWndPlot)); }
  template <typename T>
  T At(std::size_t offset) {
    const std::vector<uint8_t> file = test::ReadFile(path);
    T v{};
    if (file.size() >= offset + sizeof v) std::memcpy(&v, &file[offset], sizeof v);
    return v;
  }

  test::FakeDesktop desk;
  CMainFrame frame{desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); }};
  test::FakeShellHost host;
  FrameCommands commands{frame, host};
  ConsolePages pages{frame, commands.windows(), host};
  std::string path;
};

TEST_F(PlotWindowTest, SaveConfigWhileOpenWritesTheSettingsAndReopeningRestoresThem) {
  commands.OnCommand(cmd::kWndPlot);
  ASSERT_NE(Plot(), nullptr);
  EXPECT_EQ(Plot()->caption(), "Navigation Position Window - Msg 20");
  // Message 20 reaches the open plot.
  std::vector<uint8_t> nav(71, 0);
  const double lat = 0.5, lon = -1.25;
  std::memcpy(&nav[14], &lat, 8);
  std::memcpy(&nav[22], &lon, 8);
  nav[66] = 0x44;
  auto bytes = test::Frame(20, nav);
  frame.mainDecoder().Decode(bytes.data(), static_cast<uint32_t>(bytes.size()));
  ASSERT_TRUE(Plot()->latest());
  EXPECT_EQ(Plot()->latest()->mode, 4u);
  EXPECT_EQ(Plot()->latest()->latitude, 0.5);

  Plot()->OnCommand(W::kZoomIn);
  Plot()->OnCommand(W::kStylePlus);
  Plot()->OnCommand(W::kSizeLarge);
  Plot()->OnCommand(W::kShowCoor);
  Plot()->OnCommand(W::kCentreCurrent);
  ASSERT_TRUE(commands.OnCommand(cmd::kSaveConfig));
  EXPECT_EQ(At<uint8_t>(cfg::kPlotShowGrid), 1);
  EXPECT_EQ(At<uint8_t>(cfg::kPlotShowCoordinates), 0);
  EXPECT_NEAR(*PackedDegreesToRadians(At<double>(cfg::kPlotCentreLatitude)), 0.5, 1e-10);
  EXPECT_NEAR(*PackedDegreesToRadians(At<double>(cfg::kPlotCentreLongitude)), -1.25, 1e-10);
  EXPECT_EQ(At<uint8_t>(cfg::kPlotDotStyle), 0);
  EXPECT_EQ(At<int32_t>(cfg::kPlotDotSize), 3);
  EXPECT_EQ(At<int32_t>(cfg::kPlotScale), 10);
  EXPECT_EQ(At<int32_t>(28), 1);  // the plot's open flag

  commands.OnCommand(cmd::kWndPlot);
  EXPECT_EQ(Plot(), nullptr);
  EXPECT_EQ(frame.mainDecoder().store().links().navigationPlot, nullptr);
  commands.OnCommand(cmd::kWndPlot);
  ASSERT_NE(Plot(), nullptr);
  EXPECT_EQ(Plot()->settings().scale, 10);
  EXPECT_EQ(Plot()->settings().dotStyle, DotStyle::PlusSign);
  EXPECT_EQ(Plot()->settings().dotSize, 3);
  EXPECT_FALSE(Plot()->settings().showCoordinates);
  EXPECT_TRUE(Plot()->settings().showGrid);
  EXPECT_NEAR(Plot()->settings().centreLatitude, 0.5, 1e-10);
  EXPECT_TRUE(Plot()->ring().empty());  // a fresh window starts with no fixes
}

TEST_F(PlotWindowTest, EnterPositionStoresThePackedDefaultCentreAndCentresOnIt) {
  commands.OnCommand(cmd::kWndPlot);
  ASSERT_NE(Plot(), nullptr);
  std::string latitudeShown;
  desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.caption(), "Position");
    latitudeShown = f.Text(PositionForm::kLatDegrees) + " " + f.Text(PositionForm::kLatMinutes) + " " +
                    f.Text(PositionForm::kLatSeconds);
    f.SetText(PositionForm::kLatDegrees, "-12");
    f.SetText(PositionForm::kLatMinutes, "30");
    f.SetText(PositionForm::kLatSeconds, "15.5");
    f.SetText(PositionForm::kLonDegrees, "100");
    f.SetText(PositionForm::kLonMinutes, "0");
    f.SetText(PositionForm::kLonSeconds, "0");
    return f.Press(kFormOk) == FormAction::Ok;
  };
  ASSERT_TRUE(Plot()->OnCommand(W::kCentreEnter));
  EXPECT_EQ(latitudeShown, "45 29 42.232");  // the default centre, decoded from packed degrees
  EXPECT_NEAR(frame.config().plotCentreLatitude(), -12.30155, 1e-12);
  EXPECT_NEAR(frame.config().plotCentreLongitude(), 100.0, 1e-12);
  EXPECT_NEAR(Plot()->settings().centreLatitude, DegreesToRadians(-(12 + 30 / 60.0 + 15.5 / 3600)), 1e-9);
  EXPECT_TRUE(Plot()->centredOnDefault());
  // Cancelled: nothing changes.
  desk.formDriver = [](Form&) { return false; };
  Plot()->OnCommand(W::kCentreEnter);
  EXPECT_NEAR(frame.config().plotCentreLatitude(), -12.30155, 1e-12);
}

}  // namespace
}  // namespace orv
