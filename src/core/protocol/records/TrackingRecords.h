// Records of satellite tracking: channel assignment (6, 7), ephemeris (22), measurement
// blocks (23, 24), satellite status (33) and satellite health (50).
#pragma once

#include <cstdint>
#include <span>

#include "protocol/records/ByteRecord.h"

namespace orv {

// One 14-byte channel entry of the channel assignment record.
class ChannelEntry {
 public:
  explicit ChannelEntry(std::span<const uint8_t> bytes) : b_(bytes) {}
  uint8_t svCode() const { return ReadLe<uint8_t>(b_, 0); }
  // Bit 5 marks a geostationary satellite, numbered from 120.
  int svNumber() const { return (svCode() & 0x20) ? (svCode() & 0xDF) + 120 : svCode() + 1; }
  uint32_t carrierFrequencyCount() const { return ReadLe<uint32_t>(b_, 1); }
  double carrierFrequency() const { return (carrierFrequencyCount() - 140539.542) / 0.0999999; }
  float snr() const { return ReadLe<float>(b_, 5); }
  int16_t reserved() const { return ReadLe<int16_t>(b_, 9); }
  int8_t parity() const { return ReadLe<int8_t>(b_, 11); }
  uint8_t rsrvd() const { return ReadLe<uint8_t>(b_, 12); }
  uint8_t statusByte() const { return ReadLe<uint8_t>(b_, 13); }
  int trackingStatus() const { return statusByte() & 3; }
  int locationStatus() const { return (statusByte() >> 2) & 3; }
  int channelMode() const { return (statusByte() >> 4) & 1; }  // 0 "Manual", 1 "Auto"

 private:
  std::span<const uint8_t> b_;
};

// Twelve channels; message 6 fills channels 1-6 and message 7 channels 7-12, each from
// payload byte 1 on.
class ChannelAssignmentRecord : public ByteRecord<12 * 14> {
 public:
  static constexpr int kEntrySize = 14;
  static constexpr int kChannels = 12;
  // Stores the six entries of a message 6 (firstChannel 0) or 7 (firstChannel 6).
  void AssignHalf(int firstChannel, std::span<const uint8_t> payload) {
    AssignAt(static_cast<std::size_t>(firstChannel) * kEntrySize, PayloadFrom(payload, 1), 6 * kEntrySize);
  }
  // Channel i, 0 to 11 (clamped).
  ChannelEntry entry(int i) const {
    i = i < 0 ? 0 : (i >= kChannels ? kChannels - 1 : i);
    return ChannelEntry(bytes().subspan(static_cast<std::size_t>(i) * kEntrySize, kEntrySize));
  }
};

// Message 22: the raw ephemeris of one satellite, 24 words of 24 bits after the SV byte.
class EphemerisRecord : public ByteRecord<73> {
 public:
  int svIndex() const { return Byte(0) & 31; }  // SV number - 1
  // Word w (0 to 23), most significant byte first as stored.
  uint32_t word(int w) const {
    if (w < 0 || w > 23) return 0;
    const std::size_t at = 1 + 3 * static_cast<std::size_t>(w);
    return (uint32_t{Byte(at)} << 16) | (uint32_t{Byte(at + 1)} << 8) | Byte(at + 2);
  }
};

// One 11-byte entry of a measurement block.
class MeasurementEntry {
 public:
  explicit MeasurementEntry(std::span<const uint8_t> bytes) : b_(bytes) {}
  uint8_t svByte() const { return ReadLe<uint8_t>(b_, 0); }
  int sv() const { return (svByte() & 0x3F) + 1; }
  uint8_t cn0Quarters() const { return ReadLe<uint8_t>(b_, 1); }  // 0.25 dB-Hz
  double cn0() const { return cn0Quarters() * 0.25; }
  uint32_t code() const { return ReadLe<uint32_t>(b_, 2); }
  uint32_t carrier() const { return ReadLe<uint32_t>(b_, 6); }
  uint8_t spare() const { return ReadLe<uint8_t>(b_, 10); }

 private:
  std::span<const uint8_t> b_;
};

// Messages 23 and 24: the 11-byte header and room for 12 entries.
class MeasurementBlockRecord : public ByteRecord<11 + 12 * 11> {
 public:
  static constexpr int kMaxEntries = 12;
  uint16_t headerWord() const { return Get<uint16_t>(0); }
  int entryCountField() const { return Byte(2); }
  // The number of entries the block holds, at most 12.
  int entryCount() const { return entryCountField() > kMaxEntries ? kMaxEntries : entryCountField(); }
  double gpsSeconds() const { return Get<double>(3); }
  MeasurementEntry entry(int i) const {
    i = i < 0 ? 0 : (i >= kMaxEntries ? kMaxEntries - 1 : i);
    return MeasurementEntry(bytes().subspan(11 + static_cast<std::size_t>(i) * 11, 11));
  }
};
// The base station's block of synchronized playback has the same layout.
using BaseMeasurementBlockRecord = MeasurementBlockRecord;

// One 5-byte satellite entry of message 33.
class SvStatusEntry {
 public:
  explicit SvStatusEntry(std::span<const uint8_t> bytes) : b_(bytes) {}
  uint8_t svByte() const { return ReadLe<uint8_t>(b_, 0); }
  int status() const { return (svByte() >> 5) & 3; }  // View, Track, Meas Rdy, Use Nav
  int8_t elevation() const { return ReadLe<int8_t>(b_, 1); }
  uint16_t word() const { return ReadLe<uint16_t>(b_, 2); }
  int azimuth() const { return word() & 0x1FF; }
  int waasCode() const { return word() >> 9; }
  // The WAAS PRN when the WAAS code is set, else the GPS SV number.
  int svNumber() const { return waasCode() != 0 ? waasCode() + 88 : (svByte() & 0x1F) + 1; }
  uint8_t snr() const { return ReadLe<uint8_t>(b_, 4); }

 private:
  std::span<const uint8_t> b_;
};

// Message 33: satellite count, then 12 entries of 5 bytes.
class SvStatusRecord : public ByteRecord<1 + 12 * 5> {
 public:
  static constexpr int kMaxEntries = 12;
  int svCountField() const { return Byte(0); }
  int svCount() const { return svCountField() > kMaxEntries ? kMaxEntries : svCountField(); }
  SvStatusEntry entry(int i) const {
    i = i < 0 ? 0 : (i >= kMaxEntries ? kMaxEntries - 1 : i);
    return SvStatusEntry(bytes().subspan(1 + static_cast<std::size_t>(i) * 5, 5));
  }
};

// Message 50: 32 two-bit health codes, satellite 1 in bits 7-6 of byte 0.
class SatelliteHealthRecord : public ByteRecord<8> {
 public:
  // Satellite n, 1 to 32; 0 for any other n.
  int healthCode(int n) const {
    if (n < 1 || n > 32) return 0;
    const int i = n - 1;
    return (Byte(static_cast<std::size_t>(i / 4)) >> (6 - 2 * (i % 4))) & 3;
  }
};

}  // namespace orv
