// The record operations that do more than read a field: fixed-width texts, the accumulating
// RTCM data, the FPU dump block and the derived part numbers.
#include <algorithm>

#include "protocol/records/MaintenanceRecords.h"
#include "protocol/records/ReceiverRecords.h"

namespace orv {

std::string FixedText(std::span<const uint8_t> bytes, std::size_t offset, std::size_t width) {
  std::string out;
  for (std::size_t i = 0; i < width && offset + i < bytes.size(); ++i) {
    const uint8_t c = bytes[offset + i];
    if (c == 0) break;
    out += static_cast<char>(c);
  }
  return out;
}

std::string PartNumberRecord::configPartNumber(int k) const {
  const std::string suffix = configSuffix(k);
  if (suffix.empty()) return {};
  std::string base = config1PartNumber().substr(0, 11);
  base.resize(11, ' ');
  return base + suffix;
}

void DgpsDataRecord::Append(std::span<const uint8_t> payload) {
  // Without its flag byte a message carries nothing to append.
  if (payload.empty()) return;
  if (payload[0] & kClearFlag) {
    length_ = 0;
    overflowed_ = false;
  }
  const std::span<const uint8_t> data = payload.subspan(1);
  const std::size_t n = std::min(data.size(), kCapacity - length_);
  std::copy_n(data.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(length_));
  length_ += n;
  if (n < data.size()) overflowed_ = true;
}

void FpuMemoryDumpRecord::Assign(std::span<const uint8_t> payload) {
  parameter_ = ReadLe<uint8_t>(payload, 1);
  const std::size_t count = ReadLe<uint8_t>(payload, 2);
  const std::span<const uint8_t> carried = PayloadFrom(payload, 3);
  std::vector<uint8_t> block(count, 0);
  std::copy_n(carried.begin(), std::min(count, carried.size()), block.begin());
  block_ = std::move(block);
}

}  // namespace orv
