// What a page needs to draw: fonts by face, height and weight, text with a colour, background
// mode and alignment, pens, brushes, lines, rectangles, ellipses and the small corner bitmap.
// Coordinates are pixels of the area drawn in (a window's client area, a printed page). The
// desktop paints with Qt; tests record the calls.
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
// Vertical reference of TextOut: y is the top or the bottom edge of the text cell.
enum class TextVAlign { Top, Bottom };

struct TextAlignment {
  TextAlign horizontal = TextAlign::Left;
  TextVAlign vertical = TextVAlign::Top;
  auto operator<=>(const TextAlignment&) const = default;
};

struct TextExtent {
  int width = 0;
  int height = 0;
};

// Pixels from (left, top) up to but not including (right, bottom).
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const PixelRect&) const = default;
  constexpr bool empty() const { return right <= left || bottom <= top; }
  constexpr bool contains(const PixelRect& r) const {
    return r.empty() || (left <= r.left && top <= r.top && r.right <= right && r.bottom <= bottom);
  }
};

// The smallest rectangle holding both; an empty one adds nothing.
constexpr PixelRect Union(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top, a.right > b.right ? a.right : b.right,
          a.bottom > b.bottom ? a.bottom : b.bottom};
}

// The cell a text of `extent` covers when TextOut draws it at (x, y) with `alignment`. Every
// canvas places its texts by this rule, so a page can tell what a text covered.
constexpr PixelRect TextCell(int x, int y, TextExtent extent, TextAlignment alignment) {
  const int left = alignment.horizontal == TextAlign::Left     ? x
                   : alignment.horizontal == TextAlign::Center ? x - extent.width / 2
                                                               : x - extent.width;
  const int top = alignment.vertical == TextVAlign::Top ? y : y - extent.height;
  return {left, top, left + extent.width, top + extent.height};
}

// The size of the area drawn in, in pixels.
struct AreaSize {
  int width = 0;
  int height = 0;
  bool operator==(const AreaSize&) const = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void SetFont(const FontSpec& font) = 0;
  virtual void SetTextColour(Colour c) = 0;
  // Opaque: text cells are filled with the background colour first.
  virtual void SetBackgroundMode(BackgroundMode mode) = 0;
  virtual void SetBackgroundColour(Colour c) = 0;
  // Both references at once, as a device context takes them: naming the horizontal one alone
  // puts y back at the top of the cell.
  void SetTextAlign(TextAlign horizontal, TextVAlign vertical = TextVAlign::Top) {
    SetTextAlignment({horizontal, vertical});
  }
  virtual void SetTextAlignment(TextAlignment alignment) = 0;
  // (x, y) is read through the alignment; the text covers TextCell(x, y, its extent, alignment).
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual TextExtent GetTextExtent(const std::string& text) = 0;

  virtual void SetPen(PenStyle style, int width, Colour c) = 0;
  // A brush fills rectangles and ellipses; no brush leaves them hollow.
  virtual void SetBrush(Colour c) = 0;
  virtual void SetNoBrush() = 0;
  // MoveTo(a); LineTo(b) draws from a up to but not including b, and b becomes the current
  // point. A polyline so draws each joint once, and a line from x - h to x + h covers exactly
  // 2h pixels: a plus mark of half-extent h is 2h pixels across. A line to its own start draws
  // nothing. A wider pen widens the line across its direction; along it the line still stops
  // at b.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Right and bottom edges are exclusive.
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
  virtual void FillRect(int left, int top, int right, int bottom, Colour c) = 0;
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
  // The 12 x 16 picture in a window's top-left corner, at (x, y).
  virtual void DrawCornerBitmap(int x, int y) = 0;

  // The area drawn in: the window's client area, or a printed page. Pages that scale their
  // drawing (plots, printing) scale to it.
  virtual AreaSize GetAreaSize() const = 0;

  // The system's window text and window background colours.
  virtual Colour WindowTextColour() const = 0;
  virtual Colour WindowColour() const = 0;
};

}  // namespace orv
