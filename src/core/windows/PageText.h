// Texts shared by the message pages: latitude and longitude in degrees, minutes and seconds,
// the navigation and system mode names, value fields padded with blanks, and opaque bytes
// as hexadecimal groups.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/Canvas.h"

namespace orv {

// "N  045 30'12.348\" (Deg)" from radians: hemisphere letter, two blanks (one for a
// longitude), degrees, minutes and seconds.
std::string LatitudeText(double radians);
std::string LongitudeText(double radians);

// The 32 navigation mode names, by the mode's low five bits.
const char* NavModeName(int mode);
// The system mode names of the navigation solution, 0 to 4; null for 5 to 7.
const char* NavSystemModeName(int mode);

// `text` with blanks added up to `width` characters; a longer text is kept whole.
std::string PadRight(std::string text, std::size_t width);

// Bytes in the order they came, two hexadecimal digits each, grouped two by two ("0A1B 2C3D").
std::string HexWords(std::span<const uint8_t> bytes);

// Draws a value padded to `width` characters, so that it erases a longer previous value.
inline void ValueOut(Canvas& canvas, int x, int y, const std::string& text, std::size_t width) {
  canvas.TextOut(x, y, PadRight(text, width));
}

}  // namespace orv
