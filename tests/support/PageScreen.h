// Reading what a page drew on a recording canvas: the last text at a position, the colour it
// was drawn in, and records made from payload bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/RecordingCanvas.h"

namespace orv::test {

inline std::string At(int x, int y, const std::string& text) {
  return "text " + std::to_string(x) + " " + std::to_string(y) + " " + text;
}

// The last text drawn at (x, y), trailing blanks removed; "" when none.
inline std::string TextAt(const RecordingCanvas& c, int x, int y) {
  const std::string prefix = At(x, y, "");
  std::string found;
  for (const std::string& t : c.Texts()) {
    if (t.rfind(prefix, 0) == 0) found = t.substr(prefix.size());
  }
  while (!found.empty() && found.back() == ' ') found.pop_back();
  return found;
}

// The last text drawn at (x, y) as it was drawn, blanks and all; "" when none.
inline std::string RawTextAt(const RecordingCanvas& c, int x, int y) {
  const std::string prefix = At(x, y, "");
  std::string found;
  for (const std::string& t : c.Texts()) {
    if (t.rfind(prefix, 0) == 0) found = t.substr(prefix.size());
  }
  return found;
}

// The text colour in force when the last text at (x, y) was drawn; -1 when none was.
inline long long ColourAt(const RecordingCanvas& c, int x, int y) {
  const std::string prefix = At(x, y, "");
  long long colour = -1, found = -1;
  for (const std::string& call : c.calls) {
    if (call.rfind("textcolour ", 0) == 0) colour = std::stoll(call.substr(11));
    if (call.rfind(prefix, 0) == 0) found = colour;
  }
  return found;
}

// Where `line` was first recorded; -1 when it never was.
inline long IndexOf(const RecordingCanvas& c, const std::string& line, std::size_t from = 0) {
  for (std::size_t i = from; i < c.calls.size(); ++i) {
    if (c.calls[i] == line) return static_cast<long>(i);
  }
  return -1;
}

template <typename R>
R MakeRecord(const std::vector<uint8_t>& bytes) {
  R r;
  r.Assign(bytes);
  return r;
}

}  // namespace orv::test
