// The part number window (45), the base status window (47) and the predicted and matched
// relative solution windows (18, 19).
#pragma once

#include <string>

#include "windows/Page.h"

namespace orv {

class CPartNumberWnd : public RecordPage<PartNumberRecord> {
 public:
  explicit CPartNumberWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

class CBaseStatusWnd : public RecordPage<BaseStatusRecord> {
 public:
  static constexpr int kEntryRows = 6;
  explicit CBaseStatusWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;

 private:
  // Entry rows drawn since the page was last painted whole: a shorter list blanks them all.
  int rowsShown_ = 0;
};

// The twins share one page; they differ in their title, CEP label, request and command.
template <typename Record>
class SolutionPage : public RecordPage<Record> {
 public:
  SolutionPage(const PageSpec& spec, const PageContext& context, const char* cepLabel)
      : RecordPage<Record>(spec, context), cepLabel_(cepLabel) {}

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;

 private:
  const char* cepLabel_;
};

class CPredictedSolutionWnd : public SolutionPage<PredictedSolutionRecord> {
 public:
  explicit CPredictedSolutionWnd(const PageContext& context);
};

class CMatchedSolutionWnd : public SolutionPage<MatchedSolutionRecord> {
 public:
  explicit CMatchedSolutionWnd(const PageContext& context);
};

// The base status page's latitude and longitude lines, from radians.
std::string BaseLatitudeText(double radians);
std::string BaseLongitudeText(double radians);

}  // namespace orv
