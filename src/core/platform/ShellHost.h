// What the shell commands of the main frame ask of the desktop beyond the Desktop seam: the
// top-level hosts of the message windows, the toolbars
// and the menu bar. The Qt desktop implements it; the tests record it.
#pragma once

#include <optional>
#include <string>

#include "platform/CommandSink.h"
#include "platform/WindowGeometry.h"

namespace orv {

// The desktop side of the message windows: top-level windows owned by the main window.
class WindowHosts {
 public:
  virtual ~WindowHosts() = default;
  virtual void CreateWindowHost(int command, const std::string& caption, const ScreenRect& rect) = 0;
  virtual void DestroyWindowHost(int command) = 0;
};

// PostCommand runs the command later, from the event loop, as if the user had chosen it. The
// geometry part reports the rectangles Save Config stores.
class ShellHost : public CommandSink, public WindowHosts, public WindowGeometry {
 public:
  virtual bool IsToolbarVisible(int viewCommand) const = 0;
  virtual void SetToolbarVisible(int viewCommand, bool visible) = 0;
  // The menu bar's structure changed (protocol switch, "&Stop" item): render it again.
  virtual void MenusChanged() = 0;
  virtual void ShowAbout() = 0;
  virtual void Quit() = 0;
};

}  // namespace orv
