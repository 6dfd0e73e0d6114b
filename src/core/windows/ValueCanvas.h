// The canvas a page draws its values on: it remembers the cell each value text covered, so
// that an update erases all of a longer earlier text, whatever the width of the face's blanks.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <string>

#include "platform/Canvas.h"

namespace orv {

// Where a value is drawn: the same text position and alignment is the same value field.
struct ValueCellKey {
  int x = 0;
  int y = 0;
  TextAlignment alignment;
  auto operator<=>(const ValueCellKey&) const = default;
};

// Every value drawn looks its cell up: hashed, not ordered.
struct ValueCellKeyHash {
  std::size_t operator()(const ValueCellKey& k) const {
    const auto packed = static_cast<uint64_t>(static_cast<uint32_t>(k.x)) << 32 ^ static_cast<uint64_t>(static_cast<uint32_t>(k.y)) << 4 ^
                        static_cast<uint64_t>(k.alignment.horizontal) << 2 ^ static_cast<uint64_t>(k.alignment.vertical);
    return std::hash<uint64_t>{}(packed * 0x9E3779B97F4A7C15ull);
  }
};

// How a value text was drawn: a field whose text and look are those it already shows on the
// surface need not be drawn again.
struct ValueLook {
  std::string text;
  FontSpec font;
  Colour textColour = 0;
  Colour background = 0;
  bool operator==(const ValueLook&) const = default;
};

// The rectangle the last text of each value field covered, and what that text was.
class ValueCells {
 public:
  // Far more fields than any page has; texts at positions that move with the data (a label
  // beside a plotted point) would otherwise be remembered without end.
  static constexpr std::size_t kMaxCells = 4096;

  struct Cell {
    PixelRect rect;
    ValueLook look;
    bool lookKnown = false;
  };

  // A full paint starts afresh: nothing is on the surface yet.
  void Forget() {
    cells_.clear();
    valuesDrawShapes_ = false;
  }
  // The key's cell, added (and `added` set) when the key is new; null when the table is full.
  // One look-up serves both the comparison with what the field shows and the update after it.
  Cell* Slot(const ValueCellKey& key, bool& added);
  std::size_t size() const { return cells_.size(); }

  // A page whose values include lines, rectangles or marks may draw over its texts or move
  // them: its fields are always drawn again.
  void NoteShape() { valuesDrawShapes_ = true; }
  bool valuesDrawShapes() const { return valuesDrawShapes_; }

 private:
  std::unordered_map<ValueCellKey, Cell, ValueCellKeyHash> cells_;
  bool valuesDrawShapes_ = false;
};

// Passes every call on to the page's canvas. A text drawn with an opaque background is a value
// field: its cell is remembered, and when `erase` is set the union of the cell its field had
// and the new text's cell is filled with the background colour first. A transparent text
// (drawn over a plot) is neither remembered nor erased. On the update path (`erase`) a field
// that would be drawn with the text, font and colours it already shows is left as it is, so a
// busy page paints only the values that changed; a page that draws shapes among its values
// is always drawn whole.
class ValueCanvas final : public Canvas {
 public:
  ValueCanvas(Canvas& target, ValueCells& cells, bool erase);

  void SetFont(const FontSpec& font) override {
    font_ = font;
    fontKnown_ = true;
    target_.SetFont(font);
  }
  void SetTextColour(Colour c) override {
    textColour_ = c;
    textColourKnown_ = true;
    target_.SetTextColour(c);
  }
  void SetBackgroundMode(BackgroundMode mode) override;
  void SetBackgroundColour(Colour c) override;
  void SetTextAlignment(TextAlignment alignment) override;
  void TextOut(int x, int y, const std::string& text) override;
  TextExtent GetTextExtent(const std::string& text) override { return target_.GetTextExtent(text); }
  void SetPen(PenStyle style, int width, Colour c) override { target_.SetPen(style, width, c); }
  void SetBrush(Colour c) override { target_.SetBrush(c); }
  void SetNoBrush() override { target_.SetNoBrush(); }
  void MoveTo(int x, int y) override { target_.MoveTo(x, y); }
  void LineTo(int x, int y) override {
    cells_.NoteShape();
    target_.LineTo(x, y);
  }
  void Rectangle(int left, int top, int right, int bottom) override {
    cells_.NoteShape();
    target_.Rectangle(left, top, right, bottom);
  }
  void FillRect(int left, int top, int right, int bottom, Colour c) override {
    cells_.NoteShape();
    target_.FillRect(left, top, right, bottom, c);
  }
  void Ellipse(int left, int top, int right, int bottom) override {
    cells_.NoteShape();
    target_.Ellipse(left, top, right, bottom);
  }
  void DrawCornerBitmap(int x, int y) override {
    cells_.NoteShape();
    target_.DrawCornerBitmap(x, y);
  }
  AreaSize GetAreaSize() const override { return target_.GetAreaSize(); }
  Colour WindowTextColour() const override { return target_.WindowTextColour(); }
  Colour WindowColour() const override { return target_.WindowColour(); }

 private:
  Canvas& target_;
  ValueCells& cells_;
  bool erase_;
  // The page's own choice: the full paint draws values transparent on a fresh surface, yet a
  // value the update path draws opaque is a field there too.
  bool opaque_ = true;
  Colour background_;
  TextAlignment alignment_;
  // The look texts get, as far as this canvas has seen it set.
  FontSpec font_;
  bool fontKnown_ = false;
  Colour textColour_ = 0;
  bool textColourKnown_ = false;
};

}  // namespace orv
