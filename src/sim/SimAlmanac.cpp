// The simulated almanac upload.
#include "sim/SimAlmanac.h"

#include <cstring>

#include "protocol/CommandKeys.h"
#include "util/ByteIo.h"

namespace orv::sim {

namespace {
constexpr std::size_t kHeaderSize = 15;
constexpr std::size_t kRecordSize = 73;
constexpr std::size_t kReportSize = 79;
// The receiver reports the full inclination; the upload carries its offset from 0.3 pi.
constexpr double kInclinationReference = 0.9424777960769379;
constexpr int kInclinationIndex = 7;

Payload Ack(int message) { return Payload{static_cast<uint8_t>(message), 0, 0, 0}; }
}  // namespace

std::optional<SimReply> SimAlmanacUpload::OnMessage(int message, const std::vector<uint8_t>& payload) {
  if (message == 78) {
    const CommandKey key = GeneralCommandKey();
    const bool keyed = payload.size() == kHeaderSize && std::memcmp(payload.data(), key.data(), key.size()) == 0;
    if (!keyed || options_.failHeader) {
      headerSeen_ = false;
      return SimReply{78, Payload(kHeaderSize, 0)};
    }
    headerSeen_ = true;
    recordsReceived_ = 0;
    std::memcpy(mask_.data(), payload.data() + 8, 4);
    week_ = ReadLe<uint16_t>(std::span<const uint8_t>(payload), 12);
    toa_ = uint32_t{payload[14]} * 4096;
    if (options_.dropAck == 0) return std::nullopt;
    return SimReply{126, Ack(78)};
  }
  if (message != 79 || !headerSeen_ || payload.size() != kRecordSize) return std::nullopt;
  ++recordsReceived_;
  const int prnIndex = payload[0] & 0x3F;
  if (prnIndex < 32 && (mask_[static_cast<std::size_t>(prnIndex / 8)] & (1u << (prnIndex % 8)))) {
    Stored& s = stored_[static_cast<std::size_t>(prnIndex)];
    s.present = true;
    s.typeAndPrn = payload[0];
    for (int i = 0; i < 9; ++i) s.parameters[i] = ReadLe<double>(std::span<const uint8_t>(payload), 1 + 8 * static_cast<std::size_t>(i));
    s.toa = toa_;
    s.week = week_;
  }
  if (options_.dropAck == recordsReceived_) return std::nullopt;
  return SimReply{126, Ack(79)};
}

bool SimAlmanacUpload::hasAlmanac() const {
  for (const Stored& s : stored_) {
    if (s.present) return true;
  }
  return false;
}

std::vector<Payload> SimAlmanacUpload::Reports() const {
  std::vector<Payload> out;
  for (const Stored& s : stored_) {
    if (!s.present) continue;
    Payload p(kReportSize, 0);
    // The report's PRN field is the satellite number (GPS: index + 1).
    const int type = s.typeAndPrn >> 6;
    const int prnIndex = s.typeAndPrn & 0x3F;
    p[0] = static_cast<uint8_t>((type << 6) | ((prnIndex + (type == 1 ? 1 : 0)) & 0x3F));
    WriteLe<uint32_t>(std::span<uint8_t>(p), 1, s.toa);
    for (int i = 0; i < 9; ++i) {
      const double v = i == kInclinationIndex ? s.parameters[i] + kInclinationReference : s.parameters[i];
      WriteLe<double>(std::span<uint8_t>(p), 5 + 8 * static_cast<std::size_t>(i), v);
    }
    WriteLe<uint16_t>(std::span<uint8_t>(p), 77, s.week);
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace orv::sim
