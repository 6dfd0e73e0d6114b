// The log file check and playback through the main frame's timer, in both protocols. A file
// the check accepts must start playing at the first frame start (0x01, an ID and its
// complement) within the first 10000 bytes, or in NMEA mode at a '$'; one it refuses must have
// none there. Playback must end within one tick per block of the rate, plus the empty read.
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "app/MainFrame.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"

namespace {

using namespace orv;

// The first frame start the decoder would find, or -1.
long FirstFrameStart(const uint8_t* d, std::size_t n) {
  for (std::size_t i = 0; i + 2 < n; ++i) {
    if (d[i] == 0x01 && d[i + 2] == static_cast<uint8_t>(~d[i + 1])) return static_cast<long>(i);
  }
  return -1;
}

void Play(const uint8_t* data, std::size_t size, const std::string& path, int protocol) {
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); });
  frame.config().SetProtocolSelector(protocol);
  frame.mainDecoder().SetProtocolSelector(static_cast<uint32_t>(protocol));
  desk.openFileAnswer = path;
  frame.OnOpenLogFile();
  const bool accepted = frame.state().playbackActive != 0;
  if (protocol == 1) {
    const long first = FirstFrameStart(data, size);
    const bool expected = first >= 0 && first <= LogFile::kCheckLimit;
    FUZZ_CHECK(accepted == expected, "accepted %d, first frame start %ld", accepted, first);
    if (accepted) FUZZ_CHECK(frame.playbackReader().Position() == first, "starts at %lld, not %ld",
                             (long long)frame.playbackReader().Position(), first);
  }
  FUZZ_CHECK(accepted || desk.boxes.size() == 1, "refused with %zu messages", desk.boxes.size());
  if (!accepted) return;
  const int64_t start = frame.playbackReader().Position();
  if (protocol == 0) FUZZ_CHECK(data[start] == '$', "NMEA playback starts at 0x%02X", data[start]);
  const int64_t rate = frame.config().playbackBytesPerTick();
  const int64_t expectedTicks = (static_cast<int64_t>(size) - start + rate - 1) / rate + 1;
  int64_t ticks = 0;
  while (frame.state().playbackActive && ticks <= expectedTicks) {
    frame.OnTimer(kPollTimer);
    ++ticks;
  }
  FUZZ_CHECK(!frame.state().playbackActive, "still playing after %lld ticks (%lld expected)", (long long)ticks,
             (long long)expectedTicks);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string& path = fuzz::ScratchPath("playback.log");
  if (!fuzz::WriteScratch(path, data, size)) return 0;
  Play(data, size, path, 1);
  Play(data, size, path, 0);
  return 0;
}
