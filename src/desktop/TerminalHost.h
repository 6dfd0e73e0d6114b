// The "Auxillary Port Data Window": a plain scrolling text view of what the aux port reads.
// The lines and their bounded history are the core's TerminalHistory; this view only shows
// them, at most once per pass of the event loop however many reads arrive.
#pragma once

#include <functional>

#include "desktop/MainWindow.h"
#include "windows/TerminalHistory.h"

class QPlainTextEdit;

namespace orv {

class TerminalHost : public WindowHost, public TerminalLink {
  Q_OBJECT
 public:
  TerminalHost(QWidget* owner, int command);
  ~TerminalHost() override;

  void ShowText(const char* text, uint32_t length) override { history_.ShowText(text, length); }
  const TerminalHistory& history() const { return history_; }
  QPlainTextEdit* view() const { return view_; }
  // Shows what is pending now (the tests' way of waiting for the event loop).
  void Render();
  // Called when the host goes, so the frame stops writing to it.
  void SetOnGone(std::function<void()> onGone) { onGone_ = std::move(onGone); }

 private:
  TerminalHistory history_;
  QPlainTextEdit* view_;
  bool pending_ = false;
  std::function<void()> onGone_;
};

}  // namespace orv
