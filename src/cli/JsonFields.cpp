// JSON members for the record printers.
#include "JsonFields.h"

#include <charconv>
#include <cmath>

#include "Command.h"

namespace orv::cli {

namespace {
template <typename T>
std::string Shortest(T value) {
  if (!std::isfinite(value)) return "null";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}
}  // namespace

std::string JsonNumber(double value) { return Shortest(value); }
std::string JsonNumber(float value) { return Shortest(value); }

std::string HexText(std::span<const uint8_t> bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

void JsonObject::Name(const char* name) {
  if (body_.size() > 1) body_ += ',';
  body_ += '"';
  body_ += name;
  body_ += "\":";
}

JsonObject& JsonObject::Int(const char* name, long long value) { return Raw(name, std::to_string(value)); }

JsonObject& JsonObject::Text(const char* name, const std::string& value) { return Raw(name, JsonString(value)); }

JsonObject& JsonObject::Raw(const char* name, const std::string& json) {
  Name(name);
  body_ += json;
  return *this;
}

}  // namespace orv::cli
