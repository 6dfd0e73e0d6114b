// JSON members for the record printers.
#include "JsonFields.h"

#include <charconv>
#include <cmath>

#include "Command.h"

namespace orv::cli {

namespace {
template <typename T>
void AppendShortest(std::string& out, T value) {
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
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, r.ptr);
}
}  // namespace

void AppendInt(std::string& out, long long value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, r.ptr);
}

void AppendNumber(std::string& out, double value) { AppendShortest(out, value); }
void AppendNumber(std::string& out, float value) { AppendShortest(out, value); }

void AppendHex(std::string& out, std::span<const uint8_t> bytes) {
  static const char kHex[] = "0123456789abcdef";
  const std::size_t at = out.size();
  out.resize(at + bytes.size() * 2);
  char* p = out.data() + at;
  for (uint8_t b : bytes) {
    *p++ = kHex[b >> 4];
    *p++ = kHex[b & 0xF];
  }
}

std::string JsonNumber(double value) {
  std::string s;
  AppendShortest(s, value);
  return s;
}

std::string JsonNumber(float value) {
  std::string s;
  AppendShortest(s, value);
  return s;
}

std::string HexText(std::span<const uint8_t> bytes) {
  std::string out;
  AppendHex(out, bytes);
  return out;
}

JsonObject& JsonObject::Text(const char* name, const std::string& value) { return Raw(name, JsonString(value)); }

}  // namespace orv::cli
