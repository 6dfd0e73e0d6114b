// The KTX Binary frame, the same in both directions:
//
//   +------+----+-----+---+-----------+--------+
//   | 0x01 | ID | ~ID | N | N payload | sum LE |
//   +------+----+-----+---+-----------+--------+
//
// The 16-bit wrapping sum covers every byte from the start byte through the last payload
// byte. Bits 0-6 of ID are the message number; bit 7 asks for Continuous output (or picks a
// command variant) and is ignored on receive.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orv {

inline constexpr uint8_t kFrameStart = 0x01;
inline constexpr int kFrameOverhead = 6;
inline constexpr int kMaxFrameLength = 255 + kFrameOverhead;  // 261

enum RequestMode : uint8_t { kOneShot = 0, kContinuous = 128 };

// Frame lengths (overhead included) of the messages SendMessage can build, by message number.
// Zero: the message is not sent that way.
extern const std::array<uint8_t, 128> kTransmitLength;

// Builds a whole frame into `out` (which must hold payload.size() + 6 bytes); returns the
// frame length, or 0 when the payload is longer than 255 bytes or out is too small.
std::size_t BuildFrame(uint8_t idByte, std::span<const uint8_t> payload, std::span<uint8_t> out);

// The wrapping 16-bit sum of bytes[0 .. n-1].
uint16_t FrameChecksum(const uint8_t* bytes, std::size_t n);

}  // namespace orv
