// Port names to host devices: the environment list, the /dev scan order, natural ordering,
// by-id links counted once, and the COMn names in either case.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "serial/PortNames.h"
#include "support/Frames.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

void Touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p).put('\0');
}

TEST(PortNames, NaturalOrderComparesDigitRunsByValue) {
  EXPECT_TRUE(NaturalLess("ttyUSB2", "ttyUSB10"));
  EXPECT_FALSE(NaturalLess("ttyUSB10", "ttyUSB2"));
  EXPECT_TRUE(NaturalLess("ttyS9", "ttyS010"));
  EXPECT_TRUE(NaturalLess("a", "b"));
  EXPECT_TRUE(NaturalLess("tty", "tty0"));
  EXPECT_FALSE(NaturalLess("tty0", "tty0"));
}

TEST(PortNames, EnvironmentListReplacesTheScan) {
  EXPECT_EQ(ListSerialDevices(" /dev/pts/7 ,,/dev/ttyUSB3,"), (Names{"/dev/pts/7", "/dev/ttyUSB3"}));
  EXPECT_TRUE(ListSerialDevices("").empty());
}

TEST(PortNames, ScanOrderByIdThenUsbThenAcmThenPresentUarts) {
  const fs::path root = test::TempDir();
  Touch(root / "dev/ttyUSB10");
  Touch(root / "dev/ttyUSB2");
  Touch(root / "dev/ttyUSB0");
  Touch(root / "dev/ttyACM0");
  Touch(root / "dev/ttyS1");
  Touch(root / "dev/ttyS0");
  Touch(root / "dev/ttyS2");
  Touch(root / "dev/tty0");
  fs::create_directories(root / "dev/serial/by-id");
  fs::create_symlink("../../ttyUSB2", root / "dev/serial/by-id/usb-Maker_Cable_A1-if00-port0");
  // ttyS1 is a UART the kernel knows is absent; ttyS2 has no sysfs entry and is kept.
  fs::create_directories(root / "sys/class/tty/ttyS0");
  fs::create_directories(root / "sys/class/tty/ttyS1");
  std::ofstream(root / "sys/class/tty/ttyS0/type") << "4\n";
  std::ofstream(root / "sys/class/tty/ttyS1/type") << "0\n";

  const Names devices = ListSerialDevices(nullptr, root);
  EXPECT_EQ(devices, (Names{"/dev/serial/by-id/usb-Maker_Cable_A1-if00-port0", "/dev/ttyUSB0", "/dev/ttyUSB10",
                            "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2"}));
  EXPECT_TRUE(ListSerialDevices(nullptr, root / "missing").empty());
}

TEST(PortNames, LongDevicePathsAreKeptAsTheDeviceTheyMean) {
  // A by-id link longer than a stored port name (79 characters) stands for its short target.
  const fs::path dir = fs::path("/tmp") / ("orv-ports-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  Touch(dir / "ttyUSB0");
  const fs::path link = dir / "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0";
  fs::create_symlink(dir / "ttyUSB0", link);
  ASSERT_GT(link.string().size(), 79u);
  EXPECT_EQ(StorablePortName(link.string()), (dir / "ttyUSB0").string());
  EXPECT_EQ(StorablePortName("COM2"), "COM2");
  EXPECT_EQ(StorablePortName("/dev/pts/3"), "/dev/pts/3");
  EXPECT_EQ(StorablePortName((dir / std::string(90, 'x')).string()), "");  // nothing there
  EXPECT_EQ(StorablePortName(std::string(90, 'C')), "");                  // not a path
  fs::remove_all(dir);
}

TEST(PortNames, ComNamesCountFromOneInEitherCase) {
  const Names devices = {"/dev/a", "/dev/b", "/dev/c", "/dev/d", "/dev/e", "/dev/f", "/dev/g", "/dev/h", "/dev/i",
                         "/dev/j"};
  EXPECT_EQ(DevicePathFor("COM1", devices), "/dev/a");
  EXPECT_EQ(DevicePathFor("COM4", devices), "/dev/d");
  EXPECT_EQ(DevicePathFor("Com10", devices), "/dev/j");
  EXPECT_EQ(DevicePathFor("com2", devices), "/dev/b");
  for (const char* bad : {"COM0", "COM11", "COM", "COMx", "COM1x", "LPT1", "", "NONE", "COM99999999999999999999"}) {
    EXPECT_EQ(DevicePathFor(bad, devices), "") << bad;
  }
  EXPECT_EQ(DevicePathFor("/dev/pts/3", {}), "/dev/pts/3");
  EXPECT_EQ(DevicePathFor("COM1", {}), "");

  const auto mapping = MapPortNames({"COM1", "COM4", "COM5"}, {"/dev/x", "/dev/y"});
  ASSERT_EQ(mapping.size(), 3u);
  EXPECT_EQ(mapping[0].device, "/dev/x");
  EXPECT_EQ(mapping[1].name, "COM4");
  EXPECT_EQ(mapping[1].device, "");
}

}  // namespace
}  // namespace orv
