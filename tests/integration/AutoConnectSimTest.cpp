// Port selection and the baud/protocol search with real serial ports against orvantis-sim.
// The test plays the desktop: it fires the poll and the Auto Connect timer itself, giving the
// simulator a moment at each new rate instead of the real waits.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <optional>
#include <thread>

#include "SimProcess.h"
#include "ids/CommandIds.h"
#include "app/MainFrame.h"
#include "serial/AutoConnect.h"
#include "serial/PortDialog.h"
#include "serial/PortNames.h"
#include "serial/SerialPort.h"
#include "support/FakeDesktop.h"
#include "support/RunCommand.h"

namespace orv {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// ORVANTIS_PORTS for the life of a test: which devices COM1, COM2, ... are.
class ScopedPorts {
 public:
  explicit ScopedPorts(const std::string& list) {
    if (const char* old = ::getenv(kPortsVariable)) old_ = old;
    ::setenv(kPortsVariable, list.c_str(), 1);
  }
  ~ScopedPorts() {
    if (old_) {
      ::setenv(kPortsVariable, old_->c_str(), 1);
    } else {
      ::unsetenv(kPortsVariable);
    }
  }

 private:
  std::optional<std::string> old_;
};

struct Console {
  Console()
      : frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
          return std::make_unique<SerialPort>(sink);
        }) {}

  // Polls until the decoder has seen the receiver's answer or `ms` have passed: the simulator
  // notices a new line rate within a few of its 10 ms rounds.
  void AwaitAnswer(int ms) {
    const auto end = Clock::now() + milliseconds(ms);
    while (Clock::now() < end && !frame.mainDecoder().receiverAnswered()) {
      std::this_thread::sleep_for(milliseconds(10));
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
    }
  }
  // Polls every 20 ms until `done` or `ms` have passed.
  template <typename Done>
  void PollUntil(Done done, int ms) {
    const auto end = Clock::now() + milliseconds(ms);
    while (Clock::now() < end && !done()) {
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
      std::this_thread::sleep_for(milliseconds(20));
    }
  }
  void PollFor(int ms) {
    const auto end = Clock::now() + milliseconds(ms);
    while (Clock::now() < end) {
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
      std::this_thread::sleep_for(milliseconds(20));
    }
  }
  uint32_t Count(int message) { return frame.mainDecoder().counters().messageCountById[message]; }
  SerialPort& mainPort() { return static_cast<SerialPort&>(frame.mainPort()); }

  // Runs a started search to its end, one timer-24 event after each poll, and lists the
  // attempts it made ("ktx 9600", "nmea 4800", ...).
  std::vector<std::string> RunSearch(AutoConnect& ac) {
    std::vector<std::string> attempts;
    while (ac.searching()) {
      const std::string now = (frame.config().protocolSelector() ? "ktx " : "nmea ") + std::to_string(ac.attemptRate());
      if (attempts.empty() || attempts.back() != now) {
        attempts.push_back(now);
        AwaitAnswer(800);  // generous: a wrong rate always waits it out
      }
      frame.OnTimer(kPollTimer);
      ac.form().FireTimer(AutoConnect::kTimerId);
    }
    return attempts;
  }

  test::FakeDesktop desk;
  CMainFrame frame;
};

#define REQUIRE_SIM(sim)                                                             \
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built"; \
  ASSERT_FALSE((sim).path().empty()) << "orvantis-sim printed no device path"

// Starts Auto Connect on COM1, the simulator's line.
std::vector<std::string> SearchFirstPort(Console& c, AutoConnect& ac) {
  EXPECT_EQ(ac.ports(), std::vector<std::string>{"Com1"});
  ac.form().Select(AutoConnect::kPortList, 0);
  ac.form().Press(AutoConnect::kStartButton, &c.desk);
  return c.RunSearch(ac);
}

TEST(AutoConnectSim, NmeaAt4800IsFoundOnTheThirdNmeaAttemptAfterAllBinaryOnes) {
  test::SimProcess sim({"--protocol", "nmea", "--baud", "4800", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  ScopedPorts ports(sim.path() + ",/nonexistent/orvantis-port");
  Console c;
  AutoConnect ac(c.frame);
  const auto attempts = SearchFirstPort(c, ac);
  EXPECT_EQ(attempts, (std::vector<std::string>{"ktx 9600", "ktx 19200", "ktx 4800", "ktx 2400", "ktx 1200",
                                                "ktx 600", "ktx 300", "nmea 9600", "nmea 19200", "nmea 4800"}));
  EXPECT_EQ(ac.outcome(), AutoConnect::Outcome::Found);
  EXPECT_EQ(ac.form().Label(AutoConnect::kStatusText), "Baud rate is 4800");
  EXPECT_EQ(ac.form().Label(AutoConnect::kProtocolText), "Protocol NMEA");
  ASSERT_EQ(c.desk.boxes.size(), 1u);
  EXPECT_EQ(c.desk.boxes[0].caption, "Succes!");
  EXPECT_EQ(c.mainPort().settings().baud, 4800u);
  EXPECT_EQ(c.frame.config().protocolSelector(), 0);
}

TEST(AutoConnectSim, BinaryAt19200IsFoundOnTheSecondBinaryAttempt) {
  test::SimProcess sim({"--baud", "19200", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  ScopedPorts ports(sim.path());
  Console c;
  AutoConnect ac(c.frame);
  EXPECT_EQ(SearchFirstPort(c, ac), (std::vector<std::string>{"ktx 9600", "ktx 19200"}));
  EXPECT_EQ(ac.outcome(), AutoConnect::Outcome::Found);
  EXPECT_EQ(c.frame.config().mainBaudRate(), 19200);
  EXPECT_EQ(c.frame.config().protocolSelector(), 1);
  EXPECT_EQ(c.frame.config().mainPortName(), "Com1");
  EXPECT_GE(c.Count(45), 1u);
}

TEST(AutoConnectSim, AReceiverAtNoRateOfTheTableIsNotFound) {
  test::SimProcess sim({"--baud", "57600", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  ScopedPorts ports(sim.path());
  Console c;
  AutoConnect ac(c.frame);
  const auto attempts = SearchFirstPort(c, ac);
  ASSERT_EQ(attempts.size(), 14u);
  EXPECT_EQ(attempts.back(), "nmea 300");
  EXPECT_EQ(ac.outcome(), AutoConnect::Outcome::NotFound);
  ASSERT_EQ(c.desk.boxes.size(), 1u);
  EXPECT_EQ(c.desk.boxes[0].text, "Baud Not Found");
  EXPECT_EQ(c.frame.config().protocolSelector(), 0);
  EXPECT_EQ(c.frame.config().mainBaudRate(), 300);
  EXPECT_EQ(c.mainPort().settings().baud, 300u);
  EXPECT_EQ(c.frame.mainDecoder().counters().validMessageCount, 0u);
}

TEST(AutoConnectSim, ForceToKtxBringsAnNmeaReceiverAt38400ToBinaryAt9600) {
  test::SimProcess sim({"--protocol", "nmea", "--baud", "38400", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  Console c;
  c.frame.config().SetMainPortName(sim.path());
  c.frame.RunCommand(cmd::kSwitchToNmea);
  c.frame.ChangeMainBaud(38400);
  c.PollFor(100);
  EXPECT_GT(c.frame.mainDecoder().counters().nmeaSentenceCount, 0u);

  c.frame.ForceKtxAt9600();
  EXPECT_EQ(c.frame.config().protocolSelector(), 1);
  // One step per poll event, a poll period apart, as the desktop's timer runs them.
  for (int i = 0; i < 18 && c.frame.state().sweepActive; ++i) {
    c.frame.OnTimer(kPollTimer);
    std::this_thread::sleep_for(milliseconds(100));
  }
  EXPECT_EQ(c.frame.state().sweepActive, 0u);
  EXPECT_EQ(c.mainPort().settings().baud, 9600u);
  c.frame.mainDecoder().ResetCounters();
  c.frame.encoder().SendRequest(45, kOneShot);
  c.frame.encoder().SendRequest(20, kContinuous);
  c.PollUntil([&] { return c.Count(45) >= 1 && c.Count(20) >= 1; }, 10000);
  EXPECT_EQ(c.Count(45), 1u);
  EXPECT_GE(c.Count(20), 1u);
  const auto& k = c.frame.mainDecoder().counters();
  EXPECT_EQ(k.protocolErrorCount, 0u) << "valid " << k.validMessageCount << " nmea " << k.nmeaSentenceCount
                                      << " nmeaErr " << k.nmeaChecksumErrorCount << " 45:" << c.Count(45)
                                      << " 20:" << c.Count(20);
}

TEST(AutoConnectSim, WithNoFreePortTheDialogOffersNoneAndOkOpensNothing) {
  test::SimProcess sim({"--rate-limit", "off"});
  REQUIRE_SIM(sim);
  ScopedPorts ports(sim.path() + ",/nonexistent/a,/nonexistent/b,/nonexistent/c");
  SerialPort holder(nullptr);  // another program holds COM1
  ASSERT_TRUE(holder.Open(sim.path(), 9600, 'N', 8, 1));

  Console c;
  c.desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.caption(), "Serial Port Configuration");
    EXPECT_EQ(f.field(PortDialog::kPortGroup)->options[0], "Com1 (" + sim.path() + ")");
    EXPECT_EQ(f.field(PortDialog::kPortGroup)->options[3], "Com4 (/nonexistent/c)");
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(f.OptionEnabled(PortDialog::kPortGroup, i)) << i;
    EXPECT_EQ(f.Selected(PortDialog::kPortGroup), -1);
    return f.Press(kFormOk, &c.desk) == FormAction::Ok;
  };
  c.frame.OnMainPortCommand();
  EXPECT_EQ(c.desk.formsRun, 1);
  EXPECT_EQ(c.desk.PaneText(kPanePort), "NONE:");
  EXPECT_FALSE(c.frame.mainPort().IsOpen());
  EXPECT_EQ(c.frame.state().mainPortOpen, 0u);
  EXPECT_FALSE(c.desk.TimerArmed(kPollTimer));
  EXPECT_TRUE(holder.IsOpen());
}

TEST(AutoConnectSim, ABaudButtonWhileClosedChangesOnlyTheStoredRate) {
  test::SimProcess sim({"--baud", "19200", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  ScopedPorts ports(sim.path());
  Console c;
  c.frame.config().SetMainBaudRate(4800);
  ASSERT_TRUE(c.frame.OnUtilityButton(33065));  // 19200
  EXPECT_EQ(c.frame.config().mainBaudRate(), 19200);
  EXPECT_FALSE(c.frame.mainPort().IsOpen());
  EXPECT_EQ(c.frame.state().mainPortOpen, 0u);
  EXPECT_TRUE(c.desk.timers.empty());

  // The next open starts from the stored rate, and the receiver answers at it.
  c.desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.Selected(PortDialog::kPortGroup), 0);
    EXPECT_EQ(f.field(PortDialog::kBaudGroup)->options[static_cast<std::size_t>(f.Selected(PortDialog::kBaudGroup))],
              "19200");
    return f.Press(kFormOk, &c.desk) == FormAction::Ok;
  };
  c.frame.OnMainPortCommand();
  EXPECT_EQ(c.desk.title, "COM1 - (19200) - ORVANTIS QUENMARSH");
  EXPECT_EQ(c.mainPort().settings().baud, 19200u);
  c.PollFor(60);
  c.frame.encoder().SendRequest(45, kOneShot);
  c.PollUntil([&] { return c.Count(45) >= 1; }, 10000);
  EXPECT_EQ(c.Count(45), 1u);
}

TEST(AutoConnectSim, DetectCommandPrintsWhatItFound) {
  test::SimProcess sim({"--baud", "9600", "--rate-limit", "off"});
  REQUIRE_SIM(sim);
  const test::CommandResult found =
      test::RunCommand(std::string(ORVANTIS_CLI_PATH) + " detect --port " + test::ShellQuote(sim.path()) + " 2>/dev/null");
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out, "port: " + sim.path() + "\nbaud: 9600\nprotocol: ktx\n");

  const test::CommandResult missing =
      test::RunCommand(std::string(ORVANTIS_CLI_PATH) + " detect --port /nonexistent/orvantis 2>/dev/null");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
}

}  // namespace
}  // namespace orv
