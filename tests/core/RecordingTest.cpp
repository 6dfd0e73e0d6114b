// Main-port and aux-port recording, automatic logging and the summary window, driven through
// the main frame with fake ports, a fake desktop and real files in a temporary directory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/MainFrame.h"
#include "ids/CommandIds.h"
#include "logging/LogFileSetupForm.h"
#include "logging/MessageListForm.h"
#include "logging/TimedRecorder.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/Frames.h"
#include "support/RecordingCanvas.h"
#include "windows/AutoLogSummaryWnd.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::FakePort;
using test::Frame;

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The requests among the frames sent: message byte (number + mode) and the first payload byte.
std::vector<std::pair<int, int>> SentRequests(const FakePort& port) {
  std::vector<std::pair<int, int>> out;
  for (const auto& f : port.sent) {
    if (f.size() >= 6 && f[0] == 0x01) out.emplace_back(f[1], f[3] > 0 ? f[4] : -1);
  }
  return out;
}

class RecordingTest : public ::testing::Test {
 protected:
  RecordingTest()
      : dir(fs::temp_directory_path() / ("orv-rec-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name())),
        frame(desk, [this](StreamDecoder* sink) {
          auto port = std::make_unique<FakePort>(sink);
          ports.push_back(port.get());
          return port;
        }) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~RecordingTest() override { fs::remove_all(dir); }

  FakePort& mainPort() { return *ports[0]; }
  FakePort& auxPort() { return *ports[1]; }
  void OpenMain() {
    frame.config().SetMainPortName("COM1");
    frame.ChangeMainBaud(9600);
    mainPort().sent.clear();
  }
  // The Log File Setup dialog answered with the given boxes and minutes; the message list
  // with `messages` checked (none: cancelled).
  void AnswerSetup(bool start, int startMin, bool stop, int stopMin, std::vector<int> messages = {}) {
    desk.formDriver = [=](Form& f) {
      if (f.caption() == "Log File Setup") {
        f.SetChecked(LogFileSetupForm::kStart, start);
        f.SetText(LogFileSetupForm::kStartMinutes, std::to_string(startMin));
        f.SetChecked(LogFileSetupForm::kStop, stop);
        f.SetText(LogFileSetupForm::kStopMinutes, std::to_string(stopMin));
        return f.Press(kFormOk) == FormAction::Ok;
      }
      if (f.caption() == "KTX Binary Messages list" && !messages.empty()) {
        for (int n : messages) f.SetBoxChecked(MessageListForm::kMessages, n - 1, true);
        return f.Press(kFormOk) == FormAction::Ok;
      }
      return false;
    };
  }
  // One second of the console: a block from the receiver, then timer 23.
  void Second(const std::vector<uint8_t>& block) {
    mainPort().Queue(block);
    frame.OnTimer(kPollTimer);
    frame.OnTimer(kRecordTimer);
  }

  fs::path dir;
  test::FakeDesktop desk;
  std::vector<FakePort*> ports;
  CMainFrame frame;
};

TEST_F(RecordingTest, StartTwoMinutesStopOneMinuteRecordsTheSixtySecondsAfterTheDelay) {
  OpenMain();
  const fs::path file = dir / "timed.log";
  desk.saveFileAnswer = file.string();
  AnswerSetup(true, 2, true, 1);
  frame.OnSaveMainPortData();
  ASSERT_EQ(frame.state().mainRecording, 1u);
  EXPECT_EQ(desk.timers.at(kRecordTimer), 1000u);
  const std::vector<uint8_t> block = Frame(20, {1, 2, 3, 4});
  for (int step = 1; step <= 120; ++step) {
    Second(block);
    ASSERT_EQ(fs::file_size(file), 0u) << "step " << step;
    // The ephemeris request goes out on the last second of the delay, not before.
    ASSERT_EQ(SentRequests(mainPort()).size(), step == 120 ? 1u : 0u) << "step " << step;
  }
  EXPECT_EQ(SentRequests(mainPort())[0], std::make_pair(22 + 128, -1));
  for (int step = 121; step <= 180; ++step) {
    Second(block);
    ASSERT_TRUE(frame.timedRecorder().gateOpen()) << "step " << step;
  }
  EXPECT_EQ(frame.state().mainRecording, 1u);
  Second(block);  // step 181: the period is over
  EXPECT_EQ(frame.state().mainRecording, 0u);
  // The blocks read after steps 121 to 180 opened the gate: 60 of them.
  EXPECT_EQ(fs::file_size(file), 60 * block.size());
  EXPECT_FALSE(frame.writerFile(CMainFrame::kMainRecordingFile).isOpen());
  EXPECT_EQ(desk.PaneText(kPaneRecording), "");
  EXPECT_FALSE(desk.TimerArmed(kRecordTimer));
  EXPECT_EQ(frame.timedRecorder().file(), nullptr);
  // Only the port now holds the "&Stop" item.
  frame.StopInput(2);
  EXPECT_FALSE(frame.AnyStoppableActive());
}

TEST_F(RecordingTest, TheRecorderGateForEachCombinationOfBoxes) {
  LogFile file;
  const fs::path p = dir / "gate.log";
  ASSERT_TRUE(file.Create(p.string(), O_CREAT | O_RDWR | O_TRUNC, 0600));
  const uint8_t b[3] = {1, 2, 3};
  TimedRecorder r;
  r.SetFile(&file);

  // Stop only: the gate opens on the first step, so the first second is lost.
  RecordingSettings stopOnly{false, true, 0, 1};
  RecordingTiming t = stopOnly.Timing();
  r.Configure(t.startSeconds, t.durationSeconds, t.timed);
  EXPECT_FALSE(r.WriteBlock(b, 3));
  EXPECT_FALSE(r.Step());
  EXPECT_TRUE(r.WriteBlock(b, 3));
  EXPECT_EQ(r.elapsedSeconds(), 1u);

  // Neither box: untimed, written from the start, never finishes.
  RecordingSettings neither{};
  t = neither.Timing();
  EXPECT_FALSE(t.timed);
  r.Configure(t.startSeconds, t.durationSeconds, t.timed);
  EXPECT_TRUE(r.WriteBlock(b, 3));
  for (int i = 0; i < 1000; ++i) ASSERT_FALSE(r.Step());
  EXPECT_EQ(r.elapsedSeconds(), 1000u);

  // Both boxes at 0: finished on the first step without ever opening the gate.
  RecordingSettings zero{true, true, 0, 0};
  t = zero.Timing();
  r.Configure(t.startSeconds, t.durationSeconds, t.timed);
  EXPECT_TRUE(r.Step());
  EXPECT_FALSE(r.WriteBlock(b, 3));
  EXPECT_EQ(fs::file_size(p), 6u);

  // Start only: a week less a second of recording after the delay.
  t = RecordingSettings{true, false, 3, 0}.Timing();
  EXPECT_EQ(t.startSeconds, 180);
  EXPECT_EQ(t.durationSeconds, 604799);
}

TEST_F(RecordingTest, MinutesAreLimitedInTheFormAndOnLoad) {
  frame.config().SetRecordStartMinutes(2000000000);
  frame.config().SetRecordStopMinutes(-5);
  const RecordingSettings loaded = RecordingSettings::FromConfiguration(frame.config());
  EXPECT_EQ(loaded.startMinutes, 10080);
  EXPECT_EQ(loaded.stopMinutes, 0);
  EXPECT_EQ((RecordingSettings{true, true, 10080, 10080}.Timing().durationSeconds), 604800);

  LogFileSetupForm form(loaded);
  EXPECT_EQ(form.form().Text(LogFileSetupForm::kStartMinutes), "10080");
  form.form().SetText(LogFileSetupForm::kStartMinutes, "10081");
  test::FakeDesktop boxes;
  EXPECT_EQ(form.form().Press(kFormOk, &boxes), FormAction::None);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  form.form().SetText(LogFileSetupForm::kStartMinutes, "10080");
  EXPECT_EQ(form.form().Press(kFormOk, &boxes), FormAction::Ok);
}

TEST_F(RecordingTest, TheMessageListSendsOnlyRequestsForMessagesTheReceiverSends) {
  MessageSelection s{};
  for (int n : {2, 6, 7, 23, 45, 47, 57, 63, 99, 100, 110, 20}) s[static_cast<std::size_t>(n)] = 1;
  const std::vector<RecordingRequest> expected = {
      {6, kContinuous}, {20, kContinuous}, {3023, kContinuous}, {45, kOneShot}, {47, kOneShot}, {41, kContinuous}};
  EXPECT_EQ(SelectionRequests(s), expected);
  // 7 alone is asked for.
  MessageSelection seven{};
  seven[7] = 1;
  EXPECT_EQ(SelectionRequests(seven), (std::vector<RecordingRequest>{{7, kContinuous}}));

  MessageListForm list(s);
  EXPECT_EQ(list.form().caption(), "KTX Binary Messages list");
  const FormField* grid = list.form().field(MessageListForm::kMessages);
  ASSERT_EQ(grid->options.size(), 127u);
  EXPECT_EQ(grid->options[5], "6, Assignment data (ch1-6)");
  EXPECT_EQ(grid->options[44], "45, HW/SW PArt Number");
  EXPECT_EQ(grid->options[0], "Msg 1");
  EXPECT_FALSE(list.form().OptionEnabled(MessageListForm::kMessages, 99));  // 100 erases the fault log
  const MessageSelection back = list.Selection();
  EXPECT_EQ(back[100], 0);
  EXPECT_EQ(back[57], 1);

  // Through the frame: the chosen messages go out in increasing order after the setup.
  OpenMain();
  desk.saveFileAnswer = (dir / "list.log").string();
  AnswerSetup(false, 0, false, 0, {47, 6, 7, 23, 57, 2, 63, 99, 100, 110});
  frame.OnSaveMainPortData();
  const std::vector<std::pair<int, int>> sent = SentRequests(mainPort());
  const std::vector<std::pair<int, int>> want = {{6 + 128, -1}, {23 + 128, 3}, {47, -1}, {41 + 128, -1}};
  EXPECT_EQ(sent, want);
  EXPECT_EQ(frame.messageSelection()[47], 1);
}

TEST_F(RecordingTest, AutomaticLoggingSendsItsRequestsInKtxBinaryAndNoneInNmea) {
  OpenMain();
  desk.saveFileAnswer = (dir / "auto.log").string();
  frame.OnAutomaticLogging();
  EXPECT_EQ(frame.state().autoLogActive, 1u);
  EXPECT_EQ(frame.state().mainRecording, 1u);
  EXPECT_EQ(desk.formsRun, 0);  // no setup dialogs
  const std::vector<std::pair<int, int>> sent = SentRequests(mainPort());
  ASSERT_EQ(sent.size(), 7u);
  EXPECT_EQ(sent[0].first, 63);  // InitLink, new password, One Shot
  const int order[] = {20, 21, 22, 33, 45, 49};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(sent[static_cast<std::size_t>(i + 1)].first, order[i] + 128);
  EXPECT_EQ(frame.mainDecoder().flags().loggingCountOn, 1u);

  frame.OnAutomaticLogging();
  ASSERT_FALSE(desk.boxes.empty());
  EXPECT_EQ(desk.boxes.back().text, "Automatic log already running.");
  // The command that ends the recording ends automatic logging with it.
  frame.OnSaveMainPortData();
  EXPECT_EQ(frame.state().autoLogActive, 0u);
  EXPECT_EQ(frame.mainDecoder().flags().loggingCountOn, 0u);

  frame.config().SetProtocolSelector(0);
  mainPort().sent.clear();
  frame.OnAutomaticLogging();
  EXPECT_EQ(frame.state().mainRecording, 1u);
  EXPECT_TRUE(SentRequests(mainPort()).empty());
}

TEST_F(RecordingTest, AutomaticLoggingRefusesWithoutAPortAndBesideAManualRecording) {
  frame.OnAutomaticLogging();
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Port Not Open. Open port before running test");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(frame.state().autoLogActive, 0u);

  OpenMain();
  desk.saveFileAnswer = (dir / "manual.log").string();
  frame.OnSaveMainPortData();
  ASSERT_EQ(frame.state().mainRecording, 1u);
  frame.OnAutomaticLogging();
  EXPECT_EQ(frame.state().mainRecording, 1u);  // the manual recording goes on
  EXPECT_EQ(frame.state().autoLogActive, 0u);
  EXPECT_EQ(desk.boxes.size(), 2u);
  frame.OnSaveMainPortData();

  // A file that cannot be created ends automatic logging: the next try starts afresh.
  desk.saveFileAnswer = (dir / "missing" / "x.log").string();
  frame.OnAutomaticLogging();
  EXPECT_EQ(desk.boxes.back().text, "Unable to create KTX log file.");
  EXPECT_EQ(frame.state().autoLogActive, 0u);
  frame.OnAutomaticLogging();
  EXPECT_EQ(desk.boxes.back().text, "Unable to create KTX log file.");
  // Cancelling the file dialog ends it too.
  desk.saveFileAnswer.reset();
  frame.OnAutomaticLogging();
  EXPECT_EQ(frame.state().autoLogActive, 0u);
}

TEST_F(RecordingTest, TheSummaryListsTheCountedMessagesAndTheElapsedTime) {
  ReceiverDecoder decoder;
  PageContext context;
  context.status = &frame;
  CAutoLogSummaryWnd page(context);
  decoder.SetAutoLogLink(&page);
  decoder.SetLoggingCountOn(1);
  auto in = Concat({Frame(20, {1}), Frame(1, {}), Frame(5, {2}), Frame(20, {3})});
  decoder.Decode(in.data(), static_cast<uint32_t>(in.size()));
  page.OnElapsedSeconds(75);
  test::RecordingCanvas canvas;
  page.Paint(canvas);
  EXPECT_TRUE(canvas.Has("text 15 20 Comm Parameter:"));
  EXPECT_TRUE(canvas.Has("text 115 65  1:15     "));
  EXPECT_TRUE(canvas.Has("text 15 80 Msg   1 :   1     "));
  EXPECT_TRUE(canvas.Has("text 15 95 Msg   5 :   1     "));
  EXPECT_TRUE(canvas.Has("text 15 110 Msg  20 :   2     "));
  EXPECT_TRUE(canvas.Has("text 115 35 KTX Binary"));
  int lines = 0;
  for (const auto& t : canvas.Texts()) lines += t.find("Msg ") != std::string::npos;
  EXPECT_EQ(lines, 3);
}

TEST_F(RecordingTest, TheRecordingPaneShowsThePathThenTheBytesLogged) {
  const fs::path old = fs::current_path();
  fs::create_directories(dir / "runs");
  fs::current_path(dir);
  OpenMain();
  desk.saveFileAnswer = "runs/a:b.log";
  frame.OnSaveMainPortData();
  EXPECT_EQ(desk.PaneText(kPaneRecording), "runs/a:b.log:");
  mainPort().Queue(std::vector<uint8_t>(1000, 0x55));
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(desk.PaneText(kPaneRecording), "runs/a:b.log: 1000 bytes");
  frame.OnStop();
  EXPECT_EQ(fs::file_size(dir / "runs" / "a:b.log"), 1000u);
  fs::current_path(old);
}

// Stop closes the file; the next recording replaces the file object. Nothing may still point
// at the old one, even when the new file cannot be created (run under AddressSanitizer).
TEST_F(RecordingTest, StopAndThePortButtonsDetachTheRecorderFromTheFile) {
  OpenMain();
  desk.saveFileAnswer = (dir / "first.log").string();
  frame.OnSaveMainPortData();
  frame.OnStop();
  EXPECT_EQ(frame.timedRecorder().file(), nullptr);
  EXPECT_EQ(frame.timedRecorder().encoder(), nullptr);
  frame.StartMainRecording((dir / "missing" / "x.log").string());
  OpenMain();
  mainPort().Queue(std::vector<uint8_t>(100, 0x55));
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.mainDecoder().counters().bytesLogged, 0u);

  // A port button closes everything through Stop as well.
  desk.saveFileAnswer = (dir / "second.log").string();
  frame.OnSaveMainPortData();
  ASSERT_EQ(frame.state().mainRecording, 1u);
  frame.OnUtilityButton(cmd::kPortCom1);
  EXPECT_EQ(frame.state().mainRecording, 0u);
  frame.StartMainRecording((dir / "missing" / "y.log").string());
  OpenMain();
  mainPort().Queue(std::vector<uint8_t>(100, 0x55));
  frame.OnTimer(kPollTimer);
  EXPECT_EQ(frame.mainDecoder().counters().bytesLogged, 0u);
}

TEST_F(RecordingTest, AFailedWriteEndsTheRecordingWithAMessageAndKeepsWhatWasWritten) {
  OpenMain();
  const fs::path file = dir / "full.log";
  desk.saveFileAnswer = file.string();
  frame.OnSaveMainPortData();
  // Files of this process may not grow past 1500 bytes: the second block is cut short.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1500;
  auto previous = ::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  mainPort().Queue(std::vector<uint8_t>(1000, 0x55));
  frame.OnTimer(kPollTimer);
  mainPort().Queue(std::vector<uint8_t>(1000, 0x55));
  frame.OnTimer(kPollTimer);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, previous);
  EXPECT_EQ(frame.state().mainRecording, 0u);
  EXPECT_EQ(frame.mainDecoder().counters().bytesLogged, 0u);  // detached: the count restarts
  ASSERT_FALSE(desk.boxes.empty());
  EXPECT_NE(desk.boxes.back().text.find(file.string()), std::string::npos);
  EXPECT_EQ(desk.boxes.back().icon, MessageIcon::Exclamation);
  EXPECT_EQ(fs::file_size(file), 1500u);
}

TEST_F(RecordingTest, TheWriteFailureIsNotCountedAsLogged) {
  LogFile file;  // never opened: every write fails
  TimedRecorder r;
  r.SetFile(&file);
  r.Configure(0, 0, false);
  ReceiverDecoder d;
  d.AttachLogWriter(&r);
  std::vector<uint8_t> block(50, 0x55);
  d.Decode(block.data(), 49);
  EXPECT_EQ(d.counters().bytesLogged, 0u);
  EXPECT_TRUE(r.writeFailed());
}

TEST_F(RecordingTest, ARecordingStartsEmptyEvenWhenTheOldFileCannotBeDeleted) {
  const fs::path file = dir / "old.log";
  { std::ofstream(file) << "old contents of the file"; }
  const int fd = ::open(file.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  // The descriptor's name in /proc cannot be removed, even by root, but opens the file.
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  ASSERT_FALSE(LogFile::Delete(path));
  frame.StartMainRecording(path);
  EXPECT_EQ(frame.state().mainRecording, 1u);
  EXPECT_EQ(fs::file_size(file), 0u);
  frame.OnStop();
  ::close(fd);
}

TEST_F(RecordingTest, AuxRecordingNeedsThePortAndEndsWhenThePortCloses) {
  frame.OnSaveAuxPortData();
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "No port has been selected! (Auxillary).");
  frame.auxPort().Open("COM2", 9600, 'N', 8, 1);
  frame.state().auxPortOpen = 1;
  struct Aux : TerminalLink {
    void ShowText(const char*, uint32_t) override {}
  } window;
  frame.SetAuxWindow(&window);
  desk.saveFileAnswer = (dir / "missing" / "aux.log").string();
  frame.OnSaveAuxPortData();
  EXPECT_EQ(desk.boxes.back().text, "Unable to create the log file (aux port data).");
  EXPECT_EQ(frame.state().auxRecording, 0u);
  const fs::path file = dir / "aux.log";
  desk.saveFileAnswer = file.string();
  frame.OnSaveAuxPortData();
  ASSERT_EQ(frame.state().auxRecording, 1u);
  auxPort().Queue(test::Bytes("aux text"));
  frame.OnTimer(kPollTimer);
  frame.StopInput(7);  // what closing the aux window does
  EXPECT_EQ(frame.state().auxRecording, 0u);
  EXPECT_FALSE(frame.writerFile(CMainFrame::kAuxRecordingFile).isOpen());
  EXPECT_EQ(ReadAll(file), test::Bytes("aux text"));
}

// A decoder stopped mid-block is handed the rest again: the recording holds every byte once.
TEST_F(RecordingTest, TheRecorderWritesWhatTheDecoderConsumed) {
  struct Writer : LogWriterLink {
    bool WriteBlock(const uint8_t* b, uint32_t n) override {
      bytes.insert(bytes.end(), b, b + n);
      return true;
    }
    std::vector<uint8_t> bytes;
  } writer;
  ReceiverDecoder d;
  d.AttachLogWriter(&writer);
  d.SetStopAfterMeasurement(1);
  std::vector<uint8_t> stream = Concat({Frame(23, std::vector<uint8_t>(22, 0)), Frame(20, {1, 2})});
  std::vector<uint8_t> block = stream;
  block.push_back(0);
  const uint32_t used = d.Decode(block.data(), static_cast<uint32_t>(stream.size()));
  ASSERT_LT(used, stream.size());
  d.Resume();
  std::vector<uint8_t> rest(stream.begin() + used, stream.end());
  rest.push_back(0);
  EXPECT_EQ(d.Decode(rest.data(), static_cast<uint32_t>(rest.size() - 1)), rest.size() - 1);
  EXPECT_EQ(writer.bytes, stream);
  EXPECT_EQ(d.counters().bytesLogged, stream.size());
}

// The byte total passes 4 GiB without wrapping (a week at 115200 bit/s).
TEST_F(RecordingTest, TheByteTotalIsSixtyFourBit) {
  struct Writer : LogWriterLink {
    bool WriteBlock(const uint8_t*, uint32_t) override { return true; }
  } writer;
  ReceiverDecoder d;
  test::FakeDesktop bar;
  bar.SetPaneText(kPaneRecording, "big.log:");
  d.SetStatusBar(&bar);
  d.AttachLogWriter(&writer);
  d.SetProtocolSelector(0);
  std::vector<uint8_t> block(65536, 'x');
  const uint64_t blocks = (uint64_t{1} << 32) / 65535 + 2;
  for (uint64_t i = 0; i < blocks; ++i) d.Decode(block.data(), 65535);
  EXPECT_EQ(d.counters().bytesLogged, blocks * 65535);
  EXPECT_EQ(bar.PaneText(kPaneRecording), "big.log: " + std::to_string(blocks * 65535) + " bytes");
}

}  // namespace
}  // namespace orv
