// Walks the comma-separated fields of one sentence and converts each into a record value. A
// field that is empty, malformed, out of range or longer than its value can hold counts as
// empty: its presence byte stays 0 and the value it would have set keeps its previous content.
// Nothing here allocates; every read stays inside the sentence. The conversions are written
// out by hand rather than left to strtod and sscanf: those depend on the locale, accept text
// NMEA never sends (blanks, exponents, hexadecimal) and cost more than the rest of the
// decoding together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

// The characters of one field, without its comma.
struct NmeaField {
  const char* p = nullptr;
  int n = 0;
};

namespace nmea {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One to maxDigits decimal digits and nothing else.
inline bool ParseUnsigned(NmeaField f, int maxDigits, uint32_t& out) {
  if (f.n < 1 || f.n > maxDigits) return false;
  if (f.n <= 3) {
    // The short fields that fill most sentences (satellite numbers, elevations, azimuths,
    // signal levels) are read without a loop: their lengths vary from field to field, and the
    // end of a loop over their digits was guessed wrong at many of them. The first, the second
    // (or the first again) and the last character are read, all inside the field.
    const int n = f.n;
    const uint32_t d0 = static_cast<uint32_t>(static_cast<uint8_t>(f.p[0])) - '0';
    const uint32_t d1 = static_cast<uint32_t>(static_cast<uint8_t>(f.p[n >= 2 ? 1 : 0])) - '0';
    const uint32_t d2 = static_cast<uint32_t>(static_cast<uint8_t>(f.p[n - 1])) - '0';
    if (!((d0 < 10) & (d1 < 10) & (d2 < 10))) return false;
    const uint32_t two = d0 * 10 + d1;
    out = n == 3 ? two * 10 + d2 : (n == 2 ? two : d0);
    return true;
  }
  uint32_t v = 0;
  for (int i = 0; i < f.n; ++i) {
    const char c = f.p[i];
    if (!IsDigit(c)) return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  out = v;
  return true;
}

// An optional sign, then one or two decimal digits (a local time zone).
bool ParseSignedSmall(NmeaField f, int& out);

namespace detail {

// Powers of ten that a double holds exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                             1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
constexpr int kMaxDecimalDigits = 19;

inline int TwoDigits(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

}  // namespace detail

// Decimal text: [sign] digits [. digits], at least one digit, at most 19 digits. Exact to the
// double nearest the text for up to 15 significant digits, which is what receivers send.
inline bool ParseDecimal(NmeaField f, bool allowSign, double& out) {
  const char* p = f.p;
  const char* const end = f.p + f.n;
  bool negative = false;
  if (p < end && allowSign && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  uint64_t mantissa = 0;
  int digits = 0;
  int fraction = 0;       // digits after the point
  int afterPoint = 0;     // 1 once the point is passed
  for (; p < end; ++p) {
    const uint32_t d = static_cast<uint32_t>(static_cast<uint8_t>(*p)) - '0';
    if (d < 10) {
      mantissa = mantissa * 10 + d;
      ++digits;
      fraction += afterPoint;
    } else if (*p == '.' && afterPoint == 0) {
      afterPoint = 1;
    } else {
      return false;
    }
  }
  // Past 19 digits the mantissa has wrapped: such text is refused here, after the loop.
  if (digits == 0 || digits > detail::kMaxDecimalDigits) return false;
  // One rounding only: the mantissa and the power of ten are both exact below 2^53.
  double v = static_cast<double>(mantissa);
  if (fraction > 0) v /= detail::kPow10[fraction];
  out = negative ? -v : v;
  return true;
}

// hhmmss[.s...]: two digits of hours (0..23), two of minutes (0..59), then the seconds up to
// the comma (below 61, a leap second included).
inline bool ParseTime(NmeaField f, uint8_t& hour, uint8_t& minute, double& seconds) {
  if (f.n < 5) return false;
  for (int i = 0; i < 4; ++i) {
    if (!IsDigit(f.p[i])) return false;
  }
  const int h = detail::TwoDigits(f.p);
  const int m = detail::TwoDigits(f.p + 2);
  double s = 0;
  if (h > 23 || m > 59 || !ParseDecimal({f.p + 4, f.n - 4}, false, s) || s >= 61.0) return false;
  hour = static_cast<uint8_t>(h);
  minute = static_cast<uint8_t>(m);
  seconds = s;
  return true;
}

// d..dmm[.m...]: degreeDigits digits of degrees, then the minutes up to the comma (below 60);
// the whole angle may not exceed maxDegrees.
inline bool ParseAngle(NmeaField f, int degreeDigits, int maxDegrees, uint16_t& degrees, double& minutes) {
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

// Exactly one printable character.
inline bool ParseChar(NmeaField f, char& out) {
  if (f.n != 1 || f.p[0] <= ' ' || f.p[0] > '~') return false;
  out = f.p[0];
  return true;
}

// Printable text (blanks allowed) shorter than size; stored NUL-terminated.
bool ParseText(NmeaField f, char* out, int size);

}  // namespace nmea

// Hands out the fields of a sentence body one by one. `begin` is the first character of the
// first field, `end` the '*' that closes the body; once the fields run out, every further
// field reads as empty, so a sentence cut short leaves the rest of its record absent.
//
// A body of 16 to 128 characters (any sentence of the standard's length) has its commas found
// at once, sixteen characters at a time, as a bit mask: each field's end is then the mask's
// lowest bit, where a loop over the field's characters ended at a branch that the varying
// field lengths made the processor guess wrong at nearly every field. Nothing outside the
// body is read: its last piece is the sixteen characters that end it.
class NmeaFieldReader {
 public:
  static constexpr std::ptrdiff_t kMaskedLength = 128;

  NmeaFieldReader(const char* begin, const char* end) : begin_(begin), p_(begin), end_(end), more_(begin < end) {
#if defined(__SSE2__)
    const std::ptrdiff_t n = end - begin;
    masked_ = n >= 16 && n <= kMaskedLength;
    if (!masked_) return;
    uint64_t bits[2] = {0, 0};
    std::ptrdiff_t at = 0;
    for (; at + 16 <= n; at += 16) bits[at >> 6] |= CommaBits(begin + at) << (at & 63);
    // The rest: the sixteen characters that end the body, those already looked at shifted out.
    if (at < n) bits[at >> 6] |= (CommaBits(end - 16) >> (16 - (n - at))) << (at & 63);
    low_ = bits[0];
    high_ = bits[1];
#endif
  }

  NmeaField Next() {
    if (!more_) return {};
    const char* start = p_;
    const char* c = end_;
    if (masked_) {
      if (low_ != 0) {
        c = begin_ + __builtin_ctzll(low_);
        low_ &= low_ - 1;
      } else if (high_ != 0) {
        c = begin_ + 64 + __builtin_ctzll(high_);
        high_ &= high_ - 1;
      }
    } else {
      c = start;
      while (c < end_ && *c != ',') ++c;
    }
    if (c == end_) {
      p_ = end_;
      more_ = false;
    } else {
      p_ = c + 1;
    }
    return {start, static_cast<int>(c - start)};
  }

  // Parses the next field with `parse` (a callable taking the field and returning whether
  // it was valid) and records the outcome in the presence byte.
  template <typename Parse>
  void Take(uint8_t& presence, Parse&& parse) {
    const NmeaField f = Next();
    presence = f.n > 0 && parse(f) ? 1 : 0;
  }

  void Skip() { (void)Next(); }

 private:
#if defined(__SSE2__)
  // One bit per comma among the sixteen characters at p.
  static uint64_t CommaBits(const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(','))));
  }
#endif

  const char* begin_;
  const char* p_;
  const char* end_;
  bool more_;
  bool masked_ = false;
  uint64_t low_ = 0;
  uint64_t high_ = 0;
};

}  // namespace orv
