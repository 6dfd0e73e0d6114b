// The pseudo-terminal loop. poll on the master reports POLLHUP while no one holds the slave;
// bytes written then would wait in the terminal and greet the console's next open, so output
// made while nobody listens (or at the wrong rate) is thrown away instead.
#include "sim/SimHost.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

#include "platform/PosixSerialDevice.h"

namespace orv::sim {

namespace {

double WallSeconds() {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return duration<double>(steady_clock::now() - start).count();
}

constexpr int kIdleMs = 10;

}  // namespace

SimHost::SimHost(const HostOptions& options) : options_(options), receiver_(options.receiver) {}

SimHost::~SimHost() {
  if (master_ >= 0) ::close(master_);
  if (sentCopy_ >= 0) ::close(sentCopy_);
}

bool SimHost::Open() {
  if (!options_.sentCopyPath.empty()) {
    sentCopy_ = ::open(options_.sentCopyPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (sentCopy_ < 0) return false;
  }
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return false;
  const char* name = ::ptsname(master_);
  if (name == nullptr) return false;
  consolePath_ = name;
  return true;
}

bool SimHost::ConsoleConnected() const {
  pollfd p{master_, POLLIN, 0};
  if (::poll(&p, 1, 0) < 0) return false;
  return (p.revents & POLLHUP) == 0;
}

uint32_t SimHost::ConsoleBaud() const {
  // On the master, tcgetattr reports the slave's settings: the rate the console set.
  termios t{};
  if (::tcgetattr(master_, &t) != 0) return 0;
  return PosixSerialDevice::BaudFor(cfgetospeed(&t));
}

void SimHost::DrainInput(bool talking, double simNow) {
  uint8_t buf[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) return;
    if (talking) receiver_.Receive(buf, static_cast<std::size_t>(n), simNow);
  }
}

void SimHost::WriteOutput(double wallNow) {
  const std::vector<uint8_t>& out = receiver_.output();
  std::size_t allowed = out.size();
  if (options_.rateLimit) {
    const double bytesPerSecond = receiver_.baud() / 10.0;
    tokens_ = std::min(tokens_ + (wallNow - lastRefill_) * bytesPerSecond, std::max(16.0, bytesPerSecond * 0.05));
    allowed = std::min(allowed, static_cast<std::size_t>(tokens_));
  }
  lastRefill_ = wallNow;
  if (allowed == 0) return;
  const ssize_t n = ::write(master_, out.data(), std::min<std::size_t>(allowed, 65536));
  if (n <= 0) return;
  CopySent(out.data(), static_cast<std::size_t>(n));
  receiver_.Consume(static_cast<std::size_t>(n));
  if (options_.rateLimit) tokens_ -= static_cast<double>(n);
}

void SimHost::CopySent(const uint8_t* bytes, std::size_t n) {
  std::size_t done = 0;
  while (sentCopy_ >= 0 && done < n) {
    const ssize_t k = ::write(sentCopy_, bytes + done, n - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return;
    done += static_cast<std::size_t>(k);
  }
}

void SimHost::Wait(int timeoutMs, bool wantWrite) {
  pollfd p{master_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0};
  ::poll(&p, 1, timeoutMs);
}

int SimHost::Run(const volatile std::sig_atomic_t* stop) {
  double offset = 0;  // how far the receiver's clock ran ahead of the wall clock
  while (*stop == 0) {
    const double wall = WallSeconds();
    double simNow = wall + offset;
    const bool connected = ConsoleConnected();
    const uint32_t rate = ConsoleBaud();
    if (!connected) {
      // Nobody to hear what falls due now, nor what was left unsent.
      receiver_.Advance(simNow);
      receiver_.DiscardOutput();
      lastRefill_ = wall;
    }
    // Input is heard when the console's rate matched ours now or when last looked at: a
    // command sent just before the console closes and reopens at another rate (a protocol
    // switch) must not be lost to the moment this loop happens to look. The terminal keeps its
    // settings between opens, so this holds while nobody is connected too. Answers stay queued
    // for one round, for a console that reopened meanwhile.
    DrainInput(rate == receiver_.baud() || lastRate_ == receiver_.baud(), simNow);
    lastRate_ = rate;
    if (!connected) {
      ::usleep(kIdleMs * 1000);
      continue;
    }
    const bool talking = rate == receiver_.baud();
    if ((!options_.rateLimit || options_.fillLine) && talking && receiver_.output().empty()) {
      const double due = receiver_.NextDue();
      if (due > simNow && due != kNever) {
        offset += due - simNow;
        simNow = due;
      }
    }
    receiver_.Advance(simNow);
    // A transfer may have moved the receiver to the console's rate (or away from it) just now.
    if (rate != receiver_.baud()) {
      receiver_.DiscardOutput();
      lastRefill_ = wall;
      Wait(kIdleMs, false);
      continue;
    }
    WriteOutput(wall);
    receiver_.OnOutputSent();
    const bool pending = !receiver_.output().empty();
    if (pending && !options_.rateLimit) {
      Wait(kIdleMs, true);
    } else if (pending) {
      Wait(2, false);
    } else if (options_.rateLimit || receiver_.NextDue() == kNever) {
      const double untilDue = receiver_.NextDue() - simNow;
      Wait(static_cast<int>(std::clamp(untilDue * 1000.0, 1.0, double{kIdleMs})), false);
    }
    // Rate limit off with outputs scheduled: straight on to the next one.
  }
  return 0;
}

}  // namespace orv::sim
