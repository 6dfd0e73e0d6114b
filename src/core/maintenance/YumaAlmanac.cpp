// The Yuma almanac reader.
#include "maintenance/YumaAlmanac.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orv {

namespace {

enum class Key { Id, Health, Eccentricity, Time, Orbital, Rate, SqrtA, Right, Argument, Mean, Af0, Af1, Week, None };

// The first word of a line is compared in upper case with each key, in this order.
struct KeyName {
  const char* upper;
  Key key;
};
constexpr KeyName kKeys[] = {
    {"ID:", Key::Id},         {"HEALTH:", Key::Health}, {"ECCENTRICITY:", Key::Eccentricity},
    {"TIME", Key::Time},      {"ORBITAL", Key::Orbital}, {"RATE", Key::Rate},
    {"SQRT(A)", Key::SqrtA},  {"RIGHT", Key::Right},    {"ARGUMENT", Key::Argument},
    {"MEAN", Key::Mean},      {"AF0(S):", Key::Af0},    {"AF1(S/S):", Key::Af1},
    {"WEEK:", Key::Week},
};

Key KeyOf(const std::string& line) {
  std::size_t i = 0;
  while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  std::string word;
  while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
    ++i;
  }
  for (const KeyName& k : kKeys) {
    if (word == k.upper) return k.key;
  }
  return Key::None;
}

// The text after the line's first colon; empty when it has none.
const char* ValueText(const std::string& line) {
  const std::size_t colon = line.find(':');
  return colon == std::string::npos ? "" : line.c_str() + colon + 1;
}

// A value that does not parse leaves the field as it was.
void ReadInt(const std::string& line, int16_t& out) {
  const char* text = ValueText(line);
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end != text && v >= INT16_MIN && v <= INT16_MAX) out = static_cast<int16_t>(v);
}

void ReadInt(const std::string& line, int& out) {
  const char* text = ValueText(line);
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end != text && v >= -100000 && v <= 100000) out = static_cast<int>(v);
}

void ReadReal(const std::string& line, double& out) {
  const char* text = ValueText(line);
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end != text) out = v;
}

}  // namespace

YumaReadResult ReadYuma(std::istream& in, int svType) {
  YumaReadResult result;
  AlmanacEntry slot;
  int id = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    switch (KeyOf(line)) {
      case Key::Id:
        // A record begins: nothing of the one before carries over.
        slot = AlmanacEntry{};
        id = 0;
        ReadInt(line, id);
        slot.svType = static_cast<int16_t>(svType);
        slot.prnIndex = static_cast<int16_t>(id - 1);
        break;
      case Key::Health: ReadInt(line, slot.health); break;
      case Key::Eccentricity: ReadReal(line, slot.eccentricity); break;
      case Key::Time: ReadReal(line, slot.toa); break;
      case Key::Orbital:
        ReadReal(line, slot.inclinationOffset);
        slot.inclinationOffset -= kInclinationReference;
        break;
      case Key::Rate: ReadReal(line, slot.rateOfRightAscension); break;
      case Key::SqrtA: ReadReal(line, slot.sqrtA); break;
      case Key::Right: ReadReal(line, slot.rightAscension); break;
      case Key::Argument: ReadReal(line, slot.argumentOfPerigee); break;
      case Key::Mean: ReadReal(line, slot.meanAnomaly); break;
      case Key::Af0: ReadReal(line, slot.af0); break;
      case Key::Af1: ReadReal(line, slot.af1); break;
      case Key::Week:
        ReadInt(line, slot.week);
        // The week line ends a record: it is kept when healthy and its ID names a slot (an ID
        // outside 1-32 would overwrite another satellite's almanac in the receiver).
        if (slot.health != 0) {
          ++result.unhealthy;
        } else if (id < 1 || id > static_cast<int>(kAlmanacSlots)) {
          ++result.badId;
        } else if (result.records.size() >= kAlmanacSlots) {
          ++result.overflow;
        } else {
          result.records.push_back(slot);
        }
        slot = AlmanacEntry{};
        id = 0;
        break;
      case Key::None: break;
    }
  }
  return result;
}

std::optional<YumaReadResult> ReadYumaFile(const std::string& path, int svType) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return std::nullopt;
  return ReadYuma(in, svType);
}

}  // namespace orv
