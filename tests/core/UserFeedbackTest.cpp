// What the console tells a user who would otherwise be left guessing: why a port did not
// open, which ports a search without a port tries, and that a window is still waiting for
// its first message.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

#include "protocol/FrameEncoder.h"
#include "serial/AutoConnect.h"
#include "serial/SerialPort.h"
#include "support/Frames.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "support/RunCommand.h"
#include "util/ByteIo.h"
#include "windows/NavWindows.h"

namespace orv {
namespace {

SerialPort::PortResolver To(const std::string& path) {
  return [path](const std::string&) { return path; };
}

TEST(PortOpenError, NamesTheDeviceAndTheSystemsReasonAndClearsOnSuccess) {
  SerialPort missing(nullptr, nullptr, To("/nonexistent/orvantis-tty"));
  EXPECT_FALSE(missing.Open("COM3", 9600, 'N', 8, 1));
  EXPECT_EQ(missing.OpenError(), "/nonexistent/orvantis-tty: No such file or directory");

  SerialPort unmapped(nullptr, nullptr, To(""));
  EXPECT_FALSE(unmapped.Open("COM9", 9600, 'N', 8, 1));
  EXPECT_EQ(unmapped.OpenError(), "COM9 is not a serial device of this machine");

  // A regular file opens but is no serial line: the port stays closed and says why.
  const std::string file = test::TempDir() + "/not-a-tty";
  std::ofstream(file) << "x";
  SerialPort plain(nullptr, nullptr, To(file));
  EXPECT_FALSE(plain.Open("COM1", 9600, 'N', 8, 1));
  EXPECT_FALSE(plain.IsOpen());
  EXPECT_EQ(plain.OpenError().rfind(file + ": not a serial line: ", 0), 0u) << plain.OpenError();

  // A pseudo-terminal is one: the error is gone.
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  SerialPort pty(nullptr, nullptr, To(::ptsname(master)));
  EXPECT_FALSE(pty.Open("COM1", 1234, 'N', 8, 1));  // not a standard rate
  EXPECT_NE(pty.OpenError().find("1234 bit/s is not a rate this device can be set to"), std::string::npos);
  EXPECT_TRUE(pty.Open("COM1", 9600, 'N', 8, 1));
  EXPECT_EQ(pty.OpenError(), "");
  pty.Close();
  ::close(master);

  EXPECT_EQ(PortOpenFailureText("COM3", "/dev/ttyUSB0: Permission denied"),
            "Cannot open port COM3.\n/dev/ttyUSB0: Permission denied");
  EXPECT_EQ(PortOpenFailureText("COM3", ""), "Cannot open port COM3.");
}

TEST(SearchPorts, EachNameWithItsDeviceAndStateThenTheNamesWithoutOne) {
  const std::vector<std::string> names = AutoConnect::SearchPortNames();
  ASSERT_EQ(names.size(), 10u);
  EXPECT_EQ(names.front(), "Com1");
  EXPECT_EQ(names.back(), "Com10");
  const std::vector<std::string> lines = DescribeSearchPorts(
      names, {"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyS1"}, {"Com2"},
      {{"Com1", "/dev/ttyUSB0: the device is in use by another program"}, {"Com3", ""}});
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "  Com1   /dev/ttyUSB0  cannot be opened: the device is in use by another program",
                       "  Com2   /dev/ttyS0  free",
                       "  Com3   /dev/ttyS1  cannot be opened",
                       "  Com4 to Com10: no devices",
                   }));
  EXPECT_EQ(DescribeSearchPorts(names, {}, {}, {}), (std::vector<std::string>{"  Com1 to Com10: no devices"}));
  EXPECT_EQ(DescribeSearchPorts({"Com1"}, {}, {}, {}), (std::vector<std::string>{"  Com1: no device"}));
}

// Without --port, detect says where it looks before it searches; with nothing it can open it
// stops at once.
TEST(CliDetect, WithoutAPortListsThePortsItTries) {
  const std::string err = test::TempDir() + "/detect.err";
  const test::CommandResult r = test::RunCommand("ORVANTIS_PORTS=/nonexistent/orv-a,/nonexistent/orv-b " +
                                                 std::string(ORVANTIS_CLI_PATH) + " detect 2>" + err);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  std::ifstream in(err);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text,
            "orvantis-cli detect: no --port given; the ports Com1 to Com10 of this machine:\n"
            "  Com1   /nonexistent/orv-a  cannot be opened: No such file or directory\n"
            "  Com2   /nonexistent/orv-b  cannot be opened: No such file or directory\n"
            "  Com3 to Com10: no devices\n"
            "orvantis-cli detect: no port can be opened; name one with --port\n");
}

TEST(WaitingText, FromTheMessageTheCaptionNames) {
  EXPECT_EQ(WaitingTextForCaption("Navigation Window (User Coor) - Msg 20"), "waiting for message 20");
  EXPECT_EQ(WaitingTextForCaption("Channel Assignment Window - Msg 6 & 7"), "waiting for message 6 & 7");
  EXPECT_EQ(WaitingTextForCaption("Quenmarsh File Manager Window - Msg 70, Sub ID 1"),
            "waiting for message 70, Sub ID 1");
  EXPECT_EQ(WaitingTextForCaption("Recommended minimum specific GPS data - $GPRMC"), "waiting for message $GPRMC");
  EXPECT_EQ(WaitingTextForCaption("Receiver parameters - $PQTLG,908"), "waiting for message $PQTLG,908");
  EXPECT_EQ(WaitingTextForCaption("Receiver Status (ID49)"), "waiting for message 49");
  EXPECT_EQ(WaitingTextForCaption("Received NMEA Messages Window"), "");
  EXPECT_EQ(WaitingTextForCaption("Odd (ID)"), "");
  EXPECT_EQ(WaitingTextForCaption("Broken - Msg "), "");
}

bool Drew(const test::RecordingCanvas& c, const std::string& text) {
  for (const std::string& t : c.Texts()) {
    if (t.size() >= text.size() && t.compare(t.size() - text.size(), text.size(), text) == 0) return true;
  }
  return false;
}

// Drawn by the framework over the labels of a window that has received nothing, gone with the
// first record for good: a window cleared later shows its labels only.
TEST(WaitingText, ShownUntilTheFirstRecordAndNotAfterClearData) {
  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  CNavWnd page(PageContext{&encoder, nullptr});
  test::RecordingPageView view(page);
  page.OnCreate("Navigation Window (User Coor) - Msg 20");
  view.Repaint();
  EXPECT_TRUE(page.waiting());
  EXPECT_TRUE(Drew(view.screen, "waiting for message 20"));
  EXPECT_TRUE(view.screen.Has("text 16 15 Lat:                "));  // the labels are there too

  std::vector<uint8_t> payload(71, 0);
  payload[0] = 14;
  NavLlhRecord record;
  record.Assign(payload);
  page.ShowRecord(record);
  // The first record repaints the whole page, so the note is erased, not drawn over.
  ASSERT_FALSE(view.events.empty());
  EXPECT_EQ(view.events.back(), "invalidate");
  EXPECT_FALSE(page.waiting());
  EXPECT_FALSE(Drew(view.screen, "waiting for message 20"));
  page.ShowRecord(record);
  EXPECT_EQ(view.events.back(), "values");

  EXPECT_TRUE(page.OnCommand(32966));  // Clear Data
  view.Repaint();
  EXPECT_FALSE(page.hasRecord());
  EXPECT_FALSE(Drew(view.screen, "waiting for message 20"));
  EXPECT_TRUE(view.screen.Has("text 16 15 Lat:                "));
}

}  // namespace
}  // namespace orv
