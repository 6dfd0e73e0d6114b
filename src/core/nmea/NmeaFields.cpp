// The field conversions that are not on the hot path of every sentence.
#include "nmea/NmeaFields.h"

namespace orv::nmea {

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
