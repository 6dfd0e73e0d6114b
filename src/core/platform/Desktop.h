// What the main frame asks of the screen. The Qt desktop implements it; the tests record it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orv {

class Form;

enum class MessageIcon { None, Stop, Exclamation, Information };

// Status-bar panes, by the command identifiers that name them.
inline constexpr int kPaneMessage = 0;
inline constexpr int kPaneRecording = 61209;
inline constexpr int kPanePort = 61208;
// Where the receiver is shared (File menu "Share with gpsd Clients"); empty while it is not.
inline constexpr int kPaneShare = 33310;

// The status bar on its own: the decoder needs only its panes.
class StatusBar {
 public:
  virtual ~StatusBar() = default;
  virtual std::string PaneText(int paneId) const = 0;
  virtual void SetPaneText(int paneId, const std::string& text) = 0;
};

// Modal message boxes: text, caption and icon.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

// What an open-file or save-file dialog is asked with.
struct FileDialogRequest {
  std::string defaultExtension;  // without the dot: "log"
  std::string filter;            // "Log Files (*.log) |*.log|All Files (*.*) |*.*||"
  std::string initialPath;       // the file chosen last time; empty for none
};

// Modal forms: a dialog described as data, shown until one of its buttons closes it.
class FormRunner {
 public:
  virtual ~FormRunner() = default;
  // Shows a form modally until one of its buttons closes it; true when it closed with OK.
  virtual bool RunForm(Form& form) {
    (void)form;
    return false;
  }
};

class Desktop : public StatusBar, public MessageBoxes, public FormRunner {
 public:
  // Asks for a file to open: its path, or nothing when the user cancelled. A desktop that
  // cannot ask answers as if cancelled.
  virtual std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) {
    (void)request;
    return std::nullopt;
  }
  // Asks for a file to write: its path (the default extension added to a name typed without
  // one; replacing an existing file confirmed), or nothing when the user cancelled.
  virtual std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) {
    (void)request;
    return std::nullopt;
  }
  // Shows a message box once the event being handled has returned to the event loop (a box
  // asked for while the poll decodes must not stop the reads or re-enter the decoder). An
  // identical box still waiting to be shown is not queued twice. Without an event loop the
  // box is shown at once.
  virtual void PostMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
    MessageBox(text, caption, icon);
  }
  // Arms window timer `id` with the period; the host calls CMainFrame::OnTimer(id) on every
  // expiry. Returns a non-zero handle, or 0 when no timer could be armed.
  virtual uint32_t SetTimer(int id, uint32_t periodMs) = 0;
  virtual void KillTimer(int id) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // The menus and toolbars have to be brought up to date with the frame's state.
  virtual void RefreshMenus() = 0;
  // The wall clock, for the dialogs that offer the current date and time: seconds since
  // 1970-01-01 00:00 UTC; nothing where there is no clock.
  virtual std::optional<int64_t> UtcNow() const { return std::nullopt; }
};

}  // namespace orv
