// Decoded fields of the NMEA records: the slot of every known sentence and, for a sentence
// that was stored, its record's name and the fields that were present in it.
#include <charconv>
#include <string>

#include "Command.h"
#include "JsonFields.h"
#include "RecordJson.h"
#include "nmea/NmeaStore.h"
#include "nmea/ReceiverDecoder.h"

namespace orv::cli {
namespace {

// Appends `"name":value` members to an open JSON object, each only when its presence byte
// says the field held a value.
class Fields {
 public:
  explicit Fields(JsonText& json) : json_(json) {}

  void Number(const char* name, bool present, double v) {
    if (!present) return;
    Name(name);
    char* p = json_.Extend(64);
    const auto r = std::to_chars(p, p + 64, v);
    json_.Commit(static_cast<std::size_t>(r.ptr - p));
  }
  void Integer(const char* name, bool present, long v) {
    if (!present) return;
    Name(name);
    AppendInt(json_, v);
  }
  // A whole number as a text of at least `width` digits, zeros in front ("081226").
  void Digits(const char* name, bool present, unsigned v, int width) {
    if (!present) return;
    Name(name);
    char digits[16];
    const auto r = std::to_chars(digits, digits + sizeof digits, v);
    json_ += '"';
    for (auto n = r.ptr - digits; n < width; ++n) json_ += '0';
    json_.append(digits, r.ptr);
    json_ += '"';
  }
  // A member of a numbered family: `stem` then `index` ("prn3").
  void Integer(const char* stem, int index, bool present, long v) {
    if (!present) return;
    json_ += first_ ? std::string_view("\"") : std::string_view(",\"");
    json_ += stem;
    AppendInt(json_, index);
    json_ += "\":";
    first_ = false;
    AppendInt(json_, v);
  }
  void Char(const char* name, bool present, char c) {
    if (!present) return;
    Name(name);
    AppendJsonString(json_, std::string_view(&c, 1));
  }
  void Text(const char* name, bool present, const char* s) {
    if (!present) return;
    Name(name);
    AppendJsonString(json_, s);
  }
  // Decimal degrees, 1e-9 degree steps (about 0.1 mm) with the trailing zeros dropped.
  void Degrees(const char* name, bool present, uint16_t degrees, double minutes, bool hemispherePresent,
               char hemisphere) {
    if (!present) return;
    Name(name);
    const double value = NmeaAngleDegrees(degrees, minutes, hemispherePresent ? hemisphere : 'N');
    // Fixed notation with 9 decimals is at most 309 digits before the point for a double.
    constexpr std::size_t kRoom = 330;
    char* const start = json_.Extend(kRoom);
    const auto r = std::to_chars(start, start + kRoom, value, std::chars_format::fixed, 9);
    char* end = r.ptr;
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
    json_.Commit(static_cast<std::size_t>(end - start));
  }
  // The UTC time as the sentence writes it, hhmmss[.s...].
  void Time(const char* name, bool present, uint8_t hour, uint8_t minute, double seconds) {
    if (!present) return;
    Name(name);
    json_ += '"';
    TwoDigits(hour);
    TwoDigits(minute);
    if (seconds < 10) json_ += '0';
    char* p = json_.Extend(64);
    const auto r = std::to_chars(p, p + 64, seconds);
    json_.Commit(static_cast<std::size_t>(r.ptr - p));
    json_ += '"';
  }

 private:
  void Name(const char* name) {
    json_ += first_ ? std::string_view("\"") : std::string_view(",\"");
    json_ += name;
    json_ += "\":";
    first_ = false;
  }
  // At least two digits, as %02u writes them.
  void TwoDigits(unsigned v) {
    if (v < 10) json_ += '0';
    AppendInt(json_, v);
  }

  JsonText& json_;
  bool first_ = true;
};

void Gga(Fields& f, const NmeaGgaRecord& r) {
  using R = NmeaGgaRecord;
  f.Time("utcTime", r.has(R::kTime), r.utcHour, r.utcMinute, r.utcSeconds);
  f.Degrees("latitudeDeg", r.has(R::kLatitude), r.latitudeDegrees, r.latitudeMinutes,
            r.has(R::kLatitudeHemisphere), r.latitudeHemisphere);
  f.Char("latitudeHemisphere", r.has(R::kLatitudeHemisphere), r.latitudeHemisphere);
  f.Degrees("longitudeDeg", r.has(R::kLongitude), r.longitudeDegrees, r.longitudeMinutes,
            r.has(R::kLongitudeHemisphere), r.longitudeHemisphere);
  f.Char("longitudeHemisphere", r.has(R::kLongitudeHemisphere), r.longitudeHemisphere);
  f.Integer("quality", r.has(R::kQuality), r.quality);
  f.Integer("satellitesUsed", r.has(R::kSatellitesUsed), r.satellitesUsed);
  f.Number("hdop", r.has(R::kHdop), r.hdop);
  f.Number("altitude", r.has(R::kAltitude), r.altitude);
  f.Char("altitudeUnits", r.has(R::kAltitudeUnits), r.altitudeUnits);
  f.Number("geoidalSeparation", r.has(R::kGeoidalSeparation), r.geoidalSeparation);
  f.Char("separationUnits", r.has(R::kSeparationUnits), r.separationUnits);
  f.Number("dgpsAge", r.has(R::kDgpsAge), r.dgpsAge);
  f.Integer("dgpsStationId", r.has(R::kDgpsStationId), r.dgpsStationId);
}

void Gll(Fields& f, const NmeaGllRecord& r) {
  using R = NmeaGllRecord;
  f.Degrees("latitudeDeg", r.has(R::kLatitude), r.latitudeDegrees, r.latitudeMinutes,
            r.has(R::kLatitudeHemisphere), r.latitudeHemisphere);
  f.Char("latitudeHemisphere", r.has(R::kLatitudeHemisphere), r.latitudeHemisphere);
  f.Degrees("longitudeDeg", r.has(R::kLongitude), r.longitudeDegrees, r.longitudeMinutes,
            r.has(R::kLongitudeHemisphere), r.longitudeHemisphere);
  f.Char("longitudeHemisphere", r.has(R::kLongitudeHemisphere), r.longitudeHemisphere);
  f.Time("utcTime", r.has(R::kTime), r.utcHour, r.utcMinute, r.utcSeconds);
  f.Char("status", r.has(R::kStatus), r.status);
  f.Char("modeIndicator", r.has(R::kModeIndicator), r.modeIndicator);
}

void Gsa(Fields& f, const NmeaGsaRecord& r) {
  using R = NmeaGsaRecord;
  f.Char("operationMode", r.has(R::kOperationMode), r.operationMode);
  f.Integer("fixMode", r.has(R::kFixMode), r.fixMode);
  for (int i = 0; i < R::kSatelliteSlots; ++i) {
    f.Integer("satellite", i + 1, r.has(R::kFirstSatellite + i),
              r.satellites[static_cast<std::size_t>(i)]);
  }
  f.Number("pdop", r.has(R::kPdop), r.pdop);
  f.Number("hdop", r.has(R::kHdop), r.hdop);
  f.Number("vdop", r.has(R::kVdop), r.vdop);
}

void Gsv(Fields& f, const NmeaGsvRecord& r) {
  using R = NmeaGsvRecord;
  f.Integer("totalMessages", r.has(R::kTotalMessages), r.totalMessages);
  f.Integer("messageNumber", r.has(R::kMessageNumber), r.messageNumber);
  f.Integer("satellitesInView", r.has(R::kSatellitesInView), r.satellitesInView);
  for (int i = 0; i < R::kSatelliteSlots; ++i) {
    const NmeaGsvSatellite& sv = r.satellites[static_cast<std::size_t>(i)];
    const int at = R::kFirstSatellite + 4 * i;
    f.Integer("prn", i + 1, r.has(at), sv.prn);
    f.Integer("elevation", i + 1, r.has(at + 1), sv.elevation);
    f.Integer("azimuth", i + 1, r.has(at + 2), sv.azimuth);
    f.Integer("snr", i + 1, r.has(at + 3), sv.snr);
  }
}

void Mss(Fields& f, const NmeaMssRecord& r) {
  using R = NmeaMssRecord;
  f.Number("signalStrength", r.has(R::kSignalStrength), r.signalStrength);
  f.Number("signalToNoise", r.has(R::kSignalToNoise), r.signalToNoise);
  f.Number("frequency", r.has(R::kFrequency), r.frequency);
  f.Number("bitRate", r.has(R::kBitRate), r.bitRate);
}

void Rmc(Fields& f, const NmeaRmcRecord& r) {
  using R = NmeaRmcRecord;
  f.Time("utcTime", r.has(R::kTime), r.utcHour, r.utcMinute, r.utcSeconds);
  f.Char("status", r.has(R::kStatus), r.status);
  f.Degrees("latitudeDeg", r.has(R::kLatitude), r.latitudeDegrees, r.latitudeMinutes,
            r.has(R::kLatitudeHemisphere), r.latitudeHemisphere);
  f.Char("latitudeHemisphere", r.has(R::kLatitudeHemisphere), r.latitudeHemisphere);
  f.Degrees("longitudeDeg", r.has(R::kLongitude), r.longitudeDegrees, r.longitudeMinutes,
            r.has(R::kLongitudeHemisphere), r.longitudeHemisphere);
  f.Char("longitudeHemisphere", r.has(R::kLongitudeHemisphere), r.longitudeHemisphere);
  f.Number("speedKnots", r.has(R::kSpeed), r.speedKnots);
  f.Number("courseDegrees", r.has(R::kCourse), r.courseDegrees);
  f.Digits("date", r.has(R::kDate), r.date, 6);
}

void Vtg(Fields& f, const NmeaVtgRecord& r) {
  using R = NmeaVtgRecord;
  f.Number("trackTrue", r.has(R::kTrackTrue), r.trackTrue);
  f.Char("trueIndicator", r.has(R::kTrueIndicator), r.trueIndicator);
  f.Number("trackMagnetic", r.has(R::kTrackMagnetic), r.trackMagnetic);
  f.Char("magneticIndicator", r.has(R::kMagneticIndicator), r.magneticIndicator);
  f.Number("speedKnots", r.has(R::kSpeedKnots), r.speedKnots);
  f.Char("knotsIndicator", r.has(R::kKnotsIndicator), r.knotsIndicator);
  f.Number("speedKmh", r.has(R::kSpeedKmh), r.speedKmh);
  f.Char("kmhIndicator", r.has(R::kKmhIndicator), r.kmhIndicator);
  f.Char("modeIndicator", r.has(R::kModeIndicator), r.modeIndicator);
}

void Zda(Fields& f, const NmeaZdaRecord& r) {
  using R = NmeaZdaRecord;
  f.Time("utcTime", r.has(R::kTime), r.utcHour, r.utcMinute, r.utcSeconds);
  f.Integer("day", r.has(R::kDay), r.day);
  f.Integer("month", r.has(R::kMonth), r.month);
  f.Integer("year", r.has(R::kYear), r.year);
  f.Integer("localZoneHours", r.has(R::kLocalZoneHours), r.localZoneHours);
  f.Integer("localZoneMinutes", r.has(R::kLocalZoneMinutes), r.localZoneMinutes);
}

void NavStatus(Fields& f, const NmeaNavStatusRecord& r) {
  using R = NmeaNavStatusRecord;
  f.Text("navigationMode", r.has(R::kNavigationMode), r.navigationMode);
  f.Char("fixQuality", r.has(R::kFixQuality), r.fixQuality);
}

void SelfTest(Fields& f, const NmeaSelfTestRecord& r) {
  using R = NmeaSelfTestRecord;
  f.Text("swPartNumber", r.has(R::kSwPartNumber), r.swPartNumber);
  f.Integer("swVariation", r.has(R::kSwVariation), r.swVariation);
  f.Char("swRevision", r.has(R::kSwRevision), r.swRevision);
  f.Char("engineSelfTest", r.has(R::kEngineSelfTest), r.engineSelfTest);
  f.Integer("activeFaults", r.has(R::kActiveFaults), r.activeFaults);
  f.Text("faultIdentifier", r.has(R::kFaultIdentifier), r.faultIdentifier);
  f.Char("ram", r.has(R::kRam), r.ram);
  f.Char("flash", r.has(R::kFlash), r.flash);
  f.Char("eeprom", r.has(R::kEeprom), r.eeprom);
  f.Char("uart", r.has(R::kUart), r.uart);
  f.Char("realTimeClock", r.has(R::kRealTimeClock), r.realTimeClock);
  f.Char("correlatorRf", r.has(R::kCorrelatorRf), r.correlatorRf);
}

void Radiobeacon(Fields& f, const NmeaRadiobeaconRecord& r) {
  using R = NmeaRadiobeaconRecord;
  f.Text("swPartNumber", r.has(R::kSwPartNumber), r.swPartNumber);
  f.Integer("impulseNoiseCount", r.has(R::kImpulseNoiseCount), r.impulseNoiseCount);
  f.Char("beaconSelfTest", r.has(R::kBeaconSelfTest), r.beaconSelfTest);
  f.Char("antenna", r.has(R::kAntenna), r.antenna);
  f.Char("batteryBackedRam", r.has(R::kBatteryBackedRam), r.batteryBackedRam);
}

// The seven MGRS fields, whose presence bytes come first in both records that carry them.
template <typename Record>
void Mgrs(Fields& f, const Record& r, const NmeaMgrsPosition& p) {
  f.Integer("zoneNumber", r.has(0), p.zoneNumber);
  f.Char("zoneLetter", r.has(1), p.zoneLetter);
  f.Char("squareColumn", r.has(2), p.squareColumn);
  f.Char("squareRow", r.has(3), p.squareRow);
  f.Number("easting", r.has(4), p.easting);
  f.Number("northing", r.has(5), p.northing);
  f.Number("altitude", r.has(6), p.altitude);
}

void ToWaypoint(Fields& f, const NmeaToWaypointRecord& r) {
  using R = NmeaToWaypointRecord;
  Mgrs(f, r, r.waypoint);
  f.Text("waypointName", r.has(R::kWaypointName), r.waypointName);
  f.Integer("waypointNumber", r.has(R::kWaypointNumber), r.waypointNumber);
  f.Number("trueBearing", r.has(R::kTrueBearing), r.trueBearing);
  f.Number("distance", r.has(R::kDistance), r.distance);
  f.Number("deltaAltitude", r.has(R::kDeltaAltitude), r.deltaAltitude);
  f.Char("status", r.has(R::kStatus), r.status);
}

void UserPosition(Fields& f, const NmeaUserPositionRecord& r) {
  using R = NmeaUserPositionRecord;
  Mgrs(f, r, r.position);
  f.Time("utcTime", r.has(R::kTime), r.utcHour, r.utcMinute, r.utcSeconds);
  f.Char("status", r.has(R::kStatus), r.status);
}

void RxParam(Fields& f, const NmeaRxParamRecord& r) {
  using R = NmeaRxParamRecord;
  f.Integer("elementCount", r.has(R::kElementCount), r.elementCount);
  f.Integer("timeAlignmentMode", r.has(R::kTimeAlignmentMode), r.timeAlignmentMode);
  f.Integer("mslModelUse", r.has(R::kMslModelUse), r.mslModelUse);
  f.Integer("tropoModelUse", r.has(R::kTropoModelUse), r.tropoModelUse);
  f.Number("maskAngle", r.has(R::kMaskAngle), r.maskAngle);
  f.Integer("datumNumber", r.has(R::kDatumNumber), r.datumNumber);
  f.Integer("dgpsMode", r.has(R::kDgpsMode), r.dgpsMode);
  f.Integer("diffCoastTime", r.has(R::kDiffCoastTime), r.diffCoastTime);
  f.Integer("auxBaudRate", r.has(R::kAuxBaudRate), r.auxBaudRate);
  f.Integer("latLonResolution", r.has(R::kLatLonResolution), r.latLonResolution);
  f.Integer("utcTimeResolution", r.has(R::kUtcTimeResolution), r.utcTimeResolution);
}

}  // namespace

void AppendNmeaRecord(JsonText& json, int slot, const ReceiverDecoder& decoder) {
  if (slot < 0) return;
  json += ",\"slot\":";
  AppendInt(json, slot);
  const NmeaStore& s = decoder.nmea();
  if (s.lastStoredSlot() != slot) return;
  auto record = [&json](const char* name) {
    json += ",\"record\":\"";
    json += name;
    json += "\",\"fields\":{";
    return Fields(json);
  };
  switch (slot) {
    case kSlotNavStatus: { Fields f = record("NmeaNavStatusRecord"); NavStatus(f, s.navStatus()); break; }
    case kSlotSelfTest: { Fields f = record("NmeaSelfTestRecord"); SelfTest(f, s.selfTest()); break; }
    case kSlotRadiobeacon: { Fields f = record("NmeaRadiobeaconRecord"); Radiobeacon(f, s.radiobeacon()); break; }
    case kSlotToWaypoint: { Fields f = record("NmeaToWaypointRecord"); ToWaypoint(f, s.toWaypoint()); break; }
    case kSlotUserPosition: { Fields f = record("NmeaUserPositionRecord"); UserPosition(f, s.userPosition()); break; }
    case kSlotRxParam: { Fields f = record("NmeaRxParamRecord"); RxParam(f, s.rxParam()); break; }
    case kSlotGga: { Fields f = record("NmeaGgaRecord"); Gga(f, s.gga()); break; }
    case kSlotGll: { Fields f = record("NmeaGllRecord"); Gll(f, s.gll()); break; }
    case kSlotGsa: { Fields f = record("NmeaGsaRecord"); Gsa(f, s.gsa()); break; }
    case kSlotGsv: { Fields f = record("NmeaGsvRecord"); Gsv(f, s.gsv()); break; }
    case kSlotMss: { Fields f = record("NmeaMssRecord"); Mss(f, s.mss()); break; }
    case kSlotRmc: { Fields f = record("NmeaRmcRecord"); Rmc(f, s.rmc()); break; }
    case kSlotVtg: { Fields f = record("NmeaVtgRecord"); Vtg(f, s.vtg()); break; }
    case kSlotZda: { Fields f = record("NmeaZdaRecord"); Zda(f, s.zda()); break; }
    default: return;
  }
  json += '}';
}

}  // namespace orv::cli
