#include "share/GpsdJson.h"

#include <cmath>

#include "track/UtcTime.h"
#include "util/CivilDate.h"
#include "util/Format.h"

namespace orv {

namespace {

// The protocol level of the objects below: what gpsd 3.20 and later speak (altHAE, altMSL).
constexpr int kProtoMajor = 3;
constexpr int kProtoMinor = 14;

// Appends ,"name":value with `decimals` digits, when the value is there and finite.
void Number(std::string& out, const char* name, const std::optional<double>& v, int decimals) {
  if (!v || !std::isfinite(*v)) return;
  double value = *v;
  // "-0.000" reads oddly and is the same number.
  if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
  out += Format(",\"%s\":%.*f", name, decimals, value);
}

}  // namespace

std::string GpsdTime(int64_t timeNs, bool hasDate) {
  if (!hasDate) return {};
  const int64_t ms = (timeNs >= 0 ? timeNs + 500000 : timeNs - 500000) / 1000000;
  int64_t days = ms / 86400000;
  int64_t rest = ms % 86400000;
  if (rest < 0) {
    rest += 86400000;
    --days;
  }
  const CivilDate d = CivilFromDays(days);
  if (d.year < 0 || d.year > 9999) return {};
  return Format("%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", d.year, d.month, d.day, static_cast<int>(rest / 3600000),
                static_cast<int>(rest / 60000 % 60), static_cast<int>(rest / 1000 % 60), static_cast<int>(rest % 1000));
}

std::string JsonQuoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      out += Format("\\u%04x", c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

int GpsdMode(const ShareFix& fix) {
  const Epoch& e = fix.epoch;
  switch (e.fix) {
    case FixKind::kNone: return 1;
    case FixKind::k2d: return e.positionValid ? 2 : 1;
    case FixKind::k3d: return e.positionValid ? 3 : 1;
    case FixKind::kDgps:
    case FixKind::kPps:
    case FixKind::kUnknown:
      if (!e.positionValid) return e.fix == FixKind::kUnknown ? 0 : 1;
      return fix.altMsl || fix.altHae ? 3 : 2;
  }
  return 0;
}

std::string TpvJson(const ShareFix& fix, const std::string& device) {
  const Epoch& e = fix.epoch;
  const int mode = GpsdMode(fix);
  std::string out = "{\"class\":\"TPV\",\"device\":" + JsonQuoted(device) + Format(",\"mode\":%d", mode);
  // gpsd's status 2: a differential fix.
  if (e.fix == FixKind::kDgps && mode >= 2) out += ",\"status\":2";
  const std::string time = GpsdTime(e.timeNs, e.hasDate);
  if (!time.empty()) out += ",\"time\":\"" + time + "\"";
  if (mode >= 2) {
    out += Format(",\"lat\":%.9f,\"lon\":%.9f", e.latitude, e.longitude);
    if (mode == 3) {
      Number(out, "altHAE", fix.altHae, 3);
      Number(out, "altMSL", fix.altMsl, 3);
    }
    Number(out, "eph", fix.eph, 3);
    if (mode == 3) Number(out, "epv", fix.epv, 3);
    Number(out, "track", e.course, 4);
    Number(out, "speed", e.speed, 3);
    if (mode == 3) Number(out, "climb", fix.climb, 3);
  }
  return out + "}";
}

std::string SkyJson(const SkyView& sky, const std::string& device) {
  std::string out = "{\"class\":\"SKY\",\"device\":" + JsonQuoted(device);
  if (sky.timeNs) {
    const std::string time = GpsdTime(*sky.timeNs, sky.hasDate);
    if (!time.empty()) out += ",\"time\":\"" + time + "\"";
  }
  Number(out, "hdop", sky.hdop, 2);
  Number(out, "vdop", sky.vdop, 2);
  Number(out, "pdop", sky.pdop, 2);
  out += ",\"satellites\":[";
  bool first = true;
  for (const SkySatellite& s : sky.satellites) {
    if (!first) out += ',';
    first = false;
    out += Format("{\"PRN\":%d", s.prn);
    Number(out, "el", s.elevation, 1);
    Number(out, "az", s.azimuth, 1);
    Number(out, "ss", s.snr, 1);
    out += s.used ? ",\"used\":true}" : ",\"used\":false}";
  }
  return out + "]}";
}

std::string VersionJson() {
  return Format("{\"class\":\"VERSION\",\"release\":\"orvantis\",\"rev\":\"orvantis\",\"proto_major\":%d,"
                "\"proto_minor\":%d}",
                kProtoMajor, kProtoMinor);
}

namespace {
std::string DeviceJson(const ShareDevice& d) {
  std::string out = "{\"class\":\"DEVICE\",\"path\":" + JsonQuoted(d.path) + ",\"driver\":" +
                    JsonQuoted(d.binary ? "KTX Binary" : "NMEA0183") + ",\"flags\":1" +
                    Format(",\"native\":%d", d.binary ? 1 : 0);
  if (d.bps > 0) out += Format(",\"bps\":%u,\"parity\":\"N\",\"stopbits\":1", d.bps);
  return out + "}";
}
}  // namespace

std::string DevicesJson(const ShareDevice& device) {
  return "{\"class\":\"DEVICES\",\"devices\":[" + DeviceJson(device) + "]}";
}

std::string WatchJson(bool enable, bool json, bool nmea) {
  auto b = [](bool v) { return v ? "true" : "false"; };
  return Format("{\"class\":\"WATCH\",\"enable\":%s,\"json\":%s,\"nmea\":%s,\"raw\":0,\"scaled\":false,"
                "\"timing\":false,\"split24\":false,\"pps\":false}",
                b(enable), b(json), b(nmea));
}

std::string PollJson(const std::string& time, const std::string& tpv, const std::string& sky) {
  std::string out = "{\"class\":\"POLL\"";
  if (!time.empty()) out += ",\"time\":\"" + time + "\"";
  out += Format(",\"active\":%d,\"tpv\":[", tpv.empty() ? 0 : 1);
  out += tpv + "],\"sky\":[" + sky + "]}";
  return out;
}

std::string ErrorJson(const std::string& message) {
  return "{\"class\":\"ERROR\",\"message\":" + JsonQuoted(message) + "}";
}

}  // namespace orv
