// Synchronized playback through the main frame: the setup dialog, the toggling command, the
// poll, the end of a file and what a port opened afterwards gets.
#include <gtest/gtest.h>

#include <fstream>

#include "app/MainFrame.h"
#include "logging/SyncPlaybackForm.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/Frames.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

std::vector<uint8_t> Scene(double first, int epochs) {
  std::vector<uint8_t> log;
  for (int e = 0; e < epochs; ++e) {
    std::vector<uint8_t> nav(71, 0);
    WriteLe(std::span<uint8_t>(nav), 2, first + e);
    std::vector<uint8_t> meas(11, 0);
    WriteLe(std::span<uint8_t>(meas), 3, first + e);
    for (const auto& f : {test::Frame(20, nav), test::Frame(23, meas)}) log.insert(log.end(), f.begin(), f.end());
  }
  return log;
}

class SyncPlaybackFrameTest : public ::testing::Test {
 protected:
  SyncPlaybackFrameTest()
      : frame(desk, [this](StreamDecoder* sink) {
          auto port = std::make_unique<test::FakePort>(sink);
          ports.push_back(port.get());
          return port;
        }) {}
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // The dialog: slot, the two paths through the edits, OK.
  void Answer(int slot, const std::string& user, const std::string& base) {
    desk.formDriver = [=, this](Form& form) {
      shownSlot = form.Selected(SyncPlaybackForm::kSlot);
      shownDelay = form.Position(SyncPlaybackForm::kDelay);
      form.Select(SyncPlaybackForm::kSlot, slot);
      form.SetText(SyncPlaybackForm::kUserPath, user);
      form.SetText(SyncPlaybackForm::kBasePath, base);
      return form.Press(kFormOk, &desk) == FormAction::Ok;
    };
  }
  void Poll(int events) {
    for (int i = 0; i < events && frame.state().syncPlaybackActive; ++i) frame.OnTimer(kPollTimer);
  }

  std::string dir = test::TempDir();
  test::FakeDesktop desk;
  std::vector<test::FakePort*> ports;
  CMainFrame frame;
  int shownSlot = -1;
  int shownDelay = -1;
};

TEST_F(SyncPlaybackFrameTest, TheCommandStartsStoresTheSlotAndToggles) {
  const std::string user = Write("rover.log", Scene(100, 4));
  const std::string base = Write("base.log", Scene(100, 4));
  Answer(1, user, base);
  frame.OnOpenSynchronizedLogFiles();
  ASSERT_EQ(frame.state().syncPlaybackActive, 1u);
  EXPECT_EQ(desk.timers.at(kPollTimer), kPlaybackPollMs);
  EXPECT_EQ(desk.title, "rover.log - ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "LOG: ");
  EXPECT_EQ(frame.config().syncSelectedSlot(), 1);
  EXPECT_EQ(frame.config().syncUserFilePath(1), user);
  EXPECT_EQ(frame.config().syncBaseFilePath(1), base);
  EXPECT_EQ(frame.mainDecoder().flags().stopAfterMeasurement, 1u);
  EXPECT_EQ(frame.secondDecoder().flags().baseFileFlag, 1u);

  Poll(3);
  // The base file's measurement blocks are the second decoder's base measurements.
  EXPECT_GE(frame.secondDecoder().LastBaseMeasurementGpsTime(), 100.0);

  frame.OnOpenSynchronizedLogFiles();  // toggles off
  EXPECT_EQ(frame.state().syncPlaybackActive, 0u);
  EXPECT_FALSE(frame.playbackReader().isOpen() || frame.secondPlaybackReader().isOpen());
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_EQ(frame.mainDecoder().flags().stopAfterMeasurement, 0u);
  EXPECT_TRUE(frame.mainDecoder().readyForInput());
}

TEST_F(SyncPlaybackFrameTest, AShortBaseFileEndsTheRunAndThePortOpenedNextIsRead) {
  Answer(0, Write("rover.log", Scene(100, 10)), Write("base.log", Scene(100, 2)));
  frame.OnOpenSynchronizedLogFiles();
  ASSERT_EQ(frame.state().syncPlaybackActive, 1u);
  Poll(1000);
  EXPECT_EQ(frame.state().syncPlaybackActive, 0u);
  EXPECT_LE(frame.mainDecoder().LastMeasurementGpsTime(), 102.0);

  frame.config().SetMainPortName("COM1");
  frame.ChangeMainBaud(9600);
  const uint32_t before = frame.mainDecoder().counters().validMessageCount;
  ports[0]->Queue(Scene(500, 3));
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.mainDecoder().counters().validMessageCount, before + 6);
  EXPECT_DOUBLE_EQ(frame.mainDecoder().LastMeasurementGpsTime(), 502.0);
}

TEST_F(SyncPlaybackFrameTest, AnInvalidFileStartsNothing) {
  Answer(0, Write("rover.log", Scene(100, 3)), dir + "/missing.log");
  frame.OnOpenSynchronizedLogFiles();
  EXPECT_EQ(frame.state().syncPlaybackActive, 0u);
  ASSERT_FALSE(desk.boxes.empty());
  EXPECT_EQ(desk.boxes.back().text, "One ore more files are invalid.");
  EXPECT_FALSE(frame.playbackReader().isOpen());
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
}

TEST_F(SyncPlaybackFrameTest, TheFormRefusesLongPathsAndKeepsDamagedValuesInRange) {
  frame.config().SetSyncSelectedSlot(7);
  frame.config().SetSyncUserBaseDelay(50);
  frame.config().SetSyncTriggerTime(2, 345.5);
  SyncPlaybackForm dialog(frame.config(), &desk);
  EXPECT_EQ(dialog.form().caption(), "Synchronized Playback Setup");
  EXPECT_EQ(dialog.form().Selected(SyncPlaybackForm::kSlot), 2);
  EXPECT_EQ(dialog.form().Position(SyncPlaybackForm::kDelay), 9);
  EXPECT_EQ(dialog.form().Text(SyncPlaybackForm::kTrigger), "345.5");

  dialog.form().SetText(SyncPlaybackForm::kUserPath, std::string(200, 'a'));
  EXPECT_NE(dialog.form().Press(kFormOk, &desk), FormAction::Ok);
  ASSERT_FALSE(desk.boxes.empty());
  EXPECT_EQ(desk.boxes.back().text, "Invalid filename.");
  EXPECT_EQ(frame.config().syncUserFilePath(2), "");

  desk.openFileAnswer = std::string(199, 'b');
  dialog.form().Press(SyncPlaybackForm::kUserButton, &desk);
  ASSERT_FALSE(desk.openFileRequests.empty());
  EXPECT_EQ(desk.openFileRequests.back().filter, "All Files (*.*) |*.*||");
  dialog.form().SetText(SyncPlaybackForm::kTrigger, "604800.5");
  EXPECT_NE(dialog.form().Press(kFormOk, &desk), FormAction::Ok);
  dialog.form().SetText(SyncPlaybackForm::kTrigger, "12.25");
  dialog.form().SetChecked(SyncPlaybackForm::kLoopOn, true);
  ASSERT_EQ(dialog.form().Press(kFormOk, &desk), FormAction::Ok);
  EXPECT_EQ(frame.config().syncUserFilePath(2), std::string(199, 'b'));
  EXPECT_DOUBLE_EQ(frame.config().syncTriggerTime(2), 12.25);
  EXPECT_EQ(frame.config().syncSelectedSlot(), 2);
  EXPECT_EQ(frame.config().syncUserBaseDelay(), 9);
  EXPECT_EQ(frame.config().syncLoopOn(), 1);
}

}  // namespace
}  // namespace orv
