#include "share/NmeaOut.h"

#include <cmath>
#include <cstdint>

#include "nmea/NmeaEncoder.h"
#include "track/UtcTime.h"
#include "util/CivilDate.h"
#include "util/Format.h"

namespace orv {

namespace {

constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;

struct TimeParts {
  CivilDate date{};
  int hour = 0, minute = 0, second = 0, ms = 0;
};

// The epoch time rounded to the millisecond, split; the date is meaningful only with hasDate.
TimeParts Split(int64_t timeNs) {
  const int64_t ms = (timeNs >= 0 ? timeNs + 500000 : timeNs - 500000) / 1000000;
  int64_t days = ms / 86400000;
  int64_t rest = ms % 86400000;
  if (rest < 0) {
    rest += 86400000;
    --days;
  }
  TimeParts t;
  t.date = CivilFromDays(days);
  t.hour = static_cast<int>(rest / 3600000);
  t.minute = static_cast<int>(rest / 60000 % 60);
  t.second = static_cast<int>(rest / 1000 % 60);
  t.ms = static_cast<int>(rest % 1000);
  return t;
}

std::string TimeField(const Epoch& e) {
  const TimeParts t = Split(e.timeNs);
  return Format("%02d%02d%02d.%03d", t.hour, t.minute, t.second, t.ms);
}

// ddmm.mmmmmm,N (or dddmm.mmmmmm,E): millionths of a minute are about 2 mm.
std::string Angle(double degrees, int degreeDigits, char positive, char negative) {
  const int64_t micro = std::llround(std::fabs(degrees) * 60e6);
  const int64_t whole = micro / 60000000;
  const int64_t minutes = micro % 60000000;
  return Format("%0*lld%02lld.%06lld,%c", degreeDigits, static_cast<long long>(whole),
                static_cast<long long>(minutes / 1000000), static_cast<long long>(minutes % 1000000),
                degrees < 0 ? negative : positive);
}

std::string Position(const Epoch& e) {
  if (!e.positionValid) return ",,,";
  return Angle(e.latitude, 2, 'N', 'S') + "," + Angle(e.longitude, 3, 'E', 'W');
}

std::string Optional(const std::optional<double>& v, const char* format) {
  return v && std::isfinite(*v) ? Format(format, *v) : std::string();
}

std::string Framed(const std::string& body) { return NmeaFrame(body); }

}  // namespace

int NmeaPrn(int prn) { return prn >= 120 && prn <= 151 ? prn - 87 : prn; }
int PrnOfNmea(int nmeaPrn) { return nmeaPrn >= 33 && nmeaPrn <= 64 ? nmeaPrn + 87 : nmeaPrn; }

std::string GgaSentence(const ShareFix& fix) {
  const Epoch& e = fix.epoch;
  int quality = 0;
  if (e.positionValid) {
    quality = e.fix == FixKind::kDgps ? 2 : (e.fix == FixKind::kPps ? 3 : (e.fix == FixKind::kNone ? 0 : 1));
  }
  std::string body = "GPGGA," + TimeField(e) + "," + (quality == 0 ? std::string(",,,") : Position(e)) +
                     Format(",%d,", quality);
  if (e.satellites) body += Format("%02d", *e.satellites);
  body += "," + Optional(e.hdop, "%.1f");
  if (fix.altMsl && std::isfinite(*fix.altMsl)) {
    body += Format(",%.2f,M", *fix.altMsl);
    if (fix.altHae && std::isfinite(*fix.altHae)) {
      body += Format(",%.2f,M", *fix.altHae - *fix.altMsl);
    } else {
      body += ",,";
    }
  } else {
    body += ",,,,";
  }
  body += ",,";  // age of differential data, reference station
  return Framed(body);
}

std::string RmcSentence(const ShareFix& fix) {
  const Epoch& e = fix.epoch;
  std::string body = "GPRMC," + TimeField(e) + (e.positionValid ? ",A," : ",V,") + Position(e) + ",";
  if (e.speed) body += Format("%.3f", *e.speed * kKnotsPerMetrePerSecond);
  body += "," + Optional(e.course, "%.2f") + ",";
  if (e.hasDate) {
    const TimeParts t = Split(e.timeNs);
    body += Format("%02d%02d%02d", t.date.day, t.date.month, t.date.year % 100);
  }
  const char mode = !e.positionValid ? 'N' : (e.fix == FixKind::kDgps ? 'D' : 'A');
  body += Format(",,,%c", mode);
  return Framed(body);
}

std::string GsaSentence(const ShareFix& fix, const SkyView& sky) {
  const int mode = GpsdMode(fix);
  std::string body = Format("GPGSA,A,%d", mode < 1 ? 1 : mode);
  int slots = 0;
  for (const SkySatellite& s : sky.satellites) {
    if (!s.used || slots == 12) continue;
    body += Format(",%02d", NmeaPrn(s.prn));
    ++slots;
  }
  for (; slots < 12; ++slots) body += ",";
  body += "," + Optional(sky.pdop, "%.1f") + "," + Optional(sky.hdop, "%.1f") + "," + Optional(sky.vdop, "%.1f");
  return Framed(body);
}

std::vector<std::string> GsvSentences(const SkyView& sky) {
  // Two digits of satellites in view, four satellites a sentence, at most nine sentences.
  const int n = static_cast<int>(std::min<std::size_t>(sky.satellites.size(), 36));
  const int total = n == 0 ? 1 : (n + 3) / 4;
  std::vector<std::string> out;
  for (int m = 0; m < total; ++m) {
    std::string body = Format("GPGSV,%d,%d,%02d", total, m + 1, n);
    for (int i = m * 4; i < n && i < m * 4 + 4; ++i) {
      const SkySatellite& s = sky.satellites[static_cast<std::size_t>(i)];
      body += Format(",%02d,", NmeaPrn(s.prn));
      if (s.elevation) body += Format("%02d", static_cast<int>(std::lround(*s.elevation)));
      body += ",";
      if (s.azimuth) body += Format("%03d", static_cast<int>(std::lround(*s.azimuth)) % 360);
      body += ",";
      if (s.snr) body += Format("%02d", static_cast<int>(std::lround(*s.snr)));
    }
    out.push_back(Framed(body));
  }
  return out;
}

std::string ZdaSentence(const ShareFix& fix) {
  const Epoch& e = fix.epoch;
  if (!e.hasDate) return {};
  const TimeParts t = Split(e.timeNs);
  if (t.date.year < 0 || t.date.year > 9999) return {};
  // The local zone is not known: its two fields stay empty.
  return Framed("GPZDA," + TimeField(e) + Format(",%02d,%02d,%04d,,", t.date.day, t.date.month, t.date.year));
}

std::vector<std::string> EpochSentences(const ShareFix& fix, const SkyView* sky) {
  std::vector<std::string> out{GgaSentence(fix), RmcSentence(fix)};
  if (sky != nullptr) {
    out.push_back(GsaSentence(fix, *sky));
    for (std::string& s : GsvSentences(*sky)) out.push_back(std::move(s));
  }
  std::string zda = ZdaSentence(fix);
  if (!zda.empty()) out.push_back(std::move(zda));
  return out;
}

}  // namespace orv
