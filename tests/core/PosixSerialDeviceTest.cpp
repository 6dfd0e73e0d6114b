// The termios device on a pseudo-terminal: raw mode on every open, reads that return at once,
// and a peer that goes away.
#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>

#include "platform/PosixSerialDevice.h"
#include "support/Pty.h"

namespace orv {
namespace {

LineSettings Line(uint32_t baud, Parity parity = Parity::None, uint8_t stopCode = 0, uint8_t dataBits = 8) {
  LineSettings s;
  s.baud = baud;
  s.parity = parity;
  s.stopBitsCode = stopCode;
  s.dataBits = dataBits;
  return s;
}

TEST(PosixSerialDevice, AttributesCarryFramingAndRawMode) {
  termios base{};
  base.c_lflag = ECHO | ICANON | ISIG;
  base.c_iflag = ICRNL | IXON | IXOFF;
  base.c_oflag = OPOST | ONLCR;
  base.c_cflag = CS7 | CRTSCTS;

  auto even = PosixSerialDevice::MakeAttributes(base, Line(19200, Parity::Even));
  ASSERT_TRUE(even);
  EXPECT_EQ(even->c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB));
  EXPECT_EQ(even->c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(even->c_cflag & CSTOPB, 0u);
  EXPECT_EQ(even->c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(even->c_lflag & (ECHO | ICANON | ISIG), 0u);
  EXPECT_EQ(even->c_iflag & (ICRNL | IXON | IXOFF), 0u);
  EXPECT_EQ(even->c_oflag & OPOST, 0u);
  EXPECT_EQ(even->c_cc[VMIN], 0);
  EXPECT_EQ(even->c_cc[VTIME], 0);
  EXPECT_EQ(cfgetospeed(&*even), speed_t(B19200));
  EXPECT_EQ(cfgetispeed(&*even), speed_t(B19200));

  EXPECT_EQ(PosixSerialDevice::MakeAttributes(base, Line(9600, Parity::Odd))->c_cflag & (PARENB | PARODD | CMSPAR),
            tcflag_t(PARENB | PARODD));
  EXPECT_EQ(PosixSerialDevice::MakeAttributes(base, Line(9600, Parity::Mark))->c_cflag & (PARENB | PARODD | CMSPAR),
            tcflag_t(PARENB | PARODD | CMSPAR));
  EXPECT_EQ(PosixSerialDevice::MakeAttributes(base, Line(9600, Parity::Space))->c_cflag & (PARENB | PARODD | CMSPAR),
            tcflag_t(PARENB | CMSPAR));
  EXPECT_NE(PosixSerialDevice::MakeAttributes(base, Line(9600, Parity::None, 2))->c_cflag & CSTOPB, 0u);
  EXPECT_EQ(PosixSerialDevice::MakeAttributes(base, Line(9600, Parity::None, 0, 7))->c_cflag & CSIZE, tcflag_t(CS7));

  LineSettings hw = Line(9600);
  hw.flowControl = kFlowHardware;
  EXPECT_NE(PosixSerialDevice::MakeAttributes(base, hw)->c_cflag & CRTSCTS, 0u);
  hw.flowControl = kFlowKeepDriver;
  EXPECT_NE(PosixSerialDevice::MakeAttributes(base, hw)->c_cflag & CRTSCTS, 0u);
}

TEST(PosixSerialDevice, RatesFrom300To921600) {
  for (uint32_t baud : {300u, 1200u, 9600u, 38400u, 57600u, 115200u, 230400u, 460800u, 921600u}) {
    const auto speed = PosixSerialDevice::SpeedFor(baud);
    ASSERT_TRUE(speed) << baud;
    EXPECT_EQ(PosixSerialDevice::BaudFor(*speed), baud);
  }
  for (uint32_t baud : {0u, 110u, 14400u, 1000000u}) EXPECT_FALSE(PosixSerialDevice::SpeedFor(baud)) << baud;
  EXPECT_EQ(PosixSerialDevice::BaudFor(B0), 0u);
}

TEST(PosixSerialDevice, FreshPseudoTerminalIsMadeRawAndReadsReturnAtOnce) {
  test::PtyMaster pty;
  ASSERT_TRUE(pty.ok());
  PosixSerialDevice dev;
  ASSERT_TRUE(dev.Open(pty.slavePath()));
  ASSERT_TRUE(dev.ApplySettings(Line(57600)));
  termios now{};
  ASSERT_EQ(tcgetattr(dev.fd(), &now), 0);
  EXPECT_EQ(now.c_lflag & ECHO, 0u);
  EXPECT_EQ(cfgetospeed(&now), speed_t(B57600));

  uint8_t buf[64];
  uint32_t n = 99;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(dev.Read(buf, sizeof buf, n));
  EXPECT_EQ(n, 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));

  // Bytes from the peer arrive untranslated (no CR to LF) and are not echoed back.
  ASSERT_TRUE(pty.Write({'a', '\r', 0x01, 0xFF}));
  std::vector<uint8_t> got;
  for (int i = 0; i < 100 && got.size() < 4; ++i) {
    if (dev.Read(buf, sizeof buf, n)) got.insert(got.end(), buf, buf + n);
    if (got.size() < 4) usleep(1000);
  }
  EXPECT_EQ(got, (std::vector<uint8_t>{'a', '\r', 0x01, 0xFF}));
  EXPECT_TRUE(pty.ReadFor(30).empty());

  const uint8_t out[] = {'\n', 'x'};
  uint32_t written = 0;
  EXPECT_TRUE(dev.Write(out, 2, written));
  EXPECT_EQ(written, 2u);
  EXPECT_EQ(pty.ReadFor(30), (std::vector<uint8_t>{'\n', 'x'}));
  EXPECT_FALSE(dev.HungUp());
}

TEST(PosixSerialDevice, UnsupportedRateOrNonTerminalRefusesSettingsButKeepsHandle) {
  test::PtyMaster pty;
  ASSERT_TRUE(pty.ok());
  PosixSerialDevice dev;
  ASSERT_TRUE(dev.Open(pty.slavePath()));
  EXPECT_FALSE(dev.ApplySettings(Line(14400)));
  EXPECT_TRUE(dev.IsHandleValid());

  PosixSerialDevice file;
  ASSERT_TRUE(file.Open("/dev/null"));
  EXPECT_FALSE(file.ApplySettings(Line(9600)));
  EXPECT_TRUE(file.IsHandleValid());
}

TEST(PosixSerialDevice, PeerGoneReadsNothingAndWritesFailQuickly) {
  test::PtyMaster pty;
  ASSERT_TRUE(pty.ok());
  PosixSerialDevice dev;
  ASSERT_TRUE(dev.Open(pty.slavePath()));
  ASSERT_TRUE(dev.ApplySettings(Line(9600)));
  pty.CloseMaster();
  EXPECT_TRUE(dev.HungUp());

  const auto start = std::chrono::steady_clock::now();
  uint8_t buf[16];
  uint32_t n = 99;
  for (int i = 0; i < 3; ++i) {
    dev.Read(buf, sizeof buf, n);
    EXPECT_EQ(n, 0u);
  }
  uint32_t written = 0;
  EXPECT_FALSE(dev.Write(buf, sizeof buf, written));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  dev.Close();
  EXPECT_TRUE(dev.HungUp());
}

}  // namespace
}  // namespace orv
