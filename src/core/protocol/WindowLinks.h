// The links from the receiver data store to the windows that show its records. Each window
// kind has one small interface; a link that is absent (null) means nobody is told, and the
// record is still stored. Windows get a reference to the store's record and keep reading it;
// they never own or copy it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "protocol/records/MaintenanceRecords.h"
#include "protocol/records/NavigationRecords.h"
#include "protocol/records/ReceiverRecords.h"
#include "protocol/records/TrackingRecords.h"

namespace orv {

// A window that shows one record kind and redraws its values when told.
template <typename Record>
class RecordWindowLink {
 public:
  virtual ~RecordWindowLink() = default;
  virtual void ShowRecord(const Record& record) = 0;
};

using AteControllerWindowLink = RecordWindowLink<AteControllerRecord>;
using ChannelAssignmentWindowLink = RecordWindowLink<ChannelAssignmentRecord>;
using PredictedSolutionWindowLink = RecordWindowLink<PredictedSolutionRecord>;
using MatchedSolutionWindowLink = RecordWindowLink<MatchedSolutionRecord>;
using NavWindowLink = RecordWindowLink<NavLlhRecord>;
using NavXyzWindowLink = RecordWindowLink<NavXyzRecord>;
using EphemerisWindowLink = RecordWindowLink<EphemerisRecord>;
// The main and the base measurement windows are the same kind.
using MeasurementWindowLink = RecordWindowLink<MeasurementBlockRecord>;
using SvStatusWindowLink = RecordWindowLink<SvStatusRecord>;
using DgpsConfigWindowLink = RecordWindowLink<DgpsConfigRecord>;
using PartNumberWindowLink = RecordWindowLink<PartNumberRecord>;
using BaseStatusWindowLink = RecordWindowLink<BaseStatusRecord>;
using DgpsStatusWindowLink = RecordWindowLink<DgpsStatusRecord>;
using ReceiverStatusWindowLink = RecordWindowLink<ReceiverStatusRecord>;
using SatelliteHealthWindowLink = RecordWindowLink<SatelliteHealthRecord>;
using BitResultWindowLink = RecordWindowLink<BitResultRecord>;
using FaultLogWindowLink = RecordWindowLink<FaultLogRecord>;
using WaasStatusWindowLink = RecordWindowLink<WaasStatusRecord>;
using FileManagerWindowLink = RecordWindowLink<FileManagerRecord>;
using FileInfoWindowLink = RecordWindowLink<FileInfoRecord>;
using StatusConfigWindowLink = RecordWindowLink<StatusConfigRecord>;
using MemoryInfoWindowLink = RecordWindowLink<MemoryInfoRecord>;
using FileHeaderWindowLink = RecordWindowLink<FileHeaderRecord>;
using AlmanacWindowLink = RecordWindowLink<AlmanacRecord>;
using DgpsDataWindowLink = RecordWindowLink<DgpsDataRecord>;
using BeaconStatusWindowLink = RecordWindowLink<BeaconRxStatusRecord>;
using SystemProfileWindowLink = RecordWindowLink<SystemProfileRecord>;
using TimingInfoWindowLink = RecordWindowLink<TimingInfoRecord>;
using AdConfigWindowLink = RecordWindowLink<AdDataRecord>;
using FpuMemoryDumpWindowLink = RecordWindowLink<FpuMemoryDumpRecord>;
using IonoUtcWindowLink = RecordWindowLink<IonoUtcRecord>;

// The test-controller window of the second controller variant gets message 2 sub-ID 10's
// bytes (from payload byte 1) without any record.
class TestControllerWindowLink {
 public:
  virtual ~TestControllerWindowLink() = default;
  virtual void ShowData(std::span<const uint8_t> data) = 0;
};

// The position plot adds one point per navigation solution.
class NavPlotLink {
 public:
  virtual ~NavPlotLink() = default;
  virtual void AddPoint(double latitude, double longitude, int navMode) = 0;
};

// The sky plot shows the satellites of message 33 and, after its own request, the mask angle
// of message 49.
class SvPositionWindowLink {
 public:
  virtual ~SvPositionWindowLink() = default;
  virtual void ShowRecord(const SvStatusRecord& record) = 0;
  virtual void ShowMaskAngle(const ReceiverStatusRecord& record) = 0;
};

// One window shows the three memory dump sizes side by side.
class MemoryDumpWindowLink {
 public:
  virtual ~MemoryDumpWindowLink() = default;
  virtual void ShowRecord(const MemoryDumpRecord16& record) = 0;
  virtual void ShowRecord(const MemoryDumpRecord32& record) = 0;
  virtual void ShowRecord(const MemoryDumpRecord64& record) = 0;
};

// The file download dialog, set only while it runs: the file list answers and the blocks.
class FileDownloadLink {
 public:
  virtual ~FileDownloadLink() = default;
  virtual void OnFileInfo(const FileInfoRecord& record) = 0;
  virtual void OnDownloadBlock(const DownloadBlockRecord& record, std::size_t length) = 0;
};

// A GPS-time recording window: says whether it records at this whole second of the week.
// An absent window is not active.
class GpsTimeRecordingLink {
 public:
  virtual ~GpsTimeRecordingLink() = default;
  virtual bool ReportsActive(int64_t gpsSecond) = 0;
};

// A timed recorder that follows the GPS time of the measurement blocks.
class MeasurementTimeLink {
 public:
  virtual ~MeasurementTimeLink() = default;
  virtual void OnMeasurementTime(double gpsSeconds) = 0;
};

struct WindowLinks {
  AteControllerWindowLink* ateController = nullptr;
  TestControllerWindowLink* testController2 = nullptr;
  ChannelAssignmentWindowLink* channelAssignment = nullptr;
  PredictedSolutionWindowLink* predictedSolution = nullptr;
  MatchedSolutionWindowLink* matchedSolution = nullptr;
  NavWindowLink* navigation = nullptr;
  NavPlotLink* navigationPlot = nullptr;
  NavXyzWindowLink* navigationXyz = nullptr;
  EphemerisWindowLink* ephemeris = nullptr;
  MeasurementWindowLink* measurement = nullptr;
  MeasurementWindowLink* baseMeasurement = nullptr;
  SvStatusWindowLink* svStatus = nullptr;
  SvPositionWindowLink* svPosition = nullptr;
  DgpsConfigWindowLink* dgpsConfig = nullptr;
  PartNumberWindowLink* partNumber = nullptr;
  BaseStatusWindowLink* baseStatus = nullptr;
  DgpsStatusWindowLink* dgpsStatus = nullptr;
  ReceiverStatusWindowLink* receiverStatus = nullptr;
  SatelliteHealthWindowLink* satelliteHealth = nullptr;
  BitResultWindowLink* bitResult = nullptr;
  FaultLogWindowLink* faultLog = nullptr;
  MemoryDumpWindowLink* memoryDump = nullptr;
  WaasStatusWindowLink* waasStatus = nullptr;
  FileManagerWindowLink* fileManager = nullptr;
  FileInfoWindowLink* fileInfo = nullptr;
  StatusConfigWindowLink* statusConfig = nullptr;
  MemoryInfoWindowLink* memoryInfo = nullptr;
  FileHeaderWindowLink* fileHeader = nullptr;
  FileDownloadLink* fileDownload = nullptr;
  AlmanacWindowLink* almanac = nullptr;
  DgpsDataWindowLink* dgpsData = nullptr;
  BeaconStatusWindowLink* beaconStatus = nullptr;
  SystemProfileWindowLink* systemProfile = nullptr;
  TimingInfoWindowLink* timingInfo = nullptr;
  AdConfigWindowLink* adConfig = nullptr;
  FpuMemoryDumpWindowLink* fpuMemoryDump = nullptr;
  IonoUtcWindowLink* ionoUtc = nullptr;
  // The two GPS-time recording windows and the timed recorders fed by measurement blocks.
  std::array<GpsTimeRecordingLink*, 2> gpsTimeRecording{};
  std::array<MeasurementTimeLink*, 2> timedRecorders{};
};

}  // namespace orv
