// Surviving a lost receiver, against orvantis-sim: its pseudo-terminal closed in the middle of
// a stream and a new one made behind the same link; the simulator behind a small TCP server
// that stops and starts again; a receiver that never comes back; a hundred losses and returns
// counted for descriptors and memory; `record` and `detect` through the same losses.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "SimProcess.h"
#include "app/MainFrame.h"
#include "serial/SerialPort.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"
#include "support/Pty.h"
#include "support/TcpListener.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

#define REQUIRE_SIM(sim)                                                             \
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built"; \
  ASSERT_FALSE((sim).path().empty()) << "orvantis-sim printed no device path"

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uintmax_t SizeOf(const fs::path& p) {
  std::error_code ec;
  const std::uintmax_t n = fs::file_size(p, ec);
  return ec ? 0 : n;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Runs `step` every 20 ms until `done` or the time is up; true when done.
bool PollUntil(const std::function<void()>& step, const std::function<bool()>& done, int ms) {
  const auto end = Clock::now() + milliseconds(ms);
  while (Clock::now() < end) {
    step();
    if (done()) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return done();
}

void Relink(const fs::path& link, const std::string& target) {
  fs::remove(link);
  fs::create_symlink(target, link);
}

struct Console {
  test::FakeDesktop desk;
  CMainFrame frame{desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
                     return std::make_unique<SerialPort>(sink);
                   }};
  void Poll() { frame.OnTimer(kPollTimer); }
  uint64_t logged() { return frame.mainDecoder().counters().bytesLogged; }
  void Ask() {
    frame.encoder().SendRequest(20, kContinuous);
    frame.encoder().SendRequest(21, kContinuous);
    frame.encoder().SendRequest(3023, kContinuous);
  }
};

TEST(ReconnectSim, ThePtyClosedMidStreamAndANewOneBehindTheSameLinkGoOnInTheSameRecording) {
  const fs::path dir = test::TempDir();
  const fs::path copy1 = dir / "sent1.bin", copy2 = dir / "sent2.bin", link = dir / "by-id-receiver";
  test::SimProcess sim1({"--baud", "115200", "--sent-copy", copy1.string()});
  REQUIRE_SIM(sim1);
  Relink(link, sim1.path());
  Console c;
  c.frame.config().SetMainPortName(link.string());
  c.frame.ChangeMainBaud(115200);
  ASSERT_EQ(c.frame.state().mainPortOpen, 1u);
  c.desk.saveFileAnswer = (dir / "console.log").string();
  c.frame.OnSaveMainPortData();
  ASSERT_EQ(c.frame.state().mainRecording, 1u);
  c.Ask();
  auto poll = [&] { c.Poll(); };
  PollUntil(poll, [] { return false; }, 1500);

  // The receiver stops; what it sent is read; then its line goes away.
  sim1.Signal(SIGSTOP);
  ASSERT_TRUE(PollUntil(poll, [&] { return SizeOf(copy1) > 0 && c.logged() == SizeOf(copy1); }, 3000));
  const uint32_t messagesBefore = c.frame.mainDecoder().counters().validMessageCount;
  EXPECT_GT(messagesBefore, 0u);
  sim1.Kill();
  ASSERT_TRUE(PollUntil(poll, [&] { return c.frame.mainPortLost(); }, 1000));
  EXPECT_EQ(c.desk.PaneText(kPanePort), link.string() + ": lost");
  EXPECT_EQ(c.desk.title, link.string() + ": lost - ORVANTIS QUENMARSH");
  EXPECT_EQ(c.frame.state().mainRecording, 1u);
  EXPECT_EQ(c.frame.mainDecoder().counters().validMessageCount, messagesBefore);

  // Plugged in again: another pts number behind the same link.
  test::SimProcess sim2({"--baud", "115200", "--sent-copy", copy2.string()});
  ASSERT_FALSE(sim2.path().empty());
  Relink(link, sim2.path());
  ASSERT_TRUE(PollUntil(poll, [&] { return !c.frame.mainPortLost(); }, 3000));
  EXPECT_EQ(c.desk.PaneText(kPanePort), link.string() + ":");
  c.Ask();
  PollUntil(poll, [] { return false; }, 1500);
  sim2.Signal(SIGSTOP);
  ASSERT_TRUE(PollUntil(
      poll, [&] { return SizeOf(copy2) > 0 && c.logged() == SizeOf(copy1) + SizeOf(copy2); }, 3000));
  c.frame.OnSaveMainPortData();
  EXPECT_GT(c.frame.mainDecoder().counters().validMessageCount, messagesBefore);
  EXPECT_EQ(c.frame.mainDecoder().counters().protocolErrorCount, 0u);
  // Every byte of both receivers, in order, nothing twice.
  EXPECT_EQ(ReadAll(dir / "console.log"), Joined(ReadAll(copy1), ReadAll(copy2)));
  sim2.Kill();
  fs::remove_all(dir);
}

// A serial-to-network server in front of the simulator: while running it forwards the
// simulator's bytes to its client (keeping a copy) and the client's to the simulator. Stopped,
// it sends what it holds, closes the connection in order and stops listening.
class Bridge {
 public:
  Bridge(std::string simPath, uint32_t baud) : simPath_(std::move(simPath)), baud_(baud) {}
  bool ok() const { return server_.ok(); }
  std::string name() const { return server_.name(); }
  void Service() {
    if (!server_.hasClient()) {
      if (server_.ok() && server_.Accept(0)) sim_.Open(simPath_, baud_, 'N', 8, 1);
      return;
    }
    const std::vector<uint8_t> in = server_.ReadAvailable();
    if (!in.empty()) sim_.Send(in.data(), static_cast<uint32_t>(in.size()));
    Forward();
  }
  void Stop() {
    Forward();
    server_.CloseClient();
    server_.CloseListener();
    sim_.Close();
  }
  bool Restart() { return server_.Listen(port_); }
  const std::vector<uint8_t>& forwarded() const { return forwarded_; }
  void Remember() { port_ = server_.port(); }

 private:
  void Forward() {
    uint8_t buf[4096];
    uint32_t n = 0;
    while (sim_.IsOpen() && sim_.Read(buf, sizeof buf, n) && n > 0) {
      const std::vector<uint8_t> block(buf, buf + n);
      if (server_.Send(block)) forwarded_.insert(forwarded_.end(), block.begin(), block.end());
    }
  }

  std::string simPath_;
  uint32_t baud_;
  test::TcpListener server_;
  uint16_t port_ = 0;
  SerialPort sim_{nullptr};
  std::vector<uint8_t> forwarded_;
};

TEST(ReconnectSim, AReceiverBehindATcpServerThatStopsAndStartsAgainGoesOnInTheSameRecording) {
  const fs::path dir = test::TempDir();
  test::SimProcess sim({"--baud", "115200"});
  REQUIRE_SIM(sim);
  Bridge bridge(sim.path(), 115200);
  ASSERT_TRUE(bridge.ok());
  bridge.Remember();
  Console c;
  c.frame.config().SetMainPortName(bridge.name());
  c.frame.ChangeMainBaud(115200);
  ASSERT_EQ(c.frame.state().mainPortOpen, 1u) << (c.desk.boxes.empty() ? "" : c.desk.boxes.back().text);
  EXPECT_EQ(c.desk.PaneText(kPanePort), bridge.name() + ":");
  c.desk.saveFileAnswer = (dir / "net.log").string();
  c.frame.OnSaveMainPortData();
  auto poll = [&] {
    bridge.Service();
    c.Poll();
  };
  PollUntil(poll, [] { return false; }, 200);
  c.Ask();
  PollUntil(poll, [] { return false; }, 1500);
  ASSERT_GT(bridge.forwarded().size(), 100u);

  bridge.Stop();
  ASSERT_TRUE(PollUntil(poll, [&] { return c.frame.mainPortLost(); }, 1000));
  EXPECT_EQ(c.logged(), bridge.forwarded().size());
  EXPECT_EQ(c.desk.PaneText(kPanePort), bridge.name() + ": lost");
  // Down for longer than the first attempt: that one is refused, the next comes 2 s later.
  PollUntil(poll, [] { return false; }, 1300);
  EXPECT_TRUE(c.frame.mainPortLost());
  EXPECT_GE(c.frame.mainReconnect().attempts(), 1u);
  ASSERT_TRUE(bridge.Restart());
  ASSERT_TRUE(PollUntil(poll, [&] { return !c.frame.mainPortLost(); }, 4000));
  EXPECT_EQ(c.desk.PaneText(kPanePort), bridge.name() + ":");
  const std::size_t before = bridge.forwarded().size();
  PollUntil(poll, [] { return false; }, 200);
  c.Ask();
  PollUntil(poll, [] { return false; }, 1500);
  EXPECT_GT(bridge.forwarded().size(), before + 100);
  bridge.Stop();
  ASSERT_TRUE(PollUntil(poll, [&] { return c.frame.mainPortLost(); }, 1000));
  c.frame.OnSaveMainPortData();
  EXPECT_EQ(ReadAll(dir / "net.log"), bridge.forwarded());
  EXPECT_EQ(c.frame.mainDecoder().counters().protocolErrorCount, 0u);
  fs::remove_all(dir);
}

TEST(ReconnectSim, AReceiverThatNeverComesBackLeavesThePollResponsiveUntilStop) {
  test::TcpListener server;
  ASSERT_TRUE(server.ok());
  Console c;
  c.frame.config().SetMainPortName(server.name());
  c.frame.ChangeMainBaud(9600);
  ASSERT_EQ(c.frame.state().mainPortOpen, 1u);
  ASSERT_TRUE(server.Accept(1000));
  server.CloseClient();
  server.CloseListener();
  Clock::duration longest{};
  auto poll = [&] {
    const auto start = Clock::now();
    c.Poll();
    longest = std::max(longest, Clock::now() - start);
  };
  ASSERT_TRUE(PollUntil(poll, [&] { return c.frame.mainPortLost(); }, 1000));
  // Attempts at 1 s and 3 s, both refused; every poll returns at once.
  PollUntil(poll, [] { return false; }, 3300);
  EXPECT_TRUE(c.frame.mainPortLost());
  EXPECT_EQ(c.frame.mainReconnect().attempts(), 2u);
  EXPECT_LT(longest, milliseconds(50));
  EXPECT_EQ(c.desk.PaneText(kPanePort), server.name() + ": lost");
  EXPECT_TRUE(c.desk.TimerArmed(kPollTimer));
  c.frame.OnStop();
  EXPECT_FALSE(c.frame.mainPortLost());
  EXPECT_EQ(c.frame.state().mainPortOpen, 0u);
  EXPECT_FALSE(c.desk.TimerArmed(kPollTimer));
  EXPECT_EQ(c.desk.PaneText(kPanePort), kPortPaneClosed);
}

int OpenDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

TEST(ReconnectSim, AHundredLossesAndReturnsLeaveNoDescriptorAndNoMemoryBehind) {
  const fs::path dir = test::TempDir();
  const fs::path link = dir / "receiver";
  test::TcpListener server;
  ASSERT_TRUE(server.ok());
  int64_t now = 0;
  Console c;
  c.frame.SetMonotonicClock([&] { return now; });
  c.desk.saveFileAnswer = (dir / "cycles.log").string();
  const std::vector<uint8_t> frame = test::Frame(20, std::vector<uint8_t>(64, 5));
  auto pollUntilBack = [&] {
    now += PortReconnect::kFirstDelayMs;
    for (int i = 0; i < 200 && c.frame.mainPortLost(); ++i) c.Poll();
    return !c.frame.mainPortLost();
  };
  // One loss and return of a pseudo-terminal behind the link, then one of the TCP link.
  auto ptyCycle = [&](bool first) {
    test::PtyMaster pty;
    Relink(link, pty.slavePath());
    if (first) {
      c.frame.config().SetMainPortName(link.string());
      c.frame.ChangeMainBaud(9600);
      c.frame.OnSaveMainPortData();
    } else if (!pollUntilBack()) {
      return false;
    }
    pty.Write(frame);
    c.Poll();
    pty.CloseMaster();
    c.Poll();
    return c.frame.mainPortLost();
  };
  auto tcpCycle = [&](bool first) {
    if (first) {
      c.frame.OnStop();
      c.frame.config().SetMainPortName(server.name());
      c.frame.ChangeMainBaud(9600);
      c.frame.OnSaveMainPortData();
    } else if (!pollUntilBack()) {
      return false;
    }
    if (!server.Accept(1000) || !server.Send(frame)) return false;
    for (int i = 0; i < 50 && !c.frame.mainPortLost(); ++i) {
      c.Poll();
      if (i == 0) server.CloseClient();
    }
    return c.frame.mainPortLost();
  };
  for (int kind = 0; kind < 2; ++kind) {
    const std::function<bool(bool)> cycle = kind == 0 ? std::function<bool(bool)>(ptyCycle)
                                                       : std::function<bool(bool)>(tcpCycle);
    ASSERT_TRUE(cycle(true));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(cycle(false));
    const uint32_t messages = c.frame.mainDecoder().counters().validMessageCount;
    const int fds = OpenDescriptors();
    const std::size_t heap = HeapInUse();
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(cycle(false)) << (kind == 0 ? "pty" : "tcp") << " cycle " << i;
    EXPECT_EQ(OpenDescriptors(), fds) << (kind == 0 ? "pty" : "tcp");
    // A few kilobytes of allocator noise at most; a leak per cycle would show 100 times over.
    EXPECT_LT(HeapInUse(), heap + 16 * 1024) << (kind == 0 ? "pty" : "tcp");
    EXPECT_EQ(c.frame.mainDecoder().counters().validMessageCount, messages + 100);
    EXPECT_EQ(c.frame.state().mainRecording, 1u);
  }
  c.frame.OnStop();
  fs::remove_all(dir);
}

// orvantis-cli as a child process, its standard output and error in files.
class Cli {
 public:
  Cli(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    pid_ = ::fork();
    if (pid_ == 0) {
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (e >= 0) ::dup2(e, STDERR_FILENO);
      if (o >= 0) ::dup2(o, STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(ORVANTIS_CLI_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(ORVANTIS_CLI_PATH, argv.data());
      ::_exit(127);
    }
  }
  ~Cli() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  // The exit status once it ends by itself within ms; -1 when it does not.
  int Wait(int ms) {
    const auto end = Clock::now() + milliseconds(ms);
    int status = 0;
    while (Clock::now() < end) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(milliseconds(10));
    }
    return -1;
  }
  int Terminate() {
    ::kill(pid_, SIGTERM);
    return Wait(5000);
  }

 private:
  pid_t pid_ = -1;
};

std::string Text(const fs::path& p) {
  const std::vector<uint8_t> b = ReadAll(p);
  return {b.begin(), b.end()};
}

// Waits (sleeping, the command runs by itself) until `done`, at most ms.
bool WaitFor(const std::function<bool()>& done, int ms) {
  return PollUntil([] {}, done, ms);
}

TEST(ReconnectSim, RecordWaitsForTheReceiverAndAsksItAgainWhenItIsBack) {
  const fs::path dir = test::TempDir();
  const fs::path copy1 = dir / "sent1.bin", copy2 = dir / "sent2.bin", link = dir / "receiver";
  const fs::path file = dir / "cli.log", err = dir / "err.txt";
  test::SimProcess sim1({"--baud", "115200", "--sent-copy", copy1.string()});
  REQUIRE_SIM(sim1);
  Relink(link, sim1.path());
  Cli cli({"record", "--port", link.string(), "--baud", "115200", "--requests", "20,23", file.string()}, dir / "out.txt",
          err);
  ASSERT_TRUE(WaitFor([&] { return SizeOf(file) > 300; }, 5000));
  sim1.Signal(SIGSTOP);
  ASSERT_TRUE(WaitFor([&] { return SizeOf(copy1) > 0 && SizeOf(file) == SizeOf(copy1); }, 3000));
  sim1.Kill();
  ASSERT_TRUE(WaitFor([&] { return Text(err).find("was lost") != std::string::npos; }, 1000));
  EXPECT_NE(Text(err).find("orvantis-cli record: the port '" + link.string() + "' was lost ("), std::string::npos);
  EXPECT_NE(Text(err).find("waiting for it to come back"), std::string::npos);

  test::SimProcess sim2({"--baud", "115200", "--sent-copy", copy2.string()});
  ASSERT_FALSE(sim2.path().empty());
  Relink(link, sim2.path());
  // The requests go out again by themselves: the new receiver streams into the same file.
  ASSERT_TRUE(WaitFor([&] { return SizeOf(copy2) > 300; }, 5000));
  EXPECT_NE(Text(err).find("orvantis-cli record: the port '" + link.string() + "' is back"), std::string::npos);
  sim2.Signal(SIGSTOP);
  ASSERT_TRUE(WaitFor([&] { return SizeOf(file) == SizeOf(copy1) + SizeOf(copy2); }, 3000));
  EXPECT_EQ(cli.Terminate(), 0);
  EXPECT_EQ(ReadAll(file), Joined(ReadAll(copy1), ReadAll(copy2)));
  EXPECT_NE(Text(err).find(" 0 protocol errors"), std::string::npos);
  sim2.Kill();

  // Without reconnection the loss ends the recording, with status 1.
  test::SimProcess sim3({"--baud", "115200"});
  Relink(link, sim3.path());
  Cli once({"record", "--no-reconnect", "--port", link.string(), "--baud", "115200", (dir / "once.log").string()},
           dir / "out.txt", err);
  std::this_thread::sleep_for(milliseconds(300));
  sim3.Kill();
  EXPECT_EQ(once.Wait(2000), 1);
  EXPECT_EQ(Text(err).find("waiting"), std::string::npos);
  fs::remove_all(dir);
}

TEST(ReconnectSim, DecodeOfATcpPortWithReconnectGoesOnAfterThePeerClosesAndReturns) {
  const fs::path dir = test::TempDir();
  test::TcpListener server;
  ASSERT_TRUE(server.ok());
  const fs::path out = dir / "out.txt", err = dir / "err.txt";
  Cli cli({"decode", "--port", server.name(), "--reconnect"}, out, err);
  ASSERT_TRUE(server.Accept(3000));
  ASSERT_TRUE(server.Send(test::Frame(20, std::vector<uint8_t>(72, 0))));
  ASSERT_TRUE(WaitFor([&] { return Text(out).find("\"kind\":\"ktx\"") != std::string::npos; }, 2000));
  server.CloseClient();
  ASSERT_TRUE(WaitFor([&] { return Text(err).find("was lost") != std::string::npos; }, 2000));
  EXPECT_NE(Text(err).find("closed by the other end"), std::string::npos) << Text(err);
  // The next attempt, a second later, finds the server again.
  ASSERT_TRUE(server.Accept(3000));
  ASSERT_TRUE(WaitFor([&] { return Text(err).find("is back") != std::string::npos; }, 2000));
  ASSERT_TRUE(server.Send(test::Frame(21, std::vector<uint8_t>(40, 0))));
  ASSERT_TRUE(WaitFor([&] { return Text(out).find("\"id\":21") != std::string::npos; }, 2000)) << Text(out);
  EXPECT_EQ(cli.Terminate(), 0);
  EXPECT_NE(Text(out).find("\"validMessageCount\":2,"), std::string::npos) << Text(out);

  // Without --reconnect the end of the stream ends the command, with status 1.
  Cli once({"decode", "--port", server.name()}, out, err);
  ASSERT_TRUE(server.Accept(3000));
  server.CloseClient();
  EXPECT_EQ(once.Wait(2000), 1);
  fs::remove_all(dir);
}

TEST(ReconnectSim, ServeKeepsServingThroughALossAndAsksTheReceiverAgain) {
  const fs::path dir = test::TempDir();
  test::TcpListener receiver;
  ASSERT_TRUE(receiver.ok());
  const fs::path err = dir / "err.txt";
  Cli cli({"serve", "--port", receiver.name(), "--requests", "20,21", "--gpsd", "127.0.0.1:0"}, dir / "out.txt", err);
  ASSERT_TRUE(receiver.Accept(3000));
  const std::vector<uint8_t> asked = receiver.ReadFor(300);
  ASSERT_FALSE(asked.empty());
  receiver.CloseClient();
  ASSERT_TRUE(WaitFor([&] { return Text(err).find("waiting for it to come back") != std::string::npos; }, 2000));
  ASSERT_TRUE(receiver.Accept(3000));
  EXPECT_EQ(receiver.ReadFor(300), asked);
  EXPECT_NE(Text(err).find("orvantis-cli serve: the port '" + receiver.name() + "' is back"), std::string::npos);
  ASSERT_TRUE(receiver.Send(test::Frame(20, std::vector<uint8_t>(72, 0))));
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(cli.Terminate(), 0);
  EXPECT_NE(Text(err).find("serve: 78 bytes decoded"), std::string::npos) << Text(err);
  fs::remove_all(dir);
}

TEST(ReconnectSim, DetectStopsWithinASecondWithPortLostWhenTheReceiverVanishes) {
  const fs::path dir = test::TempDir();
  // At 300 bit/s the search is still at its first rates when the receiver goes.
  test::SimProcess sim({"--baud", "300"});
  REQUIRE_SIM(sim);
  Cli cli({"detect", "--port", sim.path()}, dir / "out.txt", dir / "err.txt");
  ASSERT_TRUE(WaitFor([&] { return Text(dir / "err.txt").find("Trying 9600") != std::string::npos; }, 3000));
  std::this_thread::sleep_for(milliseconds(800));
  const auto killed = Clock::now();
  sim.Kill();
  EXPECT_EQ(cli.Wait(3000), 2);
  EXPECT_LT(Clock::now() - killed, milliseconds(1000));
  EXPECT_EQ(Text(dir / "out.txt"), "port lost\n");
  EXPECT_NE(Text(dir / "err.txt").find("orvantis-cli detect: the port '" + sim.path() + "' was lost: "), std::string::npos);
  EXPECT_EQ(Text(dir / "err.txt").find("cannot be opened"), std::string::npos);
  EXPECT_EQ(Text(dir / "err.txt").find("Baud Not Found"), std::string::npos);
  EXPECT_EQ(Text(dir / "err.txt").find("Trying 19200"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orv
