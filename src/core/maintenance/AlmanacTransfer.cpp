// The almanac transfer's header, records and texts.
#include "maintenance/AlmanacTransfer.h"

#include "protocol/FrameEncoder.h"
#include "util/Format.h"

namespace orv {

namespace {
constexpr int64_t kGpsEpochUnix = 315964800;  // 6 January 1980 00:00 UTC
constexpr int64_t kSecondsPerWeek = 7 * 86400;
constexpr int kWeekEra = 1024;
}  // namespace

int GpsWeekAt(int64_t unixSeconds) {
  const int64_t since = unixSeconds - kGpsEpochUnix;
  return since < 0 ? 0 : static_cast<int>(since / kSecondsPerWeek);
}

uint16_t FullAlmanacWeek(int fileWeek, int currentGpsWeek) {
  const int low = ((fileWeek % kWeekEra) + kWeekEra) % kWeekEra;
  int week = low + (currentGpsWeek / kWeekEra) * kWeekEra;
  if (week - currentGpsWeek > kWeekEra / 2) week -= kWeekEra;
  if (currentGpsWeek - week > kWeekEra / 2) week += kWeekEra;
  if (week < 0) week = low;
  return static_cast<uint16_t>(week > 0xFFFF ? low : week);
}

AlmanacHeader BuildAlmanacHeader(std::span<const AlmanacEntry> records, int currentGpsWeek) {
  AlmanacHeader h;
  for (const AlmanacEntry& r : records) {
    if (r.prnIndex < 0 || r.prnIndex >= static_cast<int>(kAlmanacSlots)) continue;
    h.mask[static_cast<std::size_t>(r.prnIndex / 8)] |= static_cast<uint8_t>(1u << (r.prnIndex % 8));
  }
  if (!records.empty()) {
    h.week = FullAlmanacWeek(records.front().week, currentGpsWeek);
    h.toaSeconds = records.front().toa;
  }
  return h;
}

void SendAlmanacHeader(FrameEncoder& encoder, const AlmanacHeader& header) {
  std::vector<int> present;
  for (int sv = 0; sv < static_cast<int>(kAlmanacSlots); ++sv) {
    if (header.mask[static_cast<std::size_t>(sv / 8)] & (1u << (sv % 8))) present.push_back(sv);
  }
  encoder.SendAlmanacTransferStart(present, header.week, header.toaSeconds);
}

AlmanacTransferRecord ToTransferRecord(const AlmanacEntry& e) {
  AlmanacTransferRecord r;
  r.first = e.svType;
  r.second = e.prnIndex;
  const double p[9] = {e.af0,   e.af1,   e.meanAnomaly,          e.argumentOfPerigee, e.rightAscension,
                       e.sqrtA, e.rateOfRightAscension, e.inclinationOffset, e.eccentricity};
  for (int i = 0; i < 9; ++i) r.parameters[i] = p[i];
  return r;
}

std::vector<AlmanacTransferRecord> ToTransferRecords(std::span<const AlmanacEntry> records) {
  std::vector<AlmanacTransferRecord> out;
  out.reserve(records.size());
  for (const AlmanacEntry& e : records) out.push_back(ToTransferRecord(e));
  return out;
}

std::string AlmanacProgressText(uint32_t sent, uint32_t total) { return Format("Almanac: %u/%u sent", sent, total); }

std::string AlmanacRecordNoAckText(uint32_t recordNumber, uint32_t total, int prnIndex) {
  return Format("Link Failure No Ack for Message #79 (Almanac data, record %u of %u, PRN %d).", recordNumber, total,
                prnIndex + 1);
}

std::string AlmanacCompleteText(uint32_t total) {
  return Format("Almanac data transfer complete: %u records acknowledged.", total);
}

std::string AlmanacNothingToSendText(const YumaReadResult& read) {
  if (!read.records.empty()) return {};
  if (read.unhealthy > 0) return "No healthy satellite in the almanac file: nothing was sent.";
  return "No almanac record in the file: nothing was sent.";
}

}  // namespace orv
