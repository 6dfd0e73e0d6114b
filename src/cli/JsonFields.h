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

namespace orv::cli {

std::string JsonNumber(double value);
std::string JsonNumber(float value);
std::string HexText(std::span<const uint8_t> bytes);

// Appends to `out`: an integer, a double or float in its shortest exact form (null when not
// finite), bytes as lower-case hex.
void AppendInt(std::string& out, long long value);
void AppendNumber(std::string& out, double value);
void AppendNumber(std::string& out, float value);
void AppendHex(std::string& out, std::span<const uint8_t> bytes);

class JsonArray;


// An object under construction. A default-made one builds its own text (str() gives it); one
// made on a string, or by Object() and Array() of its parent, writes straight into that string
// and is finished with Close().
class JsonObject {
 public:
  JsonObject() : out_(&own_) {
    own_.reserve(256);
    own_ += '{';
  }
  explicit JsonObject(std::string& out) : out_(&out) { out += '{'; }
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
  JsonObject& Raw(const char* name, const std::string& json) {
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
  std::string str() const { return own_ + "}"; }

 private:
  // `,"name":` in one append (names are short literals; a longer one is appended in pieces).
  void Name(std::string_view name) {
    char piece[64];
    std::size_t n = 0;
    if (!first_) piece[n++] = ',';
    first_ = false;
    if (name.size() + 4 > sizeof piece) {
      piece[n++] = '"';
      out_->append(piece, n);
      out_->append(name.data(), name.size());
      out_->append("\":", 2);
      return;
    }
    piece[n++] = '"';
    std::memcpy(piece + n, name.data(), name.size());
    n += name.size();
    piece[n++] = '"';
    piece[n++] = ':';
    out_->append(piece, n);
  }
  std::string own_;
  std::string* out_;
  bool first_ = true;
};

// An array under construction, owned or written in place as JsonObject is.
class JsonArray {
 public:
  JsonArray() : out_(&own_) { own_ += '['; }
  explicit JsonArray(std::string& out) : out_(&out) { out += '['; }
  JsonArray(const JsonArray&) = delete;
  JsonArray& operator=(const JsonArray&) = delete;
  JsonArray(JsonArray&& other) noexcept
      : own_(std::move(other.own_)), out_(other.out_ == &other.own_ ? &own_ : other.out_), first_(other.first_) {}

  // An already-formatted value.
  JsonArray& Add(const std::string& json) {
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
  std::string str() const { return own_ + "]"; }

 private:
  void Comma() {
    if (!first_) *out_ += ',';
    first_ = false;
  }
  std::string own_;
  std::string* out_;
  bool first_ = true;
};

inline JsonArray JsonObject::Array(const char* name) {
  Name(name);
  return JsonArray(*out_);
}

}  // namespace orv::cli
