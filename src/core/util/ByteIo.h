// Bounds-checked little-endian reads and writes over byte buffers. Every binary record of the
// console is read and written through these, never by casting a buffer to a struct.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace orv {

// Reads a little-endian value of type T at `offset`; an out-of-range read yields T{}.
template <typename T>
T ReadLe(std::span<const uint8_t> bytes, std::size_t offset) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return T{};
  uint8_t raw[sizeof(T)];
  std::memcpy(raw, bytes.data() + offset, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(raw[i], raw[sizeof(T) - 1 - i]);
  }
  T value;
  std::memcpy(&value, raw, sizeof(T));
  return value;
}

// Writes `value` little-endian at `offset`; returns false (and writes nothing) when it does not fit.
template <typename T>
bool WriteLe(std::span<uint8_t> bytes, std::size_t offset, T value) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  uint8_t raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(raw[i], raw[sizeof(T) - 1 - i]);
  }
  std::memcpy(bytes.data() + offset, raw, sizeof(T));
  return true;
}

// Appends values to a fixed buffer, little-endian, and remembers whether anything overflowed.
class ByteWriter {
 public:
  explicit ByteWriter(std::span<uint8_t> out) : out_(out) {}

  template <typename T>
  ByteWriter& Put(T value) {
    if (WriteLe(out_, pos_, value)) {
      pos_ += sizeof(T);
    } else {
      overflow_ = true;
    }
    return *this;
  }
  ByteWriter& PutBytes(const void* data, std::size_t n);
  ByteWriter& PutZeros(std::size_t n);

  std::size_t size() const { return pos_; }
  bool overflowed() const { return overflow_; }

 private:
  std::span<uint8_t> out_;
  std::size_t pos_ = 0;
  bool overflow_ = false;
};

}  // namespace orv
