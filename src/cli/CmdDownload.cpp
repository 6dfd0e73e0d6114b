// `download`: the console's "Download File" dialog without a screen. It presses the dialog's
// buttons as a user would (INITIATE, START, "Retransmit missing" for every gap, COMPLETED),
// runs the main frame's poll and the dialog's timers on the wall clock, and reports progress
// on standard error. `--list` prints the receiver's files instead.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Command.h"
#include "HeadlessDesktop.h"
#include "Options.h"
#include "app/MainFrame.h"
#include "maintenance/FileDownload.h"
#include "serial/SerialPort.h"

namespace orv::cli {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr char kUsage[] =
    "usage: orvantis-cli download --port DEV [--baud N] --file NAME [--rate R] --out PATH\n"
    "       orvantis-cli download --port DEV [--baud N] --list\n";
constexpr int kPollMs = 20;
constexpr int kAnswerWaitMs = 5000;   // for the initiated answer and the file list
constexpr int kEndAckWaitMs = 3000;   // for the completed acknowledgement

struct Options {
  std::string port;
  uint32_t baud = 9600;
  std::string file;
  uint32_t rate = 19200;
  std::string out;
  bool list = false;
};

bool ParseRate(const std::string& text, uint32_t& out) {
  const std::optional<uint32_t> rate = ParseBaud(text);
  if (rate) out = *rate;
  return rate.has_value();
}

bool ParseOptions(const std::vector<std::string>& args, Options& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--list") {
      o.list = true;
    } else if (a == "--port" && hasValue) {
      o.port = args[++i];
    } else if (a == "--file" && hasValue) {
      o.file = args[++i];
    } else if (a == "--out" && hasValue) {
      o.out = args[++i];
    } else if (a == "--baud" && hasValue) {
      if (!ParseRate(args[++i], o.baud)) return false;
    } else if (a == "--rate" && hasValue) {
      if (!ParseRate(args[++i], o.rate)) return false;
    } else {
      return false;
    }
  }
  if (o.port.empty()) return false;
  return o.list || (!o.file.empty() && o.file.size() <= 8 && !o.out.empty());
}

// The save-file dialog answers with the output path.
class DownloadDesktop : public HeadlessDesktop {
 public:
  explicit DownloadDesktop(std::string out) : out_(std::move(out)) {}
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override { return out_; }

 private:
  std::string out_;
};

// The frame's poll and the dialog's timers, run on the wall clock.
class Runner {
 public:
  Runner(CMainFrame& frame, FileDownloadDialog& dialog) : frame_(frame), dialog_(dialog) {}
  template <typename Done>
  bool RunUntil(Done done, int ms) {
    const auto end = Clock::now() + milliseconds(ms);
    while (!done()) {
      if (Clock::now() >= end) return false;
      std::this_thread::sleep_for(milliseconds(kPollMs));
      Step();
    }
    return true;
  }

 private:
  void Step() {
    frame_.OnTimer(kPollTimer);
    const auto now = Clock::now();
    // A copy: a timer's handler may arm or kill timers.
    const std::map<int, uint32_t> timers = dialog_.form().timers();
    for (const auto& [id, period] : timers) {
      auto& due = due_[id];
      if (due == Clock::time_point{}) due = now + milliseconds(period);
      if (now >= due) {
        due = now + milliseconds(period);
        dialog_.form().FireTimer(id);
      }
    }
    for (auto it = due_.begin(); it != due_.end();) {
      it = dialog_.form().TimerArmed(it->first) ? std::next(it) : due_.erase(it);
    }
  }
  CMainFrame& frame_;
  FileDownloadDialog& dialog_;
  std::map<int, Clock::time_point> due_;
};

void PrintBoxes(HeadlessDesktop& desk, std::size_t& shown) {
  for (; shown < desk.boxes.size(); ++shown) std::fprintf(stderr, "download: %s\n", desk.boxes[shown].c_str());
}

int SelectRate(FileDownloadDialog& dialog, uint32_t rate) {
  const char* texts[] = {"9600", "19200", "38400", "57600", "115200"};
  for (int i = 0; i < 5; ++i) {
    if (std::to_string(rate) == texts[i]) {
      dialog.form().Select(FileDownloadDialog::kRate, i + 1);
      return 0;
    }
  }
  return -1;
}

int List(CMainFrame& frame, FileDownloadDialog& dialog) {
  Runner run(frame, dialog);
  dialog.form().Press(FileDownloadDialog::kFileRequest);
  // The receiver sends its list at once; the list is complete once nothing new came for a while.
  std::size_t seen = 0;
  auto lastChange = Clock::now();
  run.RunUntil(
      [&] {
        if (dialog.fileNames().size() != seen) {
          seen = dialog.fileNames().size();
          lastChange = Clock::now();
        }
        return Clock::now() - lastChange > milliseconds(seen == 0 ? kAnswerWaitMs : 700);
      },
      kAnswerWaitMs + 1000);
  for (const std::string& entry : dialog.form().field(FileDownloadDialog::kFileList)->options) {
    std::printf("%s\n", entry.c_str());
  }
  return seen == 0 ? 1 : 0;
}

int Download(CMainFrame& frame, FileDownloadDialog& dialog, DownloadDesktop& desk, const Options& o) {
  Runner run(frame, dialog);
  Form& form = dialog.form();
  std::size_t boxesShown = 0;
  form.SetText(FileDownloadDialog::kFileName, o.file);
  SelectRate(dialog, o.rate);
  form.Press(FileDownloadDialog::kSend);  // INITIATE
  PrintBoxes(desk, boxesShown);
  if (!dialog.initiated()) return 1;
  if (!run.RunUntil([&] { return dialog.answered() || dialog.lastStatus() == 4 || !dialog.initiated(); }, kAnswerWaitMs) ||
      !dialog.answered()) {
    PrintBoxes(desk, boxesShown);
    std::fprintf(stderr, "download: %s\n",
                 dialog.lastStatus() == 4 ? "Download failure" : "no answer from the receiver to INITIATE");
    dialog.Leave();
    return 1;
  }
  std::fprintf(stderr, "download: %s: %u blocks of %u bytes\n", o.file.c_str(), dialog.trueCount(), dialog.blockSize());
  dialog.SetAutoRetransmit(true);
  uint32_t reported = 0;
  auto lastReport = Clock::now();
  run.RunUntil(
      [&] {
        PrintBoxes(desk, boxesShown);
        const uint32_t arrived = dialog.output().arrived();
        if (arrived != reported && (Clock::now() - lastReport > milliseconds(500) || dialog.output().complete())) {
          reported = arrived;
          lastReport = Clock::now();
          std::fprintf(stderr, "download: %u of %u blocks\n", arrived, dialog.output().count());
        }
        if (dialog.output().complete() || dialog.gaveUp() || !dialog.initiated()) return true;
        // START goes out once the answer is in, and again after the port fell back to the
        // entry rate because the receiver did not follow a switch.
        if (dialog.action() == kDlStart && !dialog.sending()) form.Press(FileDownloadDialog::kSend);
        return false;
      },
      24 * 3600 * 1000);
  const bool complete = dialog.output().complete();
  if (complete && dialog.initiated()) {
    form.Select(FileDownloadDialog::kAction, kDlCompleted);
    form.Press(FileDownloadDialog::kSend);
    run.RunUntil([&] { return dialog.lastStatus() == 3; }, kEndAckWaitMs);
  } else if (dialog.initiated()) {
    form.Press(kFormCancel);
    run.RunUntil([&] { return !dialog.cancelling(); }, kEndAckWaitMs);
  }
  dialog.Leave();
  PrintBoxes(desk, boxesShown);
  std::fprintf(stderr, "download: %s\n", dialog.statusText().c_str());
  if (!complete) {
    std::fprintf(stderr, "download: incomplete: %u of %u blocks, missing %s; kept as %s\n", dialog.output().arrived(),
                 dialog.output().count(), MissingBlocksText(dialog.output()).c_str(),
                 dialog.output().currentPath().c_str());
    return 1;
  }
  std::printf("%s\n", dialog.output().path().c_str());
  return 0;
}

int RunDownload(const std::vector<std::string>& args) {
  Options o;
  if (!ParseOptions(args, o)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  DownloadDesktop desk(o.out);
  CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
    return std::make_unique<SerialPort>(sink);
  });
  frame.config().SetMainPortName(o.port);
  frame.ChangeMainBaud(o.baud);
  if (!frame.mainPort().IsOpen()) {
    std::fprintf(stderr, "orvantis-cli download: cannot open port '%s'\n", o.port.c_str());
    return 2;
  }
  const std::unique_ptr<FileDownloadDialog> dialog = frame.MakeDownloadDialog();
  frame.AttachDownload(dialog.get());
  const int status = o.list ? List(frame, *dialog) : Download(frame, *dialog, desk, o);
  frame.AttachDownload(nullptr);
  return status;
}

const Register kDownload({"download", "download --port DEV --file NAME [--rate R] --out PATH",
                          "copy a file out of a receiver's memory (--list: print its files)", RunDownload});

}  // namespace
}  // namespace orv::cli
