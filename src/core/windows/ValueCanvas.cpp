// Value fields remembered by their cells, and the erase of the update path.
#include "windows/ValueCanvas.h"

namespace orv {

const PixelRect* ValueCells::Find(const ValueCellKey& key) const {
  const auto it = cells_.find(key);
  return it == cells_.end() ? nullptr : &it->second;
}

void ValueCells::Remember(const ValueCellKey& key, const PixelRect& rect) {
  const auto it = cells_.find(key);
  if (it != cells_.end()) {
    it->second = rect;
  } else if (cells_.size() < kMaxCells) {
    cells_.emplace(key, rect);
  }
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
    const PixelRect cell = TextCell(x, y, target_.GetTextExtent(text), alignment_);
    const PixelRect* before = cells_.Find(key);
    if (erase_ && before != nullptr && !cell.contains(*before)) {
      const PixelRect r = Union(*before, cell);
      target_.FillRect(r.left, r.top, r.right, r.bottom, background_);
    }
    cells_.Remember(key, cell);
  }
  target_.TextOut(x, y, text);
}

}  // namespace orv
