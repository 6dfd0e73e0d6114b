// What a page that accumulates (plot marks, satellite dots) must still draw from the records
// that came since its last value paint. The host merges repaints, not records: several records
// within one display frame reach one value paint, which draws every one of them from here.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace orv {

// A bounded first-in first-out ring. The storage is taken once, at construction.
template <typename T>
class UpdateQueue {
 public:
  explicit UpdateQueue(std::size_t bound) : slots_(bound > 0 ? bound : 1) {}

  // Keeps `item` for the next value paint. A full queue drops its oldest item and returns
  // false: what was dropped is drawn only by a full paint, which the page must ask for.
  bool Push(T item) {
    const bool kept = count_ < slots_.size();
    if (!kept) {
      first_ = Next(first_);
      --count_;
    }
    slots_[(first_ + count_) % slots_.size()] = std::move(item);
    ++count_;
    return kept;
  }

  // Hands every kept item to `draw`, oldest first, and forgets them.
  template <typename Draw>
  void Drain(Draw&& draw) {
    while (count_ > 0) {
      T item = std::move(slots_[first_]);
      first_ = Next(first_);
      --count_;
      draw(item);
    }
  }

  // A full paint draws from the page's own state: what is kept here is drawn already.
  void Clear() {
    first_ = 0;
    count_ = 0;
  }

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  std::size_t bound() const { return slots_.size(); }

 private:
  std::size_t Next(std::size_t i) const { return (i + 1) % slots_.size(); }

  std::vector<T> slots_;
  std::size_t first_ = 0;
  std::size_t count_ = 0;
};

}  // namespace orv
