// What the console core takes in from a receiver: orvantis-sim at 921600 bit/s with its rate
// limit off streams every continuous message it has, and the main frame's poll moves the bytes
// through the real serial port into the decoder and data store, one poll event per iteration.
// Reported: bytes per second of wall time, its ratio to the 92160 bytes/s of a 921600 bit/s
// line, and bytes per second of the console thread's own CPU time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "app/MainFrame.h"
#include "serial/SerialPort.h"
#include "BenchSim.h"

namespace {

constexpr double kLineBytesPerSecond = 921600 / 10.0;

class QuietDesktop : public orv::Desktop {
 public:
  uint32_t SetTimer(int id, uint32_t) override { return static_cast<uint32_t>(id); }
  void KillTimer(int) override {}
  void MessageBox(const std::string&, const std::string&, orv::MessageIcon) override {}
  void SetTitle(const std::string&) override {}
  void RefreshMenus() override {}
  std::string PaneText(int id) const override {
    auto it = panes_.find(id);
    return it == panes_.end() ? std::string() : it->second;
  }
  void SetPaneText(int id, const std::string& text) override { panes_[id] = text; }

 private:
  std::map<int, std::string> panes_;
};

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_SimIngest(benchmark::State& state) {
  std::string path;
  const pid_t sim = orvbench::StartSim({"--baud", "921600", "--rate-limit", "off"}, path);
  if (sim <= 0 || path.empty()) {
    state.SkipWithError("orvantis-sim is not available");
    if (sim > 0) kill(sim, SIGKILL), waitpid(sim, nullptr, 0);
    return;
  }
  QuietDesktop desk;
  orv::CMainFrame frame(desk, [](orv::StreamDecoder* sink) -> std::unique_ptr<orv::PortChannel> {
    return std::make_unique<orv::SerialPort>(sink);
  });
  frame.config().SetMainPortName(path);
  frame.ChangeMainBaud(921600);
  usleep(50000);  // let the simulator see the line's rate before the requests
  for (int m : {6, 18, 19, 20, 21, 22, 33, 47, 48, 49, 50, 111, 113}) frame.encoder().SendRequest(m, orv::kContinuous);
  frame.encoder().SendRequest(3023, orv::kContinuous);
  for (int i = 0; i < 50; ++i) frame.OnTimer(orv::kPollTimer);  // warm up

  uint64_t bytes = 0;
  const auto wall0 = std::chrono::steady_clock::now();
  const double cpu0 = ThreadCpuSeconds();
  for (auto _ : state) {
    frame.OnTimer(orv::kPollTimer);
    bytes += frame.state().lastMainCount;
  }
  const double cpu = ThreadCpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  const auto& counters = frame.mainDecoder().counters();
  const double perSecond = wall > 0 ? static_cast<double>(bytes) / wall : 0.0;
  state.counters["bytes_per_s"] = perSecond;
  state.counters["line_ratio"] = perSecond / kLineBytesPerSecond;
  state.counters["bytes_per_cpu_s"] = cpu > 0 ? static_cast<double>(bytes) / cpu : 0.0;
  state.counters["messages"] = static_cast<double>(counters.validMessageCount);
  state.counters["errors"] = static_cast<double>(counters.protocolErrorCount);
  frame.OnStop();
  kill(sim, SIGKILL);
  waitpid(sim, nullptr, 0);
}
BENCHMARK(BM_SimIngest)->UseRealTime()->MinTime(3.0)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
