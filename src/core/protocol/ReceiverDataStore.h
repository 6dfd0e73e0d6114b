// The receiver data store: one record per binary message kind, holding the last message of
// that kind, and the window links told when a record changes. It lives inside the decoder;
// windows read its records by reference for as long as the decoder lives.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/DataChannel.h"
#include "platform/Desktop.h"
#include "protocol/DecoderState.h"
#include "protocol/WindowLinks.h"

namespace orv {

class ReceiverDataStore {
 public:
  static constexpr int kSvCount = 32;

  ReceiverDataStore() = default;
  ReceiverDataStore(const ReceiverDataStore&) = delete;
  ReceiverDataStore& operator=(const ReceiverDataStore&) = delete;

  // Stores the payload of a counted, valid message `n` (bit 7 masked; 24 for a base
  // measurement block) into its record under the decoder's flags, and tells its window.
  // A message with no rule of its own while the time gate is closed is what a busy line
  // mostly brings: it is let go here, in line, without a call.
  void OnBinaryMessage(int n, std::span<const uint8_t> payload, DecoderFlags& flags, MessageBoxes* boxes) {
    const OwnRule rule = n >= 0 && n < 128 ? kOwnRules[static_cast<std::size_t>(n)] : OwnRule::kNone;
    if (rule == OwnRule::kNone && (flags.decodingEnabled != 1 || flags.timeGateOpen != 1)) return;
    Store(n, rule, payload, flags, boxes);
  }
  // Run whenever decodingEnabled is set to 0: from then on the first ephemeris of each SV
  // is kept.
  void OnDecodingDisabled() { ephemerisReceived_.fill(0); }

  WindowLinks& links() { return links_; }
  // The file-manager tools ask for memory information and file headers; those answers are
  // stored only while asked for.
  void SetMemoryInfoFlag(bool on) { memoryInfoFlag_ = on; }
  void SetFileHeaderFlag(bool on) { fileHeaderFlag_ = on; }
  // Differential data retransmission: the RTCM bytes of every stored message 83 are also
  // written, as they came, to this channel (the output port while it is open; null = none).
  void SetRetransmitChannel(DataChannel* channel) { retransmit_ = channel; }

  double LastMeasurementGpsTime() const { return measurement_.gpsSeconds(); }
  double LastBaseMeasurementGpsTime() const { return baseMeasurement_.gpsSeconds(); }

  const AteControllerRecord& ateController() const { return ateController_; }
  const ChannelAssignmentRecord& channelAssignment() const { return channelAssignment_; }
  const PredictedSolutionRecord& predictedSolution() const { return predictedSolution_; }
  const MatchedSolutionRecord& matchedSolution() const { return matchedSolution_; }
  const NavLlhRecord& navLlh() const { return navLlh_; }
  const NavXyzRecord& navXyz() const { return navXyz_; }
  // sv is the SV number - 1, folded into 0-31.
  const EphemerisRecord& ephemeris(int sv) const { return ephemeris_[SvSlot(sv)]; }
  const EphemerisRecord& ephemerisShown(int sv) const { return ephemerisShown_[SvSlot(sv)]; }
  bool ephemerisReceived(int sv) const { return ephemerisReceived_[SvSlot(sv)] == 1; }
  // The parsed block and the copy that windows and timed recorders read.
  const MeasurementBlockRecord& measurement() const { return measurement_; }
  const MeasurementBlockRecord& measurementCopy() const { return measurementCopy_; }
  const BaseMeasurementBlockRecord& baseMeasurement() const { return baseMeasurement_; }
  const BaseMeasurementBlockRecord& baseMeasurementCopy() const { return baseMeasurementCopy_; }
  const SvStatusRecord& svStatus() const { return svStatus_; }
  const DgpsConfigRecord& dgpsConfig() const { return dgpsConfig_; }
  const PartNumberRecord& partNumber() const { return partNumber_; }
  const BaseStatusRecord& baseStatus() const { return baseStatus_; }
  const DgpsStatusRecord& dgpsStatus() const { return dgpsStatus_; }
  const ReceiverStatusRecord& receiverStatus() const { return receiverStatus_; }
  const SatelliteHealthRecord& satelliteHealth() const { return satelliteHealth_; }
  const BitResultRecord& bitResult() const { return bitResult_; }
  const FaultLogRecord& faultLog() const { return faultLog_; }
  const MemoryDumpRecord16& memoryDump16() const { return memoryDump16_; }
  const MemoryDumpRecord32& memoryDump32() const { return memoryDump32_; }
  const MemoryDumpRecord64& memoryDump64() const { return memoryDump64_; }
  const Msg67Record& msg67() const { return msg67_; }
  const WaasStatusRecord& waasStatus() const { return waasStatus_; }
  const FileManagerRecord& fileManager() const { return fileManager_; }
  const FileInfoRecord& fileInfo() const { return fileInfo_; }
  const StatusConfigRecord& statusConfig() const { return statusConfig_; }
  const DownloadBlockRecord& downloadBlock() const { return downloadBlock_; }
  const MemoryInfoRecord& memoryInfo() const { return memoryInfo_; }
  const FileHeaderRecord& fileHeader() const { return fileHeader_; }
  const IonoUtcRecord& ionoUtc() const { return ionoUtc_; }
  const AlmanacRecord& almanac() const { return almanac_; }
  const DgpsDataRecord& dgpsData() const { return dgpsData_; }
  const BeaconRxStatusRecord& beaconStatus() const { return beaconStatus_; }
  const SystemProfileRecord& systemProfile() const { return systemProfile_; }
  const TimingInfoRecord& timingInfo() const { return timingInfo_; }
  const AdDataRecord& adData() const { return adData_; }
  const FpuMemoryDumpRecord& fpuMemoryDump() const { return fpuMemoryDump_; }

 private:
  // The messages stored by rules of their own, whatever the time gate; every other message is
  // stored while decoding is enabled and the gate is open. Looked up in a table first, so that a
  // message with no rule of its own costs one predictable test, not a chain of range tests.
  enum class OwnRule : uint8_t {
    kNone,
    kEphemeris,
    kMeasurement,
    kPartNumber,
    kMessage67,
    kFileManager,
    kIonoUtc,
    kAlmanac,
    kAlmanacStatus,
    kAlmanacAck,
  };

  static constexpr auto kOwnRules = [] {
    std::array<OwnRule, 128> t{};
    t[22] = OwnRule::kEphemeris;
    t[23] = OwnRule::kMeasurement;
    t[24] = OwnRule::kMeasurement;
    t[45] = OwnRule::kPartNumber;
    t[67] = OwnRule::kMessage67;
    t[70] = OwnRule::kFileManager;
    t[75] = OwnRule::kIonoUtc;
    t[76] = OwnRule::kAlmanac;
    t[78] = OwnRule::kAlmanacStatus;
    t[126] = OwnRule::kAlmanacAck;
    return t;
  }();

  void Store(int n, OwnRule rule, std::span<const uint8_t> payload, DecoderFlags& flags, MessageBoxes* boxes);
  static std::size_t SvSlot(int sv) { return static_cast<std::size_t>(sv) & 31; }

  void OnEphemeris(std::span<const uint8_t> payload, const DecoderFlags& flags);
  void OnMeasurement(bool base, std::span<const uint8_t> payload, DecoderFlags& flags);
  void OnPartNumber(std::span<const uint8_t> payload, DecoderFlags& flags, bool gateOpen);
  void OnFileManager(std::span<const uint8_t> payload, bool gateOpen);
  void OnAlmanacStatus(DecoderFlags& flags, MessageBoxes* boxes);
  // Messages stored only with decoding enabled and the time gate open; false when n is not one.
  bool StoreTracking(int n, std::span<const uint8_t> payload);
  bool StoreStatus(int n, std::span<const uint8_t> payload);
  void OnAteController(std::span<const uint8_t> payload);
  void OnSubId114(std::span<const uint8_t> payload);

  WindowLinks links_;
  DataChannel* retransmit_ = nullptr;
  bool memoryInfoFlag_ = false;
  bool fileHeaderFlag_ = false;

  AteControllerRecord ateController_;
  ChannelAssignmentRecord channelAssignment_;
  PredictedSolutionRecord predictedSolution_;
  MatchedSolutionRecord matchedSolution_;
  NavLlhRecord navLlh_;
  NavXyzRecord navXyz_;
  std::array<EphemerisRecord, kSvCount> ephemeris_{};
  std::array<EphemerisRecord, kSvCount> ephemerisShown_{};
  std::array<uint32_t, kSvCount> ephemerisReceived_{};
  MeasurementBlockRecord measurement_;
  MeasurementBlockRecord measurementCopy_;
  BaseMeasurementBlockRecord baseMeasurement_;
  BaseMeasurementBlockRecord baseMeasurementCopy_;
  SvStatusRecord svStatus_;
  DgpsConfigRecord dgpsConfig_;
  PartNumberRecord partNumber_;
  BaseStatusRecord baseStatus_;
  DgpsStatusRecord dgpsStatus_;
  ReceiverStatusRecord receiverStatus_;
  SatelliteHealthRecord satelliteHealth_;
  BitResultRecord bitResult_;
  FaultLogRecord faultLog_;
  MemoryDumpRecord16 memoryDump16_;
  MemoryDumpRecord32 memoryDump32_;
  MemoryDumpRecord64 memoryDump64_;
  Msg67Record msg67_;
  WaasStatusRecord waasStatus_;
  FileManagerRecord fileManager_;
  FileInfoRecord fileInfo_;
  StatusConfigRecord statusConfig_;
  DownloadBlockRecord downloadBlock_;
  MemoryInfoRecord memoryInfo_;
  FileHeaderRecord fileHeader_;
  IonoUtcRecord ionoUtc_;
  AlmanacRecord almanac_;
  DgpsDataRecord dgpsData_;
  BeaconRxStatusRecord beaconStatus_;
  SystemProfileRecord systemProfile_;
  TimingInfoRecord timingInfo_;
  AdDataRecord adData_;
  FpuMemoryDumpRecord fpuMemoryDump_;
};

}  // namespace orv
