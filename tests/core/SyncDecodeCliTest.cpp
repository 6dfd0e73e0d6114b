// `orvantis-cli sync-decode` on logs written by make-sync-logs: the frames of both files in
// replay order, each with its source, and the measurement blocks in GPS-time order.
#include <gtest/gtest.h>

#include <sstream>

#include "support/Frames.h"
#include "support/RunCommand.h"

namespace orv {
namespace {

struct Block {
  std::string source;
  double time;
};

std::vector<Block> MeasurementOrder(const std::string& out) {
  std::vector<Block> blocks;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.find("\"id\":23,") == std::string::npos) continue;
    const std::size_t s = line.find("\"source\":\"") + 10;
    const std::size_t t = line.find("\"gpsSeconds\":") + 13;
    blocks.push_back({line.substr(s, line.find('"', s) - s), std::stod(line.substr(t))});
  }
  return blocks;
}

std::string MakeLogs(const std::string& options) {
  const std::string dir = test::TempDir();
  const auto r = test::RunCommand(test::ShellQuote(ORVANTIS_SYNC_LOGS_PATH) + " " + test::ShellQuote(dir) + " " + options);
  EXPECT_EQ(r.status, 0) << r.out;
  return dir;
}

std::string SyncDecode(const std::string& dir, const std::string& options, int* status = nullptr) {
  const auto r = test::RunCommand(test::ShellQuote(ORVANTIS_CLI_PATH) + " sync-decode " + test::ShellQuote(dir + "/base.log") +
                                  " " + test::ShellQuote(dir + "/rover.log") + " " + options);
  if (status != nullptr) *status = r.status;
  return r.out;
}

TEST(SyncDecodeCli, MergesBothFilesInGpsTimeOrderAcrossTheWeek) {
  const std::string dir = MakeLogs("--start 604795 --epochs 8 --base-offset 1");
  int status = -1;
  const std::vector<Block> blocks = MeasurementOrder(SyncDecode(dir, "--delay 2", &status));
  ASSERT_EQ(status, 0);
  ASSERT_GE(blocks.size(), 10u);
  EXPECT_EQ(blocks[0].source, "rover");
  double last = -1;
  int rover = 0;
  for (const Block& b : blocks) {
    double key = b.time + (b.source == "base" ? 2 : 0);
    if (key < 302400) key += 604800;
    EXPECT_GE(key, last) << b.source << " " << b.time;
    last = key;
    rover += b.source == "rover";
  }
  EXPECT_EQ(rover, 8);
}

TEST(SyncDecodeCli, AShortBaseEndsTheMergeAndBadInputIsRefused) {
  const std::string dir = MakeLogs("--start 1000 --epochs 10 --base-epochs 3");
  const std::vector<Block> blocks = MeasurementOrder(SyncDecode(dir, ""));
  ASSERT_FALSE(blocks.empty());
  EXPECT_LE(blocks.back().time, 1003.0);

  // A gap of two epochs in the rover file: the other epochs all come through.
  const std::string gap = MakeLogs("--start 1000 --epochs 8 --gap 3:2");
  int rover = 0;
  for (const Block& b : MeasurementOrder(SyncDecode(gap, ""))) rover += b.source == "rover";
  EXPECT_EQ(rover, 6);

  int status = 0;
  SyncDecode(dir, "--delay 12", &status);
  EXPECT_EQ(status, 2);
  const auto r = test::RunCommand(test::ShellQuote(ORVANTIS_CLI_PATH) + " sync-decode " +
                                  test::ShellQuote(dir + "/none.log") + " " + test::ShellQuote(dir + "/rover.log") + " 2>&1");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("One ore more files are invalid."), std::string::npos);
}

}  // namespace
}  // namespace orv
