// The sink of a data channel: takes a block of received bytes and says how many it used.
#pragma once

#include <cstdint>

namespace orv {

class StreamDecoder {
 public:
  virtual ~StreamDecoder() = default;
  // The block must have one spare byte after its end (a terminal link writes a terminating
  // zero there). A result below count means the caller passes the rest in a later call.
  virtual uint32_t Decode(uint8_t* bytes, uint32_t count) = 0;
};

}  // namespace orv
