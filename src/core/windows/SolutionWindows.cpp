// Pages of the part number, base status and relative solution windows.
#include "windows/SolutionWindows.h"

#include <algorithm>

#include "geodesy/AngleText.h"
#include "ids/CommandIds.h"
#include "util/Format.h"
#include "windows/PageText.h"

namespace orv {

namespace {

constexpr PopupEntry kPartNumberPopup[] = {OneShotItem(45), ClearDataItem()};
constexpr PageSpec kPartNumberSpec{cmd::kWndPartNumber, nullptr, {kFaceFixed, 8, 0}, true, kPartNumberPopup, {},
                                   340, 235};
constexpr int kPartLabelX = 25;
constexpr int kPartValueX = 190;
constexpr int kConfigY = 66;  // configuration #2; #3 to #8 follow 13 pixels apart
// The part numbers' texts, fixed-width: anything a receiver sends that is not printable is a
// '.' and keeps its place.
std::string PartText(const std::string& text) { return Format("%-14s ", PrintableText(text).c_str()); }

constexpr PopupEntry kBaseStatusPopup[] = {
    OneShotItem(47),
    ContinuousItem(47),
    FrameItem(pagecmd::kSpecific1, "Set Operating Mode", cmd::kOperatingMode),
    FrameItem(pagecmd::kSpecific2, "Set Diff. msg rate", cmd::kDiffMessageRate),
    ClearDataItem(),
};
constexpr PageSpec kBaseStatusSpec{cmd::kWndBaseStatus, nullptr, {kFaceSansSerif, 10, 700}, true, kBaseStatusPopup,
                                   {}, 330, 285};
constexpr const char* kBaseStatusTexts[] = {"Not In Base", "Position not Initialized", "Position Initialized",
                                            "Encode only messages headers"};
constexpr const char* kBaudTexts[] = {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400"};
constexpr int kBaseValueX = 155;
constexpr int kBaseRateX = 220;
constexpr int kBaseEntryY = 190;

constexpr PopupEntry kPredictedPopup[] = {ContinuousItem(18), OneShotItem(18), ClearDataItem()};
constexpr PopupEntry kMatchedPopup[] = {ContinuousItem(19), OneShotItem(19), ClearDataItem()};
constexpr PageSpec kPredictedSpec{cmd::kWndPredicted, nullptr, {kFaceSansSerif, 10, 700}, true, kPredictedPopup, {},
                                  300, 290};
constexpr PageSpec kMatchedSpec{cmd::kWndMatched, nullptr, {kFaceSansSerif, 10, 700}, true, kMatchedPopup, {}, 300,
                                290};
constexpr int kSolutionValueX = 115;
constexpr int kSvListX = 15;
const std::string kTwelveBlanks(12, ' ');

// The satellites of `mask` in increasing order on the line y, each drawn where the last one
// ended; then twelve blanks, and the rest of the line to the page's edge cleared, so that the
// end of a longer earlier list is gone whatever the face's widths.
void DrawSvList(Canvas& canvas, int y, uint32_t mask, int pageWidth) {
  int x = kSvListX;
  bool first = true;
  for (int k = 0; k < 32; ++k) {
    if (((mask >> k) & 1) == 0) continue;
    const std::string text = Format(first ? "%d" : ", %d", k + 1);
    canvas.TextOut(x, y, text);
    x += canvas.GetTextExtent(text).width;
    first = false;
  }
  canvas.TextOut(x, y, kTwelveBlanks);
  const TextExtent blanks = canvas.GetTextExtent(kTwelveBlanks);
  const int edge = std::max(pageWidth, canvas.GetAreaSize().width);
  if (x + blanks.width < edge) canvas.FillRect(x + blanks.width, y, edge, y + blanks.height, canvas.WindowColour());
}

}  // namespace

CPartNumberWnd::CPartNumberWnd(const PageContext& context) : RecordPage(kPartNumberSpec, context) {}

void CPartNumberWnd::DrawLabels(Canvas& canvas) {
  canvas.SetPen(PenStyle::Solid, 1, canvas.WindowTextColour());
  canvas.SetNoBrush();
  canvas.Rectangle(20, 20, 330, 228);
  canvas.TextOut(kPartLabelX, 27, "Oper. SW  Part No :");
  canvas.TextOut(kPartLabelX, 40, "Boot  SW  Part No :");
  canvas.TextOut(kPartLabelX, 53, "Config #1 Part No :");
  for (int k = 2; k <= 8; ++k) canvas.TextOut(kPartLabelX, kConfigY + 13 * (k - 2), Format("Config #%d Part No :", k));
  canvas.TextOut(kPartLabelX, 170, "Boot  SW  Checksum:");
  canvas.TextOut(kPartLabelX, 183, "Oper. SW  Checksum:");
  canvas.TextOut(kPartLabelX, 196, "Config #1 Checksum:");
  canvas.TextOut(kPartLabelX, 209, "Customer SN       :");
}

// Configurations #2 to #8 are configuration #1's part number with their own suffix in its
// last three places; an absent configuration's line is blank, also when an earlier message
// had it.
void CPartNumberWnd::DrawValues(Canvas& canvas) {
  const PartNumberRecord& r = *record();
  canvas.TextOut(kPartValueX, 27, PartText(r.operationalSwPartNumber()));
  canvas.TextOut(kPartValueX, 40, PartText(r.bootSwPartNumber()));
  canvas.TextOut(kPartValueX, 53, PartText(r.config1PartNumber()));
  for (int k = 2; k <= 8; ++k) {
    const std::string suffix = r.configSuffix(k);
    canvas.TextOut(kPartValueX, kConfigY + 13 * (k - 2),
                   suffix.empty() ? std::string(15, ' ') : PartText(r.configPartNumber(k)));
  }
  canvas.TextOut(kPartValueX, 170, Format("%08X", r.bootSwChecksum()));
  canvas.TextOut(kPartValueX, 183, Format("%08X", r.operationalSwChecksum()));
  canvas.TextOut(kPartValueX, 196, Format("%08X", r.config1Checksum()));
  canvas.TextOut(kPartValueX, 209,
                 Format("%3s%08X", PrintableText(r.customerSerialPrefix()).c_str(), r.customerSerialNumber()));
}

std::string BaseLatitudeText(double radians) { return AngleLineText(radians, "N", "S", " ") + std::string(10, ' '); }
std::string BaseLongitudeText(double radians) {
  return AngleLineText(radians, "E", "W", " ") + std::string(14, ' ');
}

CBaseStatusWnd::CBaseStatusWnd(const PageContext& context) : RecordPage(kBaseStatusSpec, context) {}

void CBaseStatusWnd::DrawLabels(Canvas& canvas) {
  rowsShown_ = 0;
  canvas.TextOut(16, 15, "Base Status: ");
  canvas.TextOut(16, 30, "Baud Rate: ");
  canvas.TextOut(16, 60, "Time Survey Remaining: ");
  canvas.TextOut(16, 90, "CEP: ");
  canvas.TextOut(16, 120, "Latitude:");
  canvas.TextOut(16, 135, "Longitude:");
  canvas.TextOut(16, 150, "Altitude:");
  canvas.TextOut(16, 175, "Nbr Diff Msg: ");
}

void CBaseStatusWnd::DrawValues(Canvas& canvas) {
  const BaseStatusRecord& r = *record();
  canvas.TextOut(kBaseValueX, 15, PadRight(kBaseStatusTexts[r.baseStatus()], 42));
  canvas.TextOut(kBaseValueX, 30, PadRight(kBaudTexts[r.baudRateIndex()], 9));
  canvas.TextOut(kBaseValueX, 60, Format("%1.2f hr(s)         ", r.surveyTimeRemaining()));
  canvas.TextOut(kBaseValueX, 90, Format("%1.2f m             ", static_cast<double>(r.cep())));
  canvas.TextOut(kBaseValueX, 120, BaseLatitudeText(r.latitude()));
  canvas.TextOut(kBaseValueX, 135, BaseLongitudeText(r.longitude()));
  canvas.TextOut(kBaseValueX, 150, Format("%1.2lf m               ", r.altitude()));
  const int n = r.entryCount();
  canvas.TextOut(kBaseValueX, 175, Format("%1d                    ", n));
  for (int k = 0; k < n; ++k) {
    const int y = kBaseEntryY + 15 * k;
    canvas.TextOut(kBaseValueX, y, Format("Type : %1d    ", r.entryType(k)));
    canvas.TextOut(kBaseRateX, y, Format("Rate : %1d s  ", r.entryRate(k)));
  }
  // Every row an earlier list used, the page's six at least, is blanked: type and rate cells.
  const int rows = std::max({kEntryRows, rowsShown_, n});
  for (int k = n; k < rows; ++k) {
    const int y = kBaseEntryY + 15 * k;
    canvas.TextOut(kBaseValueX, y, std::string(39, ' '));
    canvas.TextOut(kBaseRateX, y, "");
  }
  rowsShown_ = std::max(rowsShown_, n);
}

template <typename Record>
void SolutionPage<Record>::DrawLabels(Canvas& canvas) {
  canvas.TextOut(16, 15, "GPS Time (TOW):");
  canvas.TextOut(16, 45, "Baseline X:");
  canvas.TextOut(16, 60, "Baseline Y:");
  canvas.TextOut(16, 75, "Baseline Z:");
  canvas.TextOut(16, 105, cepLabel_);
  canvas.TextOut(16, 135, "Velocity X:");
  canvas.TextOut(16, 150, "Velocity Y:");
  canvas.TextOut(16, 165, "Velocity Z:");
  canvas.TextOut(16, 195, "SV used:");
  canvas.TextOut(16, 225, "SV rejected:");
  canvas.TextOut(16, 270, "Reference SV:");
}

template <typename Record>
void SolutionPage<Record>::DrawValues(Canvas& canvas) {
  const Record& r = *this->record();
  const auto wide = [](float v) { return static_cast<double>(v); };
  canvas.TextOut(kSolutionValueX, 15, Format("%7.6lf           ", wide(r.gpsTimeOfWeek())));
  canvas.TextOut(kSolutionValueX, 45, Format("%+7.3lf          ", wide(r.baselineX())));
  canvas.TextOut(kSolutionValueX, 60, Format("%+7.3lf          ", wide(r.baselineY())));
  canvas.TextOut(kSolutionValueX, 75, Format("%+7.3lf          ", wide(r.baselineZ())));
  canvas.TextOut(kSolutionValueX, 105, Format("%7.3lf           ", wide(r.cep())));
  canvas.TextOut(kSolutionValueX, 135, Format("%7.2lf           ", wide(r.velocityX())));
  canvas.TextOut(kSolutionValueX, 150, Format("%7.2f            ", wide(r.velocityY())));
  canvas.TextOut(kSolutionValueX, 165, Format("%7.2f            ", wide(r.velocityZ())));
  const int width = this->extent().width;
  DrawSvList(canvas, 210, r.svsUsedMask(), width);
  DrawSvList(canvas, 240, r.svsRejectedMask(), width);
  canvas.TextOut(kSolutionValueX, 270, Format("%1d", r.referenceSv()));
}

template class SolutionPage<PredictedSolutionRecord>;
template class SolutionPage<MatchedSolutionRecord>;

CPredictedSolutionWnd::CPredictedSolutionWnd(const PageContext& context)
    : SolutionPage(kPredictedSpec, context, "Predicted CEP:") {}

CMatchedSolutionWnd::CMatchedSolutionWnd(const PageContext& context)
    : SolutionPage(kMatchedSpec, context, "Matched CEP:") {}

}  // namespace orv
