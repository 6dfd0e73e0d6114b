// Value fields remembered by their cells, and the erase of the update path.
#include "windows/ValueCanvas.h"

namespace orv {

ValueCells::Cell* ValueCells::Slot(const ValueCellKey& key, bool& added) {
  added = false;
  if (const auto it = cells_.find(key); it != cells_.end()) return &it->second;
  if (cells_.size() >= kMaxCells) return nullptr;
  added = true;
  return &cells_.emplace(key, Cell{}).first->second;
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
    bool added = false;
    ValueCells::Cell* slot = cells_.Slot(key, added);
    const ValueCells::Cell* before = added ? nullptr : slot;
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
    if (slot != nullptr) {
      slot->rect = cell;
      slot->lookKnown = lookKnown;
      if (lookKnown) {
        // Assigned in place: the strings keep their room, so a changed value costs no allocation.
        slot->look.text.assign(text);
        slot->look.font = font_;
        slot->look.textColour = textColour_;
        slot->look.background = background_;
      }
    }
  }
  target_.TextOut(x, y, text);
}

}  // namespace orv
