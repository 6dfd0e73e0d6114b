// Decoded fields for the JSON lines of `decode`: each adds `"record"` and `"fields"` (or
// `"hex"`) to the object being built, or nothing when the message has no defined layout.
#pragma once

#include <cstdint>
#include <string>

#include "JsonText.h"

namespace orv {
class ReceiverDecoder;
}

namespace orv::cli {

// `json` holds an open object; members are appended with a leading comma.
void AppendBinaryRecord(JsonText& json, int messageNumber, const uint8_t* payload, int length,
                        const ReceiverDecoder& decoder);
void AppendNmeaRecord(JsonText& json, int slot, const ReceiverDecoder& decoder);

// The whole JSON line (with its line end) of a valid binary frame, as `decode` prints it; with
// a source, `"source":"<source>"` comes first.
std::string FrameJsonLine(const ReceiverDecoder& decoder, const char* source, uint64_t offset, const uint8_t* frame,
                          int length);
// The same line appended to `line`.
void AppendFrameJsonLine(JsonText& line, const ReceiverDecoder& decoder, const char* source, uint64_t offset,
                         const uint8_t* frame, int length);

}  // namespace orv::cli
