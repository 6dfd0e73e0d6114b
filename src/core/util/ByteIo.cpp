// Out-of-line parts of the byte writer.
#include "util/ByteIo.h"

namespace orv {

ByteWriter& ByteWriter::PutBytes(const void* data, std::size_t n) {
  if (pos_ > out_.size() || out_.size() - pos_ < n) {
    overflow_ = true;
    return *this;
  }
  if (n > 0) std::memcpy(out_.data() + pos_, data, n);
  pos_ += n;
  return *this;
}

ByteWriter& ByteWriter::PutZeros(std::size_t n) {
  if (pos_ > out_.size() || out_.size() - pos_ < n) {
    overflow_ = true;
    return *this;
  }
  std::memset(out_.data() + pos_, 0, n);
  pos_ += n;
  return *this;
}

}  // namespace orv
