// Records of receiver identity, differential data and the records kept as opaque copies:
// messages 43, 45, 48, 51, 57, 67, 68, 75, 83, 85, 111 and 113.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/records/ByteRecord.h"

namespace orv {

// Message 45. Texts are fixed-width and not necessarily terminated.
class PartNumberRecord : public ByteRecord<95> {
 public:
  static constexpr int kSuffixes = 7;  // configurations #2 to #8
  std::string operationalSwPartNumber() const { return Text(0, 14); }
  std::string config1PartNumber() const { return Text(14, 14); }
  uint32_t config1Checksum() const { return Get<uint32_t>(28); }
  std::string bootSwPartNumber() const { return Text(32, 14); }
  // Suffix of configuration k, 2 to 8; empty when that configuration is absent.
  std::string configSuffix(int k) const {
    return k >= 2 && k <= 8 ? Text(47 + 3 * static_cast<std::size_t>(k - 2), 3) : std::string();
  }
  // Configuration k's part number: configuration #1's first 11 characters and suffix k.
  std::string configPartNumber(int k) const;
  uint32_t customerSerialNumber() const { return Get<uint32_t>(73); }
  std::string customerSerialPrefix() const { return Text(77, 3); }
  uint32_t bootSwChecksum() const { return Get<uint32_t>(86); }
  uint32_t operationalSwChecksum() const { return Get<uint32_t>(90); }
};

// Message 83: RTCM data accumulated over messages. Payload byte 0 is a flag byte whose bit 2
// starts a new accumulation; bytes 1 on are appended. Room is 520 bytes: what arrives beyond
// it without a clearing flag is dropped, the first 520 bytes are kept.
class DgpsDataRecord {
 public:
  static constexpr std::size_t kCapacity = 520;
  static constexpr uint8_t kClearFlag = 0x04;
  void Append(std::span<const uint8_t> payload);
  std::size_t length() const { return length_; }
  std::span<const uint8_t> data() const { return std::span<const uint8_t>(bytes_).first(length_); }
  // True when bytes were dropped since the last clearing flag.
  bool overflowed() const { return overflowed_; }

 private:
  std::array<uint8_t, kCapacity> bytes_{};
  std::size_t length_ = 0;
  bool overflowed_ = false;
};

// Message 111: the payload's 4-byte words, payload length / 4 of them.
class SystemProfileRecord : public ByteRecord<4 * 63> {
 public:
  void Assign(std::span<const uint8_t> payload) {
    count_ = static_cast<int>(std::min<std::size_t>(payload.size() / 4, 63));
    AssignAt(0, payload.first(static_cast<std::size_t>(count_) * 4));
  }
  int entryCount() const { return count_; }
  uint32_t entry(int i) const { return i >= 0 && i < count_ ? Get<uint32_t>(4 * static_cast<std::size_t>(i)) : 0; }

 private:
  int count_ = 0;
};

// Records whose fields are read by their windows only; the store keeps their bytes.
class DgpsConfigRecord : public ByteRecord<21> {};       // 43
class DgpsStatusRecord : public ByteRecord<24> {};       // 48
class BitResultRecord : public ByteRecord<36> {};        // 51
class FaultLogRecord : public ByteRecord<80> {};         // 57
class Msg67Record : public ByteRecord<48> {};            // 67
class WaasStatusRecord : public ByteRecord<7> {};        // 68
class IonoUtcRecord : public ByteRecord<40> {};          // 75
class BeaconRxStatusRecord : public ByteRecord<16> {};   // 85
class TimingInfoRecord : public ByteRecord<59> {};       // 113

}  // namespace orv
