// Decoded fields of the NMEA records.
#include "RecordJson.h"

namespace orv::cli {

void AppendNmeaRecord(std::string& json, int slot, const MessageDecoder& decoder) {
  (void)json;
  (void)slot;
  (void)decoder;
}

}  // namespace orv::cli
