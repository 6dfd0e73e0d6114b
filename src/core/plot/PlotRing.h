// The plotted fixes: a ring of 21600 entries (six hours at one fix a second). Once it has
// wrapped, every entry holds a fix and the oldest is overwritten next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

struct PlotFix {
  double latitude = 0;   // radians
  double longitude = 0;  // radians
  uint32_t mode = 0;     // navigation mode, the colour index
  bool operator==(const PlotFix&) const = default;
};

class PlotRing {
 public:
  static constexpr std::size_t kCapacity = 21600;

  PlotRing() : entries_(kCapacity) {}

  void Add(const PlotFix& fix) {
    entries_[next_] = fix;
    if (next_ + 1 == kCapacity) {
      next_ = 0;
      ++wraps_;
    } else {
      ++next_;
    }
  }
  void Clear() {
    next_ = 0;
    wraps_ = 0;
  }

  // The entries that hold fixes: the first next-index ones, or all once the ring has wrapped.
  std::size_t size() const { return wraps_ > 0 ? kCapacity : next_; }
  bool empty() const { return size() == 0; }
  // Entry i of the ring (not the i-th oldest fix), i below size().
  const PlotFix& operator[](std::size_t i) const { return entries_[i]; }
  std::size_t nextIndex() const { return next_; }
  uint64_t wrapCount() const { return wraps_; }

 private:
  std::vector<PlotFix> entries_;
  std::size_t next_ = 0;
  uint64_t wraps_ = 0;
};

}  // namespace orv
