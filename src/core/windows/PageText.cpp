// Mode names, padding and hexadecimal groups.
#include "windows/PageText.h"

#include "util/Format.h"

namespace orv {

namespace {

// Twenty characters per entry, as every window keeps them.
constexpr char kNavModeNames[32][21] = {
    "Init Required",    "Initialized",      "Nav 3-D",          "Alt. Hold (2-D)",  "Diff. 3-D",
    "Diff. 2-D",        "Dead Reckoning",   "Invalid Mode 7",   "Base Station",     "Code Nav",
    "RTK",              "Invalid Mode  11", "Invalid Mode  12", "Invalid Mode  13", "Invalid Mode  14",
    "Invalid Mode  15", "Invalid Mode  16", "Invalid Mode  17", "Invalid Mode  18", "Invalid Mode  19",
    "Invalid Mode  20", "Invalid Mode  21", "Invalid Mode  22", "Invalid Mode  23", "Invalid Mode  24",
    "Invalid Mode  25", "Invalid Mode  26", "Invalid Mode  27", "Invalid Mode  28", "Invalid Mode  29",
    "Invalid Mode  30", "Invalid Mode  31",
};

constexpr const char* kNavSystemModes[] = {"Self Test", "Initialization", "Acquisition", "Navigation", "Fault"};

}  // namespace

const char* NavModeName(int mode) { return kNavModeNames[mode & 31]; }

const char* NavSystemModeName(int mode) {
  return mode >= 0 && mode < 5 ? kNavSystemModes[mode] : nullptr;
}

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string PrintableText(std::string text) {
  for (char& c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b > 0x7E) c = '.';
  }
  return text;
}

std::string HexWords(std::span<const uint8_t> bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % 2 == 0) out += ' ';
    out += Format("%02X", bytes[i]);
  }
  return out;
}

}  // namespace orv
