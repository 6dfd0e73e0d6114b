// Plain pages of the part number, base status and relative solution windows.
#include "windows/SolutionWindows.h"

#include <algorithm>
#include <type_traits>

#include "ids/CommandIds.h"
#include "util/Format.h"

namespace orv {

namespace {

using Pn = PartNumberRecord;
constexpr PopupEntry kPartNumberPopup[] = {OneShotItem(45), ClearDataItem()};

template <int K>
std::string ConfigPartNumber(const Pn& r) {
  return r.configSuffix(K).empty() ? std::string() : r.configPartNumber(K);
}

constexpr FieldRow<Pn> kPartNumberRows[] = {
    {15, "Oper. SW  Part No :", [](const Pn& r) { return r.operationalSwPartNumber(); }},
    {28, "Boot  SW  Part No :", [](const Pn& r) { return r.bootSwPartNumber(); }},
    {41, "Config #1 Part No :", [](const Pn& r) { return r.config1PartNumber(); }},
    {54, "Config #2 Part No :", ConfigPartNumber<2>},
    {67, "Config #3 Part No :", ConfigPartNumber<3>},
    {80, "Config #4 Part No :", ConfigPartNumber<4>},
    {93, "Config #5 Part No :", ConfigPartNumber<5>},
    {106, "Config #6 Part No :", ConfigPartNumber<6>},
    {119, "Config #7 Part No :", ConfigPartNumber<7>},
    {132, "Config #8 Part No :", ConfigPartNumber<8>},
    {158, "Boot  SW  Checksum:", [](const Pn& r) { return Format("%08X", r.bootSwChecksum()); }},
    {171, "Oper. SW  Checksum:", [](const Pn& r) { return Format("%08X", r.operationalSwChecksum()); }},
    {184, "Config #1 Checksum:", [](const Pn& r) { return Format("%08X", r.config1Checksum()); }},
    {197, "Customer SN       :",
     [](const Pn& r) { return Format("%3s%08X", r.customerSerialPrefix().c_str(), r.customerSerialNumber()); }},
};
constexpr PageSpec kPartNumberSpec{cmd::kWndPartNumber, nullptr, {kFaceFixed, 8, 0}, true, kPartNumberPopup, {},
                                   300, 215};

using Bs = BaseStatusRecord;
constexpr PopupEntry kBaseStatusPopup[] = {
    OneShotItem(47),
    ContinuousItem(47),
    FrameItem(pagecmd::kSpecific1, "Set Operating Mode", cmd::kOperatingMode),
    FrameItem(pagecmd::kSpecific2, "Set Diff. msg rate", cmd::kDiffMessageRate),
    ClearDataItem(),
};
constexpr const char* kBaseStatusTexts[] = {"Not In Base", "Position not Initialized", "Position Initialized",
                                            "Encode only messages headers"};
constexpr const char* kBaudTexts[] = {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400"};
constexpr FieldRow<Bs> kBaseStatusRows[] = {
    {15, "Base Status:", [](const Bs& r) { return std::string(kBaseStatusTexts[r.baseStatus()]); }},
    {30, "Baud Rate:", [](const Bs& r) { return std::string(kBaudTexts[r.baudRateIndex()]); }},
    {45, "Survey Remaining:", [](const Bs& r) { return Format("%1.2f hr(s)", r.surveyTimeRemaining()); }},
    {60, "CEP:", [](const Bs& r) { return Format("%1.2f m", static_cast<double>(r.cep())); }},
    {75, "Latitude:", [](const Bs& r) { return LatitudeText(r.latitude()); }},
    {90, "Longitude:", [](const Bs& r) { return LongitudeText(r.longitude()); }},
    {105, "Altitude:", [](const Bs& r) { return Format("%1.2lf m", r.altitude()); }},
    {120, "Nbr Diff Msg:", [](const Bs& r) { return Format("%1d", r.entryCount()); }},
};
constexpr PageSpec kBaseStatusSpec{cmd::kWndBaseStatus, nullptr, {kFaceSansSerif, 10, 700}, true, kBaseStatusPopup,
                                   {}, 310, 230};

// The relative solutions share one layout.
std::string SvList(uint32_t mask) {
  std::string out;
  for (int k = 0; k < 32; ++k) {
    if ((mask >> k) & 1) out += Format(out.empty() ? "%d" : ", %d", k + 1);
  }
  return out;
}

template <typename R>
struct SolutionRows {
  static constexpr FieldRow<R> kRows[] = {
      {15, "GPS Time (TOW):", [](const R& r) { return Format("%7.6lf", static_cast<double>(r.gpsTimeOfWeek())); }},
      {35, "Baseline X:", [](const R& r) { return Format("%+7.3lf", static_cast<double>(r.baselineX())); }},
      {50, "Baseline Y:", [](const R& r) { return Format("%+7.3lf", static_cast<double>(r.baselineY())); }},
      {65, "Baseline Z:", [](const R& r) { return Format("%+7.3lf", static_cast<double>(r.baselineZ())); }},
      {85, std::is_same_v<R, PredictedSolutionRecord> ? "Predicted CEP:" : "Matched CEP:", [](const R& r) { return Format("%7.3lf", static_cast<double>(r.cep())); }},
      {105, "Velocity X:", [](const R& r) { return Format("%7.2lf", static_cast<double>(r.velocityX())); }},
      {120, "Velocity Y:", [](const R& r) { return Format("%7.2lf", static_cast<double>(r.velocityY())); }},
      {135, "Velocity Z:", [](const R& r) { return Format("%7.2lf", static_cast<double>(r.velocityZ())); }},
      {155, "SV used:", [](const R& r) { return SvList(r.svsUsedMask()); }},
      {170, "SV rejected:", [](const R& r) { return SvList(r.svsRejectedMask()); }},
      {190, "Reference SV:", [](const R& r) { return Format("%1d", r.referenceSv()); }},
  };
};

constexpr PopupEntry kPredictedPopup[] = {ContinuousItem(18), OneShotItem(18), ClearDataItem()};
constexpr PopupEntry kMatchedPopup[] = {ContinuousItem(19), OneShotItem(19), ClearDataItem()};
constexpr PageSpec kPredictedSpec{cmd::kWndPredicted, nullptr, {kFaceSansSerif, 10, 700}, true, kPredictedPopup, {},
                                  260, 210};
constexpr PageSpec kMatchedSpec{cmd::kWndMatched, nullptr, {kFaceSansSerif, 10, 700}, true, kMatchedPopup, {}, 260,
                                210};
constexpr Columns kSolutionColumns{16, 115, 0, 30};

}  // namespace

CPartNumberWnd::CPartNumberWnd(const PageContext& context)
    : TablePage(kPartNumberSpec, context, Columns{16, 140, 0, 16}, kPartNumberRows) {}

CBaseStatusWnd::CBaseStatusWnd(const PageContext& context)
    : TablePage(kBaseStatusSpec, context, Columns{16, 130, 0, 30}, kBaseStatusRows) {}

// The message list: one row per entry and blank rows below it, so a shorter list leaves
// nothing of a longer one.
void CBaseStatusWnd::DrawValues(Canvas& canvas) {
  TablePage::DrawValues(canvas);
  const BaseStatusRecord& r = *record();
  const int rows = std::max(kEntryRows, r.entryCount());
  for (int k = 0; k < rows; ++k) {
    const std::string text = k < r.entryCount() ? Format("Type %2d   Rate %3d s", r.entryType(k), r.entryRate(k)) : "";
    ValueOut(canvas, 130, 140 + 15 * k, text, 24);
  }
}

CPredictedSolutionWnd::CPredictedSolutionWnd(const PageContext& context)
    : TablePage(kPredictedSpec, context, kSolutionColumns, SolutionRows<PredictedSolutionRecord>::kRows) {}

CMatchedSolutionWnd::CMatchedSolutionWnd(const PageContext& context)
    : TablePage(kMatchedSpec, context, kSolutionColumns, SolutionRows<MatchedSolutionRecord>::kRows) {}

}  // namespace orv
