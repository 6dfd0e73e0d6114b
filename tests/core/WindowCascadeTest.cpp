// Windows opened without a rectangle of their own cascade from the main window; a window the
// user placed (a stored rectangle) opens where it was.
#include <gtest/gtest.h>

#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "app/WindowCommands.h"
#include "ids/CommandIds.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"

namespace orv {
namespace {

TEST(WindowCascade, StepsFromTheMainWindowAndStartsOverAfterTen) {
  const ScreenRect window{80, 80, 330, 460};  // 250 x 380
  const ScreenRect main{200, 100, 1200, 800};
  EXPECT_EQ(CascadedRect(window, main, 0), (ScreenRect{240, 190, 490, 570}));
  EXPECT_EQ(CascadedRect(window, main, 2), (ScreenRect{240 + 2 * kCascadeStep, 190 + 2 * kCascadeStep,
                                                       490 + 2 * kCascadeStep, 570 + 2 * kCascadeStep}));
  EXPECT_EQ(CascadedRect(window, main, 10), CascadedRect(window, main, 0));
  const ScreenRect far = CascadedRect(window, ScreenRect{INT32_MAX - 10, 0, INT32_MAX, 10}, 3);
  EXPECT_EQ(far.right, INT32_MAX);  // clamped, not wrapped
}

class WindowCascadeFrame : public ::testing::Test {
 protected:
  WindowCascadeFrame()
      : frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); }),
        commands(frame, host) {}
  test::FakeDesktop desk;
  CMainFrame frame;
  test::FakeShellHost host;
  FrameCommands commands;
};

TEST_F(WindowCascadeFrame, WindowsOpenedOneAfterAnotherDoNotPileUp) {
  host.mainRect = ScreenRect{300, 200, 1300, 900};
  commands.OnCommand(cmd::kWndLlh);
  commands.OnCommand(cmd::kWndXyz);
  commands.OnCommand(cmd::kWndEphemeris);
  const ScreenRect llh = host.rects.at(cmd::kWndLlh);
  const ScreenRect xyz = host.rects.at(cmd::kWndXyz);
  const ScreenRect ephemeris = host.rects.at(cmd::kWndEphemeris);
  EXPECT_EQ(llh.left, 340);
  EXPECT_EQ(llh.top, 290);
  EXPECT_EQ(xyz.left - llh.left, kCascadeStep);
  EXPECT_EQ(ephemeris.top - xyz.top, kCascadeStep);
  // The sizes stay the windows' own.
  const ScreenRect factory = *DefaultWindowRect(cmd::kWndXyz);
  EXPECT_GE(xyz.right - xyz.left, factory.right - factory.left);

  // A window closed frees its step; one whose rectangle was stored opens there.
  commands.OnCommand(cmd::kWndEphemeris);
  frame.config().SetWindowRect(cmd::kWndEphemeris, ScreenRect{5, 6, 405, 506});
  commands.OnCommand(cmd::kWndEphemeris);
  EXPECT_EQ(host.rects.at(cmd::kWndEphemeris).left, 5);
  EXPECT_EQ(host.rects.at(cmd::kWndEphemeris).top, 6);

  // Without the main window's rectangle nothing moves.
  host.mainRect.reset();
  commands.OnCommand(cmd::kWndMeasurements);
  EXPECT_EQ(host.rects.at(cmd::kWndMeasurements).left, DefaultWindowRect(cmd::kWndMeasurements)->left);
}

}  // namespace
}  // namespace orv
