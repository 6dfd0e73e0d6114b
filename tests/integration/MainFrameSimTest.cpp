// The main frame's poll with real serial ports against orvantis-sim: the test plays the host
// and fires the poll timer itself.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimProcess.h"
#include "app/MainFrame.h"
#include "geodesy/DatumSetup.h"
#include "serial/SerialPort.h"
#include "support/FakeDesktop.h"

namespace orv {
namespace {

using std::chrono::milliseconds;

struct Console {
  Console()
      : frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
          return std::make_unique<SerialPort>(sink);
        }) {}

  // Fires the poll timer every `periodMs` for `ms`, as the desktop's timer would.
  void PollFor(int ms, int periodMs = 20) {
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
      std::this_thread::sleep_for(milliseconds(periodMs));
    }
  }
  // Polls until `done` holds or `ms` have passed; a loaded machine only makes it take longer.
  template <typename Done>
  void PollUntil(Done done, int ms) {
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end) PollFor(20);
  }
  // Opens the main port on the simulator's device, as the port command would.
  void Open(const std::string& path, uint32_t baud) {
    frame.config().SetMainPortName(path);
    frame.ChangeMainBaud(baud);
  }
  uint32_t Count(int message) { return frame.mainDecoder().counters().messageCountById[message]; }

  test::FakeDesktop desk;
  CMainFrame frame;
};

#define REQUIRE_SIM(sim)                                                             \
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built"; \
  ASSERT_FALSE((sim).path().empty()) << "orvantis-sim printed no device path"

TEST(MainFrameSim, ContinuousStreamsAreDecodedByThePoll) {
  test::SimProcess sim({"--baud", "115200"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path(), 115200);
  ASSERT_TRUE(c.frame.mainPort().IsOpen());
  ASSERT_EQ(c.desk.timers.at(kPollTimer), kSerialPollMs);

  c.frame.encoder().SendRequest(20, kContinuous);
  c.frame.encoder().SendRequest(3023, kContinuous);
  c.frame.encoder().SendRequest(6, kContinuous);
  c.PollUntil([&] { return c.Count(20) >= 1 && c.Count(23) >= 10 && c.Count(6) >= 1 && c.Count(7) >= 1; }, 10000);
  EXPECT_GE(c.Count(20), 1u);
  EXPECT_GE(c.Count(23), 10u);
  EXPECT_GE(c.Count(6), 1u);
  EXPECT_LE(c.Count(6) - c.Count(7), 1u);  // 7 follows 6 in the same epoch
  EXPECT_EQ(c.frame.mainDecoder().counters().protocolErrorCount, 0u);
  EXPECT_NE(c.desk.PaneText(kPanePort).find(" msg"), std::string::npos);

  // Stop closes the port; nothing more is read and the simulator carries on without us.
  c.frame.OnStop();
  EXPECT_FALSE(c.frame.mainPort().IsOpen());
  EXPECT_FALSE(c.desk.TimerArmed(kPollTimer));
}

TEST(MainFrameSim, ForcedSweepFindsAnNmeaReceiverAndBringsItToBinaryAt9600) {
  test::SimProcess sim({"--protocol", "nmea", "--baud", "4800", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path(), 9600);
  c.frame.StartBaudSweep();
  // One timer event per step; the receiver gets a moment at each rate, as 100 ms polls give it.
  for (int i = 0; i < 18 && c.frame.state().sweepActive; ++i) {
    c.frame.OnTimer(kPollTimer);
    std::this_thread::sleep_for(milliseconds(100));
  }
  EXPECT_EQ(c.frame.state().sweepActive, 0u);
  c.frame.mainDecoder().ResetCounters();
  c.frame.encoder().SendRequest(45, kOneShot);
  c.PollUntil([&] { return c.Count(45) >= 1; }, 10000);
  c.PollFor(100);  // nothing more comes for a one-shot request
  EXPECT_EQ(c.Count(45), 1u);
}

TEST(MainFrameSim, AWrongRateGivesNothingAndTheRightOneData) {
  test::SimProcess sim({"--baud", "38400", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path(), 19200);
  c.frame.encoder().SendRequest(45, kContinuous);
  c.PollFor(200);
  EXPECT_EQ(c.frame.state().lastMainCount, 0u);
  EXPECT_EQ(c.frame.mainDecoder().counters().validMessageCount, 0u);

  c.frame.ChangeMainBaud(38400);
  c.PollFor(100);
  c.frame.encoder().SendRequest(45, kContinuous);
  c.PollUntil([&] { return c.Count(45) > 0; }, 10000);
  EXPECT_GT(c.Count(45), 0u);
}

TEST(MainFrameSim, ADatumSentByTheConsoleComesBackInMessage20) {
  test::SimProcess sim({"--baud", "115200"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path(), 115200);
  ASSERT_TRUE(c.frame.mainPort().IsOpen());
  const auto& llh = c.frame.mainDecoder().store().navLlh();

  // What the Datum dialog's OK does for "Tokyo" (row 61).
  const auto fields = DatumRowFields(61, c.frame.config());
  const auto params = AcceptDatum(DatumOption::Select, 61, EntryFromFields(*fields), c.frame.config());
  ASSERT_TRUE(params.has_value());
  c.frame.encoder().SendDatum(*params);
  c.frame.encoder().SendRequest(20, kContinuous);
  c.PollUntil([&] { return c.Count(20) >= 1 && llh.datumNumber() == 61; }, 10000);
  EXPECT_EQ(llh.datumNumber(), 61);

  // A user datum, selected and defined at once.
  DatumEntry mine{"Here", "Krassovsky", -24, 123, 94, 6378245.0, 298.3};
  c.frame.encoder().SendDatum(*AcceptDatum(DatumOption::SelectAndDefine, 2, mine, c.frame.config()));
  c.PollUntil([&] { return llh.datumNumber() == 2; }, 10000);
  EXPECT_EQ(llh.datumNumber(), 2);
  EXPECT_EQ(c.frame.mainDecoder().counters().protocolErrorCount, 0u);
}

}  // namespace
}  // namespace orv
