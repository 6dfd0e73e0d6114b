// The ruled tables of the channel assignment and satellite status windows: columns as wide as
// their headers in the window font, a frame, a rule under the headers and one between columns.
#pragma once

#include <span>
#include <vector>

#include "platform/Canvas.h"

namespace orv {

// Column positions of a header table whose first slot is the empty first column and whose
// end is an empty slot: x[0] = 2, x[k] = x[k - 1] + width of header k - 1 + 5, up to the
// empty header that ends it. count() is the number of headed columns (1 to count()).
class RuledColumns {
 public:
  RuledColumns(Canvas& canvas, std::span<const char* const> headers);
  int count() const { return count_; }
  // x[k], k = 0 to count() + 1; the last one is the frame's right edge.
  int x(int k) const;

 private:
  std::vector<int> x_;
  int count_ = 0;
};

// The frame from (x[0], top) to (x[count + 1], bottom), the rule at y = ruleY across it, a
// separator at x[k + 1] - 2 after every column but the last, and header k at (x[k], headerY).
void DrawRuledTable(Canvas& canvas, const RuledColumns& columns, std::span<const char* const> headers, int top,
                    int bottom, int ruleY, int headerY);

}  // namespace orv
