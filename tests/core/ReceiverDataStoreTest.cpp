// The data store behind the decoder: which record each message lands in, under which flags,
// which windows are told, and the record layouts read by name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "nmea/ReceiverDecoder.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

template <typename Record>
class CountingLink : public RecordWindowLink<Record> {
 public:
  void ShowRecord(const Record& record) override {
    ++calls;
    last = &record;
  }
  int calls = 0;
  const Record* last = nullptr;
};

class SvPositionDouble : public SvPositionWindowLink {
 public:
  void ShowRecord(const SvStatusRecord&) override { ++statusCalls; }
  void ShowMaskAngle(const ReceiverStatusRecord& r) override {
    ++maskCalls;
    mask = r.maskAngleHundredths();
  }
  int statusCalls = 0, maskCalls = 0, mask = 0;
};

class PlotDouble : public NavPlotLink {
 public:
  void AddPoint(double lat, double lon, int mode) override { points.push_back({lat, lon, double(mode)}); }
  std::vector<std::array<double, 3>> points;
};

class RecordingWindowDouble : public GpsTimeRecordingLink {
 public:
  bool ReportsActive(int64_t second) override {
    asked.push_back(second);
    return second >= activeFrom;
  }
  int64_t activeFrom = 1 << 30;
  std::vector<int64_t> asked;
};

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() {
    decoder.SetTimeGateOpen(1);
    decoder.SetMessageBoxes(&desktop);
  }
  void Feed(uint8_t id, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> f = test::Frame(id, payload);
    f.push_back(0);
    decoder.Decode(f.data(), static_cast<uint32_t>(f.size() - 1));
  }
  ReceiverDataStore& store() { return decoder.store(); }
  static std::vector<uint8_t> Pattern(std::size_t n, uint8_t start) {
    std::vector<uint8_t> p(n);
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(start + i);
    return p;
  }
  template <typename T>
  static void Put(std::vector<uint8_t>& p, std::size_t at, T v) {
    ASSERT_TRUE(WriteLe(std::span<uint8_t>(p), at, v));
  }
  static std::vector<uint8_t> Block(uint8_t entries, double gpsTime) {
    std::vector<uint8_t> p(11 + 11 * entries, 0);
    p[2] = entries;
    std::memcpy(&p[3], &gpsTime, 8);
    for (uint8_t i = 0; i < entries; ++i) p[11 + 11 * i] = i;
    return p;
  }

  ReceiverDecoder decoder;
  test::FakeDesktop desktop;
};

TEST_F(StoreTest, NavLlhFieldsAreReadByName) {
  std::vector<uint8_t> p(71, 0);
  p[0] = 0xE0 | 13;  // upper bits are not part of the hour
  p[1] = 45;
  Put(p, 2, 12.5);
  p[10] = 31;
  p[11] = 12;
  Put<uint16_t>(p, 12, 2004);
  Put(p, 14, 0.75);
  Put(p, 22, -1.25);
  Put(p, 30, 123.5f);
  Put(p, 34, 2.5f);
  Put(p, 42, -0.5f);
  Put<int16_t>(p, 62, -10);
  Put<int16_t>(p, 64, 25);
  p[66] = 4 | 0x20 | 0x40;
  p[67] = 0x37;  // 7 SVs, datum low bits 3
  p[68] = 0x23;  // navigation, datum bits 0x20
  Put<uint16_t>(p, 69, 1234);
  CountingLink<NavLlhRecord> nav;
  PlotDouble plot;
  store().links().navigation = &nav;
  store().links().navigationPlot = &plot;
  Feed(20, p);

  const NavLlhRecord& r = store().navLlh();
  EXPECT_EQ(nav.calls, 1);
  EXPECT_EQ(nav.last, &r);
  EXPECT_EQ(r.utcHours(), 13);
  EXPECT_EQ(r.utcMinutes(), 45);
  EXPECT_DOUBLE_EQ(r.utcSeconds(), 12.5);
  EXPECT_EQ(r.utcDay(), 31);
  EXPECT_EQ(r.utcMonth(), 12);
  EXPECT_EQ(r.utcYear(), 2004);
  EXPECT_DOUBLE_EQ(r.latitude(), 0.75);
  EXPECT_DOUBLE_EQ(r.longitude(), -1.25);
  EXPECT_FLOAT_EQ(r.altitude(), 123.5f);
  EXPECT_FLOAT_EQ(r.groundSpeed(), 2.5f);
  EXPECT_FLOAT_EQ(r.velocityNorth(), -0.5f);
  EXPECT_EQ(r.hdopTenths(), -10);
  EXPECT_EQ(r.vdopTenths(), 25);
  EXPECT_EQ(r.navMode(), 4);
  EXPECT_EQ(r.confidenceLevel(), 1);
  EXPECT_EQ(r.dgpsSource(), 1);
  EXPECT_EQ(r.svCount(), 7);
  EXPECT_EQ(r.systemMode(), 3);
  EXPECT_EQ(r.datumNumber(), 0x23);
  EXPECT_EQ(r.reserved(), 1234);
  ASSERT_EQ(plot.points.size(), 1u);
  EXPECT_EQ(plot.points[0], (std::array<double, 3>{0.75, -1.25, 4}));
}

TEST_F(StoreTest, ShortPayloadAfterLongLeavesZerosNotOldBytes) {
  Feed(20, Pattern(71, 1));
  Feed(20, Pattern(10, 100));
  const auto bytes = store().navLlh().bytes();
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(bytes[i], 100 + i);
  for (std::size_t i = 10; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  // A longer payload is cut to the record.
  Feed(49, Pattern(60, 1));
  EXPECT_EQ(store().receiverStatus().bytes().size(), 40u);
  EXPECT_EQ(store().receiverStatus().bytes()[39], 40);
}

TEST_F(StoreTest, ClosedGateOrDisabledDecodingCountsWithoutStoring) {
  CountingLink<NavLlhRecord> nav;
  store().links().navigation = &nav;
  decoder.SetTimeGateOpen(0);
  Feed(20, Pattern(71, 1));
  decoder.SetTimeGateOpen(1);
  decoder.SetDecodingEnabled(0);
  Feed(20, Pattern(71, 1));
  EXPECT_EQ(decoder.counters().messageCountById[20], 2u);
  EXPECT_EQ(nav.calls, 0);
  EXPECT_EQ(store().navLlh().bytes()[0], 0);
}

TEST_F(StoreTest, MeasurementBlocksNeedOnlyDecoding) {
  CountingLink<MeasurementBlockRecord> meas;
  store().links().measurement = &meas;
  decoder.SetTimeGateOpen(0);
  Feed(23, Block(3, 1234.5));
  EXPECT_EQ(meas.calls, 1);
  EXPECT_EQ(meas.last, &store().measurementCopy());
  EXPECT_TRUE(decoder.measurementSeen());
  EXPECT_DOUBLE_EQ(decoder.LastMeasurementGpsTime(), 1234.5);
  const MeasurementBlockRecord& r = store().measurementCopy();
  EXPECT_EQ(r.entryCount(), 3);
  EXPECT_EQ(r.entry(2).sv(), 3);

  decoder.Resume();
  decoder.SetDecodingEnabled(0);
  Feed(23, Block(1, 99.0));
  EXPECT_FALSE(decoder.measurementSeen());
  EXPECT_EQ(meas.calls, 1);
  EXPECT_DOUBLE_EQ(decoder.LastMeasurementGpsTime(), 1234.5);
}

TEST_F(StoreTest, BaseFileFlagSendsBlockToBaseRecordCountedUnder24) {
  CountingLink<MeasurementBlockRecord> meas, base;
  store().links().measurement = &meas;
  store().links().baseMeasurement = &base;
  decoder.SetBaseFileFlag(1);
  Feed(23, Block(2, 500.25));
  EXPECT_EQ(decoder.counters().messageCountById[24], 1u);
  EXPECT_EQ(decoder.counters().messageCountById[23], 0u);
  EXPECT_EQ(base.calls, 1);
  EXPECT_EQ(meas.calls, 0);
  EXPECT_DOUBLE_EQ(decoder.LastBaseMeasurementGpsTime(), 500.25);
  EXPECT_DOUBLE_EQ(decoder.LastMeasurementGpsTime(), 0.0);
  EXPECT_EQ(store().measurement().entryCount(), 0);
  EXPECT_EQ(store().baseMeasurementCopy().entryCount(), 2);
}

TEST_F(StoreTest, RecordingWindowsOpenTheGateAtTheirSecond) {
  RecordingWindowDouble first, second;
  store().links().gpsTimeRecording = {&first, &second};
  second.activeFrom = 100;
  decoder.SetTimeGateOpen(0);
  Feed(23, Block(0, 99.9));
  EXPECT_EQ(decoder.flags().timeGateOpen, 0u);
  EXPECT_EQ(first.asked, std::vector<int64_t>{99});
  Feed(23, Block(0, 100.2));
  EXPECT_EQ(decoder.flags().timeGateOpen, 1u);

  // The base block asks only the first window.
  decoder.SetTimeGateOpen(0);
  decoder.SetBaseFileFlag(1);
  Feed(23, Block(0, 200.0));
  EXPECT_EQ(decoder.flags().timeGateOpen, 0u);
  EXPECT_EQ(second.asked.size(), 2u);
  first.activeFrom = 0;
  Feed(23, Block(0, std::nan("")));  // no usable second: nobody is asked
  EXPECT_EQ(first.asked.size(), 3u);
  EXPECT_EQ(decoder.flags().timeGateOpen, 0u);
}

TEST_F(StoreTest, EphemerisWithDecodingDisabledKeepsFirstOfEachSv) {
  CountingLink<EphemerisRecord> eph;
  store().links().ephemeris = &eph;
  std::vector<uint8_t> a(73, 0xAA), b(73, 0xBB);
  a[0] = b[0] = 4;
  decoder.SetDecodingEnabled(0);
  Feed(22, a);
  Feed(22, b);
  EXPECT_EQ(store().ephemeris(4).bytes()[5], 0xAA);
  EXPECT_TRUE(store().ephemerisReceived(4));
  EXPECT_EQ(eph.calls, 0);
  // An SV field above 31 folds into 0-31: 36 is SV slot 4 again, still not replacing.
  b[0] = 36;
  Feed(22, b);
  EXPECT_EQ(store().ephemeris(4).bytes()[5], 0xAA);

  // Setting decoding to 0 again forgets which SVs were seen.
  decoder.SetDecodingEnabled(0);
  Feed(22, b);
  EXPECT_EQ(store().ephemeris(4).bytes()[5], 0xBB);

  decoder.SetDecodingEnabled(1);
  Feed(22, a);
  EXPECT_EQ(store().ephemeris(4).bytes()[5], 0xAA);
  EXPECT_EQ(eph.calls, 1);
  EXPECT_EQ(eph.last, &store().ephemerisShown(4));
  // Gate closed: stored, but the window copy and the window stay as they were.
  decoder.SetTimeGateOpen(0);
  Feed(22, b);
  EXPECT_EQ(store().ephemeris(4).bytes()[5], 0xBB);
  EXPECT_EQ(store().ephemerisShown(4).bytes()[5], 0xAA);
  EXPECT_EQ(eph.calls, 1);
}

TEST_F(StoreTest, RtcmDataAppendsClearsAndStopsAt520) {
  CountingLink<DgpsDataRecord> win;
  store().links().dgpsData = &win;
  Feed(83, {0x00, 1, 2, 3});
  Feed(83, {0x00, 4, 5});
  EXPECT_EQ(store().dgpsData().length(), 5u);
  EXPECT_EQ(store().dgpsData().data()[4], 5);
  Feed(83, {0x04, 9});
  ASSERT_EQ(store().dgpsData().length(), 1u);
  EXPECT_EQ(store().dgpsData().data()[0], 9);
  for (int i = 0; i < 3; ++i) Feed(83, std::vector<uint8_t>(201, static_cast<uint8_t>(i + 1)));
  // 1 + 200 + 200 = 401, then 119 of the last 200 fit.
  EXPECT_EQ(store().dgpsData().length(), 520u);
  EXPECT_TRUE(store().dgpsData().overflowed());
  EXPECT_EQ(store().dgpsData().data()[519], 3);
  Feed(83, {0x00, 7});
  EXPECT_EQ(store().dgpsData().length(), 520u);
  EXPECT_EQ(store().dgpsData().data()[519], 3);
  Feed(83, {0x0C, 7});
  EXPECT_EQ(store().dgpsData().length(), 1u);
  EXPECT_FALSE(store().dgpsData().overflowed());
  EXPECT_EQ(win.calls, 8);
}

TEST_F(StoreTest, AlmanacTransferFlags) {
  Feed(126, {});
  Feed(78, {});
  EXPECT_EQ(decoder.flags().ackReceived, 0u);
  EXPECT_EQ(decoder.flags().transferActive, 0u);
  EXPECT_TRUE(desktop.boxes.empty());

  decoder.SetTransferActive(1);
  decoder.SetTimeGateOpen(0);
  decoder.SetDecodingEnabled(0);  // neither flag matters
  Feed(126, {});
  EXPECT_EQ(decoder.flags().ackReceived, 1u);
  Feed(78, {1});
  EXPECT_EQ(decoder.flags().ackReceived, 0u);
  EXPECT_EQ(decoder.flags().transferActive, 0u);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "Almanac transfer data is downloaded unsuccesfully.");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Stop);
}

TEST_F(StoreTest, ChannelAssignmentStoresOnSixAndTellsOnSeven) {
  CountingLink<ChannelAssignmentRecord> win;
  store().links().channelAssignment = &win;
  std::vector<uint8_t> six(85, 0), seven(85, 0);
  six[0] = seven[0] = 0xEE;  // byte 0 is not kept
  six[1] = 0x22;             // channel 1: geostationary 122
  Put<uint32_t>(six, 2, 140539u);
  Put(six, 6, 42.5f);
  six[14] = 0x17;                // channel 1 status: failed, location, auto
  seven[1 + 5 * 14] = 0x02;      // channel 12: SV 3
  Feed(6, six);
  EXPECT_EQ(win.calls, 0);
  const ChannelEntry c1 = store().channelAssignment().entry(0);
  EXPECT_EQ(c1.svNumber(), 122);
  EXPECT_EQ(std::lround(c1.carrierFrequency()), -5);
  EXPECT_FLOAT_EQ(c1.snr(), 42.5f);
  EXPECT_EQ(c1.trackingStatus(), 3);
  EXPECT_EQ(c1.locationStatus(), 1);
  EXPECT_EQ(c1.channelMode(), 1);
  Feed(7, seven);
  EXPECT_EQ(win.calls, 1);
  EXPECT_EQ(store().channelAssignment().entry(11).svNumber(), 3);
  EXPECT_EQ(store().channelAssignment().entry(0).svNumber(), 122);
  // A short message 6 zeroes the rest of its half only.
  Feed(6, {0, 5});
  EXPECT_EQ(store().channelAssignment().entry(0).svNumber(), 6);
  EXPECT_EQ(store().channelAssignment().entry(0).statusByte(), 0);
  EXPECT_EQ(store().channelAssignment().entry(11).svNumber(), 3);
}

TEST_F(StoreTest, SatelliteAndStatusMessagesTellTwoWindows) {
  CountingLink<SvStatusRecord> status;
  CountingLink<ReceiverStatusRecord> receiver;
  SvPositionDouble sky;
  store().links().svStatus = &status;
  store().links().receiverStatus = &receiver;
  store().links().svPosition = &sky;
  std::vector<uint8_t> sv(61, 0);
  sv[0] = 1;
  sv[1] = 0x60 | 4;                                 // SV 5, "Use Nav"
  sv[2] = static_cast<uint8_t>(-5);
  Put<uint16_t>(sv, 3, static_cast<uint16_t>((34 << 9) | 300));
  sv[5] = 44;
  Feed(33, sv);
  std::vector<uint8_t> rs(40, 0);
  Put<uint16_t>(rs, 19, 1000);
  Feed(49, rs);
  EXPECT_EQ(status.calls, 1);
  EXPECT_EQ(receiver.calls, 1);
  EXPECT_EQ(sky.statusCalls, 1);
  EXPECT_EQ(sky.maskCalls, 1);
  EXPECT_EQ(sky.mask, 1000);
  const SvStatusEntry e = store().svStatus().entry(0);
  EXPECT_EQ(e.status(), 3);
  EXPECT_EQ(e.elevation(), -5);
  EXPECT_EQ(e.azimuth(), 300);
  EXPECT_EQ(e.svNumber(), 122);
  EXPECT_EQ(e.snr(), 44);
}

TEST_F(StoreTest, PartNumberAndDgpsStatusNeedTheirWindowOpen) {
  std::vector<uint8_t> p(95, 0);
  std::memcpy(&p[14], "ABCDEFGHIJK-01", 14);
  std::memcpy(&p[47 + 3], "-05", 3);  // configuration #3
  Put<uint32_t>(p, 73, 0x1F);
  std::memcpy(&p[77], "ABC", 3);
  decoder.ExpectReceiverAnswer(1);
  decoder.SetTimeGateOpen(0);
  Feed(45, p);
  EXPECT_TRUE(decoder.receiverAnswered());
  decoder.SetTimeGateOpen(1);
  Feed(45, p);
  EXPECT_EQ(store().partNumber().config1PartNumber(), "");
  CountingLink<PartNumberRecord> win;
  store().links().partNumber = &win;
  Feed(45, p);
  EXPECT_EQ(win.calls, 1);
  const PartNumberRecord& r = store().partNumber();
  EXPECT_EQ(r.config1PartNumber(), "ABCDEFGHIJK-01");
  EXPECT_EQ(r.configPartNumber(3), "ABCDEFGHIJK-05");
  EXPECT_EQ(r.configPartNumber(2), "");
  EXPECT_EQ(r.customerSerialPrefix(), "ABC");
  EXPECT_EQ(r.customerSerialNumber(), 0x1Fu);

  Feed(48, Pattern(24, 1));
  EXPECT_EQ(store().dgpsStatus().bytes()[0], 0);
  CountingLink<DgpsStatusRecord> dgps;
  store().links().dgpsStatus = &dgps;
  Feed(48, Pattern(24, 1));
  EXPECT_EQ(store().dgpsStatus().bytes()[0], 1);
  EXPECT_EQ(dgps.calls, 1);
}

class DownloadDouble : public FileDownloadLink {
 public:
  void OnFileInfo(const FileInfoRecord& r) override { names.push_back(r.fileName()); }
  void OnDownloadBlock(const DownloadBlockRecord&, std::size_t length) override { lengths.push_back(length); }
  std::vector<std::string> names;
  std::vector<std::size_t> lengths;
};

TEST_F(StoreTest, FileManagerSubIdRouting) {
  CountingLink<FileManagerRecord> manager;
  CountingLink<MemoryInfoRecord> memory;
  CountingLink<FileHeaderRecord> header;
  DownloadDouble download;
  store().links().fileManager = &manager;
  store().links().memoryInfo = &memory;
  store().links().fileHeader = &header;
  std::vector<uint8_t> answer(54, 0);
  answer[0] = 1;
  answer[1] = 3;  // Modify
  answer[2] = 6;
  std::memcpy(&answer[4], "FILE0001", 8);
  Put<int16_t>(answer, 44, -12);
  Feed(70, answer);
  EXPECT_EQ(manager.calls, 1);
  EXPECT_EQ(store().fileManager().action(), 3);
  EXPECT_EQ(store().fileManager().result(), 6);
  EXPECT_EQ(store().fileManager().fileName(), "FILE0001");
  EXPECT_EQ(store().fileManager().antennaHeight(), -12);

  // Sub-IDs 6 to 8 ignore the gate but need their own tool.
  decoder.SetTimeGateOpen(0);
  decoder.SetDecodingEnabled(0);
  Feed(70, {6, 1, 2, 3});
  Feed(70, {7, 1});
  Feed(70, {8, 1});
  EXPECT_EQ(store().downloadBlock().length(), 0u);
  EXPECT_EQ(memory.calls + header.calls, 0);
  store().links().fileDownload = &download;
  store().SetMemoryInfoFlag(true);
  store().SetFileHeaderFlag(true);
  Feed(70, {6, 1, 2, 3});
  Feed(70, {7, 1});
  Feed(70, {8, 1});
  EXPECT_EQ(download.lengths, std::vector<std::size_t>{3});
  EXPECT_EQ(store().downloadBlock().data()[2], 3);
  EXPECT_EQ(memory.calls, 1);
  EXPECT_EQ(header.calls, 1);
  // Sub-ID 2 follows the gate and also reaches the download dialog.
  Feed(70, {2, 0, 7, 0, 'A', 'B'});
  EXPECT_TRUE(download.names.empty());
  decoder.SetTimeGateOpen(1);
  decoder.SetDecodingEnabled(1);
  Feed(70, {2, 0, 7, 0, 'A', 'B'});
  EXPECT_EQ(download.names, std::vector<std::string>{"AB"});
  EXPECT_EQ(store().fileInfo().fileNumber(), 7);
}

class TestControllerDouble : public TestControllerWindowLink {
 public:
  void ShowData(std::span<const uint8_t> d) override { data.assign(d.begin(), d.end()); }
  std::vector<uint8_t> data;
};

TEST_F(StoreTest, SubIdRecordsOfMessages2And114) {
  TestControllerDouble second;
  store().links().testController2 = &second;
  Feed(2, {3, 9, 9});
  EXPECT_EQ(store().ateController().bytes()[0], 3);
  EXPECT_EQ(store().ateController().bytes()[1], 9);
  Feed(2, {10, 5, 6});
  EXPECT_EQ(second.data, (std::vector<uint8_t>{5, 6}));
  EXPECT_EQ(store().ateController().bytes()[0], 3);
  Feed(2, {7, 1});  // unknown sub-ID: ignored
  EXPECT_EQ(store().ateController().bytes()[0], 3);

  Feed(114, {1, 0xA1, 0xA2});
  EXPECT_EQ(store().adData().bytes()[0], 0xA1);
  // FPU dump: the block is as long as the count says, zero where the payload ends.
  Feed(114, {4, 0x55, 5, 1, 2});
  EXPECT_EQ(store().fpuMemoryDump().parameter(), 0x55);
  ASSERT_EQ(store().fpuMemoryDump().count(), 5);
  EXPECT_EQ(store().fpuMemoryDump().block()[1], 2);
  EXPECT_EQ(store().fpuMemoryDump().block()[4], 0);
  Feed(114, {4, 0x56, 0});
  EXPECT_EQ(store().fpuMemoryDump().count(), 0);
}

TEST_F(StoreTest, RecordsOutsideTheGate) {
  CountingLink<AlmanacRecord> almanac;
  store().links().almanac = &almanac;
  decoder.SetTimeGateOpen(0);
  decoder.SetDecodingEnabled(0);
  std::vector<uint8_t> alm(79, 0);
  alm[0] = 0x40 | 1;  // GPS, PRN 1
  Put<uint16_t>(alm, 77, 1100);
  Feed(76, alm);
  Feed(75, {1, 2});
  Feed(67, {1, 2});
  EXPECT_EQ(almanac.calls, 1);
  EXPECT_EQ(store().almanac().svType(), 1);
  EXPECT_EQ(store().almanac().prn(), 1);
  EXPECT_EQ(store().almanac().week(), 1100);
  EXPECT_EQ(store().ionoUtc().bytes()[1], 2);
  EXPECT_EQ(store().msg67().bytes()[0], 0);  // 67 needs decoding
  decoder.SetDecodingEnabled(1);
  Feed(67, {1, 2});
  EXPECT_EQ(store().msg67().bytes()[0], 1);
}

TEST_F(StoreTest, SmallRecordLayouts) {
  Feed(50, {0x1B, 0, 0, 0, 0, 0, 0, 0xC0});
  const SatelliteHealthRecord& h = store().satelliteHealth();
  EXPECT_EQ(h.healthCode(1), 0);
  EXPECT_EQ(h.healthCode(2), 1);
  EXPECT_EQ(h.healthCode(3), 2);
  EXPECT_EQ(h.healthCode(4), 3);
  EXPECT_EQ(h.healthCode(29), 3);
  EXPECT_EQ(h.healthCode(33), 0);

  std::vector<uint8_t> base(48, 0);
  base[0] = 0x16;
  Put(base, 13, -0.5);
  base[41] = 3;  // three entries, the third beyond the payload
  base[42] = 1;
  base[43] = 5;
  base[44] = 3;
  base[45] = 10;
  Feed(47, base);
  const BaseStatusRecord& b = store().baseStatus();
  EXPECT_EQ(b.baseStatus(), 2);
  EXPECT_EQ(b.baudRateIndex(), 5);
  EXPECT_DOUBLE_EQ(b.latitude(), -0.5);
  EXPECT_EQ(b.entryCount(), 3);
  EXPECT_EQ(b.entryRate(1), 10);
  EXPECT_EQ(b.entryType(2), 0);
  EXPECT_EQ(b.storedSize(), 48u);

  std::vector<uint8_t> sol(41, 0);
  Put<uint32_t>(sol, 32, 5u);
  sol[40] = 0;
  Feed(18, sol);
  EXPECT_EQ(store().predictedSolution().svsUsedMask(), 5u);
  EXPECT_EQ(store().predictedSolution().referenceSv(), 1);

  Feed(111, Pattern(10, 1));  // two whole words
  EXPECT_EQ(store().systemProfile().entryCount(), 2);
  EXPECT_EQ(store().systemProfile().entry(1), 0x08070605u);
  EXPECT_EQ(store().systemProfile().entry(2), 0u);
}

}  // namespace
}  // namespace orv
