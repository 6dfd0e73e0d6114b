#include "logging/LogProtocol.h"

#include <vector>

#include "nmea/ReceiverDecoder.h"

namespace orv {

namespace {
DecoderCounters Count(std::span<const uint8_t> head, uint32_t selector) {
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(selector);
  // Counting only: the records are not parsed.
  decoder.SetTimeGateOpen(0);
  std::vector<uint8_t> block(4097);
  for (std::size_t at = 0; at < head.size(); at += 4096) {
    const std::size_t n = std::min<std::size_t>(4096, head.size() - at);
    std::copy_n(head.data() + at, n, block.data());
    decoder.Decode(block.data(), static_cast<uint32_t>(n));
  }
  return decoder.counters();
}
}  // namespace

LogProtocolGuess GuessLogProtocol(std::span<const uint8_t> head) {
  LogProtocolGuess g;
  g.frames = Count(head, 1).validMessageCount;
  g.sentences = Count(head, 0).nmeaSentenceCount;
  g.protocolSelector = g.sentences > g.frames ? 0 : 1;
  return g;
}

}  // namespace orv
