// The poll loop of the main frame: what one timer event does, in which order, with fake ports
// and a fake desktop whose timers the test fires.
#include <gtest/gtest.h>

#include <fcntl.h>

#include "app/MainFrame.h"
#include "protocol/ProtocolSwitch.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/Frames.h"

namespace orv {
namespace {

using test::FakePort;
using test::Frame;

class MainFrameTest : public ::testing::Test {
 protected:
  MainFrameTest()
      : frame(desk, [this](StreamDecoder* sink) {
          auto port = std::make_unique<FakePort>(sink);
          port->trace = &trace;
          ports.push_back(port.get());
          return port;
        }) {}

  FakePort& mainPort() { return *ports[0]; }
  FakePort& auxPort() { return *ports[1]; }

  void OpenMain(const std::string& name, uint32_t baud) {
    frame.config().SetMainPortName(name);
    frame.ChangeMainBaud(baud);
  }

  test::FakeDesktop desk;
  std::vector<std::string> trace;
  std::vector<FakePort*> ports;
  CMainFrame frame;
};

TEST_F(MainFrameTest, StartsWithThePanesAndThreePorts) {
  EXPECT_EQ(ports.size(), 3u);
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE           ");
  EXPECT_EQ(desk.PaneText(kPaneRecording), "");
  EXPECT_EQ(frame.secondDecoder().flags().baseFileFlag, 1u);
  EXPECT_FALSE(frame.IsAnyInputActive());
}

TEST_F(MainFrameTest, OpeningTheMainPortArmsTheSerialPollAndSetsTitleAndPane) {
  OpenMain("COM1", 19200);
  EXPECT_EQ(mainPort().log.back(), "open COM1 19200");
  EXPECT_EQ(desk.timers.at(kPollTimer), 100u);
  EXPECT_EQ(desk.title, "COM1 - ORVANTIS QUENMARSH");
  EXPECT_EQ(desk.PaneText(kPanePort), "COM1:");
  EXPECT_EQ(frame.state().mainPortOpen, 1u);
  EXPECT_EQ(frame.mainDecoder().flags().timeGateOpen, 1u);
  EXPECT_EQ(frame.secondDecoder().flags().baseFileFlag, 0u);  // both decoders reset
  EXPECT_EQ(frame.config().mainBaudRate(), 9600);            // the stored rate is untouched
  // A second open keeps the first poll period.
  frame.ArmPollTimer(10);
  EXPECT_EQ(desk.timers.at(kPollTimer), 100u);
}

TEST_F(MainFrameTest, MainPortIsReadBeforeAuxAndItsBytesReachTheDecoder) {
  OpenMain("COM1", 9600);
  frame.auxPort().Open("COM2", 9600, 'N', 8, 1);
  frame.state().auxPortOpen = 1;
  struct AuxWindow : TerminalLink {
    void ShowText(const char* t, uint32_t n) override { text += std::string(t, n); }
    std::string text;
  } aux;
  frame.SetAuxWindow(&aux);
  mainPort().Queue(Frame(20, {1, 2}));
  auxPort().Queue(test::Bytes("hello"));
  frame.OnTimer(kPollTimer);
  ASSERT_EQ(trace.size(), 2u);
  EXPECT_EQ(trace[0], "COM1 read");
  EXPECT_EQ(trace[1], "COM2 read");
  EXPECT_EQ(frame.mainDecoder().counters().messageCountById[20], 1u);
  EXPECT_EQ(aux.text, "hello");
  EXPECT_EQ(frame.mainDecoder().counters().validMessageCount, 1u);
  EXPECT_EQ(frame.state().tickCount, 1u);
  EXPECT_EQ(desk.PaneText(kPanePort), "COM1: 1 msg");
}

TEST_F(MainFrameTest, APollReadsAgainWhileReadsComeBackFull) {
  OpenMain("COM1", 115200);
  mainPort().Queue(std::vector<uint8_t>(5500, 0x55));
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(mainPort().reads, 6);
  EXPECT_EQ(frame.state().lastMainCount, 5500u);
  mainPort().reads = 0;
  mainPort().Queue(std::vector<uint8_t>(100000, 0x55));
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(mainPort().reads, 64);
  EXPECT_EQ(mainPort().pending.size(), 36000u);
  mainPort().reads = 0;
  frame.OnTimer(kPollTimer);  // 921600 bit/s is 9216 bytes per 100 ms: far inside one event
  EXPECT_EQ(mainPort().reads, 37);
  EXPECT_TRUE(mainPort().pending.empty());
}

TEST_F(MainFrameTest, BaudSweepTakesEighteenEvents) {
  OpenMain("COM3", 38400);
  mainPort().log.clear();
  mainPort().sent.clear();
  frame.StartBaudSweep();
  for (int i = 0; i < 18; ++i) frame.OnTimer(i % 3 == 2 ? kRecordTimer : kPollTimer);
  EXPECT_EQ(frame.state().sweepActive, 0u);
  EXPECT_EQ(frame.state().sweepStep, 0);
  std::vector<std::string> opens;
  for (const auto& l : mainPort().log) {
    if (l.rfind("open", 0) == 0) opens.push_back(l.substr(10));
  }
  const std::vector<std::string> rates = {"300",  "600",  "1200", "2400",  "4800",  "9600",
                                          "19200", "38400", "300",  "600",   "1200",  "2400",
                                          "4800", "19200", "38400", "57600", "115200", "9600"};
  EXPECT_EQ(opens, rates);
  ASSERT_EQ(mainPort().sent.size(), 17u);
  const std::string nmea(mainPort().sent[0].begin(), mainPort().sent[0].end());
  EXPECT_EQ(nmea, "$PQTLG,000,1,9600*" + nmea.substr(nmea.size() - 4));
  EXPECT_EQ(nmea.substr(nmea.size() - 2), "\r\n");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(mainPort().sent[static_cast<std::size_t>(i)], mainPort().sent[0]);
  for (int i = 8; i < 17; ++i) {
    EXPECT_EQ(mainPort().sent[static_cast<std::size_t>(i)], test::Hex("01 6E 91 01 20 21 01")) << i;
  }
  EXPECT_EQ(frame.state().mainPortOpen, 1u);
  EXPECT_EQ(mainPort().baud, 9600u);
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(mainPort().sent.size(), 17u);
}

TEST_F(MainFrameTest, ProtocolConfirmationGoesOutOnTheSecondEvent) {
  OpenMain("COM1", 4800);
  frame.config().SetMainBaudRate(4800);
  mainPort().sent.clear();
  frame.StartProtocolConfirmation();
  frame.OnTimer(kPollTimer);
  EXPECT_TRUE(mainPort().sent.empty());
  frame.OnTimer(kRecordTimer);
  ASSERT_EQ(mainPort().sent.size(), 1u);
  EXPECT_EQ(mainPort().sent[0][4], 0x80 | 16);  // NMEA at 4800
  EXPECT_EQ(frame.state().confirmPending, 0u);
  EXPECT_EQ(frame.state().confirmTicks, 0);
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(mainPort().sent.size(), 1u);

  // Closed before it was due, it never goes out on the next line opened.
  frame.StartProtocolConfirmation();
  frame.OnStop();
  OpenMain("COM1", 9600);
  mainPort().sent.clear();
  for (int i = 0; i < 4; ++i) frame.OnTimer(kPollTimer);
  EXPECT_TRUE(mainPort().sent.empty());
}

// The poll asks for the active file's state (action 4, "Info."), never a zeroed request (a
// Create), and only while the file manager window is linked to show the answer.
TEST_F(MainFrameTest, FileManagerTimerAsksForTheFileInfoOnlyWhileItsWindowIsOpen) {
  OpenMain("COM1", 9600);
  mainPort().sent.clear();
  frame.OnTimer(kFileManagerTimer);
  EXPECT_TRUE(mainPort().sent.empty());
  struct Window : FileManagerWindowLink {
    void ShowRecord(const FileManagerRecord&) override {}
  } window;
  frame.mainDecoder().store().links().fileManager = &window;
  // The frame's poll sees the window and runs the file-manager poll every 2 s.
  EXPECT_FALSE(desk.TimerArmed(kFileManagerTimer));
  frame.OnTimer(kPollTimer);
  ASSERT_TRUE(desk.TimerArmed(kFileManagerTimer));
  EXPECT_EQ(desk.timers[kFileManagerTimer], 2000u);
  frame.OnTimer(kFileManagerTimer);
  frame.mainDecoder().store().links().fileManager = nullptr;
  frame.OnTimer(kPollTimer);
  EXPECT_FALSE(desk.TimerArmed(kFileManagerTimer));
  ASSERT_EQ(mainPort().sent.size(), 1u);
  const auto& f = mainPort().sent[0];
  ASSERT_EQ(f.size(), 60u);
  EXPECT_EQ(f[1], 70);
  EXPECT_EQ(f[4], 1);
  std::vector<uint8_t> expected(53, 0);
  expected[0] = 4;
  EXPECT_EQ(std::vector<uint8_t>(f.begin() + 5, f.end() - 2), expected);
}

TEST_F(MainFrameTest, AlmanacTransferWaitsFifteenSecondsForTheFirstAck) {
  OpenMain("COM1", 9600);
  mainPort().sent.clear();
  frame.StartAlmanacTransfer(std::vector<AlmanacTransferRecord>(2));
  for (int i = 0; i < 150; ++i) frame.OnTimer(kPollTimer);
  EXPECT_TRUE(desk.boxes.empty());
  frame.OnTimer(kPollTimer);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Link Failure No Ack for Message #78 (Common almanac data transfer).");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Stop);
  EXPECT_TRUE(desk.boxes[0].posted);  // raised inside the poll: shown after it
  EXPECT_EQ(frame.mainDecoder().flags().transferActive, 0u);
  EXPECT_TRUE(mainPort().sent.empty());
}

// A box the decoder raises while the poll decodes is posted, so the poll returns and the reads
// go on while it is open; the same box raised outside a timer event is shown at once.
TEST_F(MainFrameTest, BoxesRaisedWhileThePollDecodesAreShownAfterIt) {
  OpenMain("COM1", 9600);
  frame.StartAlmanacTransfer(std::vector<AlmanacTransferRecord>(1));
  mainPort().Queue(Frame(78, {1}));
  mainPort().Queue(Frame(20, {}));
  frame.OnTimer(kPollTimer);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Almanac transfer data is downloaded unsuccesfully.");
  EXPECT_TRUE(desk.boxes[0].posted);
  EXPECT_EQ(frame.mainDecoder().counters().messageCountById[20], 1u);  // the block was decoded whole
  EXPECT_FALSE(frame.inTimerEvent());

  frame.StartAlmanacTransfer(std::vector<AlmanacTransferRecord>(1));
  std::vector<uint8_t> bytes = Frame(78, {1});
  bytes.push_back(0);
  frame.mainDecoder().Decode(bytes.data(), static_cast<uint32_t>(bytes.size() - 1));
  ASSERT_EQ(desk.boxes.size(), 2u);
  EXPECT_FALSE(desk.boxes[1].posted);
}

TEST_F(MainFrameTest, EachAcknowledgementReleasesTheNextRecord) {
  OpenMain("COM1", 9600);
  mainPort().sent.clear();
  std::vector<AlmanacTransferRecord> records(2);
  records[1].second = 7;
  frame.StartAlmanacTransfer(records);
  for (int n = 1; n <= 2; ++n) {
    frame.mainDecoder().SetAckReceived(1);
    frame.OnTimer(kPollTimer);
    ASSERT_EQ(mainPort().sent.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(mainPort().sent.back()[1], 79);
    EXPECT_EQ(frame.mainDecoder().flags().ackReceived, 0u);
  }
  EXPECT_EQ(mainPort().sent.back()[4], 7);
  // The last record's acknowledgement ends the transfer.
  frame.mainDecoder().SetAckReceived(1);
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.mainDecoder().flags().transferActive, 0u);
  EXPECT_EQ(mainPort().sent.size(), 2u);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Information);
}

TEST_F(MainFrameTest, PlaybackEndsWhenAReadDeliversNothing) {
  const std::string dir = test::TempDir();
  const std::string path = dir + "/p.log";
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 30; ++i) {
    const auto f = Frame(20, std::vector<uint8_t>(71, static_cast<uint8_t>(i)));
    bytes.insert(bytes.end(), f.begin(), f.end());
  }
  {
    LogFile out;
    ASSERT_TRUE(out.Create(path, O_WRONLY | O_CREAT | O_TRUNC, 0600));
    out.Send(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  ASSERT_TRUE(frame.playbackReader().OpenForPlayback(path, &desk));
  frame.config().SetPlaybackBytesPerTick(1000);
  frame.ArmPollTimer(kPlaybackPollMs);
  frame.state().playbackActive = 1;
  frame.mainDecoder().SetTimeGateOpen(1);
  desk.title = "p.log - ORVANTIS QUENMARSH";
  desk.SetPaneText(kPanePort, "LOG: ");
  int ticks = 0;
  while (frame.state().playbackActive && ticks < 100) {
    frame.OnTimer(kPollTimer);
    ++ticks;
  }
  EXPECT_EQ(ticks, 4);  // 2310 bytes: three reads, then the empty one
  EXPECT_EQ(frame.mainDecoder().counters().messageCountById[20], 30u);
  EXPECT_FALSE(frame.playbackReader().isOpen());
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
}

TEST_F(MainFrameTest, ADamagedPlaybackRateNeitherEndsNorFloodsThePlayback) {
  const std::string path = test::TempDir() + "/r.log";
  const auto bytes = Frame(20, std::vector<uint8_t>(200, 1));
  std::vector<uint8_t> big;
  for (int i = 0; i < 40; ++i) big.insert(big.end(), bytes.begin(), bytes.end());
  {
    LogFile out;
    ASSERT_TRUE(out.Create(path, O_WRONLY | O_CREAT | O_TRUNC, 0600));
    out.Send(big.data(), static_cast<uint32_t>(big.size()));
  }
  ASSERT_TRUE(frame.playbackReader().OpenForPlayback(path, &desk));
  frame.state().playbackActive = 1;
  frame.config().SetPlaybackBytesPerTick(0);
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.state().playbackActive, 1u);
  EXPECT_EQ(frame.state().lastMainCount, 1u);
  frame.config().SetPlaybackBytesPerTick(1000000);
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.state().lastMainCount, 5000u);
}

TEST_F(MainFrameTest, StopClosesEverythingAndResetsTheCounters) {
  OpenMain("COM1", 9600);
  mainPort().Queue(Frame(20, {}));
  frame.OnTimer(kPollTimer);
  EXPECT_TRUE(frame.AnyStoppableActive());
  frame.OnStop();
  EXPECT_EQ(frame.state().mainPortOpen, 0u);
  EXPECT_EQ(frame.state().pollTimer, 0u);
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(frame.mainDecoder().counters().validMessageCount, 0u);
  EXPECT_EQ(desk.PaneText(kPanePort), "COM NONE     ");
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_FALSE(frame.AnyStoppableActive());
  // Stop with nothing open only resets the counters and the title.
  desk.title = "x";
  frame.OnStop();
  EXPECT_EQ(desk.title, "ORVANTIS QUENMARSH");
  EXPECT_TRUE(desk.boxes.empty());
}

TEST_F(MainFrameTest, ClosingTheLastInputKillsThePollTimer) {
  OpenMain("COM1", 9600);
  frame.auxPort().Open("COM2", 9600, 'N', 8, 1);
  frame.state().auxPortOpen = 1;
  frame.StopInput(2);
  frame.KillPollTimerIfIdle();
  EXPECT_TRUE(desk.TimerArmed(kPollTimer));
  frame.StopInput(7);
  frame.KillPollTimerIfIdle();
  EXPECT_FALSE(desk.TimerArmed(kPollTimer));
  EXPECT_EQ(frame.state().pollTimer, 0u);
}

// A synchronized playback stopped after a measurement block leaves the decoder waiting to be
// resumed; a port opened next must be read all the same.
TEST_F(MainFrameTest, OpeningTheMainPortResumesADecoderLeftWaiting) {
  frame.mainDecoder().SetStopAfterMeasurement(1);
  std::vector<uint8_t> block = Frame(23, std::vector<uint8_t>(22, 0));
  block.insert(block.end(), {0, 0});  // the decoder stops before the byte after the block
  frame.mainDecoder().Decode(block.data(), static_cast<uint32_t>(block.size() - 1));
  ASSERT_FALSE(frame.mainDecoder().readyForInput());
  OpenMain("COM1", 9600);
  mainPort().Queue(Frame(20, {1, 2}));
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(mainPort().reads, 1);
  EXPECT_EQ(frame.mainDecoder().counters().messageCountById[20], 1u);
}

// A timed recording that ends by itself takes the "&Stop" item and the check marks with it.
TEST_F(MainFrameTest, ARecordingEndedByItsTimerRefreshesTheMenus) {
  frame.timedRecorder().Configure(0, 0, true);
  frame.state().mainRecording = 1;
  const int before = desk.menuRefreshes;
  frame.OnTimer(kRecordTimer);
  EXPECT_EQ(frame.state().mainRecording, 0u);
  EXPECT_GT(desk.menuRefreshes, before);
  EXPECT_FALSE(frame.AnyStoppableActive());
}

TEST_F(MainFrameTest, ReopenMainPortUsesTheStoredRateOnlyWhenOpen) {
  frame.config().SetMainPortName("COM2");
  frame.config().SetMainBaudRate(57600);
  frame.ReopenMainPort();
  EXPECT_TRUE(mainPort().log.empty());
  frame.ChangeMainBaud(9600);
  frame.ReopenMainPort();
  EXPECT_EQ(mainPort().log.back(), "open COM2 57600");
}

}  // namespace
}  // namespace orv
