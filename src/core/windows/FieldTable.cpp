// Hexadecimal rows of the pages that show opaque records.
#include "windows/FieldTable.h"

#include <algorithm>

#include "util/Format.h"

namespace orv {

namespace {
std::size_t RowWidth(const HexBlock& block) { return block.perRow * 2 + block.perRow / 2 + 2; }
}  // namespace

void DrawHexOffsets(Canvas& canvas, const HexBlock& block) {
  for (std::size_t r = 0; r < block.rows; ++r) {
    const std::size_t offset = r * block.perRow;
    canvas.TextOut(block.labelX, block.y + static_cast<int>(r) * block.rowStep,
                   Format(offset < 256 ? "%02zX:" : "%03zX:", offset));
  }
}

void DrawHexRows(Canvas& canvas, const HexBlock& block, std::span<const uint8_t> bytes) {
  for (std::size_t r = 0; r < block.rows; ++r) {
    const std::size_t offset = r * block.perRow;
    std::string text;
    if (offset < bytes.size()) text = HexWords(bytes.subspan(offset, std::min(block.perRow, bytes.size() - offset)));
    ValueOut(canvas, block.valueX, block.y + static_cast<int>(r) * block.rowStep, text, RowWidth(block));
  }
}

}  // namespace orv
