// A shell host that records what the frame's commands ask of the desktop: window hosts,
// toolbars, menu refreshes and posted commands.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ShellHost.h"

namespace orv::test {

class FakeShellHost : public ShellHost {
 public:
  void PostCommand(int commandId) override { posted.push_back(commandId); }
  void CreateWindowHost(int command, const std::string& caption, const ScreenRect& rect) override {
    hosts[command] = caption;
    rects[command] = rect;
    log.push_back("create " + std::to_string(command));
  }
  void DestroyWindowHost(int command) override {
    hosts.erase(command);
    log.push_back("destroy " + std::to_string(command));
  }
  bool IsToolbarVisible(int viewCommand) const override { return visibleBars.count(viewCommand) != 0; }
  void SetToolbarVisible(int viewCommand, bool visible) override {
    if (visible) {
      visibleBars.insert(viewCommand);
    } else {
      visibleBars.erase(viewCommand);
    }
  }
  void MenusChanged() override { ++menuChanges; }
  std::optional<ScreenRect> MainWindowRect() const override { return mainRect; }
  std::optional<ScreenRect> WindowRect(int command) const override {
    const auto it = rects.find(command);
    if (it == rects.end() || hosts.count(command) == 0) return std::nullopt;
    return it->second;
  }
  void ShowAbout() override { ++abouts; }
  void Quit() override { quit = true; }

  std::optional<ScreenRect> mainRect;
  std::vector<int> posted;
  std::map<int, std::string> hosts;
  std::map<int, ScreenRect> rects;
  std::vector<std::string> log;
  std::set<int> visibleBars;
  int menuChanges = 0;
  int abouts = 0;
  bool quit = false;
};

}  // namespace orv::test
