// NMEA sentence builders. Positions are ddmm.mmmmm / dddmm.mmmmm with hemisphere letters,
// times hhmmss.ss in UTC, speeds in knots and km/h as NMEA 0183 has them.
#include "sim/SimNmea.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "util/Format.h"

namespace orv::sim {

namespace {

constexpr double kRadToDeg = 180.0 / std::numbers::pi;
constexpr double kKnotsPerMs = 1.0 / 0.514444;

std::string Time(const SimFix& f) {
  return Format("%02d%02d%05.2f", f.utc.hour, f.utc.minute, std::floor(f.utc.second * 100) / 100);
}

std::string Angle(double rad, int degreeDigits, char positive, char negative) {
  const double deg = std::fabs(rad) * kRadToDeg;
  int whole = static_cast<int>(deg);
  double minutes = (deg - whole) * 60.0;
  if (minutes >= 59.999995) minutes = 0, ++whole;
  return Format("%0*d%08.5f,%c", degreeDigits, whole, minutes, rad >= 0 ? positive : negative);
}

std::string Position(const SimFix& f) { return Angle(f.latRad, 2, 'N', 'S') + "," + Angle(f.lonRad, 3, 'E', 'W'); }

int Used(const SimFix& f) {
  int n = 0;
  for (const SimSatellite& s : f.satellites) n += s.used ? 1 : 0;
  return n;
}

std::string Gga(const SimFix& f) {
  return Format("GPGGA,%s,%s,1,%02d,%.1f,%.1f,M,-32.4,M,,", Time(f).c_str(), Position(f).c_str(), Used(f), f.hdop,
                f.altM);
}

std::string Gsa(const SimFix& f) {
  std::string body = "GPGSA,A,3";
  int slots = 0;
  for (const SimSatellite& s : f.satellites) {
    if (s.used && slots < 12) body += Format(",%02d", s.prn), ++slots;
  }
  for (; slots < 12; ++slots) body += ",";
  return body + Format(",%.1f,%.1f,%.1f", f.pdop, f.hdop, f.vdop);
}

std::vector<std::string> Gsv(const SimFix& f) {
  const int n = static_cast<int>(f.satellites.size());
  const int total = std::max(1, (n + 3) / 4);
  std::vector<std::string> out;
  for (int m = 0; m < total; ++m) {
    std::string body = Format("GPGSV,%d,%d,%02d", total, m + 1, n);
    for (int i = m * 4; i < std::min(n, m * 4 + 4); ++i) {
      const SimSatellite& s = f.satellites[i];
      body += Format(",%02d,%02d,%03d,%02d", s.prn, static_cast<int>(std::lround(s.elevationDeg)),
                     static_cast<int>(std::lround(s.azimuthDeg)) % 360, static_cast<int>(std::lround(s.snrDbHz)));
    }
    out.push_back(NmeaSentence(body));
  }
  return out;
}

std::string Rmc(const SimFix& f) {
  return Format("GPRMC,%s,A,%s,%.2f,%.1f,%02d%02d%02d,,,A", Time(f).c_str(), Position(f).c_str(),
                f.speed * kKnotsPerMs, f.trackRad * kRadToDeg, f.utc.day, f.utc.month, f.utc.year % 100);
}

// A position in MGRS: zone, latitude band, 100 km square letters and metres within the square,
// from a transverse Mercator projection on the WGS 84 ellipsoid.
struct Mgrs {
  int zone = 0;
  char band = 'N';
  char column = 'A', row = 'A';
  double easting = 0, northing = 0;
};

Mgrs ToMgrs(double latRad, double lonRad) {
  constexpr double a = 6378137.0, f = 1 / 298.257223563, k0 = 0.9996;
  const double e2 = f * (2 - f), ep2 = e2 / (1 - e2);
  const double lonDeg = lonRad * kRadToDeg, latDeg = latRad * kRadToDeg;
  Mgrs m;
  m.zone = std::clamp(static_cast<int>(std::floor((lonDeg + 180) / 6)) + 1, 1, 60);
  const double lon0 = ((m.zone - 1) * 6 - 180 + 3) / kRadToDeg;
  const double n = a / std::sqrt(1 - e2 * std::sin(latRad) * std::sin(latRad));
  const double t = std::tan(latRad) * std::tan(latRad), c = ep2 * std::cos(latRad) * std::cos(latRad);
  const double A = std::cos(latRad) * (lonRad - lon0);
  const double M = a * ((1 - e2 / 4 - 3 * e2 * e2 / 64) * latRad - (3 * e2 / 8 + 3 * e2 * e2 / 32) * std::sin(2 * latRad) +
                        (15 * e2 * e2 / 256) * std::sin(4 * latRad));
  const double x = k0 * n * (A + (1 - t + c) * A * A * A / 6 + (5 - 18 * t + t * t + 72 * c - 58 * ep2) * std::pow(A, 5) / 120) + 500000;
  double y = k0 * (M + n * std::tan(latRad) * (A * A / 2 + (5 - t + 9 * c + 4 * c * c) * std::pow(A, 4) / 24 +
                                              (61 - 58 * t + t * t + 600 * c - 330 * ep2) * std::pow(A, 6) / 720));
  if (latRad < 0) y += 10000000;
  static constexpr char kBands[] = "CDEFGHJKLMNPQRSTUVWX";
  m.band = kBands[std::clamp(static_cast<int>(std::floor((latDeg + 80) / 8)), 0, 19)];
  static constexpr const char* kColumns[] = {"STUVWXYZ", "ABCDEFGH", "JKLMNPQR"};
  static constexpr char kRows[] = "ABCDEFGHJKLMNPQRSTUV";
  const int column = std::clamp(static_cast<int>(std::floor(x / 100000)) - 1, 0, 7);
  m.column = kColumns[m.zone % 3][column];
  m.row = kRows[(static_cast<int>(std::floor(y / 100000)) + (m.zone % 2 == 0 ? 5 : 0)) % 20];
  m.easting = std::fmod(x, 100000);
  m.northing = std::fmod(y, 100000);
  return m;
}

std::string MgrsFields(double latRad, double lonRad, double altM) {
  const Mgrs m = ToMgrs(latRad, lonRad);
  return Format("%02d,%c,%c,%c,%.1f,%.1f,%.1f", m.zone, m.band, m.column, m.row, m.easting, m.northing, altM);
}

// The waypoint the receiver steers to: the centre of the circle the scene drives.
std::string ToWaypoint(const SimFix& f) {
  constexpr double kEarthRadiusM = 6371000.0;
  const double lat0 = kCentreLatDeg / kRadToDeg, lon0 = kCentreLonDeg / kRadToDeg;
  const double north = (lat0 - f.latRad) * kEarthRadiusM;
  const double east = (lon0 - f.lonRad) * kEarthRadiusM * std::cos(f.latRad);
  double bearing = std::atan2(east, north) * kRadToDeg;
  if (bearing < 0) bearing += 360;
  return Format("PQTLG,906,%s,HOME,1,%.1f,%.3f,%.1f,A", MgrsFields(lat0, lon0, kCentreAltM).c_str(), bearing,
                std::hypot(north, east), kCentreAltM - f.altM);
}

std::string RxParams(const SimRxParams& p) {
  return Format("PQTLG,908,10,%d,%d,%d,%.1f,%d,%d,%d,%u,%d,%d", p.timeAlignmentMode, p.mslModelUse, p.tropoModelUse,
                p.maskAngleDeg, p.datumNumber, p.dgpsMode, p.diffCoastTimeS, p.auxBaudRate, p.latLonResolution,
                p.utcTimeResolution);
}

std::string Vtg(const SimFix& f) {
  return Format("GPVTG,%.1f,T,,M,%.2f,N,%.2f,K,A", f.trackRad * kRadToDeg, f.speed * kKnotsPerMs, f.speed * 3.6);
}

}  // namespace

int NmeaCodeIndex(std::string_view code) {
  for (int i = 0; i < kNmeaCodeCount; ++i) {
    if (kNmeaCodes[i] == code) return i;
  }
  return -1;
}

std::string NmeaChecksum(std::string_view body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  return Format("%02X", sum);
}

std::string NmeaSentence(std::string_view body) {
  std::string s;
  s.reserve(body.size() + 6);
  s += '$';
  s += body;
  s += '*';
  s += NmeaChecksum(body);
  s += "\r\n";
  return s;
}

std::vector<std::string> NmeaSentencesFor(std::string_view code, const SimFix& f, const SimRxParams& params) {
  switch (NmeaCodeIndex(code)) {
    case 0: return {NmeaSentence(Gga(f))};
    case 1: return {NmeaSentence(Format("GPGLL,%s,%s,A,A", Position(f).c_str(), Time(f).c_str()))};
    case 2: return {NmeaSentence(Gsa(f))};
    case 3: return Gsv(f);
    case 4: return {NmeaSentence(Rmc(f))};
    case 5: return {NmeaSentence(Vtg(f))};
    case 6:
      return {NmeaSentence(
          Format("GPZDA,%s,%02d,%02d,%04d,00,00", Time(f).c_str(), f.utc.day, f.utc.month, f.utc.year))};
    case 7: return {NmeaSentence("PQTLG,900,3D,1")};
    case 8: return {NmeaSentence("PQTLG,902,613-4521,2,C,P,0,,P,P,P,P,P,P")};
    case 9: return {NmeaSentence(Format("PQTLG,903,613-4522,%d,P,P,P", 10 + static_cast<int>(f.gpsSeconds) % 7))};
    case 10: return {NmeaSentence(ToWaypoint(f))};
    case 11:
      return {NmeaSentence(Format("PQTLG,907,%s,%s,A", MgrsFields(f.latRad, f.lonRad, f.altM).c_str(), Time(f).c_str()))};
    case 12: return {NmeaSentence(RxParams(params))};
    case 13:
      return {NmeaSentence(Format("GPMSS,%d,%d,318.0,100", 52 + static_cast<int>(f.gpsSeconds) % 5,
                                  25 + static_cast<int>(f.gpsSeconds) % 3))};
    default: return {};
  }
}

namespace {

// A whole number of at most `digits` digits within [lo, hi].
bool Whole(const std::string& text, std::size_t digits, long lo, long hi, long& out) {
  if (text.empty() || text.size() > digits) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  out = std::strtol(text.c_str(), nullptr, 10);
  return out >= lo && out <= hi;
}

}  // namespace

std::optional<SimRxParams> ParseRxParams(const std::vector<std::string>& f) {
  // f[0] "PQTLG", f[1] "008", then ten fields.
  if (f.size() != 12) return std::nullopt;
  long v[10] = {};
  const struct { std::size_t digits; long lo, hi; } kLimits[] = {
      {1, 0, 9}, {1, 0, 1}, {1, 0, 1}, {0, 0, 0}, {3, 0, 999}, {1, 0, 9}, {4, 0, 9999}, {6, 300, 115200}, {1, 0, 9}, {1, 0, 9}};
  double mask = 0;
  for (int i = 0; i < 10; ++i) {
    const std::string& text = f[static_cast<std::size_t>(2 + i)];
    if (i == 3) {
      char* end = nullptr;
      mask = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != 0 || !(mask >= 0 && mask <= 90)) return std::nullopt;
      continue;
    }
    if (!Whole(text, kLimits[i].digits, kLimits[i].lo, kLimits[i].hi, v[i])) return std::nullopt;
  }
  if (v[7] % 300 != 0) return std::nullopt;
  SimRxParams p;
  p.timeAlignmentMode = static_cast<int>(v[0]);
  p.mslModelUse = static_cast<int>(v[1]);
  p.tropoModelUse = static_cast<int>(v[2]);
  p.maskAngleDeg = mask;
  p.datumNumber = static_cast<int>(v[4]);
  p.dgpsMode = static_cast<int>(v[5]);
  p.diffCoastTimeS = static_cast<int>(v[6]);
  p.auxBaudRate = static_cast<uint32_t>(v[7]);
  p.latLonResolution = static_cast<int>(v[8]);
  p.utcTimeResolution = static_cast<int>(v[9]);
  return p;
}

std::vector<std::string> SplitFields(std::string_view body) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = body.find(',', start);
    if (comma == std::string_view::npos) {
      fields.emplace_back(body.substr(start));
      return fields;
    }
    fields.emplace_back(body.substr(start, comma - start));
    start = comma + 1;
  }
}

}  // namespace orv::sim
