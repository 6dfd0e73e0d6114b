// Splits what the console sends into KTX Binary frames and NMEA sentences. Bytes that make
// neither (noise, a frame with a bad checksum, a sentence with a wrong checksum) are dropped, as
// a receiver drops them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv::sim {

struct InputItem {
  bool binary = false;
  uint8_t idByte = 0;                // binary: the ID byte as sent (bit 7 included)
  std::vector<uint8_t> payload;      // binary
  std::string sentence;              // NMEA: between '$' and '*'
};

class InputScanner {
 public:
  // Appends the bytes and returns every complete item they finish, in order.
  std::vector<InputItem> Feed(const uint8_t* bytes, std::size_t n);

 private:
  // One attempt at the head of the buffer: 1 item taken, 0 need more bytes, -1 drop a byte.
  int TakeBinary(std::vector<InputItem>& out);
  int TakeSentence(std::vector<InputItem>& out);

  std::vector<uint8_t> buffer_;
  std::size_t head_ = 0;
};

}  // namespace orv::sim
