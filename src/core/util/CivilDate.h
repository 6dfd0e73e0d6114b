// Proleptic Gregorian calendar arithmetic on day counts from 1970-01-01 (negative before it).
// The year is taken to start in March, so that the leap day comes last.
#pragma once

#include <cstdint>

namespace orv {

constexpr bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days of a month (1-12) of a year.
constexpr int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[((month - 1) % 12 + 12) % 12];
}

// Days since 1970-01-01 of a date.
constexpr int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct CivilDate {
  int year = 1970;
  int month = 1;
  int day = 1;
};

// The date of a day count from 1970-01-01.
constexpr CivilDate CivilFromDays(int64_t days) {
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  date.year = static_cast<int>(yoe + era * 400 + (date.month <= 2 ? 1 : 0));
  return date;
}

// Both directions agree on the epochs the console meets.
static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(DaysFromCivil(1980, 1, 6) == 3657);
static_assert(CivilFromDays(3657).year == 1980 && CivilFromDays(3657).day == 6);
static_assert(CivilFromDays(DaysFromCivil(2000, 2, 29)).month == 2);
static_assert(CivilFromDays(-1).year == 1969 && CivilFromDays(-1).month == 12 && CivilFromDays(-1).day == 31);

}  // namespace orv
