// Records of the maintenance tools: almanac (76), file manager answers (70 sub-IDs), memory
// dumps (60-62, 114 sub-ID 4), A/D data (114 sub-ID 1) and the ATE controller (2).
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/records/ByteRecord.h"

namespace orv {

// Message 76: one almanac row as the receiver reports it.
class AlmanacRecord : public ByteRecord<79> {
 public:
  int svType() const { return Byte(0) >> 6; }  // 0 GLONASS, 1 GPS, 2 GIC
  int prn() const { return Byte(0) & 0x3F; }
  uint32_t toa() const { return Get<uint32_t>(1); }
  double af0() const { return Get<double>(5); }
  double af1() const { return Get<double>(13); }
  double meanAnomaly() const { return Get<double>(21); }
  double argumentOfPerigee() const { return Get<double>(29); }
  double rightAscension() const { return Get<double>(37); }
  double sqrtA() const { return Get<double>(45); }
  double rateOfRightAscension() const { return Get<double>(53); }
  double inclination() const { return Get<double>(61); }
  double eccentricity() const { return Get<double>(69); }
  uint16_t week() const { return Get<uint16_t>(77); }
};

// Message 70 sub-ID 1: the file manager's answer (payload from byte 1).
class FileManagerRecord : public ByteRecord<53> {
 public:
  int action() const { return Byte(0) & 7; }
  int result() const { return Byte(1); }
  int activeFlag() const { return Byte(2); }
  std::string fileName() const { return Text(3, 8); }
  std::string pointName() const { return Text(11, 16); }
  std::string pointCode() const { return Text(27, 16); }
  int16_t antennaHeight() const { return Get<int16_t>(43); }
  int antennaMethod() const { return Byte(45); }
  std::string operatorName() const { return Text(46, 3); }
  uint32_t reserved() const { return Get<uint32_t>(49); }
};

// Message 70 sub-ID 2: one file of the receiver's list.
class FileInfoRecord : public ByteRecord<67> {
 public:
  int fileNumber() const { return Byte(1); }
  std::string fileName() const { return Text(3, 8); }
};

class StatusConfigRecord : public ByteRecord<31> {};  // 70 sub-ID 3
class MemoryInfoRecord : public ByteRecord<17> {};    // 70 sub-ID 7
class FileHeaderRecord : public ByteRecord<129> {};   // 70 sub-ID 8

// Message 70 sub-ID 6: one block of a file download; as long as its payload less the sub-ID.
class DownloadBlockRecord : public ByteRecord<254> {
 public:
  void Assign(std::span<const uint8_t> block) {
    length_ = std::min(block.size(), kSize);
    ByteRecord::Assign(block);
  }
  std::size_t length() const { return length_; }
  std::span<const uint8_t> data() const { return bytes().first(length_); }

 private:
  std::size_t length_ = 0;
};

// Messages 60, 61 and 62: start address, then 16, 32 or 64 bytes of memory.
template <std::size_t DataBytes>
class MemoryDumpRecord : public ByteRecord<4 + DataBytes> {
 public:
  static constexpr std::size_t kDataBytes = DataBytes;
  void Assign(std::span<const uint8_t> payload) {
    received_ = std::min(payload.size(), 4 + DataBytes);
    ByteRecord<4 + DataBytes>::Assign(payload);
  }
  uint32_t address() const { return this->template Get<uint32_t>(0); }
  std::span<const uint8_t> data() const { return this->bytes().subspan(4, DataBytes); }
  // The data bytes the last message carried: a short answer leaves the rest unknown, which is
  // not memory holding zeros.
  std::size_t dataReceived() const { return received_ > 4 ? received_ - 4 : 0; }
  bool addressReceived() const { return received_ >= 4; }

 private:
  std::size_t received_ = 0;
};
using MemoryDumpRecord16 = MemoryDumpRecord<16>;
using MemoryDumpRecord32 = MemoryDumpRecord<32>;
using MemoryDumpRecord64 = MemoryDumpRecord<64>;

// Message 114 sub-ID 4: a byte, a count and a block of that many bytes, replaced whole by
// every message. Bytes the count claims but the payload does not carry read as zero.
class FpuMemoryDumpRecord {
 public:
  void Assign(std::span<const uint8_t> payload);
  uint8_t parameter() const { return parameter_; }
  int count() const { return static_cast<int>(block_.size()); }
  std::span<const uint8_t> block() const { return block_; }

 private:
  uint8_t parameter_ = 0;
  std::vector<uint8_t> block_;
};

class AdDataRecord : public ByteRecord<25> {};        // 114 sub-ID 1
class AteControllerRecord : public ByteRecord<11> {};  // 2 sub-IDs 0-4

}  // namespace orv
