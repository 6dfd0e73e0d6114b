// Value fields remembered by their cells, and the erase of the update path.
#include "windows/ValueCanvas.h"

namespace orv {

const ValueCells::Cell* ValueCells::Find(const ValueCellKey& key) const {
  const auto it = cells_.find(key);
  return it == cells_.end() ? nullptr : &it->second;
}

void ValueCells::Remember(const ValueCellKey& key, const PixelRect& rect, const ValueLook* look) {
  auto it = cells_.find(key);
  if (it == cells_.end()) {
    if (cells_.size() >= kMaxCells) return;
    it = cells_.emplace(key, Cell{}).first;
  }
  it->second.rect = rect;
  it->second.lookKnown = look != nullptr;
  if (look != nullptr) it->second.look = *look;
}

ValueCanvas::ValueCanvas(Canvas& target, ValueCells& cells, bool erase)
    : target_(target), cells_(cells), erase_(erase), background_(target.WindowColour()) {}

void ValueCanvas::SetBackgroundMode(BackgroundMode mode) {
  opaque_ = mode == BackgroundMode::Opaque;
  target_.SetBackgroundMode(mode);
}

void ValueCanvas::SetBackgroundColour(Colour c) {
  background_ = c;
  target_.SetBackgroundColour(c);
}

void ValueCanvas::SetTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  target_.SetTextAlignment(alignment);
}

// An opaque text fills its own cell; only what the field's earlier text covered beyond it
// needs the erase.
void ValueCanvas::TextOut(int x, int y, const std::string& text) {
  if (opaque_) {
    const ValueCellKey key{x, y, alignment_};
    const ValueCells::Cell* before = cells_.Find(key);
    const bool lookKnown = fontKnown_ && textColourKnown_;
    if (erase_ && lookKnown && before != nullptr && before->lookKnown && !cells_.valuesDrawShapes() &&
        before->look.text == text && before->look.font == font_ && before->look.textColour == textColour_ &&
        before->look.background == background_) {
      return;  // the surface shows this text already
    }
    const PixelRect cell = TextCell(x, y, target_.GetTextExtent(text), alignment_);
    if (erase_ && before != nullptr && !cell.contains(before->rect)) {
      const PixelRect r = Union(before->rect, cell);
      target_.FillRect(r.left, r.top, r.right, r.bottom, background_);
    }
    if (lookKnown) {
      const ValueLook look{text, font_, textColour_, background_};
      cells_.Remember(key, cell, &look);
    } else {
      cells_.Remember(key, cell, nullptr);
    }
  }
  target_.TextOut(x, y, text);
}

}  // namespace orv
