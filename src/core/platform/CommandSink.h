// Where the configuration sends the commands of the windows it reopens: the main frame posts
// each one to itself, exactly as if the user had chosen the menu item.
#pragma once

namespace orv {

class CommandSink {
 public:
  virtual ~CommandSink() = default;
  virtual void PostCommand(int commandId) = 0;
};

}  // namespace orv
