// JSON members for the record printers.
#include "JsonFields.h"

#include <charconv>
#include <cmath>

#include "Command.h"

namespace orv::cli {

namespace {
template <typename T>
void AppendShortest(JsonText& out, T value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  // Whole numbers below 100000 in magnitude: the shortest form is the plain integer (from
  // 100000 up, "1e+05" would be shorter), and integer conversion is much cheaper. -0 keeps
  // its sign through the general path.
  if (value > -100000 && value < 100000 && !(value == 0 && std::signbit(value))) {
    const auto whole = static_cast<int32_t>(value);
    if (static_cast<T>(whole) == value) {
      AppendInt(out, whole);
      return;
    }
  }
  constexpr std::size_t kRoom = 64;  // the longest shortest form of a double is 24 characters
  char* p = out.Extend(kRoom);
  const auto r = std::to_chars(p, p + kRoom, value);
  out.Commit(static_cast<std::size_t>(r.ptr - p));
}
}  // namespace

void AppendInt(JsonText& out, long long value) {
  constexpr std::size_t kRoom = 24;  // "-9223372036854775808" is 20
  char* p = out.Extend(kRoom);
  const auto r = std::to_chars(p, p + kRoom, value);
  out.Commit(static_cast<std::size_t>(r.ptr - p));
}

void AppendNumber(JsonText& out, double value) { AppendShortest(out, value); }
void AppendNumber(JsonText& out, float value) { AppendShortest(out, value); }

void AppendHex(JsonText& out, std::span<const uint8_t> bytes) {
  static const char kHex[] = "0123456789abcdef";
  char* p = out.Extend(bytes.size() * 2);
  for (uint8_t b : bytes) {
    *p++ = kHex[b >> 4];
    *p++ = kHex[b & 0xF];
  }
  out.Commit(bytes.size() * 2);
}

void AppendJsonString(JsonText& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  // The worst case, every byte as \u00XX, is six characters a byte.
  char* const start = out.Extend(text.size() * 6 + 2);
  char* p = start;
  *p++ = '"';
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      *p++ = ch;
      continue;
    }
    *p++ = '\\';
    switch (c) {
      case '"': *p++ = '"'; break;
      case '\\': *p++ = '\\'; break;
      case '\n': *p++ = 'n'; break;
      case '\r': *p++ = 'r'; break;
      case '\t': *p++ = 't'; break;
      default:
        *p++ = 'u';
        *p++ = '0';
        *p++ = '0';
        *p++ = kHex[c >> 4];
        *p++ = kHex[c & 0xF];
    }
  }
  *p++ = '"';
  out.Commit(static_cast<std::size_t>(p - start));
}

std::string JsonString(const std::string& s) {
  JsonText out(s.size() + 2);
  AppendJsonString(out, s);
  return out.str();
}

std::string JsonNumber(double value) {
  JsonText s(32);
  AppendShortest(s, value);
  return s.str();
}

std::string JsonNumber(float value) {
  JsonText s(32);
  AppendShortest(s, value);
  return s.str();
}

std::string HexText(std::span<const uint8_t> bytes) {
  JsonText out(bytes.size() * 2 + 1);
  AppendHex(out, bytes);
  return out.str();
}

JsonObject& JsonObject::Text(const char* name, const std::string& value) {
  Name(name);
  AppendJsonString(*out_, value);
  return *this;
}

}  // namespace orv::cli
