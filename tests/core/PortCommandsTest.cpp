// The port dialog and the main frame's port commands on fake ports: which ports are offered,
// what OK opens and writes, the Utility toolbar's buttons and their pressed state, and the
// forced switch to KTX Binary.
#include <gtest/gtest.h>

#include "ids/CommandIds.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "serial/AutoConnect.h"
#include "serial/PortDialog.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"
#include "support/ProbePorts.h"

namespace orv {
namespace {

using test::ProbePort;

TEST(PortDialog, OffersOnlyThePortsThatOpenAndProposesTheFirst) {
  std::set<std::string> free{"COM2", "COM4"};
  std::vector<std::string> tried;
  ProbePort probe(free, tried);
  PortDialog d(19200, 0, probe, {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0"});
  Form& f = d.form();

  EXPECT_EQ(f.caption(), "Serial Port Configuration");
  EXPECT_EQ(tried, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}));
  EXPECT_FALSE(probe.IsOpen());
  EXPECT_EQ(f.field(PortDialog::kPortGroup)->options,
            (std::vector<std::string>{"Com1 (/dev/ttyUSB0)", "Com2 (/dev/ttyUSB1)", "Com3 (/dev/ttyS0)", "Com4"}));
  EXPECT_FALSE(f.OptionEnabled(PortDialog::kPortGroup, 0));
  EXPECT_TRUE(f.OptionEnabled(PortDialog::kPortGroup, 1));
  EXPECT_FALSE(f.OptionEnabled(PortDialog::kPortGroup, 2));
  EXPECT_TRUE(f.OptionEnabled(PortDialog::kPortGroup, 3));
  EXPECT_EQ(d.portName(), "COM2");
  EXPECT_EQ(d.baudRate(), 19200u);
  EXPECT_FALSE(f.Enabled(PortDialog::kFlowGroup));

  f.Select(PortDialog::kPortGroup, 0);  // disabled: the click does nothing
  EXPECT_EQ(d.portName(), "COM2");
  f.Select(PortDialog::kPortGroup, 3);
  f.Select(PortDialog::kBaudGroup, 6);
  EXPECT_EQ(d.portName(), "COM4");
  EXPECT_EQ(d.baudRate(), 115200u);
}

TEST(PortDialog, RatesItDoesNotOfferFallBackTo9600AndNoFreePortMeansNone) {
  std::set<std::string> free;
  std::vector<std::string> tried;
  ProbePort probe(free, tried);
  for (uint32_t rate : {0u, 1200u, 56000u}) {
    PortDialog d(rate, 1, probe, {});
    EXPECT_EQ(d.baudRate(), 9600u) << rate;
    EXPECT_EQ(d.form().Selected(PortDialog::kBaudGroup), 2);
    EXPECT_EQ(d.portName(), "NONE");
    EXPECT_EQ(d.flowChoice(), 1);  // kept, though the group is disabled
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(d.form().OptionEnabled(PortDialog::kPortGroup, i));
  }
  PortDialog d(57600, 7, probe, {});
  EXPECT_EQ(d.baudRate(), 57600u);
  EXPECT_EQ(d.flowChoice(), 0);
}

class PortCommandsTest : public ::testing::Test, public test::ProbedFrame {
 protected:
  // Plays the user of the port dialog: picks a port (or leaves the proposal) and a rate, OK.
  void AnswerDialog(int portIndex, int rateIndex, bool ok = true) {
    desk.formDriver = [=, this](Form& f) {
      shownBaud = f.Selected(PortDialog::kBaudGroup);
      if (portIndex >= 0) f.Select(PortDialog::kPortGroup, portIndex);
      if (rateIndex >= 0) f.Select(PortDialog::kBaudGroup, rateIndex);
      return f.Press(ok ? kFormOk : kFormCancel, &desk) == FormAction::Ok;
    };
  }
  int shownBaud = -1;
};

TEST_F(PortCommandsTest, MainPortCommandOpensTheChosenPortAndTogglesItClosed) {
  free = {"COM1", "COM2"};
  frame.config().SetMainBaudRate(38400);
  AnswerDialog(1, 3);  // COM2, 19200
  frame.OnMainPortCommand();
  EXPECT_EQ(shownBaud, 4);  // the dialog opened on the stored 38400
  EXPECT_EQ(mainPort().log.back(), "open COM2 19200");
  EXPECT_EQ(desk.title, "COM2 - (19200) - ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "COM2:");
  EXPECT_EQ(frame.config().mainPortName(), "COM2");
  EXPECT_EQ(frame.config().mainBaudRate(), 19200);
  EXPECT_EQ(desk.timers.at(kPollTimer), 100u);
  EXPECT_EQ(frame.state().mainPortOpen, 1u);
  EXPECT_EQ(frame.mainDecoder().flags().timeGateOpen, 1u);

  frame.OnMainPortCommand();
  EXPECT_EQ(mainPort().log.back(), "close");
  EXPECT_EQ(frame.state().mainPortOpen, 0u);
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(frame.mainDecoder().flags().timeGateOpen, 0u);
  EXPECT_EQ(desk.formsRun, 1);
}

// A device that refuses is said so, with the port's reason and the stop icon, and nothing
// shows it as open: not the state (the menu's check mark), the title, the pane or the poll.
TEST_F(PortCommandsTest, AFailedOpenIsReportedAndLeavesThePortClosed) {
  free = {"COM3"};
  mainPort().openSucceeds = false;
  mainPort().openError = "/dev/ttyUSB2: Permission denied";
  AnswerDialog(-1, -1);
  frame.OnMainPortCommand();
  EXPECT_EQ(mainPort().log.front(), "open COM3 9600");
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Cannot open port COM3.\n/dev/ttyUSB2: Permission denied");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Stop);
  EXPECT_EQ(frame.state().mainPortOpen, 0u);
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_FALSE(frame.mainPort().IsOpen());
  // The next command opens again (it does not take the port for open and close it).
  mainPort().log.clear();
  frame.OnMainPortCommand();
  EXPECT_EQ(mainPort().log.front(), "open COM3 9600");
  EXPECT_EQ(desk.boxes.size(), 2u);

  // Reopening at another rate (the baud buttons, Auto Connect) fails the same way.
  mainPort().openSucceeds = true;
  frame.OnMainPortCommand();
  ASSERT_EQ(frame.state().mainPortOpen, 1u);
  mainPort().openSucceeds = false;
  frame.ChangeMainBaud(19200);
  EXPECT_EQ(frame.state().mainPortOpen, 0u);
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");
  EXPECT_EQ(desk.boxes.size(), 3u);
  frame.OnStop();
  mainPort().openSucceeds = true;

  free.clear();
  mainPort().log.clear();
  frame.OnMainPortCommand();
  EXPECT_TRUE(mainPort().log.empty());
  EXPECT_EQ(desk.PaneText(kPanePort), "NONE:");
  EXPECT_EQ(frame.state().mainPortOpen, 0u);
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));

  AnswerDialog(-1, -1, false);  // Cancel: not even the pane changes
  desk.SetPaneText(kPanePort, "before");
  frame.OnMainPortCommand();
  EXPECT_EQ(desk.PaneText(kPanePort), "before");
}

TEST_F(PortCommandsTest, OutputAndAuxPortsThatRefuseAreReportedAndNotCountedOpen) {
  free = {"COM2"};
  outputPort().openSucceeds = false;
  auxPort().openSucceeds = false;
  AnswerDialog(-1, -1);
  frame.OnOutputPortCommand();
  EXPECT_EQ(frame.state().outputPortOpen, 0u);
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_FALSE(frame.OpenAuxPortFromDialog());
  EXPECT_EQ(frame.state().auxPortOpen, 0u);
  ASSERT_EQ(desk.boxes.size(), 2u);
  for (const auto& box : desk.boxes) {
    EXPECT_EQ(box.text, "Cannot open port COM2.\n/dev/ttyFAKE: No such file or directory");
    EXPECT_EQ(box.icon, MessageIcon::Stop);
  }
}

TEST_F(PortCommandsTest, OpeningTheMainPortStopsAPlaybackAndPollsAt100Ms) {
  frame.state().playbackActive = 1;
  frame.ArmPollTimer(kPlaybackPollMs);
  free = {"COM1"};
  AnswerDialog(-1, -1);
  frame.OnMainPortCommand();
  EXPECT_EQ(frame.state().playbackActive, 0u);
  EXPECT_EQ(desk.timers.at(kPollTimer), 100u);
}

// Pairing: 33061 2400, 33062 115200, 33063 57600, 33064 38400, 33065 19200, 33066 9600,
// 33067 4800, for the rate set and for the button shown pressed.
TEST_F(PortCommandsTest, BaudButtonsSetTheStoredRateAndShowItPressed) {
  const int32_t expected[] = {2400, 115200, 57600, 38400, 19200, 9600, 4800};
  for (int i = 0; i < 7; ++i) {
    const int command = cmd::kBaud2400 + i;
    ASSERT_TRUE(frame.OnUtilityButton(command));
    EXPECT_EQ(frame.config().mainBaudRate(), expected[i]);
    for (int other = cmd::kBaud2400; other <= cmd::kBaud4800; ++other) {
      EXPECT_EQ(frame.UtilityButtonPressed(other), other == command) << command << " " << other;
    }
  }
  // Closed port: only the stored rate changed; the next open uses it.
  EXPECT_TRUE(mainPort().log.empty());
  EXPECT_EQ(frame.state().mainPortOpen, 0u);

  frame.config().SetMainPortName("COM1");
  frame.ChangeMainBaud(4800);
  frame.OnUtilityButton(33065);
  EXPECT_EQ(mainPort().log.back(), "open COM1 19200");
  EXPECT_EQ(frame.state().mainPortOpen, 1u);
  EXPECT_FALSE(frame.OnUtilityButton(33068));
}

TEST_F(PortCommandsTest, PortButtonsTryTheOtherPortsInTurnAndOpenTheFirstFree) {
  struct Case {
    int command;
    std::vector<std::string> tried;
  };
  const Case cases[] = {{33072, {"COM2", "COM3", "COM4"}},
                        {33073, {"COM3", "COM4", "COM1"}},
                        {33074, {"COM4", "COM1", "COM2"}},
                        {33075, {"COM1", "COM2", "COM3"}},
                        {33070, {"COM1", "COM2", "COM3", "COM4"}}};
  frame.config().SetMainBaudRate(19200);
  for (const Case& c : cases) {
    tried.clear();
    free.clear();
    frame.config().SetMainPortName("COM9");
    ASSERT_TRUE(frame.OnUtilityButton(c.command));
    EXPECT_EQ(tried, c.tried) << c.command;
    EXPECT_EQ(mainPort().log.back(), "open COM9 19200") << "no free port: the name stays";
  }

  free = {"COM3", "COM4"};
  frame.OnUtilityButton(33072);
  EXPECT_EQ(mainPort().log.back(), "open COM3 19200");
  EXPECT_EQ(desk.title, "COM3 - (19200) - ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "COM3:");
  EXPECT_TRUE(frame.UtilityButtonPressed(33074));
  for (int other : {33070, 33072, 33073, 33075}) EXPECT_FALSE(frame.UtilityButtonPressed(other)) << other;

  frame.OnStop();  // pane "COM NONE": the any-port button is the pressed one
  EXPECT_TRUE(frame.UtilityButtonPressed(33070));
  EXPECT_FALSE(frame.UtilityButtonPressed(33074));
}

TEST_F(PortCommandsTest, OutputPortOpensWithItsOwnSettingsAndRetransmitsDifferentialData) {
  // Message 83 (flag byte, then RTCM bytes) as the main port would deliver it.
  const auto feed83 = [&](std::vector<uint8_t> payload) {
    frame.mainDecoder().SetTimeGateOpen(1);
    auto bytes = test::Frame(83, payload);
    const auto n = static_cast<uint32_t>(bytes.size());
    bytes.push_back(0);
    frame.mainDecoder().Decode(bytes.data(), n);
  };
  feed83({4, 0x66, 0x40});  // nothing to retransmit to yet
  frame.config().SetOutputBaudRate(4800);
  frame.config().SetOutputFlowChoice(1);
  free = {"COM4"};
  AnswerDialog(-1, -1);
  frame.OnOutputPortCommand();
  EXPECT_EQ(shownBaud, 1);
  EXPECT_EQ(outputPort().log, (std::vector<std::string>{"open COM4 4800", "flow 1"}));
  EXPECT_EQ(frame.config().outputPortName(), "COM4");
  EXPECT_EQ(frame.state().outputPortOpen, 1u);
  EXPECT_EQ(desk.timers.at(kPollTimer), 100u);
  EXPECT_TRUE(outputPort().sent.empty());
  feed83({4, 0x66, 0x40, 0x7F});
  feed83({0, 0x59});
  feed83({0});  // a flag byte alone carries no data
  EXPECT_EQ(outputPort().sent, (std::vector<std::vector<uint8_t>>{{0x66, 0x40, 0x7F}, {0x59}}));

  frame.OnOutputPortCommand();
  EXPECT_EQ(frame.state().outputPortOpen, 0u);
  EXPECT_EQ(outputPort().log.back(), "close");
  EXPECT_EQ(desk.formsRun, 1);
  outputPort().open = true;  // would take the bytes, were the store still attached
  feed83({4, 0x01});
  EXPECT_EQ(outputPort().sent.size(), 2u);
}

TEST_F(PortCommandsTest, AuxPortStartsFromTheMainRate) {
  frame.config().SetMainBaudRate(115200);
  free = {"COM2"};
  AnswerDialog(-1, -1);
  EXPECT_TRUE(frame.OpenAuxPortFromDialog());
  EXPECT_EQ(auxPort().log.back(), "open COM2 115200");
  EXPECT_EQ(frame.state().auxPortOpen, 1u);
  EXPECT_TRUE(desk.TimerArmed(kPollTimer));
  free.clear();
  EXPECT_FALSE(frame.OpenAuxPortFromDialog());
  EXPECT_EQ(frame.state().auxPortOpen, 0u);
}

TEST_F(PortCommandsTest, ForceToKtxSweepsOnlyWhileThePollRuns) {
  std::vector<int> commands;
  frame.SetCommandRunner([&](int id) {
    commands.push_back(id);
    return true;
  });
  frame.config().SetMainPortName("COM2");
  frame.config().SetProtocolSelector(0);
  frame.config().SetMainBaudRate(38400);
  frame.ForceKtxAt9600();
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Cannot transmit data.\nPort COM2 not setup or not open.");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Stop);
  EXPECT_EQ(frame.state().sweepActive, 0u);
  EXPECT_EQ(frame.config().protocolSelector(), 1);
  EXPECT_EQ(frame.config().mainBaudRate(), 9600);
  EXPECT_EQ(commands, std::vector<int>{cmd::kSwitchToKtx});

  frame.ChangeMainBaud(38400);
  frame.ForceKtxAt9600();
  EXPECT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(frame.state().sweepActive, 1u);
  EXPECT_EQ(commands.size(), 2u);
}

TEST_F(PortCommandsTest, ProtocolSwitchesWithoutAShellSetTheSelectorEverywhere) {
  frame.RunCommand(cmd::kSwitchToNmea);
  EXPECT_EQ(frame.config().protocolSelector(), 0);
  EXPECT_EQ(frame.mainDecoder().flags().protocolSelector, 0u);
  frame.RunCommand(cmd::kSwitchToKtx);
  EXPECT_EQ(frame.config().protocolSelector(), 1);
  EXPECT_EQ(frame.mainDecoder().flags().protocolSelector, 1u);
}

// The same commands reached through the main window's menus and toolbars.
class PortMenuCommandsTest : public PortCommandsTest {
 protected:
  test::FakeShellHost host;
  FrameCommands commands{frame, host};
};

TEST_F(PortMenuCommandsTest, UtilityButtonsRunAndShowTheirStateThroughTheMenus) {
  free = {"COM2"};
  ASSERT_TRUE(commands.OnCommand(cmd::kBaud9600));
  EXPECT_TRUE(commands.State(cmd::kBaud9600).checked);
  ASSERT_TRUE(commands.OnCommand(cmd::kPortAny));
  EXPECT_EQ(mainPort().log.back(), "open COM2 9600");
  EXPECT_TRUE(commands.State(cmd::kPortCom1 + 1).enabled);
  EXPECT_TRUE(commands.State(cmd::kPortCom1 + 1).checked);
  EXPECT_FALSE(commands.State(cmd::kPortAny).checked);
  EXPECT_EQ(commands.menuBar().back().text, "&Stop");
}

TEST_F(PortMenuCommandsTest, OutputPortAndAuxWindowGoThroughThePortDialog) {
  free = {"COM3"};
  AnswerDialog(-1, -1);
  ASSERT_TRUE(commands.OnCommand(cmd::kSerialPortOutput));
  EXPECT_TRUE(commands.State(cmd::kSerialPortOutput).checked);
  EXPECT_EQ(commands.menuBar().back().text, "&Stop");

  ASSERT_TRUE(commands.OnCommand(cmd::kWndTerminalAux));
  EXPECT_EQ(auxPort().log.back(), "open COM3 9600");
  EXPECT_EQ(host.hosts.at(cmd::kWndTerminalAux), "Auxillary Port Data Window");
  ASSERT_TRUE(commands.OnCommand(cmd::kWndTerminalAux));
  EXPECT_EQ(frame.state().auxPortOpen, 0u);
  EXPECT_EQ(host.hosts.count(cmd::kWndTerminalAux), 0u);

  AnswerDialog(-1, -1, false);  // no port, no window
  ASSERT_TRUE(commands.OnCommand(cmd::kWndTerminalAux));
  EXPECT_EQ(host.hosts.count(cmd::kWndTerminalAux), 0u);

  // Stop closes the aux window with its port, as its own command would; choosing the
  // command once more then opens both again.
  AnswerDialog(-1, -1);
  ASSERT_TRUE(commands.OnCommand(cmd::kWndTerminalAux));
  ASSERT_EQ(host.hosts.count(cmd::kWndTerminalAux), 1u);
  ASSERT_TRUE(commands.OnCommand(cmd::kStop));
  EXPECT_EQ(frame.state().auxPortOpen, 0u);
  EXPECT_EQ(host.hosts.count(cmd::kWndTerminalAux), 0u);
  EXPECT_FALSE(frame.config().windowOpen(cmd::kWndTerminalAux));
  ASSERT_TRUE(commands.OnCommand(cmd::kWndTerminalAux));
  EXPECT_EQ(host.hosts.count(cmd::kWndTerminalAux), 1u);
  EXPECT_EQ(frame.state().auxPortOpen, 1u);
}

TEST_F(PortMenuCommandsTest, AutoConnectSwitchesTheMenusAsItChangesProtocol) {
  commands.OnCommand(cmd::kSwitchToNmea);
  free = {"Com4"};
  desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.caption(), "Automatic Baud Rate Selection");
    f.Select(AutoConnect::kPortList, 0);
    f.Press(AutoConnect::kStartButton, &desk);
    EXPECT_NE(FindCommand(commands.menuBar(), cmd::kWndLlh), nullptr);  // KTX menus
    for (int i = 0; i < 266; ++i) f.FireTimer(AutoConnect::kTimerId);
    EXPECT_EQ(frame.config().protocolSelector(), 0);
    EXPECT_NE(FindCommand(commands.menuBar(), cmd::kWndNmeaGga), nullptr);
    return f.Press(kFormCancel, &desk) == FormAction::Ok;
  };
  ASSERT_TRUE(commands.OnCommand(cmd::kAutoConnect));
  EXPECT_EQ(desk.formsRun, 1);
  EXPECT_EQ(mainPort().name, "Com4");
  EXPECT_EQ(commands.menuBar().back().text, "&Stop");
}

}  // namespace
}  // namespace orv
