#include "share/ClientQueue.h"

namespace orv {

bool ClientQueue::Push(std::string_view bytes) {
  if (overflowed_ || bytes.size() > limit_ - size()) {
    overflowed_ = true;
    return false;
  }
  // The sent part is given back once it is at least half the buffer, so that copying stays
  // proportional to what passes through.
  if (head_ > 0 && head_ >= data_.size() / 2) {
    data_.erase(0, head_);
    head_ = 0;
  }
  data_.append(bytes);
  return true;
}

void ClientQueue::Consume(std::size_t n) {
  head_ += n < size() ? n : size();
  if (head_ == data_.size()) {
    data_.clear();
    head_ = 0;
  }
}

void ClientQueue::Clear() {
  data_.clear();
  head_ = 0;
  overflowed_ = false;
}

}  // namespace orv
