// The drawing scheme and the standard commands shared by every message window.
#include "windows/Page.h"

#include <algorithm>
#include <string>

#include "protocol/FrameEncoder.h"

namespace orv {

namespace {
constexpr Colour kWaitingBoxColour = Rgb(255, 248, 204);
constexpr Colour kWaitingTextColour = Rgb(96, 96, 96);
}  // namespace

Page::Page(const PageSpec& layout, const PageContext& context)
    : spec_(layout), font_(layout.font.spec()), context_(context) {}

Page::~Page() {
  if (view_ != nullptr) view_->PageGone();
}

void Page::OnCreate(const std::string& title) {
  caption_ = spec_.creationCaption != nullptr ? spec_.creationCaption : title;
}

void Page::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (view_ != nullptr) view_->CaptionChanged();
}

void Page::NotifyValues() {
  // The first record takes the waiting text away: the whole page is drawn again once.
  const bool first = !received_;
  received_ = true;
  if (view_ == nullptr) return;
  if (first && !waitingText().empty()) {
    view_->InvalidateAll();
  } else {
    view_->ValuesChanged();
  }
}

std::string WaitingTextForCaption(const std::string& caption) {
  // The binary captions name the message after "- Msg "; the NMEA ones the sentence after " - ".
  struct Marker {
    std::string text;
    std::size_t keep;  // characters of the marker that belong to the name
  };
  for (const Marker& marker : {Marker{"- Msg ", 0}, Marker{" - $", 1}}) {
    const std::size_t at = caption.rfind(marker.text);
    if (at == std::string::npos) continue;
    std::string what = caption.substr(at + marker.text.size() - marker.keep);
    while (!what.empty() && what.back() == ' ') what.pop_back();
    if (!what.empty()) return "waiting for message " + what;
  }
  // The windows that show a caption of their own name it as "(ID49)".
  const std::size_t id = caption.rfind("(ID");
  if (id != std::string::npos && caption.back() == ')' && caption.size() > id + 4) {
    return "waiting for message " + caption.substr(id + 3, caption.size() - id - 4);
  }
  return {};
}

std::string Page::waitingText() const { return WaitingTextForCaption(caption_); }

// In grey on a light box across the page's middle, so that it reads as a state of the window
// and not as one of its values.
void Page::DrawWaiting(Canvas& canvas) const {
  const std::string text = waitingText();
  const TextExtent size = canvas.GetTextExtent(text);
  const int width = std::max(spec_.width, size.width + 24);
  const int centre = width / 2;
  const int top = std::max(20, spec_.height / 2 - size.height);
  canvas.FillRect(centre - size.width / 2 - 10, top - 5, centre + size.width / 2 + 10, top + size.height + 5,
                  kWaitingBoxColour);
  canvas.SetTextColour(kWaitingTextColour);
  canvas.SetBackgroundMode(BackgroundMode::Transparent);
  canvas.SetTextAlign(TextAlign::Center);
  canvas.TextOut(centre, top, text);
  canvas.SetTextAlign(TextAlign::Left);
}

void Page::InvalidateAll() {
  if (view_ != nullptr) view_->InvalidateAll();
}

// A full paint goes on a freshly erased background: labels and values alike are drawn
// transparent, and what was remembered of an earlier surface no longer holds.
void Page::Paint(Canvas& canvas) {
  cells_.Forget();
  if (spec_.bitmap) canvas.DrawCornerBitmap(1, 1);
  canvas.SetFont(font_);
  canvas.SetTextAlign(TextAlign::Left);
  canvas.SetTextColour(canvas.WindowTextColour());
  canvas.SetBackgroundMode(BackgroundMode::Transparent);
  DrawLabels(canvas);
  if (waiting()) DrawWaiting(canvas);
  if (!hasRecord()) return;
  ValueCanvas values(canvas, cells_, false);
  wholePage_ = true;
  DrawValues(values);
  wholePage_ = false;
}

void Page::PaintValues(Canvas& canvas) {
  if (!hasRecord()) return;
  ValueCanvas values(canvas, cells_, true);
  values.SetFont(font_);
  SetValueStyle(values);
  DrawValues(values);
}

// Values are drawn over what the last update left: each text fills its own cell.
void Page::SetValueStyle(Canvas& canvas) const {
  canvas.SetTextAlign(TextAlign::Left);
  canvas.SetTextColour(canvas.WindowTextColour());
  canvas.SetBackgroundColour(canvas.WindowColour());
  canvas.SetBackgroundMode(BackgroundMode::Opaque);
}

std::vector<PopupItem> Page::Items(std::span<const PopupEntry> entries) const {
  std::vector<PopupItem> items;
  items.reserve(entries.size());
  for (const PopupEntry& e : entries) {
    PopupItem item{e.command, e.text};
    if (e.action == PopupAction::Separator) {
      item.kind = PopupKind::Separator;
    } else if (e.action == PopupAction::Submenu) {
      item.kind = PopupKind::Submenu;
      item.items = Items(e.items);
    } else {
      item.checked = IsChecked(e.command);
      item.enabled = IsEnabled(e.command);
      item.group = e.group;
    }
    items.push_back(std::move(item));
  }
  return items;
}

const PopupEntry* Page::Find(std::span<const PopupEntry> entries, int command) const {
  for (const PopupEntry& e : entries) {
    if (e.action == PopupAction::Submenu) {
      if (const PopupEntry* inner = Find(e.items, command)) return inner;
    } else if (e.action != PopupAction::Separator && e.command == command) {
      return &e;
    }
  }
  return nullptr;
}

// A disabled item cannot be chosen, however the command arrives.
bool Page::OnCommand(int command) {
  for (std::span<const PopupEntry> list : {spec_.popup, spec_.menuBar}) {
    const PopupEntry* e = Find(list, command);
    if (e == nullptr) continue;
    if (!IsEnabled(command)) return false;
    Run(*e);
    return true;
  }
  return false;
}

void Page::Run(const PopupEntry& entry) {
  switch (entry.action) {
    case PopupAction::Request:
      if (context_.encoder != nullptr) context_.encoder->SendRequest(entry.argument, entry.mode);
      return;
    case PopupAction::PostToFrame:
      if (context_.frame != nullptr) context_.frame->PostCommand(entry.argument);
      return;
    case PopupAction::ClearData:
      ClearRecord();
      InvalidateAll();
      return;
    case PopupAction::ClearCounters:
      ClearCounters();
      InvalidateAll();
      return;
    case PopupAction::PageCommand:
      OnPageCommand(entry.command);
      return;
    case PopupAction::Submenu:
    case PopupAction::Separator:
      return;
  }
}

}  // namespace orv
