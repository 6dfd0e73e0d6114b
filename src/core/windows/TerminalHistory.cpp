// The aux window's lines.
#include "windows/TerminalHistory.h"

#include <algorithm>
#include <array>

namespace orv {

void TerminalHistory::EndLine() {
  ++ended_;
  if (lines_.size() < kMaxLines) {
    lines_.emplace_back();
    return;
  }
  // The oldest line leaves; its string, emptied, is the new line, keeping its room.
  std::string reused = std::move(lines_.front());
  lines_.pop_front();
  reused.clear();
  lines_.push_back(std::move(reused));
}

namespace {
// What the history does with each byte: keeps it, drops it (the C0 controls but tab, DEL and
// Latin-1's C1 controls), or ends a line on it.
enum : uint8_t { kKeep, kDrop, kCr, kLf };
constexpr std::array<uint8_t, 256> kByteClass = [] {
  std::array<uint8_t, 256> t{};
  for (int c = 0; c < 256; ++c) {
    const bool control = (c < 0x20 && c != '\t') || (c >= 0x7F && c < 0xA0);
    t[static_cast<std::size_t>(c)] = c == '\r' ? kCr : c == '\n' ? kLf : control ? kDrop : kKeep;
  }
  return t;
}();
}  // namespace

void TerminalHistory::ShowText(const char* text, uint32_t length) {
  if (text == nullptr || length == 0) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (uint32_t i = 0; i < length; ++i) {
    const uint8_t kind = kByteClass[bytes[i]];
    const bool wasCr = lastWasCr_;
    lastWasCr_ = kind == kCr;
    if (kind == kLf) {
      if (!wasCr) EndLine();
      continue;
    }
    if (kind == kCr) {
      EndLine();
      continue;
    }
    if (kind == kDrop) continue;
    if (lines_.back().size() >= kMaxLineLength) EndLine();
    // The characters kept that follow go in as one piece, up to the line's length limit.
    std::string& line = lines_.back();
    uint32_t end = i + 1;
    const uint32_t limit = i + static_cast<uint32_t>(std::min<std::size_t>(kMaxLineLength - line.size(), length - i));
    while (end < limit && kByteClass[bytes[end]] == kKeep) ++end;
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
