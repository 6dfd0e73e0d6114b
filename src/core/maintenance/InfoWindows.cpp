// Pages of the service windows, and the catalogue that links them, the file manager and the
// memory dump window to their records.
#include "maintenance/InfoWindows.h"

#include <algorithm>

#include "ids/CommandIds.h"
#include "maintenance/FileManager.h"
#include "maintenance/MemoryDumpWindow.h"
#include "protocol/FrameEncoder.h"
#include "util/Format.h"

namespace orv {

namespace {

constexpr PageFont kFont{kFaceSansSerif, 10, 400};
constexpr int kHexLabelX = 16;
constexpr int kHexValueX = 56;
constexpr int kRowStep = 15;

// A block of `bytes` bytes, `perRow` to a row, below `fieldRows` rows of named fields.
constexpr HexBlock Block(int fieldRows, std::size_t bytes, std::size_t perRow = 8, bool variable = false) {
  return HexBlock{kHexLabelX, kHexValueX, 15 + kRowStep * fieldRows + 25, kRowStep, perRow,
                  (bytes + perRow - 1) / perRow, variable};
}
// The page area a block needs: its rows and the widest row of hexadecimal groups.
constexpr int Height(const HexBlock& b) { return b.y + kRowStep * static_cast<int>(b.rows) + 10; }
constexpr int Width(const HexBlock& b) { return std::max(260, kHexValueX + 8 * static_cast<int>(b.perRow * 5 / 2) + 20); }

constexpr PopupEntry kClearOnly[] = {ClearDataItem()};

// ---- 70/2: file information
using Fi = FileInfoRecord;
constexpr FieldRow<Fi> kFileInfoRows[] = {
    {15, "File number:", [](const Fi& r) { return Format("%d", r.fileNumber()); }},
    {30, "File name:", [](const Fi& r) { return PrintableText(r.fileName()); }},
};
constexpr HexBlock kFileInfoBlock = Block(2, Fi::kSize);
constexpr PopupEntry kFileInfoPopup[] = {PageItem(CQuenmarshFileInfoWnd::kFileRequest, "File Request"), ClearDataItem()};
constexpr PageSpec kFileInfoSpec{cmd::kWndFileInformation, nullptr, kFont, true, kFileInfoPopup, {},
                                 Width(kFileInfoBlock), Height(kFileInfoBlock)};

// ---- 70/3: status and configuration
constexpr HexBlock kStatusConfigBlock = Block(0, StatusConfigRecord::kSize);
constexpr PopupEntry kStatusConfigPopup[] = {PageItem(CQuenmarshStatusConfigWnd::kContinuousRequest, "Continuous"),
                                             PageItem(CQuenmarshStatusConfigWnd::kOneShotRequest, "One Shot"),
                                             ClearDataItem()};
constexpr PageSpec kStatusConfigSpec{cmd::kWndStatusConfiguration, nullptr, kFont, true, kStatusConfigPopup, {},
                                     Width(kStatusConfigBlock), Height(kStatusConfigBlock)};

// ---- 70/7: memory information
constexpr HexBlock kMemoryInfoBlock = Block(0, MemoryInfoRecord::kSize);
constexpr PopupEntry kMemoryInfoPopup[] = {PageItem(CQuenmarshMemoryInfoWnd::kRequest, "Memory Info Request"),
                                           ClearDataItem()};
constexpr PageSpec kMemoryInfoSpec{cmd::kWndMemoryInformation, nullptr, kFont, true, kMemoryInfoPopup, {},
                                   Width(kMemoryInfoBlock), Height(kMemoryInfoBlock)};

// ---- 70/8: file header
constexpr HexBlock kFileHeaderBlock = Block(0, FileHeaderRecord::kSize, 16);
constexpr PopupEntry kFileHeaderPopup[] = {PageItem(CQuenmarshFileHeaderWnd::kRequest, "File Header Request"),
                                           ClearDataItem()};
constexpr PageSpec kFileHeaderSpec{cmd::kWndFileHeader, nullptr, kFont, true, kFileHeaderPopup, {},
                                   Width(kFileHeaderBlock), Height(kFileHeaderBlock)};

// ---- 75: ionospheric and UTC parameters
constexpr HexBlock kIonoUtcBlock = Block(0, IonoUtcRecord::kSize);
constexpr PopupEntry kIonoUtcPopup[] = {ContinuousItem(75), OneShotItem(75), ClearDataItem()};
constexpr PageSpec kIonoUtcSpec{cmd::kWndIonoUtc, nullptr, kFont, true, kIonoUtcPopup, {}, Width(kIonoUtcBlock),
                                Height(kIonoUtcBlock)};

// ---- 51: initiated BIT result; the popup asks for a BIT of each level.
constexpr HexBlock kBitBlock = Block(0, BitResultRecord::kSize);
constexpr int kBitItem = 34011;
constexpr PopupEntry kBitPopup[] = {
    FrameItem(kBitItem, "BIT Level 1", cmd::kBitLevel1),         FrameItem(kBitItem + 1, "BIT Level 2", cmd::kBitLevel1 + 1),
    FrameItem(kBitItem + 2, "BIT Level 3", cmd::kBitLevel1 + 2), FrameItem(kBitItem + 3, "BIT Level 4", cmd::kBitLevel1 + 3),
    FrameItem(kBitItem + 4, "BIT Level 5", cmd::kBitLevel1 + 4), FrameItem(kBitItem + 5, "BIT Level 6", cmd::kBitLevel6),
    ClearDataItem()};
constexpr PageSpec kBitSpec{cmd::kWndBit, nullptr, kFont, true, kBitPopup, {}, Width(kBitBlock), Height(kBitBlock)};

// ---- 2, sub-IDs 0-4: ATE controller
using Ate = AteControllerRecord;
constexpr FieldRow<Ate> kAteRows[] = {
    {15, "Sub ID:", [](const Ate& r) { return Format("%u", static_cast<unsigned>(r.bytes()[0])); }},
};
constexpr HexBlock kAteBlock = Block(1, Ate::kSize);
constexpr PageSpec kAteSpec{cmd::kWndAteController, nullptr, kFont, true, kClearOnly, {}, Width(kAteBlock),
                            Height(kAteBlock)};

// ---- 85: beacon receiver status
constexpr HexBlock kBeaconBlock = Block(0, BeaconRxStatusRecord::kSize);
constexpr PopupEntry kBeaconPopup[] = {ContinuousItem(85), OneShotItem(85), ClearDataItem()};
constexpr PageSpec kBeaconSpec{cmd::kWndBeaconRxStatus, nullptr, kFont, true, kBeaconPopup, {}, Width(kBeaconBlock),
                               Height(kBeaconBlock)};

// ---- 114/1: A/D configuration
constexpr HexBlock kAdBlock = Block(0, AdDataRecord::kSize);
constexpr PopupEntry kAdPopup[] = {FrameItem(pagecmd::kSpecific1, "A/D Config", cmd::kAdConfig),
                                   FrameItem(pagecmd::kSpecific2, "A/D Command", cmd::kAdCommand), ClearDataItem()};
constexpr PageSpec kAdSpec{cmd::kWndAdConfig, nullptr, kFont, true, kAdPopup, {}, Width(kAdBlock), Height(kAdBlock)};

// ---- 114/4: FPU memory dump, up to 255 bytes
using Fpu = FpuMemoryDumpRecord;
constexpr FieldRow<Fpu> kFpuRows[] = {
    {15, "Parameter:", [](const Fpu& r) { return Format("0x%02X", static_cast<unsigned>(r.parameter())); }},
    {30, "Byte count:", [](const Fpu& r) { return Format("%d", r.count()); }},
};
constexpr HexBlock kFpuBlock = Block(2, 255, 16, true);
constexpr PopupEntry kFpuPopup[] = {
    FrameItem(pagecmd::kSpecific1, "FPU Memory Dump (114-4)", cmd::kFpuMemoryDumpRequest), ClearDataItem()};
constexpr PageSpec kFpuSpec{cmd::kWndFpuMemoryDump, nullptr, kFont, true, kFpuPopup, {}, Width(kFpuBlock),
                            Height(kFpuBlock)};

// ---- 2, sub-ID 10: the second controller variant
constexpr HexBlock kVelmoraBlock = Block(1, CVelmoraAteWnd::kMaxBytes, 16, true);
constexpr PageSpec kVelmoraSpec{cmd::kWndVelmoraAte, nullptr, kFont, true, kClearOnly, {}, Width(kVelmoraBlock),
                                Height(kVelmoraBlock)};

}  // namespace

CQuenmarshFileInfoWnd::CQuenmarshFileInfoWnd(const PageContext& context)
    : HexFieldPage(kFileInfoSpec, context, kFileInfoRows, kFileInfoBlock) {}

// An all-zero name lists every file the receiver holds.
void CQuenmarshFileInfoWnd::OnPageCommand(int command) {
  if (command == kFileRequest && encoder() != nullptr) encoder()->SendFileRequest("");
}

CQuenmarshStatusConfigWnd::CQuenmarshStatusConfigWnd(const PageContext& context)
    : HexFieldPage(kStatusConfigSpec, context, {}, kStatusConfigBlock) {}

void CQuenmarshStatusConfigWnd::OnPageCommand(int command) {
  if (encoder() == nullptr) return;
  if (command == kOneShotRequest) encoder()->SendStatusConfigRequest(false);
  if (command == kContinuousRequest) encoder()->SendStatusConfigRequest(true);
}

CQuenmarshMemoryInfoWnd::CQuenmarshMemoryInfoWnd(const PageContext& context)
    : HexFieldPage(kMemoryInfoSpec, context, {}, kMemoryInfoBlock) {}

void CQuenmarshMemoryInfoWnd::OnPageCommand(int command) {
  if (command == kRequest && encoder() != nullptr) encoder()->SendMemoryInfoRequest();
}

CQuenmarshFileHeaderWnd::CQuenmarshFileHeaderWnd(const PageContext& context)
    : HexFieldPage(kFileHeaderSpec, context, {}, kFileHeaderBlock) {}

void CQuenmarshFileHeaderWnd::OnPageCommand(int command) {
  if (command == kRequest && encoder() != nullptr) encoder()->SendFileHeaderRequest();
}

CQuenmarshIonoUtcWnd::CQuenmarshIonoUtcWnd(const PageContext& context)
    : HexFieldPage(kIonoUtcSpec, context, {}, kIonoUtcBlock) {}

CBitWnd::CBitWnd(const PageContext& context) : HexFieldPage(kBitSpec, context, {}, kBitBlock) {}

CAteControllerWnd::CAteControllerWnd(const PageContext& context)
    : HexFieldPage(kAteSpec, context, kAteRows, kAteBlock) {}

CBeaconRxStatusWnd::CBeaconRxStatusWnd(const PageContext& context)
    : HexFieldPage(kBeaconSpec, context, {}, kBeaconBlock) {}

CQuenmarshAdConfigWnd::CQuenmarshAdConfigWnd(const PageContext& context)
    : HexFieldPage(kAdSpec, context, {}, kAdBlock) {}

CQuenmarshFpuMemoryDumpWnd::CQuenmarshFpuMemoryDumpWnd(const PageContext& context)
    : HexFieldPage(kFpuSpec, context, kFpuRows, kFpuBlock) {}

CVelmoraAteWnd::CVelmoraAteWnd(const PageContext& context) : Page(kVelmoraSpec, context) {}

void CVelmoraAteWnd::ShowData(std::span<const uint8_t> data) {
  data_.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), kMaxBytes)));
  shown_ = true;
  NotifyValues();
}

void CVelmoraAteWnd::ClearRecord() {
  data_.clear();
  shown_ = false;
}

void CVelmoraAteWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(16, 15, "Byte count:");
  canvas.TextOut(kHexLabelX, kVelmoraBlock.y - 18, "Data (hex):");
}

void CVelmoraAteWnd::DrawValues(Canvas& canvas) {
  ValueOut(canvas, 120, 15, Format("%zu", data_.size()), 8);
  DrawHexRows(canvas, kVelmoraBlock, data_);
}

// ---------------------------------------------------------------------------------------------

namespace {

using L = WindowLinks;

// The memory-information and file-header answers are stored only while their window is open.
void MemoryInfoLink(const PageLinkTargets& targets, Page* page) {
  StoreLink<&L::memoryInfo>(targets, page);
  targets.decoder.store().SetMemoryInfoFlag(page != nullptr);
}
void FileHeaderLink(const PageLinkTargets& targets, Page* page) {
  StoreLink<&L::fileHeader>(targets, page);
  targets.decoder.store().SetFileHeaderFlag(page != nullptr);
}

constexpr PageKind kKinds[] = {
    {cmd::kWndFileManager, MakePage<CQuenmarshFileManagerWnd>, StoreLink<&L::fileManager>, false},
    {cmd::kWndMemoryDump, MakePage<CMemoryDumpWnd>, StoreLink<&L::memoryDump>, false},
    {cmd::kWndFileInformation, MakePage<CQuenmarshFileInfoWnd>, StoreLink<&L::fileInfo>, false},
    {cmd::kWndStatusConfiguration, MakePage<CQuenmarshStatusConfigWnd>, StoreLink<&L::statusConfig>, false},
    {cmd::kWndMemoryInformation, MakePage<CQuenmarshMemoryInfoWnd>, MemoryInfoLink, false},
    {cmd::kWndFileHeader, MakePage<CQuenmarshFileHeaderWnd>, FileHeaderLink, false},
    {cmd::kWndIonoUtc, MakePage<CQuenmarshIonoUtcWnd>, StoreLink<&L::ionoUtc>, false},
    {cmd::kWndBit, MakePage<CBitWnd>, StoreLink<&L::bitResult>, false},
    {cmd::kWndAteController, MakePage<CAteControllerWnd>, StoreLink<&L::ateController>, false},
    {cmd::kWndVelmoraAte, MakePage<CVelmoraAteWnd>, StoreLink<&L::testController2>, false},
    {cmd::kWndBeaconRxStatus, MakePage<CBeaconRxStatusWnd>, StoreLink<&L::beaconStatus>, false},
    {cmd::kWndAdConfig, MakePage<CQuenmarshAdConfigWnd>, StoreLink<&L::adConfig>, false},
    {cmd::kWndFpuMemoryDump, MakePage<CQuenmarshFpuMemoryDumpWnd>, StoreLink<&L::fpuMemoryDump>, false},
};

}  // namespace

std::span<const PageKind> ServicePageKinds() { return kKinds; }

}  // namespace orv
