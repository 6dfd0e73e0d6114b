// Decoded fields for the JSON lines of `decode`: each adds `"record"` and `"fields"` (or
// `"hex"`) to the object being built, or nothing when the message has no defined layout.
#pragma once

#include <cstdint>
#include <string>

namespace orv {
class ReceiverDecoder;
}

namespace orv::cli {

// `json` holds an open object; members are appended with a leading comma.
void AppendBinaryRecord(std::string& json, int messageNumber, const uint8_t* payload, int length,
                        const ReceiverDecoder& decoder);
void AppendNmeaRecord(std::string& json, int slot, const ReceiverDecoder& decoder);

}  // namespace orv::cli
