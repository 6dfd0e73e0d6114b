// Texts shared by the message pages: the navigation and system mode names, value fields padded
// with blanks, opaque bytes as hexadecimal groups, and (through geodesy/AngleText.h) latitude
// and longitude in degrees, minutes and seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "geodesy/AngleText.h"
#include "platform/Canvas.h"

namespace orv {

// The 32 navigation mode names, by the mode's low five bits.
const char* NavModeName(int mode);
// The system mode names of the navigation solution, 0 to 4; null for 5 to 7.
const char* NavSystemModeName(int mode);

// `text` with blanks added up to `width` characters; a longer text is kept whole.
std::string PadRight(std::string text, std::size_t width);

// `text` with every byte outside printable ASCII (0x20 to 0x7E) shown as '.', so that a
// receiver's text keeps its width in a fixed column whatever it holds.
std::string PrintableText(std::string text);

// Bytes in the order they came, two hexadecimal digits each, grouped two by two ("0A1B 2C3D").
std::string HexWords(std::span<const uint8_t> bytes);

// Draws a value padded to `width` characters, so that it erases a longer previous value.
inline void ValueOut(Canvas& canvas, int x, int y, const std::string& text, std::size_t width) {
  canvas.TextOut(x, y, PadRight(text, width));
}

}  // namespace orv
