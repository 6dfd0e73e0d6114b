// Hexadecimal rows of the pages that show opaque records.
#include "windows/FieldTable.h"

#include <algorithm>

#include "util/Format.h"

namespace orv {

namespace {
std::size_t RowWidth(const HexBlock& block) { return block.perRow * 2 + block.perRow / 2 + 2; }
std::string OffsetText(std::size_t offset) { return Format(offset < 256 ? "%02zX:" : "%03zX:", offset); }
}  // namespace

void DrawTableHeader(Canvas& canvas, int y, std::span<const TableColumn> columns, std::span<const char* const> titles) {
  for (std::size_t i = 0; i < columns.size() && i < titles.size(); ++i) canvas.TextOut(columns[i].x, y, titles[i]);
}

void DrawTableRow(Canvas& canvas, int y, std::span<const TableColumn> columns, std::span<const std::string> cells) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    ValueOut(canvas, columns[i].x, y, i < cells.size() ? cells[i] : std::string(), columns[i].width);
  }
}

void DrawHexOffsets(Canvas& canvas, const HexBlock& block) {
  if (block.variableLength) return;
  for (std::size_t r = 0; r < block.rows; ++r) {
    canvas.TextOut(block.labelX, block.y + static_cast<int>(r) * block.rowStep, OffsetText(r * block.perRow));
  }
}

void DrawHexRows(Canvas& canvas, const HexBlock& block, std::span<const uint8_t> bytes) {
  for (std::size_t r = 0; r < block.rows; ++r) {
    const std::size_t offset = r * block.perRow;
    const int y = block.y + static_cast<int>(r) * block.rowStep;
    const bool data = offset < bytes.size();
    std::string text;
    if (data) text = HexWords(bytes.subspan(offset, std::min(block.perRow, bytes.size() - offset)));
    ValueOut(canvas, block.valueX, y, text, RowWidth(block));
    if (block.variableLength) ValueOut(canvas, block.labelX, y, data ? OffsetText(offset) : std::string(), 6);
  }
}

}  // namespace orv
