// The objects of the gpsd JSON protocol the console serves: TPV and SKY reports built from
// the receiver's epochs and satellite views, and the answers to VERSION, WATCH, DEVICES and
// POLL. A field the receiver did not give is left out of its object, never filled in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track/TrackPoint.h"

namespace orv {

// One epoch as the sharing side sees it: the track epoch plus what the protocol reports beyond
// it. The epoch's own altitude is not used: the height goes out as altMsl or altHae, whichever
// the source says it is.
struct ShareFix {
  Epoch epoch;
  std::optional<double> altMsl;  // metres above mean sea level
  std::optional<double> altHae;  // metres above the WGS 84 ellipsoid
  std::optional<double> climb;   // m/s, up positive
  std::optional<double> eph;     // metres, horizontal figure of merit
  std::optional<double> epv;     // metres, vertical figure of merit
};

struct SkySatellite {
  int prn = 0;  // GPS 1-32, SBAS 120-158
  std::optional<double> elevation;  // degrees
  std::optional<double> azimuth;    // degrees from true north
  std::optional<double> snr;        // dB-Hz
  bool used = false;
};

struct SkyView {
  // Time of the epoch the view belongs to, when one is known (nanoseconds as in Epoch).
  std::optional<int64_t> timeNs;
  bool hasDate = false;
  std::vector<SkySatellite> satellites;
  std::optional<double> hdop, vdop, pdop;
};

// The device line of DEVICES and of the WATCH answer.
struct ShareDevice {
  std::string path;    // the port's device or the log played back
  bool binary = true;  // KTX Binary (else NMEA 0183)
  uint32_t bps = 0;    // 0 when not a serial line (a log)
};

// gpsd's modes: 0 not known, 1 no fix, 2 two-dimensional, 3 three-dimensional.
int GpsdMode(const ShareFix& fix);

// gpsd's timestamps: ISO 8601 UTC with milliseconds, "2026-12-09T10:23:51.000Z"; empty
// without a date.
std::string GpsdTime(int64_t timeNs, bool hasDate);

std::string TpvJson(const ShareFix& fix, const std::string& device);
std::string SkyJson(const SkyView& sky, const std::string& device);
std::string VersionJson();
std::string DevicesJson(const ShareDevice& device);
std::string WatchJson(bool enable, bool json, bool nmea);
// The last reports, as gpsd answers ?POLL: `tpv` and `sky` are whole objects or empty.
std::string PollJson(const std::string& time, const std::string& tpv, const std::string& sky);
std::string ErrorJson(const std::string& message);

// A JSON string literal, quotes included; bytes outside printable ASCII are escaped.
std::string JsonQuoted(const std::string& text);

}  // namespace orv
