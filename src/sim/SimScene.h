// The world the simulated receiver sees: a slow 50 m circle around a fixed point, GPS and UTC
// time, and a sky of satellites that rise, cross it and set (quicker than real ones, so that a
// few minutes show their tracks), two geostationary WAAS satellites, and the receiver's view
// of them: tracking status, failed channels, rejected satellites and health codes. Everything is a pure
// function of the elapsed time and the seed, so a run can be replayed exactly.
#pragma once

#include <cstdint>
#include <vector>

#include "util/CivilDate.h"

namespace orv::sim {

// The receiver's elevation mask at start: satellites below it are tracked but not used.
inline constexpr double kSimMaskAngleDeg = 12.0;

// Tracking status of a satellite as message 33 reports it.
enum SimSvStatus { kSvView = 0, kSvTrack = 1, kSvMeasReady = 2, kSvUseNav = 3 };

struct SimSatellite {
  int prn = 0;  // 1 to 32 for GPS; 120 to 138 for a geostationary (WAAS) satellite
  double azimuthDeg = 0;
  double elevationDeg = 0;
  double snrDbHz = 0;
  double dopplerHz = 0;
  double rangeM = 0;
  bool used = false;  // in the navigation solution (GPS satellites only)
  int status = kSvView;
  bool sbas = false;
  bool channelFailed = false;  // its channel reports a failed track this second
  bool rejected = false;       // tracked and measured, but rejected from the solution
};

struct UtcTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
};

struct SimFix {
  int gpsWeek = 0;
  double gpsSeconds = 0;  // seconds of week
  UtcTime utc;
  double latRad = 0, lonRad = 0, altM = 0;
  double velNorth = 0, velEast = 0, velUp = 0;
  double speed = 0;     // m/s over ground
  double trackRad = 0;  // from north, 0..2 pi
  double x = 0, y = 0, z = 0;
  double vx = 0, vy = 0, vz = 0;
  double hdop = 0, vdop = 0, pdop = 0;
  int navMode = 2;  // of message 20: see SimNavMode
  std::vector<SimSatellite> satellites;  // in view, at most 12, in channel order
  int referencePrn = 0;                  // of the relative solutions; 0 when none is used
  uint8_t healthCodes[32] = {};          // two-bit health code of SV 1 to 32
  double maskDeg = kSimMaskAngleDeg;     // the elevation mask in force
  uint16_t deselectedChannels = 0;       // bit n: channel n + 1 is left idle
};

// What the console's commands have set: the elevation mask (messages 81), satellites it is
// not to track (82: bit n of the GPS mask is SV n + 1, of the WAAS mask PRN 120 + n) and
// channels it is not to use (87: bit n is channel n + 1).
struct SimControls {
  double maskDeg = kSimMaskAngleDeg;
  uint32_t deselectedGps = 0;
  uint32_t deselectedWaas = 0;
  uint16_t deselectedChannels = 0;
  // Seconds the receiver's clock was moved by message 103 (Set Date and Time).
  double clockOffset = 0;
};

// Message 69, as the receiver keeps it: a group is taken only when the command marks it
// modified; message 113 reports them after its time fields.
struct SimTiming {
  int32_t cableDelayNs = 0;
  uint32_t ppsOffsetNs = 0;
  uint32_t pulseLengthNs = 1000000;
  uint8_t alignment = 0, outputControl = 0, traimLimit10Ns = 0;
  uint16_t intrinsicDelayNs = 0;
};

// The operating mode of message 80 and the differential messages of message 91, as message 47
// reports them. The receiver starts as a base whose position is known.
struct SimBaseState {
  enum Mode { kRover, kBaseManual, kBaseSelfSurvey } mode = kBaseManual;
  double latRad = 0, lonRad = 0, altM = 0;  // kBaseManual; a survey ends on the scene's centre
  double surveySeconds = 0;                 // of a self survey
  double surveyStart = 0;                   // elapsed time the survey started at
  uint16_t stationId = 412;
  uint8_t health = 0;
  struct Entry {
    uint8_t type, rateS;
  };
  std::vector<Entry> entries = {{1, 1}, {3, 10}, {18, 1}};
};

// The circle's centre is the position plot's factory default centre, which the settings hold
// in packed degrees (45.2942232 and -73.4136473, DDD.MMSSss), so a plot opened on the
// simulator shows the circle around its centre.
inline constexpr double kCentreLatDeg = 45.0 + 29.0 / 60 + 42.232 / 3600;
inline constexpr double kCentreLonDeg = -(73.0 + 41.0 / 60 + 36.473 / 3600);
// Up to this many metres of noise north and east on every position of the circle.
inline constexpr double kPositionNoiseM = 1.0;
inline constexpr double kCentreAltM = 30.0;
inline constexpr double kCircleRadiusM = 50.0;
inline constexpr double kCirclePeriodS = 600.0;
inline constexpr int kGpsUtcLeapSeconds = 18;

// Message 20's navigation mode at `elapsed` seconds: a minute-long cycle of 36 s "Nav 3-D" (2),
// then 6 s each of "Diff. 3-D" (4), "Alt. Hold (2-D)" (3), "Dead Reckoning" (6) and
// "Initialized" (1), so a plot shows every mode's colour within a minute.
int SimNavMode(double elapsed);

// WGS-84 geodetic (radians, metres) to Earth-centred X, Y, Z.
void GeodeticToEcef(double lat, double lon, double h, double& x, double& y, double& z);

class SimScene {
 public:
  // startGpsTime: seconds since the GPS epoch (6 January 1980) at elapsed time 0.
  SimScene(uint32_t seed, double startGpsTime);

  SimFix At(double elapsed) const;
  void SetControls(const SimControls& c) { controls_ = c; }
  const SimControls& controls() const { return controls_; }
  double startGpsTime() const { return startGpsTime_; }

  // GPS seconds since the epoch for a Unix time (UTC seconds since 1970).
  static double GpsTimeFromUnix(double unixSeconds);

 private:
  struct Orbit {
    int prn;
    double azimuth0, azimuthRate;  // degrees, degrees per second
    double phase, rate;            // elevation cycle
    double snrBias;
    bool sbas = false;
  };
  SimSatellite Place(const Orbit& o, double elapsed, int64_t step) const;
  double Noise(int prn, int64_t step) const;

  uint32_t seed_;
  double startGpsTime_;
  std::vector<Orbit> orbits_;
  SimControls controls_;
};

}  // namespace orv::sim
