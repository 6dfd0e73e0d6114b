// The window commands: each one opens its message window, or closes it when it is open. The
// frame keeps which windows exist; the configuration record keeps the open flags that bring
// them back at the next start; the desktop only creates and destroys the hosts.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>

#include "config/Configuration.h"
#include "platform/CommandSink.h"
#include "platform/ShellHost.h"
#include "platform/WindowGeometry.h"

namespace orv {

struct WindowCommandInfo {
  int command;
  const char* menuText;  // with its mnemonic marks
  const char* caption;   // the title the window is created with
  const char* prompt;    // status-bar prompt; null: "Show the" and the caption
};

std::span<const WindowCommandInfo> WindowCommandTable();

// Where a window opens whose rectangle is still the factory one: moved, at its size, down and
// right of the main window's top-left corner, one step further for each window already open
// (starting over after ten), so that windows opened one after another do not pile up at one
// point of the screen.
inline constexpr int kCascadeStep = 26;
ScreenRect CascadedRect(const ScreenRect& rect, const ScreenRect& mainWindow, int windowsOpen);
const WindowCommandInfo* FindWindowCommand(int command);

class WindowToggles {
 public:
  // `flags` is the record that keeps the open flags and the stored rectangles; `frame` receives
  // the command a window posts when the user closes it.
  WindowToggles(Configuration& flags, WindowHosts& hosts, CommandSink& frame)
      : flags_(flags), hosts_(hosts), frame_(frame) {}

  // Runs a window command; false when `command` is not one.
  bool Toggle(int command);
  // The user closed the window itself (the host is gone): its open flag is cleared and its
  // command posted, so the frame forgets the window without destroying it again.
  void OnHostClosed(int command);
  // The frame holds the window (it may be on its way out after a close).
  bool exists(int command) const { return existing_.count(command) != 0; }
  // The window is on screen: the frame holds it and the user has not closed it. Its menu item
  // is checked then, whatever the record's open flag says (Restore Factory Config clears the
  // flags under open windows).
  bool isOpen(int command) const {
    const auto it = existing_.find(command);
    return it != existing_.end() && it->second;
  }

  // Called with true after a window is created and with false before it is forgotten, so its
  // page can be linked into the decoder and unlinked again.
  void SetDeliveryHook(std::function<void(int command, bool enabled)> hook) { delivery_ = std::move(hook); }
  // Chooses the rectangle a window opens at from the stored one (without a hook: the stored).
  void SetPlacementHook(std::function<ScreenRect(int command, const ScreenRect& stored)> hook) {
    placement_ = std::move(hook);
  }
  // Save Config asks the open windows that keep settings in the record (the plot) to store
  // them first.
  void SetSettingsHook(std::function<void()> hook) { settings_ = std::move(hook); }
  void StoreWindowSettings() {
    if (settings_) settings_();
  }
  // Where the main window is: windows without a stored rectangle cascade from it. Without
  // geometry (or while the main window's rectangle is unknown) they open where stored.
  void SetGeometry(const WindowGeometry* geometry) { geometry_ = geometry; }

 private:
  Configuration& flags_;
  WindowHosts& hosts_;
  CommandSink& frame_;
  // The windows the frame holds; false once the user has closed one and its posted command
  // has not been run yet.
  std::map<int, bool> existing_;
  std::function<void(int, bool)> delivery_;
  std::function<ScreenRect(int, const ScreenRect&)> placement_;
  std::function<void()> settings_;
  const WindowGeometry* geometry_ = nullptr;
};

}  // namespace orv
