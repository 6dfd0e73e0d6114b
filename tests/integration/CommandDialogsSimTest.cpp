// The command dialogs against orvantis-sim: what a dialog's OK sends reaches the receiver, and
// its effect comes back in the windows the console shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "SimProcess.h"
#include "app/ConsolePages.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "commands/DeselectionForms.h"
#include "commands/SettingForms.h"
#include "ids/CommandIds.h"
#include "serial/SerialPort.h"
#include "sim/SimScene.h"
#include "support/FakeDesktop.h"
#include "support/FakeShellHost.h"
#include "support/RecordingCanvas.h"
#include "windows/SkyPlotWindow.h"

namespace orv {
namespace {

using std::chrono::milliseconds;

constexpr double kStartGps = 1400.0 * 604800 + 345600;

// A seed whose sky has SV 5 up, and on a channel, for the test's first minute.
uint32_t SeedWithSv5() {
  for (uint32_t seed = 1; seed < 500; ++seed) {
    sim::SimScene scene(seed, kStartGps);
    bool up = true;
    for (double t : {0.0, 30.0, 60.0}) {
      const auto sats = scene.At(t).satellites;
      up = up && std::any_of(sats.begin(), sats.end(), [](const sim::SimSatellite& s) { return s.prn == 5; });
    }
    if (up) return seed;
  }
  return 0;
}

struct Console {
  Console()
      : frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> { return std::make_unique<SerialPort>(sink); }),
        commands(frame, host),
        pages(frame, commands.windows(), host) {}

  void PollUntil(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end) {
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
      std::this_thread::sleep_for(milliseconds(20));
    }
  }
  uint32_t Count(int message) { return frame.mainDecoder().counters().messageCountById[message]; }
  bool Shows(int window, const std::string& text) {
    test::RecordingCanvas canvas;
    pages.page(window)->Paint(canvas);
    for (const std::string& t : canvas.Texts()) {
      if (t.find(text) != std::string::npos) return true;
    }
    return false;
  }
  bool TracksSv5() {
    const auto& ca = frame.mainDecoder().store().channelAssignment();
    for (int ch = 0; ch < 12; ++ch) {
      if (ca.entry(ch).svNumber() == 5 && ca.entry(ch).snr() > 0) return true;
    }
    return false;
  }

  test::FakeDesktop desk;
  CMainFrame frame;
  test::FakeShellHost host;
  FrameCommands commands;
  ConsolePages pages;
};

TEST(CommandDialogsSim, MaskAngleAndSvDeselectionShowInTheWindows) {
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  const uint32_t seed = SeedWithSv5();
  ASSERT_NE(seed, 0u);
  test::SimProcess sim({"--baud", "115200", "--seed", std::to_string(seed), "--start-gps",
                        std::to_string(static_cast<unsigned long long>(kStartGps))});
  ASSERT_FALSE(sim.path().empty());
  Console c;
  c.frame.config().SetMainPortName(sim.path());
  c.frame.ChangeMainBaud(115200);
  ASSERT_TRUE(c.frame.mainPort().IsOpen());
  for (int w : {cmd::kWndReceiverStatus, cmd::kWndSvPosition, cmd::kWndChannelAssignment}) c.commands.OnCommand(w);
  auto* sky = dynamic_cast<CShowSVsPositionWnd*>(c.pages.page(cmd::kWndSvPosition));
  ASSERT_NE(sky, nullptr);
  const auto& status = c.frame.mainDecoder().store().receiverStatus();

  // A mask set in the dialog, then asked for by the sky plot's "Show Mask Angle".
  auto setMask = [&](const char* degrees, uint16_t hundredths) {
    c.desk.formDriver = [&](Form& f) {
      f.SetText(MaskAngleForm::kAngle, degrees);
      return f.Press(kFormOk) == FormAction::Ok;
    };
    c.commands.OnCommand(cmd::kMaskAngle);
    const uint32_t before = c.Count(49);
    sky->OnCommand(CShowSVsPositionWnd::kShowMaskAngleCommand);
    c.PollUntil([&] { return c.Count(49) > before; }, 10000);
    EXPECT_EQ(status.maskAngleHundredths(), hundredths) << degrees;
  };
  setMask("25", 2500);
  EXPECT_TRUE(c.Shows(cmd::kWndReceiverStatus, "25.00 deg"));
  EXPECT_EQ(sky->maskAngle(), 25);
  setMask("12", 1200);
  EXPECT_TRUE(c.Shows(cmd::kWndReceiverStatus, "12.00 deg"));
  EXPECT_EQ(sky->maskAngle(), 12);

  c.frame.encoder().SendRequest(6, kContinuous);
  c.PollUntil([&] { return c.Count(7) >= 1; }, 10000);
  EXPECT_TRUE(c.TracksSv5());
  c.desk.formDriver = [](Form& f) {
    f.SetBoxChecked(SvDeselectionForm::kGpsBoxes, 4, true);  // "SV 5"
    f.Press(SvDeselectionForm::kSend);
    f.Press(SvDeselectionForm::kExit);
    return false;
  };
  c.commands.OnCommand(cmd::kSvDeselection);
  // Two more seconds of channel assignments: the first may have left before the command.
  const uint32_t seen = c.Count(7);
  c.PollUntil([&] { return c.Count(7) >= seen + 2; }, 10000);
  EXPECT_FALSE(c.TracksSv5());
  EXPECT_EQ(c.frame.mainDecoder().counters().protocolErrorCount, 0u);
}

}  // namespace
}  // namespace orv
