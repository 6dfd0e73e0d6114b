// The almanac window's table, requests and row storage.
#include "maintenance/AlmanacWindow.h"

#include "ids/CommandIds.h"
#include "protocol/FrameEncoder.h"
#include "util/Format.h"
#include "windows/PageText.h"

namespace orv {

namespace {

constexpr uint8_t kGpsRequest = 1;
constexpr uint8_t kGicRequestCode = 2;
constexpr uint8_t kContinuousBit = 0x80;

constexpr PopupEntry kPopup[] = {
    PageItem(CQuenmarshAlmanacWnd::kGpsOneShot, "GPS Request One Shot"),
    PageItem(CQuenmarshAlmanacWnd::kGpsContinuous, "GPS Request Continuous"),
    PageItem(CQuenmarshAlmanacWnd::kGicRequest, "GIC Request"),
    ClearDataItem(),
};

constexpr int kTitleY = 40;
constexpr int kRowY = 55;
constexpr int kRowStep = 15;
constexpr int kColumns[12] = {20, 82, 144, 206, 268, 330, 392, 454, 516, 578, 640, 702};
// Each value is padded to the width between two columns, so a shorter one covers a longer.
constexpr std::size_t kCellChars = 9;

constexpr PageSpec kSpec{cmd::kWndAlmanac, nullptr, {kFaceSansSerif, 10, 800}, true, kPopup, {}, 770, 545};

const FontSpec kSymbolFont{kFaceSymbol, 16, 700};

// In the Symbol font "w" is omega, "W0" capital omega 0, "dW" omega-dot and 0xD6 the root sign.
struct ColumnTitle {
  const char* text;
  bool symbol;
};
constexpr ColumnTitle kTitles[12] = {
    {"#SV", false}, {"toa", false}, {"Af0", false}, {"Af1", false}, {"M0", false}, {"w", true},
    {"W0", true},   {"dW", true},   {"\xD6" "A", true}, {"i", false}, {"e", false}, {"Week", false},
};

const char* TypeLine(int svType) {
  switch (svType) {
    case 0: return "Satellites type: GLONASS        ";
    case 1: return "Satellites type: GPS            ";
    default: return "Satellites type: GIC            ";
  }
}

int RowOf(const AlmanacRecord& r) {
  switch (r.svType()) {
    case 0: return r.prn();
    case 1: return r.prn() - 1;
    case 2: return r.prn() - 120;
    default: return -1;
  }
}

}  // namespace

CQuenmarshAlmanacWnd::CQuenmarshAlmanacWnd(const PageContext& context) : RecordPage(kSpec, context) {}

void CQuenmarshAlmanacWnd::ShowRecord(const AlmanacRecord& record) {
  const int row = RowOf(record);
  if (row < 0 || row >= kRows) return;
  rows_[static_cast<std::size_t>(row)].Assign(record.bytes());
  SetRecord(record);
}

bool CQuenmarshAlmanacWnd::hasRecord() const {
  for (const AlmanacRecord& r : rows_) {
    if (!RowEmpty(r)) return true;
  }
  return false;
}

void CQuenmarshAlmanacWnd::ClearRecord() {
  for (AlmanacRecord& r : rows_) r.Clear();
  RecordPage::ClearRecord();
}

void CQuenmarshAlmanacWnd::OnPageCommand(int command) {
  if (encoder() == nullptr) return;
  if (command == kGpsOneShot) encoder()->SendAlmanacRequest(kGpsRequest);
  if (command == kGpsContinuous) encoder()->SendAlmanacRequest(kGpsRequest | kContinuousBit);
  if (command == kGicRequest) encoder()->SendAlmanacRequest(kGicRequestCode);
}

void CQuenmarshAlmanacWnd::DrawLabels(Canvas& canvas) {
  for (int c = 0; c < 12; ++c) {
    if (kTitles[c].symbol) canvas.SetFont(kSymbolFont);
    canvas.TextOut(kColumns[c], kTitleY, kTitles[c].text);
    if (kTitles[c].symbol) canvas.SetFont(font());
  }
}

void CQuenmarshAlmanacWnd::DrawValues(Canvas& canvas) {
  for (int row = 0; row < kRows; ++row) {
    const AlmanacRecord& r = rows_[static_cast<std::size_t>(row)];
    if (RowEmpty(r)) continue;
    const int y = kRowY + kRowStep * row;
    const std::string cells[12] = {
        Format("%d", r.prn()),
        Format("%u", r.toa()),
        Format("%.2G", r.af0()),
        Format("%.2G", r.af1()),
        Format("%.2G", r.meanAnomaly()),
        Format("%.3f", r.argumentOfPerigee()),
        Format("%.2G", r.rightAscension()),
        // Each value under its own title: omega-dot comes before root A on the page, though
        // the report carries root A first.
        Format("%.2G", r.rateOfRightAscension()),
        Format("%.2G", r.sqrtA()),
        Format("%.3f", r.inclination()),
        Format("%.2G", r.eccentricity()),
        Format("%d", r.week()),
    };
    for (int c = 0; c < 12; ++c) ValueOut(canvas, kColumns[c], y, cells[c], kCellChars);
    canvas.TextOut(20, 2, TypeLine(r.svType()));
  }
}

namespace {
using L = WindowLinks;
constexpr PageKind kKinds[] = {
    {cmd::kWndAlmanac, MakePage<CQuenmarshAlmanacWnd>, StoreLink<&L::almanac>, false},
};
}  // namespace

std::span<const PageKind> MaintenancePageKinds() { return kKinds; }

}  // namespace orv
