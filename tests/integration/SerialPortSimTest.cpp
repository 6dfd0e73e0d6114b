// The real serial port on a pseudo-terminal against orvantis-sim: requests and answers,
// continuous output, rates that match or not, the exclusive open, the line settings applied,
// and a simulator that dies under an open port.
#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <map>
#include <thread>

#include "SimProcess.h"
#include "platform/PosixSerialDevice.h"
#include "protocol/FrameEncoder.h"
#include "nmea/ReceiverDecoder.h"
#include "serial/SerialPort.h"
#include "support/Frames.h"

namespace orv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Payload lengths of every frame decoded, by message number.
class FrameLog : public DecodeObserver {
 public:
  void OnFrame(uint64_t, const uint8_t* frame, int length) override {
    frames[frame[1] & 0x7F].push_back(length - kFrameOverhead);
  }
  void OnSentence(uint64_t, const char* sentence, int length, int) override {
    sentences.emplace_back(sentence, static_cast<std::size_t>(length));
  }
  std::size_t Count(int message) const {
    auto it = frames.find(message);
    return it == frames.end() ? 0 : it->second.size();
  }
  std::map<int, std::vector<int>> frames;
  std::vector<std::string> sentences;
};

// A console side: decoder, frame log, port and encoder.
struct Console {
  Console() {
    decoder.SetObserver(&log);
    decoder.SetTimeGateOpen(1);
  }
  // Polls the port the way the main loop does until `done` or `ms` pass; returns the bytes.
  template <typename Done>
  uint32_t PollUntil(Done done, int ms) {
    uint32_t total = 0;
    const auto end = Clock::now() + milliseconds(ms);
    while (!done() && Clock::now() < end) {
      const uint32_t n = port.Receive(1000);
      total += n;
      if (n == 0) std::this_thread::sleep_for(milliseconds(2));
    }
    return total;
  }
  uint32_t PollFor(int ms) {
    return PollUntil([] { return false; }, ms);
  }
  ReceiverDecoder decoder;
  FrameLog log;
  SerialPort port{&decoder};
  FrameEncoder encoder{&port};
};

#define REQUIRE_SIM(sim)                                                  \
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built"; \
  ASSERT_FALSE((sim).path().empty()) << "orvantis-sim printed no device path"

TEST(SerialPortSim, OneShotRequestsAreAnsweredWithTheirRecords) {
  test::SimProcess sim({"--baud", "115200", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  Console c;
  ASSERT_TRUE(c.port.Open(sim.path(), 115200, 'N', 8, 1));

  // message, answers expected, payload length of each (0: as the measurement block says)
  const struct { int request, message; std::size_t count; int length; } cases[] = {
      {45, 45, 1, 95}, {20, 20, 1, 71},  {21, 21, 1, 79},  {49, 49, 1, 40}, {33, 33, 1, 61},
      {6, 6, 1, 85},   {6, 7, 1, 85},    {18, 18, 1, 41},  {19, 19, 1, 41}, {47, 47, 1, 48},
      {48, 48, 1, 24}, {50, 50, 1, 8},   {111, 111, 1, 24}, {113, 113, 1, 59}, {23, 23, 1, 0},
      {22, 22, 3, 73},  // one per GPS satellite in view, three at least
  };
  for (const auto& k : cases) {
    if (k.request == k.message) c.encoder.SendRequest(k.request, kOneShot);
    c.PollUntil([&] { return c.log.Count(k.message) >= k.count; }, 10000);
    if (k.message == 22) {
      ASSERT_GE(c.log.Count(22), k.count);
      ASSERT_LE(c.log.Count(22), 12u);
    } else {
      ASSERT_EQ(c.log.Count(k.message), k.count) << "message " << k.message;
    }
    for (int len : c.log.frames[k.message]) {
      if (k.length > 0) {
        EXPECT_EQ(len, k.length) << "message " << k.message;
      }
    }
  }
  const int n = c.log.frames[23][0];
  EXPECT_EQ((n - 11) % 11, 0);
  EXPECT_GT(n, 11);

  c.encoder.SendAlmanacRequest(1);
  c.PollUntil([&] { return c.log.Count(76) >= 32; }, 10000);
  EXPECT_EQ(c.log.Count(76), 32u);
  EXPECT_EQ(c.decoder.counters().protocolErrorCount, 0u);
  // Nothing was asked Continuous, so nothing more comes.
  EXPECT_EQ(c.PollFor(100), 0u);
}

TEST(SerialPortSim, ContinuousStreamRunsUntilAOneShotRequest) {
  test::SimProcess sim({"--baud", "115200"});
  REQUIRE_SIM(sim);
  Console c;
  ASSERT_TRUE(c.port.Open(sim.path(), 115200, 'N', 8, 1));
  c.encoder.SendRequest(3023, kContinuous);  // measurement block at 10 Hz
  c.PollUntil([&] { return c.log.Count(23) >= 6; }, 10000);
  EXPECT_GE(c.log.Count(23), 6u);
  c.encoder.SendRequest(23, kOneShot);
  c.PollFor(150);
  const std::size_t settled = c.log.Count(23);
  c.PollFor(300);
  EXPECT_EQ(c.log.Count(23), settled);
}

TEST(SerialPortSim, WrongRateIsSilentAndTheRightRateTalks) {
  test::SimProcess sim({"--protocol", "nmea", "--baud", "19200", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  Console c;
  c.decoder.SetProtocolSelector(0);
  ASSERT_TRUE(c.port.Open(sim.path(), 9600, 'N', 8, 1));
  c.encoder.SendRequest(45, kOneShot);  // a receiver at another rate cannot hear it
  EXPECT_EQ(c.PollFor(300), 0u);

  c.port.Close();
  ASSERT_TRUE(c.port.Open(sim.path(), 19200, 'N', 8, 1));
  c.PollUntil([&] { return c.log.sentences.size() >= 20; }, 10000);
  ASSERT_GE(c.log.sentences.size(), 20u);
  EXPECT_EQ(c.decoder.counters().nmeaChecksumErrorCount, 0u);
  for (const char* kind : {"$GPGGA", "$GPGLL", "$GPGSA", "$GPGSV", "$GPRMC", "$GPVTG", "$GPZDA", "$PQTLG,900"}) {
    bool seen = false;
    for (const std::string& s : c.log.sentences) seen = seen || s.rfind(kind, 0) == 0;
    EXPECT_TRUE(seen) << kind;
  }
}

TEST(SerialPortSim, ProtocolAndRateCommandsMoveTheReceiver) {
  test::SimProcess sim({"--baud", "9600", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  Console c;
  ASSERT_TRUE(c.port.Open(sim.path(), 9600, 'N', 8, 1));
  // The simulator learns the line's rate by looking at it; give it a moment to look, as any
  // console gives a receiver between opening a port and its first command.
  c.encoder.SendRequest(45, kOneShot);
  c.PollUntil([&] { return c.log.Count(45) >= 1; }, 10000);
  ASSERT_EQ(c.log.Count(45), 1u);  // it hears us at 9600
  c.encoder.SendProtocolAndBaud(true, 38400);  // NMEA at 38400
  // A console leaves the line alone for a poll period or more before it reopens the port at
  // the new rate; the receiver reads the command meanwhile.
  c.PollFor(200);
  c.port.Close();
  c.decoder.SetProtocolSelector(0);
  ASSERT_TRUE(c.port.Open(sim.path(), 38400, 'N', 8, 1));
  c.PollUntil([&] { return c.log.sentences.size() >= 8; }, 10000);
  ASSERT_GE(c.log.sentences.size(), 8u);

  const std::string back = test::Sentence("PQTLG,000,1,57600");
  c.port.Send(reinterpret_cast<const uint8_t*>(back.data()), static_cast<uint32_t>(back.size()));
  c.PollFor(200);
  c.port.Close();
  c.decoder.SetProtocolSelector(1);
  c.decoder.ResetCounters();  // as an open does: the NMEA stream was cut mid-sentence
  ASSERT_TRUE(c.port.Open(sim.path(), 57600, 'N', 8, 1));
  c.encoder.SendRequest(45, kOneShot);
  c.PollUntil([&] { return c.log.Count(45) >= 1; }, 10000);
  EXPECT_EQ(c.log.Count(45), 1u);
}

TEST(SerialPortSim, SecondOpenOfAHeldPortIsRefused) {
  test::SimProcess sim({});
  REQUIRE_SIM(sim);
  SerialPort first(nullptr), second(nullptr);
  ASSERT_TRUE(first.Open(sim.path(), 9600, 'N', 8, 1));
  EXPECT_FALSE(second.Open(sim.path(), 9600, 'N', 8, 1));
  EXPECT_FALSE(second.IsOpen());
  EXPECT_FALSE(second.TestOpen(sim.path()));
  EXPECT_FALSE(second.device().IsHandleValid());
  first.Close();
  EXPECT_TRUE(second.TestOpen(sim.path()));
  EXPECT_FALSE(second.IsOpen());
  EXPECT_TRUE(first.Open(sim.path(), 9600, 'N', 8, 1));
}

TEST(SerialPortSim, LineSettingsAsApplied) {
  test::SimProcess sim({});
  REQUIRE_SIM(sim);
  SerialPort port(nullptr);
  auto* device = dynamic_cast<PosixSerialDevice*>(&port.device());
  ASSERT_NE(device, nullptr);

  ASSERT_TRUE(port.Open(sim.path(), 4800, 'e', 8, 3));
  ASSERT_TRUE(device->LastApplied());
  tcflag_t cflag = device->LastApplied()->c_cflag;
  EXPECT_EQ(cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB));
  EXPECT_EQ(cflag & CSTOPB, 0u);
  EXPECT_EQ(cfgetospeed(&*device->LastApplied()), speed_t(B4800));
  // What the terminal holds now: the rate and raw mode (a pseudo-terminal drops parity).
  termios now{};
  ASSERT_EQ(tcgetattr(device->fd(), &now), 0);
  EXPECT_EQ(cfgetospeed(&now), speed_t(B4800));
  EXPECT_EQ(now.c_lflag & (ECHO | ICANON), 0u);
  EXPECT_EQ(now.c_cc[VMIN], 0);
  EXPECT_EQ(now.c_cc[VTIME], 0);

  ASSERT_TRUE(port.Open(sim.path(), 9600, 'o', 7, 2));
  cflag = device->LastApplied()->c_cflag;
  EXPECT_EQ(cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB | PARODD));
  EXPECT_NE(cflag & CSTOPB, 0u);
  EXPECT_EQ(cflag & CSIZE, tcflag_t(CS7));

  port.SetFlowControl(1);
  EXPECT_NE(device->LastApplied()->c_cflag & CRTSCTS, 0u);
  EXPECT_TRUE(port.IsOpen());
  // A rate the device cannot take: the handle stays, the port does not count as open.
  EXPECT_FALSE(port.Open(sim.path(), 14400, 'N', 8, 1));
  EXPECT_TRUE(device->IsHandleValid());
  port.Close();
  EXPECT_FALSE(device->IsHandleValid());
}

TEST(SerialPortSim, ClosingAPortNeverOpenedOnlyClearsTheFlag) {
  ReceiverDecoder decoder;
  SerialPort port(&decoder);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.device().IsHandleValid());
  EXPECT_EQ(port.Receive(1000), 0u);
  EXPECT_EQ(decoder.counters().bytesReadLastCall, 0u);
  const uint8_t b = 0;
  EXPECT_FALSE(port.Send(&b, 1));
  EXPECT_FALSE(port.Open("COM99", 9600, 'N', 8, 1));
}

TEST(SerialPortSim, NothingWaitsFromWhileThePortWasClosed) {
  test::SimProcess sim({"--protocol", "nmea", "--baud", "115200"});
  REQUIRE_SIM(sim);
  Console c;
  c.decoder.SetProtocolSelector(0);
  ASSERT_TRUE(c.port.Open(sim.path(), 115200, 'N', 8, 1));
  c.PollUntil([&] { return !c.log.sentences.empty(); }, 10000);
  ASSERT_FALSE(c.log.sentences.empty());
  c.port.Close();
  // Over a second of output is made while nobody listens; none of it may be kept for us.
  std::this_thread::sleep_for(milliseconds(1200));
  ASSERT_TRUE(c.port.Open(sim.path(), 115200, 'N', 8, 1));
  uint8_t buf[4096];
  uint32_t n = 0;
  ASSERT_TRUE(c.port.Read(buf, sizeof buf, n));
  EXPECT_LT(n, 100u);
}

TEST(SerialPortSim, SimulatorKilledMidStreamLeavesTheConsoleRunning) {
  test::SimProcess sim({"--baud", "115200", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  Console c;
  ASSERT_TRUE(c.port.Open(sim.path(), 115200, 'N', 8, 1));
  c.encoder.SendRequest(3023, kContinuous);
  c.encoder.SendRequest(20, kContinuous);
  c.PollUntil([&] { return c.log.Count(20) >= 3; }, 10000);
  ASSERT_GE(c.log.Count(20), 3u);
  sim.Kill();

  const auto start = Clock::now();
  c.PollFor(100);  // what was already on its way
  uint32_t after = 0;
  for (int i = 0; i < 20; ++i) after += c.port.Receive(1000);
  EXPECT_EQ(after, 0u);
  c.encoder.SendRequest(45, kOneShot);
  EXPECT_FALSE(c.port.Send(reinterpret_cast<const uint8_t*>("x"), 1));
  EXPECT_LT(Clock::now() - start, milliseconds(1000));
  // The hang-up was seen: the port let the device go and waits to be reopened or closed.
  EXPECT_TRUE(c.port.Lost());
  EXPECT_FALSE(c.port.IsOpen());
  c.port.Close();
  EXPECT_FALSE(c.port.Lost());
}

}  // namespace
}  // namespace orv
