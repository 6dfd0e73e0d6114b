// The sharing side's logic without sockets: gpsd requests, the bounded client queue, the
// reports made from a decoded stream, and the NMEA made from KTX Binary read back by our own
// NMEA decoder and by gpsbabel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "nmea/ReceiverDecoder.h"
#include "share/ClientQueue.h"
#include "share/GpsdRequest.h"
#include "share/NmeaOut.h"
#include "share/ShareFeed.h"
#include "support/Frames.h"
#include "support/RunCommand.h"
#include "track/EpochReader.h"
#include "track/UtcTime.h"

namespace orv {
namespace {

constexpr double kPi = 3.141592653589793;

template <typename T>
void Put(std::vector<uint8_t>& p, std::size_t at, T v) {
  std::memcpy(p.data() + at, &v, sizeof v);
}

// Message 20 on 2026-03-01 at 23:59:58 + `second` (so that a day goes by), at the given place.
std::vector<uint8_t> NavLlh(int second, double latDeg, double lonDeg, int mode = 2) {
  const int t = 23 * 3600 + 59 * 60 + 58 + second;
  const int day = 1 + t / 86400, tod = t % 86400;
  std::vector<uint8_t> p(71, 0);
  p[0] = static_cast<uint8_t>(tod / 3600);
  p[1] = static_cast<uint8_t>(tod / 60 % 60);
  Put(p, 2, tod % 60 + 0.25);
  p[10] = static_cast<uint8_t>(day);
  p[11] = 3;
  Put(p, 12, static_cast<uint16_t>(2026));
  Put(p, 14, latDeg * kPi / 180);
  Put(p, 22, lonDeg * kPi / 180);
  Put(p, 30, 123.25f);
  Put(p, 34, 2.5f);             // m/s
  Put(p, 38, 1.5f);             // rad
  Put(p, 50, -0.75f);           // up, m/s
  Put(p, 54, 3.5f);             // HFOM
  Put(p, 58, 4.5f);             // VFOM
  Put(p, 62, static_cast<int16_t>(12));
  Put(p, 64, static_cast<int16_t>(16));
  p[66] = static_cast<uint8_t>(mode);
  p[67] = 5;
  return test::Frame(20, p);
}

// Message 49 with the MSL model on or off.
std::vector<uint8_t> ReceiverStatus(bool msl) {
  std::vector<uint8_t> p(40, 0);
  p[0] = 3;
  p[1] = msl ? 0x03 : 0x01;
  return test::Frame(49, p);
}

// Message 33: GPS 5 used, GPS 17 tracked, WAAS 122 in view.
std::vector<uint8_t> SvStatus() {
  std::vector<uint8_t> p(61, 0);
  p[0] = 3;
  auto entry = [&](int i, int svByte, int el, int azWord, int snr) {
    p[1 + i * 5] = static_cast<uint8_t>(svByte);
    p[2 + i * 5] = static_cast<uint8_t>(static_cast<int8_t>(el));
    Put(p, static_cast<std::size_t>(3 + i * 5), static_cast<uint16_t>(azWord));
    p[5 + i * 5] = static_cast<uint8_t>(snr);
  };
  entry(0, 4 | 3 << 5, 45, 270, 44);
  entry(1, 16 | 1 << 5, -2, 10, 20);
  entry(2, 0, 30, (122 - 88) << 9 | 200, 38);
  return test::Frame(33, p);
}

struct Recorder : ShareListener {
  std::vector<std::string> tpv, sky, nmea;
  void OnTpv(const std::string& json, const std::string&) override { tpv.push_back(json); }
  void OnSky(const std::string& json) override { sky.push_back(json); }
  void OnNmea(const std::string& s) override { nmea.push_back(s); }
};

// A block at a time, as a port is read; the decoder may write a zero after a block.
void Feed(ReceiverDecoder& d, std::vector<uint8_t> bytes) {
  for (std::size_t at = 0; at < bytes.size(); at += 1000) {
    std::vector<uint8_t> block(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                               bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + 1000)));
    const uint32_t n = static_cast<uint32_t>(block.size());
    block.push_back(0);
    d.Decode(block.data(), n);
  }
}
void Feed(ReceiverDecoder& d, const std::string& text) { Feed(d, std::vector<uint8_t>(text.begin(), text.end())); }

bool Has(const std::string& json, const std::string& part) { return json.find(part) != std::string::npos; }

TEST(GpsdRequest, ReadsEveryCommandOfALineAndTheWatchSwitches) {
  auto r = ParseGpsdLine("?WATCH={\"enable\":true,\"json\":true, \"device\":\"/dev/x\", \"raw\":1};");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].command, GpsdCommand::kWatch);
  EXPECT_EQ(r[0].enable, std::optional<bool>(true));
  EXPECT_EQ(r[0].json, std::optional<bool>(true));
  EXPECT_FALSE(r[0].nmea.has_value());

  r = ParseGpsdLine("?VERSION;?DEVICES;?POLL;\r");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].command, GpsdCommand::kVersion);
  EXPECT_EQ(r[1].command, GpsdCommand::kDevices);
  EXPECT_EQ(r[2].command, GpsdCommand::kPoll);
  EXPECT_TRUE(ParseGpsdLine("   ").empty());
}

TEST(GpsdRequest, GarbageUnknownCommandsAndBrokenObjectsBecomeErrors) {
  for (const char* line : {"hello", "?FLY;", "?WATCH={\"enable\":tru", "?WATCH={\"enable\" true}", "?WATCH={\"a\":[1]}",
                           "?POLL;junk", "\x01\xff?"}) {
    const auto r = ParseGpsdLine(line);
    ASSERT_FALSE(r.empty()) << line;
    EXPECT_EQ(r.back().command, GpsdCommand::kError) << line;
    EXPECT_FALSE(r.back().error.empty());
    for (char c : r.back().error) EXPECT_TRUE(c >= ' ' && c <= '~') << line;
  }
  EXPECT_EQ(ParseGpsdLine("?FLY;")[0].error, "Unrecognized request 'FLY'");
}

TEST(ClientQueue, KeepsTheBytesInOrderAndRefusesEverythingOnceItOverflowed) {
  ClientQueue q(10);
  std::string out;
  ASSERT_TRUE(q.Push("012345678"));
  q.Consume(9);
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(q.Push(std::to_string(i % 10)));
    ASSERT_TRUE(q.Push("ab"));
    out += std::string(q.Front().substr(0, 2));
    q.Consume(2);
    out += std::string(q.Front());
    q.Consume(1);
  }
  std::string expect;
  for (int i = 0; i < 50; ++i) expect += std::to_string(i % 10) + "ab";
  EXPECT_EQ(out, expect);
  q.Consume(q.size());
  EXPECT_TRUE(q.Push("0123456789"));
  EXPECT_FALSE(q.Push("x"));
  EXPECT_TRUE(q.overflowed());
  q.Consume(10);
  EXPECT_FALSE(q.Push("x"));  // a client that overflowed is done with
}

TEST(ShareFeed, KtxSolutionGivesTpvSkyAndNmeaWithOnlyTheFieldsItHas) {
  ReceiverDecoder d;
  d.SetProtocolSelector(1);
  d.SetTimeGateOpen(1);
  Recorder rec;
  ShareFeed feed(d, 1, "/dev/ttyS0", rec);
  d.SetObserver(&feed);

  // Before any message 49 the height is taken as the ellipsoid's.
  Feed(d, NavLlh(0, -33.5, 151.25));
  ASSERT_EQ(rec.tpv.size(), 1u);
  const std::string& t = rec.tpv[0];
  EXPECT_TRUE(Has(t, "\"class\":\"TPV\",\"device\":\"/dev/ttyS0\",\"mode\":3,\"time\":\"2026-03-01T23:59:58.250Z\""));
  EXPECT_TRUE(Has(t, "\"lat\":-33.500000000,\"lon\":151.250000000,\"altHAE\":123.250"));
  EXPECT_FALSE(Has(t, "altMSL"));
  EXPECT_TRUE(Has(t, "\"eph\":3.500,\"epv\":4.500"));
  EXPECT_TRUE(Has(t, "\"speed\":2.500,\"climb\":-0.750"));
  EXPECT_FALSE(Has(t, "ept"));
  // No view yet: GGA and RMC and ZDA only.
  ASSERT_EQ(rec.nmea.size(), 3u);
  EXPECT_EQ(rec.nmea[0], test::Sentence("GPGGA,235958.250,3330.000000,S,15115.000000,E,1,05,1.2,,,,,,"));

  Feed(d, ReceiverStatus(true));
  Feed(d, SvStatus());
  ASSERT_EQ(rec.sky.size(), 1u);
  EXPECT_EQ(rec.sky[0],
            "{\"class\":\"SKY\",\"device\":\"/dev/ttyS0\",\"time\":\"2026-03-01T23:59:58.250Z\",\"hdop\":1.20,"
            "\"vdop\":1.60,\"pdop\":2.00,\"satellites\":[{\"PRN\":5,\"el\":45.0,\"az\":270.0,\"ss\":44.0,"
            "\"used\":true},{\"PRN\":17,\"el\":-2.0,\"az\":10.0,\"ss\":20.0,\"used\":false},{\"PRN\":122,"
            "\"el\":30.0,\"az\":200.0,\"ss\":38.0,\"used\":false}]}");

  rec.nmea.clear();
  Feed(d, NavLlh(3, -33.5, 151.25));
  EXPECT_TRUE(Has(rec.tpv.back(), "\"altMSL\":123.250"));
  EXPECT_FALSE(Has(rec.tpv.back(), "altHAE"));
  EXPECT_TRUE(Has(rec.tpv.back(), "\"time\":\"2026-03-02T00:00:01.250Z\""));
  ASSERT_EQ(rec.nmea.size(), 5u);  // GGA RMC GSA GSV ZDA
  EXPECT_TRUE(Has(rec.nmea[0], ",1,05,1.2,123.25,M,,,,*"));
  EXPECT_TRUE(Has(rec.nmea[2], "$GPGSA,A,3,05,,,,,,,,,,,,2.0,1.2,1.6*"));
  EXPECT_TRUE(Has(rec.nmea[3], "$GPGSV,1,1,03,05,45,270,44,17,-2,010,20,35,30,200,38*"));
  EXPECT_TRUE(Has(rec.nmea[4], "$GPZDA,000001.250,02,03,2026,,*"));

  // Initialized, no position: mode 1, and no position anywhere.
  rec.nmea.clear();
  Feed(d, NavLlh(4, -33.5, 151.25, 1));
  EXPECT_TRUE(Has(rec.tpv.back(), "\"mode\":1,"));
  EXPECT_FALSE(Has(rec.tpv.back(), "lat"));
  EXPECT_FALSE(Has(rec.tpv.back(), "alt"));
  EXPECT_TRUE(Has(rec.nmea[0], "$GPGGA,000002.250,,,,,0,05,"));
  EXPECT_TRUE(Has(rec.nmea[1], "$GPRMC,000002.250,V,,,,,"));
  EXPECT_TRUE(Has(rec.nmea[1], ",,,N*"));
  d.SetObserver(nullptr);
}

TEST(ShareFeed, NmeaStreamIsPassedOnAndGivesTpvWithBothHeightsAndSkyFromGsaAndGsv) {
  ReceiverDecoder d;
  d.SetProtocolSelector(0);
  d.SetTimeGateOpen(1);
  Recorder rec;
  ShareFeed feed(d, 0, "log.nmea", rec);
  d.SetObserver(&feed);
  const std::string second1 =
      test::Sentence("GPGGA,101500.00,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,,") +
      test::Sentence("GPRMC,101500.00,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W") +
      test::Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1") +
      test::Sentence("GPGSV,2,1,05,04,10,047,36,05,60,130,45,09,20,250,,12,80,002,40") +
      test::Sentence("GPGSV,2,2,05,40,30,210,35");
  Feed(d, second1);
  EXPECT_EQ(rec.nmea.size(), 5u);
  EXPECT_EQ(rec.nmea[0], test::Sentence("GPGGA,101500.00,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,,"));
  ASSERT_EQ(rec.sky.size(), 1u);
  EXPECT_EQ(rec.sky[0],
            "{\"class\":\"SKY\",\"device\":\"log.nmea\",\"hdop\":1.30,\"vdop\":2.10,\"pdop\":2.50,\"satellites\":["
            "{\"PRN\":4,\"el\":10.0,\"az\":47.0,\"ss\":36.0,\"used\":true},{\"PRN\":5,\"el\":60.0,\"az\":130.0,"
            "\"ss\":45.0,\"used\":true},{\"PRN\":9,\"el\":20.0,\"az\":250.0,\"used\":true},{\"PRN\":12,\"el\":80.0,"
            "\"az\":2.0,\"ss\":40.0,\"used\":true},{\"PRN\":127,\"el\":30.0,\"az\":210.0,\"ss\":35.0,\"used\":false}]}");
  // The epoch goes on once the next one begins, or at the end.
  EXPECT_TRUE(rec.tpv.empty());
  Feed(d, test::Sentence("GPGGA,101501.00,4807.038,N,01131.000,E,1,08,0.9,546.0,M,47.5,M,,"));
  feed.Finish();
  ASSERT_EQ(rec.tpv.size(), 2u);
  const std::string& t = rec.tpv[0];
  EXPECT_TRUE(Has(t, "\"mode\":3,\"status\":2,\"time\":\"1994-03-23T10:15:00.000Z\""));
  EXPECT_TRUE(Has(t, "\"lat\":48.117300000,\"lon\":11.516666667,\"altHAE\":592.300,\"altMSL\":545.400"));
  EXPECT_TRUE(Has(t, "\"track\":84.4000,\"speed\":11.524"));
  EXPECT_FALSE(Has(t, "climb"));
  EXPECT_FALSE(Has(t, "eph"));
  EXPECT_TRUE(Has(rec.tpv[1], "\"altHAE\":593.500,\"altMSL\":546.000"));
  // A GSV set that misses a sentence is not a view.
  Feed(d, test::Sentence("GPGSV,2,2,05,40,30,210,35"));
  EXPECT_EQ(rec.sky.size(), 1u);
  d.SetObserver(nullptr);
}

// The NMEA made from message 20 epochs, read back by our NMEA decoder and epoch reader.
struct EpochList : EpochSink {
  std::vector<Epoch> epochs;
  void OnEpoch(const Epoch& e, uint64_t) override { epochs.push_back(e); }
};

struct Place {
  double lat, lon;
};
// Both hemispheres both ways, a minute's rounding that carries into the degree, the poles'
// neighbourhood and the antimeridian.
const Place kPlaces[] = {{45.2942232, -73.4136473}, {-33.8567844, 151.2152967}, {-0.0000001, -0.0000001},
                         {59.99999999999, 10.999999999999}, {-89.9, 179.9999999}, {12.3456789, -179.9876543}};

std::string GeneratedNmea(std::vector<Epoch>& source) {
  ReceiverDecoder d;
  d.SetProtocolSelector(1);
  d.SetTimeGateOpen(1);
  Recorder rec;
  ShareFeed feed(d, 1, "x", rec);
  d.SetObserver(&feed);
  Feed(d, ReceiverStatus(true));
  Feed(d, SvStatus());
  int second = 0;
  for (const Place& p : kPlaces) {
    Feed(d, NavLlh(second, p.lat, p.lon));
    source.push_back(feed.lastFix()->epoch);
    second += 1;
  }
  d.SetObserver(nullptr);
  std::string all;
  for (const std::string& s : rec.nmea) all += s;
  return all;
}

TEST(NmeaOut, OurNmeaDecoderReadsBackThePositionsAndTimesOfTheKtxMessages) {
  std::vector<Epoch> source;
  const std::string nmea = GeneratedNmea(source);
  ReceiverDecoder d;
  d.SetProtocolSelector(0);
  d.SetTimeGateOpen(1);
  EpochList back;
  EpochOptions options;
  options.protocolSelector = 0;
  EpochReader reader(d, options, back);
  d.SetObserver(&reader);
  Feed(d, nmea);
  reader.Finish();
  d.SetObserver(nullptr);
  EXPECT_EQ(d.counters().nmeaChecksumErrorCount, 0u);
  ASSERT_EQ(back.epochs.size(), source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(back.epochs[i].positionValid);
    EXPECT_NEAR(back.epochs[i].latitude, source[i].latitude, 1e-7);
    EXPECT_NEAR(back.epochs[i].longitude, source[i].longitude, 1e-7);
    EXPECT_EQ(back.epochs[i].timeNs, source[i].timeNs);
    EXPECT_TRUE(back.epochs[i].hasDate);
    ASSERT_TRUE(back.epochs[i].altitude.has_value());
    EXPECT_NEAR(*back.epochs[i].altitude, 123.25, 0.005);
    ASSERT_TRUE(back.epochs[i].speed.has_value());
    EXPECT_NEAR(*back.epochs[i].speed, 2.5, 0.001);
  }
}

TEST(NmeaOut, GpsbabelReadsThePositionsAndTimesOfTheKtxMessages) {
  if (test::RunCommand("command -v gpsbabel").status != 0) GTEST_SKIP() << "gpsbabel is not installed";
  std::vector<Epoch> source;
  const std::string nmea = GeneratedNmea(source);
  const std::string dir = test::TempDir();
  const std::string in = dir + "/made.nmea";
  std::FILE* f = std::fopen(in.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(nmea.data(), 1, nmea.size(), f);
  std::fclose(f);
  const test::CommandResult r = test::RunCommand("gpsbabel -t -i nmea -f " + test::ShellQuote(in) + " -o gpx -F - 2>&1");
  ASSERT_EQ(r.status, 0) << r.out;
  // gpsbabel's GPX keeps nine decimals of a degree and the milliseconds of the time.
  std::vector<std::string> points;
  for (std::size_t at = 0; (at = r.out.find("<trkpt ", at)) != std::string::npos; at += 7) {
    points.push_back(r.out.substr(at, r.out.find("</trkpt>", at) - at));
  }
  ASSERT_EQ(points.size(), source.size()) << r.out;
  auto attr = [](const std::string& e, const std::string& name) {
    const std::size_t a = e.find(name + "=\"") + name.size() + 2;
    return std::stod(e.substr(a, e.find('"', a) - a));
  };
  for (std::size_t i = 0; i < source.size(); ++i) {
    SCOPED_TRACE(points[i]);
    EXPECT_NEAR(attr(points[i], "lat"), source[i].latitude, 1e-7);
    EXPECT_NEAR(attr(points[i], "lon"), source[i].longitude, 1e-7);
    const std::size_t t = points[i].find("<time>");
    ASSERT_NE(t, std::string::npos);
    int y, mo, dd, h, mi;
    double sec;
    ASSERT_EQ(std::sscanf(points[i].c_str() + t + 6, "%d-%d-%dT%d:%d:%lfZ", &y, &mo, &dd, &h, &mi, &sec), 6);
    int64_t ns = 0;
    ASSERT_TRUE(UtcToNs(y, mo, dd, h, mi, sec, ns));
    EXPECT_EQ(ns, source[i].timeNs);
  }
}

}  // namespace
}  // namespace orv
