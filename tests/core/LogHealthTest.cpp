// The health report of a log: gaps, repeated epochs, time going backwards and the frames and
// sentences that failed their checksums, each with its offset in the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/Frames.h"
#include "support/RunCommand.h"
#include "track/LogHealth.h"
#include "track/UtcTime.h"

namespace orv {
namespace {


// Message 20 at 2026-03-01 12:00:00 + `second`.
std::vector<uint8_t> NavLlh(int second, int mode = 2) {
  std::vector<uint8_t> p(71, 0);
  p[0] = static_cast<uint8_t>(12 + second / 3600);
  p[1] = static_cast<uint8_t>(second / 60 % 60);
  const double s = second % 60;
  std::memcpy(&p[2], &s, 8);
  p[10] = 1;
  p[11] = 3;
  p[12] = 2026 & 0xFF;
  p[13] = 2026 >> 8;
  const double lat = 0.8 + second * 1e-7, lon = 0.2;
  std::memcpy(&p[14], &lat, 8);
  std::memcpy(&p[22], &lon, 8);
  p[66] = static_cast<uint8_t>(mode);
  return test::Frame(20, p);
}

// Message 33 (satellite status), which carries no epoch: 61 bytes of satellites.
std::vector<uint8_t> SvStatus(int second) {
  std::vector<uint8_t> p(61, 0);
  p[0] = 12;
  for (std::size_t i = 1; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i * 7 + static_cast<std::size_t>(second));
  return test::Frame(33, p);
}

HealthReport Health(const std::vector<uint8_t>& log, int protocol = 1) {
  std::FILE* f = std::tmpfile();
  std::fwrite(log.data(), 1, log.size(), f);
  std::rewind(f);
  EpochOptions options;
  options.protocolSelector = protocol;
  HealthReport r = ReadLogHealth(f, options);
  std::fclose(f);
  return r;
}

struct Built {
  std::vector<uint8_t> log;
  std::vector<uint64_t> corrupted;  // offsets of the frames spoilt
  uint64_t afterGap = 0;            // offset of the first epoch after the gap
  uint64_t repeated = 0;            // offset of the repeated epoch
};

// 1 Hz for 120 s with a satellite status after each epoch. Optionally: epochs 41 to 69 left
// out (30 s from epoch 40 to 70), epoch 90 sent twice, and the status frames after epochs 10,
// 35 and 100 spoilt by one payload byte.
Built Make(bool faults) {
  Built b;
  for (int s = 0; s < 120; ++s) {
    if (faults && s > 40 && s < 70) continue;
    const int copies = faults && s == 90 ? 2 : 1;
    for (int c = 0; c < copies; ++c) {
      if (s == 70) b.afterGap = b.log.size();
      if (c == 1) b.repeated = b.log.size();
      const auto nav = NavLlh(s, s < 100 ? 2 : 4);
      b.log.insert(b.log.end(), nav.begin(), nav.end());
    }
    auto sv = SvStatus(s);
    if (faults && (s == 10 || s == 35 || s == 100)) {
      b.corrupted.push_back(b.log.size());
      sv[20] ^= 0x40;
    }
    b.log.insert(b.log.end(), sv.begin(), sv.end());
  }
  return b;
}

TEST(LogHealth, NamesExactlyTheGapTheRepeatedEpochAndTheCorruptedFrames) {
  const Built b = Make(true);
  const HealthReport r = Health(b.log);
  EXPECT_EQ(r.sourceMessage, 20);
  EXPECT_EQ(r.epochs, 120u - 29u + 1u);
  ASSERT_TRUE(r.intervalNs.has_value());
  EXPECT_EQ(*r.intervalNs, 1000000000);

  ASSERT_EQ(r.gapCount, 1u);
  ASSERT_EQ(r.gaps.size(), 1u);
  EXPECT_EQ(IsoUtc(r.gaps[0].startNs, true), "2026-03-01T12:00:40Z");
  EXPECT_EQ(r.gaps[0].lengthNs, 30 * kNsPerSecond);
  EXPECT_EQ(r.gaps[0].missing, 29u);
  EXPECT_EQ(r.gaps[0].offset, b.afterGap);

  ASSERT_EQ(r.repeatCount, 1u);
  EXPECT_EQ(IsoUtc(r.repeats[0].timeNs, true), "2026-03-01T12:01:30Z");
  EXPECT_EQ(r.repeats[0].offset, b.repeated);
  EXPECT_EQ(r.jumpCount, 0u);

  ASSERT_EQ(r.faultCount, 3u);
  ASSERT_EQ(b.corrupted.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(r.faults[i].offset, b.corrupted[i]) << i;
    EXPECT_EQ(r.faults[i].fault, DecodeObserver::Fault::kFrameChecksum);
  }
  EXPECT_EQ(r.counters.protocolErrorCount, 3u);
  // "Nav 3-D" before 12:01:40, "Diff. 3-D" after.
  EXPECT_EQ(r.modes.at(2), 100u - 29u + 1u);
  EXPECT_EQ(r.modes.at(4), 20u);

  const std::string text = HealthText(r, "x.log");
  EXPECT_NE(text.find("Gaps:                   1\n  after 2026-03-01T12:00:40Z: 30 s, 29 epochs missing (offset " +
                      std::to_string(b.afterGap) + ")\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Checksum and protocol errors: 3\n  offset " + std::to_string(b.corrupted[0]) +
                      ": frame checksum\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  Nav 3-D                      72   78.3 %\n"), std::string::npos) << text;
  const std::string json = HealthJson(r);
  EXPECT_NE(json.find("\"gaps\":[{\"start\":\"2026-03-01T12:00:40Z\",\"lengthSeconds\":30,\"missing\":29,"
                      "\"offset\":" + std::to_string(b.afterGap) + "}]"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"repeats\":[{\"time\":\"2026-03-01T12:01:30Z\",\"offset\":" + std::to_string(b.repeated) +
                      "}]"),
            std::string::npos)
      << json;
}

TEST(LogHealth, ACleanLogReportsNone) {
  const HealthReport r = Health(Make(false).log);
  EXPECT_EQ(r.epochs, 120u);
  EXPECT_EQ(r.gapCount, 0u);
  EXPECT_EQ(r.repeatCount, 0u);
  EXPECT_EQ(r.jumpCount, 0u);
  EXPECT_EQ(r.faultCount, 0u);
  EXPECT_TRUE(r.gaps.empty() && r.repeats.empty() && r.faults.empty());
  EXPECT_EQ(IsoUtc(r.lastNs, true), "2026-03-01T12:01:59Z");
}

TEST(LogHealth, NmeaTimeGoingBackAndABadChecksumWithItsOffset) {
  std::string log;
  log += test::Sentence("GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  log += test::Sentence("GPRMC,120000.00,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
  log += test::Sentence("GNGGA,120001.00,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,,");
  const std::size_t bad = log.size();
  std::string spoilt = test::Sentence("GPGGA,120002.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  spoilt[10] = '9';
  log += spoilt;
  const std::size_t back = log.size();
  log += test::Sentence("GPGGA,115959.00,4807.038,N,01131.000,E,0,00,,,M,,M,,");
  const HealthReport r = Health(std::vector<uint8_t>(log.begin(), log.end()), 0);
  EXPECT_EQ(r.epochs, 3u);
  EXPECT_EQ(r.epochsWithPosition, 2u);
  ASSERT_EQ(r.faultCount, 1u);
  EXPECT_EQ(r.faults[0].offset, bad);
  EXPECT_EQ(r.faults[0].fault, DecodeObserver::Fault::kSentenceChecksum);
  ASSERT_EQ(r.jumpCount, 1u);
  EXPECT_EQ(IsoUtc(r.jumps[0].fromNs, true), "1994-03-23T12:00:01Z");
  EXPECT_EQ(IsoUtc(r.jumps[0].toNs, true), "1994-03-23T11:59:59Z");
  EXPECT_EQ(r.jumps[0].offset, back);
  EXPECT_EQ(r.modes.at(0), 1u);
  EXPECT_EQ(r.modes.at(1), 1u);
  EXPECT_EQ(r.modes.at(2), 1u);
}

// The command line gives the same report, as text and as JSON.
TEST(LogHealth, StatsHealthOnTheCommandLine) {
  const Built b = Make(true);
  const std::string path = test::TempDir() + "/faults.log";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(b.log.data(), 1, b.log.size(), f);
  std::fclose(f);
  const auto text = test::RunCommand(std::string(ORVANTIS_CLI_PATH) + " stats --health " + test::ShellQuote(path));
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("Repeated epochs:        1\n  2026-03-01T12:01:30Z (offset " +
                          std::to_string(b.repeated) + ")\n"),
            std::string::npos)
      << text.out;
  const auto json =
      test::RunCommand(std::string(ORVANTIS_CLI_PATH) + " stats --health --json " + test::ShellQuote(path));
  EXPECT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"errorCount\":3,\"errors\":[{\"offset\":" + std::to_string(b.corrupted[0]) +
                          ",\"kind\":\"frame checksum\"}"),
            std::string::npos)
      << json.out;
}

}  // namespace
}  // namespace orv
