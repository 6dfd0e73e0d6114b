// The configuration file: first start, short files, reopening windows, what a save stores,
// and that a failed save never damages the file already there.
#include "config/ConfigurationFile.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "config/ConfigurationRanges.h"
#include "support/Frames.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

class RecordingSink : public CommandSink {
 public:
  void PostCommand(int commandId) override { posted.push_back(commandId); }
  std::vector<int> posted;
};

class TableGeometry : public WindowGeometry {
 public:
  std::optional<ScreenRect> MainWindowRect() const override { return main; }
  std::optional<ScreenRect> WindowRect(int commandId) const override {
    auto it = windows.find(commandId);
    if (it == windows.end()) return std::nullopt;
    return it->second;
  }
  std::optional<ScreenRect> main;
  std::map<int, ScreenRect> windows;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, std::size_t off, std::size_t n) {
  if (off + n > bytes.size()) return {};
  return {bytes.begin() + static_cast<long>(off), bytes.begin() + static_cast<long>(off + n)};
}

class ConfigurationFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = test::TempDir();
    ASSERT_FALSE(dir.empty());
    path = *ConfigurationPathIn(dir);
    Start();
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
  }
  // What the frame does at creation: defaults, then the file over them.
  bool Start() {
    config = Configuration();
    config.SetDefaults();
    file.SetPath(path);
    sink.posted.clear();
    return file.LoadConfiguration(&sink);
  }
  std::vector<uint8_t> OnDisk() const { return test::ReadFile(path); }
  static std::vector<uint8_t> DefaultImage() {
    Configuration c;
    c.SetDefaults();
    return {c.image().begin(), c.image().end()};
  }

  std::string dir, path;
  Configuration config;
  ConfigurationFile file{config};
  RecordingSink sink;
};

TEST_F(ConfigurationFileTest, FirstStartWritesTheDefaults) {
  // SetUp started without a file.
  const auto bytes = OnDisk();
  ASSERT_EQ(bytes.size(), 7234u);
  EXPECT_TRUE(sink.posted.empty());
  EXPECT_EQ(bytes, DefaultImage());
  using test::Hex;
  EXPECT_EQ(Slice(bytes, 212, 16), Hex("0A000000 0A000000 20030000 90010000"));
  EXPECT_EQ(Slice(bytes, 1156, 4), Hex("80250000"));  // 9600 bit/s
  EXPECT_EQ(Slice(bytes, 1160, 4), Hex("01000000"));  // KTX Binary
  EXPECT_EQ(Slice(bytes, 5288, 4), Hex("E8030000"));  // 1000 bytes per tick
  EXPECT_EQ(Slice(bytes, 5296, 9), Hex("5A4B51572D52333100"));  // "ZKQW-R31"
  EXPECT_EQ(Slice(bytes, 5311, 24), Hex("8195434B15303341 1904568E9D6550C1 96438BF407445141"));
  EXPECT_EQ(Slice(bytes, 6385, 2), Hex("0101"));
  EXPECT_EQ(Slice(bytes, 6387, 16), Hex("BBDC161BA9A54640 09658632795A52C0"));
  EXPECT_EQ(Slice(bytes, 6413, 8), Hex("46696C6500000000"));  // "File"
  auto datumName = Hex("55736572 20446566 696E6564 2031");     // "User Defined 1"
  datumName.resize(30, 0);
  EXPECT_EQ(Slice(bytes, 6460, 30), datumName);
  EXPECT_EQ(Slice(bytes, 6701, 16), Hex("00000040A6545841 886D74961DA47240"));
  EXPECT_EQ(Slice(bytes, 7218, 16), Hex("F4010000 64000000 EE020000 58020000"));  // 500,100,750,600
}

TEST_F(ConfigurationFileTest, ShortFileIsReplacedByTheDefaults) {
  WriteBytes(path, std::vector<uint8_t>(7233, 0x01));
  EXPECT_FALSE(Start());
  EXPECT_TRUE(sink.posted.empty());  // its flags (all 1) are not believed
  EXPECT_EQ(OnDisk(), DefaultImage());
  EXPECT_EQ(std::vector<uint8_t>(config.image().begin(), config.image().end()), DefaultImage());
}

// Only a file of exactly one record is a configuration file: one byte more and it is treated
// as a short one, as `orvantis-cli config show` treats it.
TEST_F(ConfigurationFileTest, ALongerFileIsReplacedByTheDefaults) {
  auto bytes = DefaultImage();
  WriteLe<int32_t>(bytes, 4, 1);  // LLH Solution open
  WriteLe<int32_t>(bytes, 1156, 115200);
  bytes.push_back(0);
  WriteBytes(path, bytes);
  ConfigurationImage image{};
  EXPECT_EQ(ReadConfigurationImage(path, O_RDONLY, image), std::optional<std::size_t>(7235));
  EXPECT_FALSE(Start());
  EXPECT_TRUE(sink.posted.empty());
  EXPECT_EQ(config.mainBaudRate(), 9600);
  EXPECT_EQ(OnDisk(), DefaultImage());
  EXPECT_EQ(ReadConfigurationImage(path, O_RDONLY, image), std::optional<std::size_t>(7234));
}

// Random records of the right length: no window is posted that would open off the screen or
// at no size, and no field the console uses keeps an impossible value; sound fields stay.
TEST_F(ConfigurationFileTest, ARandomRecordOpensNoWindowOffTheScreenAndStoresNoImpossibleRate) {
  const ScreenRect screen{0, 0, 1280, 900};
  file.SetScreen(screen);
  std::mt19937 random(7234);
  for (int round = 0; round < 20; ++round) {
    std::vector<uint8_t> bytes(7234);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    // Half the windows marked open, some of them at sound rectangles.
    for (const auto& w : WindowTable()) {
      if (random() % 2 == 0) WriteLe<int32_t>(bytes, w.flagOffset, 1);
    }
    WriteLe<int32_t>(bytes, 4, 1);
    const int32_t llh[] = {10, 20, 300, 400};
    for (int i = 0; i < 4; ++i) WriteLe<int32_t>(bytes, 244 + 4 * i, llh[i]);
    WriteLe<int32_t>(bytes, 1156, round == 0 ? -470947169 : 115200);
    WriteBytes(path, bytes);
    ASSERT_TRUE(Start());

    EXPECT_NE(std::find(sink.posted.begin(), sink.posted.end(), 32776), sink.posted.end());
    EXPECT_EQ(config.windowRect(32776), (ScreenRect{10, 20, 300, 400}));
    for (int command : sink.posted) {
      const ScreenRect r = config.windowRect(command);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 1280 && r.bottom <= 900 && r.left < r.right &&
                  r.top < r.bottom)
          << command << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    for (const auto& w : WindowTable()) {
      const int32_t flag = config.I32(w.flagOffset);
      EXPECT_TRUE(flag == 0 || flag == 1) << w.command;
    }
    EXPECT_EQ(config.mainBaudRate(), round == 0 ? 9600 : 115200);
    EXPECT_TRUE(IsOfferedBaudRate(config.outputBaudRate())) << config.outputBaudRate();
    EXPECT_TRUE(config.protocolSelector() == 0 || config.protocolSelector() == 1);
    EXPECT_GE(config.playbackBytesPerTick(), 1);
    EXPECT_LE(config.playbackBytesPerTick(), 5000);
    EXPECT_GE(config.syncSelectedSlot(), 0);
    EXPECT_LE(config.syncSelectedSlot(), 2);
    const auto m = config.mainWindow();
    EXPECT_TRUE(m.left >= 0 && m.top >= 0 && m.width > 0 && m.height > 0 && m.left + m.width <= 1280 &&
                m.top + m.height <= 900);
    // Bytes no field names are still the file's.
    EXPECT_EQ(config.image()[5000], bytes[5000]);
  }
}

TEST(ConfigurationRanges, ASoundRecordIsLeftAsItIsAndEachBadFieldTakesItsDefault) {
  Configuration c;
  c.SetDefaults();
  c.SetMainBaudRate(921600);
  c.SetProtocolSelector(0);
  c.SetPlaybackBytesPerTick(5000);
  c.SetWindowRect(32824, {0, 0, 1280, 900});
  const ConfigurationImage sound = c.image();
  EXPECT_EQ(KeepConfigurationInRange(c, ScreenRect{0, 0, 1280, 900}), 0);
  EXPECT_EQ(c.image(), sound);

  c.SetMainBaudRate(9601);
  c.SetOutputBaudRate(0);
  c.SetProtocolSelector(2);
  c.SetPlaybackBytesPerTick(0);
  c.SetSyncSelectedSlot(3);
  c.SetSyncTriggerTime(1, std::nan(""));
  c.SetPlotCentreLatitude(91);
  c.SetWindowRect(32824, {0, 0, 1281, 900});  // one pixel too wide
  c.SetWindowRect(32776, {300, 300, 300, 400});  // no width
  c.SetWindowOpen(32777, true);
  WriteLe<int32_t>(c.image(), 0, -1);  // Channel Assignment's flag
  EXPECT_EQ(KeepConfigurationInRange(c, ScreenRect{0, 0, 1280, 900}), 10);
  EXPECT_EQ(c.mainBaudRate(), 9600);
  EXPECT_EQ(c.outputBaudRate(), 9600);
  EXPECT_EQ(c.protocolSelector(), 1);
  EXPECT_EQ(c.playbackBytesPerTick(), 1000);
  EXPECT_EQ(c.syncSelectedSlot(), 0);
  EXPECT_EQ(c.syncTriggerTime(1), 0.0);
  EXPECT_DOUBLE_EQ(c.plotCentreLatitude(), 45.2942232);
  EXPECT_EQ(c.windowRect(32824), (ScreenRect{80, 80, 725, 315}));
  EXPECT_EQ(c.windowRect(32776), (ScreenRect{80, 80, 330, 460}));
  EXPECT_TRUE(c.windowOpen(32777));
  EXPECT_FALSE(c.windowOpen(32824));
  // With no screen known, only a rectangle's size and reach are checked.
  c.SetWindowRect(32824, {-100, -100, 3000, 2000});
  EXPECT_EQ(KeepConfigurationInRange(c, std::nullopt), 0);
  // A main window whose right edge would pass the 32-bit range.
  c.SetMainWindow({2147483600, 10, 800, 400});
  EXPECT_EQ(KeepConfigurationInRange(c, std::nullopt), 1);
  EXPECT_EQ(c.mainWindow(), (MainWindowPlacement{10, 10, 800, 400}));
}

TEST_F(ConfigurationFileTest, RestoreFactoryWithoutSaveLeavesTheFile) {
  config.SetMainBaudRate(115200);
  config.SetPlaybackBytesPerTick(250);
  ASSERT_TRUE(file.SaveConfiguration(nullptr, true));
  const auto saved = OnDisk();

  file.RestoreFactoryConfiguration();
  EXPECT_EQ(config.mainBaudRate(), 9600);
  EXPECT_EQ(config.playbackBytesPerTick(), 1000);
  // Exit: nothing else happens to the file.
  EXPECT_EQ(OnDisk(), saved);
  EXPECT_TRUE(Start());
  EXPECT_EQ(config.mainBaudRate(), 115200);
}

TEST_F(ConfigurationFileTest, OpenAuxTerminalIsSavedClosedAndNotReopened) {
  config.SetWindowOpen(32953, true);  // Terminal (Aux)
  config.SetWindowOpen(32932, true);  // Terminal
  TableGeometry geometry;
  geometry.windows[32953] = {5, 6, 705, 506};
  ASSERT_TRUE(file.SaveConfiguration(&geometry, true));

  const auto bytes = OnDisk();
  EXPECT_EQ(ReadLe<int32_t>(bytes, 64), 0);
  EXPECT_EQ(ReadLe<int32_t>(bytes, 60), 1);
  EXPECT_EQ(ReadLe<int32_t>(bytes, 484), 5);  // its rectangle was stored before
  // The running frame still has the window open and must be able to close it.
  EXPECT_TRUE(config.windowOpen(32953));

  EXPECT_TRUE(Start());
  EXPECT_EQ(sink.posted, std::vector<int>{32932});
}

TEST_F(ConfigurationFileTest, WindowsReopenInTheirOrder) {
  auto bytes = OnDisk();
  for (const auto& w : WindowTable()) WriteLe<int32_t>(bytes, w.flagOffset, w.command == 32953 ? 0 : 1);
  WriteBytes(path, bytes);
  ASSERT_TRUE(Start());
  const std::vector<int> expected = {
      32780, 32824, 32776, 32829, 32813, 32777, 32778, 32806,                               // 24, 0..28
      32831, 32834, 32839, 32840, 32899, 32905, 32910, 32932, 32934, 32935, 32945, 32947,   // 32..80
      32951, 32976, 33089, 32988, 32989, 33043, 33044, 33047, 33048, 33049, 33053,          // 84..124
      33132,                                                                                // 7214
      33006, 33007, 33008, 33009, 33010, 33011, 33012, 33013, 33014, 33015, 33016, 33017,   // 152..196
      33037, 33039, 33003,                                                                  // 200..208
      33093, 33095, 33102, 33103, 33105, 33117, 33116, 33133};
  EXPECT_EQ(sink.posted, expected);
}

TEST_F(ConfigurationFileTest, UnnamedBytesAndKeptFieldsSurviveLoadAndSave) {
  auto bytes = OnDisk();
  const std::vector<std::size_t> unnamed = {3460, 3659, 4460, 5000, 5259, 5305, 5346, 5347, 6353, 6368, 6459};
  for (std::size_t off : unnamed) bytes[off] = static_cast<uint8_t>(off & 0xFF) | 1;
  WriteLe<int32_t>(bytes, 5292, 42);  // operating-mode setting that the defaults keep
  WriteBytes(path, bytes);

  ASSERT_TRUE(Start());
  config.SetMainPortName("/dev/ttyUSB0");
  config.SetPlaybackDirectory("/data/logs");
  file.RestoreFactoryConfiguration();
  ASSERT_TRUE(file.SaveConfiguration(nullptr, true));

  const auto after = OnDisk();
  ASSERT_EQ(after.size(), 7234u);
  for (std::size_t off : unnamed) EXPECT_EQ(after[off], bytes[off]) << off;
  EXPECT_EQ(ReadLe<int32_t>(after, 5292), 42);
  EXPECT_EQ(config.playbackDirectory(), "/data/logs");
  EXPECT_EQ(config.mainPortName(), "");
}

TEST_F(ConfigurationFileTest, SaveStoresRectanglesOfOpenWindowsOnly) {
  config.SetWindowOpen(32776, true);
  config.SetWindowOpen(32813, true);  // open, but the frame has no window for it
  TableGeometry geometry;
  geometry.main = ScreenRect{20, 30, 1020, 830};
  geometry.windows[32776] = {11, 12, 311, 412};
  geometry.windows[32777] = {1, 1, 2, 2};  // closed: its slot keeps the default
  const ScreenRect plotBefore = config.windowRect(32813);

  ASSERT_TRUE(file.SaveConfiguration(&geometry, false));
  EXPECT_EQ(config.mainWindow(), (MainWindowPlacement{10, 10, 800, 400}));  // only on Save Config
  ASSERT_TRUE(file.SaveConfiguration(&geometry, true));
  EXPECT_EQ(config.mainWindow(), (MainWindowPlacement{20, 30, 1000, 800}));

  ASSERT_TRUE(Start());
  EXPECT_EQ(config.windowRect(32776), (ScreenRect{11, 12, 311, 412}));
  EXPECT_EQ(config.windowRect(32777), (ScreenRect{90, 90, 290, 275}));
  EXPECT_EQ(config.windowRect(32813), plotBefore);
  EXPECT_EQ(config.mainWindow(), (MainWindowPlacement{20, 30, 1000, 800}));
}

// Root ignores permission bits, and the tests run as root in CI, so a chmod alone would not
// stop the save. The directory is made unusable for everyone instead: after the load it is
// moved aside (with the old file in it) and a regular file takes its name, so nothing can be
// created under the configuration path and the old file cannot be reached.
TEST_F(ConfigurationFileTest, SaveIntoUnreachableDirectoryFailsAndKeepsTheOldFile) {
  config.SetMainBaudRate(19200);
  ASSERT_TRUE(file.SaveConfiguration(nullptr, true));
  const auto old = OnDisk();
  config.SetMainBaudRate(38400);

  const std::string moved = dir + ".moved";
  fs::rename(dir, moved);
  WriteBytes(dir, test::Bytes("not a directory"));
  EXPECT_FALSE(file.SaveConfiguration(nullptr, true));
  EXPECT_EQ(test::ReadFile(dir), test::Bytes("not a directory"));
  EXPECT_EQ(test::ReadFile(moved + "/Orvantis.cfg"), old);
  fs::remove(dir);
  fs::rename(moved, dir);
}

// A shared configuration folder the user may not create files in, holding a file the user
// may write: the save cannot make its temporary file there and writes the file in place.
// Permission bits stop root from nothing, so as root the save runs in a child that has become
// an ordinary user ("nobody"), with the folder and file handed to that user.
TEST_F(ConfigurationFileTest, SaveIntoReadOnlyDirectoryWritesAWritableFileInPlace) {
  config.SetMainBaudRate(19200);
  ASSERT_TRUE(file.SaveConfiguration(nullptr, true));
  config.SetMainBaudRate(38400);
  const uid_t nobody = 65534;
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir.c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chown(path.c_str(), nobody, nobody), 0);
  }
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);

  bool saved = false;
  if (::geteuid() == 0) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const bool ok = ::setgid(nobody) == 0 && ::setuid(nobody) == 0 && file.SaveConfiguration(nullptr, true);
      ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    saved = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  } else {
    saved = file.SaveConfiguration(nullptr, true);
  }
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_TRUE(saved);
  EXPECT_EQ(OnDisk().size(), kConfigurationSize);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_TRUE(Start());
  EXPECT_EQ(config.mainBaudRate(), 38400);
}

// A disk that fills up during the write: the file size limit stops the write part-way, for
// root as well. The old file must come through whole, and no temporary file may remain.
TEST_F(ConfigurationFileTest, WriteCutShortKeepsTheOldFile) {
  config.SetMainBaudRate(57600);
  ASSERT_TRUE(file.SaveConfiguration(nullptr, true));
  const auto old = OnDisk();
  config.SetMainBaudRate(4800);

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool ok = file.SaveConfiguration(nullptr, true);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(ok);
  EXPECT_EQ(OnDisk(), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_TRUE(Start());
  EXPECT_EQ(config.mainBaudRate(), 57600);
}

TEST_F(ConfigurationFileTest, ReplacedFileKeepsItsModeAndLinks) {
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(file.SaveConfiguration(nullptr, true));
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // Through a symbolic link, the file it points at is replaced, and the link stays a link.
  const std::string real = dir + "/real.cfg";
  fs::rename(path, real);
  fs::create_symlink(real, path);
  config.SetMainBaudRate(2400);
  ASSERT_TRUE(file.SaveConfiguration(nullptr, true));
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(ReadLe<int32_t>(test::ReadFile(real), 1156), 2400);

  if (::geteuid() != 0) {  // a file its owner made read-only is not replaced behind its back
    fs::permissions(real, fs::perms::owner_read);
    config.SetMainBaudRate(1200);
    EXPECT_FALSE(file.SaveConfiguration(nullptr, true));
    EXPECT_EQ(ReadLe<int32_t>(test::ReadFile(real), 1156), 2400);
  }
}

TEST(ConfigurationPath, WorkingDirectoryJoinedWithTheName) {
  EXPECT_EQ(ConfigurationPathIn("/home/op"), "/home/op/Orvantis.cfg");
  EXPECT_EQ(ConfigurationPathIn("/"), "/Orvantis.cfg");
  EXPECT_EQ(ConfigurationPathIn("/home/op/"), "/home/op/Orvantis.cfg");
  const std::string hundred = "/" + std::string(99, 'd');
  EXPECT_EQ(ConfigurationPathIn(hundred), hundred + "/Orvantis.cfg");
  EXPECT_EQ(ConfigurationPathIn(hundred + "e"), std::nullopt);  // never cut to another directory
  EXPECT_EQ(ConfigurationPathIn(""), std::nullopt);
}

TEST(ConfigurationPath, WithoutAPathTheDefaultsStandAndSavesFail) {
  Configuration config;
  config.SetDefaults();
  config.SetMainBaudRate(1);
  ConfigurationFile file(config);
  RecordingSink sink;
  EXPECT_FALSE(file.LoadConfiguration(&sink));
  EXPECT_EQ(config.mainBaudRate(), 9600);
  EXPECT_FALSE(file.SaveConfiguration(nullptr, true));
}

}  // namespace
}  // namespace orv
