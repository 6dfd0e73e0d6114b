// The aux window's lines.
#include "windows/TerminalHistory.h"

#include <algorithm>

namespace orv {

void TerminalHistory::EndLine() {
  ++ended_;
  lines_.emplace_back();
  while (lines_.size() > kMaxLines) lines_.pop_front();
}

void TerminalHistory::ShowText(const char* text, uint32_t length) {
  if (text == nullptr || length == 0) return;
  for (uint32_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool wasCr = lastWasCr_;
    lastWasCr_ = c == '\r';
    if (c == '\n') {
      if (!wasCr) EndLine();
      continue;
    }
    if (c == '\r') {
      EndLine();
      continue;
    }
    if (c < 0x20 && c != '\t') continue;
    if (c >= 0x7F && c < 0xA0) continue;  // DEL and the C1 controls of Latin-1
    if (lines_.back().size() >= kMaxLineLength) EndLine();
    // The characters kept that follow go in as one piece, up to the line's length limit.
    std::string& line = lines_.back();
    uint32_t end = i + 1;
    const uint32_t limit = i + static_cast<uint32_t>(std::min<std::size_t>(kMaxLineLength - line.size(), length - i));
    while (end < limit) {
      const unsigned char d = static_cast<unsigned char>(text[end]);
      if ((d < 0x20 && d != '\t') || (d >= 0x7F && d < 0xA0)) break;
      ++end;
    }
    line.append(text + i, end - i);
    i = end - 1;
  }
  if (onChange_) onChange_();
}

std::string TerminalHistory::Text() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) out.push_back('\n');
    out += lines_[i];
  }
  return out;
}

void TerminalHistory::Clear() {
  lines_.assign(1, std::string());
  lastWasCr_ = false;
  ended_ = 0;
  if (onChange_) onChange_();
}

}  // namespace orv
