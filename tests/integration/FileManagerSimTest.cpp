// The file manager and the memory dump window against the simulated receiver: first the
// simulator's side alone (result codes, memory areas, the load key), then the console's
// dialog, windows, encoder and decoder talking to it frame by frame.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimProcess.h"
#include "app/ConsolePages.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "ids/CommandIds.h"
#include "serial/SerialPort.h"
#include "support/FakeShellHost.h"

#include "maintenance/FileManager.h"
#include "maintenance/MemoryDumpWindow.h"
#include "commands/RequestForms.h"
#include "nmea/ReceiverDecoder.h"
#include "protocol/CommandKeys.h"
#include "protocol/FrameEncoder.h"
#include "sim/SimFiles.h"
#include "sim/SimMemory.h"
#include "sim/SimReceiver.h"
#include "support/FakeDesktop.h"
#include "support/RecordingPageView.h"
#include "support/RunCommand.h"
#include "util/ByteIo.h"
#include "util/Format.h"

namespace orv {
namespace {

std::vector<uint8_t> Request(int action, const std::string& name, uint8_t mask = 0, const std::string& pointName = "") {
  FileAttributes a;
  a.fileName = name;
  a.pointName = pointName;
  unsigned ticked = 1u << kAttrFileName;
  if (!pointName.empty()) ticked |= 1u << kAttrPointName;
  FileManagerRequest r = BuildFileManagerRequest(action, a, ticked);
  r[47] = mask;
  return std::vector<uint8_t>(r.begin(), r.end());
}

TEST(SimFileManager, ActionsAnswerWithTheirResultCodes) {
  sim::SimFileTable t = sim::SimFileTable::Defaults();
  // Nothing is active yet.
  EXPECT_EQ(t.OnFileManager(Request(4, ""))[1], 6);
  EXPECT_EQ(t.OnFileManager(Request(1, ""))[1], 6);
  sim::Payload a = t.OnFileManager(Request(0, "NEW1", 0, "PILLAR 4"));
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(a[1], 0);
  EXPECT_EQ(a[2], 1);
  EXPECT_EQ(std::string(a.begin() + 3, a.begin() + 7), "NEW1");
  EXPECT_EQ(std::string(a.begin() + 11, a.begin() + 19), "PILLAR 4");
  ASSERT_NE(t.active(), nullptr);
  // A second file cannot be created while one is recording; a taken name is refused.
  EXPECT_EQ(t.OnFileManager(Request(0, "NEW2"))[1], 3);
  EXPECT_EQ(t.OnFileManager(Request(1, ""))[1], 0);
  EXPECT_EQ(t.OnFileManager(Request(0, "TINY"))[1], 4);
  EXPECT_EQ(t.OnFileManager(Request(0, ""))[1], 4);
  // Modify changes only what the mask names.
  a = t.OnFileManager(Request(3, "NEW1", 0x01, "PILLAR 5"));
  EXPECT_EQ(a[1], 0);
  EXPECT_EQ(t.Find("NEW1")->pointName, "PILLAR 5");
  t.OnFileManager(Request(3, "NEW1", 0x02, "IGNORED"));
  EXPECT_EQ(t.Find("NEW1")->pointName, "PILLAR 5");
  EXPECT_EQ(t.OnFileManager(Request(3, "NONE"))[1], 4);
  // Delete, then the file is gone; actions without a name are invalid.
  EXPECT_EQ(t.OnFileManager(Request(2, "NEW1"))[1], 0);
  EXPECT_EQ(t.Find("NEW1"), nullptr);
  EXPECT_EQ(t.OnFileManager(Request(2, "NEW1"))[1], 4);
  EXPECT_EQ(t.OnFileManager(Request(6, ""))[1], 4);
  EXPECT_EQ(t.OnFileManager(std::vector<uint8_t>(10, 0))[1], 4);  // short request
}

TEST(SimMemory, PatternAreaRamWindowAndTheLoadKey) {
  sim::SimMemory m;
  EXPECT_EQ(m.Read(0x1234), sim::SimMemory::RomByte(0x1234));
  EXPECT_FALSE(m.Read(0x10000000).has_value());
  // A dump off the end of an area is cut short; one that starts nowhere is not answered.
  const std::optional<sim::Payload> tail = m.Dump(sim::SimMemory::kRomSize - 10, 16);
  ASSERT_TRUE(tail.has_value());
  EXPECT_EQ(tail->size(), 4u + 10u);
  EXPECT_FALSE(m.Dump(0x10000000, 16).has_value());
  std::vector<uint8_t> load(16);
  const CommandKey key = GeneralCommandKey();
  std::copy(key.begin(), key.end(), load.begin());
  WriteLe<uint32_t>(std::span<uint8_t>(load), 8, sim::SimMemory::kRamStart + 0x10);
  WriteLe<uint32_t>(std::span<uint8_t>(load), 12, 0x12345678);
  EXPECT_TRUE(m.Load(load, 4));
  EXPECT_EQ(m.Read(sim::SimMemory::kRamStart + 0x10), 0x78);
  EXPECT_EQ(m.Read(sim::SimMemory::kRamStart + 0x13), 0x12);
  // The pattern area is read-only, a word must lie wholly in RAM, and the key must match.
  WriteLe<uint32_t>(std::span<uint8_t>(load), 8, 0x100);
  EXPECT_FALSE(m.Load(load, 4));
  WriteLe<uint32_t>(std::span<uint8_t>(load), 8, sim::SimMemory::kRamStart + sim::SimMemory::kRamSize - 2);
  EXPECT_FALSE(m.Load(load, 4));
  WriteLe<uint32_t>(std::span<uint8_t>(load), 8, sim::SimMemory::kRamStart);
  load[0] ^= 1;
  EXPECT_FALSE(m.Load(load, 4));
  EXPECT_EQ(m.Read(sim::SimMemory::kRamStart), 0);
}

// The console's side wired to the simulator: what the encoder writes is heard by the
// simulator; what it answers goes through the decoder to the windows.
class ConsoleAgainstSim : public ::testing::Test, public DataChannel {
 protected:
  ConsoleAgainstSim() : rx(Settings()), encoder(this) {
    decoder.SetDecodingEnabled(1);
    decoder.SetTimeGateOpen(1);
    PageContext c;
    c.encoder = &encoder;
    c.forms = &desk;
    c.frame = nullptr;
    context = c;
  }
  static sim::SimSettings Settings() {
    sim::SimSettings s;
    s.protocol = sim::SimProtocol::Ktx;
    s.baud = 9600;
    s.seed = 7;
    return s;
  }
  uint32_t Receive(uint32_t) override { return 0; }
  bool Send(const uint8_t* bytes, uint32_t count) override {
    rx.Receive(bytes, count, now += 0.01);
    rx.Advance(now);
    std::vector<uint8_t> out = rx.output();
    rx.DiscardOutput();
    out.push_back(0);  // the decoder's spare byte
    decoder.Decode(out.data(), static_cast<uint32_t>(out.size() - 1));
    return true;
  }
  // One "File Operation" as the user fills it in.
  void Operate(int action, const std::string& name, std::initializer_list<std::pair<int, std::string>> fields = {}) {
    desk.formDriver = [&](Form& f) {
      if (f.field(CFileOperationDialog::kAction) == nullptr) return true;  // the Delete confirmation
      f.Select(CFileOperationDialog::kAction, action);
      f.SetChecked(CFileOperationDialog::kFirstBox + kAttrFileName, true);
      f.SetText(CFileOperationDialog::kFirstField + kAttrFileName, name);
      for (const auto& [attribute, text] : fields) {
        f.SetChecked(CFileOperationDialog::kFirstBox + attribute, true);
        f.SetText(CFileOperationDialog::kFirstField + attribute, text);
      }
      return f.Press(kFormOk) == FormAction::Ok;
    };
    RunFileOperation(desk, settings, encoder);
  }
  std::vector<std::string> Shown(test::RecordingPageView& view) {
    view.Repaint();
    std::vector<std::string> out;
    for (const std::string& t : view.screen.Texts()) {
      if (t.rfind("text 155 ", 0) == 0) out.push_back(t.substr(t.find(' ', 9) + 1));
    }
    return out;
  }

  sim::SimReceiver rx;
  FrameEncoder encoder;
  ReceiverDecoder decoder;
  test::FakeDesktop desk;
  Configuration settings;
  PageContext context;
  double now = 0;
};

TEST_F(ConsoleAgainstSim, CreateModifyListAndDeleteAFileShowEachResult) {
  CQuenmarshFileManagerWnd window(context);
  window.OnCreate("Quenmarsh File Manager Window - Msg 70, Sub ID 1");
  test::RecordingPageView view(window);
  decoder.store().links().fileManager = &window;

  Operate(fileaction::kCreate, "FIELD1", {{kAttrPointName, "MAST 3"}, {kAttrOperatorName, "KLM"}});
  std::vector<std::string> shown = Shown(view);
  ASSERT_GE(shown.size(), 9u);
  EXPECT_EQ(shown[0].substr(0, 6), "Create");
  EXPECT_EQ(shown[1].substr(0, 10), "Successful");
  EXPECT_EQ(shown[2].substr(0, 3), "YES");
  EXPECT_EQ(shown[3].substr(0, 6), "FIELD1");
  EXPECT_EQ(shown[4].substr(0, 6), "MAST 3");
  EXPECT_EQ(shown[8].substr(0, 3), "KLM");

  Operate(fileaction::kModify, "FIELD1", {{kAttrPointCode, "BM-12"}, {kAttrAntennaHeight, "1500"}});
  shown = Shown(view);
  EXPECT_EQ(shown[0].substr(0, 6), "Modify");
  EXPECT_EQ(shown[1].substr(0, 10), "Successful");
  EXPECT_EQ(shown[5].substr(0, 5), "BM-12");
  EXPECT_EQ(shown[6].substr(0, 4), "1500");

  Operate(fileaction::kClose, "");
  EXPECT_EQ(Shown(view)[2].substr(0, 3), "NO ");
  // The list (70/2) names the new file among the others.
  int listed = 0;
  struct List : FileInfoWindowLink {
    void ShowRecord(const FileInfoRecord& r) override { names.push_back(r.fileName()); }
    std::vector<std::string> names;
  } list;
  decoder.store().links().fileInfo = &list;
  encoder.SendFileRequest("");
  for (const std::string& n : list.names) listed += n == "FIELD1";
  EXPECT_EQ(listed, 1);
  EXPECT_EQ(list.names.size(), 5u);

  Operate(fileaction::kDelete, "FIELD1");
  shown = Shown(view);
  EXPECT_EQ(shown[0].substr(0, 6), "Delete");
  EXPECT_EQ(shown[1].substr(0, 10), "Successful");
  EXPECT_EQ(rx.files().Find("FIELD1"), nullptr);
  // "File info" with nothing active.
  window.OnCommand(CQuenmarshFileManagerWnd::kFileInfo);
  shown = Shown(view);
  EXPECT_EQ(shown[1].substr(0, 14), "No Active file");
  EXPECT_EQ(shown[2].substr(0, 2), "NO");
  decoder.store().links().fileManager = nullptr;
  decoder.store().links().fileInfo = nullptr;
}

TEST_F(ConsoleAgainstSim, AContinuousDumpOfThePatternAreaFillsTheFourthRow) {
  CMemoryDumpWnd window(context);
  window.OnCreate("Memory Dump Window - Msg 60, 61 and 62");
  test::RecordingPageView view(window);
  decoder.store().links().memoryDump = &window;
  // A 64-byte dump of the pattern area, continuous: answered every second from then on.
  desk.formDriver = [](Form& f) {
    f.Select(MemoryDumpForm::kMode, 1);
    f.SetText(MemoryDumpForm::kAddress, "100");
    return f.Press(kFormOk) == FormAction::Ok;
  };
  window.OnCommand(CMemoryDumpWnd::kDump64);
  EXPECT_TRUE(rx.IsContinuous(62));
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("text 71 250 00000130:"));
  const uint8_t expected = sim::SimMemory::RomByte(0x13F);
  char text[32];
  std::snprintf(text, sizeof text, "text %d 250   %02X", 77 + 30 * 15, expected);
  EXPECT_TRUE(view.screen.Has(text));
  decoder.store().links().memoryDump = nullptr;
}

// The whole console over a pseudo-terminal against orvantis-sim: the menu command runs the
// dialog, the window shows the answer; the memory dump window loads a word and shows it.
TEST(FileManagerSim, TheConsoleCreatesAFileAndLoadsAWordOverTheLine) {
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  test::SimProcess sim({"--baud", "115200"});
  ASSERT_FALSE(sim.path().empty()) << "orvantis-sim printed no device path";
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    return std::make_unique<SerialPort>(sink);
  });
  test::FakeShellHost host;
  FrameCommands commands(frame, host);
  ConsolePages windows(frame, commands.windows(), host);
  frame.config().SetMainPortName(sim.path());
  frame.ChangeMainBaud(115200);
  ASSERT_TRUE(frame.mainPort().IsOpen());
  auto pollUntil = [&](auto done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < end) {
      frame.OnTimer(kPollTimer);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
  };

  commands.OnCommand(cmd::kWndFileManager);
  auto* manager = dynamic_cast<CQuenmarshFileManagerWnd*>(windows.page(cmd::kWndFileManager));
  ASSERT_NE(manager, nullptr);
  desk.formDriver = [](Form& f) {
    f.SetChecked(CFileOperationDialog::kFirstBox + kAttrFileName, true);
    f.SetText(CFileOperationDialog::kFirstField + kAttrFileName, "LINE1");
    return f.Press(kFormOk) == FormAction::Ok;
  };
  commands.OnCommand(cmd::kFileManagerDialog);
  const FileManagerRecord& answer = frame.mainDecoder().store().fileManager();
  ASSERT_TRUE(pollUntil([&] { return manager->hasRecord(); }));
  EXPECT_EQ(answer.action(), fileaction::kCreate);
  EXPECT_EQ(FileResultText(answer.result()), "Successful");
  EXPECT_EQ(answer.fileName(), "LINE1");
  EXPECT_EQ(answer.activeFlag(), 1);

  commands.OnCommand(cmd::kWndMemoryDump);
  Page* dump = windows.page(cmd::kWndMemoryDump);
  ASSERT_NE(dump, nullptr);
  desk.formDriver = [](Form& f) {
    f.SetText(LoadMemoryForm::kAddress, "20000800");
    f.SetText(LoadMemoryForm::kValue, "12345678");
    return f.Press(kFormOk) == FormAction::Ok;
  };
  dump->OnCommand(CMemoryDumpWnd::kLoadWord);
  const MemoryDumpRecord16& block = frame.mainDecoder().store().memoryDump16();
  ASSERT_TRUE(pollUntil([&] { return dump->hasRecord(); }));
  EXPECT_EQ(block.address(), 0x20000800u);
  EXPECT_EQ(std::vector<uint8_t>(block.data().begin(), block.data().begin() + 5),
            (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12, 0x00}));
  test::RecordingPageView view(*dump);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("text 77 65   78"));
  EXPECT_TRUE(view.screen.Has("text 167 65   12"));
}

// orvantis-cli memory against orvantis-sim: blocks of the pattern area one after the other up to
// its end, a word loaded into RAM and read back, and a load the receiver does not take.
TEST(FileManagerSim, TheCommandLineDumpsBlocksAndLoadsAndChecksAWord) {
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  test::SimProcess sim({"--baud", "9600"});
  ASSERT_FALSE(sim.path().empty()) << "orvantis-sim printed no device path";
  const std::string cli = std::string(ORVANTIS_CLI_PATH) + " memory ";
  const std::string port = " --port " + sim.path();
  auto pattern = [](uint32_t from, int n) {
    std::string hex;
    for (int i = 0; i < n; ++i) hex += Format("%02X", static_cast<unsigned>(sim::SimMemory::RomByte(from + static_cast<uint32_t>(i))));
    return hex;
  };

  // The second block runs off the end of the area: it comes back short and ends the dump.
  test::CommandResult r = test::RunCommand(cli + "dump" + port + " --address FFD0 --size 32 --blocks 3 2>&1");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.out, "{\"address\":\"0000FFD0\",\"size\":32,\"received\":32,\"data\":\"" + pattern(0xFFD0, 32) +
                       "\"}\n{\"address\":\"0000FFF0\",\"size\":32,\"received\":16,\"data\":\"" + pattern(0xFFF0, 16) +
                       "\"}\norvantis-cli memory: the receiver's memory ends at 00010000\n");

  r = test::RunCommand(cli + "load" + port + " --address 20000100 --word 0xCAFEF00D 2>&1");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "{\"address\":\"20000100\",\"size\":16,\"received\":16,\"data\":\"0DF0FECA000000000000000000000000\"}\n");

  // The pattern area is read-only: the load leaves it as it was, and the command says so.
  const uint8_t other = static_cast<uint8_t>(sim::SimMemory::RomByte(0x200) + 1);
  r = test::RunCommand(cli + "load" + port + " --address 200 --byte " + std::to_string(other) + " 2>&1");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("the receiver did not take the load: 00000200 does not hold it"), std::string::npos) << r.out;

  for (const char* bad : {"dump --address 123456789", "load --address 10 --byte 256", "load --address 10", "dump",
                          "peek --address 0", "dump --address 0 --size 48"}) {
    r = test::RunCommand(cli + bad + port + " 2>&1");
    EXPECT_EQ(r.status, 2) << bad << ": " << r.out;
  }
}

// orvantis-cli files against orvantis-sim: a file created with attributes, shown by info,
// modified, refused a second time, closed and deleted; the answers as JSON, errors as status 1.
TEST(FileManagerSim, TheCommandLineRunsEachFileOperationAndPrintsTheAnswer) {
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  test::SimProcess sim({"--baud", "9600"});
  ASSERT_FALSE(sim.path().empty()) << "orvantis-sim printed no device path";
  auto run = [&](const std::string& verb, const std::string& options) {
    return test::RunCommand(std::string(ORVANTIS_CLI_PATH) + " files " + verb + " --port " + sim.path() + " " + options +
                            " 2>&1");
  };
  auto answer = [](const char* action, int result, const char* text, int active, const char* rest) {
    return Format("{\"action\":\"%s\",\"result\":%d,\"resultText\":\"%s\",\"active\":%d,%s}\n", action, result, text,
                  active, rest);
  };
  test::CommandResult r = run("info", "");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, answer("Info.", 6, "No Active file", 0,
                          "\"fileName\":\"\",\"pointName\":\"\",\"pointCode\":\"\",\"antennaHeight\":0,"
                          "\"antennaMethod\":0,\"operatorName\":\"\""));
  const char* created = "\"fileName\":\"NEW1\",\"pointName\":\"PILLAR 4\",\"pointCode\":\"\",\"antennaHeight\":-15,"
                        "\"antennaMethod\":2,\"operatorName\":\"ABC\"";
  r = run("create", "--name NEW1 --point-name 'PILLAR 4' --antenna-height -15 --antenna-method 2 --operator ABC");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, answer("Create", 0, "Successful", 1, created));
  r = run("info", "");
  EXPECT_EQ(r.out, answer("Info.", 0, "Successful", 1, created));
  // Modify changes only the attribute given.
  r = run("modify", "--name NEW1 --point-code XY");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("\"pointName\":\"PILLAR 4\",\"pointCode\":\"XY\""), std::string::npos) << r.out;
  r = run("create", "--name NEW2");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("orvantis-cli files: Create: File Manager error"), std::string::npos) << r.out;
  EXPECT_EQ(run("close", "").status, 0);
  EXPECT_EQ(run("delete", "--name NEW1").status, 0);
  r = run("delete", "--name NEW1");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("\"resultText\":\"Invalid parameters\""), std::string::npos) << r.out;

  for (const char* bad : {"create --point-name X", "close --operator X", "create --name NINECHARS", "rename --name A",
                          "create --name A --antenna-method 256"}) {
    const std::string line(bad);
    const std::size_t space = line.find(' ');
    r = run(line.substr(0, space), line.substr(space + 1));
    EXPECT_EQ(r.status, 2) << bad << ": " << r.out;
  }
}

}  // namespace
}  // namespace orv
