// Format writes the usual conversions itself: its texts must be the C library's, character for
// character, for every flag, width, precision and length the console uses and the values at
// their edges; the rest goes through the C library whole.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "util/Format.h"

namespace orv {
namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
template <typename... Args>
std::string C(const char* fmt, Args... args) {
  char text[1024];
  std::snprintf(text, sizeof text, fmt, args...);
  return text;
}

template <typename... Args>
void ExpectAsC(const char* fmt, Args... args) {
  EXPECT_EQ(Format(fmt, args...), C(fmt, args...)) << "format \"" << fmt << "\"";
}
#pragma GCC diagnostic pop

TEST(Format, IntegersAsTheCLibraryWritesThem) {
  const char* signedFormats[] = {"%d",  "%i",   "%5d",   "%-5d|", "%05d",  "%+d",  "% d",   "%+05d", "%.3d",
                                 "%.0d", "%8.3d", "%-+8.3d|", "%02d", "%1d",  "%0-6d|", "% 06d", "%+ d", "%08.3d"};
  const int ints[] = {0, 1, -1, 7, -7, 42, 999, -1000, 123456, INT_MAX, INT_MIN};
  for (const char* f : signedFormats) {
    for (int v : ints) ExpectAsC(f, v);
  }
  const char* unsignedFormats[] = {"%u", "%10u", "%02u", "%x", "%X", "%02X", "%08X", "%04x", "%.2x", "%-6X|", "%+u", "% u"};
  const unsigned uints[] = {0u, 1u, 9u, 10u, 15u, 16u, 255u, 4096u, 0xDEADBEEFu, UINT_MAX};
  for (const char* f : unsignedFormats) {
    for (unsigned v : uints) ExpectAsC(f, v);
  }
  for (long long v : {0LL, -1LL, LLONG_MIN, LLONG_MAX, 1234567890123LL}) {
    ExpectAsC("%lld", v);
    ExpectAsC("%+20lld", v);
  }
  for (unsigned long long v : {0ULL, ULLONG_MAX, 0x123456789ABCULL}) {
    ExpectAsC("%llu", v);
    ExpectAsC("%llX", v);
    ExpectAsC("%016llx", v);
  }
  ExpectAsC("%lu %ld", 4000000000UL, -4000000000L);
  ExpectAsC("%zu", static_cast<std::size_t>(77));
  ExpectAsC("%hhd %hhu %hd %hu", 300, 300, 70000, 70000);
  ExpectAsC("%jd %td", static_cast<intmax_t>(-5), static_cast<ptrdiff_t>(-6));
}

TEST(Format, FixedPointNumbersRoundAsTheCLibraryRoundsThem) {
  const char* formats[] = {"%f",     "%.0f",    "%.1f",   "%1.2f",  "%.3f",  "%1.2lf", "%06.3lf", "%+7.3lf",
                           "%7.2f",  "%-9.2f|", "% .2f",  "%1.9lf", "%.9f",  "%8.0f",  "%010.4f", "%+.0f",
                           "%.15f",  "%-+12.5f|"};
  std::mt19937_64 random(12);
  std::uniform_real_distribution<double> wide(-1e7, 1e7);
  std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, 1.005, 2.675, 1e-7, -1e-7, 9.9999999,
                                99.995, 123456789.987654321, DBL_MIN, -DBL_MIN, 1e300, -DBL_MAX, DBL_MAX};
  for (int i = 0; i < 200; ++i) values.push_back(wide(random));
  // Ties in binary (multiples of 1/8, 1/1024) are where rounding rules differ.
  for (int i = -40; i <= 40; ++i) values.push_back(i / 8.0 + i / 1024.0);
  for (const char* f : formats) {
    for (double v : values) ExpectAsC(f, v);
  }
}

TEST(Format, CharactersStringsAndWholeTextsAsTheCLibraryWritesThem) {
  ExpectAsC("%c%c|%3c|%-3c|", 'A', 'z', 'q', 'w');
  ExpectAsC("%s %3s %-6s| %.2s %8.3s", "abc", "abcdef", "ab", "abcdef", "abcdef");
  ExpectAsC("%s", "");
  ExpectAsC("100%% done, %d%%", 5);
  ExpectAsC("no conversions at all");
  ExpectAsC("%s %u msg", "/dev/ttyUSB0:", 123456u);
  ExpectAsC("Fixes: %zu  Mean: %s %s  CEP50: %.2f m  2DRMS: %.2f m", static_cast<std::size_t>(12), "N45", "W73", 1.234,
            3.456);
  // What is left to the C library comes out as it writes it.
  ExpectAsC("%.2G %g %.15g %e %.8E", 0.000123, 1.5e-5, M_PI, 12345.678, -0.5);
  ExpectAsC("%#x %#o %*d %.*f", 255u, 8u, 6, 42, 2, 3.14159);
  ExpectAsC("%f %5.1f %F", INFINITY, -INFINITY, NAN);
  ExpectAsC("%07.2f|%-6f|%+f", INFINITY, -INFINITY, -NAN);
  ExpectAsC("%Lf", 1.25L);
  ExpectAsC("%05s|%03c", "ab", 'x');
  // A null string is the C library's business, which writes "(null)".
  ExpectAsC("%s", static_cast<const char*>(nullptr));
  // Longer than any buffer on the stack.
  const std::string long1(700, 'x');
  ExpectAsC("%s-%d", long1.c_str(), 7);
}

}  // namespace
}  // namespace orv
