// "Share with gpsd Clients" in the main frame: offered only while an input is open, its
// address in the status bar, a client served from the frame's own poll, and the end of the
// sharing with the input.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>

#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "app/ReceiverShare.h"
#include "ids/CommandIds.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"

namespace orv {
namespace {

constexpr double kPi = 3.141592653589793;

std::vector<uint8_t> NavLlh(int second) {
  std::vector<uint8_t> p(71, 0);
  p[0] = 10;
  p[1] = 20;
  const double s = second;
  std::memcpy(&p[2], &s, 8);
  p[10] = 9;
  p[11] = 12;
  const uint16_t year = 2026;
  std::memcpy(&p[12], &year, 2);
  const double lat = 52.5 * kPi / 180, lon = 13.25 * kPi / 180;
  std::memcpy(&p[14], &lat, 8);
  std::memcpy(&p[22], &lon, 8);
  p[66] = 2;
  p[67] = 6;
  return test::Frame(20, p);
}

class ReceiverShareTest : public ::testing::Test {
 protected:
  ReceiverShareTest()
      : frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); }),
        commands(frame, host) {
    frame.share().SetEndpoints({"127.0.0.1", 0}, {"127.0.0.1", 0});
  }

  void OpenLog(int epochs) {
    std::vector<uint8_t> log;
    for (int i = 0; i < epochs; ++i) {
      const auto f = NavLlh(i);
      log.insert(log.end(), f.begin(), f.end());
    }
    const std::string path = dir + "/share.log";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(log.data()), static_cast<std::streamsize>(log.size()));
    desk.openFileAnswer = path;
    frame.OnOpenLogFile();
  }

  int Connect(const std::string& address) {
    const std::size_t colon = address.rfind(':');
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(std::stoi(address.substr(colon + 1))));
    ::inet_pton(AF_INET, "127.0.0.1", &sa.sin_addr);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return -1;
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
  }

  // Polls the frame until `fd` has received `text` (or a second went by); what came.
  std::string PollUntil(int fd, const std::string& text) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (got.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
      frame.OnTimer(kPollTimer);
      char buf[4096];
      const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
      ::usleep(2000);
    }
    return got;
  }

  std::string dir = test::TempDir();
  test::FakeDesktop desk;
  CMainFrame frame;
  test::FakeShellHost host;
  FrameCommands commands;
};

TEST_F(ReceiverShareTest, IsOfferedOnlyWithAnOpenInputAndSaysSoOtherwise) {
  EXPECT_FALSE(commands.State(cmd::kShareReceiver).enabled);
  frame.share().Toggle();
  EXPECT_FALSE(frame.share().active());
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].caption, "Share with gpsd Clients");
  EXPECT_EQ(desk.PaneText(kPaneShare), "");
}

TEST_F(ReceiverShareTest, ServesTheLogFromThePollShowsItsAddressAndEndsWithTheInput) {
  OpenLog(400);
  ASSERT_TRUE(frame.state().playbackActive);
  EXPECT_TRUE(commands.State(cmd::kShareReceiver).enabled);
  ASSERT_TRUE(commands.OnCommand(cmd::kShareReceiver));
  ASSERT_TRUE(frame.share().active());
  EXPECT_TRUE(commands.State(cmd::kShareReceiver).checked);
  ShareServer& server = *frame.share().server();
  EXPECT_EQ(desk.PaneText(kPaneShare), "gpsd " + server.gpsdAddress() + "  NMEA " + server.nmeaAddress());
  EXPECT_EQ(server.gpsdAddress().rfind("127.0.0.1:", 0), 0u);

  const int gpsd = Connect(server.gpsdAddress());
  const int nmea = Connect(server.nmeaAddress());
  ASSERT_GE(gpsd, 0);
  ASSERT_GE(nmea, 0);
  EXPECT_NE(PollUntil(gpsd, "\n").find("\"class\":\"VERSION\""), std::string::npos);
  const std::string watch = "?WATCH={\"enable\":true,\"json\":true}\n";
  ASSERT_EQ(::send(gpsd, watch.data(), watch.size(), 0), static_cast<ssize_t>(watch.size()));
  const std::string tpv = PollUntil(gpsd, "\"class\":\"TPV\"");
  EXPECT_NE(tpv.find("\"lat\":52.500000000,\"lon\":13.250000000"), std::string::npos) << tpv;
  EXPECT_NE(tpv.find("\"time\":\"2026-12-09T10:20:"), std::string::npos) << tpv;
  const std::string sentences = PollUntil(nmea, "$GPRMC,");
  EXPECT_NE(sentences.find("$GPGGA,1020"), std::string::npos) << sentences;

  frame.OnStop();
  EXPECT_FALSE(frame.share().active());
  EXPECT_EQ(desk.PaneText(kPaneShare), "");
  EXPECT_FALSE(commands.State(cmd::kShareReceiver).enabled);
  // The clients are let go: after what was still sent, the end of the stream.
  char buf[4096];
  ssize_t n = 1;
  while (n > 0) n = ::recv(gpsd, buf, sizeof buf, MSG_DONTWAIT);
  EXPECT_EQ(n, 0);
  ::close(gpsd);
  ::close(nmea);
}

}  // namespace
}  // namespace orv
