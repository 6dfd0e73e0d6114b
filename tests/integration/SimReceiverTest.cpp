// The simulated receiver's behaviour without a line: answers, schedules, switching, the
// sentences it makes and the world it describes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <numbers>

#include "plot/PlotGeometry.h"
#include "protocol/CommandKeys.h"
#include "protocol/Frame.h"
#include "sim/SimReceiver.h"
#include "support/Frames.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

using sim::SimProtocol;
using sim::SimReceiver;

struct Item {
  int id;
  std::vector<uint8_t> payload;
};

// Splits the receiver's output into frames, checking each one's framing and checksum.
std::vector<Item> Frames(SimReceiver& rx) {
  std::vector<Item> out;
  const std::vector<uint8_t>& b = rx.output();
  std::size_t i = 0;
  while (i + kFrameOverhead <= b.size()) {
    EXPECT_EQ(b[i], kFrameStart);
    EXPECT_EQ(b[i + 2], static_cast<uint8_t>(~b[i + 1]));
    const std::size_t n = b[i + 3];
    const uint16_t sum = FrameChecksum(&b[i], n + 4);
    EXPECT_EQ(b[i + 4 + n] | b[i + 5 + n] << 8, sum);
    out.push_back({b[i + 1], std::vector<uint8_t>(b.begin() + i + 4, b.begin() + i + 4 + n)});
    i += n + kFrameOverhead;
  }
  EXPECT_EQ(i, b.size());
  rx.DiscardOutput();
  return out;
}

std::vector<std::string> Sentences(SimReceiver& rx) {
  std::vector<std::string> out;
  const std::string text(rx.output().begin(), rx.output().end());
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string s = text.substr(start, end - start);
    const std::size_t star = s.rfind('*');
    EXPECT_EQ(s[0], '$');
    EXPECT_EQ(s.substr(star + 1), sim::NmeaChecksum(s.substr(1, star - 1))) << s;
    out.push_back(s.substr(0, star));
  }
  EXPECT_EQ(start, text.size());
  rx.DiscardOutput();
  return out;
}

SimReceiver Receiver(SimProtocol protocol = SimProtocol::Ktx, uint32_t baud = 9600) {
  sim::SimSettings s;
  s.protocol = protocol;
  s.baud = baud;
  s.seed = 7;
  s.startGpsTime = 1400.0 * 604800 + 345600;  // week 1400, Thursday 00:00 GPS
  return SimReceiver(s);
}

void Send(SimReceiver& rx, double now, uint8_t id, const std::vector<uint8_t>& payload = {}) {
  const auto f = test::Frame(id, payload);
  rx.Receive(f.data(), f.size(), now);
}

void SendText(SimReceiver& rx, double now, const std::string& text) {
  rx.Receive(reinterpret_cast<const uint8_t*>(text.data()), text.size(), now);
}

TEST(SimReceiver, OneShotAnswersOnceWithTheRecordSizes) {
  SimReceiver rx = Receiver();
  Send(rx, 0, 20);
  auto items = Frames(rx);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].id, 20);
  EXPECT_EQ(items[0].payload.size(), 71u);

  Send(rx, 0, 6);
  items = Frames(rx);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].id, 7);
  EXPECT_EQ(items[1].payload.size(), 85u);

  Send(rx, 0, 76, {1});
  EXPECT_EQ(Frames(rx).size(), 32u);
  Send(rx, 0, 76, {2});  // GIC: none here
  EXPECT_TRUE(Frames(rx).empty());

  rx.Advance(5);
  EXPECT_TRUE(rx.output().empty());
  // Unknown messages, and requests with the wrong length, are not answered.
  Send(rx, 5, 99);
  Send(rx, 5, 20, {1, 2, 3});
  Send(rx, 5, 57);
  EXPECT_TRUE(rx.output().empty());
}

TEST(SimReceiver, TheFaultLogAnswersItsRequestCodeAndRawDgpsIsSentWhenAsked) {
  SimReceiver rx = Receiver();
  Send(rx, 0, 41);
  auto items = Frames(rx);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].id, 57);
  EXPECT_EQ(items[0].payload.size(), 80u);
  Send(rx, 0, 41 | kContinuous);
  EXPECT_TRUE(rx.IsContinuous(57));
  for (double t : {0.0, 1.0, 2.0}) rx.Advance(t);
  EXPECT_EQ(Frames(rx).size(), 3u);
  Send(rx, 3, 65);
  items = Frames(rx);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].id, 65);
  EXPECT_EQ(items[0].payload.size(), 24u);
}

TEST(SimReceiver, ContinuousRunsOnTheSecondUntilAOneShot) {
  SimReceiver rx = Receiver();
  Send(rx, 0.3, 20 | kContinuous);
  EXPECT_TRUE(rx.IsContinuous(20));
  rx.Advance(0.3);
  EXPECT_EQ(Frames(rx).size(), 1u);
  EXPECT_DOUBLE_EQ(rx.NextDue(), 1.0);
  rx.Advance(0.9);
  EXPECT_TRUE(Frames(rx).empty());
  rx.Advance(1.0);
  EXPECT_EQ(Frames(rx).size(), 1u);
  // A long pause does not bring a burst of missed epochs.
  rx.Advance(10.5);
  EXPECT_EQ(Frames(rx).size(), 1u);

  Send(rx, 11, 20);
  EXPECT_EQ(Frames(rx).size(), 1u);
  EXPECT_FALSE(rx.IsContinuous(20));
  rx.Advance(20);
  EXPECT_TRUE(rx.output().empty());
  EXPECT_EQ(rx.NextDue(), sim::kNever);
}

TEST(SimReceiver, MeasurementBlockAtTheRequestedRate) {
  for (const auto& [code, perSecond] : {std::pair{0, 1}, std::pair{1, 2}, std::pair{2, 5}, std::pair{3, 10}}) {
    SimReceiver rx = Receiver();
    Send(rx, 0, 23 | kContinuous, {static_cast<uint8_t>(code)});
    int count = 0;
    double lastTime = -1;
    for (double t = 0; t < 2.0 - 1e-9; t = rx.NextDue()) {
      rx.Advance(t);
      for (const Item& it : Frames(rx)) {
        ASSERT_EQ(it.id, 23);
        const uint8_t n = it.payload[2];
        EXPECT_EQ(it.payload.size(), 11u + 11u * n);
        const double gps = ReadLe<double>(it.payload, 3);
        EXPECT_GT(gps, lastTime);
        lastTime = gps;
        ++count;
      }
    }
    EXPECT_EQ(count, 2 * perSecond) << "rate code " << code;
  }
}

TEST(SimReceiver, EphemeridesOfTheGpsSatellitesInViewOneASecondWhenContinuous) {
  SimReceiver rx = Receiver();
  Send(rx, 0, 33);
  const auto sky = Frames(rx)[0].payload;
  int gps = 0;
  for (int i = 0; i < sky[0]; ++i) gps += (ReadLe<uint16_t>(sky, 3 + 5 * i) >> 9) == 0;
  ASSERT_GE(gps, 3);
  Send(rx, 0, 22 | kContinuous);
  std::vector<int> svs;
  for (int s = 0; s < gps; ++s) {
    rx.Advance(s);
    const auto items = Frames(rx);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_LT(items[0].payload[0], 32);
    svs.push_back(items[0].payload[0]);
  }
  std::sort(svs.begin(), svs.end());
  EXPECT_EQ(std::unique(svs.begin(), svs.end()), svs.end());  // each in turn
  Send(rx, 0.5 + gps, 22);
  EXPECT_GE(Frames(rx).size(), 3u);
}

TEST(SimReceiver, TheWorldMovesOnACircle) {
  SimReceiver rx = Receiver();
  const double lat0 = sim::kCentreLatDeg * std::numbers::pi / 180, lon0 = sim::kCentreLonDeg * std::numbers::pi / 180;
  std::vector<std::pair<double, double>> positions;
  for (double t : {0.0, 150.0, 300.0}) {
    Send(rx, t, 20);
    const auto p = Frames(rx)[0].payload;
    const double lat = ReadLe<double>(p, 14), lon = ReadLe<double>(p, 22);
    const double north = (lat - lat0) * 6367000, east = (lon - lon0) * 6367000 * std::cos(lat0);
    // The circle carries up to a metre of noise north and east.
    EXPECT_NEAR(std::hypot(north, east), 50.0, 2.0);
    EXPECT_NEAR(ReadLe<float>(p, 30), 30.0, 1.0);
    EXPECT_EQ(p[66] & 0x1F, sim::SimNavMode(t));
    positions.emplace_back(north, east);
  }
  // A quarter and a half turn later: a quarter of the way round, then the opposite side.
  EXPECT_NEAR(std::hypot(positions[0].first + positions[2].first, positions[0].second + positions[2].second), 0, 3.0);
  EXPECT_NEAR(std::hypot(positions[0].first - positions[1].first, positions[0].second - positions[1].second), 70.7, 3.0);

}

// The circle goes round the plot's default centre as the plot decodes it, and message 20 runs
// through every mode the plot colours within a minute.
TEST(SimReceiver, CirclesThePlotsDefaultCentreThroughEveryMode) {
  EXPECT_NEAR(sim::kCentreLatDeg * std::numbers::pi / 180, *PackedDegreesToRadians(kPlotDefaultCentreLatitude), 1e-12);
  EXPECT_NEAR(sim::kCentreLonDeg * std::numbers::pi / 180, *PackedDegreesToRadians(kPlotDefaultCentreLongitude), 1e-12);
  SimReceiver rx = Receiver();
  std::set<int> modes;
  for (double t = 0; t < 60; t += 1) {
    Send(rx, t, 20);
    modes.insert(Frames(rx)[0].payload[66] & 0x1F);
  }
  EXPECT_EQ(modes, (std::set<int>{1, 2, 3, 4, 6}));
}

// An hour of sky: satellites rise and set, run through their tracking states, cross the mask,
// and the receiver's other messages tell of it.
TEST(SimReceiver, SatellitesRiseAndSetThroughTheirStatesAndAcrossTheMask) {
  SimReceiver rx = Receiver();
  Send(rx, 0, 49);
  EXPECT_EQ(ReadLe<uint16_t>(Frames(rx)[0].payload, 19), 1200);  // a 12 degree mask
  std::set<int> counts, statuses, waas, channelWaas, first, later, references, failedChannels, healthCodes;
  std::map<int, std::pair<int, int>> elevationSpan;  // PRN: lowest and highest elevation seen
  bool rejected = false, usedBelowMask = false;
  for (double t = 0; t <= 3600; t += 15) {
    Send(rx, t, 33);
    const auto sky = Frames(rx)[0].payload;
    counts.insert(sky[0]);
    for (int i = 0; i < sky[0]; ++i) {
      const int status = (sky[1 + 5 * i] >> 5) & 3;
      const int elevation = static_cast<int8_t>(sky[2 + 5 * i]);
      const uint16_t word = ReadLe<uint16_t>(sky, 3 + 5 * i);
      EXPECT_GE(elevation, 0);
      EXPECT_LT(word & 0x1FF, 360);
      const int prn = (word >> 9) != 0 ? (word >> 9) + 88 : (sky[1 + 5 * i] & 0x1F) + 1;
      if ((word >> 9) != 0) waas.insert(prn);
      statuses.insert(status);
      if (status == 3 && elevation < 12) usedBelowMask = true;
      (t < 1 ? first : later).insert(prn);
      auto [it, fresh] = elevationSpan.try_emplace(prn, elevation, elevation);
      it->second = {std::min(it->second.first, elevation), std::max(it->second.second, elevation)};
    }
    Send(rx, t, 6);
    const auto channels = Frames(rx);
    ASSERT_EQ(channels.size(), 2u);
    for (const Item& half : channels) {
      for (int ch = 0; ch < 6; ++ch) {
        const uint8_t st = half.payload[1 + 14 * ch + 13];
        const int location = (st >> 2) & 3;
        EXPECT_NE(location, 3);
        if ((st & 3) == 3) failedChannels.insert(half.id * 10 + ch);
        const uint8_t sv = half.payload[1 + 14 * ch];
        if (sv & 0x20) channelWaas.insert((sv & 0xDF) + 120);
      }
    }
    Send(rx, t, 19);
    const auto solution = Frames(rx)[0].payload;
    const uint32_t used = ReadLe<uint32_t>(solution, 32), rejects = ReadLe<uint32_t>(solution, 36);
    EXPECT_EQ(used & rejects, 0u);
    if (rejects != 0) rejected = true;
    if (used != 0) {
      EXPECT_TRUE(used >> solution[40] & 1);  // the reference is one of those used
      references.insert(solution[40]);
    }
    Send(rx, t, 50);
    const auto health = Frames(rx)[0].payload;
    for (int n = 0; n < 32; ++n) healthCodes.insert(health[n / 4] >> (6 - 2 * (n % 4)) & 3);
  }
  EXPECT_GE(counts.size(), 3u) << "the number of satellites in view varies";
  EXPECT_EQ(statuses, (std::set<int>{0, 1, 2, 3}));
  EXPECT_FALSE(usedBelowMask);
  EXPECT_EQ(waas, (std::set<int>{122, 133}));
  EXPECT_EQ(channelWaas, waas);
  EXPECT_NE(first, later);
  int crossing = 0;
  for (const auto& [prn, span] : elevationSpan) crossing += span.first < 12 && span.second >= 12;
  EXPECT_GE(crossing, 3) << "tracks cross the mask band";
  EXPECT_FALSE(failedChannels.empty());
  EXPECT_TRUE(rejected);
  EXPECT_GE(references.size(), 2u);
  EXPECT_EQ(healthCodes, (std::set<int>{0, 1, 2, 3}));
}

TEST(SimReceiver, NmeaSentencesOnceASecondInTheirOrder) {
  SimReceiver rx = Receiver(SimProtocol::Nmea);
  rx.Advance(0);
  const auto first = Sentences(rx);
  ASSERT_GE(first.size(), 10u);
  EXPECT_EQ(first[0].substr(0, 7), "$GPGGA,");
  EXPECT_EQ(first[1].substr(0, 7), "$GPGLL,");
  EXPECT_EQ(first[2].substr(0, 7), "$GPGSA,");
  EXPECT_EQ(first[3].substr(0, 12), "$GPGSV,3,1,1");
  EXPECT_EQ(first[5].substr(0, 11), "$GPGSV,3,3,");
  EXPECT_EQ(first[6].substr(0, 7), "$GPRMC,");
  EXPECT_EQ(first[9], "$PQTLG,900,3D,1");
  // The centre 45 deg 29'42.232" N is 45 deg 29.70387 min, 73 deg 41'36.473" W is 73 deg
  // 41.60788 min; the circle keeps them within a few hundredths of a minute.
  EXPECT_NE(first[0].find(",4529."), std::string::npos);
  EXPECT_NE(first[0].find(",07341."), std::string::npos);
  EXPECT_NE(first[0].find(",W,1,"), std::string::npos);
  rx.Advance(0.5);
  EXPECT_TRUE(rx.output().empty());
  rx.Advance(1.0);
  EXPECT_EQ(Sentences(rx).size(), first.size());

  // Binary requests mean nothing in NMEA mode.
  Send(rx, 1.2, 20);
  EXPECT_TRUE(rx.output().empty());
}

TEST(SimReceiver, NmeaQueriesAndRates) {
  SimReceiver rx = Receiver(SimProtocol::Nmea);
  rx.Advance(0);
  rx.DiscardOutput();
  SendText(rx, 0.2, test::Sentence("PQTLG,004,ZDA"));
  auto s = Sentences(rx);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].substr(0, 7), "$GPZDA,");
  // A wrong checksum is not heard.
  SendText(rx, 0.2, "$PQTLG,004,GGA*00\r\n");
  EXPECT_TRUE(rx.output().empty());

  SendText(rx, 0.3, test::Sentence("PQTLG,005,,GGA,000,RMC,002,GLL,000,GSA,000,GSV,000,VTG,000,ZDA,000,900,000"));
  EXPECT_EQ(rx.NmeaPeriod("GGA"), 0);
  EXPECT_EQ(rx.NmeaPeriod("RMC"), 2);
  int rmc = 0;
  for (double t = 0.3; t < 6.2; t += 0.25) {
    rx.Advance(t);
    for (const std::string& line : Sentences(rx)) {
      EXPECT_EQ(line.substr(0, 7), "$GPRMC,");
      ++rmc;
    }
  }
  EXPECT_EQ(rmc, 4);  // at 0.3, then on the even seconds 2, 4, 6
}

TEST(SimReceiver, ProtocolAndRateSwitching) {
  SimReceiver rx = Receiver();
  Send(rx, 0, 20 | kContinuous);
  rx.Advance(0);
  Send(rx, 0.1, 110, {0x80 | 65});  // NMEA at 38400
  EXPECT_EQ(rx.protocol(), SimProtocol::Nmea);
  EXPECT_EQ(rx.baud(), 38400u);
  EXPECT_TRUE(rx.output().empty());  // unsent output is dropped at the switch
  EXPECT_FALSE(rx.IsContinuous(20));
  EXPECT_EQ(rx.NmeaPeriod("GGA"), 1);

  Send(rx, 0.2, 110, {0x80 | 32});  // the console's confirmation: NMEA, now at 9600
  EXPECT_EQ(rx.protocol(), SimProtocol::Nmea);
  EXPECT_EQ(rx.baud(), 9600u);
  Send(rx, 0.3, 110, {0x80});  // rate code 0: ignored
  EXPECT_EQ(rx.baud(), 9600u);

  SendText(rx, 0.4, test::Sentence("PQTLG,000,1,115200"));
  EXPECT_EQ(rx.protocol(), SimProtocol::Ktx);
  EXPECT_EQ(rx.baud(), 115200u);
  SendText(rx, 0.5, test::Sentence("PQTLG,000,0,4800"));  // not heard in binary mode
  EXPECT_EQ(rx.protocol(), SimProtocol::Ktx);
  Send(rx, 0.6, 110, {67});
  EXPECT_EQ(rx.baud(), 115200u);
  Send(rx, 0.6, 110, {66});
  EXPECT_EQ(rx.baud(), 57600u);
  EXPECT_EQ(SimReceiver::BaudFromCode(16), 4800u);
  // A rate no line can run at is not taken: the simulator would never hear the console again.
  Send(rx, 0.7, 110, {5});
  SendText(rx, 0.8, test::Sentence("PQTLG,000,1,12345"));
  EXPECT_EQ(rx.baud(), 57600u);

  SimReceiver nmea = Receiver(SimProtocol::Nmea);
  SendText(nmea, 0, test::Sentence("PQTLG,000"));
  SendText(nmea, 0, test::Sentence("PQTLG,000,2,9600"));
  EXPECT_EQ(nmea.protocol(), SimProtocol::Nmea);
}

TEST(SimReceiver, OutputStopsGrowingWhenNobodyTakesIt) {
  SimReceiver rx = Receiver(SimProtocol::Ktx, 9600);
  for (int m : {6, 20, 21, 22, 33, 49}) Send(rx, 0, static_cast<uint8_t>(m | kContinuous));
  Send(rx, 0, 23 | kContinuous, {3});
  for (double t = 0; t < 30; t += 0.1) rx.Advance(t);
  EXPECT_LT(rx.output().size(), 9600u / 5 + 2000);
  rx.Consume(100000);
  EXPECT_TRUE(rx.output().empty());
}

// Message 88 as the console's encoder builds it.
std::vector<uint8_t> DatumPayload(uint8_t option, uint8_t number, double a = 6377397.155, double f = 299.1528128) {
  std::vector<uint8_t> p(30, 0);
  p[0] = option;
  p[1] = number;
  WriteLe(std::span<uint8_t>(p), 8, a);
  WriteLe(std::span<uint8_t>(p), 16, f);
  return p;
}

TEST(SimReceiver, DatumMessageChangesTheDatumMessage20Reports) {
  SimReceiver rx = Receiver();
  const int used = [&] {
    Send(rx, 0, 20);
    return Frames(rx)[0].payload[67] & 0x0F;
  }();
  ASSERT_GT(used, 0);
  EXPECT_EQ(rx.datumNumber(), 0);
  Send(rx, 1, 88, DatumPayload(0, 61));
  EXPECT_EQ(rx.datumNumber(), 61);  // 0x3D: both halves of the number in use
  Send(rx, 1, 20);
  const auto p = Frames(rx)[0].payload;
  EXPECT_EQ(p[67], used | 0xD0);
  EXPECT_EQ(p[68], 3 | 0x30);

  // "Define" alone does not change the datum positions are given in; select and define does.
  Send(rx, 2, 88, DatumPayload(1, 2, 6378245.0, 298.3));
  EXPECT_EQ(rx.datumNumber(), 61);
  Send(rx, 2, 88, DatumPayload(2, 2, 6378245.0, 298.3));
  EXPECT_EQ(rx.datumNumber(), 2);
  // Refused: an ellipsoid that is not the Earth's, a definition of a built-in datum, a number
  // or option outside the message's range, a short payload.
  Send(rx, 3, 88, DatumPayload(2, 1, 0.0, 298.3));
  Send(rx, 3, 88, DatumPayload(2, 61));
  Send(rx, 3, 88, DatumPayload(0, 64));
  Send(rx, 3, 88, DatumPayload(3, 5));
  Send(rx, 3, 88, std::vector<uint8_t>{0, 5});
  EXPECT_EQ(rx.datumNumber(), 2);
  EXPECT_TRUE(rx.output().empty());  // the receiver does not answer message 88
}

// Channel by channel (1 to 12): the satellite's code byte, or -1 for an idle channel.
std::vector<int> ChannelCodes(SimReceiver& rx, double now) {
  Send(rx, now, 6);
  const auto items = Frames(rx);
  EXPECT_EQ(items.size(), 2u);
  std::vector<int> codes;
  for (const Item& it : items) {
    for (int ch = 0; ch < 6; ++ch) {
      const std::size_t at = 1 + 14 * static_cast<std::size_t>(ch);
      const bool idle = it.payload[at + 13] == (1 << 4) && it.payload[at] == 0 && it.payload[at + 5] == 0;
      codes.push_back(idle ? -1 : it.payload[at]);
    }
  }
  return codes;
}

std::vector<uint8_t> Le32Payload(uint8_t first, uint32_t mask) {
  return {first, static_cast<uint8_t>(mask), static_cast<uint8_t>(mask >> 8), static_cast<uint8_t>(mask >> 16),
          static_cast<uint8_t>(mask >> 24)};
}

TEST(SimReceiver, MaskAndDeselectionsShowInItsMessages) {
  SimReceiver rx = Receiver();
  auto mask = [&](double now) {
    Send(rx, now, 49);
    return ReadLe<uint16_t>(Frames(rx)[0].payload, 19);
  };
  EXPECT_EQ(mask(0), 1200);
  uint8_t angle[12] = {};
  ByteWriter(angle).Put(20.0f);
  Send(rx, 1, 81, std::vector<uint8_t>(angle, angle + 12));
  EXPECT_EQ(mask(1), 2000);
  ByteWriter(angle).Put(91.0f);  // no mask angle: kept as it was
  Send(rx, 1, 81, std::vector<uint8_t>(angle, angle + 12));
  EXPECT_EQ(mask(1), 2000);

  const std::vector<int> before = ChannelCodes(rx, 2);
  ASSERT_GE(before[0], 0);
  const int sv = before[0] + 1;  // a GPS satellite on channel 1
  Send(rx, 2, 82, Le32Payload(0, 1u << (sv - 1)));
  EXPECT_EQ(rx.controls().deselectedGps, 1u << (sv - 1));
  std::vector<int> after = ChannelCodes(rx, 2);
  EXPECT_EQ(std::count(after.begin(), after.end(), sv - 1), 0);
  Send(rx, 2, 82, Le32Payload(0, 0));
  Send(rx, 2, 82, Le32Payload(2, 0xFFFFFFFF));  // no such group
  EXPECT_EQ(ChannelCodes(rx, 2), before);

  Send(rx, 2, 87, {0x01, 0x00});  // channel 1 idle: its satellite moves on to channel 2
  after = ChannelCodes(rx, 2);
  EXPECT_EQ(after[0], -1);
  EXPECT_EQ(after[1], before[0]);
  EXPECT_TRUE(rx.output().empty());
}

std::vector<uint8_t> ModeFrame(std::string_view text, std::vector<uint8_t> fields = {}) {
  const CommandKey k = OperatingModeKey(text);
  std::vector<uint8_t> p(k.begin(), k.end());
  fields.resize(24, 0);
  p.insert(p.end(), fields.begin(), fields.end());
  return p;
}

TEST(SimReceiver, OperatingModeAndDifferentialMessagesShowInBaseStatus) {
  SimReceiver rx = Receiver();
  auto status = [&](double now) {
    Send(rx, now, 47);
    return Frames(rx)[0].payload;
  };
  EXPECT_EQ(status(0)[0] & 3, 2);  // a base with its position
  Send(rx, 1, 80, ModeFrame("Rover"));
  std::vector<uint8_t> p = status(1);
  EXPECT_EQ(p[0] & 3, 0);
  EXPECT_EQ(p[0] >> 2, 5);

  uint8_t seconds[4];
  ByteWriter(seconds).Put(uint32_t{600});
  Send(rx, 10, 80, ModeFrame("Survey Time", {seconds[0], seconds[1], seconds[2], seconds[3]}));
  Send(rx, 10, 80, ModeFrame("Base Self Survey"));
  p = status(70);
  EXPECT_EQ(p[0] & 3, 1);
  EXPECT_NEAR(ReadLe<double>(p, 1), 540.0 / 3600, 1e-9);
  EXPECT_EQ(status(611)[0] & 3, 2);  // surveyed

  uint8_t llh[24];
  ByteWriter(llh).Put(0.5).Put(-1.25).Put(123.5);
  Send(rx, 612, 80, ModeFrame("Base Manual", std::vector<uint8_t>(llh, llh + 24)));
  ByteWriter(llh).Put(2.0).Put(0.0).Put(0.0);  // no latitude: refused
  Send(rx, 612, 80, ModeFrame("Base Manual", std::vector<uint8_t>(llh, llh + 24)));
  std::vector<uint8_t> unknown(32, 0x55);
  Send(rx, 612, 80, unknown);
  p = status(612);
  EXPECT_EQ(p[0] & 3, 2);
  EXPECT_DOUBLE_EQ(ReadLe<double>(p, 13), 0.5);
  EXPECT_DOUBLE_EQ(ReadLe<double>(p, 21), -1.25);
  EXPECT_DOUBLE_EQ(ReadLe<double>(p, 29), 123.5);

  Send(rx, 613, 91, {0x85, 5});  // RTCA, types 1 and 59 every 5 s
  p = status(613);
  ASSERT_EQ(p.size(), 46u);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 41, p.end()), (std::vector<uint8_t>{2, 1, 5, 59, 5}));
  Send(rx, 613, 91, {0x00, 0});  // "Stop Encoding"
  EXPECT_EQ(status(613)[41], 0);
  EXPECT_TRUE(rx.output().empty());
}

TEST(SimReceiver, TimingParametersAndTheDateComeBackInTiming) {
  SimReceiver rx = Receiver();
  auto timing = [&](double now) {
    Send(rx, now, 113);
    return Frames(rx)[0].payload;
  };
  std::vector<uint8_t> p = timing(0);
  EXPECT_EQ(ReadLe<uint32_t>(p, 40), 1000000u);  // the pulse length it starts with
  // Cable delay -1000 and the TRAIM limit marked modified; the pulse length's zero is not.
  std::vector<uint8_t> t(27, 0);
  ByteWriter(t).Put(int32_t{-1000}).Put(uint32_t{7}).Put(uint32_t{0}).Put(uint8_t{2}).Put(uint8_t{3}).Put(uint8_t{13});
  t[17] = 0x01 | 0x20;
  Send(rx, 1, 69, t);
  p = timing(1);
  EXPECT_EQ(ReadLe<int32_t>(p, 32), -1000);
  EXPECT_EQ(ReadLe<uint32_t>(p, 36), 0u);
  EXPECT_EQ(ReadLe<uint32_t>(p, 40), 1000000u);
  EXPECT_EQ(p[44], 0);
  EXPECT_EQ(p[46], 13);

  // 2026-12-09 08:10:05 UTC, a Wednesday: GPS week 2448, 18 leap seconds.
  const CommandKey k = GeneralCommandKey();
  std::vector<uint8_t> d(k.begin(), k.end());
  for (uint8_t b : {8, 10, 5, 9, 12}) d.push_back(b);
  d.push_back(2026 & 0xFF);
  d.push_back(2026 >> 8);
  Send(rx, 2, 103, d);
  p = timing(2);
  EXPECT_EQ(ReadLe<uint16_t>(p, 8), 2448);
  EXPECT_NEAR(ReadLe<double>(p, 0), 3 * 86400 + 8 * 3600 + 10 * 60 + 5 + 18, 1e-6);
  const CommandKey pps = DateTimeKey(1);  // 1PPS Enable: the clock stays
  std::vector<uint8_t> e(15, 0);
  std::copy(pps.begin(), pps.end(), e.begin());
  Send(rx, 3, 103, e);
  EXPECT_NEAR(ReadLe<double>(timing(3), 0), 3 * 86400 + 8 * 3600 + 10 * 60 + 6 + 18, 1e-6);
}

TEST(SimInput, FramesAndSentencesOutOfNoise) {
  sim::InputScanner scanner;
  std::vector<uint8_t> bytes = test::Bytes("xx\x01\x02garbage$GPGGA*00\r\n");
  const auto frame = test::Frame(0x94, {});
  bytes.insert(bytes.end(), frame.begin(), frame.end());
  const std::string s = test::Sentence("PQTLG,004,GGA");
  bytes.insert(bytes.end(), s.begin(), s.end());
  // Fed one byte at a time, so every split point is crossed.
  std::vector<sim::InputItem> items;
  for (uint8_t b : bytes) {
    for (auto& it : scanner.Feed(&b, 1)) items.push_back(std::move(it));
  }
  ASSERT_EQ(items.size(), 2u);
  EXPECT_TRUE(items[0].binary);
  EXPECT_EQ(items[0].idByte, 0x94);
  EXPECT_FALSE(items[1].binary);
  EXPECT_EQ(items[1].sentence, "PQTLG,004,GGA");
}

}  // namespace
}  // namespace orv
