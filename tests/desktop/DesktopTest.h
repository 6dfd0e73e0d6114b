// Shared pieces of the desktop tests: a registry of test classes (the binary runs the one named
// on its command line), a scripted stand-in for modal dialogs, and a main window on fake ports.
#pragma once

#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desktop/MainWindow.h"
#include "support/FakePort.h"

namespace orv::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, TestFactory>& TestRegistry();

struct RegisterTest {
  RegisterTest(const char* name, TestFactory factory) { TestRegistry()[name] = std::move(factory); }
};
#define ORV_DESKTOP_TEST(Class) \
  static ::orv::test::RegisterTest register##Class(#Class, [] { return std::make_unique<Class>(); })

struct ShownMessage {
  std::string text, caption;
  MessageIcon icon;
};

// Modal dialogs answered by the test: message boxes are recorded, file dialogs answer
// `nextFile`, forms are handed to `answerForm`.
class ScriptedModal : public ModalRunner {
 public:
  struct Log {
    std::vector<ShownMessage> messages;
    std::vector<std::string> formCaptions;
    std::optional<std::string> nextFile;
    std::vector<FileDialogRequest> fileRequests;
    // Plays the user: returns whether OK closed the form.
    std::function<bool(Form&)> answerForm;
    // Runs while a message box is "open", after it was recorded.
    std::function<void(const ShownMessage&)> duringMessage;
  };
  explicit ScriptedModal(Log& log) : log_(log) {}
  void ShowMessage(QWidget*, const std::string& text, const std::string& caption, MessageIcon icon) override {
    log_.messages.push_back({text, caption, icon});
    if (log_.duringMessage) log_.duringMessage(log_.messages.back());
  }
  std::optional<std::string> OpenFile(QWidget*, const FileDialogRequest& request) override {
    log_.fileRequests.push_back(request);
    return log_.nextFile;
  }
  std::optional<std::string> SaveFile(QWidget*, const FileDialogRequest& request) override {
    log_.fileRequests.push_back(request);
    return log_.nextFile;
  }
  bool RunForm(QWidget*, Form& form, MessageBoxes&) override {
    log_.formCaptions.push_back(form.caption());
    return log_.answerForm ? log_.answerForm(form) : false;
  }
  void About(QWidget*) override {}

 private:
  Log& log_;
};

// A main window on fake ports, with its profile and configuration file in `dir`.
struct TestWindow {
  TestWindow(const QTemporaryDir& dir, ScriptedModal::Log& log) {
    MainWindowOptions o;
    o.ports = [this](StreamDecoder* sink) {
      auto port = std::make_unique<FakePort>(sink);
      ports.push_back(port.get());
      return port;
    };
    o.settingsFile = dir.filePath("profile.ini").toStdString();
    o.configPath = dir.filePath("Orvantis.cfg").toStdString();
    o.modal = std::make_unique<ScriptedModal>(log);
    window = std::make_unique<MainWindow>(std::move(o));
  }
  MainWindow& operator*() { return *window; }
  MainWindow* operator->() { return window.get(); }

  std::vector<FakePort*> ports;
  std::unique_ptr<MainWindow> window;
};

// What most desktop test classes hold: a fresh window in a fresh directory for every test
// function (StartWindow from init(), StopWindow from cleanup()).
struct WindowFixture {
  void StartWindow() {
    dir = std::make_unique<QTemporaryDir>();
    log = ScriptedModal::Log{};
    window = std::make_unique<TestWindow>(*dir, log);
    (*window)->show();
  }
  void StopWindow() { window.reset(); }

  std::unique_ptr<QTemporaryDir> dir;
  ScriptedModal::Log log;
  std::unique_ptr<TestWindow> window;
};

// The texts of a menu bar: top-level titles, and every item text at any depth.
std::vector<std::string> TopLevelTexts(QMenuBar* bar);
std::vector<std::string> AllItemTexts(QMenuBar* bar);
// The menu of a top-level title, or null.
QMenu* TopLevelMenu(QMenuBar* bar, const std::string& title);

}  // namespace orv::test
