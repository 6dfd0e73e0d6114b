// A small builder for the members of a JSON object, used by the record printers: numbers in
// their shortest exact form, non-finite numbers as null, texts escaped.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orv::cli {

std::string JsonNumber(double value);
std::string JsonNumber(float value);
std::string HexText(std::span<const uint8_t> bytes);

class JsonObject {
 public:
  JsonObject& Int(const char* name, long long value);
  JsonObject& Real(const char* name, double value) { return Raw(name, JsonNumber(value)); }
  JsonObject& Real(const char* name, float value) { return Raw(name, JsonNumber(value)); }
  JsonObject& Text(const char* name, const std::string& value);
  // `json` is already a JSON value (object, array, number).
  JsonObject& Raw(const char* name, const std::string& json);
  std::string str() const { return body_ + "}"; }

 private:
  void Name(const char* name);
  std::string body_ = "{";
};

// Builds a JSON array from already-formatted values.
class JsonArray {
 public:
  JsonArray& Add(const std::string& json) {
    body_ += (body_.size() > 1 ? "," : "") + json;
    return *this;
  }
  std::string str() const { return body_ + "]"; }

 private:
  std::string body_ = "[";
};

}  // namespace orv::cli
