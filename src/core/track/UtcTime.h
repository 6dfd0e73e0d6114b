// Calendar arithmetic on UTC times held as nanoseconds since 1970, GPS time to UTC, and the
// ISO 8601 texts the exports write.
#pragma once

#include <cstdint>
#include <string>

#include "util/CivilDate.h"

namespace orv {

inline constexpr int64_t kNsPerSecond = 1000000000;
inline constexpr int64_t kNsPerDay = 86400 * kNsPerSecond;

// Nanoseconds since 1970 of a UTC date and time; seconds may carry a fraction. False when a
// field is out of range (month 1-12, day 1-31, hour 0-23, minute 0-59, seconds 0 to below 61)
// or not finite.
bool UtcToNs(int year, int month, int day, int hour, int minute, double seconds, int64_t& out);

// Seconds GPS time runs ahead of UTC at a GPS instant given as seconds since 1980-01-06.
int GpsUtcOffsetSeconds(double gpsSeconds);

// UTC nanoseconds of a GPS week and seconds of week; false when the seconds are not finite
// or outside 0 to 604800.
bool GpsToUtcNs(int week, double secondsOfWeek, int64_t& out);

// "2014-12-31T03:07:19Z", with as many decimals of the second as it needs (at most 9): a
// time without a date is written "03:07:19Z".
std::string IsoUtc(int64_t timeNs, bool hasDate);

}  // namespace orv
