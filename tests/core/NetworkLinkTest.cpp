// Network links (tcp:HOST:PORT) and the survival of a lost port: the TCP device, the reconnect
// schedule, the main frame through a loss of a pseudo-terminal behind a link, and the port
// search stopping at a port that vanished.
#include <gtest/gtest.h>
#include <netdb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/MainFrame.h"
#include "platform/TcpDevice.h"
#include "serial/AutoConnect.h"
#include "serial/PortDialog.h"
#include "serial/PortNames.h"
#include "serial/PortReconnect.h"
#include "serial/SerialPort.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/Frames.h"
#include "support/Pty.h"
#include "support/TcpListener.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Frame;

class CollectingSink : public StreamDecoder {
 public:
  uint32_t Decode(uint8_t* bytes, uint32_t count) override {
    received.insert(received.end(), bytes, bytes + count);
    return count;
  }
  std::vector<uint8_t> received;
};

// Reads until `want` bytes have arrived or a second has passed.
void ReceiveUntil(SerialPort& port, const CollectingSink& sink, std::size_t want) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (sink.received.size() < want && std::chrono::steady_clock::now() < end && !port.Lost()) port.Receive(1000);
}

TEST(TcpDevice, NamesSplitIntoHostAndPortAndAnythingElseIsRefused) {
  std::string host;
  uint16_t port = 0;
  ASSERT_TRUE(ParseTcpName("tcp:192.168.1.20:4001", host, port));
  EXPECT_EQ(host, "192.168.1.20");
  EXPECT_EQ(port, 4001);
  ASSERT_TRUE(ParseTcpName("TCP:[fe80::1]:65535", host, port));
  EXPECT_EQ(host, "fe80::1");
  EXPECT_EQ(port, 65535);
  ASSERT_TRUE(ParseTcpName("tcp:receiver.local:1", host, port));
  EXPECT_EQ(host, "receiver.local");
  for (const char* bad : {"tcp:host", "tcp::4001", "tcp:host:0", "tcp:host:65536", "tcp:host:40a1", "tcp:host:",
                          "udp:host:4001", "/dev/ttyUSB0", "COM1", "tcp:[]:4001"}) {
    EXPECT_FALSE(ParseTcpName(bad, host, port)) << bad;
  }
  EXPECT_TRUE(IsTcpName("tcp:x"));
  EXPECT_FALSE(IsTcpName("tcpx:1"));
  // The port names map a network name to itself, wherever a device path is accepted.
  EXPECT_EQ(DevicePathFor("tcp:10.0.0.2:4001", {"/dev/ttyUSB0"}), "tcp:10.0.0.2:4001");
}

TEST(TcpDevice, APortCarriesBytesBothWaysRecordsTheRateAndIsLostWhenThePeerCloses) {
  test::TcpListener server;
  ASSERT_TRUE(server.ok());
  CollectingSink sink;
  SerialPort port(&sink);
  ASSERT_TRUE(port.Open(server.name(), 115200, 'N', 8, 1)) << port.OpenError();
  EXPECT_TRUE(port.IsNetwork());
  ASSERT_TRUE(server.Accept(1000));
  EXPECT_EQ(port.settings().baud, 115200u);
  EXPECT_EQ(dynamic_cast<TcpDevice&>(port.device()).settings().baud, 115200u);

  const std::vector<uint8_t> command = Frame(0x94, {});
  ASSERT_TRUE(port.Send(command.data(), static_cast<uint32_t>(command.size())));
  EXPECT_EQ(server.ReadFor(200), command);

  // Nothing waiting reads as an idle line, not as a loss.
  EXPECT_EQ(port.Receive(1000), 0u);
  EXPECT_FALSE(port.Lost());

  const std::vector<uint8_t> frame = Frame(20, std::vector<uint8_t>(40, 7));
  ASSERT_TRUE(server.Send(frame));
  // The last bytes before the close are delivered before the loss is seen.
  server.CloseClient();
  ReceiveUntil(port, sink, frame.size());
  EXPECT_EQ(sink.received, frame);
  EXPECT_EQ(port.Receive(1000), 0u);
  EXPECT_TRUE(port.Lost());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.device().IsHandleValid());
  EXPECT_NE(port.OpenError().find("closed by the other end"), std::string::npos) << port.OpenError();
  EXPECT_FALSE(port.Send(command.data(), static_cast<uint32_t>(command.size())));

  // The same address once more: the listener takes the connection again.
  ASSERT_TRUE(port.Reopen());
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (port.Connecting() && std::chrono::steady_clock::now() < end) {
  }
  EXPECT_FALSE(port.Lost());
  EXPECT_TRUE(port.IsOpen());
  ASSERT_TRUE(server.Accept(1000));
  port.Close();
  EXPECT_FALSE(port.Lost());
}

// Name servers that answer late: with the loopback address, or that the name is unknown.
int SlowLookup(const char*, const char* service, const addrinfo* hints, addrinfo** found) {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  addrinfo numeric = *hints;
  numeric.ai_flags |= AI_NUMERICHOST;
  return ::getaddrinfo("127.0.0.1", service, &numeric, found);
}
int FailingLookup(const char*, const char*, const addrinfo*, addrinfo** found) {
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  *found = nullptr;
  return EAI_NONAME;
}

TEST(TcpDevice, AHostNameIsLookedUpWithoutHoldingUpTheOpen) {
  struct Restore {
    ~Restore() { TcpDevice::SetLookupForTest(nullptr); }
  } restore;
  test::TcpListener server;
  ASSERT_TRUE(server.ok());
  const std::string name = "tcp:receiver.test:" + std::to_string(server.port());
  using Clock = std::chrono::steady_clock;

  // The lookup takes 300 ms: the open returns at once, the link reads as connecting and idle,
  // and bytes sent meanwhile wait for the connection.
  TcpDevice::SetLookupForTest(&SlowLookup);
  TcpDevice device;
  auto start = Clock::now();
  ASSERT_TRUE(device.Open(name)) << device.LastError();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_TRUE(device.IsHandleValid());
  EXPECT_TRUE(device.Connecting());
  uint8_t buffer[16];
  uint32_t got = 99;
  EXPECT_TRUE(device.Read(buffer, sizeof buffer, got));
  EXPECT_EQ(got, 0u);
  const std::vector<uint8_t> command = Frame(0x94, {});
  uint32_t sent = 0;
  ASSERT_TRUE(device.Write(command.data(), static_cast<uint32_t>(command.size()), sent)) << device.LastError();
  EXPECT_EQ(sent, command.size());
  ASSERT_TRUE(server.Accept(1000));
  EXPECT_EQ(server.ReadFor(200), command);
  EXPECT_FALSE(device.Connecting());

  // Closed while the name is still being looked up: the lookup ends on its own afterwards.
  TcpDevice::SetLookupForTest(&SlowLookup);
  {
    TcpDevice early;
    ASSERT_TRUE(early.Open(name));
    early.Close();
    EXPECT_FALSE(early.IsHandleValid());
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));

  // An unknown name fails the connection when the answer comes, with the name server's reason.
  TcpDevice::SetLookupForTest(&FailingLookup);
  TcpDevice unknown;
  start = Clock::now();
  ASSERT_TRUE(unknown.Open("tcp:no-such-receiver.test:4001"));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_FALSE(unknown.WaitConnected(2000));
  EXPECT_FALSE(unknown.IsHandleValid());
  EXPECT_EQ(unknown.LastError(), std::string("unknown host: ") + ::gai_strerror(EAI_NONAME));

  // Through a port, the user's open waits for it and says why.
  SerialPort port(nullptr);
  EXPECT_FALSE(port.Open("tcp:no-such-receiver.test:4001", 9600, 'N', 8, 1));
  EXPECT_EQ(port.OpenError(), std::string("tcp:no-such-receiver.test:4001: unknown host: ") + ::gai_strerror(EAI_NONAME));
}

TEST(TcpDevice, ARefusedAddressFailsTheOpenAtOnceWithTheSystemsReason) {
  uint16_t free = 0;
  {
    test::TcpListener probe;
    ASSERT_TRUE(probe.ok());
    free = probe.port();
  }
  SerialPort port(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const std::string name = "tcp:127.0.0.1:" + std::to_string(free);
  EXPECT_FALSE(port.Open(name, 9600, 'N', 8, 1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(port.OpenError(), name + ": Connection refused");
  EXPECT_FALSE(port.device().IsHandleValid());
  EXPECT_FALSE(port.Open("tcp:127.0.0.1:0", 9600, 'N', 8, 1));
  EXPECT_EQ(port.OpenError(), "tcp:127.0.0.1:0: not a network port name (tcp:HOST:PORT)");
  // After a network name, a device path gets a serial device again.
  EXPECT_FALSE(port.Open("/nonexistent/tty", 9600, 'N', 8, 1));
  EXPECT_EQ(port.OpenError(), "/nonexistent/tty: No such file or directory");
  EXPECT_FALSE(port.IsNetwork());
}

// A port whose loss, reopen and connection the test scripts.
class ScriptedPort : public test::FakePort {
 public:
  bool Lost() const override { return lost; }
  bool Reopen() override {
    ++reopens;
    lost = !reopenSucceeds;
    return reopenSucceeds;
  }
  bool Connecting() override {
    if (connectFails && connecting) {
      connecting = false;
      lost = true;
    }
    return connecting;
  }
  bool IsNetwork() const override { return network; }
  void Close() override {
    test::FakePort::Close();
    lost = false;
  }
  bool lost = false, reopenSucceeds = false, connecting = false, connectFails = false, network = true;
  int reopens = 0;
};

TEST(PortReconnect, ANetworkLinkBacksOffFromOneToThirtySecondsAndADeviceIsTriedEverySecond) {
  for (const bool network : {true, false}) {
    ScriptedPort port;
    port.network = network;
    PortReconnect r(port);
    EXPECT_EQ(r.Step(0), PortReconnect::Event::None);
    port.lost = true;
    EXPECT_EQ(r.Step(5000), PortReconnect::Event::Lost);
    EXPECT_TRUE(r.lost());
    // The moments of the attempts that fail.
    std::vector<int64_t> attempts;
    for (int64_t t = 5000; t <= 5000 + 100000; t += 100) {
      const int before = port.reopens;
      EXPECT_EQ(r.Step(t), PortReconnect::Event::None);
      if (port.reopens != before) attempts.push_back(t - 5000);
    }
    const std::vector<int64_t> backOff = {1000, 3000, 7000, 15000, 31000, 61000, 91000};
    if (network) {
      EXPECT_EQ(attempts, backOff);
    } else {
      ASSERT_EQ(attempts.size(), 100u);
      EXPECT_EQ(attempts[0], 1000);
      EXPECT_EQ(attempts[99], 100000);
    }
    // It comes back: reported once, and the schedule starts again from one second.
    port.reopenSucceeds = true;
    PortReconnect::Event e = PortReconnect::Event::None;
    for (int64_t t = 105100; t <= 140000 && e == PortReconnect::Event::None; t += 100) e = r.Step(t);
    EXPECT_EQ(e, PortReconnect::Event::Reconnected);
    EXPECT_FALSE(r.lost());
    EXPECT_EQ(r.currentDelayMs(), PortReconnect::kFirstDelayMs);
    EXPECT_EQ(r.Step(200000), PortReconnect::Event::None);
  }
}

TEST(PortReconnect, AConnectionIsSettledOnLaterStepsAndOneThatNeverSettlesIsGivenUp) {
  ScriptedPort port;
  port.lost = true;
  PortReconnect r(port);
  ASSERT_EQ(r.Step(0), PortReconnect::Event::Lost);
  port.reopenSucceeds = true;
  port.connecting = true;
  EXPECT_EQ(r.Step(1000), PortReconnect::Event::None);
  EXPECT_EQ(port.reopens, 1);
  // Still connecting: no second attempt, no report, until the limit.
  EXPECT_EQ(r.Step(5000), PortReconnect::Event::None);
  EXPECT_EQ(port.reopens, 1);
  EXPECT_TRUE(r.lost());
  EXPECT_EQ(r.Step(1000 + PortReconnect::kConnectLimitMs), PortReconnect::Event::None);
  EXPECT_EQ(port.log.back(), "close");
  // The next attempt after the back-off (2 s) connects.
  port.connecting = false;
  EXPECT_EQ(r.Step(1000 + PortReconnect::kConnectLimitMs + 1999), PortReconnect::Event::None);
  EXPECT_EQ(port.reopens, 1);
  EXPECT_EQ(r.Step(1000 + PortReconnect::kConnectLimitMs + 2000), PortReconnect::Event::Reconnected);
  EXPECT_EQ(port.reopens, 2);

  // A refused connection counts as a failed attempt.
  port.lost = true;
  ASSERT_EQ(r.Step(20000), PortReconnect::Event::Lost);
  port.connecting = true;
  port.connectFails = true;
  EXPECT_EQ(r.Step(21000), PortReconnect::Event::None);
  EXPECT_EQ(r.Step(21100), PortReconnect::Event::None);
  EXPECT_TRUE(r.lost());
  EXPECT_EQ(r.nextAttemptMs(), 23000);
  r.Reset();
  EXPECT_FALSE(r.lost());
}

struct LinkedPty {
  explicit LinkedPty(const fs::path& link) : link_(link) { Relink(); }
  void Relink() {
    master = std::make_unique<test::PtyMaster>();
    fs::remove(link_);
    fs::create_symlink(master->slavePath(), link_);
  }
  fs::path link_;
  std::unique_ptr<test::PtyMaster> master;
};

struct Console {
  Console() {
    frame.SetMonotonicClock([this] { return now; });
  }
  void Poll(int times = 1) {
    for (int i = 0; i < times; ++i) frame.OnTimer(kPollTimer);
  }
  test::FakeDesktop desk;
  CMainFrame frame{desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
                     return std::make_unique<SerialPort>(sink);
                   }};
  int64_t now = 0;
};

TEST(MainFrameLink, ALostDeviceIsSaidAtOnceAndReopenedBehindItsLinkWithCountersAndRecordingKept) {
  const fs::path dir = test::TempDir();
  const fs::path link = dir / "by-id-receiver";
  LinkedPty pty(link);
  ASSERT_TRUE(pty.master->ok());
  Console c;
  c.frame.config().SetMainPortName(link.string());
  c.frame.ChangeMainBaud(9600);
  ASSERT_EQ(c.frame.state().mainPortOpen, 1u);
  c.desk.saveFileAnswer = (dir / "rec.log").string();
  c.frame.OnSaveMainPortData();
  ASSERT_EQ(c.frame.state().mainRecording, 1u);

  std::vector<uint8_t> before = Frame(20, std::vector<uint8_t>(30, 1));
  const std::vector<uint8_t> second = Frame(21, std::vector<uint8_t>(20, 2));
  before.insert(before.end(), second.begin(), second.end());
  // Half a frame at the loss: dropped by the decoder, kept by the recording.
  const std::vector<uint8_t> cut = {0x01, 20, static_cast<uint8_t>(~20), 30, 9, 9};
  before.insert(before.end(), cut.begin(), cut.end());
  ASSERT_TRUE(pty.master->Write(before));
  c.Poll();
  EXPECT_EQ(c.frame.mainDecoder().counters().validMessageCount, 2u);

  pty.master->CloseMaster();
  c.Poll();
  EXPECT_TRUE(c.frame.mainPortLost());
  EXPECT_EQ(c.desk.PaneText(kPanePort), link.string() + ": lost");
  EXPECT_EQ(c.desk.title, link.string() + ": lost - ORVANTIS QUENMARSH");
  // Why, for the user: the system's reason for the failed read, or the hang-up.
  const std::string why = c.frame.mainPort().OpenError();
  EXPECT_TRUE(why == link.string() + ": Input/output error" || why == link.string() + ": the line hung up") << why;
  EXPECT_EQ(c.frame.state().mainPortOpen, 1u);
  EXPECT_EQ(c.frame.state().mainRecording, 1u);
  EXPECT_TRUE(c.desk.TimerArmed(kPollTimer));
  EXPECT_TRUE(c.frame.AnyStoppableActive());
  EXPECT_EQ(c.frame.mainDecoder().counters().validMessageCount, 2u);

  // The device is back under another pts number, behind the same link.
  pty.Relink();
  c.now = 999;
  c.Poll();
  EXPECT_TRUE(c.frame.mainPortLost());
  c.now = 1000;
  c.Poll();
  ASSERT_FALSE(c.frame.mainPortLost());
  EXPECT_EQ(c.desk.PaneText(kPanePort), link.string() + ":");
  EXPECT_EQ(c.desk.title, link.string() + " - (9600) - ORVANTIS QUENMARSH");

  const std::vector<uint8_t> after = Frame(33, std::vector<uint8_t>(12, 3));
  ASSERT_TRUE(pty.master->Write(after));
  c.Poll();
  EXPECT_EQ(c.frame.mainDecoder().counters().validMessageCount, 3u);
  EXPECT_EQ(c.frame.mainDecoder().counters().messageCountById[33], 1u);
  c.frame.OnSaveMainPortData();
  std::vector<uint8_t> all = before;
  all.insert(all.end(), after.begin(), after.end());
  EXPECT_EQ(test::ReadFile((dir / "rec.log").string()), all);
  fs::remove_all(dir);
}

TEST(MainFrameLink, StopOrClosingThePortEndsTheWaiting) {
  const fs::path dir = test::TempDir();
  const fs::path link = dir / "receiver";
  LinkedPty pty(link);
  for (const bool useStop : {true, false}) {
    Console c;
    c.frame.config().SetMainPortName(link.string());
    c.frame.ChangeMainBaud(9600);
    ASSERT_EQ(c.frame.state().mainPortOpen, 1u);
    pty.master->CloseMaster();
    c.Poll();
    ASSERT_TRUE(c.frame.mainPortLost());
    if (useStop) {
      c.frame.OnStop();
    } else {
      c.frame.OnMainPortCommand();
    }
    EXPECT_FALSE(c.frame.mainPortLost());
    EXPECT_EQ(c.frame.state().mainPortOpen, 0u);
    EXPECT_FALSE(c.desk.TimerArmed(kPollTimer));
    EXPECT_EQ(c.desk.PaneText(kPanePort), kPortPaneClosed);
    // The device coming back later is not opened by anyone.
    pty.Relink();
    c.now = 5000;
    c.Poll();
    EXPECT_FALSE(c.frame.mainPort().IsOpen());
  }
  fs::remove_all(dir);
}

TEST(AutoConnectLink, APortThatHangsUpDuringTheSearchEndsItWithPortLost) {
  test::PtyMaster pty;
  ASSERT_TRUE(pty.ok());
  // The search's own list probes no device of this machine.
  const char* old = std::getenv(kPortsVariable);
  const std::string saved = old != nullptr ? old : "";
  ::setenv(kPortsVariable, "", 1);
  Console c;
  AutoConnect search(c.frame);
  search.ChoosePort(pty.slavePath());
  search.Start();
  ASSERT_TRUE(search.searching());
  for (int i = 0; i < 5; ++i) {
    c.Poll();
    search.OnTimer();
  }
  ASSERT_TRUE(search.searching());
  pty.CloseMaster();
  c.Poll();
  search.OnTimer();
  EXPECT_EQ(search.outcome(), AutoConnect::Outcome::Lost);
  EXPECT_EQ(search.attemptIndex(), 0);
  EXPECT_EQ(search.form().Label(AutoConnect::kStatusText), "Port lost");
  ASSERT_FALSE(c.desk.boxes.empty());
  EXPECT_EQ(c.desk.boxes.back().text, "Port lost");
  EXPECT_EQ(c.desk.boxes.back().icon, MessageIcon::Stop);
  EXPECT_FALSE(search.form().TimerArmed(AutoConnect::kTimerId));
  if (old != nullptr) {
    ::setenv(kPortsVariable, saved.c_str(), 1);
  } else {
    ::unsetenv(kPortsVariable);
  }
}

TEST(PortDialogLink, ATypedNameIsUsedInsteadOfTheButtons) {
  test::FakePort probe;
  PortDialog dialog(9600, 0, probe, {"/dev/ttyUSB0"});
  EXPECT_EQ(dialog.portName(), "COM1");
  dialog.form().SetText(PortDialog::kTypedName, "  tcp:10.0.0.7:4001 ");
  EXPECT_EQ(dialog.portName(), "tcp:10.0.0.7:4001");
  dialog.form().SetText(PortDialog::kTypedName, std::string(100, 'x'));
  EXPECT_EQ(dialog.portName().size(), PortDialog::kTypedNameLimit);
  dialog.form().SetText(PortDialog::kTypedName, "   ");
  EXPECT_EQ(dialog.portName(), "COM1");
}

}  // namespace
}  // namespace orv
