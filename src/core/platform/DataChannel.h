// The byte channel every input and output of the console is: serial ports and log files.
#pragma once

#include <cstdint>

namespace orv {

class DataChannel {
 public:
  virtual ~DataChannel() = default;
  // Obtains up to maxBytes from the source and hands them, as one block, to the channel's
  // sink. Returns the number of bytes that count as delivered.
  virtual uint32_t Receive(uint32_t maxBytes) = 0;
  // Writes the bytes to the channel. Returns false when nothing could be written.
  virtual bool Send(const uint8_t* bytes, uint32_t count) = 0;
};

}  // namespace orv
