// The "Download File" dialog without a screen or a line: the requests it sends, the rate it
// leaves the port at, the output file it writes, the receiver's answers it takes and refuses,
// its timers; and the main frame's rate switch and command.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "app/MainFrame.h"
#include "maintenance/FileDownload.h"
#include "protocol/FrameEncoder.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/Frames.h"
#include "support/RecordingChannel.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

using D = FileDownloadDialog;

// The console side of one dialog: requests recorded, rate switches logged in the same order.
struct Bench {
  explicit Bench(uint32_t entry = 9600) : rate(entry) {
    dialog = std::make_unique<D>(&encoder, DownloadPort{[this](uint32_t baud) {
                                                         log.push_back("switch " + std::to_string(baud));
                                                         if (!switchWorks) return false;
                                                         rate = baud;
                                                         return true;
                                                       },
                                                       [this] { return rate; }},
                                 entry, desk, desk, folder);
    desk.saveFileAnswer = dir + "/out.bin";
  }
  Form& form() { return dialog->form(); }
  void Answer(std::vector<uint8_t> bytes) {
    DownloadBlockRecord r;
    r.Assign(bytes);
    dialog->OnDownloadBlock(r, r.length());
  }
  void Initiated(uint32_t count, uint8_t size) {
    std::vector<uint8_t> b{2, 0, 0, 0, 0, size};
    WriteLe<uint32_t>(std::span<uint8_t>(b), 1, count);
    Answer(b);
  }
  void Block(uint32_t number, std::vector<uint8_t> data) {
    std::vector<uint8_t> b{1, 0, 0, 0, 0};
    WriteLe<uint32_t>(std::span<uint8_t>(b), 1, number);
    b.insert(b.end(), data.begin(), data.end());
    Answer(b);
  }
  // INITIATE for `name`, answered with count blocks of size bytes.
  void Initiate(const std::string& name, uint32_t count, uint8_t size, uint32_t transferRate = 115200) {
    form().SetText(D::kFileName, name);
    for (int i = 1; i <= 5; ++i) {
      if (form().field(D::kRate)->options[static_cast<std::size_t>(i)] == std::to_string(transferRate)) form().Select(D::kRate, i);
    }
    form().Press(D::kSend);
    Initiated(count, size);
  }
  void Start() { form().Press(D::kSend); }
  // Payload bytes after the sub-ID of each 70/6 request sent.
  std::vector<std::vector<uint8_t>> Requests() const {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& f : port.sent) {
      if (f.size() == 28 && f[1] == 70 && f[4] == 6) out.emplace_back(f.begin() + 5, f.end() - 2);
    }
    return out;
  }
  int LastAction() const { return Requests().empty() ? -1 : Requests().back()[0]; }
  int Boxes(const std::string& text) const {
    int n = 0;
    for (const auto& b : desk.boxes) n += b.text == text ? 1 : 0;
    return n;
  }

  std::string dir = test::TempDir();
  test::FakeDesktop desk;
  test::RecordingChannel port;
  FrameEncoder encoder{&port};
  std::string folder;
  std::vector<std::string> log;
  bool switchWorks = true;
  uint32_t rate;
  std::unique_ptr<D> dialog;
};

std::vector<uint8_t> Bytes(std::size_t n, uint8_t first) {
  std::vector<uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(first + i);
  return v;
}

TEST(FileDownload, OpensAtTheEntryRateAndInitiateCarriesNameAndRate) {
  Bench b;
  EXPECT_EQ(b.form().caption(), "Download File (9600 bps)");
  EXPECT_EQ(b.dialog->action(), kDlInitiate);
  EXPECT_EQ(b.dialog->selectedRate(), 19200u);
  EXPECT_EQ(b.form().Text(D::kBlockNumber), "1");
  EXPECT_EQ(b.form().Label(D::kProgressHigh), "65535");
  EXPECT_EQ(b.form().Label(D::kCurrentBlock), "Current Block: 0");
  EXPECT_FALSE(b.form().OptionEnabled(D::kAction, kDlStart));

  b.form().SetText(D::kFileName, "SURVEY01");
  b.form().Select(D::kRate, 5);  // 115200
  b.form().Press(D::kSend);
  ASSERT_EQ(b.port.sent.size(), 1u);
  const std::vector<uint8_t> head(b.port.sent[0].begin(), b.port.sent[0].begin() + 5);
  EXPECT_EQ(head, (std::vector<uint8_t>{0x01, 70, 0xB9, 22, 6}));
  std::vector<uint8_t> expected{2, 1, 0, 0, 0, 0, 0, 'S', 'U', 'R', 'V', 'E', 'Y', '0', '1', 0, 0xC2, 0x01, 0, 0, 0};
  EXPECT_EQ(b.Requests()[0], expected);
  EXPECT_TRUE(b.log.empty());  // INITIATE goes at the entry rate
  EXPECT_TRUE(std::filesystem::exists(b.dir + "/out.bin.part"));
  EXPECT_EQ(b.folder, b.dir);

  // START is checked, but neither it nor Send can be used before the receiver answers.
  EXPECT_EQ(b.dialog->action(), kDlStart);
  EXPECT_FALSE(b.form().Enabled(D::kSend));
  b.Initiated(3, 10);
  EXPECT_TRUE(b.form().OptionEnabled(D::kAction, kDlStart));
  EXPECT_TRUE(b.form().Enabled(D::kSend));
  EXPECT_EQ(b.form().Label(D::kProgressHigh), "3");
  EXPECT_TRUE(b.form().TimerArmed(kDownloadKeepAliveTimer));
  // A repeated initiated answer changes nothing.
  b.Initiated(500, 20);
  EXPECT_EQ(b.dialog->trueCount(), 3u);
  EXPECT_EQ(b.dialog->output().count(), 3u);
}

TEST(FileDownload, StartSwitchesOnceAndTheAcknowledgementBringsTheEntryRateBack) {
  Bench b;
  b.Initiate("F", 2, 4);
  const std::size_t before = b.port.sent.size();
  b.Start();
  EXPECT_EQ(b.log, std::vector<std::string>{"switch 115200"});  // before the request, and only once
  EXPECT_EQ(b.port.sent.size(), before + 1);
  EXPECT_EQ(b.LastAction(), kDlStart);
  EXPECT_EQ(b.form().caption(), "Download File (115200 bps)");
  EXPECT_EQ(b.dialog->action(), kDlCompleted);
  b.Block(1, Bytes(4, 1));
  b.Block(2, Bytes(4, 5));
  EXPECT_TRUE(b.dialog->output().complete());
  b.Start();  // COMPLETED
  EXPECT_EQ(b.LastAction(), kDlCompleted);
  EXPECT_FALSE(b.form().TimerArmed(kDownloadKeepAliveTimer));
  b.Answer({3});
  EXPECT_EQ(b.dialog->statusText(), "Download completed acknowledged");
  EXPECT_EQ(b.log.back(), "switch 9600");
  EXPECT_EQ(b.dialog->currentRate(), 9600u);
  EXPECT_EQ(test::ReadFile(b.dir + "/out.bin"), Bytes(8, 1));
}

TEST(FileDownload, AFailedSwitchSaysSoAndTheRateStaysWhatItWas) {
  Bench b;
  b.Initiate("F", 2, 4);
  b.switchWorks = false;
  b.Start();
  ASSERT_EQ(b.Boxes("Unable to switch at: 115200"), 1);
  EXPECT_EQ(b.desk.boxes.back().icon, MessageIcon::Stop);
  EXPECT_EQ(b.dialog->currentRate(), 9600u);
  EXPECT_EQ(b.form().caption(), "Download File (9600 bps)");
  EXPECT_NE(b.dialog->statusText().find("The port stays at 9600 bps"), std::string::npos);
}

TEST(FileDownload, BlocksLandAtTheirOffsetsStrayNumbersAreIgnoredAndTheLastBlockEndsTheFile) {
  Bench b;
  b.Initiate("F", 4, 10);
  b.Start();
  EXPECT_EQ(std::filesystem::file_size(b.dir + "/out.bin.part"), 40u);
  b.Block(3, Bytes(10, 30));
  b.Block(1, Bytes(12, 10));  // longer than a block: its first 10 bytes
  for (uint32_t stray : {0u, 5u, 0xFFFFFFFFu}) b.Block(stray, Bytes(10, 200));
  b.Block(2, Bytes(7, 99));   // short, and not the last block: refused
  EXPECT_EQ(b.dialog->output().arrived(), 2u);
  EXPECT_EQ(b.dialog->currentBlock(), 1u);
  EXPECT_NE(b.dialog->statusText().find("2 of 4 blocks, first missing: 2"), std::string::npos);
  b.Block(4, Bytes(5, 40));   // the last block, 5 bytes
  b.Block(2, Bytes(10, 20));
  ASSERT_TRUE(b.dialog->output().complete());
  std::vector<uint8_t> expected = Bytes(10, 10);
  for (uint8_t first : {20, 30}) {
    const std::vector<uint8_t> part = Bytes(10, first);
    expected.insert(expected.end(), part.begin(), part.end());
  }
  const std::vector<uint8_t> last = Bytes(5, 40);
  expected.insert(expected.end(), last.begin(), last.end());
  EXPECT_EQ(test::ReadFile(b.dir + "/out.bin"), expected);  // 35 bytes, renamed from .part
  EXPECT_FALSE(std::filesystem::exists(b.dir + "/out.bin.part"));
}

TEST(FileDownload, SeventyThousandBlocksClampTheBarOnceAndEveryBlockIsWritten) {
  Bench b;
  b.Initiate("BIG", 70000, 2);
  EXPECT_EQ(b.dialog->blockCount(), 65535u);
  EXPECT_EQ(b.desk.boxes.back().icon, MessageIcon::Information);
  b.Start();
  for (uint32_t n = 1; n <= 70000; ++n) b.Block(n, {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)});
  EXPECT_EQ(b.Boxes("Progress bar limited to 65535 block!"), 1);
  EXPECT_EQ(b.dialog->currentBlock(), 65535u);
  ASSERT_TRUE(b.dialog->output().complete());
  const std::vector<uint8_t> file = test::ReadFile(b.dir + "/out.bin");
  ASSERT_EQ(file.size(), 140000u);
  EXPECT_EQ(file[2 * 69999], static_cast<uint8_t>(70000));
  EXPECT_EQ(file[2 * 69999 + 1], static_cast<uint8_t>(70000 >> 8));
}

TEST(FileDownload, AnnouncementsThatCannotBeAFileAreRefused) {
  for (auto [count, size] : {std::pair<uint32_t, uint8_t>{0, 10}, {10, 0}, {10, 250}, {0xFFFFFFFF, 249}}) {
    Bench b;
    b.Initiate("F", count, size);
    EXPECT_FALSE(b.dialog->answered()) << count << " " << int{size};
    EXPECT_EQ(b.LastAction(), kDlStop);
    EXPECT_EQ(b.dialog->action(), kDlInitiate);
    EXPECT_EQ(std::filesystem::file_size(b.dir + "/out.bin.part"), 0u);
  }
  Bench ok;
  ok.Initiate("F", 2, 249);
  EXPECT_TRUE(ok.dialog->answered());
  EXPECT_EQ(std::filesystem::file_size(ok.dir + "/out.bin.part"), 498u);
}

TEST(FileDownload, EachNewFileIsPrefilledForItsOwnCount) {
  Bench b;
  b.Initiate("A", 3, 100);
  b.form().Select(D::kAction, kDlStop);
  b.Start();
  b.Answer({0});
  b.desk.saveFileAnswer = b.dir + "/second.bin";
  b.Initiate("B", 2, 7);
  EXPECT_EQ(std::filesystem::file_size(b.dir + "/second.bin.part"), 14u);
  EXPECT_EQ(std::filesystem::file_size(b.dir + "/out.bin.part"), 300u);  // the first stays incomplete
}

TEST(FileDownload, MissingBlocksAreNamedRetransmittedAndReportedAtTheEnd) {
  Bench b;
  b.Initiate("F", 5, 2);
  b.Start();
  for (uint32_t n : {1u, 2u, 4u, 5u}) b.Block(n, {1, 2});
  EXPECT_NE(b.dialog->statusText().find("4 of 5 blocks, first missing: 3"), std::string::npos);
  b.form().Select(D::kAction, kDlRetransmit);
  EXPECT_EQ(b.form().Text(D::kBlockNumber), "3");
  b.form().Select(D::kAction, kDlCompleted);
  b.form().Press(D::kRetransmitMissing);
  ASSERT_EQ(b.LastAction(), kDlRetransmit);
  EXPECT_EQ(ReadLe<uint32_t>(b.Requests().back(), 1), 3u);

  // COMPLETED with a block missing warns first, and the end says what is missing.
  b.form().Select(D::kAction, kDlCompleted);
  b.Start();
  EXPECT_EQ(b.Boxes("The file is incomplete: 4 of 5 blocks received, missing: 3."), 1);
  EXPECT_EQ(b.LastAction(), kDlCompleted);
  b.Answer({3});
  EXPECT_EQ(b.dialog->statusText().find("Download completed acknowledged"), std::string::npos);
  EXPECT_NE(b.dialog->statusText().find("Missing: 3"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(b.dir + "/out.bin.part"));
  EXPECT_FALSE(std::filesystem::exists(b.dir + "/out.bin"));
}

TEST(FileDownload, RetransmitMissingGoesOnUntilNothingIsMissingOrTheReceiverStaysQuiet) {
  Bench b(115200);  // no switch: the rate check stays out of the way
  b.Initiate("F", 4, 2, 115200);
  b.Start();
  b.Block(1, {1, 1});
  b.Block(3, {3, 3});
  b.form().Press(D::kRetransmitMissing);
  EXPECT_EQ(ReadLe<uint32_t>(b.Requests().back(), 1), 2u);
  b.Block(2, {2, 2});
  for (int i = 0; i < kQuietTicks; ++i) b.form().FireTimer(kDownloadWatchTimer);
  EXPECT_EQ(ReadLe<uint32_t>(b.Requests().back(), 1), 4u);  // the next gap, by itself
  const std::size_t asked = b.Requests().size();
  for (int i = 0; i < kQuietTicks * (kFruitlessRounds + 1); ++i) b.form().FireTimer(kDownloadWatchTimer);
  EXPECT_TRUE(b.dialog->gaveUp());
  EXPECT_EQ(b.Requests().size(), asked + kFruitlessRounds - 1);
}

TEST(FileDownload, KeepAliveEveryTickUnlessIrdaAndNotAfterStop) {
  Bench b;
  b.Initiate("NAME", 2, 4);
  EXPECT_EQ(b.form().timers().at(kDownloadKeepAliveTimer), 10000u);
  b.form().FireTimer(kDownloadKeepAliveTimer);
  std::vector<uint8_t> keepAlive{5, 0, 0, 0, 0, 0, 0, 'N', 'A', 'M', 'E', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(b.Requests().back(), keepAlive);
  const std::size_t sent = b.port.sent.size();
  b.form().SetChecked(D::kIrda, true);
  b.form().FireTimer(kDownloadKeepAliveTimer);
  EXPECT_EQ(b.port.sent.size(), sent);
  b.form().Select(D::kAction, kDlStop);
  b.Start();
  EXPECT_FALSE(b.form().TimerArmed(kDownloadKeepAliveTimer));
}

TEST(FileDownload, CancelWaitsForTheStopAcknowledgementThenLeavesAtTheEntryRate) {
  Bench b;
  b.Initiate("F", 10, 4);
  b.Start();
  b.Block(1, Bytes(4, 0));
  EXPECT_EQ(b.form().Press(kFormCancel), FormAction::None);
  EXPECT_EQ(b.LastAction(), kDlStop);
  EXPECT_EQ(ReadLe<uint32_t>(b.Requests().back(), 15), 9600u);
  EXPECT_EQ(b.dialog->currentRate(), 115200u);  // the acknowledgement comes at this rate
  b.Answer({0});
  EXPECT_EQ(b.dialog->currentRate(), 9600u);
  EXPECT_EQ(b.form().closeRequest(), FormAction::Cancel);
  EXPECT_TRUE(std::filesystem::exists(b.dir + "/out.bin.part"));

  Bench quiet;
  quiet.Initiate("F", 10, 4);
  quiet.Start();
  quiet.form().Press(kFormCancel);
  for (int i = 0; i < kStopAckWaitTicks; ++i) quiet.form().FireTimer(kDownloadWatchTimer);
  EXPECT_EQ(quiet.Boxes("No stop acknowledgement came from the receiver within 2 s."), 1);
  EXPECT_EQ(quiet.dialog->currentRate(), 9600u);
  EXPECT_EQ(quiet.form().closeRequest(), FormAction::Cancel);

  // Without a transfer Cancel closes at once, at the entry rate.
  Bench idle;
  EXPECT_EQ(idle.form().Press(kFormCancel), FormAction::Cancel);
  EXPECT_TRUE(idle.log.empty());
}

TEST(FileDownload, AReceiverThatDoesNotFollowTheSwitchBringsThePortBack) {
  Bench b;
  b.Initiate("F", 10, 4);
  b.Start();
  for (int i = 0; i < kSwitchCheckTicks; ++i) b.form().FireTimer(kDownloadWatchTimer);
  EXPECT_EQ(b.log, (std::vector<std::string>{"switch 115200", "switch 9600"}));
  EXPECT_EQ(b.Boxes("Unable to switch at: 115200"), 1);
  EXPECT_EQ(b.dialog->currentRate(), 9600u);
  EXPECT_EQ(b.dialog->selectedRate(), 9600u);
  EXPECT_EQ(b.dialog->action(), kDlStart);
  b.Start();  // at 9600 now: no switch
  EXPECT_EQ(b.log.size(), 2u);
  EXPECT_EQ(b.LastAction(), kDlStart);
}

TEST(FileDownload, AFileThatCannotBeWrittenStopsTheTransfer) {
  Bench b;
  // A file-size limit stands in for a full disk: the filler cannot be written.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1000;
  ::setrlimit(RLIMIT_FSIZE, &small);
  b.Initiate("F", 100, 200);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(b.Boxes("Unable to write file: " + b.dir + "/out.bin.part"), 1);
  EXPECT_EQ(b.LastAction(), kDlStop);
  EXPECT_FALSE(b.dialog->initiated());
  EXPECT_FALSE(b.form().TimerArmed(kDownloadKeepAliveTimer));

  Bench denied;
  denied.desk.saveFileAnswer = denied.dir + "/no/such/folder/f.bin";
  denied.form().SetText(D::kFileName, "F");
  denied.form().Press(D::kSend);
  EXPECT_EQ(denied.Boxes("Unable to create file: " + denied.dir + "/no/such/folder/f.bin"), 1);
  EXPECT_TRUE(denied.port.sent.empty());
}

TEST(FileDownload, TheFileListStartsAfreshAndKeepsNamesApartFromTheirEntries) {
  Bench b;
  auto info = [&](uint8_t number, std::string name) {
    std::vector<uint8_t> r(67, 0);
    r[1] = number;
    for (std::size_t i = 0; i < name.size(); ++i) r[3 + i] = static_cast<uint8_t>(name[i]);
    FileInfoRecord rec;
    rec.Assign(r);
    b.dialog->OnFileInfo(rec);
  };
  b.form().Press(D::kFileRequest);
  ASSERT_EQ(b.port.sent.size(), 1u);
  EXPECT_EQ(b.port.sent[0].size(), 15u);
  info(7, "A");
  info(123, "LOGFILE1");
  info(9, std::string("B\x01" "C", 3));
  EXPECT_EQ(b.form().field(D::kFileList)->options,
            (std::vector<std::string>{" 7 - A", "123 - LOGFILE1", " 9 - B.C"}));
  EXPECT_EQ(b.form().Text(D::kFileName), "A");  // the first entry is selected
  b.form().Select(D::kFileList, 1);
  EXPECT_EQ(b.form().Text(D::kFileName), "LOGFILE1");
  b.form().Press(D::kFileRequest);
  EXPECT_TRUE(b.form().field(D::kFileList)->options.empty());
  info(1, "Z");
  EXPECT_EQ(b.dialog->fileNames(), std::vector<std::string>{"Z"});

  // A name that is not printable text is refused before anything goes out.
  b.form().SetText(D::kFileName, std::string("A\tB"));
  const std::size_t sent = b.port.sent.size();
  b.form().Press(D::kSend);
  EXPECT_EQ(b.port.sent.size(), sent);
}

TEST(FileDownload, AFailureAnswerEndsTheTransferAndTheNextInitiateRestoresTheRate) {
  Bench b;
  b.Initiate("F", 10, 4);
  b.Start();
  b.Answer({4});
  EXPECT_EQ(b.dialog->statusText(), "Download failure");
  EXPECT_EQ(b.dialog->action(), kDlInitiate);
  EXPECT_EQ(b.dialog->currentRate(), 115200u);
  b.form().Press(D::kSend);
  EXPECT_EQ(b.log.back(), "switch 9600");
  EXPECT_EQ(b.LastAction(), kDlInitiate);
}

// The frame's side: the rate switch leaves the stored rate and the counters, and the command
// needs an open port.
TEST(FileDownloadFrame, TheRateSwitchLeavesStoredRateAndCountersAlone) {
  test::FakeDesktop desk;
  test::FakePort* main = nullptr;
  CMainFrame frame(desk, [&](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    auto p = std::make_unique<test::FakePort>(sink);
    if (main == nullptr) main = p.get();
    return p;
  });
  EXPECT_FALSE(frame.SwitchMainPortRate(115200));
  frame.OnDownloadFile();
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Serial Port not open");
  EXPECT_EQ(desk.formsRun, 0);

  frame.config().SetMainPortName("COM1");
  frame.config().SetMainBaudRate(9600);
  frame.ChangeMainBaud(9600);
  main->pending = {0x01, 0x14, 0xEB, 0x00, 0x00, 0x01};
  frame.OnTimer(kPollTimer);
  const uint32_t valid = frame.mainDecoder().counters().validMessageCount;
  ASSERT_EQ(valid, 1u);
  EXPECT_TRUE(frame.SwitchMainPortRate(115200));
  EXPECT_EQ(frame.mainPortRate(), 115200u);
  EXPECT_EQ(main->baud, 115200u);
  EXPECT_EQ(frame.config().mainBaudRate(), 9600);
  EXPECT_EQ(frame.mainDecoder().counters().validMessageCount, valid);
  main->openSucceeds = false;
  EXPECT_FALSE(frame.SwitchMainPortRate(57600));
  EXPECT_EQ(main->log.back(), "open COM1 115200");  // back at the rate it had
  EXPECT_EQ(frame.mainPortRate(), 115200u);
}

// Through the frame: the decoder hands the dialog its answers, and the box they raise waits
// until the poll has returned.
TEST(FileDownloadFrame, TheDecoderRoutesAnswersAndTheirBoxesAreDeferred) {
  test::FakeDesktop desk;
  test::FakePort* main = nullptr;
  CMainFrame frame(desk, [&](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    auto p = std::make_unique<test::FakePort>(sink);
    if (main == nullptr) main = p.get();
    return p;
  });
  frame.config().SetMainPortName("COM1");
  frame.ChangeMainBaud(9600);
  const std::string dir = test::TempDir();
  desk.saveFileAnswer = dir + "/big.bin";
  const std::unique_ptr<D> dialog = frame.MakeDownloadDialog();
  EXPECT_EQ(dialog->entryRate(), 9600u);
  frame.AttachDownload(dialog.get());
  dialog->form().SetText(D::kFileName, "BIG");
  dialog->form().Press(D::kSend);
  for (const std::vector<uint8_t>& payload : {std::vector<uint8_t>{6, 2, 0x70, 0x11, 0x01, 0x00, 1},
                                              std::vector<uint8_t>{6, 2, 0x02, 0x00, 0x00, 0x00, 9}}) {
    for (uint8_t b : test::Frame(70, payload)) main->pending.push_back(b);
  }
  frame.OnTimer(kPollTimer);
  frame.AttachDownload(nullptr);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Progress bar limited to 65535 block!");
  EXPECT_TRUE(desk.boxes[0].posted);
  EXPECT_EQ(dialog->trueCount(), 70000u);  // the second answer is ignored
  EXPECT_EQ(dialog->blockSize(), 1u);
}

}  // namespace
}  // namespace orv
