// The simulated motion and sky. Satellites follow smooth made-up tracks rather than orbits: a
// receiver console needs values that move plausibly, not ephemeris-accurate geometry.
#include "sim/SimScene.h"

#include <algorithm>
#include <bit>
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
constexpr int kGpsOrbits = 14;
constexpr std::size_t kTrackedChannels = 12;
// Elevations at which a rising satellite's channel moves on: found, bits locked, measuring.
constexpr double kTrackFromDeg = 2.0;
constexpr double kMeasureFromDeg = 5.0;
// Every kFailPeriodS seconds one channel loses its satellite for kFailS seconds; every
// kRejectPeriodS seconds the lowest satellite in use is rejected for kRejectS seconds.
constexpr double kFailPeriodS = 75.0, kFailS = 8.0;
constexpr double kRejectPeriodS = 40.0, kRejectS = 10.0;

// The status of a satellite's channel from its elevation: the lower it is, the earlier in
// its life since it rose (or the later before it sets).
int StatusAt(double elevation, double maskDeg) {
  if (elevation < kTrackFromDeg) return kSvView;
  if (elevation < kMeasureFromDeg) return kSvTrack;
  if (elevation < maskDeg) return kSvMeasReady;
  return kSvUseNav;
}

// The receiver's view of its satellites this second: who is used, which channel failed,
// which satellite the solution rejects and which one is its reference.
void Judge(SimFix& f, double elapsed) {
  const int64_t failCycle = static_cast<int64_t>(std::floor(elapsed / kFailPeriodS));
  const bool failing = elapsed - failCycle * kFailPeriodS < kFailS;
  const bool rejecting = std::fmod(elapsed, kRejectPeriodS) < kRejectS;
  std::vector<SimSatellite*> gps;
  for (SimSatellite& s : f.satellites) {
    if (!s.sbas) gps.push_back(&s);
  }
  if (failing && !gps.empty()) {
    SimSatellite& s = *gps[static_cast<std::size_t>(failCycle) % gps.size()];
    s.channelFailed = true;
    s.status = kSvTrack;
    s.snrDbHz = std::min(s.snrDbHz, 24.0);
  }
  SimSatellite* lowest = nullptr;
  SimSatellite* highest = nullptr;
  for (SimSatellite* s : gps) {
    s->used = s->status == kSvUseNav;
    if (!s->used) continue;
    if (lowest == nullptr || s->elevationDeg < lowest->elevationDeg) lowest = s;
    if (highest == nullptr || s->elevationDeg > highest->elevationDeg) highest = s;
  }
  // A solution keeps four satellites at least; only then is one rejected.
  int usedCount = 0;
  for (SimSatellite* s : gps) usedCount += s->used ? 1 : 0;
  if (rejecting && lowest != nullptr && lowest != highest && usedCount > 4) {
    lowest->rejected = true;
    lowest->used = false;
  }
  f.referencePrn = highest != nullptr ? highest->prn : 0;
}

// Healthy, except for a few satellites the scene does not fly (codes 1 to 3) and one whose
// code comes and goes every five minutes.
void Health(SimFix& f, double elapsed) {
  std::fill(std::begin(f.healthCodes), std::end(f.healthCodes), uint8_t{0});
  int marked = 0;
  for (int prn = 32; prn >= 1 && marked < 4; --prn) {
    bool flown = false;
    for (const SimSatellite& s : f.satellites) flown = flown || s.prn == prn;
    if (flown) continue;
    f.healthCodes[prn - 1] = static_cast<uint8_t>(1 + marked % 3);
    ++marked;
  }
  const int flicker = 1 + static_cast<int>(std::floor(elapsed / 300.0)) % 32;
  bool flickerUsed = false;
  for (const SimSatellite& s : f.satellites) flickerUsed = flickerUsed || s.prn == flicker;
  if (!flickerUsed && std::fmod(elapsed, 300.0) < 150.0) f.healthCodes[flicker - 1] = 2;
}

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

double SimScene::GpsTimeFromUnix(double unixSeconds) { return unixSeconds - kGpsEpochUnix + kGpsUtcLeapSeconds; }

SimScene::SimScene(uint32_t seed, double startGpsTime) : seed_(seed), startGpsTime_(startGpsTime) {
  // Distinct PRNs out of 32, each on its own track; about two thirds of them are up at a time.
  std::vector<int> prns;
  for (uint32_t n = 0; static_cast<int>(prns.size()) < kGpsOrbits; ++n) {
    const int prn = 1 + static_cast<int>(Uniform(seed, n) * 32);
    if (std::find(prns.begin(), prns.end(), prn) == prns.end()) prns.push_back(prn);
  }
  for (std::size_t i = 0; i < prns.size(); ++i) {
    const uint32_t k = 1000 + static_cast<uint32_t>(i) * 8;
    Orbit o;
    o.prn = prns[i];
    o.azimuth0 = 360.0 * (i + Uniform(seed, k)) / kGpsOrbits;
    o.azimuthRate = (Uniform(seed, k + 1) < 0.5 ? -1 : 1) * (0.02 + 0.04 * Uniform(seed, k + 2));
    o.phase = 2 * kPi * Uniform(seed, k + 3);
    o.rate = 2 * kPi / (2400.0 + 2400.0 * Uniform(seed, k + 4));
    o.snrBias = 4.0 * Uniform(seed, k + 5) - 2.0;
    orbits_.push_back(o);
  }
  // Two geostationary satellites low in the southern sky.
  orbits_.push_back({122, 203.0 + 10 * Uniform(seed, 2000), 0, 0, 0, 1.0, true});
  orbits_.push_back({133, 236.0 + 10 * Uniform(seed, 2001), 0, 0, 0, -1.0, true});
}

SimSatellite SimScene::Place(const Orbit& o, double elapsed, int64_t step) const {
  SimSatellite sat;
  sat.prn = o.prn;
  sat.sbas = o.sbas;
  if (o.sbas) {
    // Geostationary: a hair of wobble, a weak steady signal, measured but not navigated on.
    sat.azimuthDeg = o.azimuth0 + 0.3 * std::sin(elapsed / 900.0);
    sat.elevationDeg = (o.snrBias > 0 ? 24.0 : 31.0) + 0.2 * std::sin(elapsed / 700.0);
    sat.snrDbHz = 38.0 + o.snrBias + 0.5 * Noise(o.prn, step);
    sat.rangeM = 37000e3;
    sat.status = kSvMeasReady;
    return sat;
  }
  sat.azimuthDeg = std::fmod(o.azimuth0 + o.azimuthRate * elapsed + 36000.0, 360.0);
  sat.elevationDeg = 20.0 + 60.0 * std::sin(o.phase + o.rate * elapsed);
  const double el = std::max(sat.elevationDeg, 0.0) * kDeg;
  sat.snrDbHz = 30.0 + 18.0 * std::sin(el) + o.snrBias + 0.8 * Noise(o.prn, step);
  sat.dopplerHz = -3500.0 * std::cos(el) * std::sin(o.phase + o.rate * elapsed + 1.0);
  sat.rangeM = 20200e3 + 5500e3 * std::cos(el);
  sat.status = StatusAt(sat.elevationDeg, controls_.maskDeg);
  return sat;
}

double SimScene::Noise(int prn, int64_t step) const {
  return 2.0 * Uniform(seed_ ^ static_cast<uint32_t>(prn * 7919), static_cast<uint32_t>(step)) - 1.0;
}

int SimNavMode(double elapsed) {
  const double t = std::fmod(std::max(0.0, elapsed), 60.0);
  if (t < 36) return 2;
  if (t < 42) return 4;
  if (t < 48) return 3;
  if (t < 54) return 6;
  return 1;
}

SimFix SimScene::At(double elapsed) const {
  SimFix f;
  const double gps = startGpsTime_ + controls_.clockOffset + elapsed;
  f.gpsWeek = static_cast<int>(std::floor(gps / kSecondsPerWeek));
  f.gpsSeconds = gps - f.gpsWeek * kSecondsPerWeek;

  const double unix = gps + kGpsEpochUnix - kGpsUtcLeapSeconds;
  const double days = std::floor(unix / 86400.0);
  const CivilDate date = CivilFromDays(static_cast<int64_t>(days));
  f.utc.year = date.year;
  f.utc.month = date.month;
  f.utc.day = date.day;
  const double sod = unix - days * 86400.0;
  f.utc.hour = static_cast<int>(sod / 3600);
  f.utc.minute = static_cast<int>((sod - f.utc.hour * 3600) / 60);
  f.utc.second = sod - f.utc.hour * 3600 - f.utc.minute * 60;

  // The circle, counter-clockwise seen from above, starting due north of the centre.
  const double w = 2 * kPi / kCirclePeriodS;
  const double a = w * elapsed + Uniform(seed_, 7) * 2 * kPi;
  // The noise changes every tenth of a second, as the satellites' does.
  const auto noiseStep = static_cast<int64_t>(std::floor(elapsed * 10));
  const double north = kCircleRadiusM * std::cos(a) + kPositionNoiseM * Noise(-1, noiseStep);
  const double east = kCircleRadiusM * std::sin(a) + kPositionNoiseM * Noise(-2, noiseStep);
  const double lat0 = kCentreLatDeg * kDeg, lon0 = kCentreLonDeg * kDeg;
  const double s = std::sin(lat0);
  const double rn = kWgsA / std::sqrt(1 - kWgsE2 * s * s);
  const double rm = rn * (1 - kWgsE2) / (1 - kWgsE2 * s * s);
  f.latRad = lat0 + north / (rm + kCentreAltM);
  f.lonRad = lon0 + east / ((rn + kCentreAltM) * std::cos(lat0));
  f.altM = kCentreAltM + 0.5 * std::sin(elapsed / 37.0);
  f.navMode = SimNavMode(elapsed);
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
  f.maskDeg = controls_.maskDeg;
  f.deselectedChannels = static_cast<uint16_t>(controls_.deselectedChannels & 0x0FFF);
  // A deselected channel stays idle, so fewer satellites find one.
  const std::size_t channels = kTrackedChannels - static_cast<std::size_t>(std::popcount(f.deselectedChannels));
  for (const Orbit& o : orbits_) {
    if (f.satellites.size() >= channels) break;
    const uint32_t deselected = o.sbas ? controls_.deselectedWaas : controls_.deselectedGps;
    const int bit = o.sbas ? o.prn - 120 : o.prn - 1;
    if (bit >= 0 && bit < 32 && (deselected >> bit) & 1u) continue;
    const SimSatellite sat = Place(o, elapsed, step);
    if (sat.elevationDeg >= 0) f.satellites.push_back(sat);
  }
  Judge(f, elapsed);
  Health(f, elapsed);

  int used = 0;
  for (const SimSatellite& sat : f.satellites) used += sat.used ? 1 : 0;
  f.hdop = 0.8 + 4.0 / std::max(used, 1);
  f.vdop = f.hdop * 1.4;
  f.pdop = std::hypot(f.hdop, f.vdop);
  return f;
}

}  // namespace orv::sim
