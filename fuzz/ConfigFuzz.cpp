// The configuration file loaded through the frame's commands, and the windows it marks open
// reopened by running the commands it posts. Whatever the file holds, no window may open off
// the screen or at no size, and no field the console uses may keep an impossible value; a file
// of any other length than one record gives the defaults and opens nothing.
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "config/ConfigurationRanges.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace orv;
  const std::string& path = fuzz::ScratchPath("Orvantis.cfg");
  if (!fuzz::WriteScratch(path, data, size)) return 0;
  const ScreenRect screen{0, 0, 1280, 1024};
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); });
  test::FakeShellHost host;
  FrameCommands commands(frame, host);
  commands.LoadConfiguration(path, screen);
  const Configuration& c = frame.config();
  if (size != kConfigurationSize) {
    FUZZ_CHECK(host.posted.empty(), "a %zu-byte file reopened %zu windows", size, host.posted.size());
    Configuration defaults;
    defaults.SetDefaults();
    FUZZ_CHECK(c.mainBaudRate() == defaults.mainBaudRate() && c.playbackBytesPerTick() == defaults.playbackBytesPerTick(),
               "a %zu-byte file was loaded", size);
  }
  const std::vector<int> posted = host.posted;
  for (int command : posted) commands.OnCommand(command);
  for (const auto& [command, r] : host.rects) {
    FUZZ_CHECK(r.left >= screen.left && r.top >= screen.top && r.right <= screen.right && r.bottom <= screen.bottom &&
                   r.left < r.right && r.top < r.bottom,
               "window %d at %d,%d,%d,%d", command, r.left, r.top, r.right, r.bottom);
  }
  FUZZ_CHECK(IsOfferedBaudRate(c.mainBaudRate()), "main rate %d", c.mainBaudRate());
  FUZZ_CHECK(IsOfferedBaudRate(c.outputBaudRate()), "output rate %d", c.outputBaudRate());
  FUZZ_CHECK(c.protocolSelector() == 0 || c.protocolSelector() == 1, "protocol %d", c.protocolSelector());
  FUZZ_CHECK(c.playbackBytesPerTick() >= 1 && c.playbackBytesPerTick() <= 5000, "rate %d", c.playbackBytesPerTick());
  FUZZ_CHECK(frame.mainDecoder().flags().protocolSelector == static_cast<uint32_t>(c.protocolSelector()),
             "decoder and record disagree on the protocol");
  return 0;
}
