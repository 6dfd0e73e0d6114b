// What the desktop costs while a receiver floods it: the console's main window, offscreen, with
// every window of the window table open and visible, reads orvantis-sim at 921600 bit/s (its
// rate limit `full`: the receiver's clock runs ahead and the line is kept full at its rate)
// with every continuous message requested, for a fixed stretch of wall time, painting
// included. Reported: the share of one core the console used (its process CPU
// time over the wall time), the messages it decoded per second, its CPU time per message and the
// load as a share of a full 921600 bit/s line (above 1: more than such a line can carry).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "config/Configuration.h"
#include "desktop/DesktopSupport.h"
#include "desktop/MainWindow.h"
#include "protocol/FrameEncoder.h"
#include "serial/SerialPort.h"
#include "BenchSim.h"

namespace {

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Counts the bytes of the frames decoded, to tell the load against a full line.
class FrameBytes : public orv::DecodeObserver {
 public:
  void OnFrame(uint64_t, const uint8_t*, int length) override { bytes += static_cast<uint64_t>(length); }
  void OnSentence(uint64_t, const char*, int length, int) override { bytes += static_cast<uint64_t>(length); }
  uint64_t bytes = 0;
};

// range(0): 1 opens every window, 0 none (the cost of decoding and the main window alone).
void BM_DesktopFlood(benchmark::State& state) {
  std::string path;
  const pid_t sim = orvbench::StartSim({"--baud", "921600", "--rate-limit", "full"}, path);
  if (sim <= 0 || path.empty()) {
    state.SkipWithError("orvantis-sim is not available");
    if (sim > 0) kill(sim, SIGKILL), waitpid(sim, nullptr, 0);
    return;
  }
  orv::MainWindowOptions options;
  options.ports = [](orv::StreamDecoder* sink) { return std::make_unique<orv::SerialPort>(sink); };
  orv::MainWindow window(std::move(options));
  window.resize(1280, 900);
  window.show();
  window.commands().OpenMainPort(path, 921600);
  RunFor(100);  // the simulator sees the line's rate before the requests
  int windows = 0;
  if (state.range(0) != 0) {
    for (const orv::WindowEntry& w : orv::WindowTable()) {
      if (w.command == orv::kAuxTerminalCommand) continue;
      window.RunCommand(w.command);
    }
    for (QWidget* w : QApplication::topLevelWidgets()) windows += w->isVisible() && w != &window ? 1 : 0;
  }
  for (int m : {6, 7, 18, 19, 20, 21, 22, 23, 33, 47, 48, 49, 50, 111, 113}) {
    window.frame().encoder().SendRequest(m, orv::kContinuous);
  }
  RunFor(1500);  // the receiver starts its messages; the windows fill
  FrameBytes frameBytes;
  window.frame().mainDecoder().SetObserver(&frameBytes);
  const uint32_t messages0 = window.frame().mainDecoder().counters().validMessageCount;
  const double cpu0 = ProcessCpuSeconds();
  QElapsedTimer wall;
  wall.start();
  for (auto _ : state) RunFor(static_cast<int>(state.range(1)));
  const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
  const double cpu = ProcessCpuSeconds() - cpu0;
  const double messages = window.frame().mainDecoder().counters().validMessageCount - messages0;
  state.counters["core_share_pct"] = 100.0 * cpu / seconds;
  state.counters["messages_per_s"] = messages / seconds;
  state.counters["cpu_us_per_message"] = messages > 0 ? 1e6 * cpu / messages : 0.0;
  state.counters["windows"] = windows;
  // A 921600 bit/s line carries 92160 bytes a second (ten bits a byte).
  state.counters["line_load"] = static_cast<double>(frameBytes.bytes) / seconds / 92160.0;
  window.frame().mainDecoder().SetObserver(nullptr);
  window.frame().OnStop();
  kill(sim, SIGKILL);
  waitpid(sim, nullptr, 0);
}
BENCHMARK(BM_DesktopFlood)
    ->ArgNames({"windows", "ms"})
    ->Args({0, 10000})
    ->Args({1, 10000})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  orv::InstallFonts();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
