// The sharing server on real loopback sockets, driven from the test's own thread: what a gpsd
// client is told and when, NMEA clients, a client that stops reading, garbage and a 1 MB line.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "share/ShareServer.h"

namespace orv {
namespace {

using Clock = std::chrono::steady_clock;

int Connect(const std::string& address) {
  const std::size_t colon = address.rfind(':');
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(std::stoi(address.substr(colon + 1))));
  ::inet_pton(AF_INET, address.substr(0, colon).c_str(), &sa.sin_addr);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

// A client of the server under test: the server is serviced while the client waits.
class Client {
 public:
  Client(ShareServer& server, const std::string& address) : server_(server), fd_(Connect(address)) {}
  ~Client() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void Say(const std::string& text) { ASSERT_EQ(::send(fd_, text.data(), text.size(), MSG_NOSIGNAL), ssize_t(text.size())); }
  // The next line (without CR LF); empty when none came within `ms` or the server hung up.
  std::string Line(int ms = 1000) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (bool first = true;; first = false) {
      const std::size_t nl = in_.find('\n');
      if (nl != std::string::npos) {
        std::string line = in_.substr(0, nl);
        in_.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (!first && Clock::now() >= end) return {};
      server_.Service(ms == 0 ? 0 : 2);
      char buf[4096];
      const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
      if (n == 0) {
        closed_ = true;
        return {};
      }
      if (n > 0) in_.append(buf, static_cast<std::size_t>(n));
    }
  }
  // True once the server closed the connection within `ms` (what was still sent is read away).
  bool HungUp(int ms = 2000) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!closed_ && Clock::now() < end) {
      Line(20);
      in_.clear();
    }
    return closed_;
  }

 private:
  ShareServer& server_;
  int fd_;
  std::string in_;
  bool closed_ = false;
};

ShareDevice Device() { return ShareDevice{"/dev/ttyUSB0", true, 115200}; }

TEST(ShareEndpoint, TakesAddressAndPortOrEitherAlone) {
  auto e = ParseShareEndpoint("0.0.0.0:3000", kGpsdPort);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->host, "0.0.0.0");
  EXPECT_EQ(e->port, 3000);
  e = ParseShareEndpoint("4000", kGpsdPort);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->host, "127.0.0.1");
  EXPECT_EQ(e->port, 4000);
  e = ParseShareEndpoint("localhost", kGpsdPort);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->port, kGpsdPort);
  for (const char* bad : {"1.2.3:80", "host:80", "127.0.0.1:65536", "127.0.0.1:", "127.0.0.1:x"}) {
    EXPECT_FALSE(ParseShareEndpoint(bad, kGpsdPort)) << bad;
  }
}

TEST(ShareServer, GreetsWithVersionWatchesAndPollsAsGpsdDoes) {
  ShareServer server(Device());
  std::string error;
  ASSERT_TRUE(server.ListenGpsd({"127.0.0.1", 0}, error)) << error;
  Client c(server, server.gpsdAddress());
  ASSERT_TRUE(c.ok());
  EXPECT_NE(c.Line().find("{\"class\":\"VERSION\","), std::string::npos);
  // Not watching: nothing is sent.
  server.OnTpv("{\"class\":\"TPV\",\"n\":1}", "2026-01-01T00:00:00.000Z");
  EXPECT_EQ(c.Line(100), "");
  c.Say("?POLL;\n");
  EXPECT_EQ(c.Line(),
            "{\"class\":\"POLL\",\"time\":\"2026-01-01T00:00:00.000Z\",\"active\":1,\"tpv\":[{\"class\":\"TPV\","
            "\"n\":1}],\"sky\":[]}");
  c.Say("?WATCH={\"enable\":true,\"json\":true}\n");
  EXPECT_EQ(c.Line(), DevicesJson(Device()));
  EXPECT_EQ(c.Line(), WatchJson(true, true, false));
  server.OnTpv("{\"class\":\"TPV\",\"n\":2}", "");
  server.OnNmea("$GPGGA*00\r\n");
  server.OnSky("{\"class\":\"SKY\"}");
  EXPECT_EQ(c.Line(), "{\"class\":\"TPV\",\"n\":2}");
  EXPECT_EQ(c.Line(), "{\"class\":\"SKY\"}");  // no NMEA unless asked for
  c.Say("?WATCH={\"nmea\":true,\"json\":false}\n");
  EXPECT_EQ(c.Line(), DevicesJson(Device()));
  EXPECT_EQ(c.Line(), WatchJson(true, false, true));
  server.OnTpv("{\"class\":\"TPV\",\"n\":3}", "");
  server.OnNmea("$GPGGA*00\r\n");
  EXPECT_EQ(c.Line(), "$GPGGA*00");
}

TEST(ShareServer, NmeaClientsGetEverySentenceAndWhatTheySendGoesNowhere) {
  ShareServer server(Device());
  std::string error;
  ASSERT_TRUE(server.ListenNmea({"127.0.0.1", 0}, error)) << error;
  Client c(server, server.nmeaAddress());
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(c.Line(100), "");  // no greeting on the NMEA port
  c.Say("$PQTLG,007*00\r\n?WATCH;\n");
  EXPECT_EQ(c.Line(100), "");
  server.OnTpv("{\"class\":\"TPV\"}", "");
  server.OnNmea("$GPRMC,1*00\r\n");
  EXPECT_EQ(c.Line(), "$GPRMC,1*00");
  EXPECT_EQ(server.clientCount(), 1u);
}

TEST(ShareServer, GarbageIsAnsweredWithAnErrorAndAMegabyteLineHangsUpWhileOthersGoOn) {
  ShareServer server(Device());
  std::string error;
  ASSERT_TRUE(server.ListenGpsd({"127.0.0.1", 0}, error)) << error;
  Client good(server, server.gpsdAddress());
  Client bad(server, server.gpsdAddress());
  ASSERT_TRUE(good.ok() && bad.ok());
  good.Line();
  bad.Line();
  good.Say("?WATCH={\"enable\":true}\n");
  good.Line();
  good.Line();
  bad.Say("\x07garbage\xff\n");
  EXPECT_EQ(bad.Line(), "{\"class\":\"ERROR\",\"message\":\"Unrecognized request '?garbage?'\"}");
  bad.Say("?WATCH={\"enable\":\n");
  EXPECT_NE(bad.Line().find("\"class\":\"ERROR\""), std::string::npos);
  // A megabyte with no line end, sent as the server takes it.
  const std::string chunk(64 * 1024, 'A');
  std::size_t sent = 0;
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (sent < (1u << 20) && Clock::now() < end) {
    const ssize_t n = ::send(bad.fd(), chunk.data(), chunk.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN) break;  // the server hung up already
    if (n > 0) sent += static_cast<std::size_t>(n);
    server.Service(1);
  }
  EXPECT_TRUE(bad.HungUp());
  EXPECT_EQ(server.counters().droppedBadLine, 1u);
  server.OnTpv("{\"class\":\"TPV\"}", "");
  EXPECT_EQ(good.Line(), "{\"class\":\"TPV\"}");
  Client late(server, server.gpsdAddress());
  EXPECT_NE(late.Line().find("VERSION"), std::string::npos);
}

TEST(ShareServer, AClientThatStopsReadingIsDroppedWhenItsQueueOverflowsAndTheOthersMissNothing) {
  ShareServerOptions options;
  options.queueBytes = 16 * 1024;
  ShareServer server(Device(), options);
  std::string error;
  ASSERT_TRUE(server.ListenGpsd({"127.0.0.1", 0}, error)) << error;
  Client reader(server, server.gpsdAddress());
  Client stalled(server, server.gpsdAddress());
  ASSERT_TRUE(reader.ok() && stalled.ok());
  // The stalled client's socket buffers are made small so that its queue fills soon.
  const int small = 4096;
  ::setsockopt(stalled.fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  for (Client* c : {&reader, &stalled}) {
    c->Line();
    c->Say("?WATCH={\"enable\":true,\"json\":true}\n");
    c->Line();
    c->Line();
  }
  const std::string report = "{\"class\":\"TPV\",\"pad\":\"" + std::string(200, 'x') + "\"}";
  int received = 0;
  const int sent = 20000;  // about 4 MB
  for (int i = 0; i < sent; ++i) {
    server.OnTpv(report, "");
    if (i % 50 == 49) {
      while (!reader.Line(0).empty()) ++received;
    }
  }
  while (received < sent && !reader.Line(200).empty()) ++received;
  server.Service(0);
  EXPECT_EQ(received, sent);
  EXPECT_EQ(server.counters().droppedSlow, 1u);
  EXPECT_EQ(server.clientCount(), 1u);
}

TEST(ShareServer, ThePseudoTerminalCarriesTheSentencesToWhoeverOpensIt) {
  ShareServer server(Device());
  std::string error;
  ASSERT_TRUE(server.OpenNmeaPty(error)) << error;
  ASSERT_FALSE(server.nmeaPtyPath().empty());
  server.OnNmea("$GPZDA,nobody*00\r\n");  // nobody holds the terminal: not kept for later
  const int fd = ::open(server.nmeaPtyPath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  server.OnNmea("$GPGGA,1*00\r\n");
  std::string got;
  const auto end = Clock::now() + std::chrono::seconds(1);
  while (got.find('\n') == std::string::npos && Clock::now() < end) {
    server.Service(5);
    char buf[256];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) got.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  EXPECT_EQ(got, "$GPGGA,1*00\r\n");
}

}  // namespace
}  // namespace orv
