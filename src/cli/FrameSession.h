// The console's main frame without a screen, on a receiver's port, for the commands that send a
// request and wait for its answer (memory, files): the port opened at the receiver's rate, and
// the frame's poll run on the wall clock until the answer is in.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "HeadlessDesktop.h"
#include "Options.h"
#include "app/MainFrame.h"
#include "serial/SerialPort.h"

namespace orv::cli {

class FrameSession {
 public:
  static constexpr int kPollMs = 20;

  explicit FrameSession(const char* command)
      : command_(command), frame_(desk_, [](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
          return std::make_unique<SerialPort>(sink);
        }) {}

  // Opens the port; false after a message on standard error.
  bool Open(const std::string& port, uint32_t baud) {
    frame_.config().SetMainPortName(port);
    frame_.ChangeMainBaud(baud);
    if (frame_.mainPort().IsOpen()) return true;
    std::fprintf(stderr, "orvantis-cli %s: cannot open port '%s': %s\n", command_, port.c_str(),
                 frame_.mainPort().OpenError().c_str());
    return false;
  }

  // Polls until done() holds; false when it did not within ms or the port went away.
  template <typename Done>
  bool PollUntil(Done done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      frame_.OnTimer(kPollTimer);
      if (done()) return true;
      if (!frame_.mainPort().IsOpen()) return false;
    }
    return false;
  }

  CMainFrame& frame() { return frame_; }
  ReceiverDataStore& store() { return frame_.mainDecoder().store(); }

 private:
  const char* command_;
  HeadlessDesktop desk_;
  CMainFrame frame_;
};

}  // namespace orv::cli
