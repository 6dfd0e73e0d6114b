// Splitting a recording at the hours of the receiver's clock: times read from frames and
// sentences, file names, and cuts that fall between frames however the blocks are cut.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "logging/HourSplitter.h"
#include "nmea/ReceiverDecoder.h"
#include "support/Frames.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Xyz(double gpsSeconds) {
  std::vector<uint8_t> p(79, 0);
  const uint16_t week = static_cast<uint16_t>(gpsSeconds / 604800);
  WriteLe<double>(p, 0, gpsSeconds - week * 604800.0);
  WriteLe<uint16_t>(p, 8, week);
  return test::Frame(21, p);
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SplitDir {
  SplitDir() : path(fs::temp_directory_path() / ("orv-split-" + std::to_string(::getpid()))) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~SplitDir() { fs::remove_all(path); }
  fs::path path;
};

TEST(HourSplitter, TimesAndNames) {
  const std::optional<StreamTime> xyz = [] {
    const auto f = Xyz(1400 * 604800.0 + 3599.5);
    return FrameTime(f.data(), static_cast<int>(f.size()));
  }();
  ASSERT_TRUE(xyz);
  EXPECT_EQ(xyz->rank, 2);
  EXPECT_DOUBLE_EQ(xyz->seconds, 1400 * 604800.0 + 3599.5);
  EXPECT_EQ(SplitFileName("runs/day.log", xyz->seconds), "runs/day_20061105_00.log");
  EXPECT_EQ(SplitFileName("runs/day.log", 1400 * 604800.0 + 3600), "runs/day_20061105_01.log");
  EXPECT_EQ(SplitFileName("runs.d/day", 0), "runs.d/day_19800106_00");

  const char rmc[] = "$GPRMC,235959.50,A,4517.653,N,07324.818,W,0.5,90.0,311226,,*1A";
  const std::optional<StreamTime> t = SentenceTime(rmc, static_cast<int>(sizeof rmc - 1));
  ASSERT_TRUE(t);
  EXPECT_EQ(t->rank, 1);
  EXPECT_EQ(SplitFileName("a.log", t->seconds), "a_20261231_23.log");
  const char zda[] = "$GPZDA,000001.00,01,01,2027,00,00*4F";
  const std::optional<StreamTime> z = SentenceTime(zda, static_cast<int>(sizeof zda - 1));
  ASSERT_TRUE(z);
  EXPECT_NEAR(z->seconds - t->seconds, 1.5, 1e-9);
  // Damaged fields give no time.
  const char bad[] = "$GPRMC,2359,A,,,,,,,311226,,*00";
  EXPECT_FALSE(SentenceTime(bad, static_cast<int>(sizeof bad - 1)));
  const auto shortFrame = test::Frame(21, {1, 2, 3});
  EXPECT_FALSE(FrameTime(shortFrame.data(), static_cast<int>(shortFrame.size())));
}

// Whatever block sizes the port delivers, the second file starts with the first frame of the
// new hour, and together the files hold the stream.
TEST(HourSplitter, TheCutFallsBetweenFramesForEveryBlockSize) {
  SplitDir dir;
  const double hour = 1400 * 604800.0 + 3600;
  std::vector<uint8_t> stream = test::Hex("55 AA");  // noise before the first time
  std::size_t firstAfter = 0;
  for (int s = -3; s <= 2; ++s) {
    if (s == 0) firstAfter = stream.size();
    const auto x = Xyz(hour + s);
    stream.insert(stream.end(), x.begin(), x.end());
    const auto other = test::Frame(23, std::vector<uint8_t>(40, static_cast<uint8_t>(s + 10)));
    stream.insert(stream.end(), other.begin(), other.end());
  }
  for (std::size_t block : {1u, 7u, 85u, 200u, 4096u}) {
    const std::string path = (dir.path / ("b" + std::to_string(block) + ".log")).string();
    TimedRecorder recorder;
    recorder.Configure(0, 0, false);
    HourSplitter splitter(recorder, path, 1);
    ReceiverDecoder decoder;
    decoder.AttachLogWriter(&splitter);
    decoder.SetObserver(&splitter);
    ASSERT_TRUE(splitter.Start());
    for (std::size_t i = 0; i < stream.size(); i += block) {
      std::vector<uint8_t> part(stream.begin() + i, stream.begin() + std::min(stream.size(), i + block));
      const uint32_t n = static_cast<uint32_t>(part.size());
      part.push_back(0);
      decoder.Decode(part.data(), n);
    }
    ASSERT_TRUE(splitter.Finish());
    ASSERT_EQ(splitter.files().size(), 2u) << block;
    const std::vector<uint8_t> a = ReadAll(splitter.files()[0]), b = ReadAll(splitter.files()[1]);
    EXPECT_EQ(a, std::vector<uint8_t>(stream.begin(), stream.begin() + firstAfter)) << block;
    EXPECT_EQ(b, std::vector<uint8_t>(stream.begin() + firstAfter, stream.end())) << block;
    EXPECT_EQ(splitter.files()[1], SplitFileName(path, hour));
  }
}

TEST(HourSplitter, WithoutTimesTheRecordingKeepsItsOwnNameAndTheGateStillHolds) {
  SplitDir dir;
  const std::string path = (dir.path / "plain.log").string();
  TimedRecorder recorder;
  recorder.Configure(1, 5, true);  // one second of delay first
  HourSplitter splitter(recorder, path, 2);
  ReceiverDecoder decoder;
  decoder.AttachLogWriter(&splitter);
  decoder.SetObserver(&splitter);
  ASSERT_TRUE(splitter.Start());
  auto frame = test::Frame(20, {1, 2, 3});
  frame.push_back(0);
  decoder.Decode(frame.data(), static_cast<uint32_t>(frame.size() - 1));  // gate shut: not kept
  recorder.Step();
  recorder.Step();
  decoder.Decode(frame.data(), static_cast<uint32_t>(frame.size() - 1));
  ASSERT_TRUE(splitter.Finish());
  ASSERT_EQ(splitter.files(), std::vector<std::string>{path});
  EXPECT_EQ(ReadAll(path), test::Frame(20, {1, 2, 3}));
}

}  // namespace
}  // namespace orv
