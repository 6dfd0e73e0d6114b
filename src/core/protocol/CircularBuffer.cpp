// Ring writes and cursor reads.
#include "protocol/CircularBuffer.h"

namespace orv {

CircularBuffer::CircularBuffer() : storage_(capacity_, 0) {}

CircularBuffer::CircularBuffer(uint16_t capacity, uint16_t variantLimit) : order_(kNewestFirst) {
  if (capacity > 0 && capacity <= variantLimit) capacity_ = capacity;
  storage_.assign(capacity_, 0);
}

uint16_t CircularBuffer::Write(const uint8_t* bytes, uint16_t n) {
  for (uint16_t i = 0; i < n; ++i) {
    storage_[writeIndex_] = bytes[i];
    writeIndex_ = static_cast<uint16_t>((writeIndex_ + 1) % capacity_);
    ++totalWritten_;
  }
  return writeIndex_;
}

int CircularBuffer::Read(uint8_t* dest, Cursor& cursor, uint16_t n) {
  if (cursor.started && cursor.position == cursor.start) return 0;
  cursor.position = static_cast<uint16_t>(cursor.position % capacity_);
  for (uint16_t i = 0; i < n; ++i) {
    if (order_ == kOldestFirst) {
      dest[i] = storage_[cursor.position];
      cursor.position = static_cast<uint16_t>((cursor.position + 1) % capacity_);
    } else {
      cursor.position = cursor.position == 0 ? static_cast<uint16_t>(capacity_ - 1)
                                             : static_cast<uint16_t>(cursor.position - 1);
      dest[n - 1 - i] = storage_[cursor.position];
    }
  }
  cursor.started = true;
  return cursor.valid ? 1 : 0;
}

}  // namespace orv
