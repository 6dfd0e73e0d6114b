// Layouts of the NMEA windows, their popups, their two dialogs and the sentence counts.
#include "windows/NmeaWindows.h"

#include <cstdlib>

#include "ids/CommandIds.h"
#include "nmea/NmeaEncoder.h"
#include "nmea/NmeaStore.h"
#include "nmea/ReceiverDecoder.h"
#include "util/Format.h"
#include "windows/PageText.h"

namespace orv {

namespace {

constexpr const char* kDegree = "\xC2\xB0";  // U+00B0 in UTF-8
constexpr PageFont kNmeaFont{kFaceSansSerif, 10, 800};

constexpr PopupEntry kStandardPopup[] = {
    PageItem(nmeacmd::kContinuousOneSecond, "Continuous (1 sec)"),
    PageItem(nmeacmd::kContinuous, "Continuous"),
    PageItem(nmeacmd::kOneShot, "One Shot"),
    PageItem(nmeacmd::kStop, "Stop Transmission"),
    ClearDataItem(),
};
constexpr PopupEntry kInformationPopup[] = {PageItem(nmeacmd::kInformation, "Information"), ClearDataItem()};
constexpr PopupEntry kSelfTestPopup[] = {
    PageItem(nmeacmd::kOneShot, "One Shot - No Test"),
    PageItem(nmeacmd::kOneShotSelfTest, "One Shot - Self-test"),
    ClearDataItem(),
};
constexpr PopupEntry kRxParamPopup[] = {
    PageItem(nmeacmd::kContinuous, "Continuous"),
    PageItem(nmeacmd::kOneShot, "One Shot"),
    PageItem(nmeacmd::kStop, "Stop Transmission"),
    PageItem(nmeacmd::kSetReceiverParameter, "Set Receiver Parameter"),
    ClearDataItem(),
};

constexpr PageSpec Spec(int command, std::span<const PopupEntry> popup, int width, int height) {
  return PageSpec{command, nullptr, kNmeaFont, false, popup, {}, width, height};
}

std::string Char(char c) { return c != 0 ? std::string(1, c) : std::string(); }
std::string PassFail(char c) {
  if (c == 'P') return "PASS";
  if (c == 'F') return "FAIL";
  return Char(c);
}
std::string Real1(double v) { return Format("%.1f", v); }
std::string Int(int v) { return Format("%d", v); }

// Rows 15 pixels apart from y = 20.
constexpr int Y(int line) { return 20 + 15 * line; }

// --- $GPRMC ---------------------------------------------------------------------------------
using Rmc = NmeaRmcRecord;
constexpr NmeaRow<Rmc> kRmcRows[] = {
    {Y(0), "UTC:", Rmc::kTime, [](const Rmc& r) { return NmeaTimeText(r.utcHour, r.utcMinute, r.utcSeconds); }},
    {Y(1), "Status:", Rmc::kStatus, [](const Rmc& r) { return Char(r.status); }},
    {Y(2), "Latitude:", Rmc::kLatitude,
     [](const Rmc& r) {
       return NmeaAngleText(r.latitudeDegrees, r.latitudeMinutes, r.latitudeHemisphere, r.has(Rmc::kLatitudeHemisphere));
     }},
    {Y(3), "Longitude:", Rmc::kLongitude,
     [](const Rmc& r) {
       return NmeaAngleText(r.longitudeDegrees, r.longitudeMinutes, r.longitudeHemisphere,
                            r.has(Rmc::kLongitudeHemisphere));
     }},
    {Y(4), "Speed:", Rmc::kSpeed, [](const Rmc& r) { return Format("%.1f ", r.speedKnots) + "knots"; }},
    {Y(5), "Heading", Rmc::kCourse,
     [](const Rmc& r) { return Format("%.1f", r.courseDegrees) + kDegree + " from North"; }},
    {Y(6), "Date:", Rmc::kDate, [](const Rmc& r) { return NmeaDateText(r.date); }},
};
constexpr PageSpec kRmcSpec = Spec(cmd::kWndNmeaRmc, kStandardPopup, 250, 130);

// --- $PQTLG,900 -----------------------------------------------------------------------------
using Nav = NmeaNavStatusRecord;
constexpr NmeaRow<Nav> kNavRows[] = {
    {Y(0), "Navigation Mode:", Nav::kNavigationMode, [](const Nav& r) { return std::string(r.navigationMode); }},
    {Y(1), "2GPS Fix Quality Indicator:", Nav::kFixQuality, [](const Nav& r) { return Char(r.fixQuality); }},
};
constexpr PageSpec kNavSpec = Spec(cmd::kWndNmeaNavStatus, kStandardPopup, 275, 60);

// --- $GPGSV ---------------------------------------------------------------------------------
using Gsv = NmeaGsvRecord;
constexpr NmeaRow<Gsv> kGsvRows[] = {
    {Y(0), "Total Messages:", Gsv::kTotalMessages, [](const Gsv& r) { return Format("%3d", r.totalMessages); }},
    {Y(1), "Message Number:", Gsv::kMessageNumber, [](const Gsv& r) { return Format("%3d", r.messageNumber); }},
    {Y(2), "Total of Satellites in View:", Gsv::kSatellitesInView,
     [](const Gsv& r) { return Format("%3d", r.satellitesInView); }},
};
constexpr int kGsvTableY = Y(4);
constexpr int kGsvColumnX[] = {10, 90, 170};
constexpr const char* kGsvTitles[] = {"SVs Used", "Elevation", "Azimuth"};
constexpr PageSpec kGsvSpec = Spec(cmd::kWndNmeaGsv, kStandardPopup, 285, kGsvTableY + 15 * 5 + 10);

// --- $GPGGA ---------------------------------------------------------------------------------
using Gga = NmeaGgaRecord;
std::string WithUnits(double v, const Gga& r, int unitsField, char units) {
  return r.has(unitsField) ? Format("%.1f %c", v, units) : Real1(v);
}
constexpr NmeaRow<Gga> kGgaRows[] = {
    {Y(0), "UTC:", Gga::kTime, [](const Gga& r) { return NmeaTimeText(r.utcHour, r.utcMinute, r.utcSeconds); }},
    {Y(1), "Latitude:", Gga::kLatitude,
     [](const Gga& r) {
       return NmeaAngleText(r.latitudeDegrees, r.latitudeMinutes, r.latitudeHemisphere, r.has(Gga::kLatitudeHemisphere));
     }},
    {Y(2), "Longitude:", Gga::kLongitude,
     [](const Gga& r) {
       return NmeaAngleText(r.longitudeDegrees, r.longitudeMinutes, r.longitudeHemisphere,
                            r.has(Gga::kLongitudeHemisphere));
     }},
    {Y(3), "Quality:", Gga::kQuality, [](const Gga& r) { return Int(r.quality); }},
    {Y(4), "SVs Used:", Gga::kSatellitesUsed, [](const Gga& r) { return Int(r.satellitesUsed); }},
    {Y(5), "HDOP:", Gga::kHdop, [](const Gga& r) { return Real1(r.hdop); }},
    {Y(6), "Altitude:", Gga::kAltitude,
     [](const Gga& r) { return WithUnits(r.altitude, r, Gga::kAltitudeUnits, r.altitudeUnits); }},
    {Y(7), "UGeoidal Separation:", Gga::kGeoidalSeparation,
     [](const Gga& r) { return WithUnits(r.geoidalSeparation, r, Gga::kSeparationUnits, r.separationUnits); }},
    {Y(8), "Age of Diff. GPS Data:", Gga::kDgpsAge, [](const Gga& r) { return Real1(r.dgpsAge); }},
    {Y(9), "Diff. Reference St. ID:", Gga::kDgpsStationId, [](const Gga& r) { return Int(r.dgpsStationId); }},
};
constexpr PageSpec kGgaSpec = Spec(cmd::kWndNmeaGga, kStandardPopup, 300, Y(10));

// --- $GPVTG ---------------------------------------------------------------------------------
using Vtg = NmeaVtgRecord;
constexpr NmeaRow<Vtg> kVtgRows[] = {
    {Y(0), "Track:", Vtg::kTrackTrue, [](const Vtg& r) { return Real1(r.trackTrue) + kDegree + " True"; }},
    {Y(1), "Degrees:", Vtg::kTrackMagnetic, [](const Vtg& r) { return Real1(r.trackMagnetic) + kDegree + " Magnetic"; }},
    {Y(2), "Speed:", Vtg::kSpeedKnots, [](const Vtg& r) { return Real1(r.speedKnots) + " knots"; }},
    {Y(3), "Speed:", Vtg::kSpeedKmh, [](const Vtg& r) { return Real1(r.speedKmh) + " km/h"; }},
};
constexpr PageSpec kVtgSpec = Spec(cmd::kWndNmeaVtg, kStandardPopup, 250, Y(4));

// --- MGRS positions of $PQTLG,906 and 907 ---------------------------------------------------
template <typename R, NmeaMgrsPosition R::*P>
struct Mgrs {
  static std::string Zone(const R& r) { return Int((r.*P).zoneNumber); }
  static std::string Letter(const R& r) { return Char((r.*P).zoneLetter); }
  static std::string Column(const R& r) { return Char((r.*P).squareColumn); }
  static std::string Row(const R& r) { return Char((r.*P).squareRow); }
  static std::string Easting(const R& r) { return Real1((r.*P).easting); }
  static std::string Northing(const R& r) { return Real1((r.*P).northing); }
  static std::string Altitude(const R& r) { return Real1((r.*P).altitude); }
};

using User = NmeaUserPositionRecord;
using UserMgrs = Mgrs<User, &User::position>;
constexpr NmeaRow<User> kUserRows[] = {
    {Y(0), "Zone Number:", User::kZoneNumber, UserMgrs::Zone},
    {Y(1), "Zone Letter:", User::kZoneLetter, UserMgrs::Letter},
    {Y(2), "Square Column:", User::kSquareColumn, UserMgrs::Column},
    {Y(3), "Square Row:", User::kSquareRow, UserMgrs::Row},
    {Y(4), "Grid Easting:", User::kEasting, UserMgrs::Easting},
    {Y(5), "Grid Northing:", User::kNorthing, UserMgrs::Northing},
    {Y(6), "Altitude:", User::kAltitude, UserMgrs::Altitude},
    {Y(7), "UTC Time:", User::kTime,
     [](const User& r) { return Format("%2d:%2d:%.0f", r.utcHour, r.utcMinute, r.utcSeconds); }},
    {Y(8), "Status:", User::kStatus, [](const User& r) { return Char(r.status); }},
};
constexpr PageSpec kUserSpec = Spec(cmd::kWndNmeaUserPosition, kStandardPopup, 250, Y(9));

using Wpt = NmeaToWaypointRecord;
using WptMgrs = Mgrs<Wpt, &Wpt::waypoint>;
constexpr NmeaRow<Wpt> kWptRows[] = {
    {Y(0), "Zone Number:", Wpt::kZoneNumber, WptMgrs::Zone},
    {Y(1), "Zone Letter:", Wpt::kZoneLetter, WptMgrs::Letter},
    {Y(2), "Square Column:", Wpt::kSquareColumn, WptMgrs::Column},
    {Y(3), "Square Row:", Wpt::kSquareRow, WptMgrs::Row},
    {Y(4), "Grid Easting:", Wpt::kEasting, WptMgrs::Easting},
    {Y(5), "Grid Northing:", Wpt::kNorthing, WptMgrs::Northing},
    {Y(6), "Altitude:", Wpt::kAltitude, WptMgrs::Altitude},
    {Y(7), "Waypoint Name:", Wpt::kWaypointName, [](const Wpt& r) { return std::string(r.waypointName); }},
    {Y(8), "Waypoint Number:", Wpt::kWaypointNumber, [](const Wpt& r) { return Int(r.waypointNumber); }},
    {Y(9), "True Bearing:", Wpt::kTrueBearing, [](const Wpt& r) { return Real1(r.trueBearing) + " degrees"; }},
    {Y(10), "Distance:", Wpt::kDistance, [](const Wpt& r) { return Format("%.3f", r.distance); }},
    {Y(11), "Delta-Altitude:", Wpt::kDeltaAltitude, [](const Wpt& r) { return Real1(r.deltaAltitude); }},
    {Y(12), "Status:", Wpt::kStatus, [](const Wpt& r) { return Char(r.status); }},
};
constexpr PageSpec kWptSpec = Spec(cmd::kWndNmeaToWaypoint, kStandardPopup, 275, Y(13));

// --- $GPZDA ---------------------------------------------------------------------------------
using Zda = NmeaZdaRecord;
std::string ZdaTime(const Zda& r) {
  std::string t = r.utcHour < 10 ? Format("0%1d", r.utcHour) : Format("%2d", r.utcHour);
  t += r.utcMinute < 10 ? Format(":0%1d", r.utcMinute) : Format(":%2d", r.utcMinute);
  t += r.utcSeconds < 10 ? Format(":0%4.2f", r.utcSeconds) : Format(":%5.2f", r.utcSeconds);
  return t;
}
constexpr NmeaRow<Zda> kZdaRows[] = {
    {Y(0), "UTC:", Zda::kTime, ZdaTime},
    {Y(1), "Date:", Zda::kDay,
     [](const Zda& r) {
       std::string d = Int(r.day);
       if (r.has(Zda::kMonth)) d += " " + NmeaMonthText(r.month);
       if (r.has(Zda::kYear)) d += " " + Int(r.year);
       return d;
     }},
    {Y(2), "Local Zone:", Zda::kLocalZoneHours,
     [](const Zda& r) {
       return Format("%d", r.localZoneHours) + (r.has(Zda::kLocalZoneMinutes) ? Format(":%02d", r.localZoneMinutes) : "");
     }},
};
constexpr PageSpec kZdaSpec = Spec(cmd::kWndNmeaZda, kStandardPopup, 250, Y(3));

// --- $PQTLG,903 -----------------------------------------------------------------------------
using Beacon = NmeaRadiobeaconRecord;
constexpr NmeaRow<Beacon> kBeaconRows[] = {
    {Y(0), "SW Part Number", -1, nullptr},
    {Y(1), "(root number):", Beacon::kSwPartNumber, [](const Beacon& r) { return std::string(r.swPartNumber); }},
    {Y(2), "Impulse Noise Count:", Beacon::kImpulseNoiseCount,
     [](const Beacon& r) { return Format("%lu", static_cast<unsigned long>(r.impulseNoiseCount)); }},
    {Y(3), "Radiobeacon self-test:", Beacon::kBeaconSelfTest, [](const Beacon& r) { return PassFail(r.beaconSelfTest); }},
    {Y(4), "Antenna:", Beacon::kAntenna, [](const Beacon& r) { return PassFail(r.antenna); }},
    {Y(5), "Battery Backed RAM:", Beacon::kBatteryBackedRam, [](const Beacon& r) { return PassFail(r.batteryBackedRam); }},
};
constexpr PageSpec kBeaconSpec = Spec(cmd::kWndNmeaRadiobeacon, kInformationPopup, 275, Y(6));

// --- $PQTLG,902 -----------------------------------------------------------------------------
using Test = NmeaSelfTestRecord;
constexpr NmeaRow<Test> kTestRows[] = {
    {Y(0), "SW Part Number", -1, nullptr},
    {Y(1), "(root number):", Test::kSwPartNumber, [](const Test& r) { return std::string(r.swPartNumber); }},
    {Y(2), "SW Variation Number:", Test::kSwVariation, [](const Test& r) { return Int(r.swVariation); }},
    {Y(3), "SW Revision Letter:", Test::kSwRevision, [](const Test& r) { return Char(r.swRevision); }},
    {Y(4), "Engine Selftest:", Test::kEngineSelfTest, [](const Test& r) { return PassFail(r.engineSelfTest); }},
    {Y(5), "Number of Active Faults:", Test::kActiveFaults, [](const Test& r) { return Int(r.activeFaults); }},
    {Y(6), "Faults Identifier:", Test::kFaultIdentifier, [](const Test& r) { return std::string(r.faultIdentifier); }},
    {Y(7), "RAM:", Test::kRam, [](const Test& r) { return PassFail(r.ram); }},
    {Y(8), "Flash:", Test::kFlash, [](const Test& r) { return PassFail(r.flash); }},
    {Y(9), "EEprom:", Test::kEeprom, [](const Test& r) { return PassFail(r.eeprom); }},
    {Y(10), "Uart:", Test::kUart, [](const Test& r) { return PassFail(r.uart); }},
    {Y(11), "Real Time Clock:", Test::kRealTimeClock, [](const Test& r) { return PassFail(r.realTimeClock); }},
    {Y(12), "Correlator & RF:", Test::kCorrelatorRf, [](const Test& r) { return PassFail(r.correlatorRf); }},
};
constexpr PageSpec kTestSpec = Spec(cmd::kWndNmeaSelfTest, kSelfTestPopup, 275, Y(13));

// --- $GPGSA ---------------------------------------------------------------------------------
using Gsa = NmeaGsaRecord;
constexpr NmeaRow<Gsa> kGsaRows[] = {
    {Y(0), "Operation Mode:", Gsa::kOperationMode, [](const Gsa& r) { return Char(r.operationMode); }},
    {Y(1), "Position Mode:", Gsa::kFixMode, [](const Gsa& r) { return NmeaFixModeText(r.fixMode); }},
    {Y(2), "SVs  Used:", -1,
     [](const Gsa& r) {
       std::string list;
       for (int i = 0; i < Gsa::kSatelliteSlots; ++i) {
         if (!r.has(Gsa::kFirstSatellite + i)) continue;
         if (!list.empty()) list += ' ';
         list += Format("%2d", r.satellites[static_cast<std::size_t>(i)]);
       }
       return list;
     }},
    {Y(3), "PDOP:", Gsa::kPdop, [](const Gsa& r) { return Real1(r.pdop); }},
    {Y(4), "HDOP:", Gsa::kHdop, [](const Gsa& r) { return Real1(r.hdop); }},
    {Y(5), "VDOP:", Gsa::kVdop, [](const Gsa& r) { return Real1(r.vdop); }},
};
constexpr PageSpec kGsaSpec = Spec(cmd::kWndNmeaGsa, kStandardPopup, 350, Y(6));

// --- $GPMSS ---------------------------------------------------------------------------------
using Mss = NmeaMssRecord;
constexpr NmeaRow<Mss> kMssRows[] = {
    {Y(0), "Signal Strength:", Mss::kSignalStrength, [](const Mss& r) { return Real1(r.signalStrength) + " dB"; }},
    {Y(1), "Signal-to-Noise ratio (SNR):", Mss::kSignalToNoise, [](const Mss& r) { return Real1(r.signalToNoise) + " dB"; }},
    {Y(2), "Radiobeacon Frequency:", Mss::kFrequency, [](const Mss& r) { return Real1(r.frequency) + " kHz"; }},
    {Y(3), "Beacon Bit Rate:", Mss::kBitRate, [](const Mss& r) { return Real1(r.bitRate) + " bits/second"; }},
};
constexpr PageSpec kMssSpec = Spec(cmd::kWndNmeaMss, kInformationPopup, 300, Y(4));

// --- $PQTLG,908 -----------------------------------------------------------------------------
using Rx = NmeaRxParamRecord;
constexpr NmeaRow<Rx> kRxRows[] = {
    {Y(0), "Nb of Elements:", Rx::kElementCount, [](const Rx& r) { return Int(r.elementCount); }},
    {Y(1), "GPS Time Alignment Mode:", Rx::kTimeAlignmentMode, [](const Rx& r) { return Int(r.timeAlignmentMode); }},
    {Y(2), "MSL Model Use:", Rx::kMslModelUse, [](const Rx& r) { return Int(r.mslModelUse); }},
    {Y(3), "Tropo Model Use:", Rx::kTropoModelUse, [](const Rx& r) { return Int(r.tropoModelUse); }},
    {Y(4), "Mask Angle:", Rx::kMaskAngle, [](const Rx& r) { return Real1(r.maskAngle); }},
    {Y(5), "Datum Number:", Rx::kDatumNumber, [](const Rx& r) { return Int(r.datumNumber); }},
    {Y(6), "DGPS Mode:", Rx::kDgpsMode, [](const Rx& r) { return Int(r.dgpsMode); }},
    {Y(7), "Diff. Coast Time:", Rx::kDiffCoastTime, [](const Rx& r) { return Int(r.diffCoastTime); }},
    {Y(8), "Aux. Port Baud Rate:", Rx::kAuxBaudRate,
     [](const Rx& r) { return Format("%lu", static_cast<unsigned long>(r.auxBaudRate)); }},
    {Y(9), "Lat/Long Resolution:", Rx::kLatLonResolution, [](const Rx& r) { return Int(r.latLonResolution); }},
    {Y(10), "UTC Time Resolution:", Rx::kUtcTimeResolution, [](const Rx& r) { return Int(r.utcTimeResolution); }},
};
constexpr PageSpec kRxSpec = Spec(cmd::kWndNmeaRxParameters, kRxParamPopup, 275, Y(11));

// --- $GPGLL ---------------------------------------------------------------------------------
using Gll = NmeaGllRecord;
constexpr NmeaRow<Gll> kGllRows[] = {
    {Y(0), "Latitude:", Gll::kLatitude,
     [](const Gll& r) {
       return NmeaAngleText(r.latitudeDegrees, r.latitudeMinutes, r.latitudeHemisphere, r.has(Gll::kLatitudeHemisphere));
     }},
    {Y(1), "Longitude:", Gll::kLongitude,
     [](const Gll& r) {
       return NmeaAngleText(r.longitudeDegrees, r.longitudeMinutes, r.longitudeHemisphere,
                            r.has(Gll::kLongitudeHemisphere));
     }},
    {Y(2), "UTC of Position:", Gll::kTime, [](const Gll& r) { return NmeaTimeText(r.utcHour, r.utcMinute, r.utcSeconds); }},
    {Y(3), "Status:", Gll::kStatus, [](const Gll& r) { return Char(r.status); }},
};
constexpr PageSpec kGllSpec = Spec(cmd::kWndNmeaGll, kStandardPopup, 300, Y(4));

constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kFixModeNames[] = {"Fix not available", "2D", "3D"};

}  // namespace

std::string NmeaTimeText(int hour, int minute, double seconds) { return Format("%2d:%2d:%5.2f", hour, minute, seconds); }

std::string NmeaAngleText(int degrees, double minutes, char hemisphere, bool hemispherePresent) {
  std::string text = Format("%d", degrees) + kDegree + Format(" %7.4f'", minutes);
  if (hemispherePresent && hemisphere != 0) text += Format(" %c", hemisphere);
  return text;
}

std::string NmeaDateText(uint32_t ddmmyy) {
  const uint32_t parts[] = {ddmmyy / 10000 % 100, ddmmyy / 100 % 100, ddmmyy % 100};
  std::string text;
  for (uint32_t p : parts) text += p < 10 ? Format("0%d", static_cast<int>(p)) : Format("%2d", static_cast<int>(p));
  return text;
}

std::string NmeaMonthText(int month) { return month >= 1 && month <= 12 ? kMonthNames[month - 1] : Int(month); }
std::string NmeaFixModeText(int mode) { return mode >= 1 && mode <= 3 ? kFixModeNames[mode - 1] : Int(mode); }

Form IntervalForm() {
  Form form("Time interval between two messages.");
  FormField& f = form.AddEdit(kIntervalField, "Time interval:", EditKind::Unsigned, "1");
  f.hasRange = true;
  f.min = 0;
  f.max = 999;
  form.AddLabel(kIntervalField + 1, "seconds");
  form.AddOkCancel();
  return form;
}

namespace {

struct RxField {
  int id;
  const char* label;
  EditKind kind;
  double min, max;
  int presence;
};
constexpr RxField kRxFields[] = {
    {rxparam::kTimeAlignment, "GPS Time Alignment Mode:", EditKind::Unsigned, 0, 9, Rx::kTimeAlignmentMode},
    {rxparam::kMslModel, "MSL Model Use:", EditKind::Unsigned, 0, 1, Rx::kMslModelUse},
    {rxparam::kTropoModel, "Tropo Model Use:", EditKind::Unsigned, 0, 1, Rx::kTropoModelUse},
    {rxparam::kMaskAngle, "Mask Angle:", EditKind::Real, 0, 90, Rx::kMaskAngle},
    {rxparam::kDatum, "Datum Number:", EditKind::Unsigned, 0, 999, Rx::kDatumNumber},
    {rxparam::kDgpsMode, "DGPS Mode:", EditKind::Unsigned, 0, 9, Rx::kDgpsMode},
    {rxparam::kCoastTime, "Diff. Coast Time:", EditKind::Unsigned, 0, 9999, Rx::kDiffCoastTime},
    {rxparam::kAuxBaud, "Aux. Port Baud Rate:", EditKind::Text, 0, 0, Rx::kAuxBaudRate},
    {rxparam::kLatLonResolution, "Lat/Long Resolution:", EditKind::Unsigned, 0, 9, Rx::kLatLonResolution},
    {rxparam::kUtcResolution, "UTC Time Resolution:", EditKind::Unsigned, 0, 9, Rx::kUtcTimeResolution},
};

// The value the dialog opens with: the last report's, or the receiver's usual setting.
std::string InitialText(int id, const Rx* r) {
  switch (id) {
    case rxparam::kTimeAlignment: return Int(r ? r->timeAlignmentMode : 1);
    case rxparam::kMslModel: return Int(r ? r->mslModelUse : 1);
    case rxparam::kTropoModel: return Int(r ? r->tropoModelUse : 1);
    case rxparam::kMaskAngle: return Real1(r ? r->maskAngle : 5.0);
    case rxparam::kDatum: return Int(r ? r->datumNumber : 47);
    case rxparam::kDgpsMode: return Int(r ? r->dgpsMode : 2);
    case rxparam::kCoastTime: return Int(r ? r->diffCoastTime : 30);
    case rxparam::kAuxBaud: return r ? Format("%lu", static_cast<unsigned long>(r->auxBaudRate)) : "9600";
    case rxparam::kLatLonResolution: return Int(r ? r->latLonResolution : 4);
    case rxparam::kUtcResolution: return Int(r ? r->utcTimeResolution : 2);
    default: return {};
  }
}

// A positive whole number of bauds that is a multiple of 300; 0 and anything else are refused.
std::string CheckAuxBaud(const Form& form) {
  const std::string text = form.Text(rxparam::kAuxBaud);
  bool digits = !text.empty() && text.size() <= 6;
  for (char c : text) digits = digits && c >= '0' && c <= '9';
  const long value = digits ? std::strtol(text.c_str(), nullptr, 10) : 0;
  return value > 0 && value % 300 == 0 ? std::string() : rxparam::kAuxBaudMessage;
}

}  // namespace

Form ReceiverParameterForm(const NmeaRxParamRecord* last) {
  Form form("Set receiver parameter");
  for (const RxField& f : kRxFields) {
    const Rx* r = last != nullptr && last->has(f.presence) ? last : nullptr;
    FormField& field = form.AddEdit(f.id, f.label, f.kind, InitialText(f.id, r));
    if (f.id == rxparam::kAuxBaud) {
      field.maxChars = 6;
      field.checkTime = CheckTime::OnLeave;
      field.check = CheckAuxBaud;
      field.resetText = "9600";
    } else {
      field.hasRange = true;
      field.min = f.min;
      field.max = f.max;
    }
  }
  form.AddOkCancel();
  return form;
}

// $PQTLG,008,1,1,0,5.0,47,2,30,9600,4,2*hh
//   GPS time alignment mode, MSL model use, tropo model use, mask angle (degrees), datum
//   number, DGPS mode, differential coast time (seconds), auxiliary port baud rate,
//   latitude/longitude resolution and UTC time resolution: the fields of the $PQTLG,908
//   report after its number of elements, in its order.
std::string ReceiverParameterData(const Form& form) {
  std::string data;
  for (const RxField& f : kRxFields) {
    if (f.kind == EditKind::Real) {
      data += Format(",%.1f", form.RealValue(f.id).value_or(0));
    } else {
      data += Format(",%lld", static_cast<long long>(std::strtoll(form.Text(f.id).c_str(), nullptr, 10)));
    }
  }
  return data;
}

void NmeaRequests::SendRate(uint16_t rate) const {
  if (context_.nmeaEncoder == nullptr) return;
  const NmeaRateEntry entry{code_, rate};
  context_.nmeaEncoder->SendContinuousRequest(std::nullopt, std::span<const NmeaRateEntry>(&entry, 1));
}

void NmeaRequests::ContinuousOneSecond() const { SendRate(1); }

void NmeaRequests::Continuous() const {
  if (context_.forms == nullptr) return;
  Form form = IntervalForm();
  if (!context_.forms->RunForm(form)) return;
  const std::optional<int64_t> seconds = form.IntValue(kIntervalField);
  if (!seconds || *seconds < 0 || *seconds > 999) return;
  SendRate(static_cast<uint16_t>(*seconds));
}

void NmeaRequests::OneShot() const {
  Stop();
  Query();
}

void NmeaRequests::Stop() const { SendRate(0); }

void NmeaRequests::Query() const {
  if (context_.nmeaEncoder != nullptr) context_.nmeaEncoder->SendQuery(code_);
}

void NmeaRequests::RunSelfTest() const {
  if (context_.nmeaEncoder != nullptr) context_.nmeaEncoder->SendSelfTest();
}

void NmeaRequests::SetReceiverParameter(const NmeaRxParamRecord* last) const {
  if (context_.forms == nullptr) return;
  Form form = ReceiverParameterForm(last);
  if (!context_.forms->RunForm(form)) return;
  if (context_.nmeaEncoder != nullptr) {
    context_.nmeaEncoder->SendSentence(kNmeaReceiverParameters, ReceiverParameterData(form));
  }
}

CNMEARecMinGPSWnd::CNMEARecMinGPSWnd(const PageContext& c) : NmeaPage(kRmcSpec, c, {10, 100, "RMC"}, kRmcRows) {}
CNMEANavigationStatusWnd::CNMEANavigationStatusWnd(const PageContext& c)
    : NmeaPage(kNavSpec, c, {10, 180, "900"}, kNavRows) {}
CNMEAGPSFixDataWnd::CNMEAGPSFixDataWnd(const PageContext& c) : NmeaPage(kGgaSpec, c, {10, 150, "GGA"}, kGgaRows) {}
CNMEATrackSpeedWnd::CNMEATrackSpeedWnd(const PageContext& c) : NmeaPage(kVtgSpec, c, {10, 80, "VTG"}, kVtgRows) {}
CNMEAUserPositionWnd::CNMEAUserPositionWnd(const PageContext& c)
    : NmeaPage(kUserSpec, c, {10, 110, "907"}, kUserRows) {}
CNMEAToWaypointWnd::CNMEAToWaypointWnd(const PageContext& c) : NmeaPage(kWptSpec, c, {10, 120, "906"}, kWptRows) {}
CNMEATimeDateWnd::CNMEATimeDateWnd(const PageContext& c) : NmeaPage(kZdaSpec, c, {10, 90, "ZDA"}, kZdaRows) {}
CNMEADOPActiveSVsWnd::CNMEADOPActiveSVsWnd(const PageContext& c)
    : NmeaPage(kGsaSpec, c, {10, 110, "GSA"}, kGsaRows) {}
CNMEAGeogPosWnd::CNMEAGeogPosWnd(const PageContext& c) : NmeaPage(kGllSpec, c, {10, 120, "GLL"}, kGllRows) {}

CNMEARadiobeaconInfoWnd::CNMEARadiobeaconInfoWnd(const PageContext& c)
    : NmeaPage(kBeaconSpec, c, {10, 160, "903"}, kBeaconRows) {}
void CNMEARadiobeaconInfoWnd::OnOwnCommand(int command) {
  if (command == nmeacmd::kInformation) requests().Query();
}

CNMEABeaconRxSignalWnd::CNMEABeaconRxSignalWnd(const PageContext& c)
    : NmeaPage(kMssSpec, c, {10, 190, "MSS"}, kMssRows) {}
void CNMEABeaconRxSignalWnd::OnOwnCommand(int command) {
  if (command == nmeacmd::kInformation) requests().Query();
}

CNMEASelftestWnd::CNMEASelftestWnd(const PageContext& c) : NmeaPage(kTestSpec, c, {10, 170, "902"}, kTestRows) {}
// "One Shot - No Test" asks for the results the receiver holds; "One Shot - Self-test" runs
// the test, which the receiver answers with a fresh report.
void CNMEASelftestWnd::OnOwnCommand(int command) {
  if (command == nmeacmd::kOneShotSelfTest) requests().RunSelfTest();
}

CNMEARxParamWnd::CNMEARxParamWnd(const PageContext& c) : NmeaPage(kRxSpec, c, {10, 170, "908"}, kRxRows) {}
void CNMEARxParamWnd::OnOwnCommand(int command) {
  if (command == nmeacmd::kSetReceiverParameter) requests().SetReceiverParameter(record());
}

CNMEASVsInViewWnd::CNMEASVsInViewWnd(const PageContext& c) : NmeaPage(kGsvSpec, c, {10, 190, "GSV"}, kGsvRows) {}

void CNMEASVsInViewWnd::DrawLabels(Canvas& canvas) {
  NmeaPage::DrawLabels(canvas);
  for (int i = 0; i < 3; ++i) canvas.TextOut(kGsvColumnX[i], kGsvTableY, kGsvTitles[i]);
}

// One row per satellite slot of the sentence; a slot the sentence left empty is blank.
void CNMEASVsInViewWnd::DrawValues(Canvas& canvas) {
  NmeaPage::DrawValues(canvas);
  const Gsv& r = *record();
  for (int i = 0; i < Gsv::kSatelliteSlots; ++i) {
    const int y = kGsvTableY + 15 * (i + 1);
    const int first = Gsv::kFirstSatellite + 4 * i;
    const NmeaGsvSatellite& s = r.satellites[static_cast<std::size_t>(i)];
    const bool used = r.has(first);
    ValueOut(canvas, kGsvColumnX[0], y, used ? Format("%2d", s.prn) : std::string(), 10);
    ValueOut(canvas, kGsvColumnX[1], y, used && r.has(first + 1) ? Format("%2d", s.elevation) : std::string(), 10);
    ValueOut(canvas, kGsvColumnX[2], y, used && r.has(first + 2) ? Format("%.1f", static_cast<double>(s.azimuth)) : std::string(), 12);
  }
}

// --- Sentence counts ------------------------------------------------------------------------

namespace {

constexpr CNMEAMsgWnd::Slot kCountSlots[] = {
    {kSlotNavStatus, "PQTLG,900"}, {kSlotQueueFull, "PQTLG,901"},    {kSlotSelfTest, "PQTLG,902"},
    {kSlotRadiobeacon, "PQTLG,903"}, {kSlotToWaypoint, "PQTLG,906"}, {kSlotUserPosition, "PQTLG,907"},
    {kSlotRxParam, "PQTLG,908"},   {kSlotGga, "GPGGA"},             {kSlotGll, "GPGLL"},
    {kSlotGsa, "GPGSA"},           {kSlotGsv, "GPGSV"},             {kSlotMss, "GPMSS"},
    {kSlotRmc, "GPRMC"},           {kSlotVtg, "GPVTG"},             {kSlotZda, "GPZDA"},
};
constexpr int kProprietaryRows = 7;
constexpr int kCountStep = 13;
constexpr int kCountTop = 8;
constexpr int kLeftNameX = 10, kLeftCountX = 85, kRightNameX = 140, kRightCountX = 195;
constexpr int kTotalsY = kCountTop + 9 * kCountStep;
constexpr int kTotalsValueX = 120;
constexpr PageSpec kCountSpec{cmd::kWndNmeaReceivedMessages, nullptr, {kFaceSansSerif, 10, 400}, false, {}, {},
                              260, kTotalsY + 2 * kCountStep + 6};

int CountX(int index, bool name) {
  const bool left = index < kProprietaryRows;
  return left ? (name ? kLeftNameX : kLeftCountX) : (name ? kRightNameX : kRightCountX);
}
int CountY(int index) { return kCountTop + kCountStep * (index < kProprietaryRows ? index : index - kProprietaryRows); }

}  // namespace

std::span<const CNMEAMsgWnd::Slot> CNMEAMsgWnd::Slots() { return kCountSlots; }

CNMEAMsgWnd::CNMEAMsgWnd(const PageContext& context) : Page(kCountSpec, context) {}

void CNMEAMsgWnd::OnCounts(const uint32_t* nmeaCountBySlot) {
  if (nmeaCountBySlot == nullptr) return;
  counts_ = nmeaCountBySlot;
  NotifyValues();
}

void CNMEAMsgWnd::DrawLabels(Canvas& canvas) {
  for (int i = 0; i < static_cast<int>(std::size(kCountSlots)); ++i) {
    canvas.TextOut(CountX(i, true), CountY(i), std::string(kCountSlots[i].name) + ":");
  }
  canvas.TextOut(kLeftNameX, kTotalsY, "Sentences:");
  canvas.TextOut(kLeftNameX, kTotalsY + kCountStep, "Checksum errors:");
}

void CNMEAMsgWnd::DrawValues(Canvas& canvas) {
  if (counts_ == nullptr) return;
  for (int i = 0; i < static_cast<int>(std::size(kCountSlots)); ++i) {
    ValueOut(canvas, CountX(i, false), CountY(i), Format("%lu", static_cast<unsigned long>(counts_[kCountSlots[i].slot])), 7);
  }
  if (counters_ == nullptr) return;
  ValueOut(canvas, kTotalsValueX, kTotalsY, Format("%lu", static_cast<unsigned long>(counters_->nmeaSentenceCount)), 10);
  ValueOut(canvas, kTotalsValueX, kTotalsY + kCountStep,
           Format("%lu", static_cast<unsigned long>(counters_->nmeaChecksumErrorCount)), 10);
}

namespace {

void LinkNmeaCounts(const PageLinkTargets& targets, Page* page) {
  auto* window = dynamic_cast<CNMEAMsgWnd*>(page);
  if (window != nullptr) window->WatchCounters(&targets.decoder.counters());
  targets.decoder.SetNmeaCountLink(window);
}

constexpr PageKind kNmeaKinds[] = {
    {cmd::kWndNmeaReceivedMessages, MakePage<CNMEAMsgWnd>, LinkNmeaCounts, false},
    {cmd::kWndNmeaRxParameters, MakePage<CNMEARxParamWnd>, NmeaStoreLink<NmeaRxParamRecord>, false},
    {cmd::kWndNmeaNavStatus, MakePage<CNMEANavigationStatusWnd>, NmeaStoreLink<NmeaNavStatusRecord>, false},
    {cmd::kWndNmeaUserPosition, MakePage<CNMEAUserPositionWnd>, NmeaStoreLink<NmeaUserPositionRecord>, false},
    {cmd::kWndNmeaGga, MakePage<CNMEAGPSFixDataWnd>, NmeaStoreLink<NmeaGgaRecord>, false},
    {cmd::kWndNmeaGll, MakePage<CNMEAGeogPosWnd>, NmeaStoreLink<NmeaGllRecord>, false},
    {cmd::kWndNmeaGsa, MakePage<CNMEADOPActiveSVsWnd>, NmeaStoreLink<NmeaGsaRecord>, false},
    {cmd::kWndNmeaGsv, MakePage<CNMEASVsInViewWnd>, NmeaStoreLink<NmeaGsvRecord>, false},
    {cmd::kWndNmeaRmc, MakePage<CNMEARecMinGPSWnd>, NmeaStoreLink<NmeaRmcRecord>, false},
    {cmd::kWndNmeaVtg, MakePage<CNMEATrackSpeedWnd>, NmeaStoreLink<NmeaVtgRecord>, false},
    {cmd::kWndNmeaZda, MakePage<CNMEATimeDateWnd>, NmeaStoreLink<NmeaZdaRecord>, false},
    {cmd::kWndNmeaSelfTest, MakePage<CNMEASelftestWnd>, NmeaStoreLink<NmeaSelfTestRecord>, false},
    {cmd::kWndNmeaRadiobeacon, MakePage<CNMEARadiobeaconInfoWnd>, NmeaStoreLink<NmeaRadiobeaconRecord>, false},
    {cmd::kWndNmeaMss, MakePage<CNMEABeaconRxSignalWnd>, NmeaStoreLink<NmeaMssRecord>, false},
    {cmd::kWndNmeaToWaypoint, MakePage<CNMEAToWaypointWnd>, NmeaStoreLink<NmeaToWaypointRecord>, false},
};

}  // namespace

std::span<const PageKind> NmeaPageKinds() { return kNmeaKinds; }

}  // namespace orv
