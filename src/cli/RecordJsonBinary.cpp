// Decoded fields of the binary records.
#include "RecordJson.h"

namespace orv::cli {

void AppendBinaryRecord(std::string& json, int messageNumber, const uint8_t* payload, int length,
                        const MessageDecoder& decoder) {
  (void)json;
  (void)messageNumber;
  (void)payload;
  (void)length;
  (void)decoder;
}

}  // namespace orv::cli
