// Yuma almanac files: a text block of "Key: value" lines per satellite, ended by its week line.
// The reader keeps the records of healthy satellites, in file order, as the almanac transfer
// sends them.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// SV types of the almanac transfer dialog.
inline constexpr int kSvTypeGlonass = 0;
inline constexpr int kSvTypeGps = 1;
inline constexpr int kSvTypeGic = 2;

// The almanac table has one slot per satellite.
inline constexpr std::size_t kAlmanacSlots = 32;
// The file gives the full orbital inclination; the receiver takes its offset from 0.3 pi.
inline constexpr double kInclinationReference = 0.9424777960769379;

struct AlmanacEntry {
  int16_t svType = kSvTypeGps;
  int16_t prnIndex = 0;  // ID minus 1
  int16_t health = 0;
  double eccentricity = 0;
  double toa = 0;                // time of applicability, s
  double inclinationOffset = 0;  // rad, from 0.3 pi
  double rateOfRightAscension = 0;
  double sqrtA = 0;
  double rightAscension = 0;
  double argumentOfPerigee = 0;
  double meanAnomaly = 0;
  double af0 = 0;
  double af1 = 0;
  int16_t week = 0;
};

struct YumaReadResult {
  std::vector<AlmanacEntry> records;  // healthy, IDs 1 to 32, at most 32, file order
  int unhealthy = 0;                  // records dropped for their health
  int badId = 0;                      // records dropped for an ID outside 1 to 32
  int overflow = 0;                   // healthy records beyond the 32 slots
};

// Reads a Yuma almanac; every record gets `svType`. Lines of any length and CR LF ends are
// read whole; a line whose first word is no key is ignored.
YumaReadResult ReadYuma(std::istream& in, int svType);
// Nothing when the file cannot be opened.
std::optional<YumaReadResult> ReadYumaFile(const std::string& path, int svType);

}  // namespace orv
