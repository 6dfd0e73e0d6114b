// The commands of the main window's menus and toolbars: which ones run what, the check and
// enable state of every item, the menu bar of the current protocol and its "&Stop" item. The
// desktop forwards every command here and renders the menu bar and states it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "forms/Form.h"
#include "config/ConfigurationFile.h"
#include "app/MenuModel.h"
#include "app/WindowCommands.h"
#include "platform/ShellHost.h"

namespace orv {

class CMainFrame;

struct CommandState {
  bool enabled = false;
  bool checked = false;
};

// A menu request of one message: the caption of its mode dialog and the request code.
struct RequestCommand {
  int command;
  int requestCode;
  const char* caption;
};
std::span<const RequestCommand> RequestCommands();

// Baud rates the protocol dialog offers for the receiver's current rate: the usual ones, and
// the stored rate when it is none of them (a receiver found at 300 stays at 300 unless the
// user says otherwise).
std::vector<uint32_t> ProtocolCurrentRates(uint32_t storedBaud);
// The "Request Msg" dialog under the request's own caption: the radio buttons "One Shot" and
// "Continuous" (selected), OK and Cancel.
inline constexpr int kRequestModeGroup = 1001;
Form MakeRequestModeForm(const std::string& caption);
// "Configure main port mode": the current mode and rate, the desired mode (radio buttons) and
// rate (combo box), and the buttons OK, Cancel and "Force to KTX protocol at 9600 bauds".
// `forced` is set when the last button closed the form.
inline constexpr int kProtocolDesiredMode = 1011;
inline constexpr int kProtocolDesiredRate = 1012;
inline constexpr int kProtocolForceKtx = 1013;
inline constexpr int kProtocolCurrentMode = 1014;
inline constexpr int kProtocolCurrentRate = 1015;
Form MakeProtocolForm(int currentSelector, uint32_t currentBaud, bool& forced);

class FrameCommands {
 public:
  FrameCommands(CMainFrame& frame, ShellHost& host);
  ~FrameCommands();
  FrameCommands(const FrameCommands&) = delete;
  FrameCommands& operator=(const FrameCommands&) = delete;

  // Runs a command; false when no handler exists for it (its items are shown disabled).
  bool OnCommand(int id);
  bool HasHandler(int id) const;
  CommandState State(int id) const;

  const MenuItems& menuBar() const { return bar_; }
  // Builds the bar for the frame's protocol selector and tells the host.
  void RebuildMenuBar();
  // Adds or removes the top-level "&Stop" item; tells the host when the bar changed.
  void RefreshStopItem();
  // "Switch to KTX" (1) and "Switch to NMEA" (0).
  void SwitchProtocol(int selector);

  // The main port command's open with a known port and rate: the title "NAME - (BAUD) - "
  // and the edition title, the port pane "NAME:", the poll at 100 ms.
  void OpenMainPort(const std::string& name, uint32_t baud);
  void CloseMainPort();

  // At start-up: the record (holding its defaults) is loaded from `path`, the windows it marks
  // open are posted to be reopened and the menus follow its protocol. Window rectangles
  // outside `screen` (when known) are put back to their defaults.
  void LoadConfiguration(const std::string& path, std::optional<ScreenRect> screen = std::nullopt);
  ConfigurationFile& configFile() { return configFile_; }

  WindowToggles& windows() { return windows_; }

 private:
  bool RunFileCommand(int id);
  bool RunRequestCommand(int id);
  bool RunUtilityCommand(int id);
  bool ToggleAuxWindow();
  static bool IsUtilityButton(int id);
  void RunProtocolDialog();
  void ApplyProtocolChoice(int currentSelector, uint32_t currentBaud, int desiredSelector, uint32_t desiredBaud);
  bool IsWindowCommand(int id) const;

  CMainFrame& frame_;
  ShellHost& host_;
  WindowToggles windows_;
  ConfigurationFile configFile_;
  MenuItems bar_;
  std::string lastExportLog_;  // the log of the last "Export Track..."
};

}  // namespace orv
