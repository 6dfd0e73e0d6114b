// NMEA sentence builders. Positions are ddmm.mmmmm / dddmm.mmmmm with hemisphere letters,
// times hhmmss.ss in UTC, speeds in knots and km/h as NMEA 0183 has them.
#include "sim/SimNmea.h"

#include <cmath>
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

std::vector<std::string> NmeaSentencesFor(std::string_view code, const SimFix& f) {
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
    default: return {};
  }
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
