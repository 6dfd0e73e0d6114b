// Every NMEA window open on a console talking NMEA to orvantis-sim: each one is told of its
// sentence and shows values; the count page sees the simulator's spoilt checksums.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimProcess.h"
#include "app/MainFrame.h"
#include "ids/CommandIds.h"
#include "serial/SerialPort.h"
#include "support/FakeDesktop.h"
#include "support/RecordingCanvas.h"
#include "windows/NmeaWindows.h"

namespace orv {
namespace {

using std::chrono::milliseconds;

TEST(NmeaWindowsSim, EveryWindowShowsValuesFromTheSimulator) {
  test::SimProcess sim({"--protocol", "nmea", "--baud", "115200", "--bad-checksum", "10"});
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  ASSERT_FALSE(sim.path().empty());
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    return std::make_unique<SerialPort>(sink);
  });
  frame.config().SetProtocolSelector(0);
  frame.mainDecoder().SetProtocolSelector(0);
  PageContext context;
  context.nmeaEncoder = &frame.nmeaEncoder();
  MessageWindows windows({NmeaPageKinds()}, frame.mainDecoder(), frame.secondDecoder(), context);
  for (const PageKind& kind : NmeaPageKinds()) {
    ASSERT_NE(windows.Open(kind.command, ""), nullptr);
    windows.Deliver(kind.command, true, "");
  }
  frame.config().SetMainPortName(sim.path());
  frame.ChangeMainBaud(115200);
  ASSERT_TRUE(frame.mainPort().IsOpen());
  // The reports that do not flow by themselves, once a second.
  const NmeaRateEntry extra[] = {{"902", 1}, {"903", 1}, {"906", 1}, {"907", 1}, {"908", 1}, {"MSS", 1}};
  ASSERT_TRUE(frame.nmeaEncoder().SendContinuousRequest(std::nullopt, extra));

  auto allShown = [&] {
    if (frame.mainDecoder().counters().nmeaChecksumErrorCount == 0) return false;
    for (const PageKind& kind : NmeaPageKinds()) {
      if (!windows.page(kind.command)->hasRecord()) return false;
    }
    return true;
  };
  const auto end = std::chrono::steady_clock::now() + milliseconds(15000);
  while (!allShown() && std::chrono::steady_clock::now() < end) {
    frame.OnTimer(kPollTimer);
    std::this_thread::sleep_for(milliseconds(20));
  }
  for (const PageKind& kind : NmeaPageKinds()) {
    Page* page = windows.page(kind.command);
    EXPECT_TRUE(page->hasRecord()) << kind.command;
    test::RecordingCanvas c;
    page->PaintValues(c);
    // Values that are not blank once their padding is gone.
    int values = 0;
    for (const std::string& call : c.Texts()) {
      const std::size_t text = call.find(' ', call.find(' ', 5) + 1) + 1;
      if (call.find_first_not_of(' ', text) != std::string::npos) ++values;
    }
    EXPECT_GE(values, 2) << kind.command;
  }
  EXPECT_GT(frame.mainDecoder().counters().nmeaChecksumErrorCount, 0u);
  frame.OnStop();
  for (const PageKind& kind : NmeaPageKinds()) windows.Deliver(kind.command, false, "");
}

}  // namespace
}  // namespace orv
