// Strict reading of edit box texts. std::from_chars is used rather than strtol and strtod:
// those skip leading white space of any kind, read "0x" prefixes and hexadecimal floats, and
// follow the C locale, which the desktop sets from the user's environment (a comma locale
// would refuse "12.25").
#include "forms/EditExchange.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "forms/Form.h"
#include "util/Format.h"

namespace orv {

namespace {

std::string_view Trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Reads all of `digits` (already known to be digits of `base`) as an unsigned 64-bit value.
std::optional<uint64_t> Magnitude(std::string_view digits, int base) {
  uint64_t v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return v;
}

std::string DecimalMessage(const FormField& f) {
  const auto v = ParseDecimal(f.text, f.editKind == EditKind::Integer);
  if (!v) return f.editKind == EditKind::Integer ? "Please enter an integer." : "Please enter a positive integer.";
  if (f.hasRange && (static_cast<double>(*v) < f.min || static_cast<double>(*v) > f.max)) {
    return Format("Please enter an integer between %lld and %lld.", static_cast<long long>(f.min),
                  static_cast<long long>(f.max));
  }
  return {};
}

std::string RealMessage(const FormField& f) {
  const auto v = ParseReal(f.text);
  if (!v) return "Please enter a number.";
  if (f.hasRange && (*v < f.min || *v > f.max)) {
    return Format("Please enter a number between %.15g and %.15g.", f.min, f.max);
  }
  return {};
}

std::string HexMessage(const FormField& f) {
  const auto v = ParseHex(f.text);
  if (!v) return "Please enter a hexadecimal number.";
  if (f.hasRange && (*v < f.hexMin || *v > f.hexMax)) {
    return Format("Please enter a hexadecimal number between %llX and %llX.",
                  static_cast<unsigned long long>(f.hexMin), static_cast<unsigned long long>(f.hexMax));
  }
  return {};
}

}  // namespace

std::optional<int64_t> ParseDecimal(std::string_view text, bool allowNegative) {
  std::string_view t = Trimmed(text);
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  if (t.empty() || (negative && !allowNegative) || !std::all_of(t.begin(), t.end(), IsDigit)) return std::nullopt;
  const auto m = Magnitude(t, 10);
  constexpr uint64_t kMax = std::numeric_limits<int64_t>::max();
  if (!m || *m > kMax + (negative ? 1 : 0)) return std::nullopt;
  if (!negative) return static_cast<int64_t>(*m);
  return *m == kMax + 1 ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(*m);
}

std::optional<double> ParseReal(std::string_view text) {
  std::string_view t = Trimmed(text);
  // from_chars takes a minus sign but not a plus.
  if (!t.empty() && t[0] == '+') {
    t.remove_prefix(1);
    if (!t.empty() && t[0] == '-') return std::nullopt;
  }
  if (t.empty()) return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<uint64_t> ParseHex(std::string_view text) {
  const std::string_view t = Trimmed(text);
  if (t.empty() || !std::all_of(t.begin(), t.end(), IsHexDigit)) return std::nullopt;
  return Magnitude(t, 16);
}

std::string ExchangeMessage(const FormField& f) {
  if (f.maxChars > 0 && f.text.size() > f.maxChars) {
    return Format("Please enter no more than %zu characters.", f.maxChars);
  }
  switch (f.editKind) {
    case EditKind::Text: return {};
    case EditKind::Integer:
    case EditKind::Unsigned: return DecimalMessage(f);
    case EditKind::Real: return RealMessage(f);
    case EditKind::Hex: return HexMessage(f);
  }
  return {};
}

}  // namespace orv
