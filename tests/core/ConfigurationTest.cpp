// The settings record: its layout, its defaults and the safety of its text fields.
#include "config/Configuration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "util/ByteIo.h"

namespace orv {
namespace {

std::size_t ElementSize(const ConfigField& f) { return f.width; }

// Which bytes of the record each named field and window slot covers; a byte named twice is a
// layout mistake.
std::vector<int> Coverage() {
  std::vector<int> owners(kConfigurationSize, 0);
  auto cover = [&](std::size_t off, std::size_t n) {
    ASSERT_LE(off + n, kConfigurationSize) << "field at " << off;
    for (std::size_t i = off; i < off + n; ++i) ++owners[i];
  };
  for (const auto& w : WindowTable()) {
    cover(w.flagOffset, 4);
    cover(w.rectOffset, 16);
  }
  for (const auto& f : ConfigurationFields()) cover(f.offset, ElementSize(f) * f.count);
  return owners;
}

TEST(ConfigurationLayout, FieldsTileTheRecordLeavingOnlyTheUnnamedGaps) {
  const auto owners = Coverage();
  std::vector<std::pair<std::size_t, std::size_t>> gaps;  // [first, last]
  for (std::size_t i = 0; i < owners.size(); ++i) {
    EXPECT_LE(owners[i], 1) << "byte " << i << " belongs to two fields";
    if (owners[i] != 0) continue;
    if (!gaps.empty() && gaps.back().second + 1 == i) {
      gaps.back().second = i;
    } else {
      gaps.push_back({i, i});
    }
  }
  const std::vector<std::pair<std::size_t, std::size_t>> expected = {
      {3460, 3659}, {4460, 5259}, {5305, 5305}, {5346, 5347}, {6353, 6368}, {6459, 6459}};
  EXPECT_EQ(gaps, expected);
}

TEST(ConfigurationLayout, WindowTableAndReopenOrder) {
  const auto windows = WindowTable();
  ASSERT_EQ(windows.size(), 56u);
  std::set<int> commands;
  std::set<uint16_t> flags;
  for (const auto& w : windows) {
    commands.insert(w.command);
    flags.insert(w.flagOffset);
    EXPECT_EQ(FindWindow(w.command), &w);
  }
  EXPECT_EQ(commands.size(), 56u);
  const auto order = WindowReopenOrder();
  EXPECT_EQ(std::set<uint16_t>(order.begin(), order.end()), flags);
  EXPECT_EQ(order.size(), 56u);
  EXPECT_EQ(FindWindow(12345), nullptr);
  ASSERT_NE(FindWindow(kAuxTerminalCommand), nullptr);
  EXPECT_EQ(FindWindow(kAuxTerminalCommand)->flagOffset, 64);
}

TEST(ConfigurationDefaults, NamedFieldsGetTheirDefaultsAndTheRestIsKept) {
  Configuration c;
  auto& img = c.image();
  std::fill(img.begin(), img.end(), 0xAB);
  c.SetDefaults();

  EXPECT_EQ(c.mainWindow(), (MainWindowPlacement{10, 10, 800, 400}));
  EXPECT_EQ(c.mainBaudRate(), 9600);
  EXPECT_EQ(c.protocolSelector(), 1);
  EXPECT_EQ(c.playbackBytesPerTick(), 1000);
  EXPECT_EQ(c.mainPortName(), "");
  EXPECT_EQ(c.operatingModeCommandKey(), "ZKQW-R31");
  EXPECT_EQ(c.operatingModeReferencePosition(1), -4298358.224);
  EXPECT_EQ(c.receiverSettings5364(2), 9600);
  EXPECT_EQ(c.receiverSettings5364(4), 120);
  EXPECT_EQ(c.receiverSettings5343(1), 10);
  EXPECT_EQ(c.receiverMessageLists(209), 0);
  EXPECT_EQ(c.plotScale(), 100);
  EXPECT_EQ(c.fileManagerCustomerName(), "KELTRIX LTD");
  EXPECT_EQ(c.userDatum(2).name, "User Defined 2");
  EXPECT_EQ(c.userDatum(2).inverseFlattening, 298.257223563);
  EXPECT_EQ(c.windowRect(32824), (ScreenRect{80, 80, 725, 315}));
  EXPECT_FALSE(c.windowOpen(32824));
  // A text default clears its whole field, not just its first bytes.
  for (std::size_t i = cfg::kMainPortName; i < cfg::kMainPortName + 80; ++i) EXPECT_EQ(img[i], 0) << i;

  // Kept: the last playback path and the three directories, the operating-mode setting at
  // 5292, and every byte that no field names.
  for (std::size_t off : {cfg::kPlaybackPath, cfg::kPlaybackDirectory, cfg::kMainRecordingDirectory,
                          cfg::kAuxRecordingDirectory, cfg::kOperatingMode5292, std::size_t{3460},
                          std::size_t{5305}, std::size_t{6459}, std::size_t{5259}}) {
    EXPECT_EQ(img[off], 0xAB) << off;
  }
}

TEST(ConfigurationAccessors, EachWritesAtItsOffset) {
  Configuration c;
  c.SetMainBaudRate(115200);
  c.SetPlaybackBytesPerTick(5000);
  c.SetPlotCentreLatitude(12.5);
  c.SetSyncBaseFilePath(2, "base.log");
  c.SetReceiverMessageLists(209, 77);
  c.SetReceiverSettings6241(0, 31);
  c.SetWindowOpen(33117, true);
  c.SetWindowRect(33132, {1, 2, 3, 4});
  c.SetSyncTriggerTime(2, 345600.5);
  c.SetFileManagerAntennaHeight(-12);
  UserDatum d{"Mine", "Here", -1, 2, -3, "Ell", 6378000.0, 298.0};
  c.SetUserDatum(2, d);

  const std::span<const uint8_t> img(c.image());
  EXPECT_EQ(ReadLe<int32_t>(img, 1156), 115200);
  EXPECT_EQ(ReadLe<int32_t>(img, 5288), 5000);
  EXPECT_EQ(ReadLe<double>(img, 6387), 12.5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[1860 + 400])), "base.log");
  EXPECT_EQ(ReadLe<int32_t>(img, 5400 + 4 * 209), 77);
  EXPECT_EQ(ReadLe<int32_t>(img, 6241), 31);
  EXPECT_EQ(ReadLe<int32_t>(img, 6974), 1);
  EXPECT_EQ(ReadLe<int32_t>(img, 7218 + 12), 4);
  EXPECT_EQ(ReadLe<double>(img, 5260 + 16), 345600.5);
  EXPECT_EQ(ReadLe<int16_t>(img, 6453), -12);
  EXPECT_EQ(ReadLe<int16_t>(img, 6922 + 4), -3);
  EXPECT_EQ(ReadLe<double>(img, 6958), 6378000.0);
  EXPECT_EQ(c.userDatum(2), d);
  EXPECT_EQ(c.windowRect(33132), (ScreenRect{1, 2, 3, 4}));
}

TEST(ConfigurationAccessors, OutOfRangeIndexesNeitherReadNorWrite) {
  Configuration c;
  c.SetDefaults();
  const ConfigurationImage before = c.image();
  c.SetSyncUserFilePath(3, "x");
  c.SetSyncUserFilePath(-1, "x");
  c.SetReceiverMessageLists(210, 5);
  c.SetOperatingModeReferencePosition(3, 1.0);
  c.SetMaintenancePath(3, "x");
  c.SetUserDatum(3, UserDatum{"x", "", 0, 0, 0, "", 1, 1});
  c.SetWindowOpen(99999, true);
  c.SetWindowRect(99999, {1, 1, 1, 1});
  EXPECT_EQ(c.image(), before);
  EXPECT_EQ(c.receiverSettings5364(9), 0);
  EXPECT_EQ(c.syncBaseFilePath(-1), "");
  EXPECT_EQ(c.userDatum(0).name, "");
  EXPECT_EQ(c.windowRect(99999), ScreenRect{});
}

TEST(ConfigurationText, LongTextIsCutInsideItsFieldAndStaysTerminated) {
  Configuration c;
  c.SetDefaults();
  const int32_t baudBefore = c.mainBaudRate();
  c.SetMainPortName(std::string(300, 'P'));
  EXPECT_EQ(c.mainPortName(), std::string(79, 'P'));
  EXPECT_EQ(c.image()[cfg::kMainPortName + 79], 0);
  EXPECT_EQ(c.mainBaudRate(), baudBefore);  // the next field, right after the text

  // A shorter text afterwards leaves nothing of the longer one behind.
  c.SetMainPortName("/dev/ttyS0");
  EXPECT_EQ(c.mainPortName(), "/dev/ttyS0");
  for (std::size_t i = cfg::kMainPortName + 10; i < cfg::kMainPortName + 80; ++i) EXPECT_EQ(c.image()[i], 0);

  c.SetOperatingModeCommandKey("ABCDEFGHIJ");
  EXPECT_EQ(c.operatingModeCommandKey(), "ABCDEFGH");
  EXPECT_EQ(c.image()[5305], 0);  // unnamed byte after the key field stays as it was

  c.SetPlaybackPath(std::string_view("a\0b", 3));
  EXPECT_EQ(c.playbackPath(), "a");
}

TEST(ConfigurationText, FieldsFilledToTheEdgeAreReadWithinTheirWidth) {
  Configuration c;
  // A file may hold a text without terminator: reading stops at the field's end.
  auto& img = c.image();
  std::fill(img.begin() + cfg::kFurtherPath, img.begin() + cfg::kFurtherPath + 200, 'x');
  EXPECT_EQ(c.furtherPath(), std::string(200, 'x'));
  // The file manager's texts may use their full width, as the receiver's attributes do.
  c.SetFileManagerFileName("ABCDEFGHIJ");
  EXPECT_EQ(c.fileManagerFileName(), "ABCDEFGH");
  c.SetFileManagerOperatorName("XYZ");
  EXPECT_EQ(c.fileManagerOperatorName(), "XYZ");
  EXPECT_EQ(img[6459], 0);  // the unnamed byte after it is untouched
}

}  // namespace
}  // namespace orv
