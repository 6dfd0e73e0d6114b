// The NMEA side of the data store: identifies each sentence that passed its checksum, counts
// it in its slot, parses it into its record and tells its window.
#pragma once

#include <cstdint>

#include "platform/Desktop.h"
#include "protocol/DecoderState.h"

namespace orv {

class NmeaStore {
 public:
  // `sentence` starts with '$' and ends after the two checksum digits. Returns the slot the
  // sentence was counted in, or -1 when its address is not known.
  int OnSentence(const char* sentence, int length, DecoderFlags& flags, DecoderCounters& counters,
                 MessageBoxes* boxes);
};

}  // namespace orv
