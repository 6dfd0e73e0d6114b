// Reading a port through losses of its device.
#include "PortLink.h"

#include <chrono>
#include <cstdio>

namespace orv::cli {

namespace {
int64_t NowMs() {
  using namespace std::chrono;
  return static_cast<int64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

bool ParseReconnectFlag(const std::string& arg, bool& on) {
  if (arg == "--reconnect") {
    on = true;
    return true;
  }
  if (arg == "--no-reconnect") {
    on = false;
    return true;
  }
  return false;
}

PortLink::PortLink(const char* command, std::string portName, bool reconnect)
    : command_(command), name_(std::move(portName)), reconnectOn_(reconnect) {}

bool PortLink::Open(uint32_t baud) {
  if (port_.Open(name_, baud, 'N', 8, 1)) return true;
  std::fprintf(stderr, "orvantis-cli %s: cannot open port '%s' at %u bit/s: %s\n", command_, name_.c_str(), baud,
               port_.OpenError().c_str());
  return false;
}

bool PortLink::TakeReconnected() {
  const bool r = reconnected_;
  reconnected_ = false;
  return r;
}

PortLink::ReadResult PortLink::Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& count) {
  count = 0;
  if (reconnect_.lost()) {
    if (reconnect_.Step(NowMs()) != PortReconnect::Event::Reconnected) return ReadResult::Idle;
    ++reconnects_;
    reconnected_ = true;
    std::fprintf(stderr, "orvantis-cli %s: the port '%s' is back\n", command_, name_.c_str());
  }
  if (port_.Read(buffer, maxBytes, count)) return count > 0 ? ReadResult::Data : ReadResult::Idle;
  count = 0;
  if (!reconnectOn_) {
    std::fprintf(stderr, "orvantis-cli %s: the port '%s' was lost (%s)\n", command_, name_.c_str(),
                 port_.OpenError().c_str());
    return ReadResult::Ended;
  }
  if (reconnect_.Step(NowMs()) == PortReconnect::Event::Lost) {
    ++losses_;
    std::fprintf(stderr, "orvantis-cli %s: the port '%s' was lost (%s); waiting for it to come back\n", command_,
                 name_.c_str(), port_.OpenError().c_str());
  }
  return ReadResult::Idle;
}

}  // namespace orv::cli
