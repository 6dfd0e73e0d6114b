// The simulated motion and sky. Satellites follow smooth made-up tracks rather than orbits: a
// receiver console needs values that move plausibly, not ephemeris-accurate geometry.
#include "sim/SimScene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orv::sim {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;
constexpr double kWgsA = 6378137.0;
constexpr double kWgsE2 = 6.69437999014e-3;
constexpr double kSecondsPerWeek = 604800.0;
// 1980-01-06 is day 3657 after 1970-01-01.
constexpr double kGpsEpochUnix = 3657.0 * 86400.0;
constexpr int kSatellitesInSky = 10;

uint32_t Mix(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// A deterministic uniform value in [0, 1) from a seed and a counter.
double Uniform(uint32_t seed, uint32_t n) { return Mix(seed * 0x9E3779B9U + Mix(n)) / 4294967296.0; }

}  // namespace

void GeodeticToEcef(double lat, double lon, double h, double& x, double& y, double& z) {
  const double s = std::sin(lat);
  const double n = kWgsA / std::sqrt(1.0 - kWgsE2 * s * s);
  x = (n + h) * std::cos(lat) * std::cos(lon);
  y = (n + h) * std::cos(lat) * std::sin(lon);
  z = (n * (1.0 - kWgsE2) + h) * s;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

double SimScene::GpsTimeFromUnix(double unixSeconds) { return unixSeconds - kGpsEpochUnix + kGpsUtcLeapSeconds; }

SimScene::SimScene(uint32_t seed, double startGpsTime) : seed_(seed), startGpsTime_(startGpsTime) {
  // Ten distinct PRNs out of 32, each on its own slow track.
  std::vector<int> prns;
  for (uint32_t n = 0; static_cast<int>(prns.size()) < kSatellitesInSky; ++n) {
    const int prn = 1 + static_cast<int>(Uniform(seed, n) * 32);
    if (std::find(prns.begin(), prns.end(), prn) == prns.end()) prns.push_back(prn);
  }
  for (std::size_t i = 0; i < prns.size(); ++i) {
    const uint32_t k = 1000 + static_cast<uint32_t>(i) * 8;
    Orbit o;
    o.prn = prns[i];
    o.azimuth0 = 360.0 * (i + Uniform(seed, k)) / kSatellitesInSky;
    o.azimuthRate = (Uniform(seed, k + 1) < 0.5 ? -1 : 1) * (0.002 + 0.006 * Uniform(seed, k + 2));
    o.phase = 2 * kPi * Uniform(seed, k + 3);
    o.rate = 2 * kPi / (14400.0 + 14400.0 * Uniform(seed, k + 4));
    o.snrBias = 4.0 * Uniform(seed, k + 5) - 2.0;
    orbits_.push_back(o);
  }
}

double SimScene::Noise(int prn, int64_t step) const {
  return 2.0 * Uniform(seed_ ^ static_cast<uint32_t>(prn * 7919), static_cast<uint32_t>(step)) - 1.0;
}

SimFix SimScene::At(double elapsed) const {
  SimFix f;
  const double gps = startGpsTime_ + elapsed;
  f.gpsWeek = static_cast<int>(std::floor(gps / kSecondsPerWeek));
  f.gpsSeconds = gps - f.gpsWeek * kSecondsPerWeek;

  const double unix = gps + kGpsEpochUnix - kGpsUtcLeapSeconds;
  const double days = std::floor(unix / 86400.0);
  CivilFromDays(static_cast<int64_t>(days), f.utc.year, f.utc.month, f.utc.day);
  const double sod = unix - days * 86400.0;
  f.utc.hour = static_cast<int>(sod / 3600);
  f.utc.minute = static_cast<int>((sod - f.utc.hour * 3600) / 60);
  f.utc.second = sod - f.utc.hour * 3600 - f.utc.minute * 60;

  // The circle, counter-clockwise seen from above, starting due north of the centre.
  const double w = 2 * kPi / kCirclePeriodS;
  const double a = w * elapsed + Uniform(seed_, 7) * 2 * kPi;
  const double north = kCircleRadiusM * std::cos(a), east = kCircleRadiusM * std::sin(a);
  const double lat0 = kCentreLatDeg * kDeg, lon0 = kCentreLonDeg * kDeg;
  const double s = std::sin(lat0);
  const double rn = kWgsA / std::sqrt(1 - kWgsE2 * s * s);
  const double rm = rn * (1 - kWgsE2) / (1 - kWgsE2 * s * s);
  f.latRad = lat0 + north / (rm + kCentreAltM);
  f.lonRad = lon0 + east / ((rn + kCentreAltM) * std::cos(lat0));
  f.altM = kCentreAltM + 0.5 * std::sin(elapsed / 37.0);
  f.velNorth = -kCircleRadiusM * w * std::sin(a);
  f.velEast = kCircleRadiusM * w * std::cos(a);
  f.velUp = 0.5 / 37.0 * std::cos(elapsed / 37.0);
  f.speed = std::hypot(f.velNorth, f.velEast);
  f.trackRad = std::atan2(f.velEast, f.velNorth);
  if (f.trackRad < 0) f.trackRad += 2 * kPi;

  GeodeticToEcef(f.latRad, f.lonRad, f.altM, f.x, f.y, f.z);
  const double sl = std::sin(f.latRad), cl = std::cos(f.latRad);
  const double so = std::sin(f.lonRad), co = std::cos(f.lonRad);
  f.vx = -so * f.velEast - sl * co * f.velNorth + cl * co * f.velUp;
  f.vy = co * f.velEast - sl * so * f.velNorth + cl * so * f.velUp;
  f.vz = cl * f.velNorth + sl * f.velUp;

  const int64_t step = static_cast<int64_t>(std::floor(elapsed * 10));
  for (const Orbit& o : orbits_) {
    SimSatellite sat;
    sat.prn = o.prn;
    sat.azimuthDeg = std::fmod(o.azimuth0 + o.azimuthRate * elapsed + 3600.0, 360.0);
    sat.elevationDeg = 45.0 + 40.0 * std::sin(o.phase + o.rate * elapsed);
    const double el = sat.elevationDeg * kDeg;
    sat.snrDbHz = 34.0 + 14.0 * std::sin(el) + o.snrBias + 0.8 * Noise(o.prn, step);
    sat.dopplerHz = -3500.0 * std::cos(el) * std::sin(o.phase + o.rate * elapsed + 1.0);
    sat.rangeM = 20200e3 + 5500e3 * std::cos(el);
    sat.used = sat.elevationDeg >= 10.0;
    f.satellites.push_back(sat);
  }

  int used = 0;
  for (const SimSatellite& sat : f.satellites) used += sat.used ? 1 : 0;
  f.hdop = 0.8 + 4.0 / std::max(used, 1);
  f.vdop = f.hdop * 1.4;
  f.pdop = std::hypot(f.hdop, f.vdop);
  return f;
}

}  // namespace orv::sim
