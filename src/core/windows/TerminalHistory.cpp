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

// Binary data read as text keeps about three bytes in four, in short runs between the
// controls dropped, in no order a branch could learn: each byte is written to a scratch piece
// and counted only when it is kept, and the piece joins the line at each line end, when it is
// full, and when the line reaches its length limit.
void TerminalHistory::ShowText(const char* text, uint32_t length) {
  if (text == nullptr || length == 0) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::array<char, 512> piece;
  std::size_t kept = 0;
  std::string* line = &lines_.back();
  std::size_t room = std::min(piece.size(), kMaxLineLength - std::min(line->size(), kMaxLineLength));
  bool wasCr = lastWasCr_;
  for (uint32_t i = 0; i < length; ++i) {
    const uint8_t kind = kByteClass[bytes[i]];
    if (kind >= kCr) [[unlikely]] {
      if (kind == kCr || !wasCr) {
        line->append(piece.data(), kept);
        kept = 0;
        EndLine();
        line = &lines_.back();
        room = piece.size();
      }
      wasCr = kind == kCr;
      continue;
    }
    if (kept == room) [[unlikely]] {
      line->append(piece.data(), kept);
      kept = 0;
      // A kept character that finds its line full starts the next one.
      if (kind == kKeep && line->size() >= kMaxLineLength) {
        EndLine();
        line = &lines_.back();
      }
      room = std::min(piece.size(), kMaxLineLength - std::min(line->size(), kMaxLineLength));
    }
    wasCr = false;
    piece[kept] = static_cast<char>(bytes[i]);
    kept += kind == kKeep ? 1 : 0;
  }
  line->append(piece.data(), kept);
  lastWasCr_ = wasCr;
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
  ++clears_;
  if (onChange_) onChange_();
}

}  // namespace orv
