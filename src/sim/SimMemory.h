// The simulated receiver's memory for the memory dump and load messages: a read-only area whose
// every byte follows from its address, and a small writable RAM window. Dumps (60, 61, 62) read
// 16, 32 or 64 bytes; loads (120 a byte, 122 a word) write RAM once their key is the general
// command key.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/SimBinary.h"

namespace orv::sim {

class SimMemory {
 public:
  static constexpr uint32_t kRomStart = 0x00000000;
  static constexpr uint32_t kRomSize = 0x00010000;
  static constexpr uint32_t kRamStart = 0x20000000;
  static constexpr uint32_t kRamSize = 0x00001000;

  SimMemory() : ram_(kRamSize, 0) {}

  // The byte at `address`; none where nothing is mapped.
  std::optional<uint8_t> Read(uint32_t address) const;
  // The pattern of the read-only area.
  static uint8_t RomByte(uint32_t address);

  // The answer to a dump of `size` bytes from `address`: the address, then the bytes up to the
  // end of the mapped area it starts in (a block that runs off the end is cut short); none when
  // the address is not mapped.
  std::optional<Payload> Dump(uint32_t address, std::size_t size) const;
  // A load command's payload (key, address, value of 1 or 4 bytes): true when it was written.
  // A wrong key, a wrong length or a value that does not lie wholly in RAM writes nothing.
  bool Load(std::span<const uint8_t> payload, std::size_t valueBytes);

 private:
  std::vector<uint8_t> ram_;
};

}  // namespace orv::sim
