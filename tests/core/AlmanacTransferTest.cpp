// The almanac transfer as the main frame runs it: the dialog and the file, header 78 and the
// records 79 paced by acknowledgements, the time limits, progress and the end of the transfer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "ids/CommandIds.h"
#include "maintenance/AlmanacForm.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"
#include "util/ByteIo.h"
#include "util/Format.h"

namespace orv {
namespace {

using test::FakePort;
using test::Frame;

class FixedClock : public Clock {
 public:
  int64_t UnixSeconds() const override { return seconds; }
  int64_t seconds = 1554595200 + 400 * 7 * 86400;  // GPS week 2448
};

std::string YumaPath() {
  const std::string root = test::TestDataDir();
  const std::string path = root + "/yuma/test_input_yuma377.txt";
  return !root.empty() && std::filesystem::exists(path) ? path : std::string();
}

std::vector<uint8_t> Payload(const std::vector<uint8_t>& frame) {
  return frame.size() < 6 ? std::vector<uint8_t>() : std::vector<uint8_t>(frame.begin() + 4, frame.end() - 2);
}

class AlmanacTransferTest : public ::testing::Test {
 protected:
  AlmanacTransferTest()
      : frame(desk, [this](StreamDecoder* sink) {
          auto port = std::make_unique<FakePort>(sink);
          ports.push_back(port.get());
          return port;
        }) {
    frame.SetClock(&clock);
  }

  FakePort& mainPort() { return *ports[0]; }
  void OpenMain() {
    frame.config().SetMainPortName("COM1");
    frame.ChangeMainBaud(9600);
    mainPort().sent.clear();
  }
  void Ack() { mainPort().Queue(Frame(126, {79, 0, 0, 0})); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) frame.OnTimer(kPollTimer);
  }
  std::vector<std::vector<uint8_t>> SentOf(int message) const {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& f : ports[0]->sent) {
      if (f.size() > 1 && (f[1] & 0x7F) == message) out.push_back(f);
    }
    return out;
  }
  // A load of `n` healthy GPS records with IDs 1..n.
  static std::vector<AlmanacEntry> Load(int n) {
    std::vector<AlmanacEntry> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      out[static_cast<std::size_t>(i)].prnIndex = static_cast<int16_t>(i);
      out[static_cast<std::size_t>(i)].toa = 61440;
      out[static_cast<std::size_t>(i)].week = 377;
    }
    return out;
  }

  FixedClock clock;
  test::FakeDesktop desk;
  std::vector<FakePort*> ports;
  CMainFrame frame;
};

// One satellite of the independent decode: its printed value texts by parameter name.
struct Decoded {
  int prn = 0;
  std::map<std::string, std::string> values;
};

std::vector<Decoded> ReadIndependentDecode(const std::string& path) {
  std::ifstream in(path);
  std::vector<Decoded> out;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t at = line.find("ALMANAC PARAMETERS FOR GPS");
    if (at != std::string::npos) {
      out.push_back({std::atoi(line.c_str() + at + 26), {}});
      continue;
    }
    std::istringstream words(line);
    std::string name, value;
    if (!out.empty() && (words >> name >> value)) out.back().values[name] = value;
  }
  return out;
}

TEST_F(AlmanacTransferTest, RealAlmanacIsSentAsTheIndependentDecodeReadsIt) {
  const std::string path = YumaPath();
  if (path.empty()) GTEST_SKIP() << "no Yuma test data at ../shared/testdata/yuma";
  const std::optional<YumaReadResult> read = ReadYumaFile(path, kSvTypeGps);
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->records.size(), 28u);
  EXPECT_EQ(read->unhealthy, 2);

  OpenMain();
  ASSERT_TRUE(frame.SendAlmanac(read->records));
  const auto headers = SentOf(78);
  ASSERT_EQ(headers.size(), 1u);
  const std::vector<uint8_t> h = Payload(headers[0]);
  ASSERT_EQ(headers[0].size(), 21u);
  EXPECT_EQ(std::string(h.begin(), h.begin() + 8), "ZKQW-731");
  EXPECT_EQ(std::vector<uint8_t>(h.begin() + 8, h.begin() + 12), (std::vector<uint8_t>{0xEF, 0xB7, 0xFF, 0x7F}));
  EXPECT_EQ(ReadLe<uint16_t>(h, 12), 2425);  // week 377 in the era of GPS week 2448
  EXPECT_EQ(h[14], 78);                      // 319488 / 4096
  for (int i = 0; i < 28; ++i) {
    Ack();
    Ticks(1);
  }
  Ack();
  Ticks(1);
  const auto records = SentOf(79);
  ASSERT_EQ(records.size(), 28u);

  // Every record sent against the decode of the other program, to the digits it prints.
  std::vector<Decoded> expected;
  for (Decoded d : ReadIndependentDecode(std::filesystem::path(path).parent_path().string() + "/test_output_Yuma_T.exp")) {
    if (d.values["Health"] == "0x00") {
      expected.push_back(d);
    } else {
      EXPECT_TRUE(d.prn == 5 || d.prn == 15) << d.prn;
    }
  }
  ASSERT_EQ(expected.size(), 28u);
  const char* kNames[9] = {"af0", "af1", "M0", "w", "Omega0", "AHalf", "Omega_Dot", "deltai", "e"};
  for (std::size_t i = 0; i < 28; ++i) {
    const std::vector<uint8_t> p = Payload(records[i]);
    ASSERT_EQ(p.size(), 73u);
    EXPECT_EQ(p[0] >> 6, 1);
    EXPECT_EQ((p[0] & 0x3F) + 1, expected[i].prn);
    for (int k = 0; k < 9; ++k) {
      const double v = ReadLe<double>(p, 1 + 8 * static_cast<std::size_t>(k));
      EXPECT_EQ(Format("%.8E", v), expected[i].values[kNames[k]]) << "PRN " << expected[i].prn << " " << kNames[k];
    }
  }
  ASSERT_FALSE(desk.boxes.empty());
  EXPECT_EQ(desk.boxes.back().text, "Almanac data transfer complete: 28 records acknowledged.");
  EXPECT_EQ(desk.boxes.back().icon, MessageIcon::Information);
  EXPECT_EQ(desk.PaneText(kPaneMessage), "Almanac: 28/28 sent");
  EXPECT_EQ(frame.mainDecoder().flags().transferActive, 0u);
}

TEST_F(AlmanacTransferTest, HeaderAcknowledgedJustInTimeProceedsAndALateOneFails) {
  OpenMain();
  ASSERT_TRUE(frame.SendAlmanac(Load(2)));
  EXPECT_EQ(desk.PaneText(kPaneMessage), "Almanac: 0/2 sent");
  Ticks(148);
  Ack();
  Ticks(1);  // 14.9 s
  EXPECT_EQ(SentOf(79).size(), 1u);
  EXPECT_EQ(desk.PaneText(kPaneMessage), "Almanac: 1/2 sent");
  EXPECT_TRUE(desk.boxes.empty());

  ASSERT_TRUE(frame.SendAlmanac(Load(2)));  // a new load starts again from the header
  EXPECT_EQ(SentOf(78).size(), 2u);
  Ticks(150);
  EXPECT_TRUE(desk.boxes.empty());
  Ticks(1);  // 15.1 s
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Link Failure No Ack for Message #78 (Common almanac data transfer).");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Stop);
  Ticks(200);
  Ack();
  Ticks(2);
  EXPECT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(SentOf(79).size(), 1u);
}

TEST_F(AlmanacTransferTest, AMissingRecordAcknowledgementEndsTheTransfer) {
  OpenMain();
  ASSERT_TRUE(frame.SendAlmanac(Load(5)));
  for (int i = 0; i < 3; ++i) {
    Ack();
    Ticks(1);
  }
  ASSERT_EQ(SentOf(79).size(), 3u);
  Ticks(150);
  EXPECT_TRUE(desk.boxes.empty());
  Ticks(1);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Link Failure No Ack for Message #79 (Almanac data, record 3 of 5, PRN 3).");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Stop);
  EXPECT_EQ(frame.mainDecoder().flags().transferActive, 0u);
  // The acknowledgement of some later command releases nothing.
  Ack();
  Ticks(3);
  EXPECT_EQ(SentOf(79).size(), 3u);
}

TEST_F(AlmanacTransferTest, HeaderOfASecondLoadAnnouncesOnlyItsOwnRecords) {
  OpenMain();
  ASSERT_TRUE(frame.SendAlmanac(Load(20)));
  std::vector<AlmanacEntry> small = Load(1);
  small[0].prnIndex = 30;
  ASSERT_TRUE(frame.SendAlmanac(small));
  const auto headers = SentOf(78);
  ASSERT_EQ(headers.size(), 2u);
  const std::vector<uint8_t> h = Payload(headers[1]);
  EXPECT_EQ(std::vector<uint8_t>(h.begin() + 8, h.begin() + 12), (std::vector<uint8_t>{0, 0, 0, 0x40}));
  EXPECT_EQ(h[14], 15);  // 61440 / 4096

  // The week comes from the frame's clock: week 100 read in GPS week 1100 is sent as 1124.
  clock.seconds = 315964800 + 1100 * 7 * 86400 + 3600;
  std::vector<AlmanacEntry> old = Load(1);
  old[0].week = 100;
  ASSERT_TRUE(frame.SendAlmanac(old));
  EXPECT_EQ(ReadLe<uint16_t>(Payload(SentOf(78).back()), 12), 1124);
}

TEST_F(AlmanacTransferTest, RefusedWhileTheMainPortIsClosed) {
  EXPECT_FALSE(frame.SendAlmanac(Load(2)));
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "The main serial port is not open: no almanac was sent.");
  EXPECT_EQ(frame.mainDecoder().flags().transferActive, 0u);
  EXPECT_TRUE(mainPort().sent.empty());
}

TEST_F(AlmanacTransferTest, DialogStartsInTheCurrentFolderAndBrowsesForYumaFiles) {
  AlmanacForm dialog("/home/me", &desk);
  Form& f = dialog.form();
  EXPECT_EQ(f.caption(), "Almanac data transfer");
  EXPECT_EQ(f.field(AlmanacForm::kFileName)->label, "Filename:");
  EXPECT_EQ(dialog.fileName(), "/home/me/");
  EXPECT_EQ(f.field(AlmanacForm::kSvType)->label, "SV type");
  EXPECT_EQ(f.field(AlmanacForm::kSvType)->options, (std::vector<std::string>{"GLONASS", "GPS", "GIC"}));
  EXPECT_EQ(dialog.svType(), kSvTypeGps);
  EXPECT_FALSE(f.OptionEnabled(AlmanacForm::kSvType, 0));
  EXPECT_EQ(f.field(AlmanacForm::kSvType)->optionHidden, (std::vector<bool>{true, false, false}));
  f.Select(AlmanacForm::kSvType, 0);  // GLONASS cannot be chosen
  EXPECT_EQ(dialog.svType(), kSvTypeGps);
  f.Select(AlmanacForm::kSvType, 2);
  EXPECT_EQ(dialog.svType(), kSvTypeGic);

  desk.openFileAnswer = "/data/week377.alm";
  EXPECT_EQ(f.Press(AlmanacForm::kBrowse), FormAction::None);
  ASSERT_EQ(desk.openFileRequests.size(), 1u);
  EXPECT_EQ(desk.openFileRequests[0].filter, "Yuma file (*.alm)|*.alm|All Files (*.*)|*.*||");
  EXPECT_EQ(dialog.fileName(), "/data/week377.alm");
  desk.openFileAnswer.reset();
  f.Press(AlmanacForm::kBrowse);  // cancelled: the name stays
  EXPECT_EQ(dialog.fileName(), "/data/week377.alm");
}

TEST_F(AlmanacTransferTest, TheCommandLoadsTheChosenFileOrSaysWhyNot) {
  OpenMain();
  const std::string dir = test::TempDir();
  std::string chosen;
  desk.formDriver = [&](Form& f) {
    f.SetText(AlmanacForm::kFileName, chosen);
    return true;
  };
  chosen = dir + "/absent.alm";
  // The menu command runs the dialog.
  test::FakeShellHost host;
  FrameCommands commands(frame, host);
  EXPECT_TRUE(commands.OnCommand(cmd::kAlmanacDataTransfer));
  EXPECT_EQ(desk.formsRun, 1);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Invalid filename.");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Exclamation);

  chosen = dir + "/empty.alm";
  std::ofstream(chosen).close();
  frame.OnAlmanacDataTransfer();
  ASSERT_EQ(desk.boxes.size(), 2u);
  EXPECT_EQ(desk.boxes[1].text, "No almanac record in the file: nothing was sent.");
  EXPECT_TRUE(mainPort().sent.empty());

  const std::string path = YumaPath();
  if (path.empty()) GTEST_SKIP() << "no Yuma test data at ../shared/testdata/yuma";
  chosen = path;
  frame.OnAlmanacDataTransfer();
  EXPECT_EQ(SentOf(78).size(), 1u);
  EXPECT_EQ(frame.state().transferRecordCount, 28u);
  EXPECT_EQ(desk.boxes.size(), 2u);
}

}  // namespace
}  // namespace orv
