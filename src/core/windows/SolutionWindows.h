// The part number window (45), the base status window (47) and the predicted and matched
// relative solution windows (18, 19), each on a plain page of its fields.
#pragma once

#include "windows/FieldTable.h"

namespace orv {

class CPartNumberWnd : public TablePage<PartNumberRecord> {
 public:
  explicit CPartNumberWnd(const PageContext& context);
};

class CBaseStatusWnd : public TablePage<BaseStatusRecord> {
 public:
  static constexpr int kEntryRows = 6;
  explicit CBaseStatusWnd(const PageContext& context);

 protected:
  void DrawValues(Canvas& canvas) override;
};

class CPredictedSolutionWnd : public TablePage<PredictedSolutionRecord> {
 public:
  explicit CPredictedSolutionWnd(const PageContext& context);
};

class CMatchedSolutionWnd : public TablePage<MatchedSolutionRecord> {
 public:
  explicit CMatchedSolutionWnd(const PageContext& context);
};

}  // namespace orv
