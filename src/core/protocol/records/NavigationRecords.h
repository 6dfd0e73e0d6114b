// Records of the navigation solutions and receiver state: messages 18, 19, 20, 21, 47 and 49.
// Angles are radians as they come over the link.
#pragma once

#include <cstdint>

#include "protocol/records/ByteRecord.h"

namespace orv {

// Message 20, the geodetic solution. Some fields mean different things on the navigation
// window's normal page and on its RTK page; both readings are offered.
class NavLlhRecord : public ByteRecord<71> {
 public:
  int utcHours() const { return Byte(0) & 0x1F; }
  int utcMinutes() const { return Byte(1); }
  double utcSeconds() const { return Get<double>(2); }
  int utcDay() const { return Byte(10); }
  int utcMonth() const { return Byte(11); }
  int utcYear() const { return Get<uint16_t>(12); }
  double latitude() const { return Get<double>(14); }
  double longitude() const { return Get<double>(22); }
  float altitude() const { return Get<float>(30); }
  float groundSpeed() const { return Get<float>(34); }  // normal page, m/s
  float clockBias() const { return Get<float>(34); }    // RTK page, ms
  float trackAngle() const { return Get<float>(38); }   // normal page, radians
  float clockDrift() const { return Get<float>(38); }   // RTK page, ppm
  float velocityNorth() const { return Get<float>(42); }
  float velocityEast() const { return Get<float>(46); }
  float velocityUp() const { return Get<float>(50); }
  float hfom() const { return Get<float>(54); }
  float vfom() const { return Get<float>(58); }
  int16_t hdopTenths() const { return Get<int16_t>(62); }  // normal page
  int16_t vdopTenths() const { return Get<int16_t>(64); }  // normal page
  float rtkGpsTime() const { return Get<float>(62); }      // RTK page, seconds
  uint8_t modeByte() const { return Byte(66); }
  int navMode() const { return Byte(66) & 0x1F; }
  int confidenceLevel() const { return (Byte(66) >> 5) & 1; }  // 1 "High", 0 "Normal"
  int dgpsSource() const { return (Byte(66) >> 6) & 1; }       // 0 "WAAS", 1 "Beacon"
  uint8_t svByte() const { return Byte(67); }
  // On the normal page the upper half of the satellite byte carries datum bits.
  int svCount() const { return Byte(67) & 0x0F; }
  uint8_t statusByte() const { return Byte(68); }
  int systemMode() const { return Byte(68) & 0x07; }
  int trackingMode() const { return (Byte(68) >> 6) & 1; }  // 1 "Sky Search"
  int datumNumber() const { return (Byte(67) >> 4) | (Byte(68) & 0x30); }
  uint16_t reserved() const { return Get<uint16_t>(69); }  // normal page
  uint16_t gpsWeek() const { return Get<uint16_t>(69); }   // RTK page
};

// Message 21, the Earth-centred solution.
class NavXyzRecord : public ByteRecord<79> {
 public:
  double gpsSeconds() const { return Get<double>(0); }
  uint16_t gpsWeek() const { return Get<uint16_t>(8); }
  double positionX() const { return Get<double>(10); }
  double positionY() const { return Get<double>(18); }
  double positionZ() const { return Get<double>(26); }
  float velocityX() const { return Get<float>(34); }
  float velocityY() const { return Get<float>(38); }
  float velocityZ() const { return Get<float>(42); }
  double clockBias() const { return Get<double>(46); }   // seconds
  double clockDrift() const { return Get<double>(54); }  // ppm
  float hfom() const { return Get<float>(62); }
  float vfom() const { return Get<float>(66); }
  uint16_t hdopTenths() const { return Get<uint16_t>(70); }
  uint16_t vdopTenths() const { return Get<uint16_t>(72); }
  int navMode() const { return Byte(74) & 0x1F; }
  int svCount() const { return Byte(75); }
};

// Messages 18 and 19 share one layout: a relative (baseline) solution.
class SolutionRecord : public ByteRecord<41> {
 public:
  float gpsTimeOfWeek() const { return Get<float>(0); }
  float baselineX() const { return Get<float>(4); }
  float baselineY() const { return Get<float>(8); }
  float baselineZ() const { return Get<float>(12); }
  float cep() const { return Get<float>(16); }
  float velocityX() const { return Get<float>(20); }
  float velocityY() const { return Get<float>(24); }
  float velocityZ() const { return Get<float>(28); }
  uint32_t svsUsedMask() const { return Get<uint32_t>(32); }      // bit k: SV k + 1
  uint32_t svsRejectedMask() const { return Get<uint32_t>(36); }  // bit k: SV k + 1
  int referenceSv() const { return Byte(40) + 1; }
};
class PredictedSolutionRecord : public SolutionRecord {};
class MatchedSolutionRecord : public SolutionRecord {};

// Message 49.
class ReceiverStatusRecord : public ByteRecord<40> {
 public:
  int systemMode() const { return Byte(0) & 0x0F; }
  int svTrackingMode() const { return (Byte(0) >> 6) & 1; }  // 0 "All In View", 1 "Sky Search"
  int nvmStatus() const { return (Byte(0) >> 7) & 1; }       // 0 "Idle", 1 "Busy"
  int tropoModelEnabled() const { return Byte(1) & 1; }
  int mslModelEnabled() const { return (Byte(1) >> 1) & 1; }
  int powerUpMode() const { return (Byte(1) >> 2) & 3; }
  int timeSource() const { return (Byte(1) >> 5) & 7; }
  uint16_t almanacWeek() const { return Get<uint16_t>(2); }
  uint16_t weekNumber() const { return Get<uint16_t>(4); }
  uint32_t svDeselection() const { return Get<uint32_t>(6); }        // bit n: SV n + 1
  uint16_t channelDeselection() const { return Get<uint16_t>(10); }  // bit n: channel n + 1
  uint16_t maskAngleHundredths() const { return Get<uint16_t>(19); }
  uint8_t discreteInput() const { return Byte(21); }
  int16_t tcxoErrorEstimate() const { return Get<int16_t>(22); }
  uint8_t tcxoAgeingTenths() const { return Byte(24); }
  float searchNoise() const { return Get<float>(25); }
  int navMode() const { return Byte(29) & 0x1F; }
};

// Message 47: a fixed head of 42 bytes, then `entryCount` two-byte entries. Entries that the
// payload does not carry read as zero.
class BaseStatusRecord : public ByteRecord<42 + 2 * 255> {
 public:
  int baseStatus() const { return Byte(0) & 3; }
  int baudRateIndex() const { return (Byte(0) >> 2) & 7; }
  double surveyTimeRemaining() const { return Get<double>(1); }  // hours
  float cep() const { return Get<float>(9); }
  double latitude() const { return Get<double>(13); }
  double longitude() const { return Get<double>(21); }
  double altitude() const { return Get<double>(29); }
  int entryCount() const { return Byte(41); }
  int entryType(int k) const { return k >= 0 && k < entryCount() ? Byte(42 + 2 * static_cast<std::size_t>(k)) : 0; }
  int entryRate(int k) const { return k >= 0 && k < entryCount() ? Byte(43 + 2 * static_cast<std::size_t>(k)) : 0; }
  // The bytes the message defines: the head and its entries.
  std::size_t storedSize() const { return 42 + 2 * static_cast<std::size_t>(entryCount()); }
};

}  // namespace orv
