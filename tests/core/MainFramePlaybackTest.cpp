// Single-file playback through the main frame: the "Open log File" command, the poll that
// feeds the file tick by tick, the end of the file, and the Playback Rate dialog.
#include <gtest/gtest.h>

#include <fstream>

#include "app/MainFrame.h"
#include "logging/PlaybackProgress.h"
#include "logging/PlaybackRateForm.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/Frames.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

class TerminalLinkDouble : public TerminalLink {
 public:
  void ShowText(const char*, uint32_t) override {}
};

class MainFramePlaybackTest : public ::testing::Test {
 protected:
  MainFramePlaybackTest()
      : frame(desk, [this](StreamDecoder* sink) {
          auto port = std::make_unique<test::FakePort>(sink);
          ports.push_back(port.get());
          return port;
        }) {}

  std::string WriteLog(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // Seven bytes of line noise, then `epochs` navigation solutions and measurement blocks.
  static std::vector<uint8_t> GeneratedLog(int epochs) {
    std::vector<uint8_t> log = test::Hex("55 AA 30 0D 0A 7E 00");
    for (int e = 0; e < epochs; ++e) {
      std::vector<uint8_t> nav(71, 0);
      WriteLe(std::span<uint8_t>(nav), 14, 0.001 * e);
      std::vector<uint8_t> meas(11, 0);
      WriteLe(std::span<uint8_t>(meas), 3, 1000.0 + e);
      for (const auto& f : {test::Frame(20, nav), test::Frame(23, meas)}) log.insert(log.end(), f.begin(), f.end());
    }
    return log;
  }
  void SetRate(int slider, int divisor) {
    desk.formDriver = [this, slider, divisor](Form& form) {
      form.SetPosition(PlaybackRateForm::kSlider, slider);
      form.Select(PlaybackRateForm::kDivisor, divisor);
      return form.Press(kFormOk, &desk) == FormAction::Ok;
    };
    frame.OnPlaybackRate();
  }

  std::string dir = test::TempDir();
  test::FakeDesktop desk;
  std::vector<test::FakePort*> ports;
  CMainFrame frame;
};

TEST_F(MainFramePlaybackTest, PlaysAGeneratedLogTickByTickToItsEnd) {
  const std::vector<uint8_t> log = GeneratedLog(40);  // 7 + 40 * (77 + 17) = 3767 bytes
  desk.openFileAnswer = WriteLog("run.log", log);
  SetRate(2345, 1);  // Rate/10
  ASSERT_EQ(frame.config().playbackBytesPerTick(), 234);

  frame.OnOpenLogFile();
  ASSERT_EQ(desk.openFileRequests.size(), 1u);
  EXPECT_EQ(desk.openFileRequests[0].defaultExtension, "log");
  EXPECT_EQ(desk.openFileRequests[0].filter, "Log Files (*.log) |*.log|All Files (*.*) |*.*||");
  EXPECT_EQ(desk.title, "run.log - ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "LOG: ");
  EXPECT_EQ(frame.state().playbackActive, 1u);
  EXPECT_EQ(desk.timers.at(kPollTimer), kPlaybackPollMs);
  EXPECT_EQ(frame.mainDecoder().flags().timeGateOpen, 1u);
  EXPECT_EQ(frame.lastLogDirectory(), dir);

  const std::size_t played = log.size() - 7;  // playback starts at the first frame
  int ticks = 0;
  int64_t lastPosition = 7;
  while (desk.TimerArmed(kPollTimer) && ticks < 1000) {
    frame.OnTimer(kPollTimer);
    ++ticks;
    if (!frame.state().playbackActive) break;
    const int64_t position = frame.playbackReader().Position();
    EXPECT_EQ(position - lastPosition, std::min<int64_t>(234, static_cast<int64_t>(log.size()) - lastPosition));
    lastPosition = position;
  }
  EXPECT_EQ(ticks, static_cast<int>((played + 233) / 234) + 1);  // the last read delivers nothing
  EXPECT_EQ(frame.mainDecoder().counters().messageCountById[20], 40u);
  EXPECT_EQ(frame.mainDecoder().counters().messageCountById[23], 40u);
  EXPECT_DOUBLE_EQ(frame.mainDecoder().store().navLlh().latitude(), 0.039);
  EXPECT_DOUBLE_EQ(frame.mainDecoder().LastMeasurementGpsTime(), 1039.0);
  EXPECT_FALSE(frame.playbackReader().isOpen());
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(frame.state().pollTimer, 0u);
}

TEST_F(MainFramePlaybackTest, TheCommandTogglesAndClosesTheOtherInputsFirst) {
  frame.config().SetMainPortName("COM1");
  frame.ChangeMainBaud(9600);
  ASSERT_EQ(desk.timers.at(kPollTimer), kSerialPollMs);
  frame.state().auxPortOpen = 1;
  bool auxWindowClosed = false;
  TerminalLinkDouble auxWindow;
  frame.SetAuxWindow(&auxWindow);
  frame.SetCloseAuxWindow([&] { auxWindowClosed = true; });
  desk.openFileAnswer = WriteLog("a.log", GeneratedLog(2));
  frame.OnOpenLogFile();
  EXPECT_EQ(frame.state().mainPortOpen, 0u);
  EXPECT_EQ(frame.state().auxPortOpen, 0u);
  EXPECT_TRUE(auxWindowClosed);
  EXPECT_EQ(desk.timers.at(kPollTimer), kPlaybackPollMs);  // re-armed for playback

  frame.OnOpenLogFile();  // toggles off
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_FALSE(frame.playbackReader().isOpen());
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");

  // The dialog starts from the file chosen last; cancelling it plays nothing.
  desk.openFileAnswer.reset();
  frame.OnOpenLogFile();
  EXPECT_EQ(desk.openFileRequests.back().initialPath, dir + "/a.log");
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
}

TEST_F(MainFramePlaybackTest, AFileThatFailsTheCheckIsNotPlayed) {
  std::string text;
  while (text.size() < 12000) text += test::Sentence("GPGGA,1,2,3");
  const std::string nmea = WriteLog("n.log", test::Bytes(text));
  desk.openFileAnswer = nmea;
  frame.OnOpenLogFile();
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "This is not a KTX log file.");
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");

  // With the NMEA protocol selected the same file plays, from its first '$'.
  frame.config().SetProtocolSelector(0);
  frame.mainDecoder().SetProtocolSelector(0);
  frame.OnOpenLogFile();
  EXPECT_EQ(frame.state().playbackActive, 1u);
  for (int i = 0; i < 100 && frame.state().playbackActive; ++i) frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_GT(frame.mainDecoder().counters().nmeaSentenceCount, 200u);
  EXPECT_EQ(desk.boxes.size(), 1u);
}

// 1500 short frames behind one stray 0x01 (12,001 bytes): the check finds the first frame and
// every frame is decoded; an empty file is refused with the message rather than in silence.
TEST_F(MainFramePlaybackTest, ALogOfShortFramesPlaysAndAnEmptyOneIsRefusedAloud) {
  std::vector<uint8_t> log = {0x01};
  for (int i = 0; i < 1500; ++i) {
    const auto f = test::Frame(20, {static_cast<uint8_t>(i % 200), 0x10});
    log.insert(log.end(), f.begin(), f.end());
  }
  desk.openFileAnswer = WriteLog("short.log", log);
  frame.OnOpenLogFile();
  EXPECT_TRUE(desk.boxes.empty());
  ASSERT_EQ(frame.state().playbackActive, 1u);
  for (int i = 0; i < 1000 && frame.state().playbackActive; ++i) frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_EQ(frame.mainDecoder().counters().validMessageCount, 1500u);
  EXPECT_EQ(frame.mainDecoder().counters().protocolErrorCount, 0u);

  desk.openFileAnswer = WriteLog("empty.log", {});
  frame.OnOpenLogFile();
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "This is not a KTX log file.");
  EXPECT_EQ(desk.boxes[0].caption, "Open Log File");
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
}

// A path the log file cannot keep used to do nothing at all; now the user is told.
TEST_F(MainFramePlaybackTest, APathTooLongForTheLogFileIsRefusedWithAMessage) {
  desk.openFileAnswer = dir + "/" + std::string(195, 'a') + ".log";
  frame.OnOpenLogFile();
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_NE(desk.boxes[0].text.find("longer than the 199 characters"), std::string::npos);
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
}

TEST_F(MainFramePlaybackTest, RateDialogCancelKeepsTheRate) {
  desk.formDriver = [](Form& form) {
    form.SetPosition(PlaybackRateForm::kSlider, 50);
    return form.Press(kFormCancel, nullptr) == FormAction::Ok;
  };
  frame.OnPlaybackRate();
  EXPECT_EQ(frame.config().playbackBytesPerTick(), 1000);
  SetRate(50, 2);
  EXPECT_EQ(frame.config().playbackBytesPerTick(), 1);
  EXPECT_EQ(desk.formsRun, 2);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// The message pane follows the share of the file read, says when the file has been played to
// its end, and says where a playback stopped by the user was.
TEST_F(MainFramePlaybackTest, TheStatusBarShowsThePlayedShareAndTheEnd) {
  const std::vector<uint8_t> log = GeneratedLog(40);  // 3767 bytes
  desk.openFileAnswer = WriteLog("drive.log", log);
  SetRate(500, 0);
  frame.OnOpenLogFile();
  EXPECT_EQ(desk.PaneText(kPaneMessage), "Playback: 0% of drive.log");  // 7 bytes of noise skipped
  std::vector<std::string> shown;
  while (frame.state().playbackActive && shown.size() < 100) {
    frame.OnTimer(kPollTimer);
    if (!frame.state().playbackActive) break;
    const int64_t position = frame.playbackReader().Position();
    EXPECT_EQ(desk.PaneText(kPaneMessage),
              "Playback: " + std::to_string(position * 100 / static_cast<int64_t>(log.size())) + "% of drive.log");
    shown.push_back(desk.PaneText(kPaneMessage));
  }
  ASSERT_EQ(shown.size(), 8u);  // 3760 bytes at 500 a tick
  EXPECT_EQ(shown.front(), "Playback: 13% of drive.log");
  EXPECT_EQ(shown.back(), "Playback: 100% of drive.log");
  EXPECT_EQ(desk.PaneText(kPaneMessage), "Playback finished: drive.log");

  // Stopped by the command: where it was.
  frame.OnOpenLogFile();
  frame.OnTimer(kPollTimer);
  frame.OnTimer(kPollTimer);
  frame.OnOpenLogFile();
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_EQ(desk.PaneText(kPaneMessage), "Playback stopped at 26% of drive.log");
}

TEST(PlaybackProgress, PercentRoundsDownAndChangesOnlyWhenItMoves) {
  EXPECT_EQ(PlaybackPercent(0, 3767), 0);
  EXPECT_EQ(PlaybackPercent(3766, 3767), 99);  // 100 only at the very end
  EXPECT_EQ(PlaybackPercent(3767, 3767), 100);
  EXPECT_EQ(PlaybackPercent(9000, 3767), 100);
  EXPECT_EQ(PlaybackPercent(-1, 3767), 0);
  EXPECT_EQ(PlaybackPercent(0, 0), 100);
  EXPECT_EQ(PlaybackPercent(int64_t{5} << 40, int64_t{10} << 40), 50);  // no overflow past 2^63 / 100
  PlaybackProgress p;
  EXPECT_EQ(p.Update(10, 100), "");  // not started
  p.Start("a.log");
  EXPECT_EQ(p.Update(10, 100), "Playback: 10% of a.log");
  EXPECT_EQ(p.Update(109, 1000), "");
  EXPECT_EQ(p.Update(19, 50), "Playback: 38% of a.log");  // a growing file: the size is asked again
  EXPECT_EQ(PlaybackEndText("a.log", 100), "Playback finished: a.log");
  EXPECT_EQ(PlaybackEndText("a.log", 42), "Playback ended at 42% of a.log: the file could not be read further");
}

}  // namespace
}  // namespace orv
