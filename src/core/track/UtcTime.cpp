#include "track/UtcTime.h"

#include <cmath>

#include "util/Format.h"

namespace orv {

namespace {
// GPS seconds (since 1980-01-06) at which each leap second took effect, with the offset after it.
struct Leap {
  int64_t gpsSeconds;
  int offset;
};
constexpr int64_t kGpsEpochDays = 3657;  // 1980-01-06 in days since 1970

constexpr int64_t GpsAt(int year, int month, int day, int offsetBefore) {
  // y-m-d 00:00:00 UTC expressed in GPS seconds, with the offset in force just before it.
  return (DaysFromCivil(year, month, day) - kGpsEpochDays) * 86400 + offsetBefore + 1;
}

constexpr Leap kLeaps[] = {
    {GpsAt(1981, 7, 1, 0), 1},   {GpsAt(1982, 7, 1, 1), 2},   {GpsAt(1983, 7, 1, 2), 3},
    {GpsAt(1985, 7, 1, 3), 4},   {GpsAt(1988, 1, 1, 4), 5},   {GpsAt(1990, 1, 1, 5), 6},
    {GpsAt(1991, 1, 1, 6), 7},   {GpsAt(1992, 7, 1, 7), 8},   {GpsAt(1993, 7, 1, 8), 9},
    {GpsAt(1994, 7, 1, 9), 10},  {GpsAt(1996, 1, 1, 10), 11}, {GpsAt(1997, 7, 1, 11), 12},
    {GpsAt(1999, 1, 1, 12), 13}, {GpsAt(2006, 1, 1, 13), 14}, {GpsAt(2009, 1, 1, 14), 15},
    {GpsAt(2012, 7, 1, 15), 16}, {GpsAt(2015, 7, 1, 16), 17}, {GpsAt(2017, 1, 1, 17), 18},
};
}  // namespace

bool UtcToNs(int year, int month, int day, int hour, int minute, double seconds, int64_t& out) {
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
    return false;
  }
  if (!std::isfinite(seconds) || seconds < 0 || seconds >= 61) return false;
  const int64_t days = DaysFromCivil(year, month, day);
  out = (days * 86400 + hour * 3600 + minute * 60) * kNsPerSecond + std::llround(seconds * 1e9);
  return true;
}

int GpsUtcOffsetSeconds(double gpsSeconds) {
  int offset = 0;
  for (const Leap& leap : kLeaps) {
    if (gpsSeconds >= static_cast<double>(leap.gpsSeconds)) offset = leap.offset;
  }
  return offset;
}

bool GpsToUtcNs(int week, double secondsOfWeek, int64_t& out) {
  if (!std::isfinite(secondsOfWeek) || secondsOfWeek < 0 || secondsOfWeek > 604800) return false;
  const double whole = std::floor(secondsOfWeek);
  const int64_t gps = static_cast<int64_t>(week) * 604800 + static_cast<int64_t>(whole);
  const int64_t utc = (kGpsEpochDays * 86400 + gps - GpsUtcOffsetSeconds(static_cast<double>(gps)));
  out = utc * kNsPerSecond + std::llround((secondsOfWeek - whole) * 1e9);
  return true;
}

std::string IsoUtc(int64_t timeNs, bool hasDate) {
  int64_t days = timeNs / kNsPerDay;
  int64_t ns = timeNs % kNsPerDay;
  if (ns < 0) {
    ns += kNsPerDay;
    --days;
  }
  const int64_t secs = ns / kNsPerSecond;
  const int64_t frac = ns % kNsPerSecond;
  std::string text;
  if (hasDate) {
    const CivilDate date = CivilFromDays(days);
    text = Format("%04d-%02d-%02dT", date.year, date.month, date.day);
  }
  text += Format("%02d:%02d:%02d", static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                 static_cast<int>(secs % 60));
  if (frac != 0) {
    std::string digits = Format(".%09lld", static_cast<long long>(frac));
    while (digits.back() == '0') digits.pop_back();
    text += digits;
  }
  return text + "Z";
}

}  // namespace orv
