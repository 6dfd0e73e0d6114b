// The base of every record of the receiver data store: a fixed-size byte image of the last
// message of its kind, owned by the decoder, read only through typed, bounds-checked
// accessors that the concrete records name after their fields.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "util/ByteIo.h"

namespace orv {

// Text of a fixed-width character field: up to `width` characters, ending early at a zero
// byte (the receiver does not always terminate them).
std::string FixedText(std::span<const uint8_t> bytes, std::size_t offset, std::size_t width);

template <std::size_t N>
class ByteRecord {
 public:
  static constexpr std::size_t kSize = N;

  // Takes the first N bytes of `source`. What lies beyond a shorter source is zeroed, so a
  // record never holds the tail of an earlier, longer message.
  void Assign(std::span<const uint8_t> source) { AssignAt(0, source); }
  std::span<const uint8_t> bytes() const { return bytes_; }
  void Clear() { bytes_.fill(0); }

 protected:
  template <typename T>
  T Get(std::size_t offset) const {
    return ReadLe<T>(std::span<const uint8_t>(bytes_), offset);
  }
  uint8_t Byte(std::size_t offset) const { return Get<uint8_t>(offset); }
  std::string Text(std::size_t offset, std::size_t width) const { return FixedText(bytes_, offset, width); }
  // Copies `source` to [offset, offset + room) of the image and zeroes the rest of that range.
  void AssignAt(std::size_t offset, std::span<const uint8_t> source, std::size_t room = N) {
    if (offset >= N) return;
    room = std::min(room, N - offset);
    const std::size_t n = std::min(source.size(), room);
    std::copy_n(source.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(offset + n),
              bytes_.begin() + static_cast<std::ptrdiff_t>(offset + room), uint8_t{0});
  }

  std::array<uint8_t, N> bytes_{};
};

// A payload from `offset` on, empty when the payload is shorter.
inline std::span<const uint8_t> PayloadFrom(std::span<const uint8_t> payload, std::size_t offset) {
  return offset < payload.size() ? payload.subspan(offset) : std::span<const uint8_t>();
}

}  // namespace orv
