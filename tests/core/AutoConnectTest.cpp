// The Auto Connect search on fake ports, with the test firing timer 24: the list it offers,
// the order of the attempts, the length of each wait, and how it ends.
#include <gtest/gtest.h>

#include "ids/CommandIds.h"
#include "app/MainFrame.h"
#include "serial/AutoConnect.h"
#include "support/Frames.h"
#include "support/ProbePorts.h"

namespace orv {
namespace {

class AutoConnectTest : public ::testing::Test, public test::ProbedFrame {
 protected:
  AutoConnectTest() { free = {"Com2", "Com7"}; }

  // Fires timer 24 (and the poll, which hands what the port holds to the decoder) until the
  // search ends or `limit` events have passed; returns the number of events fired.
  int Run(AutoConnect& ac, int limit = 10000) {
    int events = 0;
    while (ac.searching() && events < limit) {
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
      EXPECT_EQ(ac.form().timers().at(AutoConnect::kTimerId), 100u);
      ac.form().FireTimer(AutoConnect::kTimerId);
      ++events;
    }
    return events;
  }

  // The rates the main port was opened at, in order.
  std::vector<uint32_t> OpenedRates() {
    std::vector<uint32_t> rates;
    for (const std::string& entry : mainPort().log) {
      if (entry.rfind("open ", 0) == 0) rates.push_back(static_cast<uint32_t>(std::stoul(entry.substr(entry.rfind(' ')))));
    }
    return rates;
  }
  static std::vector<uint8_t> PartNumbers() { return test::Frame(45, std::vector<uint8_t>(60, 0)); }
};

TEST_F(AutoConnectTest, ListsTheOpenMainPortAndTheComPortsThatOpen) {
  {
    AutoConnect ac(frame);
    EXPECT_EQ(ac.form().caption(), "Automatic Baud Rate Selection");
    EXPECT_EQ(ac.ports(), (std::vector<std::string>{"Com2", "Com7"}));
    EXPECT_EQ(tried.size(), 10u);
    EXPECT_EQ(tried.back(), "Com10");
  }
  frame.config().SetMainPortName("/dev/ttyUSB3");
  frame.ChangeMainBaud(9600);
  AutoConnect ac(frame);
  EXPECT_EQ(ac.ports(), (std::vector<std::string>{"/dev/ttyUSB3", "Com2", "Com7"}));
}

TEST_F(AutoConnectTest, StartWithoutAChoiceAsksForAPort) {
  AutoConnect ac(frame);
  ac.form().Press(AutoConnect::kStartButton, &desk);
  EXPECT_EQ(ac.form().Label(AutoConnect::kStatusText), "Openning Com port");
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Please choose a com port");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(ac.searching());
  EXPECT_TRUE(mainPort().log.empty());
  EXPECT_TRUE(ac.form().timers().empty());
}

// Nothing answers: seven binary attempts, then seven NMEA ones, then "Baud Not Found" with
// the port left open at 300 bit/s in NMEA. The first attempt counts steps 0..19, every later
// one steps 1..19 (its first step is the event that started it), so the search takes
// 21 + 245 events in binary and 265 in NMEA.
TEST_F(AutoConnectTest, NothingAnsweringEndsWithBaudNotFoundAfterBothTables) {
  AutoConnect ac(frame);
  ac.ChoosePort("Com7");
  ac.form().Press(AutoConnect::kStartButton, &desk);
  EXPECT_EQ(frame.config().mainPortName(), "Com7");
  EXPECT_EQ(ac.form().Label(AutoConnect::kStatusText), "Trying 9600 ...");
  EXPECT_EQ(ac.form().Label(AutoConnect::kProtocolText), "Protocol KTX Binary");
  EXPECT_EQ(Run(ac, 265), 265);
  EXPECT_TRUE(ac.searching());
  EXPECT_EQ(ac.attemptIndex(), 6);
  EXPECT_EQ(Run(ac), 531 - 265);
  EXPECT_EQ(ac.outcome(), AutoConnect::Outcome::NotFound);

  const std::vector<uint32_t> table = {9600, 19200, 4800, 2400, 1200, 600, 300};
  std::vector<uint32_t> expected = {9600};  // ChangeMainBaud(9600) on Start
  for (int protocol = 0; protocol < 2; ++protocol) expected.insert(expected.end(), table.begin(), table.end());
  EXPECT_EQ(OpenedRates(), expected);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Baud Not Found");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(frame.config().protocolSelector(), 0);
  EXPECT_EQ(frame.config().mainBaudRate(), 300);
  EXPECT_EQ(frame.state().mainPortOpen, 1u);
  EXPECT_EQ(ac.form().Label(AutoConnect::kProtocolText), "Protocol NMEA");
  EXPECT_TRUE(ac.form().timers().empty());
  EXPECT_EQ(frame.mainDecoder().flags().expectReceiverAnswer, 0u);

  // Each binary attempt asked for message 45 Continuous, each NMEA one for $PQTLG,900.
  const auto& sent = mainPort().sent;
  ASSERT_EQ(sent.size(), 14u);
  EXPECT_EQ(sent[0].at(1), 45 | 128);
  const std::string query(sent[7].begin(), sent[7].end());
  EXPECT_EQ(query.rfind("$PQTLG,004,900*", 0), 0u) << query;
}

TEST_F(AutoConnectTest, AnAnswerWithinTheWaitEndsTheSearchAtThatRate) {
  AutoConnect ac(frame);
  ac.ChoosePort("Com2");
  ac.form().Press(AutoConnect::kStartButton, &desk);
  Run(ac, 21);  // the first attempt at 9600 has run out
  EXPECT_EQ(ac.form().Label(AutoConnect::kStatusText), "Trying 19200 ...");
  Run(ac, 18);
  EXPECT_EQ(ac.stepCount(), 19);  // the last step at which an answer still counts
  mainPort().Queue(PartNumbers());
  EXPECT_EQ(Run(ac), 1);
  EXPECT_EQ(ac.outcome(), AutoConnect::Outcome::Found);
  EXPECT_EQ(ac.attemptRate(), 19200u);
  EXPECT_EQ(ac.form().Label(AutoConnect::kStatusText), "Baud rate is 19200");
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Baud rate found\nPress Close to continue");
  EXPECT_EQ(desk.boxes[0].caption, "Succes!");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Information);
  EXPECT_EQ(frame.config().mainBaudRate(), 19200);
  EXPECT_EQ(frame.config().protocolSelector(), 1);
  EXPECT_EQ(mainPort().baud, 19200u);
  EXPECT_TRUE(ac.form().timers().empty());
  EXPECT_EQ(frame.mainDecoder().flags().expectReceiverAnswer, 0u);
}

TEST_F(AutoConnectTest, AnAnswerWhenTheWaitIsOverIsNotCounted) {
  AutoConnect ac(frame);
  ac.ChoosePort("Com2");
  ac.form().Press(AutoConnect::kStartButton, &desk);
  Run(ac, 20);
  EXPECT_EQ(ac.stepCount(), 20);
  // Arrives at the event that ends the wait: the next rate is tried and forgets it.
  mainPort().Queue(PartNumbers());
  frame.OnTimer(kPollTimer);
  EXPECT_TRUE(frame.mainDecoder().receiverAnswered());
  ac.form().FireTimer(AutoConnect::kTimerId);
  EXPECT_TRUE(ac.searching());
  EXPECT_EQ(ac.attemptRate(), 19200u);
  EXPECT_FALSE(frame.mainDecoder().receiverAnswered());
}

TEST_F(AutoConnectTest, NmeaReceiverIsFoundByItsNavigationStatusSentence) {
  AutoConnect ac(frame);
  ac.ChoosePort("Com2");
  ac.form().Press(AutoConnect::kStartButton, &desk);
  Run(ac, 266);
  ASSERT_EQ(frame.config().protocolSelector(), 0);
  EXPECT_EQ(ac.form().Label(AutoConnect::kProtocolText), "Protocol NMEA");
  Run(ac, 20 + 20);  // 9600 and 19200 pass
  EXPECT_EQ(ac.attemptRate(), 4800u);
  mainPort().Queue(test::Bytes(test::Sentence("PQTLG,900,3D,1")));
  Run(ac);
  EXPECT_EQ(ac.outcome(), AutoConnect::Outcome::Found);
  EXPECT_EQ(ac.form().Label(AutoConnect::kStatusText), "Baud rate is 4800");
}

TEST_F(AutoConnectTest, CloseStopsASearchWhereItIs) {
  auto ac = std::make_unique<AutoConnect>(frame);
  ac->ChoosePort("Com2");
  ac->form().Press(AutoConnect::kStartButton, &desk);
  Run(*ac, 30);
  EXPECT_EQ(ac->form().Press(kFormCancel, &desk), FormAction::Cancel);
  EXPECT_FALSE(ac->searching());
  EXPECT_TRUE(ac->form().timers().empty());
  EXPECT_EQ(frame.mainDecoder().flags().expectReceiverAnswer, 0u);
  EXPECT_EQ(frame.config().mainBaudRate(), 19200);
  ac->form().FireTimer(AutoConnect::kTimerId);  // a late event does nothing
  EXPECT_EQ(frame.config().mainBaudRate(), 19200);

  // A dialog closed mid-search (destroyed) leaves the decoder out of search mode too.
  ac = std::make_unique<AutoConnect>(frame);
  ac->ChoosePort("Com2");
  ac->Start();
  EXPECT_EQ(frame.mainDecoder().flags().expectReceiverAnswer, 1u);
  ac.reset();
  EXPECT_EQ(frame.mainDecoder().flags().expectReceiverAnswer, 0u);
}

}  // namespace
}  // namespace orv
