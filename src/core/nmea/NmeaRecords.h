// The records that hold the last received sentence of each kind. Each starts with one presence
// byte per field of its sentence (1 = the field held a valid value in the last sentence, 0 =
// empty or invalid) followed by the values; a value whose presence byte is 0 keeps whatever an
// earlier sentence left there. Windows keep a pointer to their record and read it when they
// paint.
#pragma once

#include <array>
#include <cstdint>

namespace orv {

// Presence bytes and their accessor, shared by every record.
template <int N>
struct NmeaPresence {
  static constexpr int kFieldCount = N;
  std::array<uint8_t, N> present{};
  bool has(int field) const { return field >= 0 && field < N && present[static_cast<std::size_t>(field)] == 1; }
};

// Text fields are kept NUL-terminated; the longest text a record takes is one less than its
// array.
inline constexpr int kNmeaTextSize = 16;

// $GPGGA: fix data.
struct NmeaGgaRecord : NmeaPresence<14> {
  enum Field {
    kTime, kLatitude, kLatitudeHemisphere, kLongitude, kLongitudeHemisphere, kQuality,
    kSatellitesUsed, kHdop, kAltitude, kAltitudeUnits, kGeoidalSeparation, kSeparationUnits,
    kDgpsAge, kDgpsStationId
  };
  uint8_t utcHour = 0;
  uint8_t utcMinute = 0;
  double utcSeconds = 0;
  uint16_t latitudeDegrees = 0;
  double latitudeMinutes = 0;
  char latitudeHemisphere = 0;
  uint16_t longitudeDegrees = 0;
  double longitudeMinutes = 0;
  char longitudeHemisphere = 0;
  uint8_t quality = 0;
  uint8_t satellitesUsed = 0;
  double hdop = 0;
  double altitude = 0;
  char altitudeUnits = 0;
  double geoidalSeparation = 0;
  char separationUnits = 0;
  double dgpsAge = 0;
  uint16_t dgpsStationId = 0;
};

// $GPGLL: geographic position.
struct NmeaGllRecord : NmeaPresence<7> {
  enum Field { kLatitude, kLatitudeHemisphere, kLongitude, kLongitudeHemisphere, kTime, kStatus, kModeIndicator };
  uint16_t latitudeDegrees = 0;
  double latitudeMinutes = 0;
  char latitudeHemisphere = 0;
  uint16_t longitudeDegrees = 0;
  double longitudeMinutes = 0;
  char longitudeHemisphere = 0;
  uint8_t utcHour = 0;
  uint8_t utcMinute = 0;
  double utcSeconds = 0;
  char status = 0;
  char modeIndicator = 0;
};

// $GPGSA: DOP and active satellites.
struct NmeaGsaRecord : NmeaPresence<17> {
  static constexpr int kSatelliteSlots = 12;
  enum Field { kOperationMode, kFixMode, kFirstSatellite, kPdop = kFirstSatellite + kSatelliteSlots, kHdop, kVdop };
  char operationMode = 0;  // M manual, A automatic
  uint8_t fixMode = 0;     // 1 no fix, 2 2D, 3 3D
  std::array<uint16_t, kSatelliteSlots> satellites{};
  double pdop = 0;
  double hdop = 0;
  double vdop = 0;
};

// $GPGSV: satellites in view, up to four per sentence.
struct NmeaGsvSatellite {
  uint16_t prn = 0;
  int16_t elevation = 0;  // degrees
  uint16_t azimuth = 0;   // degrees from true north
  uint8_t snr = 0;        // dB-Hz
};

struct NmeaGsvRecord : NmeaPresence<19> {
  static constexpr int kSatelliteSlots = 4;
  // Satellite i has its four fields at kFirstSatellite + 4 i (PRN, elevation, azimuth, SNR).
  enum Field { kTotalMessages, kMessageNumber, kSatellitesInView, kFirstSatellite };
  uint8_t totalMessages = 0;
  uint8_t messageNumber = 0;
  uint8_t satellitesInView = 0;
  std::array<NmeaGsvSatellite, kSatelliteSlots> satellites{};
};

// $GPMSS: beacon receiver signal.
struct NmeaMssRecord : NmeaPresence<4> {
  enum Field { kSignalStrength, kSignalToNoise, kFrequency, kBitRate };
  double signalStrength = 0;  // dB
  double signalToNoise = 0;   // dB
  double frequency = 0;       // kHz
  double bitRate = 0;         // bits per second
};

// $GPRMC: recommended minimum data.
struct NmeaRmcRecord : NmeaPresence<9> {
  enum Field { kTime, kStatus, kLatitude, kLatitudeHemisphere, kLongitude, kLongitudeHemisphere, kSpeed, kCourse, kDate };
  uint8_t utcHour = 0;
  uint8_t utcMinute = 0;
  double utcSeconds = 0;
  char status = 0;
  uint16_t latitudeDegrees = 0;
  double latitudeMinutes = 0;
  char latitudeHemisphere = 0;
  uint16_t longitudeDegrees = 0;
  double longitudeMinutes = 0;
  char longitudeHemisphere = 0;
  double speedKnots = 0;
  double courseDegrees = 0;
  uint32_t date = 0;  // ddmmyy as the integer it reads
};

// $GPVTG: track made good and ground speed.
struct NmeaVtgRecord : NmeaPresence<9> {
  enum Field { kTrackTrue, kTrueIndicator, kTrackMagnetic, kMagneticIndicator, kSpeedKnots, kKnotsIndicator, kSpeedKmh, kKmhIndicator, kModeIndicator };
  double trackTrue = 0;
  char trueIndicator = 0;
  double trackMagnetic = 0;
  char magneticIndicator = 0;
  double speedKnots = 0;
  char knotsIndicator = 0;
  double speedKmh = 0;
  char kmhIndicator = 0;
  char modeIndicator = 0;
};

// $GPZDA: time, date and local zone.
struct NmeaZdaRecord : NmeaPresence<6> {
  enum Field { kTime, kDay, kMonth, kYear, kLocalZoneHours, kLocalZoneMinutes };
  uint8_t utcHour = 0;
  uint8_t utcMinute = 0;
  double utcSeconds = 0;
  uint8_t day = 0;
  uint8_t month = 0;
  uint16_t year = 0;
  int8_t localZoneHours = 0;
  uint8_t localZoneMinutes = 0;
};

// $PQTLG,900: navigation status.
struct NmeaNavStatusRecord : NmeaPresence<2> {
  enum Field { kNavigationMode, kFixQuality };
  char navigationMode[4] = {};  // up to three characters
  char fixQuality = 0;
};

// $PQTLG,902: self-test results. Test results are 'P' (pass) or 'F' (fail).
struct NmeaSelfTestRecord : NmeaPresence<12> {
  enum Field {
    kSwPartNumber, kSwVariation, kSwRevision, kEngineSelfTest, kActiveFaults, kFaultIdentifier,
    kRam, kFlash, kEeprom, kUart, kRealTimeClock, kCorrelatorRf
  };
  char swPartNumber[kNmeaTextSize] = {};
  uint16_t swVariation = 0;
  char swRevision = 0;
  char engineSelfTest = 0;
  uint16_t activeFaults = 0;
  char faultIdentifier[4] = {};  // up to three characters
  char ram = 0;
  char flash = 0;
  char eeprom = 0;
  char uart = 0;
  char realTimeClock = 0;
  char correlatorRf = 0;
};

// $PQTLG,903: radiobeacon information. Test results are 'P' or 'F'.
struct NmeaRadiobeaconRecord : NmeaPresence<5> {
  enum Field { kSwPartNumber, kImpulseNoiseCount, kBeaconSelfTest, kAntenna, kBatteryBackedRam };
  char swPartNumber[kNmeaTextSize] = {};
  uint32_t impulseNoiseCount = 0;
  char beaconSelfTest = 0;
  char antenna = 0;
  char batteryBackedRam = 0;
};

// A position in MGRS as the proprietary sentences carry it.
struct NmeaMgrsPosition {
  uint8_t zoneNumber = 0;  // 1..60
  char zoneLetter = 0;
  char squareColumn = 0;
  char squareRow = 0;
  double easting = 0;   // metres within the square
  double northing = 0;  // metres within the square
  double altitude = 0;  // metres
};

// $PQTLG,906: bearing, distance and height difference to the active waypoint.
struct NmeaToWaypointRecord : NmeaPresence<13> {
  enum Field {
    kZoneNumber, kZoneLetter, kSquareColumn, kSquareRow, kEasting, kNorthing, kAltitude,
    kWaypointName, kWaypointNumber, kTrueBearing, kDistance, kDeltaAltitude, kStatus
  };
  NmeaMgrsPosition waypoint;
  char waypointName[kNmeaTextSize] = {};
  uint16_t waypointNumber = 0;
  double trueBearing = 0;    // degrees
  double distance = 0;       // metres
  double deltaAltitude = 0;  // metres
  char status = 0;
};

// $PQTLG,907: user position in MGRS with its UTC time.
struct NmeaUserPositionRecord : NmeaPresence<9> {
  enum Field { kZoneNumber, kZoneLetter, kSquareColumn, kSquareRow, kEasting, kNorthing, kAltitude, kTime, kStatus };
  NmeaMgrsPosition position;
  uint8_t utcHour = 0;
  uint8_t utcMinute = 0;
  double utcSeconds = 0;
  char status = 0;
};

// $PQTLG,908: receiver parameters.
struct NmeaRxParamRecord : NmeaPresence<11> {
  enum Field {
    kElementCount, kTimeAlignmentMode, kMslModelUse, kTropoModelUse, kMaskAngle, kDatumNumber,
    kDgpsMode, kDiffCoastTime, kAuxBaudRate, kLatLonResolution, kUtcTimeResolution
  };
  uint8_t elementCount = 0;
  uint8_t timeAlignmentMode = 0;
  uint8_t mslModelUse = 0;
  uint8_t tropoModelUse = 0;
  double maskAngle = 0;  // degrees
  uint16_t datumNumber = 0;
  uint8_t dgpsMode = 0;
  uint16_t diffCoastTime = 0;  // seconds
  uint32_t auxBaudRate = 0;
  uint8_t latLonResolution = 0;   // decimals of the minutes
  uint8_t utcTimeResolution = 0;  // decimals of the seconds
};

// Signed decimal degrees of a degrees-and-minutes angle: negative for the 'S' and 'W'
// hemispheres.
inline double NmeaAngleDegrees(uint16_t degrees, double minutes, char hemisphere) {
  const double value = degrees + minutes / 60.0;
  return hemisphere == 'S' || hemisphere == 'W' ? -value : value;
}

}  // namespace orv
