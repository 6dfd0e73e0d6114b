// The receiver's geodetic datums and their ellipsoids. The datum numbers are the receiver's
// own: a datum's position in the table is the number message 88 sends and messages 20 report.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orv {

struct Ellipsoid {
  std::string_view name;
  double semiMajorAxis;      // metres
  double inverseFlattening;  // 1/f
};

// Shifts are whole metres in the receiver's convention: from WGS 84 to the datum, which is
// the negative of the datum-to-WGS 84 shifts usually published (Tokyo: 148, -507, -685).
struct Datum {
  std::string_view name;    // as the list shows it
  std::string_view region;  // the "Countries" text
  int16_t dx, dy, dz;
  int ellipsoid;            // 1..16; 0 for the user-defined datums, whose ellipsoid is entered
};

inline constexpr int kEllipsoidCount = 16;
inline constexpr int kDatumCount = 64;
inline constexpr int kWgs84Datum = 0;
inline constexpr int kWgs84Ellipsoid = 16;
inline constexpr int kUserDatumRows[2] = {1, 2};

// Ellipsoids numbered from 1: entry 0 is ellipsoid 1.
std::span<const Ellipsoid, kEllipsoidCount> EllipsoidTable();
// Datums numbered from 0.
std::span<const Datum, kDatumCount> DatumTable();

// Ellipsoid `number` (1..16); null for any other number.
const Ellipsoid* EllipsoidByNumber(int number);
// Datum `number` (0..63); null for any other number.
const Datum* DatumByNumber(int number);
// Rows 1 and 2, whose parameters the user enters.
constexpr bool IsUserDefinedDatum(int number) { return number == 1 || number == 2; }

}  // namespace orv
