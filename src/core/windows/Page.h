// The message window framework: a page paints a fixed layout of labels and values from the
// last record of its message on a Canvas, lists its popup items and runs their commands. The
// desktop hosts any page in one generic window; the tests host it on a recording canvas.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/CommandSink.h"
#include "protocol/Frame.h"
#include "protocol/WindowLinks.h"
#include "windows/PageContext.h"
#include "windows/UpdateQueue.h"
#include "windows/ValueCanvas.h"

namespace orv {

class FrameEncoder;

// Popup command identifiers, shared by every window.
namespace pagecmd {
inline constexpr int kContinuous = 129;
inline constexpr int kOneShot = 32965;
inline constexpr int kClearData = 32966;  // also "Clear Counters"
// Window-specific items.
inline constexpr int kSpecific1 = 32967;
inline constexpr int kSpecific2 = 32968;
inline constexpr int kSpecific3 = 32969;
inline constexpr int kSpecific4 = 32970;
}  // namespace pagecmd

enum class PopupAction {
  Request,        // SendRequest(argument, mode)
  PostToFrame,    // post main-frame command `argument` (opens one of the frame's dialogs)
  ClearData,      // forget the record and repaint: labels only
  ClearCounters,  // reset the page's counters and repaint
  PageCommand,    // handled by the page itself (OnPageCommand)
  Submenu,        // a title whose `items` open beside it; on a menu bar, a top-level menu
  Separator,      // a line between items
};

// One item of a popup or a menu bar, as a page lists them in a constant table.
struct PopupEntry {
  int command;
  const char* text;
  PopupAction action;
  int argument = 0;
  RequestMode mode = kOneShot;
  // Items of one non-zero group are exclusive choices: the page checks one of them.
  int group = 0;
  std::span<const PopupEntry> items = {};  // a submenu's
};

// The standard items.
constexpr PopupEntry ContinuousItem(int requestCode) {
  return {pagecmd::kContinuous, "Continuous", PopupAction::Request, requestCode, kContinuous};
}
constexpr PopupEntry OneShotItem(int requestCode) {
  return {pagecmd::kOneShot, "One Shot", PopupAction::Request, requestCode, kOneShot};
}
constexpr PopupEntry ClearDataItem() { return {pagecmd::kClearData, "Clear Data", PopupAction::ClearData}; }
constexpr PopupEntry ClearCountersItem() { return {pagecmd::kClearData, "Clear Counters", PopupAction::ClearCounters}; }
// An item that opens one of the main frame's dialogs.
constexpr PopupEntry FrameItem(int command, const char* text, int frameCommand) {
  return {command, text, PopupAction::PostToFrame, frameCommand};
}
// An item the page runs itself; it shows a check mark while the page says so (IsChecked).
constexpr PopupEntry PageItem(int command, const char* text) { return {command, text, PopupAction::PageCommand}; }
// One of a group of exclusive choices the page runs itself ("&Small", "&Medium", "&Large").
constexpr PopupEntry ChoiceItem(int command, const char* text, int group) {
  return {command, text, PopupAction::PageCommand, 0, kOneShot, group};
}
constexpr PopupEntry Submenu(const char* title, std::span<const PopupEntry> items) {
  return {0, title, PopupAction::Submenu, 0, kOneShot, 0, items};
}
constexpr PopupEntry Separator() { return {0, "", PopupAction::Separator}; }

enum class PopupKind { Command, Submenu, Separator };

// A popup or menu-bar item as the host shows it, with the page's state of the moment.
struct PopupItem {
  int command;
  std::string text;
  bool checked = false;
  bool enabled = true;  // a disabled item is shown greyed and cannot be chosen
  int group = 0;        // exclusive choices share a non-zero group
  PopupKind kind = PopupKind::Command;
  std::vector<PopupItem> items = {};  // a submenu's
  bool operator==(const PopupItem&) const = default;
};

// What a page asks of the window that hosts it.
class PageView {
 public:
  virtual ~PageView() = default;
  // Erase the client area and paint the whole page again.
  virtual void InvalidateAll() = 0;
  // A new record arrived: draw the values again (the host may merge several into one).
  virtual void ValuesChanged() = 0;
  virtual void CaptionChanged() = 0;
  // The page is being destroyed; the host must not call it any more.
  virtual void PageGone() = 0;
};

// The font of a page as its constant description names it: a literal type, so that the page
// descriptions stay compile-time constants with every compiler (a std::string is not one).
struct PageFont {
  const char* face = kFaceSansSerif;
  int height = 10;
  int weight = 400;
  FontSpec spec() const { return {face != nullptr ? face : "", height, weight}; }
};

// What sets one window kind apart in the framework.
struct PageSpec {
  int command;                   // the main-frame command that opens and closes the window
  const char* creationCaption;   // replaces the title when the window is created; null: none
  PageFont font;
  bool bitmap = true;            // draws the corner bitmap
  std::span<const PopupEntry> popup;
  // A window with a menu bar instead of a popup: its submenus are the menus, its other items
  // sit on the bar itself.
  std::span<const PopupEntry> menuBar;
  int width = 250;               // the area the page draws in, pixels
  int height = 250;
};

// Page area used by a host that wants to show the whole page.
struct PageExtent {
  int width;
  int height;
};

class Page {
 public:
  Page(const PageSpec& layout, const PageContext& context);
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;
  virtual ~Page();

  int command() const { return spec_.command; }
  const FontSpec& font() const { return font_; }
  bool hasBitmap() const { return spec_.bitmap; }
  PageExtent extent() const { return {spec_.width, spec_.height}; }

  // The window is created with `title`; some windows show a caption of their own.
  void OnCreate(const std::string& title);
  const std::string& caption() const { return caption_; }

  void AttachView(PageView* view) { view_ = view; }
  PageView* view() const { return view_; }

  // The whole page: bitmap, labels, then the values when a record is set. The page remembers
  // the cell each value text covers.
  void Paint(Canvas& canvas);
  // The update path: the values only, drawn over what is there. Each value text first erases
  // the cell its field's previous text covered, so a shorter value leaves nothing of a longer
  // one whatever the font. Nothing is drawn without a record.
  void PaintValues(Canvas& canvas);

  // The items with their check marks and enabled state as they are now: the host asks again
  // each time it shows them.
  std::vector<PopupItem> PopupItems() const { return Items(spec_.popup); }
  std::vector<PopupItem> MenuBarItems() const { return Items(spec_.menuBar); }
  // Runs a popup or menu-bar command, in a submenu or not; false when the page has no such
  // item or the item is disabled.
  bool OnCommand(int command);
  // A right click at (x, y) of the page area. The host tells the page before it shows the
  // popup, and also when the page has no popup items.
  void RightClick(int x, int y) { OnRightClick(x, y); }

  virtual bool hasRecord() const = 0;
  // A window that has received nothing since it opened says what it waits for, "waiting for
  // message 20" (the message its caption names), until its first record; a window cleared
  // later shows its labels only. Empty for a window whose caption names no message.
  std::string waitingText() const;
  bool waiting() const { return !received_ && !hasRecord() && !waitingText().empty(); }

 protected:
  virtual void DrawLabels(Canvas& canvas) = 0;
  // Called with the value font, colours and opaque background already set.
  virtual void DrawValues(Canvas& canvas) = 0;
  virtual void ClearRecord() = 0;
  virtual void ClearCounters() {}
  virtual void OnPageCommand(int command) { (void)command; }
  // Check mark and enabled state of an item, asked each time the items are listed.
  virtual bool IsChecked(int command) const {
    (void)command;
    return false;
  }
  virtual bool IsEnabled(int command) const {
    (void)command;
    return true;
  }
  virtual void OnRightClick(int x, int y) {
    (void)x;
    (void)y;
  }

  void SetCaption(std::string caption);
  // Tells the host that the values changed (a new record) or that everything must be redrawn.
  void NotifyValues();
  void InvalidateAll();
  // A page that accumulates (marks, dots, counts) keeps what each record adds to the drawing
  // until the next value paint: the host merges paints, never records. A queue that overflows
  // drops its oldest update and has the whole page painted again instead.
  template <typename T>
  void QueueUpdate(UpdateQueue<T>& queue, T item) {
    received_ = true;
    if (queue.Push(std::move(item))) {
      NotifyValues();
    } else {
      InvalidateAll();
    }
  }
  // While Paint draws the whole page, DrawValues draws everything the page keeps and clears its
  // queues; on the update path it drains them.
  bool paintingWholePage() const { return wholePage_; }
  FrameEncoder* encoder() const { return context_.encoder; }
  const PageContext& context() const { return context_; }
  // Shows a dialog of the page's own (an interval to ask for, a parameter to set): true when
  // it closed with OK; false when cancelled or when nothing can show it.
  bool RunForm(Form& form) const { return context_.forms != nullptr && context_.forms->RunForm(form); }

 private:
  std::vector<PopupItem> Items(std::span<const PopupEntry> entries) const;
  const PopupEntry* Find(std::span<const PopupEntry> entries, int command) const;
  void Run(const PopupEntry& entry);
  void SetValueStyle(Canvas& canvas) const;
  void DrawWaiting(Canvas& canvas) const;

  PageSpec spec_;
  FontSpec font_;
  PageContext context_;
  std::string caption_;
  PageView* view_ = nullptr;
  ValueCells cells_;
  bool wholePage_ = false;
  bool received_ = false;
};

// "waiting for message 20" for a caption ending in "- Msg 20" ("6 & 7", "70, Sub ID 1" and
// the like are kept whole) or in "(ID20)", "waiting for message $GPRMC" for "... - $GPRMC";
// empty otherwise.
std::string WaitingTextForCaption(const std::string& caption);

// A page that shows one record of the data store and is told of it through the store's
// window link. It keeps a pointer to the store's record and reads it at every paint.
template <typename Record, typename Link>
class LinkedPage : public Page, public Link {
 public:
  using Page::Page;
  bool hasRecord() const override { return record_ != nullptr; }
  const Record* record() const { return record_; }

 protected:
  void SetRecord(const Record& record) {
    record_ = &record;
    NotifyValues();
  }
  void ClearRecord() override { record_ = nullptr; }

 private:
  const Record* record_ = nullptr;
};

// The usual case: the link is the store's one-record link.
template <typename Record>
class RecordPage : public LinkedPage<Record, RecordWindowLink<Record>> {
 public:
  using LinkedPage<Record, RecordWindowLink<Record>>::LinkedPage;
  void ShowRecord(const Record& record) override { this->SetRecord(record); }
};

}  // namespace orv
