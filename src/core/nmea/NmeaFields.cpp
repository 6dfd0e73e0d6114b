// Text-to-value conversions of the sentence fields. They are written out by hand rather than
// left to strtod and sscanf: those depend on the locale, accept text NMEA never sends (blanks,
// exponents, hexadecimal) and are several times slower than the whole rest of the decoding.
#include "nmea/NmeaFields.h"

namespace orv::nmea {

namespace {

// Powers of ten that a double holds exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                             1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
constexpr int kMaxDecimalDigits = 19;

inline int TwoDigits(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

}  // namespace

bool ParseSignedSmall(NmeaField f, int& out) {
  bool negative = false;
  NmeaField digits = f;
  if (f.n > 0 && (f.p[0] == '-' || f.p[0] == '+')) {
    negative = f.p[0] == '-';
    digits = {f.p + 1, f.n - 1};
  }
  uint32_t v = 0;
  if (!ParseUnsigned(digits, 2, v)) return false;
  out = negative ? -static_cast<int>(v) : static_cast<int>(v);
  return true;
}

bool ParseDecimal(NmeaField f, bool allowSign, double& out) {
  const char* p = f.p;
  const char* const end = f.p + f.n;
  bool negative = false;
  if (p < end && allowSign && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  uint64_t mantissa = 0;
  int digits = 0;
  int fraction = -1;  // digits after the point, -1 before it
  for (; p < end; ++p) {
    const char c = *p;
    if (IsDigit(c)) {
      if (++digits > kMaxDecimalDigits) return false;
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      if (fraction >= 0) ++fraction;
    } else if (c == '.' && fraction < 0) {
      fraction = 0;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  // One rounding only: the mantissa and the power of ten are both exact below 2^53.
  double v = static_cast<double>(mantissa);
  if (fraction > 0) v /= kPow10[fraction];
  out = negative ? -v : v;
  return true;
}

bool ParseTime(NmeaField f, uint8_t& hour, uint8_t& minute, double& seconds) {
  if (f.n < 5) return false;
  for (int i = 0; i < 4; ++i) {
    if (!IsDigit(f.p[i])) return false;
  }
  const int h = TwoDigits(f.p);
  const int m = TwoDigits(f.p + 2);
  double s = 0;
  if (h > 23 || m > 59 || !ParseDecimal({f.p + 4, f.n - 4}, false, s) || s >= 61.0) return false;
  hour = static_cast<uint8_t>(h);
  minute = static_cast<uint8_t>(m);
  seconds = s;
  return true;
}

bool ParseAngle(NmeaField f, int degreeDigits, int maxDegrees, uint16_t& degrees, double& minutes) {
  if (f.n <= degreeDigits) return false;
  int d = 0;
  for (int i = 0; i < degreeDigits; ++i) {
    if (!IsDigit(f.p[i])) return false;
    d = d * 10 + (f.p[i] - '0');
  }
  double m = 0;
  if (!ParseDecimal({f.p + degreeDigits, f.n - degreeDigits}, false, m) || m >= 60.0) return false;
  if (d > maxDegrees || (d == maxDegrees && m > 0.0)) return false;
  degrees = static_cast<uint16_t>(d);
  minutes = m;
  return true;
}

bool ParseText(NmeaField f, char* out, int size) {
  if (f.n >= size) return false;
  for (int i = 0; i < f.n; ++i) {
    if (f.p[i] < ' ' || f.p[i] > '~') return false;
  }
  std::memcpy(out, f.p, static_cast<std::size_t>(f.n));
  out[f.n] = '\0';
  return true;
}

}  // namespace orv::nmea
