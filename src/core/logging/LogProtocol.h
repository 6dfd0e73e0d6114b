// Which protocol a recording holds, judged from its first bytes: both decoders read them, and
// the one that finds more valid frames or sentences wins. A log with neither is taken as KTX
// Binary, the console's own recording format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orv {

struct LogProtocolGuess {
  int protocolSelector = 1;  // 1 KTX Binary, 0 NMEA
  uint32_t frames = 0;       // valid KTX Binary frames in the bytes looked at
  uint32_t sentences = 0;    // valid NMEA sentences in them
};

// How much of a file the guess reads.
inline constexpr std::size_t kLogProtocolProbeBytes = 65536;

LogProtocolGuess GuessLogProtocol(std::span<const uint8_t> head);

}  // namespace orv
