// The text the JSON printers build lines in: a growable character buffer whose appends are a
// bounds check and a copy, inlined. A decode prints millions of members, mostly a short name
// and a number; through std::string each of them was a call into the library (and a resize
// zero-filled what the hex writer then overwrote), which cost more than the decoding.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace orv::cli {

class JsonText {
 public:
  explicit JsonText(std::size_t capacity = 512)
      : data_(std::make_unique_for_overwrite<char[]>(capacity)), capacity_(capacity) {}
  JsonText(const JsonText&) = delete;
  JsonText& operator=(const JsonText&) = delete;
  JsonText(JsonText&& other) noexcept
      : data_(std::move(other.data_)), capacity_(other.capacity_), size_(other.size_) {
    other.capacity_ = other.size_ = 0;
  }
  JsonText& operator=(JsonText&& other) noexcept {
    data_ = std::move(other.data_);
    capacity_ = other.capacity_;
    size_ = other.size_;
    other.capacity_ = other.size_ = 0;
    return *this;
  }

  // A literal's length is known where it is appended.
  template <std::size_t N>
  JsonText& operator+=(const char (&text)[N]) {
    append(text, N - 1);
    return *this;
  }
  JsonText& operator+=(std::string_view text) {
    append(text.data(), text.size());
    return *this;
  }
  JsonText& operator+=(char c) {
    if (size_ == capacity_) Grow(1);
    data_[size_++] = c;
    return *this;
  }
  void append(const char* text, std::size_t n) {
    if (n > capacity_ - size_) Grow(n);
    if (n > 0) std::memcpy(data_.get() + size_, text, n);
    size_ += n;
  }
  void append(const char* first, const char* last) { append(first, static_cast<std::size_t>(last - first)); }

  // Room for n more characters at the end: write them, then Commit how many were written.
  char* Extend(std::size_t n) {
    if (n > capacity_ - size_) Grow(n);
    return data_.get() + size_;
  }
  void Commit(std::size_t n) { size_ += n; }

  const char* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }
  std::string str() const { return std::string(data_.get(), size_); }

 private:
  void Grow(std::size_t more) {
    std::size_t capacity = capacity_ * 2;
    if (capacity < size_ + more) capacity = size_ + more;
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
  }

  std::unique_ptr<char[]> data_;
  std::size_t capacity_;
  std::size_t size_ = 0;
};

}  // namespace orv::cli
