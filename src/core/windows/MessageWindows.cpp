// The life cycle of the open pages: created with their window, linked into their decoder while
// the frame delivers to them, unlinked and destroyed when the frame forgets the window.
#include "windows/MessageWindows.h"

#include <algorithm>

namespace orv {

ScreenRect FitDefaultRectToPage(const ScreenRect& rect, const ScreenRect& defaultRect, PageExtent page) {
  if (!(rect == defaultRect)) return rect;
  ScreenRect fitted = rect;
  // 64-bit sums: the stored edges may be anything a damaged file holds.
  const int64_t minRight = static_cast<int64_t>(rect.left) + page.width;
  const int64_t minBottom = static_cast<int64_t>(rect.top) + page.height;
  if (fitted.right < minRight) fitted.right = static_cast<int32_t>(std::min<int64_t>(minRight, INT32_MAX));
  if (fitted.bottom < minBottom) fitted.bottom = static_cast<int32_t>(std::min<int64_t>(minBottom, INT32_MAX));
  return fitted;
}

MessageWindows::MessageWindows(std::vector<std::span<const PageKind>> catalogues, ReceiverDecoder& main,
                               ReceiverDecoder& base, const PageContext& context)
    : catalogues_(std::move(catalogues)), main_(main), base_(base), context_(context) {}

MessageWindows::~MessageWindows() {
  for (auto& [command, open] : open_) {
    if (open.linked) Link(*FindKind(command), nullptr);
  }
}

const PageKind* MessageWindows::FindKind(int command) const {
  for (std::span<const PageKind> catalogue : catalogues_) {
    for (const PageKind& k : catalogue) {
      if (k.command == command) return &k;
    }
  }
  return nullptr;
}

Page* MessageWindows::Open(int command, const std::string& title) {
  const PageKind* kind = FindKind(command);
  if (kind == nullptr) return nullptr;
  OpenPage& open = open_[command];
  if (!open.page) {
    PageContext context = context_;
    if (kind->baseDecoder) {
      context.encoder = nullptr;
      context.nmeaEncoder = nullptr;
    }
    open.page = kind->make(context);
    open.page->OnCreate(title);
  }
  return open.page.get();
}

Page* MessageWindows::page(int command) const {
  const auto it = open_.find(command);
  return it == open_.end() ? nullptr : it->second.page.get();
}

bool MessageWindows::linked(int command) const {
  const auto it = open_.find(command);
  return it != open_.end() && it->second.linked;
}

// A page forgotten is destroyed: its host, if still there, is told and shows nothing more.
void MessageWindows::Deliver(int command, bool on, const std::string& title) {
  const PageKind* kind = FindKind(command);
  if (kind == nullptr) return;
  if (on) {
    Page* page = Open(command, title);
    Link(*kind, page);
    open_[command].linked = true;
    return;
  }
  const auto it = open_.find(command);
  if (it == open_.end()) return;
  if (it->second.linked) Link(*kind, nullptr);
  open_.erase(it);
}

void MessageWindows::Link(const PageKind& kind, Page* page) {
  if (kind.baseDecoder) {
    kind.link(PageLinkTargets{base_, nullptr, nullptr}, page);
  } else {
    kind.link(PageLinkTargets{main_, context_.encoder, context_.nmeaEncoder}, page);
  }
}

}  // namespace orv
