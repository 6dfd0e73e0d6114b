// Label/value tables, so that a page is mostly data: each row names its label and the
// function that formats its value from the record. A table page draws them in two columns.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "windows/Page.h"
#include "windows/PageText.h"

namespace orv {

struct Columns {
  int labelX = 16;
  int valueX = 145;
  std::size_t labelWidth = 0;   // labels padded to this many characters
  std::size_t valueWidth = 24;  // values padded to this many characters
};

template <typename Record>
struct FieldRow {
  int y;
  const char* label;                         // null: no label on this row
  std::string (*value)(const Record& record);  // null: no value on this row
  int valueX = 0;                            // 0: the value column
};

template <typename Record>
void DrawFieldLabels(Canvas& canvas, const Columns& columns, std::span<const FieldRow<Record>> rows) {
  for (const FieldRow<Record>& row : rows) {
    if (row.label != nullptr) canvas.TextOut(columns.labelX, row.y, PadRight(row.label, columns.labelWidth));
  }
}

template <typename Record>
void DrawFieldValues(Canvas& canvas, const Columns& columns, std::span<const FieldRow<Record>> rows,
                     const Record& record) {
  for (const FieldRow<Record>& row : rows) {
    if (row.value == nullptr) continue;
    ValueOut(canvas, row.valueX != 0 ? row.valueX : columns.valueX, row.y, row.value(record), columns.valueWidth);
  }
}

// A page drawn entirely from one label/value table. Pages with more to draw derive from it
// and add their own drawing after the table's.
template <typename Record>
class TablePage : public RecordPage<Record> {
 public:
  TablePage(const PageSpec& layout, const PageContext& context, const Columns& columns,
            std::span<const FieldRow<Record>> rows)
      : RecordPage<Record>(layout, context), columns_(columns), rows_(rows) {}

 protected:
  void DrawLabels(Canvas& canvas) override { DrawFieldLabels(canvas, columns_, rows_); }
  void DrawValues(Canvas& canvas) override { DrawFieldValues(canvas, columns_, rows_, *this->record()); }
  const Columns& columns() const { return columns_; }

 private:
  Columns columns_;
  std::span<const FieldRow<Record>> rows_;
};

}  // namespace orv

namespace orv {

// Opaque bytes shown as rows of hexadecimal groups, each row labelled with its byte offset.
struct HexBlock {
  int labelX;
  int valueX;
  int y;                  // first row
  int rowStep;            // pixels between rows
  std::size_t perRow;     // bytes per row
  std::size_t rows;       // rows drawn; those beyond the data are blanked
  // The data's length varies: only rows holding data show their offset.
  bool variableLength = false;
};

// A column of a table of rows: where its cells start and how many characters a cell is
// padded to.
struct TableColumn {
  int x;
  std::size_t width;
};

// Column titles (labels) and one row of cells (values). A row with no cells is drawn blank,
// so a shorter list leaves nothing of a longer one.
void DrawTableHeader(Canvas& canvas, int y, std::span<const TableColumn> columns, std::span<const char* const> titles);
void DrawTableRow(Canvas& canvas, int y, std::span<const TableColumn> columns, std::span<const std::string> cells);

// The offsets of every row ("00:", "08:" ...).
void DrawHexOffsets(Canvas& canvas, const HexBlock& block);
// The rows of `bytes`; rows the data does not reach are drawn blank, so a shorter block
// leaves nothing of a longer one.
void DrawHexRows(Canvas& canvas, const HexBlock& block, std::span<const uint8_t> bytes);

}  // namespace orv
