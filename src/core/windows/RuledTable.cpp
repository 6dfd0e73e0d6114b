// Column positions and rules of the ruled tables.
#include "windows/RuledTable.h"

#include <string>

namespace orv {

namespace {
constexpr int kFirstX = 2;
constexpr int kColumnGap = 5;
}  // namespace

RuledColumns::RuledColumns(Canvas& canvas, std::span<const char* const> headers) {
  x_.push_back(kFirstX);
  for (std::size_t k = 1; k < headers.size(); ++k) {
    x_.push_back(x_.back() + canvas.GetTextExtent(headers[k - 1]).width + kColumnGap);
    if (std::string(headers[k]).empty()) break;
  }
  count_ = static_cast<int>(x_.size()) - 2;
  if (count_ < 0) count_ = 0;
}

int RuledColumns::x(int k) const {
  if (x_.empty()) return kFirstX;
  if (k < 0) k = 0;
  if (k >= static_cast<int>(x_.size())) k = static_cast<int>(x_.size()) - 1;
  return x_[static_cast<std::size_t>(k)];
}

void DrawRuledTable(Canvas& canvas, const RuledColumns& columns, std::span<const char* const> headers, int top,
                    int bottom, int ruleY, int headerY) {
  const int left = columns.x(0);
  const int right = columns.x(columns.count() + 1);
  canvas.SetPen(PenStyle::Solid, 1, canvas.WindowTextColour());
  canvas.SetNoBrush();
  canvas.Rectangle(left, top, right, bottom);
  canvas.MoveTo(left, ruleY);
  canvas.LineTo(right, ruleY);
  for (int k = 1; k < columns.count(); ++k) {
    canvas.MoveTo(columns.x(k + 1) - 2, top);
    canvas.LineTo(columns.x(k + 1) - 2, bottom);
  }
  for (int k = 1; k <= columns.count() && k < static_cast<int>(headers.size()); ++k) {
    canvas.TextOut(columns.x(k), headerY, headers[static_cast<std::size_t>(k)]);
  }
}

}  // namespace orv
