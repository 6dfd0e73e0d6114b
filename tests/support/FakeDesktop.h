// A desktop that records what the frame asks of it and lets a test fire timer events.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "forms/Form.h"
#include "platform/Desktop.h"

namespace orv::test {

struct ShownBox {
  std::string text, caption;
  MessageIcon icon;
  bool posted = false;  // asked to be shown after the event being handled
};

class FakeDesktop : public Desktop {
 public:
  uint32_t SetTimer(int id, uint32_t periodMs) override {
    timers[id] = periodMs;
    timerLog.push_back("set " + std::to_string(id) + " " + std::to_string(periodMs));
    return static_cast<uint32_t>(id);
  }
  void KillTimer(int id) override {
    timers.erase(id);
    timerLog.push_back("kill " + std::to_string(id));
  }
  void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon});
  }
  void PostMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon, true});
  }
  void SetTitle(const std::string& t) override { title = t; }
  void RefreshMenus() override { ++menuRefreshes; }
  std::string PaneText(int paneId) const override {
    auto it = panes.find(paneId);
    return it == panes.end() ? std::string() : it->second;
  }
  void SetPaneText(int paneId, const std::string& text) override { panes[paneId] = text; }

  // The open-file dialog answers with `openFileAnswer` (nothing: cancelled).
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override {
    openFileRequests.push_back(request);
    return openFileAnswer;
  }
  // The save-file dialog answers with `saveFileAnswer` (nothing: cancelled).
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override {
    saveFileRequests.push_back(request);
    return saveFileAnswer;
  }
  // Forms are driven by `formDriver`, which plays the user and says whether OK closed it.
  bool RunForm(Form& form) override {
    ++formsRun;
    return formDriver ? formDriver(form) : false;
  }

  std::optional<int64_t> UtcNow() const override { return utcNow; }

  bool TimerArmed(int id) const { return timers.count(id) != 0; }
  std::optional<int64_t> utcNow;

  std::map<int, uint32_t> timers;
  std::vector<std::string> timerLog;
  std::vector<ShownBox> boxes;
  std::string title;
  int menuRefreshes = 0;
  std::map<int, std::string> panes;
  std::optional<std::string> openFileAnswer;
  std::vector<FileDialogRequest> openFileRequests;
  std::optional<std::string> saveFileAnswer;
  std::vector<FileDialogRequest> saveFileRequests;
  std::function<bool(Form&)> formDriver;
  int formsRun = 0;
};

}  // namespace orv::test
