// What a page needs to draw: fonts by face, height and weight, text with a colour, background
// mode and alignment, pens, brushes, lines, rectangles, ellipses and the small corner bitmap.
// Coordinates are pixels of the window's client area. The desktop paints with Qt; tests record
// the calls.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// 0x00BBGGRR, as the pages give their colours.
using Colour = uint32_t;
constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (static_cast<uint32_t>(b) << 16); }
inline constexpr uint8_t ColourRed(Colour c) { return c & 0xFF; }
inline constexpr uint8_t ColourGreen(Colour c) { return (c >> 8) & 0xFF; }
inline constexpr uint8_t ColourBlue(Colour c) { return (c >> 16) & 0xFF; }

// Faces by the names the pages use; the desktop maps them to installed families.
inline constexpr const char* kFaceSansSerif = "MS Sans Serif";
inline constexpr const char* kFaceFixed = "FixedSys";

struct FontSpec {
  std::string face;
  int height = 10;   // pixels
  int weight = 400;  // 100..900; 0 means normal (400)
  bool operator==(const FontSpec&) const = default;
};

enum class PenStyle { Solid, Dotted, None };
enum class BackgroundMode { Transparent, Opaque };

// Horizontal reference of TextOut: x is the left edge, the centre or the right edge.
enum class TextAlign { Left, Center, Right };

struct TextExtent {
  int width = 0;
  int height = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void SetFont(const FontSpec& font) = 0;
  virtual void SetTextColour(Colour c) = 0;
  // Opaque: text cells are filled with the background colour first.
  virtual void SetBackgroundMode(BackgroundMode mode) = 0;
  virtual void SetBackgroundColour(Colour c) = 0;
  virtual void SetTextAlign(TextAlign align) = 0;
  // (x, y) is the top of the text cell; x is read through the alignment.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual TextExtent GetTextExtent(const std::string& text) = 0;

  virtual void SetPen(PenStyle style, int width, Colour c) = 0;
  // A brush fills rectangles and ellipses; no brush leaves them hollow.
  virtual void SetBrush(Colour c) = 0;
  virtual void SetNoBrush() = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Right and bottom edges are exclusive.
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
  virtual void FillRect(int left, int top, int right, int bottom, Colour c) = 0;
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
  // The 12 x 16 picture in a window's top-left corner, at (x, y).
  virtual void DrawCornerBitmap(int x, int y) = 0;

  // The system's window text and window background colours.
  virtual Colour WindowTextColour() const = 0;
  virtual Colour WindowColour() const = 0;
};

}  // namespace orv
