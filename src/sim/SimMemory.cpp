// The simulated memory's areas, dumps and loads.
#include "sim/SimMemory.h"

#include <algorithm>

#include "protocol/CommandKeys.h"
#include "util/ByteIo.h"

namespace orv::sim {

namespace {
constexpr std::size_t kKeyBytes = 8;

bool InRam(uint64_t address) { return address >= SimMemory::kRamStart && address < SimMemory::kRamStart + uint64_t{SimMemory::kRamSize}; }
bool InRom(uint64_t address) { return address < SimMemory::kRomStart + uint64_t{SimMemory::kRomSize}; }
}  // namespace

uint8_t SimMemory::RomByte(uint32_t address) { return static_cast<uint8_t>((address * 7 + (address >> 8)) & 0xFF); }

std::optional<uint8_t> SimMemory::Read(uint32_t address) const {
  if (InRam(address)) return ram_[address - kRamStart];
  if (InRom(address)) return RomByte(address);
  return std::nullopt;
}

std::optional<Payload> SimMemory::Dump(uint32_t address, std::size_t size) const {
  const bool ram = InRam(address);
  if (!ram && !InRom(address)) return std::nullopt;
  Payload p(4);
  WriteLe<uint32_t>(std::span<uint8_t>(p), 0, address);
  for (uint64_t a = address; a < uint64_t{address} + size; ++a) {
    if (ram ? !InRam(a) : !InRom(a)) break;
    p.push_back(*Read(static_cast<uint32_t>(a)));
  }
  return p;
}

bool SimMemory::Load(std::span<const uint8_t> payload, std::size_t valueBytes) {
  if (valueBytes != 1 && valueBytes != 4) return false;
  if (payload.size() != kKeyBytes + 4 + valueBytes) return false;
  const CommandKey key = GeneralCommandKey();
  if (!std::equal(key.begin(), key.end(), payload.begin())) return false;
  const uint32_t address = ReadLe<uint32_t>(payload, kKeyBytes);
  if (!InRam(address) || !InRam(uint64_t{address} + valueBytes - 1)) return false;
  for (std::size_t i = 0; i < valueBytes; ++i) ram_[address - kRamStart + i] = payload[kKeyBytes + 4 + i];
  return true;
}

}  // namespace orv::sim
