// Per-message storing rules of the receiver data store. Most records are stored only while
// decoding is enabled and the time gate is open; the exceptions are the ephemerides (always
// kept), the measurement blocks (decoding only), the almanac and transfer messages, and the
// file-manager answers that their own tool asked for.
#include "protocol/ReceiverDataStore.h"

#include <cmath>

namespace orv {

namespace {

template <typename Record>
void Show(RecordWindowLink<Record>* link, const Record& record) {
  if (link != nullptr) link->ShowRecord(record);
}

// Whole seconds of a block's GPS time, or nothing when the time is not a usable number.
bool WholeSeconds(double t, int64_t& out) {
  if (!std::isfinite(t) || std::fabs(t) > 1e15) return false;
  out = static_cast<int64_t>(t);
  return true;
}

}  // namespace

void ReceiverDataStore::Store(int n, OwnRule rule, std::span<const uint8_t> payload, DecoderFlags& flags,
                              MessageBoxes* boxes) {
  const bool enabled = flags.decodingEnabled == 1;
  const bool gateOpen = enabled && flags.timeGateOpen == 1;
  if (rule == OwnRule::kNone) {
    if (gateOpen && !StoreTracking(n, payload)) StoreStatus(n, payload);
    return;
  }
  switch (rule) {
    case OwnRule::kNone: break;
    case OwnRule::kEphemeris: OnEphemeris(payload, flags); break;
    case OwnRule::kMeasurement:
      if (enabled) OnMeasurement(n == 24, payload, flags);
      break;
    case OwnRule::kPartNumber: OnPartNumber(payload, flags, gateOpen); break;
    case OwnRule::kMessage67:
      if (enabled) msg67_.Assign(payload);
      break;
    case OwnRule::kFileManager: OnFileManager(payload, gateOpen); break;
    case OwnRule::kIonoUtc:
      ionoUtc_.Assign(payload);
      Show(links_.ionoUtc, ionoUtc_);
      break;
    case OwnRule::kAlmanac:
      almanac_.Assign(payload);
      Show(links_.almanac, almanac_);
      break;
    case OwnRule::kAlmanacStatus: OnAlmanacStatus(flags, boxes); break;
    case OwnRule::kAlmanacAck:
      // The receiver acknowledged an almanac record; the poll sends the next one.
      if (flags.transferActive == 1) flags.ackReceived = 1;
      break;
  }
}

void ReceiverDataStore::OnEphemeris(std::span<const uint8_t> payload, const DecoderFlags& flags) {
  const std::size_t sv = SvSlot(ReadLe<uint8_t>(payload, 0));
  // With decoding disabled the first ephemeris of each SV since then is the one kept.
  if (flags.decodingEnabled == 1 || ephemerisReceived_[sv] == 0) {
    ephemeris_[sv].Assign(payload);
    ephemerisReceived_[sv] = 1;
  }
  if (flags.decodingEnabled == 1 && flags.timeGateOpen == 1) {
    ephemerisShown_[sv] = ephemeris_[sv];
    Show(links_.ephemeris, ephemerisShown_[sv]);
  }
}

void ReceiverDataStore::OnMeasurement(bool base, std::span<const uint8_t> payload, DecoderFlags& flags) {
  MeasurementBlockRecord& block = base ? baseMeasurement_ : measurement_;
  MeasurementBlockRecord& copy = base ? baseMeasurementCopy_ : measurementCopy_;
  block.Assign(payload);
  copy = block;
  const double t = block.gpsSeconds();
  int64_t second = 0;
  if (WholeSeconds(t, second)) {
    // The base block consults only the first recording window.
    const std::size_t windows = base ? 1 : links_.gpsTimeRecording.size();
    for (std::size_t i = 0; i < windows; ++i) {
      GpsTimeRecordingLink* window = links_.gpsTimeRecording[i];
      if (window != nullptr && window->ReportsActive(second)) {
        flags.timeGateOpen = 1;
        break;
      }
    }
  }
  if (!base) {
    for (MeasurementTimeLink* recorder : links_.timedRecorders) {
      if (recorder != nullptr) recorder->OnMeasurementTime(t);
    }
  }
  Show(base ? links_.baseMeasurement : links_.measurement, copy);
  flags.measurementSeen = 1;
}

void ReceiverDataStore::OnPartNumber(std::span<const uint8_t> payload, DecoderFlags& flags, bool gateOpen) {
  // Any part-number answer proves a receiver is talking, whatever the gate says.
  if (flags.expectReceiverAnswer == 1) flags.receiverAnswered = 1;
  if (!gateOpen || links_.partNumber == nullptr) return;
  partNumber_.Assign(payload);
  links_.partNumber->ShowRecord(partNumber_);
}

void ReceiverDataStore::OnFileManager(std::span<const uint8_t> payload, bool gateOpen) {
  if (payload.empty()) return;
  const std::span<const uint8_t> data = payload.subspan(1);
  switch (payload[0]) {
    case 1:
      if (!gateOpen) return;
      fileManager_.Assign(data);
      Show(links_.fileManager, fileManager_);
      return;
    case 2:
      if (!gateOpen) return;
      fileInfo_.Assign(data);
      Show(links_.fileInfo, fileInfo_);
      if (links_.fileDownload != nullptr) links_.fileDownload->OnFileInfo(fileInfo_);
      return;
    case 3:
      if (!gateOpen) return;
      statusConfig_.Assign(data);
      Show(links_.statusConfig, statusConfig_);
      return;
    case 6:
      if (links_.fileDownload == nullptr) return;
      downloadBlock_.Assign(data);
      links_.fileDownload->OnDownloadBlock(downloadBlock_, downloadBlock_.length());
      return;
    case 7:
      if (!memoryInfoFlag_) return;
      memoryInfo_.Assign(data);
      Show(links_.memoryInfo, memoryInfo_);
      return;
    case 8:
      if (!fileHeaderFlag_) return;
      fileHeader_.Assign(data);
      Show(links_.fileHeader, fileHeader_);
      return;
    default: return;
  }
}

void ReceiverDataStore::OnAlmanacStatus(DecoderFlags& flags, MessageBoxes* boxes) {
  if (flags.transferActive != 1) return;
  flags.transferActive = 0;
  flags.ackReceived = 0;
  if (boxes != nullptr) {
    boxes->MessageBox("Almanac transfer data is downloaded unsuccesfully.", "Almanac data transfer",
                      MessageIcon::Stop);
  }
}

bool ReceiverDataStore::StoreTracking(int n, std::span<const uint8_t> payload) {
  switch (n) {
    case 6: channelAssignment_.AssignHalf(0, payload); return true;  // redrawn after 7
    case 7:
      channelAssignment_.AssignHalf(6, payload);
      Show(links_.channelAssignment, channelAssignment_);
      return true;
    case 18: predictedSolution_.Assign(payload); Show(links_.predictedSolution, predictedSolution_); return true;
    case 19: matchedSolution_.Assign(payload); Show(links_.matchedSolution, matchedSolution_); return true;
    case 20:
      navLlh_.Assign(payload);
      Show(links_.navigation, navLlh_);
      if (links_.navigationPlot != nullptr) {
        links_.navigationPlot->AddPoint(navLlh_.latitude(), navLlh_.longitude(), navLlh_.navMode());
      }
      return true;
    case 21: navXyz_.Assign(payload); Show(links_.navigationXyz, navXyz_); return true;
    case 33:
      svStatus_.Assign(payload);
      Show(links_.svStatus, svStatus_);
      if (links_.svPosition != nullptr) links_.svPosition->ShowRecord(svStatus_);
      return true;
    case 47: baseStatus_.Assign(payload); Show(links_.baseStatus, baseStatus_); return true;
    case 49:
      receiverStatus_.Assign(payload);
      Show(links_.receiverStatus, receiverStatus_);
      if (links_.svPosition != nullptr) links_.svPosition->ShowMaskAngle(receiverStatus_);
      return true;
    case 50: satelliteHealth_.Assign(payload); Show(links_.satelliteHealth, satelliteHealth_); return true;
    default: return false;
  }
}

bool ReceiverDataStore::StoreStatus(int n, std::span<const uint8_t> payload) {
  switch (n) {
    case 2: OnAteController(payload); return true;
    case 43: dgpsConfig_.Assign(payload); Show(links_.dgpsConfig, dgpsConfig_); return true;
    case 48:
      // Kept only while its window is open.
      if (links_.dgpsStatus == nullptr) return true;
      dgpsStatus_.Assign(payload);
      links_.dgpsStatus->ShowRecord(dgpsStatus_);
      return true;
    case 51: bitResult_.Assign(payload); Show(links_.bitResult, bitResult_); return true;
    case 57: faultLog_.Assign(payload); Show(links_.faultLog, faultLog_); return true;
    case 60: memoryDump16_.Assign(payload); if (links_.memoryDump) links_.memoryDump->ShowRecord(memoryDump16_); return true;
    case 61: memoryDump32_.Assign(payload); if (links_.memoryDump) links_.memoryDump->ShowRecord(memoryDump32_); return true;
    case 62: memoryDump64_.Assign(payload); if (links_.memoryDump) links_.memoryDump->ShowRecord(memoryDump64_); return true;
    case 68: waasStatus_.Assign(payload); Show(links_.waasStatus, waasStatus_); return true;
    case 83:
      dgpsData_.Append(payload);
      if (retransmit_ != nullptr && payload.size() > 1) {
        retransmit_->Send(payload.data() + 1, static_cast<uint32_t>(payload.size() - 1));
      }
      Show(links_.dgpsData, dgpsData_);
      return true;
    case 85: beaconStatus_.Assign(payload); Show(links_.beaconStatus, beaconStatus_); return true;
    case 111: systemProfile_.Assign(payload); Show(links_.systemProfile, systemProfile_); return true;
    case 113: timingInfo_.Assign(payload); Show(links_.timingInfo, timingInfo_); return true;
    case 114: OnSubId114(payload); return true;
    default: return false;  // counted only
  }
}

void ReceiverDataStore::OnAteController(std::span<const uint8_t> payload) {
  if (payload.empty()) return;
  if (payload[0] <= 4) {
    ateController_.Assign(payload);
    Show(links_.ateController, ateController_);
  } else if (payload[0] == 10 && links_.testController2 != nullptr) {
    links_.testController2->ShowData(payload.subspan(1));
  }
}

void ReceiverDataStore::OnSubId114(std::span<const uint8_t> payload) {
  if (payload.empty()) return;
  if (payload[0] == 1) {
    adData_.Assign(payload.subspan(1));
    Show(links_.adConfig, adData_);
  } else if (payload[0] == 4) {
    fpuMemoryDump_.Assign(payload);
    Show(links_.fpuMemoryDump, fpuMemoryDump_);
  }
}

}  // namespace orv
