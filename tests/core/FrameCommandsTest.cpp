// The main window's commands without a screen: window toggles and their open flags, protocol
// switching, the request menu with its mode dialog, the protocol dialog's outcomes, the baud
// buttons and the top-level "&Stop" item.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "ids/CommandIds.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "serial/PortDialog.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"

namespace orv {
namespace {

using test::FakePort;

class FrameCommandsTest : public ::testing::Test {
 protected:
  FrameCommandsTest()
      : frame(desk,
              [this](StreamDecoder* sink) {
                auto port = std::make_unique<FakePort>(sink);
                ports.push_back(port.get());
                return port;
              }),
        commands(frame, host) {}

  FakePort& mainPort() { return *ports[0]; }
  // The main port's opens, in order ("open COM2 9600").
  std::vector<std::string> MainOpens() {
    std::vector<std::string> opens;
    for (const std::string& line : mainPort().log) {
      if (line.rfind("open ", 0) == 0) opens.push_back(line);
    }
    return opens;
  }
  // ID bytes of the frames written to the main port.
  std::vector<int> SentIds() const {
    std::vector<int> ids;
    for (const auto& f : ports[0]->sent) ids.push_back(f.size() > 1 ? f[1] : -1);
    return ids;
  }

  test::FakeDesktop desk;
  std::vector<FakePort*> ports;
  CMainFrame frame;
  test::FakeShellHost host;
  FrameCommands commands;
};

TEST_F(FrameCommandsTest, AWindowCommandTwiceOpensThenClosesAndClearsItsFlag) {
  ASSERT_TRUE(commands.OnCommand(cmd::kWndLlh));
  EXPECT_EQ(host.hosts.at(cmd::kWndLlh), "Navigation Window (User Coor) - Msg 20");
  EXPECT_EQ(host.rects.at(cmd::kWndLlh), frame.config().windowRect(cmd::kWndLlh));
  EXPECT_TRUE(frame.config().windowOpen(cmd::kWndLlh));
  EXPECT_TRUE(commands.State(cmd::kWndLlh).checked);

  ASSERT_TRUE(commands.OnCommand(cmd::kWndLlh));
  EXPECT_EQ(host.hosts.count(cmd::kWndLlh), 0u);
  EXPECT_FALSE(frame.config().windowOpen(cmd::kWndLlh));
  EXPECT_FALSE(commands.State(cmd::kWndLlh).checked);
  EXPECT_EQ(host.log, (std::vector<std::string>{"create 32776", "destroy 32776"}));
}

TEST_F(FrameCommandsTest, ClosingTheWindowItselfPostsItsCommandWhichOnlyForgetsIt) {
  commands.OnCommand(cmd::kWndTerminal);
  host.hosts.erase(cmd::kWndTerminal);  // the user closed it: the host is gone
  commands.windows().OnHostClosed(cmd::kWndTerminal);
  EXPECT_FALSE(frame.config().windowOpen(cmd::kWndTerminal));
  ASSERT_EQ(host.posted, std::vector<int>{cmd::kWndTerminal});

  commands.OnCommand(host.posted.back());  // the event loop runs the posted command
  EXPECT_EQ(host.log, (std::vector<std::string>{"create 32932"}));  // not destroyed twice
  EXPECT_FALSE(commands.windows().exists(cmd::kWndTerminal));

  commands.OnCommand(cmd::kWndTerminal);  // the menu opens a fresh one
  EXPECT_EQ(host.log.back(), "create 32932");
  EXPECT_TRUE(frame.config().windowOpen(cmd::kWndTerminal));
}

TEST_F(FrameCommandsTest, AWindowWhoseFlagWasResetUnderItStaysCheckedAndClosesFromTheMenu) {
  commands.OnCommand(cmd::kWndEphemeris);
  commands.OnCommand(cmd::kRestoreFactoryConfig);  // clears every open flag
  EXPECT_FALSE(frame.config().windowOpen(cmd::kWndEphemeris));
  EXPECT_TRUE(commands.State(cmd::kWndEphemeris).checked);
  commands.OnCommand(cmd::kWndEphemeris);
  EXPECT_FALSE(commands.State(cmd::kWndEphemeris).checked);
  EXPECT_EQ(host.hosts.count(cmd::kWndEphemeris), 0u);
  EXPECT_EQ(host.log.back(), "destroy 32777");
}

TEST_F(FrameCommandsTest, SwitchingProtocolRebuildsTheBarAndTellsTheDecoder) {
  EXPECT_NE(FindCommand(commands.menuBar(), cmd::kWndLlh), nullptr);
  commands.OnCommand(cmd::kSwitchToNmea);
  EXPECT_EQ(frame.config().protocolSelector(), 0);
  EXPECT_EQ(frame.mainDecoder().flags().protocolSelector, 0u);
  EXPECT_EQ(FindCommand(commands.menuBar(), cmd::kWndLlh), nullptr);
  EXPECT_NE(FindCommand(commands.menuBar(), cmd::kWndNmeaRmc), nullptr);
  EXPECT_TRUE(commands.State(cmd::kSwitchToNmea).checked);
  EXPECT_EQ(host.menuChanges, 1);

  commands.OnCommand(cmd::kSwitchToKtx);
  EXPECT_EQ(frame.mainDecoder().flags().protocolSelector, 1u);
  EXPECT_NE(FindCommand(commands.menuBar(), cmd::kWndFileHeader), nullptr);
  EXPECT_EQ(host.menuChanges, 2);
}

TEST_F(FrameCommandsTest, RequestItemsAskForTheModeUnderTheRequestsOwnCaption) {
  commands.OpenMainPort("COM1", 9600);
  std::vector<std::string> captions;
  desk.formDriver = [&](Form& f) {  // OK as the dialog opens
    captions.push_back(f.caption());
    EXPECT_EQ(f.field(kRequestModeGroup)->options, (std::vector<std::string>{"One Shot", "Continuous"}));
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kRequestLlh);
  desk.formDriver = [&](Form& f) {
    captions.push_back(f.caption());
    f.Select(kRequestModeGroup, 0);
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kRequestSystemProfile);
  desk.formDriver = [&](Form& f) {
    captions.push_back(f.caption());
    return f.Press(kFormCancel, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kRequestTiming);
  EXPECT_EQ(captions, (std::vector<std::string>{"LLH Solution Request (20)", "Sys. Profile Request (111)",
                                                "Timing Status Request (113)"}));
  EXPECT_EQ(SentIds(), (std::vector<int>{20 + 128, 111}));
}

TEST_F(FrameCommandsTest, MeasurementRatesAndRequestAllGoOutContinuousWithoutADialog) {
  commands.OpenMainPort("COM1", 9600);
  for (int id : {cmd::kRequestMeasurement1Hz, cmd::kRequestMeasurement2Hz, cmd::kRequestMeasurement5Hz,
                 cmd::kRequestMeasurement10Hz}) {
    commands.OnCommand(id);
  }
  commands.OnCommand(cmd::kRequestAll);
  EXPECT_EQ(desk.formsRun, 0);
  EXPECT_EQ(SentIds(), (std::vector<int>{151, 151, 151, 151, 148, 149, 150, 151, 193}));
  // The rate is the payload byte of message 23.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(mainPort().sent[i][4], i);
}

TEST_F(FrameCommandsTest, ProtocolDialogToNmeaTellsTheReceiverThenFollowsIt) {
  commands.OpenMainPort("COM2", 9600);
  std::string caption, force;
  desk.formDriver = [&](Form& f) {
    caption = f.caption();
    force = f.field(kProtocolForceKtx)->label;
    f.Select(kProtocolDesiredMode, 1);  // NMEA
    f.Select(kProtocolDesiredRate, 4);  // 38400
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kProtocol);
  EXPECT_EQ(caption, "Configure main port mode");
  EXPECT_EQ(force, "Force to KTX protocol at 9600 bauds");
  // Message 110: NMEA flag and the code of 38400. It went out at 9600, before the reopen.
  ASSERT_FALSE(mainPort().sent.empty());
  const auto& f = mainPort().sent.back();
  EXPECT_EQ(f[1], 110);
  EXPECT_EQ(f[4], 0x80 | 65);
  EXPECT_EQ(mainPort().log.back(), "open COM2 38400");
  EXPECT_EQ(frame.config().mainBaudRate(), 38400);
  EXPECT_EQ(frame.config().protocolSelector(), 0);
  EXPECT_NE(FindCommand(commands.menuBar(), cmd::kWndNmeaGga), nullptr);
}

TEST_F(FrameCommandsTest, ProtocolDialogSpeaksToTheReceiverInTheModeAndRateTheUserSaysItRuns) {
  // The configuration says KTX Binary at 9600, but the receiver was left in NMEA at 4800.
  commands.OpenMainPort("COM2", 9600);
  const std::size_t sentBefore = mainPort().sent.size();
  const int menuChangesBefore = host.menuChanges;
  desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.Selected(kProtocolCurrentMode), 0);  // preset from the configuration
    EXPECT_EQ(f.Selected(kProtocolCurrentRate), 2);  // 9600
    f.Select(kProtocolCurrentMode, 1);
    f.Select(kProtocolCurrentRate, 1);  // 4800
    f.Select(kProtocolDesiredMode, 0);
    f.Select(kProtocolDesiredRate, 3);  // 19200
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kProtocol);
  // Told at its current rate, then followed to the new one.
  EXPECT_EQ(MainOpens(), (std::vector<std::string>{"open COM2 9600", "open COM2 4800", "open COM2 19200"}));
  ASSERT_EQ(mainPort().sent.size(), sentBefore + 1);
  const std::string sentence(mainPort().sent.back().begin(), mainPort().sent.back().end());
  EXPECT_EQ(sentence.rfind("$PQTLG,000,", 0), 0u) << sentence;  // in NMEA, the receiver's mode
  EXPECT_EQ(frame.config().mainBaudRate(), 19200);
  EXPECT_EQ(frame.config().protocolSelector(), 1);
  EXPECT_EQ(host.menuChanges, menuChangesBefore);  // the menus were KTX already
}

TEST_F(FrameCommandsTest, ProtocolDialogKeepsAnUnusualStoredRateAsTheCurrentOne) {
  EXPECT_EQ(ProtocolCurrentRates(300).front(), 300u);
  EXPECT_EQ(ProtocolCurrentRates(9600).size(), 7u);
  commands.OpenMainPort("COM2", 300);
  desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.field(kProtocolCurrentRate)->options.at(static_cast<std::size_t>(f.Selected(kProtocolCurrentRate))), "300");
    EXPECT_EQ(f.field(kProtocolDesiredRate)->options.at(static_cast<std::size_t>(f.Selected(kProtocolDesiredRate))), "9600");
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kProtocol);
  EXPECT_EQ(MainOpens(), (std::vector<std::string>{"open COM2 300", "open COM2 300", "open COM2 9600"}));
  EXPECT_EQ(frame.config().mainBaudRate(), 9600);
}

TEST_F(FrameCommandsTest, ProtocolDialogCancelChangesNothing) {
  desk.formDriver = [&](Form& f) {
    f.Select(kProtocolDesiredMode, 1);
    return f.Press(kFormCancel, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kProtocol);
  EXPECT_EQ(frame.config().protocolSelector(), 1);
  EXPECT_EQ(host.menuChanges, 0);
  EXPECT_TRUE(desk.boxes.empty());
}

TEST_F(FrameCommandsTest, ForceToKtxWithoutAPortSaysSoAndSwitchesTheMenus) {
  commands.OnCommand(cmd::kSwitchToNmea);
  frame.config().SetMainPortName("COM3");
  desk.formDriver = [&](Form& f) { return f.Press(kProtocolForceKtx, &desk) == FormAction::Ok; };
  commands.OnCommand(cmd::kProtocol);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Cannot transmit data.\nPort COM3 not setup or not open.");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Stop);
  EXPECT_EQ(frame.config().protocolSelector(), 1);
  EXPECT_EQ(frame.state().sweepActive, 0u);
  EXPECT_NE(FindCommand(commands.menuBar(), cmd::kWndLlh), nullptr);
}

TEST_F(FrameCommandsTest, ForceToKtxWithThePollRunningStartsTheSweep) {
  commands.OpenMainPort("COM1", 4800);
  desk.formDriver = [&](Form& f) { return f.Press(kProtocolForceKtx, &desk) == FormAction::Ok; };
  commands.OnCommand(cmd::kProtocol);
  EXPECT_TRUE(desk.boxes.empty());
  EXPECT_EQ(frame.state().sweepActive, 1u);
  EXPECT_EQ(frame.config().mainBaudRate(), 9600);
}

TEST_F(FrameCommandsTest, OpeningAPortSetsTitlePaneAndStopItemAndStopRemovesIt) {
  EXPECT_EQ(FindCommand({commands.menuBar().back()}, cmd::kStop), nullptr);
  EXPECT_TRUE(commands.State(cmd::kStop).checked);  // pressed while nothing runs
  commands.OpenMainPort("COM1", 9600);
  EXPECT_EQ(desk.title, "COM1 - (9600) - ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "COM1:");
  EXPECT_EQ(commands.menuBar().back().text, "&Stop");
  EXPECT_TRUE(commands.State(cmd::kSerialPort).checked);
  EXPECT_FALSE(commands.State(cmd::kStop).checked);

  commands.OnCommand(cmd::kStop);
  EXPECT_NE(commands.menuBar().back().text, "&Stop");
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
}

TEST_F(FrameCommandsTest, SerialPortCommandOpensThePortChosenInTheDialogAndClosesIt) {
  frame.config().SetMainBaudRate(19200);
  desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.caption(), "Serial Port Configuration");
    f.Select(PortDialog::kPortGroup, 2);
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kSerialPort);
  EXPECT_EQ(mainPort().log.back(), "open COM3 19200");
  EXPECT_EQ(commands.menuBar().back().text, "&Stop");
  commands.OnCommand(cmd::kSerialPort);
  EXPECT_EQ(frame.state().mainPortOpen, 0u);
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");
  EXPECT_NE(commands.menuBar().back().text, "&Stop");
}

TEST_F(FrameCommandsTest, BaudButtonsStoreTheRateAndReopenAnOpenPort) {
  commands.OnCommand(cmd::kBaud57600);
  EXPECT_EQ(frame.config().mainBaudRate(), 57600);
  EXPECT_TRUE(commands.State(cmd::kBaud57600).checked);
  EXPECT_FALSE(commands.State(cmd::kBaud9600).checked);
  EXPECT_TRUE(mainPort().log.empty());  // closed port: nothing on the line
  commands.OpenMainPort("COM1", 9600);
  commands.OnCommand(cmd::kBaud4800);
  EXPECT_EQ(mainPort().log.back(), "open COM1 4800");
}

TEST_F(FrameCommandsTest, ToolbarCommandsToggleTheirBarAndShowItsState) {
  commands.OnCommand(cmd::kViewUtilityBar);
  EXPECT_TRUE(commands.State(cmd::kViewUtilityBar).checked);
  commands.OnCommand(cmd::kViewUtilityBar);
  EXPECT_FALSE(commands.State(cmd::kViewUtilityBar).checked);
}

TEST_F(FrameCommandsTest, CommandsWithoutAHandlerAreDisabled) {
  EXPECT_FALSE(commands.HasHandler(cmd::kSaveDgpsData));
  EXPECT_FALSE(commands.State(cmd::kSaveDgpsData).enabled);
  EXPECT_FALSE(commands.OnCommand(cmd::kSaveDgpsData));
  EXPECT_TRUE(commands.State(cmd::kWndPlot).enabled);
  EXPECT_TRUE(commands.State(cmd::kRequestAll).enabled);
  commands.OnCommand(cmd::kExit);
  EXPECT_TRUE(host.quit);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST_F(FrameCommandsTest, SaveConfigKeepsWindowsAndProtocolForTheNextStart) {
  const std::string path = test::TempDir() + "/frame-commands.cfg";
  std::remove(path.c_str());
  commands.LoadConfiguration(path);  // no file yet: written with the defaults
  EXPECT_TRUE(host.posted.empty());
  commands.OnCommand(cmd::kWndPlot);
  host.rects[cmd::kWndPlot] = {5, 6, 405, 506};  // the user moved it
  host.mainRect = ScreenRect{20, 30, 820, 630};
  commands.OnCommand(cmd::kSwitchToNmea);
  commands.OnCommand(cmd::kSaveConfig);

  test::FakeDesktop desk2;
  CMainFrame frame2(desk2, [](StreamDecoder* sink) { return std::make_unique<FakePort>(sink); });
  test::FakeShellHost host2;
  FrameCommands commands2(frame2, host2);
  commands2.LoadConfiguration(path);
  EXPECT_EQ(host2.posted, std::vector<int>{cmd::kWndPlot});
  EXPECT_EQ(frame2.config().windowRect(cmd::kWndPlot), (ScreenRect{5, 6, 405, 506}));
  EXPECT_EQ(frame2.mainDecoder().flags().protocolSelector, 0u);
  EXPECT_NE(FindCommand(commands2.menuBar(), cmd::kWndNmeaGga), nullptr);
  commands2.OnCommand(cmd::kRestoreFactoryConfig);
  EXPECT_EQ(frame2.config().protocolSelector(), 1);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST_F(FrameCommandsTest, NmeaSendItemsQueryTheirSentence) {
  commands.OpenMainPort("COM1", 4800);
  commands.OnCommand(cmd::kSwitchToNmea);
  commands.OnCommand(cmd::kNmeaQueryRmc);
  commands.OnCommand(cmd::kNmeaQueryUserPosition);
  commands.OnCommand(cmd::kNmeaSelfTest);
  ASSERT_EQ(mainPort().sent.size(), 3u);
  const auto text = [&](int i) { return std::string(mainPort().sent[i].begin(), mainPort().sent[i].end()); };
  EXPECT_EQ(text(0).substr(0, 15), "$PQTLG,004,RMC*");
  EXPECT_EQ(text(1).substr(0, 15), "$PQTLG,004,907*");
  EXPECT_EQ(text(2).substr(0, 11), "$PQTLG,003*");
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// The recording commands: their check marks, the summary window automatic logging opens, and
// "&Stop" while a recording runs on a playback that ended.
TEST_F(FrameCommandsTest, RecordingCommandsCarryTheirCheckMarksAndTheStopItem) {
  const std::string path = "/tmp/orv-frame-commands-" + std::to_string(::getpid()) + ".log";
  EXPECT_TRUE(commands.State(cmd::kSaveMainPortData).enabled);
  EXPECT_TRUE(commands.State(cmd::kSaveAuxPortData).enabled);
  EXPECT_TRUE(commands.State(cmd::kAutomaticLogging).enabled);
  commands.OpenMainPort("COM1", 9600);
  desk.saveFileAnswer = path;
  commands.OnCommand(cmd::kAutomaticLogging);
  EXPECT_TRUE(commands.State(cmd::kAutomaticLogging).checked);
  EXPECT_TRUE(commands.State(cmd::kSaveMainPortData).checked);
  EXPECT_TRUE(commands.windows().exists(cmd::kWndAutoLogSummary));
  frame.StopInput(2);  // the port goes: the recording still holds "&Stop"
  commands.RefreshStopItem();
  EXPECT_EQ(commands.menuBar().back().text, "&Stop");
  commands.OnCommand(cmd::kSaveMainPortData);
  EXPECT_FALSE(commands.State(cmd::kAutomaticLogging).checked);
  EXPECT_FALSE(commands.State(cmd::kSaveMainPortData).checked);
  EXPECT_NE(commands.menuBar().back().text, "&Stop");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace orv
