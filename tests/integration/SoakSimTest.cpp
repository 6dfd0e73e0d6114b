// A long run against orvantis-sim at 921600 bit/s through a real pseudo-terminal: every message
// the receiver can send continuously is asked for, the frame's poll reads the line into the
// decoder and the data store while a recording runs. The recording must be a run of exactly
// what the simulator sent, no frame may fail, and the resident memory must stay flat.
// ORVANTIS_SOAK_MINUTES sets the length (ctest runs 4 seconds; `make soak MINUTES=N`).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "SimProcess.h"
#include "app/MainFrame.h"
#include "serial/SerialPort.h"
#include "support/FakeDesktop.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Resident set size of this process in KiB, from /proc; 0 when it cannot be read.
long ResidentKib() {
  std::ifstream in("/proc/self/statm");
  long size = 0, resident = 0;
  if (!(in >> size >> resident)) return 0;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

double SoakSeconds() {
  const char* env = std::getenv("ORVANTIS_SOAK_MINUTES");
  if (env == nullptr || *env == '\0') return 4.0;
  const double minutes = std::atof(env);
  return minutes > 0 ? minutes * 60.0 : 4.0;
}

TEST(SoakSim, EveryContinuousMessageAt921600IsDecodedAndRecordedAsSent) {
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  const fs::path dir = fs::temp_directory_path() / ("orv-soak-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path copy = dir / "sent.bin";
  const fs::path file = dir / "soak.log";
  const double seconds = SoakSeconds();
  {
    test::SimProcess sim({"--baud", "921600", "--sent-copy", copy.string()});
    ASSERT_FALSE(sim.path().empty()) << "orvantis-sim printed no device path";
    test::FakeDesktop desk;
    CMainFrame frame(desk, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
      return std::make_unique<SerialPort>(sink);
    });
    frame.config().SetMainPortName(sim.path());
    frame.ChangeMainBaud(921600);
    ASSERT_EQ(frame.state().mainPortOpen, 1u);
    desk.saveFileAnswer = file.string();
    frame.OnSaveMainPortData();  // the setup dialog cancelled: untimed
    ASSERT_EQ(frame.state().mainRecording, 1u);

    // 23 at 10 Hz; 41 asks for the fault log (57); 6 brings 7 with it.
    const std::vector<int> requests = {6, 18, 19, 20, 21, 22, 3023, 33, 45, 47, 48, 49, 50, 41, 65, 76, 111, 113};
    const std::vector<int> expected = {6, 7, 18, 19, 20, 21, 22, 23, 33, 45, 47, 48, 49, 50, 57, 65, 76, 111, 113};
    for (int code : requests) frame.encoder().SendRequest(code, kContinuous);

    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    long rssWarm = 0, rssStart = ResidentKib(), rssMax = 0;
    auto nextPoll = start;
    while (Clock::now() < end) {
      frame.OnTimer(kPollTimer);
      // Memory is measured once the store and buffers have been filled by the first messages.
      if (rssWarm == 0 && Clock::now() - start > std::chrono::milliseconds(static_cast<long>(std::min(60.0, seconds / 4) * 1000))) {
        rssWarm = ResidentKib();
      }
      rssMax = std::max(rssMax, ResidentKib());
      nextPoll += std::chrono::milliseconds(kSerialPollMs);
      std::this_thread::sleep_until(nextPoll);
    }
    const long rssEnd = ResidentKib();
    frame.OnSaveMainPortData();
    ASSERT_EQ(frame.state().mainRecording, 0u);
    const auto& c = frame.mainDecoder().counters();
    for (int id : expected) EXPECT_GT(c.messageCountById[id], 0u) << "message " << id;
    EXPECT_EQ(c.protocolErrorCount, 0u);
    const std::vector<uint8_t> recorded = ReadAll(file);
    sim.Kill();
    const std::vector<uint8_t> sent = ReadAll(copy);
    // The simulator's copy holds what it sent before the port was read (the answers to the
    // requests are queued first), so the recording lies inside it.
    ASSERT_GT(recorded.size(), 1000u);
    EXPECT_LE(recorded.size(), sent.size());
    EXPECT_TRUE(std::search(sent.begin(), sent.end(), recorded.begin(), recorded.end()) != sent.end())
        << "the recording is not a run of what the simulator sent";
    // Flat: after the warm-up the process may not grow by more than 2 MiB, however long the run.
    EXPECT_LE(rssEnd - rssWarm, 2048) << "RSS grew from " << rssWarm << " to " << rssEnd << " KiB";
    std::printf("soak: %.0f s, %zu bytes recorded (%zu sent), %u messages, %u protocol errors, "
                "RSS %ld KiB at start, %ld after warm-up, %ld at end, %ld at most\n",
                seconds, recorded.size(), sent.size(), c.validMessageCount, c.protocolErrorCount, rssStart, rssWarm,
                rssEnd, rssMax);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orv
