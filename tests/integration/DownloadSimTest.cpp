// The file download against the simulated receiver: first its side without a line (file
// contents, the list, the faults), then the console's dialog over a pseudo-terminal at 9600
// bit/s switching to 115200, and orvantis-cli download.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "SimProcess.h"
#include "app/MainFrame.h"
#include "maintenance/FileDownload.h"
#include "serial/SerialPort.h"
#include "sim/SimFiles.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"
#include "support/RunCommand.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using D = FileDownloadDialog;

std::vector<uint8_t> Expected(const std::string& name) {
  const sim::SimFileTable table = sim::SimFileTable::Defaults();
  const sim::SimFile* f = table.Find(name);
  return f != nullptr ? f->Content() : std::vector<uint8_t>();
}

TEST(SimFiles, ContentEncodesNameBlockAndOffsetAndSizesAreNotWholeBlocks) {
  const sim::SimFileTable table = sim::SimFileTable::Defaults();
  for (const sim::SimFile& f : table.files()) {
    EXPECT_NE(f.size % f.blockSize, 0u) << f.name;
    EXPECT_EQ(f.Content().size(), f.size) << f.name;
  }
  const sim::SimFile& survey = *table.Find("SURVEY01");
  EXPECT_EQ(survey.BlockCount(), 100u);
  EXPECT_EQ(survey.Block(100).size(), 77u);
  const std::vector<uint8_t> b37 = survey.Block(37);
  EXPECT_EQ(std::string(b37.begin(), b37.begin() + 17), "SURVEY01#37@7200|");
  sim::SimFileTable t;
  EXPECT_TRUE(t.Add({5, "A", 10, 4}));
  EXPECT_FALSE(t.Add({5, "B", 10, 4}));  // the number is taken
  EXPECT_FALSE(t.Add({6, "A", 10, 4}));  // the name is taken
  EXPECT_FALSE(t.Add({6, "NINECHARS", 10, 4}));
  EXPECT_TRUE(t.Remove("A"));
  EXPECT_TRUE(t.files().empty());
}

TEST(SimFiles, TheTransferDropsCorruptsAndRepeatsAsAskedAndMovesTheRateAfterTheAnswer) {
  sim::SimDownloadOptions o;
  o.dropBlock = 2;
  o.corruptBlock = 3;
  o.repeatBlock = 4;
  sim::SimDownload dl(o);
  const sim::SimFileTable files = sim::SimFileTable::Defaults();
  auto request = [](uint8_t action, uint32_t block, const std::string& name, uint32_t rate) {
    std::vector<uint8_t> p(22, 0);
    p[0] = 6;
    p[1] = action;
    WriteLe<uint32_t>(std::span<uint8_t>(p), 2, block);
    for (std::size_t i = 0; i < name.size(); ++i) p[8 + i] = static_cast<uint8_t>(name[i]);
    WriteLe<uint32_t>(std::span<uint8_t>(p), 16, rate);
    return p;
  };
  std::vector<sim::SimDownloadFrame> out;
  dl.OnRequest(request(2, 0, "TINY", 115200), files, 9600, 0, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].payload, (sim::Payload{6, 2, 3, 0, 0, 0, 128}));
  EXPECT_EQ(dl.TakeRateChange(), std::optional<uint32_t>(115200));
  out.clear();
  dl.OnRequest(request(1, 1, "TINY", 115200), files, 115200, 1, out);
  dl.Pump(0, 100000, 1, out);
  std::vector<uint32_t> numbers;
  for (const auto& f : out) numbers.push_back(ReadLe<uint32_t>(f.payload, 2));
  EXPECT_EQ(numbers, (std::vector<uint32_t>{1, 3}));  // 2 dropped
  EXPECT_TRUE(out[1].corrupt);
  out.clear();
  dl.OnRequest(request(4, 2, "TINY", 115200), files, 115200, 2, out);
  dl.Pump(0, 100000, 2, out);
  ASSERT_EQ(out.size(), 2u);  // 2 and a sound 3 this time
  EXPECT_FALSE(out[1].corrupt);
  out.clear();
  dl.OnRequest(request(3, 0, "TINY", 115200), files, 115200, 3, out);
  EXPECT_EQ(out.back().payload, (sim::Payload{6, 3}));
  EXPECT_EQ(dl.TakeRateChange(), std::optional<uint32_t>(9600));
  EXPECT_FALSE(dl.active());
}

// The console: the main frame on the simulator's line and the dialog on it, driven as a user
// would, with the frame's poll and the dialog's timers on the wall clock.
struct Console {
  Console()
      : frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
          return std::make_unique<SerialPort>(sink);
        }) {
    desk.saveFileAnswer = dir + "/file.bin";
  }
  ~Console() {
    if (dialog) {
      frame.AttachDownload(nullptr);
      dialog->Leave();
    }
  }
  void Open(const std::string& path) {
    frame.config().SetMainPortName(path);
    frame.ChangeMainBaud(9600);
    dialog = frame.MakeDownloadDialog();
    frame.AttachDownload(dialog.get());
  }
  Form& form() { return dialog->form(); }
  template <typename Done>
  bool PollUntil(Done done, int ms) {
    const auto end = Clock::now() + milliseconds(ms);
    while (!done()) {
      if (Clock::now() >= end) return false;
      std::this_thread::sleep_for(milliseconds(20));
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
      const auto now = Clock::now();
      const std::map<int, uint32_t> timers = form().timers();
      for (const auto& [id, period] : timers) {
        Clock::time_point& at = due[id];
        if (at == Clock::time_point{}) at = now + milliseconds(period);
        if (now >= at) {
          at = now + milliseconds(period);
          form().FireTimer(id);
        }
      }
    }
    return true;
  }
  // INITIATE, the answer, START.
  void Begin(const std::string& name) {
    form().SetText(D::kFileName, name);
    form().Select(D::kRate, 5);  // 115200
    form().Press(D::kSend);
    ASSERT_TRUE(PollUntil([&] { return dialog->answered(); }, 3000)) << dialog->statusText();
    form().Press(D::kSend);
    EXPECT_EQ(dialog->currentRate(), 115200u);
  }
  void Complete() {
    form().Select(D::kAction, kDlCompleted);
    form().Press(D::kSend);
    EXPECT_TRUE(PollUntil([&] { return dialog->lastStatus() == 3; }, 3000));
    EXPECT_EQ(dialog->statusText(), "Download completed acknowledged");
    EXPECT_EQ(dialog->currentRate(), 9600u);
    EXPECT_EQ(frame.mainPortRate(), 9600u);
  }
  bool Shown(const std::string& text) const {
    for (const auto& b : desk.boxes) {
      if (b.text == text) return true;
    }
    return false;
  }

  std::string dir = test::TempDir();
  test::FakeDesktop desk;
  CMainFrame frame;
  std::unique_ptr<D> dialog;
  std::map<int, Clock::time_point> due;
};

#define REQUIRE_SIM(sim)                                                             \
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built"; \
  ASSERT_FALSE((sim).path().empty()) << "orvantis-sim printed no device path"

TEST(DownloadSim, AHundredBlocksAt115200ArriveByteIdenticalAndThePortReturnsTo9600) {
  test::SimProcess sim({"--baud", "9600"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path());
  c.form().Press(D::kFileRequest);
  ASSERT_TRUE(c.PollUntil([&] { return c.dialog->fileNames().size() == 4; }, 3000));
  EXPECT_EQ(c.form().field(D::kFileList)->options[2], "123 - LOG123");
  EXPECT_EQ(c.form().Text(D::kFileName), "SURVEY01");

  c.Begin("SURVEY01");
  ASSERT_TRUE(c.PollUntil([&] { return c.dialog->output().complete(); }, 10000)) << c.dialog->statusText();
  EXPECT_EQ(test::ReadFile(c.dir + "/file.bin"), Expected("SURVEY01"));
  c.Complete();
  EXPECT_EQ(c.frame.config().mainBaudRate(), 9600);
}

TEST(DownloadSim, ALostOrSpoiledBlockIsNamedAndRetransmitMissingCompletesTheFile) {
  for (auto [option, block] : {std::pair<std::string, std::string>{"--download-drop-block", "37"},
                               {"--download-corrupt-block", "12"}}) {
    test::SimProcess sim({"--baud", "9600", option, block});
    REQUIRE_SIM(sim);
    Console c;
    c.Open(sim.path());
    c.Begin("SURVEY01");
    ASSERT_TRUE(c.PollUntil([&] { return c.dialog->output().Arrived(100); }, 10000)) << option;
    EXPECT_EQ(c.dialog->output().arrived(), 99u) << option;
    EXPECT_NE(c.dialog->statusText().find("99 of 100 blocks, first missing: " + block), std::string::npos)
        << c.dialog->statusText();
    c.form().Press(D::kRetransmitMissing);
    ASSERT_TRUE(c.PollUntil([&] { return c.dialog->output().complete(); }, 10000)) << option;
    EXPECT_EQ(test::ReadFile(c.dir + "/file.bin"), Expected("SURVEY01")) << option;
    c.Complete();
  }
}

TEST(DownloadSim, AReceiverThatRefusesTheSwitchLeavesTheConsoleAt9600AndItSaysSo) {
  test::SimProcess sim({"--baud", "9600", "--download-refuse-switch"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path());
  c.Begin("SLOW9600");
  ASSERT_TRUE(c.PollUntil([&] { return c.Shown("Unable to switch at: 115200"); }, 6000));
  EXPECT_EQ(c.dialog->currentRate(), 9600u);
  EXPECT_EQ(c.frame.mainPortRate(), 9600u);
  EXPECT_NE(c.dialog->statusText().find("back at 9600 bps"), std::string::npos);
  // START again goes at 9600, and the file comes.
  c.form().Press(D::kSend);
  ASSERT_TRUE(c.PollUntil([&] { return c.dialog->output().complete(); }, 6000)) << c.dialog->statusText();
  EXPECT_EQ(test::ReadFile(c.dir + "/file.bin"), Expected("SLOW9600"));
  c.Complete();
}

TEST(DownloadSim, CancelInTheMiddleLeavesThePortAt9600AndAPartFile) {
  test::SimProcess sim({"--baud", "9600"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path());
  c.Begin("SURVEY01");
  ASSERT_TRUE(c.PollUntil([&] { return c.dialog->output().arrived() >= 20; }, 5000));
  EXPECT_EQ(c.form().Press(kFormCancel), FormAction::None);
  ASSERT_TRUE(c.PollUntil([&] { return c.form().closeRequest().has_value(); }, 3000));
  EXPECT_EQ(c.dialog->statusText(), "Stop Download acknowledged");
  EXPECT_EQ(c.dialog->lastStatus(), 0);
  EXPECT_EQ(c.frame.mainPortRate(), 9600u);
  EXPECT_TRUE(std::filesystem::exists(c.dir + "/file.bin.part"));
  EXPECT_FALSE(std::filesystem::exists(c.dir + "/file.bin"));
  // The receiver is back at 9600 too: it answers there.
  c.frame.encoder().SendFileRequest({});
  EXPECT_TRUE(c.PollUntil([&] { return c.dialog->fileNames().size() == 4; }, 3000));
}

TEST(DownloadSim, TheCommandLineFillsTheGapsByItselfAndFailsWhenTheReceiverFallsSilent) {
  const std::string dir = test::TempDir();
  {
    test::SimProcess sim({"--baud", "9600", "--download-drop-block", "37"});
    REQUIRE_SIM(sim);
    const test::CommandResult r = test::RunCommand(std::string(ORVANTIS_CLI_PATH) + " download --port " + sim.path() +
                                                   " --file SURVEY01 --rate 115200 --out " + dir + "/a.bin 2>/dev/null");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(test::ReadFile(dir + "/a.bin"), Expected("SURVEY01"));
  }
  {
    test::SimProcess sim({"--baud", "9600", "--download-silent-after", "50"});
    REQUIRE_SIM(sim);
    const test::CommandResult r = test::RunCommand(std::string(ORVANTIS_CLI_PATH) + " download --port " + sim.path() +
                                                   " --file SURVEY01 --rate 115200 --out " + dir + "/b.bin 2>/dev/null");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir + "/b.bin"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/b.bin.part"));
  }
}

}  // namespace
}  // namespace orv
