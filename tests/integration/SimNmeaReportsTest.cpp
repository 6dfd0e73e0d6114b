// The simulated receiver's NMEA reports as the console's own decoder reads them: each one it
// sends on request parses with every field present, $PQTLG,008 changes what 908 reports, and
// the bad-checksum option shows in the decoder's counters.
#include <gtest/gtest.h>

#include <string>

#include "nmea/ReceiverDecoder.h"
#include "sim/SimReceiver.h"
#include "support/Frames.h"

namespace orv {
namespace {

using sim::SimProtocol;
using sim::SimReceiver;

SimReceiver Receiver(uint32_t badChecksumEvery = 0) {
  sim::SimSettings s;
  s.protocol = SimProtocol::Nmea;
  s.seed = 7;
  s.startGpsTime = 1400.0 * 604800 + 345600;
  s.badChecksumEvery = badChecksumEvery;
  return SimReceiver(s);
}

void SendText(SimReceiver& rx, double now, const std::string& text) {
  rx.Receive(reinterpret_cast<const uint8_t*>(text.data()), text.size(), now);
}

struct Console {
  Console() {
    decoder.SetProtocolSelector(0);
    decoder.SetTimeGateOpen(1);
  }
  void Take(SimReceiver& rx) {
    std::vector<uint8_t> bytes = rx.output();
    rx.DiscardOutput();
    decoder.Decode(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  uint32_t Count(int slot) const { return decoder.counters().nmeaCountBySlot[slot]; }
  ReceiverDecoder decoder;
};

template <typename Record>
int Present(const Record& r) {
  int n = 0;
  for (uint8_t p : r.present) n += p;
  return n;
}

TEST(SimNmeaReports, EveryReportOnRequestParsesWhole) {
  SimReceiver rx = Receiver();
  Console c;
  rx.Advance(0);
  c.Take(rx);
  // Only the usual sentences flow by themselves.
  EXPECT_EQ(c.Count(kSlotGga), 1u);
  EXPECT_EQ(c.Count(kSlotRxParam), 0u);
  EXPECT_EQ(c.Count(kSlotMss), 0u);
  for (const char* code : {"902", "903", "906", "907", "908", "MSS"}) {
    SendText(rx, 0.5, test::Sentence(std::string("PQTLG,004,") + code));
  }
  c.Take(rx);
  const NmeaStore& s = c.decoder.nmea();
  for (int slot : {kSlotSelfTest, kSlotRadiobeacon, kSlotToWaypoint, kSlotUserPosition, kSlotRxParam, kSlotMss}) {
    EXPECT_EQ(c.Count(slot), 1u) << slot;
  }
  EXPECT_EQ(c.decoder.counters().nmeaChecksumErrorCount, 0u);
  // The self-test has no active fault, so no fault identifier.
  EXPECT_EQ(Present(s.selfTest()), NmeaSelfTestRecord::kFieldCount - 1);
  EXPECT_EQ(s.selfTest().ram, 'P');
  EXPECT_EQ(Present(s.radiobeacon()), NmeaRadiobeaconRecord::kFieldCount);
  EXPECT_EQ(Present(s.toWaypoint()), NmeaToWaypointRecord::kFieldCount);
  EXPECT_EQ(Present(s.userPosition()), NmeaUserPositionRecord::kFieldCount);
  EXPECT_EQ(Present(s.rxParam()), NmeaRxParamRecord::kFieldCount);
  EXPECT_EQ(Present(s.mss()), NmeaMssRecord::kFieldCount);
  // 45.29 N 73.41 W is MGRS zone 18T; the circle stays within 50 m of its centre.
  EXPECT_EQ(s.userPosition().position.zoneNumber, 18);
  EXPECT_EQ(s.userPosition().position.zoneLetter, 'T');
  EXPECT_LE(s.toWaypoint().distance, 60.0);
  EXPECT_EQ(s.toWaypoint().waypointName, std::string("HOME"));
  EXPECT_DOUBLE_EQ(s.mss().frequency, 318.0);

  // The self-test command is answered by a fresh report; a rate turns a report on.
  SendText(rx, 0.6, test::Sentence("PQTLG,003"));
  c.Take(rx);
  EXPECT_EQ(c.Count(kSlotSelfTest), 2u);
  SendText(rx, 0.7, test::Sentence("PQTLG,005,,MSS,001"));
  EXPECT_EQ(rx.NmeaPeriod("MSS"), 1);
}

TEST(SimNmeaReports, ParameterSentenceChangesTheReport) {
  SimReceiver rx = Receiver();
  Console c;
  SendText(rx, 0, test::Sentence("PQTLG,008,0,1,0,12.5,3,1,60,19200,3,1"));
  SendText(rx, 0, test::Sentence("PQTLG,004,908"));
  c.Take(rx);
  const NmeaRxParamRecord& r = c.decoder.nmea().rxParam();
  EXPECT_EQ(r.elementCount, 10);
  EXPECT_EQ(r.timeAlignmentMode, 0);
  EXPECT_EQ(r.tropoModelUse, 0);
  EXPECT_DOUBLE_EQ(r.maskAngle, 12.5);
  EXPECT_EQ(r.datumNumber, 3);
  EXPECT_EQ(r.diffCoastTime, 60);
  EXPECT_EQ(r.auxBaudRate, 19200u);
  EXPECT_EQ(r.utcTimeResolution, 1);
  // A rate that is not a multiple of 300, or a field short, changes nothing.
  SendText(rx, 1, test::Sentence("PQTLG,008,1,1,1,5.0,47,2,30,1000,4,2"));
  SendText(rx, 1, test::Sentence("PQTLG,008,1,1,1,5.0,47,2,30,9600,4"));
  EXPECT_EQ(rx.rxParams().auxBaudRate, 19200u);
  EXPECT_EQ(rx.rxParams().timeAlignmentMode, 0);
}

TEST(SimNmeaReports, BadChecksumsOnRequest) {
  SimReceiver rx = Receiver(4);
  Console c;
  rx.Advance(0);
  rx.Advance(1);
  rx.Advance(2);
  c.Take(rx);
  const uint32_t good = c.decoder.counters().nmeaSentenceCount;
  const uint32_t bad = c.decoder.counters().nmeaChecksumErrorCount;
  EXPECT_GT(bad, 0u);
  EXPECT_EQ(bad, (good + bad) / 4);  // every fourth spoilt
}

TEST(SimNmeaReports, BadChecksumsOnBinaryFramesToo) {
  sim::SimSettings settings;
  settings.seed = 7;
  settings.badChecksumEvery = 2;
  SimReceiver rx(settings);
  const std::vector<uint8_t> request = test::Frame(20 | 0x80, {});
  rx.Receive(request.data(), request.size(), 0);
  for (double t = 0; t < 6; t += 0.5) rx.Advance(t);
  ReceiverDecoder decoder;
  std::vector<uint8_t> bytes = rx.output();
  decoder.Decode(bytes.data(), static_cast<uint32_t>(bytes.size()));
  const uint32_t good = decoder.counters().messageCountById[20];
  EXPECT_GE(good, 2u);
  EXPECT_GE(decoder.counters().protocolErrorCount, good - 1);
}

}  // namespace
}  // namespace orv
