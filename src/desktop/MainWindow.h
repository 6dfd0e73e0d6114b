// The main window: renders the core's menu bar and toolbars, hosts the status bar panes and
// the message windows, runs the frame's timers, and forwards every command to the core.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <deque>
#include <map>
#include <set>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/Form.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "platform/Desktop.h"
#include "platform/Printing.h"
#include "platform/Profile.h"
#include "platform/ShellHost.h"
#include "windows/MessageWindows.h"

class QLabel;
class QMenu;
class QTimer;
class QToolBar;
class QSettings;

namespace orv {

// How modal things are shown: real dialogs in the application, a script in the tests.
class ModalRunner {
 public:
  virtual ~ModalRunner() = default;
  virtual void ShowMessage(QWidget* parent, const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // `filter` as the commands give it: "Log Files (*.log) |*.log|All Files (*.*) |*.*||".
  virtual std::optional<std::string> OpenFile(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
  // Shows the form until one of its buttons closes it; true when OK closed it. Validation
  // messages go to `boxes`.
  virtual bool RunForm(QWidget* parent, Form& form, MessageBoxes& boxes) = 0;
  virtual void About(QWidget* parent) = 0;
};
std::unique_ptr<ModalRunner> MakeDialogRunner();

// The application profile in a QSettings store: section/entry keys.
class SettingsProfile : public Profile {
 public:
  explicit SettingsProfile(QSettings& settings) : settings_(settings) {}
  std::optional<std::string> GetString(const std::string& section, const std::string& entry) const override;
  void SetString(const std::string& section, const std::string& entry, const std::string& value) override;

 private:
  QSettings& settings_;
};

class TerminalHost;

// A message window's top-level host, owned by the main window. Its page comes later; until
// then it shows an empty client area under the window's caption.
class WindowHost : public QWidget {
  Q_OBJECT
 public:
  WindowHost(QWidget* owner, int command);
  int command() const { return command_; }
  // Set before the frame destroys the host, so its close is not reported as the user's.
  void MarkClosingByFrame() { closingByFrame_ = true; }

 signals:
  void closedByUser(int command);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int command_;
  bool closingByFrame_ = false;
};

struct MainWindowOptions {
  PortFactory ports;
  // The configuration file; empty: none is read or written.
  std::string configPath;
  // The profile store (placement, toolbar layout); empty: the user's default settings.
  std::string settingsFile;
  std::unique_ptr<ModalRunner> modal;
};

class MainWindow : public QMainWindow, public Desktop, public ShellHost {
  Q_OBJECT
 public:
  explicit MainWindow(MainWindowOptions options);
  ~MainWindow() override;

  CMainFrame& frame() { return *frame_; }
  FrameCommands& commands() { return *commands_; }
  // The pages of the open message windows.
  MessageWindows& pages() { return *pages_; }

  // Runs a command as the menus and toolbars do, then brings the items up to date.
  void RunCommand(int id);
  // The action of a command (shared by its menu item and toolbar button), or null.
  QAction* action(int id) const;
  // Every menu item of a command: its shared action, then any further item with its own text.
  std::vector<QAction*> menuItems(int id) const;
  QToolBar* toolbar(int viewCommand) const;
  WindowHost* windowHost(int command) const;
  // Saves the placement and toolbar layout, as closing the window does.
  void SavePlacement();
  // Plays a log file back as "Open log File" does, with `path` as the dialog's answer.
  void PlayFile(const std::string& path);

  // Desktop.
  uint32_t SetTimer(int id, uint32_t periodMs) override;
  void KillTimer(int id) override;
  void SetTitle(const std::string& title) override;
  void RefreshMenus() override;
  std::string PaneText(int paneId) const override;
  void SetPaneText(int paneId, const std::string& text) override;
  void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void PostMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override;
  bool RunForm(Form& form) override;
  std::optional<int64_t> UtcNow() const override;

  // ShellHost.
  void PostCommand(int commandId) override;
  void CreateWindowHost(int command, const std::string& caption, const ScreenRect& rect) override;
  void DestroyWindowHost(int command) override;
  bool IsToolbarVisible(int viewCommand) const override;
  void SetToolbarVisible(int viewCommand, bool visible) override;
  void MenusChanged() override;
  void ShowAbout() override;
  void Quit() override;
  std::optional<ScreenRect> MainWindowRect() const override;
  std::optional<ScreenRect> WindowRect(int command) const override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct PendingBox {
    std::string text, caption;
    MessageIcon icon;
    bool operator==(const PendingBox&) const = default;
  };
  void ShowPostedBoxes();
  void BuildStatusBar();
  void BuildToolbars();
  void RestorePlacement();
  void RenderMenuBar();
  void FillMenu(QMenu* menu, const MenuItems& items);
  QAction* ActionFor(int id, const std::string& text, const std::string& prompt);
  void UpdateActionStates();

  std::unique_ptr<QSettings> settings_;
  std::unique_ptr<SettingsProfile> profile_;
  std::unique_ptr<ModalRunner> modal_;
  QLabel* messagePane_ = nullptr;
  QLabel* recordingPane_ = nullptr;
  QLabel* portPane_ = nullptr;
  std::string portText_;  // the port pane's latest text; the label may show it a little later
  QTimer* portPaneTimer_ = nullptr;
  bool portPanePending_ = false;
  QLabel* sharePane_ = nullptr;  // where the receiver is shared; hidden while it is not
  std::map<int, QTimer*> timers_;
  std::map<int, QAction*> actions_;
  // Further menu items of a command that already has an item (their own text, the same
  // command and state); they belong to the current rendering of the menu bar.
  std::multimap<int, QPointer<QAction>> extraItems_;
  std::set<int> renderedIds_;
  QObject* menu_ = nullptr;  // owns the menus of the current rendering
  std::map<int, QToolBar*> toolbars_;
  std::map<int, QPointer<WindowHost>> hosts_;
  QPointer<TerminalHost> auxTerminal_;
  std::unique_ptr<PagePrinter> printer_;  // prints the pages that print (the plot)
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<FrameCommands> commands_;
  std::unique_ptr<MessageWindows> pages_;
  bool placementSaved_ = false;
  std::deque<PendingBox> pendingBoxes_;
  bool showingPosted_ = false;
  // The next open-file dialog answers with this path without being shown.
  std::optional<std::string> presetOpenFile_;
};

}  // namespace orv
