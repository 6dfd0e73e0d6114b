// Walks the comma-separated fields of one sentence and converts each into a record value. A
// field that is empty, malformed, out of range or longer than its value can hold counts as
// empty: its presence byte stays 0 and the value it would have set keeps its previous content.
// Nothing here allocates; every read stays inside the sentence.
#pragma once

#include <cstdint>
#include <cstring>

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

// Decimal text: [sign] digits [. digits], at least one digit, at most 19 digits. Exact to the
// double nearest the text for up to 15 significant digits, which is what receivers send.
bool ParseDecimal(NmeaField f, bool allowSign, double& out);

// hhmmss[.s...]: two digits of hours (0..23), two of minutes (0..59), then the seconds up to
// the comma (below 61, a leap second included).
bool ParseTime(NmeaField f, uint8_t& hour, uint8_t& minute, double& seconds);

// d..dmm[.m...]: degreeDigits digits of degrees, then the minutes up to the comma (below 60);
// the whole angle may not exceed maxDegrees.
bool ParseAngle(NmeaField f, int degreeDigits, int maxDegrees, uint16_t& degrees, double& minutes);

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
class NmeaFieldReader {
 public:
  NmeaFieldReader(const char* begin, const char* end) : p_(begin), end_(end), more_(begin < end) {}

  NmeaField Next() {
    if (!more_) return {};
    const char* start = p_;
    const void* comma = std::memchr(start, ',', static_cast<std::size_t>(end_ - start));
    if (comma == nullptr) {
      p_ = end_;
      more_ = false;
      return {start, static_cast<int>(end_ - start)};
    }
    const char* c = static_cast<const char*>(comma);
    p_ = c + 1;
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
  const char* p_;
  const char* end_;
  bool more_;
};

}  // namespace orv
