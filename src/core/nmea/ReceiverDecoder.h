// The decoder of a receiver's stream in both protocols: the message decoder with the NMEA side
// of the data store attached, so that every sentence is counted in its slot, parsed into its
// record and shown in its window.
#pragma once

#include "nmea/NmeaStore.h"
#include "protocol/MessageDecoder.h"

namespace orv {

class ReceiverDecoder : public MessageDecoder {
 public:
  ReceiverDecoder() { SetNmeaSink(&nmea_); }

  NmeaStore& nmea() { return nmea_; }
  const NmeaStore& nmea() const { return nmea_; }

 private:
  NmeaStore nmea_;
};

}  // namespace orv
