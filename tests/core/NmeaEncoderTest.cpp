// The sentences the console sends: framing and checksum, the one-shot query, the continuous
// request and the echo to the raw display.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "nmea/NmeaEncoder.h"
#include "support/RecordingChannel.h"

namespace orv {
namespace {

class NmeaEncoderTest : public ::testing::Test {
 protected:
  std::string Last() const {
    return port.sent.empty() ? std::string() : std::string(port.sent.back().begin(), port.sent.back().end());
  }
  // The whole sentence for a body, with the checksum worked out here.
  static std::string Framed(const std::string& body) {
    unsigned x = 0;
    for (char c : body) x ^= static_cast<unsigned char>(c);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", x);
    return "$" + body + "*" + digits + "\r\n";
  }

  test::RecordingChannel port;
  NmeaEncoder encoder{&port};
};

TEST_F(NmeaEncoderTest, OneShotQuery) {
  ASSERT_TRUE(encoder.SendQuery("GGA"));
  EXPECT_EQ(Last(), Framed("PQTLG,004,GGA"));
  ASSERT_TRUE(encoder.SendQuery("902"));
  EXPECT_EQ(Last(), Framed("PQTLG,004,902"));
  for (const char* bad : {"", "GG", "GGAA", "gga", "G*A", "G,A"}) EXPECT_FALSE(encoder.SendQuery(bad)) << bad;
  EXPECT_EQ(port.sent.size(), 2u);
}

TEST_F(NmeaEncoderTest, AddressOfEveryKind) {
  for (int kind = 0; kind <= 10; ++kind) {
    char body[32];
    std::snprintf(body, sizeof body, "PQTLG,%03d,X", kind);
    ASSERT_TRUE(encoder.SendSentence(kind, ",X")) << kind;
    EXPECT_EQ(Last(), Framed(body));
  }
  ASSERT_TRUE(encoder.SendSentence(kNmeaBeaconConfiguration, ",318.0,100"));
  EXPECT_EQ(Last(), Framed("GPMSK,318.0,100"));
  ASSERT_TRUE(encoder.SendSelfTest());
  EXPECT_EQ(Last(), Framed("PQTLG,003"));
  EXPECT_FALSE(encoder.SendSentence(12, ",X"));
  EXPECT_FALSE(encoder.SendSentence(-1, ",X"));
  EXPECT_EQ(port.sent.size(), 13u);
}

TEST_F(NmeaEncoderTest, ChecksumIsTwoUpperCaseDigits) {
  // "PQTLG,007" XORs to 0x45; ",h" brings it to 0x01 and ",3" to 0x5A.
  ASSERT_TRUE(encoder.SendSentence(kNmeaClearNvm, ""));
  EXPECT_EQ(Last(), "$PQTLG,007*45\r\n");
  ASSERT_TRUE(encoder.SendSentence(kNmeaClearNvm, ",h"));
  EXPECT_EQ(Last(), "$PQTLG,007,h*01\r\n");
  ASSERT_TRUE(encoder.SendSentence(kNmeaClearNvm, ",3"));
  EXPECT_EQ(Last(), "$PQTLG,007,3*5A\r\n");
  ASSERT_TRUE(encoder.SendQuery("GGA"));
  EXPECT_EQ(Last(), "$PQTLG,004,GGA*2B\r\n");
}

TEST_F(NmeaEncoderTest, DataThatWouldBreakTheSentenceIsRefused) {
  const std::vector<std::string> refused = {",A*B", ",$GPGGA", ",A\r\n", std::string(",A\0B", 4)};
  for (const std::string& bad : refused) {
    EXPECT_FALSE(encoder.SendSentence(kNmeaWaypointDefinition, bad));
  }
  EXPECT_FALSE(encoder.SendSentence(kNmeaWaypointDefinition, std::string(NmeaEncoder::kBufferSize, 'A')));
  EXPECT_FALSE(encoder.SendSentence(kNmeaWaypointDefinition, nullptr, 4));
  EXPECT_TRUE(port.sent.empty());
  // The longest data that fits: '$', nine characters of address, '*', two digits, CR LF.
  EXPECT_TRUE(encoder.SendSentence(kNmeaWaypointDefinition, std::string(NmeaEncoder::kBufferSize - 15, 'A')));
  EXPECT_EQ(port.sent.back().size(), static_cast<std::size_t>(NmeaEncoder::kBufferSize));
}

TEST_F(NmeaEncoderTest, ContinuousRequestInterval) {
  const NmeaRateEntry gga[] = {{"GGA", 1}};
  ASSERT_TRUE(encoder.SendContinuousRequest(1500, gga));
  EXPECT_EQ(Last(), Framed("PQTLG,005,1.5,GGA,001"));
  ASSERT_TRUE(encoder.SendContinuousRequest(std::nullopt, gga));
  EXPECT_EQ(Last(), Framed("PQTLG,005,,GGA,001"));
  // Whole seconds and tenths.
  const std::vector<std::pair<uint32_t, std::string>> intervals = {
      {0, "0.0"}, {1000, "1.0"}, {2250, "2.2"}, {1100, "1.1"}, {1050, "1.0"}, {999999, "999.9"}};
  for (const auto& [ms, text] : intervals) {
    ASSERT_TRUE(encoder.SendContinuousRequest(ms, gga));
    EXPECT_EQ(Last(), Framed("PQTLG,005," + text + ",GGA,001")) << ms;
  }
}

TEST_F(NmeaEncoderTest, ContinuousRequestEntries) {
  const NmeaRateEntry mixed[] = {{"RMC", 0}, {"900", 25}, {"ZDA", 999}, {"GSV", 1000}};
  ASSERT_TRUE(encoder.SendContinuousRequest(std::nullopt, mixed));
  EXPECT_EQ(Last(), Framed("PQTLG,005,,RMC,000,900,025,ZDA,999,GSV,999"));
  // The list stops at the first empty entry.
  const NmeaRateEntry gap[] = {{"GGA", 1}, {"", 5}, {"RMC", 1}};
  ASSERT_TRUE(encoder.SendContinuousRequest(std::nullopt, gap));
  EXPECT_EQ(Last(), Framed("PQTLG,005,,GGA,001"));
  // At most ten entries are sent.
  std::vector<NmeaRateEntry> many(12, NmeaRateEntry{"GSA", 2});
  ASSERT_TRUE(encoder.SendContinuousRequest(std::nullopt, many));
  std::string expected = "PQTLG,005,";
  for (int i = 0; i < 10; ++i) expected += ",GSA,002";
  EXPECT_EQ(Last(), Framed(expected));
  // No entry at all still sends the interval.
  ASSERT_TRUE(encoder.SendContinuousRequest(2000, {}));
  EXPECT_EQ(Last(), Framed("PQTLG,005,2.0"));
  const NmeaRateEntry bad[] = {{"GGA", 1}, {"G,A", 1}};
  EXPECT_FALSE(encoder.SendContinuousRequest(std::nullopt, bad));
}

TEST_F(NmeaEncoderTest, EchoToTheRawDisplayWhileAttached) {
  test::RecordingRawDisplay display;
  EXPECT_FALSE(encoder.showTransmitted());
  encoder.SendQuery("RMC");
  encoder.AttachRawDisplay(&display);
  EXPECT_TRUE(encoder.showTransmitted());
  encoder.SendQuery("GGA");
  ASSERT_EQ(display.transmitted.size(), 1u);
  EXPECT_EQ(display.transmitted[0], port.sent.back());
  EXPECT_TRUE(display.received.empty());
  encoder.AttachRawDisplay(nullptr);
  encoder.SendQuery("GSA");
  EXPECT_EQ(display.transmitted.size(), 1u);
  // Without a port the display still sees what would have been sent.
  encoder.SetPort(nullptr);
  encoder.AttachRawDisplay(&display);
  EXPECT_TRUE(encoder.SendQuery("VTG"));
  EXPECT_EQ(display.transmitted.size(), 2u);
  EXPECT_EQ(port.sent.size(), 3u);
}

}  // namespace
}  // namespace orv
