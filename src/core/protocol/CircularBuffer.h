// A small byte ring: writes overwrite the oldest bytes without notice; a read cursor walks the
// ring oldest-first or newest-first until it comes back to where it started.
#pragma once

#include <cstdint>
#include <vector>

namespace orv {

class CircularBuffer {
 public:
  enum ReadOrder : uint16_t { kNewestFirst = 1, kOldestFirst = 2 };

  struct Cursor {
    uint16_t position = 0;
    uint16_t start = 0;
    bool started = false;
    bool valid = true;
  };

  // Capacity 200, read oldest first.
  CircularBuffer();
  // Read newest first. The requested capacity is taken only when it does not exceed the
  // variant's limit (5000, 4000, 1300, 20 or 100); otherwise the default capacity stays.
  CircularBuffer(uint16_t capacity, uint16_t variantLimit);
  virtual ~CircularBuffer() = default;

  // Returns the new write index.
  virtual uint16_t Write(const uint8_t* bytes, uint16_t n);
  // Copies n bytes for the cursor; returns 0 once the cursor is back at its start, else the
  // cursor's valid flag.
  virtual int Read(uint8_t* dest, Cursor& cursor, uint16_t n);

  Cursor MakeCursor() const { return Cursor{writeIndex_, writeIndex_, false, true}; }
  uint16_t capacity() const { return capacity_; }
  uint16_t writeIndex() const { return writeIndex_; }
  uint16_t totalWritten() const { return totalWritten_; }
  ReadOrder readOrder() const { return order_; }

 private:
  uint16_t writeIndex_ = 0;
  uint16_t totalWritten_ = 0;
  uint16_t capacity_ = 200;
  ReadOrder order_ = kOldestFirst;
  std::vector<uint8_t> storage_;
};

}  // namespace orv
