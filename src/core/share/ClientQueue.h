// The bytes waiting for one client of the sharing server. It is bounded: a client that stops
// reading fills it and is then dropped, so that it never holds up the receiver's decoding nor
// grows without end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orv {

class ClientQueue {
 public:
  explicit ClientQueue(std::size_t limit) : limit_(limit) {}

  // Appends all of `bytes`, or nothing when they would take the queue past its limit; once it
  // has overflowed it takes nothing more.
  bool Push(std::string_view bytes);
  std::string_view Front() const { return std::string_view(data_).substr(head_); }
  // Drops the first n bytes (those sent).
  void Consume(std::size_t n);
  std::size_t size() const { return data_.size() - head_; }
  bool empty() const { return size() == 0; }
  bool overflowed() const { return overflowed_; }
  std::size_t limit() const { return limit_; }
  void Clear();

 private:
  std::size_t limit_;
  std::string data_;
  std::size_t head_ = 0;
  bool overflowed_ = false;
};

}  // namespace orv
