// The receiver data store: one record per binary message kind, holding the last message of
// that kind, and the window links told when a record changes.
#pragma once

#include <cstdint>
#include <span>

#include "platform/Desktop.h"
#include "protocol/DecoderState.h"

namespace orv {

class ReceiverDataStore {
 public:
  // Stores the payload of a counted, valid message `n` (bit 7 masked; 24 for a base
  // measurement block) into its record under the decoder's flags, and tells its window.
  void OnBinaryMessage(int n, std::span<const uint8_t> payload, DecoderFlags& flags, MessageBoxes* boxes);
  // Run whenever decodingEnabled is set to 0.
  void OnDecodingDisabled() {}

  double LastMeasurementGpsTime() const { return lastMeasurementGpsTime_; }
  double LastBaseMeasurementGpsTime() const { return lastBaseMeasurementGpsTime_; }

 private:
  double lastMeasurementGpsTime_ = 0;
  double lastBaseMeasurementGpsTime_ = 0;
};

}  // namespace orv
