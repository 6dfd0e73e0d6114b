// Per-message storing rules of the receiver data store.
#include "protocol/ReceiverDataStore.h"

namespace orv {

void ReceiverDataStore::OnBinaryMessage(int n, std::span<const uint8_t> payload, DecoderFlags& flags,
                                        MessageBoxes* boxes) {
  (void)payload;
  (void)boxes;
  // Measurement blocks drive synchronized playback; the rest of the catalogue is stored by
  // the record layer.
  if ((n == 23 || n == 24) && flags.decodingEnabled == 1) flags.measurementSeen = 1;
}

}  // namespace orv
