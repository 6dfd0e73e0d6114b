// Where the decoder hands every NMEA sentence whose checksum matched. The NMEA side of the data
// store implements it; a decoder without one still frames and counts sentences, but no slot
// is counted and nothing is stored.
#pragma once

#include "platform/Desktop.h"
#include "protocol/DecoderState.h"

namespace orv {

class NmeaSentenceSink {
 public:
  virtual ~NmeaSentenceSink() = default;
  // `sentence` starts with '$' and ends after the two checksum digits; it is not terminated and
  // is valid during the call only (it may lie in the block being decoded). Returns the
  // sentence's count slot, or -1 when its address is not known.
  virtual int OnSentence(const char* sentence, int length, DecoderFlags& flags, DecoderCounters& counters,
                         MessageBoxes* boxes) = 0;
};

}  // namespace orv
