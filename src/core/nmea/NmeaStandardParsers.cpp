// Parsers of the standard sentences, in the field order of NMEA 0183. Fields that later
// versions of the standard append (signal and system identifiers) are not read.
#include "nmea/NmeaParsers.h"

namespace orv {

using namespace nmea;

namespace {

// The date of RMC: ddmmyy, kept as the integer it reads.
auto Date(uint32_t& date) {
  return [&date](NmeaField f) {
    uint32_t v = 0;
    if (f.n != 6 || !ParseUnsigned(f, 6, v)) return false;
    const uint32_t day = v / 10000;
    const uint32_t month = v / 100 % 100;
    if (day < 1 || day > 31 || month < 1 || month > 12) return false;
    date = v;
    return true;
  };
}

// Satellite elevation: degrees, a sign allowed, at most 90 either way.
auto Elevation(int16_t& elevation) {
  return [&elevation](NmeaField f) {
    bool negative = false;
    if (f.n > 0 && (f.p[0] == '-' || f.p[0] == '+')) {
      negative = f.p[0] == '-';
      ++f.p;
      --f.n;
    }
    uint32_t v = 0;
    if (!ParseUnsigned(f, 3, v) || v > 90) return false;
    elevation = static_cast<int16_t>(negative ? -static_cast<int>(v) : static_cast<int>(v));
    return true;
  };
}

auto ZoneHours(int8_t& hours) {
  return [&hours](NmeaField f) {
    int v = 0;
    if (!ParseSignedSmall(f, v) || v < -13 || v > 13) return false;
    hours = static_cast<int8_t>(v);
    return true;
  };
}

}  // namespace

// $GPGGA,123519.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*69
void ParseGga(NmeaFieldReader& r, NmeaGgaRecord& rec) {
  using F = NmeaGgaRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kTime], Time(rec.utcHour, rec.utcMinute, rec.utcSeconds));
  r.Take(p[F::kLatitude], Latitude(rec.latitudeDegrees, rec.latitudeMinutes));
  r.Take(p[F::kLatitudeHemisphere], Hemisphere(rec.latitudeHemisphere, 'N', 'S'));
  r.Take(p[F::kLongitude], Longitude(rec.longitudeDegrees, rec.longitudeMinutes));
  r.Take(p[F::kLongitudeHemisphere], Hemisphere(rec.longitudeHemisphere, 'E', 'W'));
  r.Take(p[F::kQuality], Integer(rec.quality, 1, 9));
  r.Take(p[F::kSatellitesUsed], Integer(rec.satellitesUsed, 2, 99));
  r.Take(p[F::kHdop], Unsigned(rec.hdop));
  r.Take(p[F::kAltitude], Signed(rec.altitude));
  r.Take(p[F::kAltitudeUnits], Char(rec.altitudeUnits));
  r.Take(p[F::kGeoidalSeparation], Signed(rec.geoidalSeparation));
  r.Take(p[F::kSeparationUnits], Char(rec.separationUnits));
  r.Take(p[F::kDgpsAge], Unsigned(rec.dgpsAge));
  r.Take(p[F::kDgpsStationId], Integer(rec.dgpsStationId, 4, 9999));
}

// $GPGLL,4916.45,N,12311.12,W,225444,A,A*5C
void ParseGll(NmeaFieldReader& r, NmeaGllRecord& rec) {
  using F = NmeaGllRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kLatitude], Latitude(rec.latitudeDegrees, rec.latitudeMinutes));
  r.Take(p[F::kLatitudeHemisphere], Hemisphere(rec.latitudeHemisphere, 'N', 'S'));
  r.Take(p[F::kLongitude], Longitude(rec.longitudeDegrees, rec.longitudeMinutes));
  r.Take(p[F::kLongitudeHemisphere], Hemisphere(rec.longitudeHemisphere, 'E', 'W'));
  r.Take(p[F::kTime], Time(rec.utcHour, rec.utcMinute, rec.utcSeconds));
  r.Take(p[F::kStatus], Char(rec.status));
  r.Take(p[F::kModeIndicator], Char(rec.modeIndicator));
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
void ParseGsa(NmeaFieldReader& r, NmeaGsaRecord& rec) {
  using F = NmeaGsaRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kOperationMode], Char(rec.operationMode));
  r.Take(p[F::kFixMode], Integer(rec.fixMode, 1, 3));
  for (int i = 0; i < F::kSatelliteSlots; ++i) {
    r.Take(p[static_cast<std::size_t>(F::kFirstSatellite + i)],
           Integer(rec.satellites[static_cast<std::size_t>(i)], 3, 999));
  }
  r.Take(p[F::kPdop], Unsigned(rec.pdop));
  r.Take(p[F::kHdop], Unsigned(rec.hdop));
  r.Take(p[F::kVdop], Unsigned(rec.vdop));
}

// $GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75
void ParseGsv(NmeaFieldReader& r, NmeaGsvRecord& rec) {
  using F = NmeaGsvRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kTotalMessages], Integer(rec.totalMessages, 2, 99));
  r.Take(p[F::kMessageNumber], Integer(rec.messageNumber, 2, 99));
  r.Take(p[F::kSatellitesInView], Integer(rec.satellitesInView, 3, 255));
  for (int i = 0; i < F::kSatelliteSlots; ++i) {
    NmeaGsvSatellite& sv = rec.satellites[static_cast<std::size_t>(i)];
    uint8_t* q = &p[static_cast<std::size_t>(F::kFirstSatellite + 4 * i)];
    r.Take(q[0], Integer(sv.prn, 3, 999));
    r.Take(q[1], Elevation(sv.elevation));
    r.Take(q[2], Integer(sv.azimuth, 3, 359));
    r.Take(q[3], Integer(sv.snr, 2, 99));
  }
}

// $GPMSS,55,27,318.0,100*4A
void ParseMss(NmeaFieldReader& r, NmeaMssRecord& rec) {
  using F = NmeaMssRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kSignalStrength], Unsigned(rec.signalStrength));
  r.Take(p[F::kSignalToNoise], Unsigned(rec.signalToNoise));
  r.Take(p[F::kFrequency], Unsigned(rec.frequency));
  r.Take(p[F::kBitRate], Unsigned(rec.bitRate));
}

// $GPRMC,123519.00,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*44
// The magnetic variation and the fields after it are not kept.
void ParseRmc(NmeaFieldReader& r, NmeaRmcRecord& rec) {
  using F = NmeaRmcRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kTime], Time(rec.utcHour, rec.utcMinute, rec.utcSeconds));
  r.Take(p[F::kStatus], Char(rec.status));
  r.Take(p[F::kLatitude], Latitude(rec.latitudeDegrees, rec.latitudeMinutes));
  r.Take(p[F::kLatitudeHemisphere], Hemisphere(rec.latitudeHemisphere, 'N', 'S'));
  r.Take(p[F::kLongitude], Longitude(rec.longitudeDegrees, rec.longitudeMinutes));
  r.Take(p[F::kLongitudeHemisphere], Hemisphere(rec.longitudeHemisphere, 'E', 'W'));
  r.Take(p[F::kSpeed], Unsigned(rec.speedKnots));
  r.Take(p[F::kCourse], Unsigned(rec.courseDegrees));
  r.Take(p[F::kDate], Date(rec.date));
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25
void ParseVtg(NmeaFieldReader& r, NmeaVtgRecord& rec) {
  using F = NmeaVtgRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kTrackTrue], Unsigned(rec.trackTrue));
  r.Take(p[F::kTrueIndicator], Char(rec.trueIndicator));
  r.Take(p[F::kTrackMagnetic], Unsigned(rec.trackMagnetic));
  r.Take(p[F::kMagneticIndicator], Char(rec.magneticIndicator));
  r.Take(p[F::kSpeedKnots], Unsigned(rec.speedKnots));
  r.Take(p[F::kKnotsIndicator], Char(rec.knotsIndicator));
  r.Take(p[F::kSpeedKmh], Unsigned(rec.speedKmh));
  r.Take(p[F::kKmhIndicator], Char(rec.kmhIndicator));
  r.Take(p[F::kModeIndicator], Char(rec.modeIndicator));
}

// $GPZDA,201530.00,04,07,2002,-05,00*48
void ParseZda(NmeaFieldReader& r, NmeaZdaRecord& rec) {
  using F = NmeaZdaRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kTime], Time(rec.utcHour, rec.utcMinute, rec.utcSeconds));
  r.Take(p[F::kDay], [&rec](NmeaField f) {
    uint32_t v = 0;
    if (!ParseUnsigned(f, 2, v) || v < 1 || v > 31) return false;
    rec.day = static_cast<uint8_t>(v);
    return true;
  });
  r.Take(p[F::kMonth], [&rec](NmeaField f) {
    uint32_t v = 0;
    if (!ParseUnsigned(f, 2, v) || v < 1 || v > 12) return false;
    rec.month = static_cast<uint8_t>(v);
    return true;
  });
  r.Take(p[F::kYear], Integer(rec.year, 4, 9999));
  r.Take(p[F::kLocalZoneHours], ZoneHours(rec.localZoneHours));
  r.Take(p[F::kLocalZoneMinutes], Integer(rec.localZoneMinutes, 2, 59));
}

}  // namespace orv
