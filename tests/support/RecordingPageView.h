// A page host for the tests: it paints on a recording canvas the way a window's device
// context would, at once: the whole page when the page asks to be repainted (after erasing
// what was there), the values only when a new record arrives. It also records what the page
// asked for, in order.
#pragma once

#include <string>
#include <vector>

#include "support/RecordingCanvas.h"
#include "windows/Page.h"

namespace orv::test {

class RecordingPageView : public PageView {
 public:
  explicit RecordingPageView(Page& page) : page_(&page) { page.AttachView(this); }
  ~RecordingPageView() override {
    if (page_ != nullptr) page_->AttachView(nullptr);
  }
  RecordingPageView(const RecordingPageView&) = delete;
  RecordingPageView& operator=(const RecordingPageView&) = delete;

  // What the window shows now: a fresh paint.
  void Repaint() {
    screen = RecordingCanvas{};
    if (page_ != nullptr) page_->Paint(screen);
  }

  void InvalidateAll() override {
    events.push_back("invalidate");
    Repaint();
  }
  void ValuesChanged() override {
    events.push_back("values");
    if (page_ != nullptr) page_->PaintValues(screen);
  }
  void CaptionChanged() override { events.push_back("caption " + (page_ != nullptr ? page_->caption() : "")); }
  void PageGone() override {
    events.push_back("gone");
    page_ = nullptr;
  }

  bool attached() const { return page_ != nullptr; }

  RecordingCanvas screen;
  std::vector<std::string> events;

 private:
  Page* page_;
};

}  // namespace orv::test
