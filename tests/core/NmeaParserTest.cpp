// Field parsing of every sentence kind, and what bad fields do to a record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "nmea/NmeaFields.h"
#include "nmea/NmeaStore.h"
#include "nmea/ReceiverDecoder.h"
#include "support/Frames.h"

namespace orv {
namespace {

using test::Sentence;

// The fields of bodies of every length, both sides of the lengths where the reader finds its
// commas by mask (16 to 128) and across its 64-character words, against a plain split; the
// body sits at the very end of its allocation, so that a read past it is caught by the
// sanitizers.
TEST(NmeaFieldReader, FieldsOfEveryLengthAreThoseOfAPlainSplit) {
  std::mt19937 random(64);
  for (int length = 0; length <= 200; ++length) {
    for (int round = 0; round < 20; ++round) {
      std::vector<char> body(static_cast<std::size_t>(length));
      const unsigned commaEvery = 1 + random() % 8;
      for (char& c : body) c = random() % commaEvery == 0 ? ',' : static_cast<char>('0' + random() % 10);
      std::vector<std::string> expected;
      std::string field;
      for (char c : body) {
        if (c == ',') {
          expected.push_back(field);
          field.clear();
        } else {
          field.push_back(c);
        }
      }
      if (length > 0) expected.push_back(field);
      NmeaFieldReader r(body.data(), body.data() + body.size());
      for (std::size_t k = 0; k < expected.size() + 2; ++k) {
        const NmeaField f = r.Next();
        const std::string got = f.n > 0 ? std::string(f.p, static_cast<std::size_t>(f.n)) : std::string();
        ASSERT_EQ(got, k < expected.size() ? expected[k] : std::string()) << "length " << length << " field " << k;
      }
    }
  }
}

class NmeaParserTest : public ::testing::Test {
 protected:
  NmeaParserTest() {
    decoder.SetProtocolSelector(0);
    decoder.SetTimeGateOpen(1);
  }
  void Feed(const std::string& text) {
    std::vector<uint8_t> block(text.begin(), text.end());
    block.push_back(0);
    decoder.Decode(block.data(), static_cast<uint32_t>(text.size()));
  }
  void Body(const std::string& body) { Feed(Sentence(body)); }
  const NmeaStore& store() const { return decoder.nmea(); }

  ReceiverDecoder decoder;
};

template <int N>
std::string Presence(const NmeaPresence<N>& r) {
  std::string s;
  for (uint8_t p : r.present) s += static_cast<char>('0' + p);
  return s;
}

TEST_F(NmeaParserTest, GgaAllFields) {
  Body("GPGGA,123519.25,4807.038,S,01131.000,W,2,08,0.9,-545.4,M,46.9,M,3.5,0133");
  const NmeaGgaRecord& g = store().gga();
  EXPECT_EQ(Presence(g), "11111111111111");
  EXPECT_EQ(g.utcHour, 12);
  EXPECT_EQ(g.utcMinute, 35);
  EXPECT_DOUBLE_EQ(g.utcSeconds, 19.25);
  EXPECT_EQ(g.latitudeDegrees, 48);
  EXPECT_DOUBLE_EQ(g.latitudeMinutes, 7.038);
  EXPECT_EQ(g.latitudeHemisphere, 'S');
  EXPECT_EQ(g.longitudeDegrees, 11);
  EXPECT_DOUBLE_EQ(g.longitudeMinutes, 31.0);
  EXPECT_EQ(g.longitudeHemisphere, 'W');
  EXPECT_EQ(g.quality, 2);
  EXPECT_EQ(g.satellitesUsed, 8);
  EXPECT_DOUBLE_EQ(g.hdop, 0.9);
  EXPECT_DOUBLE_EQ(g.altitude, -545.4);
  EXPECT_EQ(g.altitudeUnits, 'M');
  EXPECT_DOUBLE_EQ(g.geoidalSeparation, 46.9);
  EXPECT_EQ(g.separationUnits, 'M');
  EXPECT_DOUBLE_EQ(g.dgpsAge, 3.5);
  EXPECT_EQ(g.dgpsStationId, 133);
  EXPECT_NEAR(NmeaAngleDegrees(g.latitudeDegrees, g.latitudeMinutes, g.latitudeHemisphere), -48.1173, 1e-12);
  EXPECT_NEAR(NmeaAngleDegrees(g.longitudeDegrees, g.longitudeMinutes, g.longitudeHemisphere), -11.516666666666667, 1e-12);
}

TEST_F(NmeaParserTest, EmptyFieldKeepsThePreviousValueAndClearsOnlyItsPresence) {
  Body("GPGGA,123519.25,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  Body("GPGGA,,4807.040,N,01131.002,E,1,07,1.0,546.0,M,46.9,M,,");
  const NmeaGgaRecord& g = store().gga();
  EXPECT_EQ(Presence(g), "01111111111100");
  EXPECT_EQ(g.utcHour, 12);
  EXPECT_EQ(g.utcMinute, 35);
  EXPECT_DOUBLE_EQ(g.utcSeconds, 19.25);
  EXPECT_DOUBLE_EQ(g.latitudeMinutes, 7.040);
  EXPECT_EQ(g.satellitesUsed, 7);
  // A later sentence cut short after the time: the rest is absent, values stay.
  Body("GPGGA,130000");
  EXPECT_EQ(Presence(g), "10000000000000");
  EXPECT_EQ(g.utcHour, 13);
  EXPECT_DOUBLE_EQ(g.utcSeconds, 0.0);
  EXPECT_DOUBLE_EQ(g.latitudeMinutes, 7.040);
}

TEST_F(NmeaParserTest, RmcLayout) {
  Body("GPRMC,225446.5,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E,A");
  const NmeaRmcRecord& r = store().rmc();
  EXPECT_EQ(Presence(r), "111111111");
  EXPECT_EQ(r.utcHour, 22);
  EXPECT_EQ(r.utcMinute, 54);
  EXPECT_DOUBLE_EQ(r.utcSeconds, 46.5);
  EXPECT_EQ(r.status, 'A');
  EXPECT_EQ(r.latitudeDegrees, 49);
  EXPECT_DOUBLE_EQ(r.latitudeMinutes, 16.45);
  EXPECT_EQ(r.latitudeHemisphere, 'N');
  EXPECT_EQ(r.longitudeDegrees, 123);
  EXPECT_DOUBLE_EQ(r.longitudeMinutes, 11.12);
  EXPECT_EQ(r.longitudeHemisphere, 'W');
  EXPECT_DOUBLE_EQ(r.speedKnots, 0.5);
  EXPECT_DOUBLE_EQ(r.courseDegrees, 54.7);
  EXPECT_EQ(r.date, 191194u);
  // An empty speed blanks only the speed.
  Body("GPRMC,225447,A,4916.45,N,12311.12,W,,054.7,050601");
  EXPECT_EQ(Presence(r), "111111011");
  EXPECT_DOUBLE_EQ(r.speedKnots, 0.5);
  EXPECT_EQ(r.date, 50601u);
}

TEST_F(NmeaParserTest, GllGsaVtgZdaMss) {
  Body("GNGLL,4916.45,N,12311.12,W,225444.125,A,D");
  const NmeaGllRecord& l = store().gll();
  EXPECT_EQ(Presence(l), "1111111");
  EXPECT_EQ(l.latitudeDegrees, 49);
  EXPECT_EQ(l.longitudeDegrees, 123);
  EXPECT_DOUBLE_EQ(l.utcSeconds, 44.125);
  EXPECT_EQ(l.status, 'A');
  EXPECT_EQ(l.modeIndicator, 'D');

  Body("GPGSA,A,3,04,05,,09,12,,,24,,,,193,2.5,1.3,2.1,1");
  const NmeaGsaRecord& a = store().gsa();
  EXPECT_EQ(Presence(a), "11110110010001111");
  EXPECT_EQ(a.operationMode, 'A');
  EXPECT_EQ(a.fixMode, 3);
  EXPECT_EQ(a.satellites[0], 4);
  EXPECT_EQ(a.satellites[7], 24);
  EXPECT_EQ(a.satellites[11], 193);
  EXPECT_DOUBLE_EQ(a.pdop, 2.5);
  EXPECT_DOUBLE_EQ(a.hdop, 1.3);
  EXPECT_DOUBLE_EQ(a.vdop, 2.1);

  Body("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A");
  const NmeaVtgRecord& v = store().vtg();
  EXPECT_EQ(Presence(v), "111111111");
  EXPECT_DOUBLE_EQ(v.trackTrue, 54.7);
  EXPECT_EQ(v.magneticIndicator, 'M');
  EXPECT_DOUBLE_EQ(v.speedKmh, 10.2);
  EXPECT_EQ(v.modeIndicator, 'A');

  Body("GPZDA,201530.00,04,07,2002,-05,30");
  const NmeaZdaRecord& z = store().zda();
  EXPECT_EQ(Presence(z), "111111");
  EXPECT_EQ(z.utcHour, 20);
  EXPECT_EQ(z.day, 4);
  EXPECT_EQ(z.month, 7);
  EXPECT_EQ(z.year, 2002);
  EXPECT_EQ(z.localZoneHours, -5);
  EXPECT_EQ(z.localZoneMinutes, 30);

  Body("GPMSS,55,27,318.0,100");
  const NmeaMssRecord& m = store().mss();
  EXPECT_EQ(Presence(m), "1111");
  EXPECT_DOUBLE_EQ(m.signalStrength, 55);
  EXPECT_DOUBLE_EQ(m.frequency, 318.0);
  EXPECT_DOUBLE_EQ(m.bitRate, 100);
}

TEST_F(NmeaParserTest, GsvSatellites) {
  Body("GPGSV,3,3,11,22,42,067,42,24,-02,123,,,,,,");
  const NmeaGsvRecord& g = store().gsv();
  EXPECT_EQ(Presence(g), "1111111111000000000");
  EXPECT_EQ(g.totalMessages, 3);
  EXPECT_EQ(g.messageNumber, 3);
  EXPECT_EQ(g.satellitesInView, 11);
  EXPECT_EQ(g.satellites[0].prn, 22);
  EXPECT_EQ(g.satellites[0].elevation, 42);
  EXPECT_EQ(g.satellites[0].azimuth, 67);
  EXPECT_EQ(g.satellites[0].snr, 42);
  EXPECT_EQ(g.satellites[1].prn, 24);
  EXPECT_EQ(g.satellites[1].elevation, -2);
}

TEST_F(NmeaParserTest, ProprietarySentences) {
  Body("PQTLG,900,3D,1");
  EXPECT_EQ(Presence(store().navStatus()), "11");
  EXPECT_STREQ(store().navStatus().navigationMode, "3D");
  EXPECT_EQ(store().navStatus().fixQuality, '1');

  Body("PQTLG,902,613-4521,2,C,P,1,A07,P,P,P,P,P,F");
  const NmeaSelfTestRecord& s = store().selfTest();
  EXPECT_EQ(Presence(s), "111111111111");
  EXPECT_STREQ(s.swPartNumber, "613-4521");
  EXPECT_EQ(s.swVariation, 2);
  EXPECT_EQ(s.swRevision, 'C');
  EXPECT_EQ(s.activeFaults, 1);
  EXPECT_STREQ(s.faultIdentifier, "A07");
  EXPECT_EQ(s.correlatorRf, 'F');

  Body("PQTLG,903,613-4522,17,P,P,F");
  EXPECT_EQ(Presence(store().radiobeacon()), "11111");
  EXPECT_EQ(store().radiobeacon().impulseNoiseCount, 17u);
  EXPECT_EQ(store().radiobeacon().batteryBackedRam, 'F');

  Body("PQTLG,906,31,U,D,Q,48251.0,11932.0,35.0,HOME,1,125.5,1520.250,-12.0,A");
  const NmeaToWaypointRecord& w = store().toWaypoint();
  EXPECT_EQ(Presence(w), "1111111111111");
  EXPECT_EQ(w.waypoint.zoneNumber, 31);
  EXPECT_EQ(w.waypoint.squareRow, 'Q');
  EXPECT_DOUBLE_EQ(w.waypoint.northing, 11932.0);
  EXPECT_STREQ(w.waypointName, "HOME");
  EXPECT_DOUBLE_EQ(w.distance, 1520.25);
  EXPECT_DOUBLE_EQ(w.deltaAltitude, -12.0);
  EXPECT_EQ(w.status, 'A');

  Body("PQTLG,907,31,U,D,Q,48251.0,11932.0,35.0,123519.00,A");
  const NmeaUserPositionRecord& u = store().userPosition();
  EXPECT_EQ(Presence(u), "111111111");
  EXPECT_DOUBLE_EQ(u.position.easting, 48251.0);
  EXPECT_EQ(u.utcHour, 12);
  EXPECT_EQ(u.status, 'A');

  Body("PQTLG,908,10,1,1,0,5.0,47,2,30,9600,4,2");
  const NmeaRxParamRecord& x = store().rxParam();
  EXPECT_EQ(Presence(x), "11111111111");
  EXPECT_DOUBLE_EQ(x.maskAngle, 5.0);
  EXPECT_EQ(x.datumNumber, 47);
  EXPECT_EQ(x.auxBaudRate, 9600u);
  EXPECT_EQ(x.utcTimeResolution, 2);
}

// Each bad field counts as empty: its presence byte is 0, its value is what it was, and the
// fields around it are read as usual.
TEST_F(NmeaParserTest, InvalidFieldsCountAsEmpty) {
  Body("GPGGA,010203.5,1234.5,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,1.0,0001");
  const NmeaGgaRecord& g = store().gga();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"GPGGA,24a203,1234.5,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,1.0,0001", "01111111111111"},
      {"GPGGA,246000,1234.5,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,1.0,0001", "01111111111111"},
      {"GPGGA,0102,1234.5,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,1.0,0001", "01111111111111"},
      {"GPGGA,010261,1234.5,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,1.0,0001", "01111111111111"},
      {"GPGGA,010203,1260.0,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,1.0,0001", "10111111111111"},
      {"GPGGA,010203,9100.0,N,18030.0,E,1,05,1.5,10.0,M,2.0,M,1.0,0001", "10101111111111"},
      {"GPGGA,010203,1234.5,E,01234.5,N,1,05,1.5,10.0,M,2.0,M,1.0,0001", "11010111111111"},
      {"GPGGA,010203,12x4.5,NN,01234.5.1,E,12,105,-1.5,1e3,M,2.0,M,1.0,10001", "10001000011110"},
      {"GPGGA,010203,1234.5,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,,12345678901234567890", "11111111111100"},
      {"GPGGA,010203,1234.5678901234567890123,N,01234.5,E,1,05,1.5,10.0,M,2.0,M,1.0,0001", "10111111111111"},
  };
  for (const auto& [body, presence] : cases) {
    Body(body);
    EXPECT_EQ(Presence(g), presence) << body;
  }
  EXPECT_EQ(g.utcHour, 1);
  EXPECT_EQ(g.utcMinute, 2);
  EXPECT_DOUBLE_EQ(g.utcSeconds, 3.0);
  EXPECT_EQ(g.latitudeDegrees, 12);
  EXPECT_DOUBLE_EQ(g.latitudeMinutes, 34.5);
  EXPECT_EQ(g.latitudeHemisphere, 'N');
  EXPECT_EQ(g.longitudeDegrees, 12);
  EXPECT_EQ(g.longitudeHemisphere, 'E');
  EXPECT_EQ(g.quality, 1);
  EXPECT_EQ(g.satellitesUsed, 5);
  EXPECT_DOUBLE_EQ(g.hdop, 1.5);
  EXPECT_DOUBLE_EQ(g.altitude, 10.0);
  EXPECT_EQ(g.dgpsStationId, 1);
}

TEST_F(NmeaParserTest, ControlBytesAndOverlongTextNeverReachARecord) {
  Body(std::string("GPRMC,010203,A,1234.5,N,01234.5,E,1.0,2.0,010203"));
  Body(std::string("GPRMC,01") + '\0' + "203,\x1b,1234.5,\x1b[2J,01234.5,E,1.0,2.0,010203");
  const NmeaRmcRecord& r = store().rmc();
  EXPECT_EQ(Presence(r), "001011111");
  EXPECT_EQ(r.status, 'A');
  EXPECT_EQ(r.latitudeHemisphere, 'N');

  Body("PQTLG,906,31,U,D,Q,1.0,2.0,3.0,NAME,1,1.0,2.0,3.0,A");
  Body("PQTLG,906,31,U,D,Q,1.0,2.0,3.0,A_WAYPOINT_NAME_TOO_LONG,1,1.0,2.0,3.0,A");
  const NmeaToWaypointRecord& w = store().toWaypoint();
  EXPECT_EQ(w.present[NmeaToWaypointRecord::kWaypointName], 0);
  EXPECT_STREQ(w.waypointName, "NAME");
  EXPECT_EQ(w.present[NmeaToWaypointRecord::kStatus], 1);
  Body("PQTLG,900,ABCD,1");
  EXPECT_FALSE(store().navStatus().has(NmeaNavStatusRecord::kNavigationMode));
  EXPECT_TRUE(store().navStatus().has(NmeaNavStatusRecord::kFixQuality));
}

TEST(NmeaDecimalTest, ConvertsToTheNearestDouble) {
  auto parse = [](const char* text, bool sign = true) {
    double v = -1;
    return nmea::ParseDecimal({text, static_cast<int>(std::strlen(text))}, sign, v) ? v : -12345.0;
  };
  EXPECT_EQ(parse("4134.49795459"), 4134.49795459);
  EXPECT_EQ(parse("0.1"), 0.1);
  EXPECT_EQ(parse("123456789012345.6"), 123456789012345.6);
  EXPECT_EQ(parse(".5"), 0.5);
  EXPECT_EQ(parse("7."), 7.0);
  EXPECT_EQ(parse("-31.442"), -31.442);
  EXPECT_EQ(parse("+2"), 2.0);
  EXPECT_EQ(parse("-1", false), -12345.0);
  for (const char* bad : {"", ".", "-", "1.2.3", "1e5", " 1", "0x10", "1,5", "12345678901234567890"}) {
    EXPECT_EQ(parse(bad), -12345.0) << bad;
  }
}

// Random texts over digits, points, signs and a stray letter, against the rule written out
// plainly: accepted when it is an optional sign, digits with at most one point, one to 19
// digits; then, up to 15 digits, the double strtod gives (one correctly rounded division).
TEST(NmeaDecimalTest, RandomTextsFollowTheRule) {
  std::mt19937 rng(4242);
  const std::string alphabet = "0123456789012345678901234567890123456789..-+x";
  for (int round = 0; round < 20000; ++round) {
    std::string text(rng() % 23, '0');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    const bool sign = rng() % 2 == 0;
    std::size_t at = sign && !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const std::string rest = text.substr(at);
    const auto digits = static_cast<std::size_t>(std::count_if(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }));
    const auto points = static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '.'));
    const bool valid = digits >= 1 && digits <= 19 && points <= 1 && digits + points == rest.size();
    double v = -7;
    ASSERT_EQ(nmea::ParseDecimal({text.data(), static_cast<int>(text.size())}, sign, v), valid) << text;
    if (!valid) {
      ASSERT_EQ(v, -7) << text;
    } else if (digits <= 15) {
      ASSERT_EQ(v, std::strtod(text.c_str(), nullptr)) << text;
    }
  }
}

// Every text of one to four characters over digits and their neighbours in the code table:
// accepted exactly when it is all digits and no longer than allowed, with its decimal value.
TEST(NmeaDecimalTest, UnsignedFieldsOfEveryShortShape) {
  const std::string alphabet = "0159/:a-";
  for (int n = 1; n <= 4; ++n) {
    int count = 1;
    for (int i = 0; i < n; ++i) count *= static_cast<int>(alphabet.size());
    for (int code = 0; code < count; ++code) {
      std::string text;
      for (int i = 0, c = code; i < n; ++i, c /= static_cast<int>(alphabet.size())) {
        text += alphabet[static_cast<std::size_t>(c) % alphabet.size()];
      }
      const bool digits = text.find_first_not_of("0123456789") == std::string::npos;
      for (int maxDigits : {2, 3, 4}) {
        uint32_t v = 77;
        const bool ok = nmea::ParseUnsigned({text.data(), n}, maxDigits, v);
        ASSERT_EQ(ok, digits && n <= maxDigits) << text << " max " << maxDigits;
        ASSERT_EQ(v, ok ? static_cast<uint32_t>(std::stoul(text)) : 77u) << text;
      }
    }
  }
}

// Random damage to valid sentences: whatever the bytes, decoding stays inside its buffers
// (the sanitizer build watches) and every presence byte is 0 or 1.
TEST_F(NmeaParserTest, DamagedSentencesNeverBreakTheDecoder) {
  const std::vector<std::string> bodies = {
      "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
      "GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E",
      "GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45",
      "GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1", "GPZDA,201530.00,04,07,2002,00,00",
      "PQTLG,906,31,U,D,Q,48251.0,11932.0,35.0,HOME,1,125.5,1520.250,-12.0,A",
      "PQTLG,902,613-4521,2,C,P,1,A07,P,P,P,P,P,F", "PQTLG,908,10,1,1,0,5.0,47,2,30,9600,4,2"};
  std::mt19937 rng(20240607);
  const char noise[] = {',', ',', '.', '-', '9', 'A', '\0', '\x1b', '\x7f', '\xff', ' '};
  for (int round = 0; round < 3000; ++round) {
    std::string body = bodies[rng() % bodies.size()];
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !body.empty(); ++e) {
      const std::size_t at = rng() % body.size();
      switch (rng() % 4) {
        case 0: body[at] = noise[rng() % sizeof noise]; break;
        case 1: body.erase(at, 1 + rng() % 8); break;
        case 2: body.insert(at, std::string(1 + rng() % 40, noise[rng() % sizeof noise])); break;
        default: body.resize(at); break;
      }
    }
    Body(body);
  }
  auto check = [](const auto& record) {
    for (uint8_t p : record.present) EXPECT_LE(p, 1);
  };
  check(store().gga());
  check(store().rmc());
  check(store().gsv());
  check(store().toWaypoint());
  EXPECT_LT(std::strlen(store().toWaypoint().waypointName), static_cast<std::size_t>(kNmeaTextSize));
  EXPECT_LT(std::strlen(store().selfTest().faultIdentifier), 4u);
  EXPECT_GT(decoder.counters().nmeaSentenceCount, 2000u);
}

}  // namespace
}  // namespace orv
