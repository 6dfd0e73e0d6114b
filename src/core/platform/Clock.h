// The calendar time, for what depends on today's date (the GPS week an almanac belongs to).
// Injected, so that tests can set the date; the system clock is the default.
#pragma once

#include <cstdint>

namespace orv {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1 January 1970 00:00 UTC.
  virtual int64_t UnixSeconds() const = 0;
};

// The machine's clock.
const Clock& SystemClock();

}  // namespace orv
