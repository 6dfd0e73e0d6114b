// The almanac transfer's messages: header 78 announces the satellites of one load, its week
// and reference time; one record 79 per satellite follows, each released by the receiver's
// acknowledgement (the pacing runs in the main frame's poll).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "maintenance/YumaAlmanac.h"
#include "platform/Clock.h"

namespace orv {

class FrameEncoder;

// One record of the almanac transfer sequence, handed to SendAlmanacData: the SV type, the
// PRN index and the nine parameters in the order message 79 carries them.
struct AlmanacTransferRecord {
  int first = 0;
  int second = 0;
  double parameters[9] = {};
};

// Message 78 as the transfer sends it.
struct AlmanacHeader {
  std::array<uint8_t, 4> mask{};  // bit i of byte k: PRN index 8k + i is sent
  uint16_t week = 0;              // full GPS week
  double toaSeconds = 0;          // of the first record; sent divided by 4096
};

inline constexpr int kAlmanacAckLimitMs = 15000;
inline constexpr char kAlmanacCaption[] = "Almanac data transfer";
inline constexpr char kAlmanacNoHeaderAck[] = "Link Failure No Ack for Message #78 (Common almanac data transfer).";

// The GPS week of a moment (weeks since 6 January 1980 00:00).
int GpsWeekAt(int64_t unixSeconds);
// The full week of an almanac whose file gives `fileWeek` (often cut to 10 bits): of the weeks
// congruent to it modulo 1024, the one within 512 weeks of `currentGpsWeek`.
uint16_t FullAlmanacWeek(int fileWeek, int currentGpsWeek);

// The header of one load: only the records of that load are announced.
AlmanacHeader BuildAlmanacHeader(std::span<const AlmanacEntry> records, int currentGpsWeek);
void SendAlmanacHeader(FrameEncoder& encoder, const AlmanacHeader& header);
AlmanacTransferRecord ToTransferRecord(const AlmanacEntry& entry);
std::vector<AlmanacTransferRecord> ToTransferRecords(std::span<const AlmanacEntry> records);

// Texts of the transfer's progress and end.
std::string AlmanacProgressText(uint32_t sent, uint32_t total);
std::string AlmanacRecordNoAckText(uint32_t recordNumber, uint32_t total, int prnIndex);
std::string AlmanacCompleteText(uint32_t total);
// Why a load sends nothing; empty when it has records.
std::string AlmanacNothingToSendText(const YumaReadResult& read);

}  // namespace orv
