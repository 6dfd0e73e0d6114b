// Parsers of the receiver's own $PQTLG,9nn sentences. Their fields, in order, are those the
// NMEA windows show; each parser carries a sample of its sentence.
#include "nmea/NmeaParsers.h"

namespace orv {

using namespace nmea;

namespace {

// The MGRS position that opens the waypoint and user-position sentences: zone number, zone
// letter, the two letters of the 100 km square, easting and northing in metres within the
// square, altitude in metres. `p` holds their seven presence bytes.
void TakeMgrs(NmeaFieldReader& r, uint8_t* p, NmeaMgrsPosition& pos) {
  r.Take(p[0], [&pos](NmeaField f) {
    uint32_t v = 0;
    if (!ParseUnsigned(f, 2, v) || v < 1 || v > 60) return false;
    pos.zoneNumber = static_cast<uint8_t>(v);
    return true;
  });
  r.Take(p[1], Char(pos.zoneLetter));
  r.Take(p[2], Char(pos.squareColumn));
  r.Take(p[3], Char(pos.squareRow));
  r.Take(p[4], Unsigned(pos.easting));
  r.Take(p[5], Unsigned(pos.northing));
  r.Take(p[6], Signed(pos.altitude));
}

}  // namespace

// $PQTLG,900,3D,1*0D
//   navigation mode (up to three characters), fix quality indicator (one character).
void ParseNavStatus(NmeaFieldReader& r, NmeaNavStatusRecord& rec) {
  using F = NmeaNavStatusRecord;
  rec.present.fill(0);
  r.Take(rec.present[F::kNavigationMode], Text(rec.navigationMode));
  r.Take(rec.present[F::kFixQuality], Char(rec.fixQuality));
}

// $PQTLG,902,613-4521,2,C,P,1,A07,P,P,P,P,P,F*12
//   software part number (root number), variation number, revision letter, engine self-test
//   result, number of active faults, fault identifier (up to three characters), then the
//   results of RAM, flash, EEPROM, UART, real-time clock and correlator & RF (P or F).
void ParseSelfTest(NmeaFieldReader& r, NmeaSelfTestRecord& rec) {
  using F = NmeaSelfTestRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kSwPartNumber], Text(rec.swPartNumber));
  r.Take(p[F::kSwVariation], Integer(rec.swVariation, 4, 9999));
  r.Take(p[F::kSwRevision], Char(rec.swRevision));
  r.Take(p[F::kEngineSelfTest], Char(rec.engineSelfTest));
  r.Take(p[F::kActiveFaults], Integer(rec.activeFaults, 4, 9999));
  r.Take(p[F::kFaultIdentifier], Text(rec.faultIdentifier));
  r.Take(p[F::kRam], Char(rec.ram));
  r.Take(p[F::kFlash], Char(rec.flash));
  r.Take(p[F::kEeprom], Char(rec.eeprom));
  r.Take(p[F::kUart], Char(rec.uart));
  r.Take(p[F::kRealTimeClock], Char(rec.realTimeClock));
  r.Take(p[F::kCorrelatorRf], Char(rec.correlatorRf));
}

// $PQTLG,903,613-4522,17,P,P,F*3C
//   software part number (root number), impulse noise count, radiobeacon self-test, antenna,
//   battery-backed RAM (P or F).
void ParseRadiobeacon(NmeaFieldReader& r, NmeaRadiobeaconRecord& rec) {
  using F = NmeaRadiobeaconRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kSwPartNumber], Text(rec.swPartNumber));
  r.Take(p[F::kImpulseNoiseCount], Integer(rec.impulseNoiseCount, 9, 999999999));
  r.Take(p[F::kBeaconSelfTest], Char(rec.beaconSelfTest));
  r.Take(p[F::kAntenna], Char(rec.antenna));
  r.Take(p[F::kBatteryBackedRam], Char(rec.batteryBackedRam));
}

// $PQTLG,906,31,U,D,Q,48251.0,11932.0,35.0,HOME,1,125.5,1520.250,-12.0,A*44
//   waypoint position in MGRS (zone number, zone letter, square column, square row, easting,
//   northing, altitude), waypoint name, waypoint number, true bearing (degrees), distance and
//   delta-altitude (metres), status.
void ParseToWaypoint(NmeaFieldReader& r, NmeaToWaypointRecord& rec) {
  using F = NmeaToWaypointRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  TakeMgrs(r, &p[F::kZoneNumber], rec.waypoint);
  r.Take(p[F::kWaypointName], Text(rec.waypointName));
  r.Take(p[F::kWaypointNumber], Integer(rec.waypointNumber, 4, 9999));
  r.Take(p[F::kTrueBearing], Unsigned(rec.trueBearing));
  r.Take(p[F::kDistance], Unsigned(rec.distance));
  r.Take(p[F::kDeltaAltitude], Signed(rec.deltaAltitude));
  r.Take(p[F::kStatus], Char(rec.status));
}

// $PQTLG,907,31,U,D,Q,48251.0,11932.0,35.0,123519.00,A*5A
//   user position in MGRS (zone number, zone letter, square column, square row, easting,
//   northing, altitude), UTC time of the position, status.
void ParseUserPosition(NmeaFieldReader& r, NmeaUserPositionRecord& rec) {
  using F = NmeaUserPositionRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  TakeMgrs(r, &p[F::kZoneNumber], rec.position);
  r.Take(p[F::kTime], Time(rec.utcHour, rec.utcMinute, rec.utcSeconds));
  r.Take(p[F::kStatus], Char(rec.status));
}

// $PQTLG,908,10,1,1,0,5.0,47,2,30,9600,4,2*4E
//   number of elements, GPS time alignment mode, MSL model use (0/1), tropo model use (0/1),
//   mask angle (degrees), datum number, DGPS mode, differential coast time (seconds),
//   auxiliary port baud rate, latitude/longitude resolution and UTC time resolution (decimals).
void ParseRxParam(NmeaFieldReader& r, NmeaRxParamRecord& rec) {
  using F = NmeaRxParamRecord;
  rec.present.fill(0);
  auto& p = rec.present;
  r.Take(p[F::kElementCount], Integer(rec.elementCount, 2, 99));
  r.Take(p[F::kTimeAlignmentMode], Integer(rec.timeAlignmentMode, 1, 9));
  r.Take(p[F::kMslModelUse], Integer(rec.mslModelUse, 1, 1));
  r.Take(p[F::kTropoModelUse], Integer(rec.tropoModelUse, 1, 1));
  r.Take(p[F::kMaskAngle], Unsigned(rec.maskAngle));
  r.Take(p[F::kDatumNumber], Integer(rec.datumNumber, 3, 999));
  r.Take(p[F::kDgpsMode], Integer(rec.dgpsMode, 1, 9));
  r.Take(p[F::kDiffCoastTime], Integer(rec.diffCoastTime, 4, 9999));
  r.Take(p[F::kAuxBaudRate], Integer(rec.auxBaudRate, 6, 999999));
  r.Take(p[F::kLatLonResolution], Integer(rec.latLonResolution, 1, 9));
  r.Take(p[F::kUtcTimeResolution], Integer(rec.utcTimeResolution, 1, 9));
}

}  // namespace orv
