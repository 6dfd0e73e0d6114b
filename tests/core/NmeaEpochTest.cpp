// NMEA epochs: the GGA and RMC of one time make one epoch whatever their order and talker, the
// GGA position stands over the RMC one, a date learned once carries across midnight, and a
// sentence repeated for the same time makes a second epoch.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/Frames.h"
#include "track/EpochReader.h"
#include "track/UtcTime.h"

namespace orv {
namespace {

struct Seen {
  Epoch epoch;
  uint64_t offset;
};

class Recorder : public EpochSink {
 public:
  void OnEpoch(const Epoch& e, uint64_t offset) override { seen.push_back({e, offset}); }
  std::vector<Seen> seen;
};

std::vector<Seen> Epochs(const std::string& log) {
  std::FILE* f = std::tmpfile();
  std::fwrite(log.data(), 1, log.size(), f);
  std::rewind(f);
  Recorder r;
  EpochOptions options;
  options.protocolSelector = 0;
  ReadLogEpochs(f, options, r);
  std::fclose(f);
  return r.seen;
}

TEST(NmeaEpochs, GgaAndRmcOfOneTimeMergeInEitherOrderAndFromAnyTalker) {
  std::string log;
  log += test::Sentence("GNRMC,235959.50,A,4807.0380,N,01131.0000,E,010.0,090.0,311299,,,A");
  log += test::Sentence("GNGGA,235959.50,4807.0390,N,01131.0010,E,4,12,0.7,545.4,M,46.9,M,,");
  log += test::Sentence("GPGSA,A,3,01,02,03,,,,,,,,,,1.5,0.7,1.2");
  log += test::Sentence("GLGGA,000000.50,3300.0000,S,07000.0000,W,2,09,1.1,12.0,M,0.0,M,,");
  log += test::Sentence("GPZDA,000001.50,01,01,2000,00,00");
  log += test::Sentence("GPGGA,000001.50,3300.0000,S,07000.0000,W,0,00,,,M,,M,,");
  log += test::Sentence("GPRMC,000001.50,A,3300.0000,S,07000.0000,W,000.0,000.0,010100,,,A");
  const auto seen = Epochs(log);
  ASSERT_EQ(seen.size(), 3u);
  const Epoch& a = seen[0].epoch;
  EXPECT_EQ(seen[0].offset, 0u);  // the epoch starts at its first sentence, the RMC
  EXPECT_EQ(IsoUtc(a.timeNs, a.hasDate), "1999-12-31T23:59:59.5Z");
  EXPECT_TRUE(a.positionValid);
  EXPECT_NEAR(a.latitude, 48 + 7.039 / 60, 1e-12);  // the GGA's position, not the RMC's
  EXPECT_NEAR(a.longitude, 11 + 31.001 / 60, 1e-12);
  EXPECT_EQ(a.mode, 4);
  EXPECT_EQ(a.satellites, 12);
  EXPECT_DOUBLE_EQ(*a.speed, 10.0 * 1852 / 3600);
  EXPECT_DOUBLE_EQ(*a.course, 90.0);
  // Past midnight, with no RMC of its own, the epoch takes the next day.
  const Epoch& b = seen[1].epoch;
  EXPECT_EQ(IsoUtc(b.timeNs, b.hasDate), "2000-01-01T00:00:00.5Z");
  EXPECT_NEAR(b.latitude, -33.0, 1e-12);
  EXPECT_NEAR(b.longitude, -70.0, 1e-12);
  EXPECT_FALSE(b.speed.has_value());
  // A GGA without a fix stands for its epoch even when the RMC says A.
  const Epoch& c = seen[2].epoch;
  EXPECT_EQ(IsoUtc(c.timeNs, c.hasDate), "2000-01-01T00:00:01.5Z");
  EXPECT_FALSE(c.positionValid);
  EXPECT_EQ(c.mode, 0);
}

// Epochs before the first date wait for it (here across midnight, so they take the day
// before); a log without any date leaves them undated, in their order.
TEST(NmeaEpochs, ARepeatedSentenceMakesASecondEpochAndEarlyEpochsTakeTheFirstDate) {
  const std::string gga = test::Sentence("GPGGA,235959.00,0100.0000,N,00200.0000,E,1,05,1.0,10.0,M,0.0,M,,");
  std::string log = gga + gga;
  log += test::Sentence("GPRMC,000000.00,V,,,,,,,150615,,,N");
  auto seen = Epochs(log);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(IsoUtc(seen[0].epoch.timeNs, seen[0].epoch.hasDate), "2015-06-14T23:59:59Z");
  EXPECT_EQ(seen[1].epoch.timeNs, seen[0].epoch.timeNs);
  EXPECT_EQ(seen[1].offset, gga.size());  // the second GGA
  EXPECT_EQ(IsoUtc(seen[2].epoch.timeNs, seen[2].epoch.hasDate), "2015-06-15T00:00:00Z");
  EXPECT_FALSE(seen[2].epoch.positionValid);  // RMC V without a GGA

  std::string undated;
  for (int i = 0; i < 300; ++i) {
    undated += test::Sentence("GPGGA,10" + std::to_string(1000 + i).substr(1) +
                              ".0,0100.0000,N,00200.0000,E,1,05,1.0,10.0,M,0.0,M,,");
  }
  seen = Epochs(undated);
  ASSERT_EQ(seen.size(), 300u);
  for (std::size_t i = 1; i < seen.size(); ++i) {
    EXPECT_FALSE(seen[i].epoch.hasDate);
    EXPECT_GT(seen[i].offset, seen[i - 1].offset);
  }
}

// Manual-input and simulator GGA positions (quality 7, 8) are not fixes; an impossible
// latitude is no position either.
TEST(NmeaEpochs, ManualSimulatedAndImpossiblePositionsAreNotValid) {
  std::string log;
  log += test::Sentence("GPGGA,000001,4807.038,N,01131.000,E,7,00,,,M,,M,,");
  log += test::Sentence("GPGGA,000002,4807.038,N,01131.000,E,8,09,2.0,695.7,M,51.6,M,,");
  log += test::Sentence("GPGGA,000003,9107.038,N,01131.000,E,1,09,2.0,695.7,M,51.6,M,,");
  log += test::Sentence("GPGGA,000004,4807.038,N,01131.000,E,6,09,2.0,695.7,M,51.6,M,,");
  const auto seen = Epochs(log);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_FALSE(seen[0].epoch.positionValid);
  EXPECT_FALSE(seen[1].epoch.positionValid);
  EXPECT_FALSE(seen[2].epoch.positionValid);
  EXPECT_TRUE(seen[3].epoch.positionValid);  // estimated (dead reckoning) is kept
}

}  // namespace
}  // namespace orv
