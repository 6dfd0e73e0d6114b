// Sentence identification and storing.
#include "nmea/NmeaStore.h"

namespace orv {

int NmeaStore::OnSentence(const char* sentence, int length, DecoderFlags& flags,
                          DecoderCounters& counters, MessageBoxes* boxes) {
  (void)sentence;
  (void)length;
  (void)flags;
  (void)counters;
  (void)boxes;
  return -1;
}

}  // namespace orv
