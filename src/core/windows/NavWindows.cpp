// Layouts of the navigation windows. Both pages of the geodetic window share the rows whose
// meaning does not change; the rows below differ by page.
#include "windows/NavWindows.h"

#include "ids/CommandIds.h"
#include "util/Format.h"

namespace orv {

namespace {

using Llh = NavLlhRecord;
using Row = FieldRow<Llh>;

constexpr PopupEntry kNavPopup[] = {
    ContinuousItem(20),
    OneShotItem(20),
    {CNavWnd::kRtkModeCommand, "RTK Mode", PopupAction::PageCommand},
    ClearDataItem(),
};

// Labels are padded to one width so that either page's labels cover the other's.
constexpr Columns kNavColumns{16, 145, 20, 30};

const char* DgpsSourceText(const Llh& r) {
  if (r.navMode() != 4 && r.navMode() != 5) return "None";
  return r.dgpsSource() != 0 ? "Beacon" : "WAAS";
}

// Rows drawn the same way on both pages.
constexpr Row kCommonRows[] = {
    {15, "Lat:", [](const Llh& r) { return LatitudeText(r.latitude()); }},
    {30, "Long:", [](const Llh& r) { return LongitudeText(r.longitude()); }},
    {45, "Alt:", [](const Llh& r) { return Format("%1.2lf m", static_cast<double>(r.altitude())); }},
    {75, "Velocity N:", [](const Llh& r) { return Format("%1.2lf m/s", static_cast<double>(r.velocityNorth())); }},
    {90, "Velocity E:", [](const Llh& r) { return Format("%1.2f m/s", static_cast<double>(r.velocityEast())); }},
    {105, "Velocity U:", [](const Llh& r) { return Format("%1.2f m/s", static_cast<double>(r.velocityUp())); }},
    {135, "HFOM:", [](const Llh& r) { return Format("%1.2f m", static_cast<double>(r.hfom())); }},
    {150, "VFOM:", [](const Llh& r) { return Format("%1.2f m", static_cast<double>(r.vfom())); }},
    {210, "Nav Mode:", [](const Llh& r) { return Format("%s", NavModeName(r.navMode())); }},
    {225, "DGPS Source:", [](const Llh& r) { return std::string(DgpsSourceText(r)); }},
    {300, "UTC Date:", [](const Llh& r) { return Format("%04d-%02d-%02d", r.utcYear(), r.utcMonth(), r.utcDay()); }},
    {330, "UTC Time:",
     [](const Llh& r) { return Format("%.2d:%.2d:%012.9f", r.utcHours(), r.utcMinutes(), r.utcSeconds()); }},
};

// The upper half of the satellite byte carries datum bits on the normal page, so only its
// low half counts satellites there.
constexpr Row kNormalRows[] = {
    {165, "Ground Speed:", [](const Llh& r) { return Format("%1.2f m/sec", static_cast<double>(r.groundSpeed())); }},
    {180, "Track Angle:", [](const Llh& r) { return Format("%1.2f rad", static_cast<double>(r.trackAngle())); }},
    {255, "HDOP:", [](const Llh& r) { return Format("%.1f", r.hdopTenths() / 10.0); }},
    {270, "VDOP:", [](const Llh& r) { return Format("%.1f", r.vdopTenths() / 10.0); }},
    {345, "Nb SVs used:", [](const Llh& r) { return Format("%1d", r.svCount()); }},
    {360, "Reserved:", [](const Llh& r) { return Format("%1d", r.reserved()); }},
    {375, "Datum Number:", [](const Llh& r) { return Format("%d", r.datumNumber()); }},
    {390, "Confidence Level:", [](const Llh& r) { return std::string(r.confidenceLevel() ? "High" : "Normal"); }},
    // The one bit of the mode byte that mode, confidence and source leave free.
    {405, "GPS Time Alignment:", [](const Llh& r) { return std::string(r.modeByte() & 0x80 ? "Enable" : "Disable"); }},
    {420, "System Mode:", nullptr},
    {435, "Tracking Mode:",
     [](const Llh& r) { return std::string(r.trackingMode() ? "Sky Search" : "All SVs in View"); }},
};

constexpr Row kRtkRows[] = {
    {165, "Clock Bias:", [](const Llh& r) { return Format("%1.2f msec", static_cast<double>(r.clockBias())); }},
    {180, "Clock Drift:", [](const Llh& r) { return Format("%1.2f ppm", static_cast<double>(r.clockDrift())); }},
    {255, "GPS Time:", [](const Llh& r) { return Format("%1.2f sec", static_cast<double>(r.rtkGpsTime())); }},
    {285, "Week Number:", [](const Llh& r) { return Format("%1d", r.gpsWeek()); }},
    {345, "Nb SVs used:", [](const Llh& r) { return Format("%1d", r.svByte()); }},
    {360, "Reserved:", [](const Llh& r) { return Format("%1d", r.statusByte()); }},
};

constexpr int kSystemModeY = 420;

constexpr PageSpec kNavSpec{cmd::kWndLlh, nullptr, {kFaceSansSerif, 10, 700}, true, kNavPopup, {}, 330, 455};

using Xyz = NavXyzRecord;
constexpr PopupEntry kXyzPopup[] = {ContinuousItem(21), OneShotItem(21), ClearDataItem()};
constexpr FieldRow<Xyz> kXyzRows[] = {
    {30, "Pos X(m):", [](const Xyz& r) { return Format("%1.2lf", r.positionX()); }},
    {45, "Pos Y(m):", [](const Xyz& r) { return Format("%1.2lf", r.positionY()); }},
    {60, "Pos Z(m):", [](const Xyz& r) { return Format("%1.2lf", r.positionZ()); }},
    {75, "Vel X(m/s):", [](const Xyz& r) { return Format("%1.2f", static_cast<double>(r.velocityX())); }},
    {90, "Vel Y(m/s):", [](const Xyz& r) { return Format("%1.2f", static_cast<double>(r.velocityY())); }},
    {105, "Vel Z(m/s):", [](const Xyz& r) { return Format("%1.2f", static_cast<double>(r.velocityZ())); }},
    {120, "Clock Bias(s):", [](const Xyz& r) { return Format("%1.9lf", r.clockBias()); }},
    {135, "Clk Drift(PPM):", [](const Xyz& r) { return Format("%1.9lf", r.clockDrift()); }},
    {150, "HFOM:", [](const Xyz& r) { return Format("%1.2lf", static_cast<double>(r.hfom())); }},
    {165, "VFOM:", [](const Xyz& r) { return Format("%1.2lf", static_cast<double>(r.vfom())); }},
    {180, "HDOP:", [](const Xyz& r) { return Format("%.1f", r.hdopTenths() / 10.0); }},
    {195, "VDOP:", [](const Xyz& r) { return Format("%.1f", r.vdopTenths() / 10.0); }},
    {210, "Nav. Mode:", [](const Xyz& r) { return Format("%s", NavModeName(r.navMode())); }},
    {225, nullptr, [](const Xyz& r) { return Format("GPS Week:%5d Sec:%12.9lf", r.gpsWeek(), r.gpsSeconds()); }, 16},
    {240, "Nbr SVs:", [](const Xyz& r) { return Format("%1d", r.svCount()); }},
};

constexpr PageSpec kXyzSpec{cmd::kWndXyz, "Navigation GPS Solution (ID21)", {kFaceSansSerif, 10, 700}, true,
                            kXyzPopup, {}, 300, 260};

}  // namespace

CNavWnd::CNavWnd(const PageContext& context) : RecordPage(kNavSpec, context) {}

void CNavWnd::DrawLabels(Canvas& canvas) {
  DrawFieldLabels<Llh>(canvas, kNavColumns, kCommonRows);
  DrawFieldLabels<Llh>(canvas, kNavColumns, rtkPage() ? std::span<const Row>(kRtkRows) : kNormalRows);
}

void CNavWnd::DrawValues(Canvas& canvas) {
  const Llh& r = *record();
  DrawFieldValues<Llh>(canvas, kNavColumns, kCommonRows, r);
  if (rtkPage()) {
    DrawFieldValues<Llh>(canvas, kNavColumns, kRtkRows, r);
    return;
  }
  DrawFieldValues<Llh>(canvas, kNavColumns, kNormalRows, r);
  // System modes 5 to 7 have no name and leave the field as it was.
  if (const char* mode = NavSystemModeName(r.systemMode())) {
    ValueOut(canvas, kNavColumns.valueX, kSystemModeY, mode, kNavColumns.valueWidth);
  }
}

// The RTK page reads some fields of the same message with another meaning; the caption
// says which page is shown.
void CNavWnd::OnPageCommand(int command) {
  if (command != kRtkModeCommand) return;
  if (rtkPageFlag_ == 0) {
    rtkPageFlag_ = 1;
    SetCaption("RTK " + caption());
  } else {
    rtkPageFlag_ = 0;
    SetCaption(caption().size() > 4 ? caption().substr(4) : std::string());
  }
  InvalidateAll();
}

CNavGPSWnd::CNavGPSWnd(const PageContext& context)
    : TablePage(kXyzSpec, context, Columns{16, 105, 0, 30}, kXyzRows) {}

}  // namespace orv
