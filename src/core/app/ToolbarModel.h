// The six toolbars of the main window as data: title, the View command that shows or hides
// each, initial visibility and docking, and the commands of their buttons. The name of each
// bar is stable, because the saved toolbar layout refers to bars by name.
#pragma once

#include <span>

namespace orv {

enum class DockArea { Top, Left, Right, Bottom };

struct ToolbarDef {
  const char* name;   // stable identifier of the bar in the saved layout
  const char* title;  // the bar's window title
  int viewCommand;
  bool initiallyVisible;
  DockArea area;
  int line;      // row (top/bottom) or column (left/right) within the area, from the window edge
  int position;  // order within the line
  std::span<const int> buttons;  // command identifiers; 0 is a separator
};

// In creation order: General, Tool/Setting, Window, File/Port, Utility, Quenmarsh.
std::span<const ToolbarDef> Toolbars();
const ToolbarDef* FindToolbarByViewCommand(int viewCommand);

// The baud rate a Utility baud button sets (and shows), or 0 for other commands.
int BaudButtonRate(int command);

}  // namespace orv
