// The machine's calendar clock.
#include "platform/Clock.h"

#include <chrono>

namespace orv {

namespace {
class SystemClockImpl : public Clock {
 public:
  int64_t UnixSeconds() const override {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
  }
};
}  // namespace

const Clock& SystemClock() {
  static const SystemClockImpl clock;
  return clock;
}

}  // namespace orv
