// Formatting and strict parsing of the "WindowPos" profile entry.
#include "app/WindowPlacement.h"

#include <charconv>
#include <limits>

#include "util/Format.h"

namespace orv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads one number at `pos` (after optional blanks and sign) within [lo, hi].
template <typename T>
bool ReadNumber(std::string_view text, std::size_t& pos, T& out) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
  uint64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), magnitude);
  if (ec != std::errc()) return false;
  pos = static_cast<std::size_t>(end - text.data());
  const int64_t lo = std::numeric_limits<T>::min();
  const uint64_t hi = std::numeric_limits<T>::max();
  if (negative) {
    if (magnitude > static_cast<uint64_t>(-lo)) return false;
    out = static_cast<T>(-static_cast<int64_t>(magnitude));
  } else {
    if (magnitude > hi) return false;
    out = static_cast<T>(magnitude);
  }
  return true;
}

}  // namespace

std::string FormatWindowPos(const WindowPlacement& p) {
  return Format("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showState, p.minX, p.minY, p.maxX, p.maxY,
                p.left, p.top, p.right, p.bottom);
}

std::optional<WindowPlacement> ParseWindowPos(std::string_view text) {
  WindowPlacement p;
  int32_t* rest[] = {&p.minX, &p.minY, &p.maxX, &p.maxY, &p.left, &p.top, &p.right, &p.bottom};
  std::size_t pos = 0;
  auto comma = [&]() {
    if (pos >= text.size() || text[pos] != ',') return false;
    ++pos;
    return true;
  };
  if (!ReadNumber(text, pos, p.flags) || !comma() || !ReadNumber(text, pos, p.showState)) return std::nullopt;
  for (int32_t* field : rest) {
    if (!comma() || !ReadNumber(text, pos, *field)) return std::nullopt;
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos != text.size()) return std::nullopt;
  return p;
}

std::optional<WindowPlacement> LoadWindowPlacement(const Profile& profile) {
  const auto entry = profile.GetString(kProfileSection, kWindowPosEntry);
  if (!entry) return std::nullopt;
  return ParseWindowPos(*entry);
}

void SaveWindowPlacement(Profile& profile, WindowPlacement current, bool maximized) {
  current.flags = maximized ? kRestoreToMaximized : 0;
  profile.SetString(kProfileSection, kWindowPosEntry, FormatWindowPos(current));
}

std::optional<std::string> LoadBarState(const Profile& profile) {
  return profile.GetString(kBarStateKey, kBarStateEntry);
}

void SaveBarState(Profile& profile, const std::string& state) {
  profile.SetString(kBarStateKey, kBarStateEntry, state);
}

}  // namespace orv
