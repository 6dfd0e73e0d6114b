// One parser per sentence kind: each clears its record's presence bytes and then reads the
// fields in the sentence's order from the reader, which starts at the first field after the
// address.
#pragma once

#include "nmea/NmeaFields.h"
#include "nmea/NmeaRecords.h"

namespace orv {

void ParseGga(NmeaFieldReader& r, NmeaGgaRecord& rec);
void ParseGll(NmeaFieldReader& r, NmeaGllRecord& rec);
void ParseGsa(NmeaFieldReader& r, NmeaGsaRecord& rec);
void ParseGsv(NmeaFieldReader& r, NmeaGsvRecord& rec);
void ParseMss(NmeaFieldReader& r, NmeaMssRecord& rec);
void ParseRmc(NmeaFieldReader& r, NmeaRmcRecord& rec);
void ParseVtg(NmeaFieldReader& r, NmeaVtgRecord& rec);
void ParseZda(NmeaFieldReader& r, NmeaZdaRecord& rec);

void ParseNavStatus(NmeaFieldReader& r, NmeaNavStatusRecord& rec);
void ParseSelfTest(NmeaFieldReader& r, NmeaSelfTestRecord& rec);
void ParseRadiobeacon(NmeaFieldReader& r, NmeaRadiobeaconRecord& rec);
void ParseToWaypoint(NmeaFieldReader& r, NmeaToWaypointRecord& rec);
void ParseUserPosition(NmeaFieldReader& r, NmeaUserPositionRecord& rec);
void ParseRxParam(NmeaFieldReader& r, NmeaRxParamRecord& rec);

// The conversions the parsers hand to NmeaFieldReader::Take, each binding the record value(s)
// it fills.
namespace nmea {

inline auto Time(uint8_t& hour, uint8_t& minute, double& seconds) {
  return [&](NmeaField f) { return ParseTime(f, hour, minute, seconds); };
}
inline auto Latitude(uint16_t& degrees, double& minutes) {
  return [&](NmeaField f) { return ParseAngle(f, 2, 90, degrees, minutes); };
}
inline auto Longitude(uint16_t& degrees, double& minutes) {
  return [&](NmeaField f) { return ParseAngle(f, 3, 180, degrees, minutes); };
}
inline auto Unsigned(double& value) {
  return [&](NmeaField f) { return ParseDecimal(f, false, value); };
}
inline auto Signed(double& value) {
  return [&](NmeaField f) { return ParseDecimal(f, true, value); };
}
// A hemisphere letter: one of the two given.
inline auto Hemisphere(char& value, char a, char b) {
  return [&value, a, b](NmeaField f) {
    if (f.n != 1 || (f.p[0] != a && f.p[0] != b)) return false;
    value = f.p[0];
    return true;
  };
}
inline auto Char(char& value) {
  return [&](NmeaField f) { return ParseChar(f, value); };
}
template <int N>
auto Text(char (&value)[N]) {
  return [&](NmeaField f) { return ParseText(f, value, N); };
}
// An integer of at most maxDigits digits and at most max.
template <typename T>
auto Integer(T& value, int maxDigits, uint32_t max) {
  return [&value, maxDigits, max](NmeaField f) {
    uint32_t v = 0;
    if (!ParseUnsigned(f, maxDigits, v) || v > max) return false;
    value = static_cast<T>(v);
    return true;
  };
}

}  // namespace nmea
}  // namespace orv
