// A small builder for the members of a JSON object, used by the record printers: numbers in
// their shortest exact form, non-finite numbers as null, texts escaped. Members are appended in
// place (numbers straight from std::to_chars), nested objects and arrays included, so a line
// is built without a copy or an allocation per member.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "JsonText.h"

namespace orv::cli {

std::string JsonNumber(double value);
std::string JsonNumber(float value);
std::string HexText(std::span<const uint8_t> bytes);

// Appends to `out`: an integer, a double or float in its shortest exact form (null when not
// finite), bytes as lower-case hex.
void AppendInt(JsonText& out, long long value);
void AppendNumber(JsonText& out, double value);
void AppendNumber(JsonText& out, float value);
void AppendHex(JsonText& out, std::span<const uint8_t> bytes);
// A JSON string of `text`, quotes included: `"` `\` and the usual controls escaped, any other
// byte outside printable ASCII as \u00XX.
void AppendJsonString(JsonText& out, std::string_view text);

class JsonArray;


// An object under construction. A default-made one builds its own text (str() gives it); one
// made on a string, or by Object() and Array() of its parent, writes straight into that string
// and is finished with Close().
class JsonObject {
 public:
  JsonObject() : own_(256), out_(&own_) { own_ += '{'; }
  explicit JsonObject(JsonText& out) : out_(&out) { out += '{'; }
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;
  JsonObject(JsonObject&& other) noexcept
      : own_(std::move(other.own_)), out_(other.out_ == &other.own_ ? &own_ : other.out_), first_(other.first_) {}

  JsonObject& Int(const char* name, long long value) {
    Name(name);
    AppendInt(*out_, value);
    return *this;
  }
  JsonObject& Real(const char* name, double value) {
    Name(name);
    AppendNumber(*out_, value);
    return *this;
  }
  JsonObject& Real(const char* name, float value) {
    Name(name);
    AppendNumber(*out_, value);
    return *this;
  }
  JsonObject& Text(const char* name, const std::string& value);
  // `json` is already a JSON value (object, array, number).
  JsonObject& Raw(const char* name, std::string_view json) {
    Name(name);
    *out_ += json;
    return *this;
  }
  // A member object or array written in place; Close() it before the next member.
  JsonObject Object(const char* name) {
    Name(name);
    return JsonObject(*out_);
  }
  JsonArray Array(const char* name);
  void Close() { *out_ += '}'; }
  std::string str() const { return own_.str() + "}"; }

 private:
  // `,"name":` written in place.
  void Name(std::string_view name) {
    char* p = out_->Extend(name.size() + 4);
    char* const start = p;
    if (!first_) *p++ = ',';
    first_ = false;
    *p++ = '"';
    std::memcpy(p, name.data(), name.size());
    p += name.size();
    *p++ = '"';
    *p++ = ':';
    out_->Commit(static_cast<std::size_t>(p - start));
  }
  JsonText own_{0};
  JsonText* out_;
  bool first_ = true;
};

// An array under construction, owned or written in place as JsonObject is.
class JsonArray {
 public:
  JsonArray() : own_(64), out_(&own_) { own_ += '['; }
  explicit JsonArray(JsonText& out) : out_(&out) { out += '['; }
  JsonArray(const JsonArray&) = delete;
  JsonArray& operator=(const JsonArray&) = delete;
  JsonArray(JsonArray&& other) noexcept
      : own_(std::move(other.own_)), out_(other.out_ == &other.own_ ? &own_ : other.out_), first_(other.first_) {}

  // An already-formatted value.
  JsonArray& Add(std::string_view json) {
    Comma();
    *out_ += json;
    return *this;
  }
  JsonArray& AddInt(long long value) {
    Comma();
    AppendInt(*out_, value);
    return *this;
  }
  // An element object written in place; Close() it before the next element.
  JsonObject Object() {
    Comma();
    return JsonObject(*out_);
  }
  void Close() { *out_ += ']'; }
  std::string str() const { return own_.str() + "]"; }

 private:
  void Comma() {
    if (!first_) *out_ += ',';
    first_ = false;
  }
  JsonText own_{0};
  JsonText* out_;
  bool first_ = true;
};

inline JsonArray JsonObject::Array(const char* name) {
  Name(name);
  return JsonArray(*out_);
}

}  // namespace orv::cli
