// The service windows whose records carry no documented field layout: the file manager's
// information answers (message 70 sub-IDs 2, 3, 7 and 8), the ionospheric and UTC parameters
// (75), the initiated BIT result (51), the test controllers (2), the A/D configuration and FPU
// memory dump (114) and the beacon receiver status (85). Each shows the fields that are known
// by name and every byte of its record in hexadecimal, each row under its byte offset.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "windows/FieldTable.h"
#include "windows/MessageWindows.h"

namespace orv {

// The bytes a page shows in hexadecimal: the whole record, or the FPU dump's block.
template <typename Record>
std::span<const uint8_t> PageBytes(const Record& record) {
  return record.bytes();
}
inline std::span<const uint8_t> PageBytes(const FpuMemoryDumpRecord& record) { return record.block(); }

// A record's named fields over a hexadecimal block of all its bytes.
template <typename Record>
class HexFieldPage : public RecordPage<Record> {
 public:
  HexFieldPage(const PageSpec& spec, const PageContext& context, std::span<const FieldRow<Record>> fields,
               const HexBlock& block)
      : RecordPage<Record>(spec, context), fields_(fields), block_(block) {}

 protected:
  void DrawLabels(Canvas& canvas) override {
    DrawFieldLabels(canvas, kColumns, fields_);
    canvas.TextOut(kColumns.labelX, block_.y - 18, "Data (hex):");
    DrawHexOffsets(canvas, block_);
  }
  void DrawValues(Canvas& canvas) override {
    DrawFieldValues(canvas, kColumns, fields_, *this->record());
    DrawHexRows(canvas, block_, PageBytes(*this->record()));
  }

  static constexpr Columns kColumns{16, 120, 0, 20};

 private:
  std::span<const FieldRow<Record>> fields_;
  HexBlock block_;
};

class CQuenmarshFileInfoWnd : public HexFieldPage<FileInfoRecord> {
 public:
  static constexpr int kFileRequest = pagecmd::kSpecific1;
  explicit CQuenmarshFileInfoWnd(const PageContext& context);

 protected:
  void OnPageCommand(int command) override;
};

class CQuenmarshStatusConfigWnd : public HexFieldPage<StatusConfigRecord> {
 public:
  static constexpr int kOneShotRequest = pagecmd::kSpecific1;
  static constexpr int kContinuousRequest = pagecmd::kSpecific2;
  explicit CQuenmarshStatusConfigWnd(const PageContext& context);

 protected:
  void OnPageCommand(int command) override;
};

// Stored only while the window is open: its link sets the store's memory-information flag.
class CQuenmarshMemoryInfoWnd : public HexFieldPage<MemoryInfoRecord> {
 public:
  static constexpr int kRequest = pagecmd::kSpecific1;
  explicit CQuenmarshMemoryInfoWnd(const PageContext& context);

 protected:
  void OnPageCommand(int command) override;
};

// Stored only while the window is open: its link sets the store's file-header flag.
class CQuenmarshFileHeaderWnd : public HexFieldPage<FileHeaderRecord> {
 public:
  static constexpr int kRequest = pagecmd::kSpecific1;
  explicit CQuenmarshFileHeaderWnd(const PageContext& context);

 protected:
  void OnPageCommand(int command) override;
};

class CQuenmarshIonoUtcWnd : public HexFieldPage<IonoUtcRecord> {
 public:
  explicit CQuenmarshIonoUtcWnd(const PageContext& context);
};

class CBitWnd : public HexFieldPage<BitResultRecord> {
 public:
  explicit CBitWnd(const PageContext& context);
};

class CAteControllerWnd : public HexFieldPage<AteControllerRecord> {
 public:
  explicit CAteControllerWnd(const PageContext& context);
};

class CBeaconRxStatusWnd : public HexFieldPage<BeaconRxStatusRecord> {
 public:
  explicit CBeaconRxStatusWnd(const PageContext& context);
};

class CQuenmarshAdConfigWnd : public HexFieldPage<AdDataRecord> {
 public:
  explicit CQuenmarshAdConfigWnd(const PageContext& context);
};

// The block's length is what the message says: the rows follow it.
class CQuenmarshFpuMemoryDumpWnd : public HexFieldPage<FpuMemoryDumpRecord> {
 public:
  explicit CQuenmarshFpuMemoryDumpWnd(const PageContext& context);
};

// The second controller variant's data is not stored: the window keeps a copy of the last.
class CVelmoraAteWnd : public Page, public TestControllerWindowLink {
 public:
  static constexpr std::size_t kMaxBytes = 254;
  explicit CVelmoraAteWnd(const PageContext& context);
  void ShowData(std::span<const uint8_t> data) override;
  bool hasRecord() const override { return shown_; }
  std::span<const uint8_t> data() const { return data_; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override;

 private:
  std::vector<uint8_t> data_;
  bool shown_ = false;
};

// The catalogue of the service windows: these, the file manager and the memory dump window.
std::span<const PageKind> ServicePageKinds();

}  // namespace orv
