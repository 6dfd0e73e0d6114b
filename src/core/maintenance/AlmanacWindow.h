// The almanac window (message 76): the almanac the receiver reports, one row per satellite in a
// 32-row table, and the requests that ask for it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "protocol/records/MaintenanceRecords.h"
#include "windows/MessageWindows.h"
#include "windows/Page.h"

namespace orv {

inline constexpr const char* kFaceSymbol = "Symbol";

class CQuenmarshAlmanacWnd : public RecordPage<AlmanacRecord> {
 public:
  static constexpr int kRows = 32;
  static constexpr int kGpsOneShot = pagecmd::kSpecific1;
  static constexpr int kGpsContinuous = pagecmd::kSpecific2;
  static constexpr int kGicRequest = pagecmd::kSpecific3;

  explicit CQuenmarshAlmanacWnd(const PageContext& context);

  // A report goes into the row of its satellite: the PRN field for GLONASS, PRN - 1 for GPS,
  // PRN - 120 for GIC; a report that names no row 0-31 is dropped.
  void ShowRecord(const AlmanacRecord& record) override;
  bool hasRecord() const override;
  // The row's copy of its report; an empty row's first byte is 0.
  const AlmanacRecord& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
  static bool RowEmpty(const AlmanacRecord& r) { return r.bytes()[0] == 0; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override;
  void OnPageCommand(int command) override;

 private:
  std::array<AlmanacRecord, kRows> rows_{};
};

// The catalogue of the maintenance windows.
std::span<const PageKind> MaintenancePageKinds();

}  // namespace orv
