// The almanac transfer against the simulated receiver: first its upload model without a line
// (key check, acknowledgements, dropped ones, refusal, the almanac it reports back), then the
// whole console side over a pseudo-terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "SimProcess.h"
#include "app/MainFrame.h"
#include "maintenance/AlmanacWindow.h"
#include "protocol/FrameEncoder.h"
#include "serial/SerialPort.h"
#include "sim/SimReceiver.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"
#include "support/RecordingChannel.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

using std::chrono::milliseconds;

std::vector<AlmanacEntry> Load(int n) {
  std::vector<AlmanacEntry> out(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    AlmanacEntry& e = out[static_cast<std::size_t>(i)];
    e.prnIndex = static_cast<int16_t>(i * 2);
    e.toa = 319488;
    e.week = 377;
    e.sqrtA = 5153.6 + i;
    e.inclinationOffset = 0.01 * i;
  }
  return out;
}

// What the console's encoder sends, handed to the simulated receiver frame by frame.
struct Upload {
  explicit Upload(const sim::SimAlmanacOptions& options) : rx([&] {
      sim::SimSettings s;
      s.almanac = options;
      return s;
    }()) {}
  // The messages the receiver answered with, by number.
  std::vector<int> Deliver() {
    std::vector<int> answers;
    for (const auto& f : port.sent) rx.Receive(f.data(), f.size(), 1.0);
    port.sent.clear();
    const std::vector<uint8_t>& out = rx.output();
    for (std::size_t i = 0; i + 6 <= out.size(); i += out[i + 3] + 6u) answers.push_back(out[i + 1]);
    rx.DiscardOutput();
    return answers;
  }
  test::RecordingChannel port;
  FrameEncoder encoder{&port};
  sim::SimReceiver rx;
};

TEST(SimAlmanac, AcknowledgesTheKeyedHeaderAndEachRecordAndReportsWhatItGot) {
  Upload u({});
  const std::vector<AlmanacEntry> load = Load(3);
  SendAlmanacHeader(u.encoder, BuildAlmanacHeader(load, 2448));
  EXPECT_EQ(u.Deliver(), std::vector<int>{126});
  for (const AlmanacTransferRecord& r : ToTransferRecords(load)) u.encoder.SendAlmanacData(r.first, r.second, r.parameters);
  EXPECT_EQ(u.Deliver(), (std::vector<int>{126, 126, 126}));
  const std::vector<sim::Payload> reports = u.rx.almanacUpload().Reports();
  ASSERT_EQ(reports.size(), 3u);
  const AlmanacRecord second = [&] {
    AlmanacRecord r;
    r.Assign(reports[1]);
    return r;
  }();
  EXPECT_EQ(second.svType(), 1);
  EXPECT_EQ(second.prn(), 3);  // index 2
  EXPECT_EQ(second.toa(), 319488u);
  EXPECT_EQ(second.week(), 2425);
  EXPECT_DOUBLE_EQ(second.sqrtA(), 5154.6);
  EXPECT_DOUBLE_EQ(second.inclination(), 0.01 + 0.9424777960769379);

  // A header without the key is refused with 78.
  u.encoder.SendMessage(78, std::vector<uint8_t>(15, 'x'));
  EXPECT_EQ(u.Deliver(), std::vector<int>{78});
}

TEST(SimAlmanac, OptionsDropOneAcknowledgementOrRefuseTheHeader) {
  const std::vector<AlmanacEntry> load = Load(4);
  for (int drop = 0; drop <= 4; ++drop) {
    Upload u({drop, false});
    SendAlmanacHeader(u.encoder, BuildAlmanacHeader(load, 2448));
    for (const AlmanacTransferRecord& r : ToTransferRecords(load)) u.encoder.SendAlmanacData(r.first, r.second, r.parameters);
    const std::vector<int> answers = u.Deliver();
    EXPECT_EQ(answers.size(), 4u) << drop;  // five messages, one left unanswered
  }
  Upload refused({-1, true});
  SendAlmanacHeader(refused.encoder, BuildAlmanacHeader(load, 2448));
  EXPECT_EQ(refused.Deliver(), std::vector<int>{78});
}

struct Console {
  Console()
      : frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
          return std::make_unique<SerialPort>(sink);
        }),
        window(PageContext{&frame.encoder(), nullptr}) {
    frame.mainDecoder().store().links().almanac = &window;
  }
  ~Console() { frame.mainDecoder().store().links().almanac = nullptr; }
  template <typename Done>
  void PollUntil(Done done, int ms) {
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end) {
      if (desk.TimerArmed(kPollTimer)) frame.OnTimer(kPollTimer);
      std::this_thread::sleep_for(milliseconds(20));
    }
  }
  void Open(const std::string& path) {
    frame.config().SetMainPortName(path);
    frame.ChangeMainBaud(115200);
  }
  int RowsShown() const {
    int n = 0;
    for (int i = 0; i < CQuenmarshAlmanacWnd::kRows; ++i) n += CQuenmarshAlmanacWnd::RowEmpty(window.row(i)) ? 0 : 1;
    return n;
  }

  test::FakeDesktop desk;
  CMainFrame frame;
  CQuenmarshAlmanacWnd window;
};

#define REQUIRE_SIM(sim)                                                             \
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built"; \
  ASSERT_FALSE((sim).path().empty()) << "orvantis-sim printed no device path"

std::string YumaPath() {
  const std::string root = test::TestDataDir();
  const std::string path = root + "/yuma/test_input_yuma377.txt";
  return !root.empty() && std::filesystem::exists(path) ? path : std::string();
}

TEST(AlmanacSim, TheWholeFileTransfersAndTheWindowShowsWhatTheReceiverReportsBack) {
  const std::string path = YumaPath();
  if (path.empty()) GTEST_SKIP() << "no Yuma test data at ../shared/testdata/yuma";
  test::SimProcess sim({"--baud", "115200"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path());
  const std::optional<YumaReadResult> read = ReadYumaFile(path, kSvTypeGps);
  ASSERT_TRUE(read.has_value());
  ASSERT_TRUE(c.frame.SendAlmanac(read->records));
  c.PollUntil([&] { return c.frame.mainDecoder().flags().transferActive == 0; }, 20000);
  ASSERT_FALSE(c.desk.boxes.empty());
  EXPECT_EQ(c.desk.boxes.back().text, "Almanac data transfer complete: 28 records acknowledged.");
  EXPECT_EQ(c.frame.state().transferNextIndex, 28u);

  // The window asks for the almanac and shows the 28 satellites the receiver now holds.
  ASSERT_TRUE(c.window.OnCommand(CQuenmarshAlmanacWnd::kGpsOneShot));
  c.PollUntil([&] { return c.RowsShown() >= 28; }, 10000);
  EXPECT_EQ(c.RowsShown(), 28);
  for (const AlmanacEntry& e : read->records) {
    const AlmanacRecord& row = c.window.row(e.prnIndex);
    ASSERT_FALSE(CQuenmarshAlmanacWnd::RowEmpty(row)) << e.prnIndex;
    EXPECT_EQ(row.prn(), e.prnIndex + 1);
    EXPECT_DOUBLE_EQ(row.sqrtA(), e.sqrtA);
    EXPECT_DOUBLE_EQ(row.eccentricity(), e.eccentricity);
    EXPECT_EQ(row.toa(), 319488u);
  }
  EXPECT_TRUE(CQuenmarshAlmanacWnd::RowEmpty(c.window.row(4)));   // PRN 5, unhealthy
  EXPECT_TRUE(CQuenmarshAlmanacWnd::RowEmpty(c.window.row(11)));  // PRN 12, absent
}

TEST(AlmanacSim, ADroppedRecordAcknowledgementEndsTheTransferThere) {
  test::SimProcess sim({"--baud", "115200", "--almanac-drop-ack", "3"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path());
  ASSERT_TRUE(c.frame.SendAlmanac(Load(8)));
  c.PollUntil([&] { return c.frame.mainDecoder().flags().transferActive == 0; }, 20000);
  ASSERT_EQ(c.desk.boxes.size(), 1u);
  EXPECT_EQ(c.desk.boxes[0].text, "Link Failure No Ack for Message #79 (Almanac data, record 3 of 8, PRN 5).");
  EXPECT_EQ(c.frame.state().transferNextIndex, 3u);
  // Nothing more goes out, whatever the receiver sends later.
  c.frame.encoder().SendRequest(20, kOneShot);
  c.PollUntil([] { return false; }, 500);
  EXPECT_EQ(c.frame.state().transferNextIndex, 3u);
  EXPECT_EQ(c.desk.boxes.size(), 1u);
}

TEST(AlmanacSim, AReceiverThatRefusesTheHeaderEndsTheTransfer) {
  test::SimProcess sim({"--baud", "115200", "--almanac-fail"});
  REQUIRE_SIM(sim);
  Console c;
  c.Open(sim.path());
  ASSERT_TRUE(c.frame.SendAlmanac(Load(2)));
  c.PollUntil([&] { return c.frame.mainDecoder().flags().transferActive == 0; }, 10000);
  ASSERT_EQ(c.desk.boxes.size(), 1u);
  EXPECT_EQ(c.desk.boxes[0].text, "Almanac transfer data is downloaded unsuccesfully.");
  EXPECT_EQ(c.frame.state().transferNextIndex, 0u);
}

TEST(AlmanacSim, TheCommandLineSendsTheFileThroughTheSameCode) {
  const std::string path = YumaPath();
  if (path.empty()) GTEST_SKIP() << "no Yuma test data at ../shared/testdata/yuma";
  test::SimProcess sim({"--baud", "115200"});
  REQUIRE_SIM(sim);
  const std::string command =
      std::string(ORVANTIS_CLI_PATH) + " almanac send --port " + sim.path() + " --baud 115200 " + path + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[1024];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  const int raw = ::pclose(pipe);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << out;
  EXPECT_EQ(out, "Almanac data transfer complete: 28 records acknowledged.\n");
}

}  // namespace
}  // namespace orv
