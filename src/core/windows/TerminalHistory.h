// What the aux data window shows: the text read from the aux port, as lines, with a bounded
// history so that a port left open for days keeps a window's worth of memory. The desktop's
// text view only renders it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "platform/Links.h"

namespace orv {

class TerminalHistory : public TerminalLink {
 public:
  static constexpr std::size_t kMaxLines = 2000;
  // A line that never ends is broken here.
  static constexpr std::size_t kMaxLineLength = 4096;

  // CR LF, LF and CR each end a line (a CR LF cut between two reads ends one line); tabs are
  // kept, other control characters (C0, DEL and the C1 controls of Latin-1) and zero bytes dropped.
  void ShowText(const char* text, uint32_t length) override;
  // The lines, the last one possibly unfinished, joined by LF.
  std::string Text() const;
  const std::deque<std::string>& lines() const { return lines_; }
  // Called after every change.
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }
  void Clear();
  // The number, counted from the last clear, of the oldest line still kept: it grows as lines
  // leave the history, so that a view can hold its place while the user reads back.
  uint64_t firstLineNumber() const { return ended_ + 1 - lines_.size(); }
  // How often the history was cleared: the line numbers start again at each clear.
  uint64_t clearCount() const { return clears_; }

 private:
  void EndLine();

  std::deque<std::string> lines_{std::string()};
  bool lastWasCr_ = false;
  uint64_t ended_ = 0;
  uint64_t clears_ = 0;
  std::function<void()> onChange_;
};

}  // namespace orv
