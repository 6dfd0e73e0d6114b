// The main frame's serial port commands: the main, output and aux ports through the port
// dialog, the Utility toolbar's baud and port buttons and their pressed state, Auto Connect,
// and the protocol dialog's forced switch to KTX Binary at 9600 bit/s.
#include <string>
#include <vector>

#include "ids/CommandIds.h"
#include "app/MainFrame.h"
#include "app/ToolbarModel.h"
#include "serial/AutoConnect.h"
#include "serial/PortDialog.h"
#include "util/Format.h"

namespace orv {

namespace {

using namespace cmd;

bool IsPortButton(int command) {
  return command == kPortAny || (command >= kPortCom1 && command <= kPortCom4);
}

// The ports a port button tries, in order: the "any port" button COM1 to COM4; the COMn
// button the three others, starting after its own port and wrapping round.
std::vector<std::string> PortButtonCandidates(int command) {
  std::vector<std::string> names;
  if (command == kPortAny) {
    for (int n = 1; n <= 4; ++n) names.push_back(Format("COM%d", n));
    return names;
  }
  const int own = command - kPortCom1;  // 0 for COM1
  for (int k = 1; k <= 3; ++k) names.push_back(Format("COM%d", (own + k) % 4 + 1));
  return names;
}

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return s;
}

}  // namespace

void CMainFrame::RunCommand(int commandId) {
  if (commandRunner_ && commandRunner_(commandId)) return;
  if (commandId == kSwitchToKtx || commandId == kSwitchToNmea) {
    const int32_t selector = commandId == kSwitchToKtx ? 1 : 0;
    config_.SetProtocolSelector(selector);
    mainDecoder_->SetProtocolSelector(static_cast<uint32_t>(selector));
    desktop_.RefreshMenus();
  }
}

// The open of the main port command: a chosen port is opened; the pane names the choice
// either way.
void CMainFrame::OpenMainPort(const std::string& name, uint32_t baud) {
  if (!IsNoPort(name)) {
    desktop_.SetTitle(name + " - " + Format("(%d) - ", static_cast<int>(baud)) + kEditionTitle);
    config_.SetMainPortName(name);
    config_.SetMainBaudRate(static_cast<int32_t>(baud));
    if (!StartMainPort(name, baud)) {
      RefreshUtilityButtons();
      return;
    }
  }
  desktop_.SetPaneText(kPanePort, name + ":");
  RefreshUtilityButtons();
}

void CMainFrame::RefreshUtilityButtons() { desktop_.RefreshMenus(); }

void CMainFrame::OnMainPortCommand() {
  if (state_.mainPortOpen) {
    mainDecoder_->SetTimeGateOpen(0);
    RestoreTitle();
    StopInput(2);
    KillPollTimerIfIdle();
    return;
  }
  StopInput(2);
  // A playback stopped here leaves its 10 ms poll behind; the port polls at 100 ms.
  KillPollTimerIfIdle();
  const std::unique_ptr<PortChannel> probe = MakeProbePort();
  PortDialog dialog(static_cast<uint32_t>(config_.mainBaudRate()), 0, *probe);
  if (!desktop_.RunForm(dialog.form())) return;
  OpenMainPort(dialog.portName(), dialog.baudRate());
}

void CMainFrame::OnOutputPortCommand() {
  if (state_.outputPortOpen) {
    StopInput(3);
    KillPollTimerIfIdle();
    desktop_.RefreshMenus();
    return;
  }
  StopInput(3);
  const std::unique_ptr<PortChannel> probe = MakeProbePort();
  PortDialog dialog(static_cast<uint32_t>(config_.outputBaudRate()), config_.outputFlowChoice(), *probe);
  if (!desktop_.RunForm(dialog.form())) return;
  const std::string name = dialog.portName();
  if (IsNoPort(name)) return;
  config_.SetOutputPortName(name);
  config_.SetOutputBaudRate(static_cast<int32_t>(dialog.baudRate()));
  config_.SetOutputFlowChoice(dialog.flowChoice());
  if (!outputPort_->Open(name, dialog.baudRate(), 'N', 8, 1)) {
    outputPort_->Close();
    ShowPortOpenFailure(name, *outputPort_);
    return;
  }
  ArmPollTimer(kSerialPollMs);
  outputPort_->SetFlowControl(static_cast<uint32_t>(dialog.flowChoice()));
  mainDecoder_->store().SetRetransmitChannel(outputPort_.get());
  state_.outputPortOpen = 1;
  desktop_.RefreshMenus();
}

bool CMainFrame::OpenAuxPortFromDialog() {
  StopInput(7);
  KillPollTimerIfIdle();
  const std::unique_ptr<PortChannel> probe = MakeProbePort();
  PortDialog dialog(static_cast<uint32_t>(config_.mainBaudRate()), 0, *probe);
  if (!desktop_.RunForm(dialog.form()) || IsNoPort(dialog.portName())) return false;
  if (!auxPort_->Open(dialog.portName(), dialog.baudRate(), 'N', 8, 1)) {
    auxPort_->Close();
    ShowPortOpenFailure(dialog.portName(), *auxPort_);
    return false;
  }
  state_.auxPortOpen = 1;
  ArmPollTimer(kSerialPollMs);
  return true;
}

void CMainFrame::OnAutoConnect() {
  AutoConnect dialog(*this);
  desktop_.RunForm(dialog.form());
}

// The baud buttons' commands run 2400, 115200, 57600, 38400, 19200, 9600, 4800 in command
// order (33061 to 33067). The pressed state uses the same pairing (the toolbar model's
// BaudButtonRate), so that the button shown pressed is always the one whose rate is stored.
bool CMainFrame::OnUtilityButton(int command) {
  if (const int32_t rate = BaudButtonRate(command)) {
    config_.SetMainBaudRate(rate);
    RefreshUtilityButtons();
    ReopenMainPort();
    return true;
  }
  if (!IsPortButton(command)) return false;
  OnStop();
  state_.mainPortOpen = 0;
  const std::unique_ptr<PortChannel> probe = MakeProbePort();
  for (const std::string& name : PortButtonCandidates(command)) {
    if (TestOpen(*probe, name)) {
      config_.SetMainPortName(name);
      break;
    }
  }
  OpenMainPort(config_.mainPortName(), static_cast<uint32_t>(config_.mainBaudRate()));
  return true;
}

// A baud button is pressed while its rate is the stored main rate; a port button while the
// port pane starts with its name ("com " for the any-port button: the pane of a closed port).
bool CMainFrame::UtilityButtonPressed(int command) const {
  if (const int32_t rate = BaudButtonRate(command)) return rate == config_.mainBaudRate();
  if (!IsPortButton(command)) return false;
  const std::string pane = Lowered(desktop_.PaneText(kPanePort).substr(0, 4));
  const std::string name = command == kPortAny ? "com " : Format("com%d", command - kPortCom1 + 1);
  return pane == name;
}

void CMainFrame::ForceKtxAt9600() {
  config_.SetProtocolSelector(1);
  config_.SetMainBaudRate(9600);
  if (state_.pollTimer == 0) {
    desktop_.MessageBox(Format("Cannot transmit data.\nPort %s not setup or not open.", config_.mainPortName().c_str()),
                        "Configure main port mode", MessageIcon::Stop);
  } else {
    StartBaudSweep();
  }
  RunCommand(kSwitchToKtx);
}

}  // namespace orv
