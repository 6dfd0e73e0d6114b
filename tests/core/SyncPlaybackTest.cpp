// Synchronized base/rover playback: the order in which the measurement blocks of the two files
// reach their decoders, the trigger gate, the end of either file, Loop On and the stop.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "logging/SyncPlayback.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

struct Arrival {
  bool base;
  double time;
};

// Notes every measurement block a decoder takes, in the order both decoders take them.
class ArrivalLog : public DecodeObserver {
 public:
  ArrivalLog(std::vector<Arrival>& out, bool base) : out_(out), base_(base) {}
  void OnFrame(uint64_t, const uint8_t* frame, int length) override {
    if ((frame[1] & 0x7F) != 23 || length < 4 + 11) return;
    double t = 0;
    std::memcpy(&t, frame + 4 + 3, sizeof t);
    out_.push_back({base_, t});
  }
  void OnSentence(uint64_t, const char*, int, int) override {}

 private:
  std::vector<Arrival>& out_;
  bool base_;
};

// One epoch: a navigation solution (its UTC seconds carry the epoch's time) and then the
// measurement block.
std::vector<uint8_t> Scene(const std::vector<double>& times) {
  std::vector<uint8_t> log = test::Hex("55 AA 30");
  for (double t : times) {
    std::vector<uint8_t> nav(71, 0);
    WriteLe(std::span<uint8_t>(nav), 2, t);
    std::vector<uint8_t> meas(11, 0);
    WriteLe(std::span<uint8_t>(meas), 3, t);
    for (const auto& f : {test::Frame(20, nav), test::Frame(23, meas)}) log.insert(log.end(), f.begin(), f.end());
  }
  return log;
}

class SyncPlaybackTest : public ::testing::Test {
 protected:
  SyncPlaybackTest() {
    main.SetObserver(&mainLog);
    second.SetObserver(&baseLog);
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  bool Start(const std::vector<double>& user, const std::vector<double>& base, SyncPlaybackSettings s = {}) {
    return sync.Start(Write("user.log", Scene(user)), Write("base.log", Scene(base)), s, &desk);
  }
  // Steps until the run ends; the number of events it took.
  int RunToEnd(uint32_t bytesPerTick, int limit = 200000) {
    int events = 0;
    while (events < limit && sync.Step(bytesPerTick)) ++events;
    return events;
  }
  static std::vector<double> Seconds(double first, int n) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) {
      double t = first + i;
      if (t >= kSecondsPerWeek) t -= kSecondsPerWeek;
      v.push_back(t);
    }
    return v;
  }
  // Times on one line across the week boundary, the base shifted by the delay.
  std::vector<double> Keys(int delay) const {
    std::vector<double> keys;
    for (const Arrival& a : arrivals) {
      double t = a.time + (a.base ? delay : 0);
      if (t < kSecondsPerWeek / 2 && arrivals.front().time > kSecondsPerWeek / 2) t += kSecondsPerWeek;
      keys.push_back(t);
    }
    return keys;
  }

  std::string dir = test::TempDir();
  test::FakeDesktop desk;
  MessageDecoder main;
  MessageDecoder second;
  LogFile userReader{&main};
  LogFile baseReader{&second};
  SyncPlayback sync{userReader, baseReader, main, second};
  std::vector<Arrival> arrivals;
  ArrivalLog mainLog{arrivals, false};
  ArrivalLog baseLog{arrivals, true};
};

TEST_F(SyncPlaybackTest, AlignResumesTheSideBehindAndTheUserOnATie) {
  struct Case {
    double user, base;
    int32_t delay;
    bool userResumed;
  };
  for (const Case c : {Case{100.0, 100.0, 0, true}, Case{101.0, 100.0, 0, false}, Case{101.0, 100.0, 2, true},
                       Case{0.5, 604799.5, 0, false}, Case{604799.5, 0.5, 0, true}}) {
    SyncPlaybackSettings s;
    s.delaySeconds = c.delay;
    ASSERT_TRUE(Start({c.user, c.user + 1}, {c.base, c.base + 1}, s));
    // Each decoder holding one measurement block.
    for (auto [decoder, t] : {std::pair{&main, c.user}, std::pair{&second, c.base}}) {
      decoder->Resume();
      std::vector<uint8_t> meas(11, 0);
      WriteLe(std::span<uint8_t>(meas), 3, t);
      std::vector<uint8_t> f = test::Frame(23, meas);
      f.push_back(0);
      decoder->Decode(f.data(), static_cast<uint32_t>(f.size() - 1));
    }
    sync.AlignOnGpsTime();
    // The resumed side has given up its measurement block; the other still holds its own.
    EXPECT_EQ(!main.measurementSeen(), c.userResumed) << c.user << " " << c.base << " " << c.delay;
    EXPECT_EQ(!second.measurementSeen(), !c.userResumed) << c.user << " " << c.base << " " << c.delay;
    sync.Stop();
  }
}

TEST_F(SyncPlaybackTest, BlocksReachTheDecodersInGpsTimeOrderAtAnyRate) {
  struct Case {
    double userFirst, baseFirst;
    int32_t delay;
  };
  for (uint32_t rate : {1u, 1000u}) {
    for (const Case c : {Case{100, 100, 0}, Case{100, 98, 2}, Case{604796.5, 604796.5, 0}, Case{604797.5, 604795.5, 1}}) {
      arrivals.clear();
      SyncPlaybackSettings s;
      s.delaySeconds = c.delay;
      ASSERT_TRUE(Start(Seconds(c.userFirst, 8), Seconds(c.baseFirst, 8), s));
      RunToEnd(rate);
      sync.Stop();
      const std::vector<double> keys = Keys(c.delay);
      int user = 0, base = 0;
      for (const Arrival& a : arrivals) (a.base ? base : user) += 1;
      // A block ending exactly at the end of a read does not end the run: every block of the
      // user file gets through (the user file ends the run), the base to the last but one.
      EXPECT_EQ(user, 8) << rate << " " << c.userFirst;
      EXPECT_GE(base, 7) << rate << " " << c.userFirst;
      for (std::size_t i = 1; i < keys.size(); ++i) {
        EXPECT_LE(keys[i - 1], keys[i]) << "rate " << rate << " first " << c.userFirst << " at " << i;
      }
    }
  }
}

TEST_F(SyncPlaybackTest, WithoutTriggerBothGatesOpenAtStart) {
  main.SetTimeGateOpen(0);
  second.SetTimeGateOpen(0);
  ASSERT_TRUE(Start({100, 101}, {100, 101}));
  EXPECT_EQ(main.flags().timeGateOpen, 1u);
  EXPECT_EQ(second.flags().timeGateOpen, 1u);
  EXPECT_TRUE(main.flags().stopAfterMeasurement == 1 && second.flags().baseFileFlag == 1);
  sync.Step(1000);
  EXPECT_FALSE(sync.alignmentDone());
  EXPECT_DOUBLE_EQ(main.store().navLlh().utcSeconds(), 100.0);
}

TEST_F(SyncPlaybackTest, TriggerHoldsEverythingBackUntilTheUserFileReachesIt) {
  for (const auto& [first, trigger] : {std::pair{100.0, 103.0}, std::pair{604798.0, 1.0}}) {
    SyncPlaybackSettings s;
    s.triggerTime = trigger;
    ASSERT_TRUE(Start(Seconds(first, 8), Seconds(first, 8), s));
    const double before = main.store().navLlh().utcSeconds();
    EXPECT_EQ(main.flags().timeGateOpen, 0u);
    EXPECT_EQ(second.flags().timeGateOpen, 0u);
    while (!sync.alignmentDone()) {
      ASSERT_TRUE(sync.Step(1));
      // Nothing but the measurement blocks is stored before the trigger.
      if (!sync.alignmentDone()) {
        EXPECT_DOUBLE_EQ(main.store().navLlh().utcSeconds(), before) << first;
      }
    }
    EXPECT_DOUBLE_EQ(main.LastMeasurementGpsTime(), trigger);
    EXPECT_EQ(main.flags().timeGateOpen, 1u);
    EXPECT_EQ(second.flags().timeGateOpen, 1u);
    RunToEnd(1);
    EXPECT_TRUE(sync.alignmentDone());
    sync.Stop();
  }
}

TEST_F(SyncPlaybackTest, AShorterBaseFileEndsTheRunAndLeavesBothDecodersReading) {
  ASSERT_TRUE(Start(Seconds(100, 10), Seconds(100, 3)));
  RunToEnd(1000);
  double lastUser = 0;
  for (const Arrival& a : arrivals) {
    if (!a.base) lastUser = a.time;
  }
  EXPECT_LE(lastUser, 103.0);
  for (const MessageDecoder* d : {&main, &second}) {
    EXPECT_EQ(d->flags().stopAfterMeasurement, 0u);
    EXPECT_TRUE(d->readyForInput());
    EXPECT_FALSE(d->measurementSeen());
  }
  sync.Stop();
  EXPECT_FALSE(userReader.isOpen() || baseReader.isOpen());
}

TEST_F(SyncPlaybackTest, StoppingMidRunReleasesBothDecoders) {
  ASSERT_TRUE(Start(Seconds(100, 5), Seconds(100, 5)));
  sync.Step(1000);
  ASSERT_TRUE(main.measurementSeen() || second.measurementSeen());
  sync.Stop();
  EXPECT_FALSE(sync.active());
  for (const MessageDecoder* d : {&main, &second}) {
    EXPECT_EQ(d->flags().stopAfterMeasurement, 0u);
    EXPECT_TRUE(d->readyForInput());
  }
}

TEST_F(SyncPlaybackTest, AnInvalidFileClosesTheOtherAfterItsOwnMessage) {
  const std::string good = Write("good.log", Scene({100, 101}));
  std::string nmea;
  while (nmea.size() <= 10000) nmea += test::Sentence("GPGGA,1,2,3");
  const std::string bad = Write("bad.log", std::vector<uint8_t>(nmea.begin(), nmea.end()));
  EXPECT_FALSE(sync.Start(good, bad, {}, &desk));
  ASSERT_EQ(desk.boxes.size(), 2u);
  EXPECT_EQ(desk.boxes[0].text, "This is not a KTX log file.");
  EXPECT_EQ(desk.boxes[1].text, "One ore more files are invalid.");
  EXPECT_EQ(desk.boxes[1].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(userReader.isOpen() || baseReader.isOpen() || sync.active());

  desk.boxes.clear();
  // An empty file gets the check's own message too.
  EXPECT_FALSE(sync.Start(Write("empty.log", {}), good, {}, &desk));
  ASSERT_EQ(desk.boxes.size(), 2u);
  EXPECT_EQ(desk.boxes[0].text, "This is not a KTX log file.");
  EXPECT_EQ(desk.boxes[1].text, "One ore more files are invalid.");
  EXPECT_FALSE(baseReader.isOpen());
}

TEST_F(SyncPlaybackTest, LoopOnPlaysBothFilesAgainInOrder) {
  SyncPlaybackSettings s;
  s.loopOn = true;
  ASSERT_TRUE(Start({100, 101, 102}, {100, 101, 102}, s));
  int events = 0;
  while (sync.loopCount() < 3 && events < 10000) {
    ASSERT_TRUE(sync.Step(7));
    ++events;
  }
  ASSERT_EQ(sync.loopCount(), 3);
  std::vector<double> user;
  for (const Arrival& a : arrivals) {
    if (!a.base) user.push_back(a.time);
  }
  ASSERT_GE(user.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(user[i], 100.0 + static_cast<double>(i % 3)) << i;
  // Within each pass the two files still alternate in time order.
  for (std::size_t i = 1; i < arrivals.size(); ++i) {
    if (arrivals[i].time >= arrivals[i - 1].time) continue;
    EXPECT_DOUBLE_EQ(arrivals[i].time, 100.0) << "only a new pass may go back in time, at " << i;
  }
}

TEST(SyncPlaybackTimes, WeekBoundaryAndDamagedSettings) {
  EXPECT_TRUE(AtOrAfterGpsTime(0.5, 604799.5));
  EXPECT_FALSE(AtOrAfterGpsTime(604799.5, 0.5));
  EXPECT_TRUE(AtOrAfterGpsTime(200.0, 200.0));
  EXPECT_FALSE(AtOrAfterGpsTime(199.0, 200.0));
  double a = 0.5, b = 604799.5;
  UnwrapWeek(a, b);
  EXPECT_DOUBLE_EQ(a, 604800.5);
  EXPECT_DOUBLE_EQ(b, 604799.5);
  EXPECT_EQ(ClampSyncSlot(-4), 0);
  EXPECT_EQ(ClampSyncSlot(7), 2);
  EXPECT_EQ(ClampSyncSlot(1), 1);
  EXPECT_EQ(ClampSyncDelay(-1), 0);
  EXPECT_EQ(ClampSyncDelay(1000), 9);
}

}  // namespace
}  // namespace orv
