// The screen's part for commands that run the console's frame without a screen: timers are
// only remembered (the command's own loop fires them), message boxes and panes are kept for
// the loop to print or look at.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace orv::cli {

class HeadlessDesktop : public Desktop {
 public:
  uint32_t SetTimer(int id, uint32_t periodMs) override {
    timers_[id] = periodMs;
    return static_cast<uint32_t>(id);
  }
  void KillTimer(int id) override { timers_.erase(id); }
  void MessageBox(const std::string& text, const std::string&, MessageIcon icon) override {
    boxes.push_back(text);
    lastIcon = icon;
  }
  void SetTitle(const std::string&) override {}
  void RefreshMenus() override {}
  std::string PaneText(int paneId) const override {
    const auto it = panes_.find(paneId);
    return it == panes_.end() ? std::string() : it->second;
  }
  void SetPaneText(int paneId, const std::string& text) override { panes_[paneId] = text; }

  bool TimerArmed(int id) const { return timers_.count(id) != 0; }
  std::string lastBox() const { return boxes.empty() ? std::string() : boxes.back(); }

  std::vector<std::string> boxes;
  MessageIcon lastIcon = MessageIcon::None;

 private:
  std::map<int, uint32_t> timers_;
  std::map<int, std::string> panes_;
};

}  // namespace orv::cli
