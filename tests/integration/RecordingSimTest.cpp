// Recordings against orvantis-sim, which keeps a copy of every byte it puts on the line: a
// recording made by the console and one made by `orvantis-cli record` must each be a run of
// that copy, byte for byte; a recording split at an hour of the receiver's GPS time must cut
// between the last frame before the hour and the first after it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "SimProcess.h"
#include "app/MainFrame.h"
#include "serial/SerialPort.h"
#include "support/FakeDesktop.h"
#include "support/Pty.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

#define REQUIRE_SIM(sim)                                                             \
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built"; \
  ASSERT_FALSE((sim).path().empty()) << "orvantis-sim printed no device path"

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsRunOf(const std::vector<uint8_t>& part, const std::vector<uint8_t>& whole) {
  return !part.empty() && std::search(whole.begin(), whole.end(), part.begin(), part.end()) != whole.end();
}

struct Item {
  int id;
  std::vector<uint8_t> payload;
};
// The frames of a recording made from its first byte on; false when it is not frames only.
bool SplitFrames(const std::vector<uint8_t>& b, std::vector<Item>& out) {
  std::size_t i = 0;
  while (i + 6 <= b.size() && b[i] == 0x01 && b[i + 2] == static_cast<uint8_t>(~b[i + 1])) {
    const std::size_t n = b[i + 3];
    if (i + n + 6 > b.size()) break;
    out.push_back({b[i + 1] & 0x7F, std::vector<uint8_t>(b.begin() + i + 4, b.begin() + i + 4 + n)});
    i += n + 6;
  }
  return i == b.size();
}
double GpsTime(const Item& f) {
  return ReadLe<uint16_t>(f.payload, 8) * 604800.0 + ReadLe<double>(f.payload, 0);
}

class TempDir {
 public:
  TempDir() : path_(fs::temp_directory_path() / ("orv-recsim-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// orvantis-cli as a child process, ended with SIGTERM as a user's Ctrl-C would end it.
class CliProcess {
 public:
  explicit CliProcess(const std::vector<std::string>& args, const fs::path& errFile) {
    pid_ = ::fork();
    if (pid_ == 0) {
      const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) ::dup2(err, STDERR_FILENO);
      const int out = ::open("/dev/null", O_WRONLY);
      if (out >= 0) ::dup2(out, STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(ORVANTIS_CLI_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(ORVANTIS_CLI_PATH, argv.data());
      ::_exit(127);
    }
  }
  ~CliProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  // The exit status once the process ends by itself within `ms` (-1: it did not, or not
  // normally).
  int Wait(int ms) {
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(milliseconds(20));
    }
    return -1;
  }
  // SIGTERM, then the exit status (-1: not a normal exit).
  int Terminate() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
};

TEST(RecordingSim, AConsoleRecordingIsARunOfWhatTheReceiverSent) {
  TempDir dir;
  const fs::path copy = dir.path() / "sent.bin";
  test::SimProcess sim({"--baud", "115200", "--sent-copy", copy.string()});
  REQUIRE_SIM(sim);
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    return std::make_unique<SerialPort>(sink);
  });
  frame.config().SetMainPortName(sim.path());
  frame.ChangeMainBaud(115200);
  const fs::path file = dir.path() / "console.log";
  desk.saveFileAnswer = file.string();
  frame.OnSaveMainPortData();  // the setup dialog cancelled: untimed
  ASSERT_EQ(frame.state().mainRecording, 1u);
  frame.encoder().SendRequest(20, kContinuous);
  frame.encoder().SendRequest(3023, kContinuous);
  const auto end = std::chrono::steady_clock::now() + milliseconds(2500);
  while (std::chrono::steady_clock::now() < end) {
    frame.OnTimer(kPollTimer);
    std::this_thread::sleep_for(milliseconds(20));
  }
  frame.OnSaveMainPortData();
  EXPECT_EQ(frame.state().mainRecording, 0u);
  std::this_thread::sleep_for(milliseconds(200));
  const std::vector<uint8_t> recorded = ReadAll(file);
  EXPECT_GT(recorded.size(), 1000u);
  EXPECT_TRUE(IsRunOf(recorded, ReadAll(copy)));
  EXPECT_EQ(frame.mainDecoder().counters().protocolErrorCount, 0u);
}

TEST(RecordingSim, TheCliRecordingIsARunOfWhatTheReceiverSentAndEndsCleanlyOnSigterm) {
  TempDir dir;
  const fs::path copy = dir.path() / "sent.bin";
  test::SimProcess sim({"--baud", "115200", "--sent-copy", copy.string()});
  REQUIRE_SIM(sim);
  const fs::path file = dir.path() / "cli.log";
  CliProcess cli({"record", "--port", sim.path(), "--baud", "115200", "--requests", "20,23", file.string()},
                 dir.path() / "err.txt");
  std::this_thread::sleep_for(milliseconds(2500));
  EXPECT_EQ(cli.Terminate(), 0);
  std::this_thread::sleep_for(milliseconds(200));
  const std::vector<uint8_t> recorded = ReadAll(file);
  EXPECT_GT(recorded.size(), 1000u);
  EXPECT_TRUE(IsRunOf(recorded, ReadAll(copy)));
  const std::vector<uint8_t> err = ReadAll(dir.path() / "err.txt");
  EXPECT_NE(std::string(err.begin(), err.end()).find(" messages, 0 protocol errors"), std::string::npos);
}

TEST(RecordingSim, SplittingAtTheHourCutsBetweenTheLastFrameBeforeItAndTheFirstAfter) {
  TempDir dir;
  const fs::path copy = dir.path() / "sent.bin";
  // Week 1400, three seconds before 01:00 GPS time on its Sunday.
  const long boundary = 1400L * 604800 + 3600;
  test::SimProcess sim({"--baud", "115200", "--sent-copy", copy.string(), "--start-gps", std::to_string(boundary - 3)});
  REQUIRE_SIM(sim);
  const fs::path file = dir.path() / "split.log";
  CliProcess cli({"record", "--port", sim.path(), "--baud", "115200", "--requests", "20,21,23", "--split-hours", "1",
                  file.string()},
                 dir.path() / "err.txt");
  std::this_thread::sleep_for(milliseconds(5500));
  EXPECT_EQ(cli.Terminate(), 0);
  const fs::path before = dir.path() / "split_20061105_00.log";
  const fs::path after = dir.path() / "split_20061105_01.log";
  ASSERT_TRUE(fs::exists(before));
  ASSERT_TRUE(fs::exists(after));
  const std::vector<uint8_t> a = ReadAll(before), b = ReadAll(after);
  std::vector<uint8_t> both = a;
  both.insert(both.end(), b.begin(), b.end());
  EXPECT_TRUE(IsRunOf(both, ReadAll(copy)));
  std::vector<Item> fa, fb;
  ASSERT_TRUE(SplitFrames(a, fa));
  ASSERT_TRUE(SplitFrames(b, fb));
  ASSERT_FALSE(fb.empty());
  // The new file starts with the first frame stamped at or after the hour.
  EXPECT_EQ(fb.front().id, 21);
  EXPECT_GE(GpsTime(fb.front()), static_cast<double>(boundary));
  int stampedBefore = 0;
  for (const Item& f : fa) {
    if (f.id != 21) continue;
    ++stampedBefore;
    EXPECT_LT(GpsTime(f), static_cast<double>(boundary));
  }
  EXPECT_GE(stampedBefore, 1);
  for (const Item& f : fb) {
    if (f.id == 21) {
      EXPECT_GE(GpsTime(f), static_cast<double>(boundary));
    }
  }
}

TEST(RecordingSim, TheCliSaysWhyItEndedInItsExitStatus) {
  TempDir dir;
  // Bad arguments: 2, and no file.
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"record", (dir.path() / "x.log").string()},
        {"record", "--port", "/dev/null", "--requests", "20,100", (dir.path() / "x.log").string()},
        {"record", "--port", "/dev/null", "--split-hours", "0", (dir.path() / "x.log").string()}}) {
    CliProcess cli(bad, dir.path() / "err.txt");
    EXPECT_EQ(cli.Wait(5000), 2) << bad[1];
  }
  EXPECT_FALSE(fs::exists(dir.path() / "x.log"));
  // The line goes away under it, reconnection off: 1, with what was read kept.
  test::PtyMaster line;
  ASSERT_TRUE(line.ok());
  const fs::path file = dir.path() / "lost.log";
  CliProcess cli({"record", "--no-reconnect", "--port", line.slavePath(), file.string()}, dir.path() / "err.txt");
  std::this_thread::sleep_for(milliseconds(500));
  const std::string text = "$GPZDA,120000.00,09,12,2026,00,00*6A\r\n";
  ASSERT_TRUE(line.Write(std::vector<uint8_t>(text.begin(), text.end())));
  std::this_thread::sleep_for(milliseconds(500));
  line.CloseMaster();
  EXPECT_EQ(cli.Wait(5000), 1);
  EXPECT_EQ(ReadAll(file), std::vector<uint8_t>(text.begin(), text.end()));
}

TEST(RecordingSim, TheAuxWindowShowsTheTextWrittenOnTheAuxLineAndItsRecordingKeepsIt) {
  test::PtyMaster aux;
  ASSERT_TRUE(aux.ok());
  TempDir dir;
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    return std::make_unique<SerialPort>(sink);
  });
  struct Window : TerminalLink {
    void ShowText(const char* t, uint32_t n) override { text.append(t, n); }
    std::string text;
  } window;
  frame.SetAuxWindow(&window);
  // The aux port as the port dialog leaves it, on the test's line.
  ASSERT_TRUE(frame.auxPort().Open(aux.slavePath(), 9600, 'N', 8, 1));
  frame.state().auxPortOpen = 1;
  desk.saveFileAnswer = (dir.path() / "aux.log").string();
  frame.OnSaveAuxPortData();
  ASSERT_EQ(frame.state().auxRecording, 1u);
  const std::string text = "$PQTLG,HELLO FROM THE AUX LINE\r\n";
  ASSERT_TRUE(aux.Write(std::vector<uint8_t>(text.begin(), text.end())));
  const auto end = std::chrono::steady_clock::now() + milliseconds(3000);
  while (window.text.size() < text.size() && std::chrono::steady_clock::now() < end) {
    frame.OnTimer(kPollTimer);
    std::this_thread::sleep_for(milliseconds(20));
  }
  EXPECT_EQ(window.text, text);
  frame.StopInput(7);
  EXPECT_EQ(frame.state().auxRecording, 0u);
  const std::vector<uint8_t> recorded = ReadAll(dir.path() / "aux.log");
  EXPECT_EQ(std::string(recorded.begin(), recorded.end()), text);
}

}  // namespace
}  // namespace orv
