// The termios serial device. Exclusivity takes two locks: TIOCEXCL stops other programs that
// are not privileged, and an flock stops a second open by anyone who honours it, root and this
// process included (root is not stopped by TIOCEXCL).
#include "platform/PosixSerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace orv {

namespace {

struct SpeedEntry {
  uint32_t baud;
  speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
};

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

tcflag_t SizeFlag(uint8_t dataBits) {
  switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

void SetParity(termios& t, Parity parity) {
  t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
  switch (parity) {
    case Parity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: t.c_cflag |= PARENB; break;
    case Parity::Mark: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case Parity::Space: t.c_cflag |= PARENB | CMSPAR; break;
    case Parity::None: break;
  }
}

}  // namespace

PosixSerialDevice::~PosixSerialDevice() { Close(); }

std::optional<speed_t> PosixSerialDevice::SpeedFor(uint32_t baud) {
  for (const SpeedEntry& e : kSpeeds) {
    if (e.baud == baud) return e.speed;
  }
  return std::nullopt;
}

uint32_t PosixSerialDevice::BaudFor(speed_t speed) {
  for (const SpeedEntry& e : kSpeeds) {
    if (e.speed == speed) return e.baud;
  }
  return 0;
}

std::optional<termios> PosixSerialDevice::MakeAttributes(const termios& base, const LineSettings& settings) {
  const std::optional<speed_t> speed = SpeedFor(settings.baud);
  if (!speed) return std::nullopt;
  termios t = base;
  cfmakeraw(&t);
  // cfmakeraw leaves input flow control and parity checking alone; a raw line has neither.
  t.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY | INPCK);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB);
  t.c_cflag |= SizeFlag(settings.dataBits) | CREAD | CLOCAL | HUPCL;
  SetParity(t, settings.parity);
  if (settings.stopBitsCode == 2) t.c_cflag |= CSTOPB;
  if (settings.flowControl == kFlowNone) t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  if (settings.flowControl == kFlowHardware) t.c_cflag |= CRTSCTS;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, *speed);
  cfsetospeed(&t, *speed);
  return t;
}

bool PosixSerialDevice::Open(const std::string& path) {
  Close();
  lastError_.clear();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    lastError_ = std::strerror(errno);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    lastError_ = errno == EWOULDBLOCK ? "the device is in use by another program" : std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (::isatty(fd) == 1) ::ioctl(fd, TIOCEXCL);
  fd_ = fd;
  lastApplied_.reset();
  return true;
}

bool PosixSerialDevice::ApplySettings(const LineSettings& settings) {
  if (fd_ < 0) return false;
  termios current{};
  if (::tcgetattr(fd_, &current) != 0) {
    lastError_ = std::string("not a serial line: ") + std::strerror(errno);
    return false;
  }
  const std::optional<termios> wanted = MakeAttributes(current, settings);
  if (!wanted) {
    lastError_ = std::to_string(settings.baud) + " bit/s is not a rate this device can be set to";
    return false;
  }
  lastApplied_ = wanted;
  if (::tcsetattr(fd_, TCSANOW, &*wanted) != 0) {
    lastError_ = std::string("the line settings were refused: ") + std::strerror(errno);
    return false;
  }
  lastError_.clear();
  baud_ = settings.baud;
  return true;
}

bool PosixSerialDevice::Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) {
  bytesRead = 0;
  if (fd_ < 0) return false;
  if (maxBytes == 0) return true;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, maxBytes);
    if (n >= 0) {
      bytesRead = static_cast<uint32_t>(n);
      return true;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
    lastError_ = std::strerror(errno);
    return false;
  }
}

int PosixSerialDevice::WriteBudgetMs(uint32_t count) const {
  const uint64_t lineMs = baud_ == 0 ? 0 : uint64_t{count} * 10 * 1000 / baud_;
  return static_cast<int>(2 * lineMs + 5000);
}

bool PosixSerialDevice::Write(const uint8_t* bytes, uint32_t count, uint32_t& bytesWritten) {
  bytesWritten = 0;
  if (fd_ < 0) return false;
  const int64_t deadline = NowMs() + WriteBudgetMs(count);
  while (bytesWritten < count) {
    const ssize_t n = ::write(fd_, bytes + bytesWritten, count - bytesWritten);
    if (n > 0) {
      bytesWritten += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    // The driver's queue is full: wait for room, but never past the budget.
    const int64_t left = deadline - NowMs();
    pollfd p{fd_, POLLOUT, 0};
    const int r = left > 0 ? ::poll(&p, 1, static_cast<int>(left)) : 0;
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      ::tcflush(fd_, TCOFLUSH);
      return false;
    }
  }
  return WaitUntilSent(deadline);
}

bool PosixSerialDevice::WaitUntilSent(int64_t deadlineMs) {
  // tcdrain alone could wait for ever on a line held by flow control, so watch the output
  // queue drain first and only then let tcdrain wait for the last character.
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
    if (NowMs() >= deadlineMs) {
      ::tcflush(fd_, TCOFLUSH);
      return false;
    }
    const int64_t sendMs = baud_ == 0 ? 1 : int64_t{queued} * 10 * 1000 / baud_;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp<int64_t>(sendMs, 1, 20)));
  }
  return ::tcdrain(fd_) == 0 || errno == ENOTTY;
}

void PosixSerialDevice::SetRts(bool on) {
  if (fd_ < 0) return;
  int bits = TIOCM_RTS;
  ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);
}

void PosixSerialDevice::SetDtr(bool on) {
  if (fd_ < 0) return;
  int bits = TIOCM_DTR;
  ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);
}

void PosixSerialDevice::Purge() {
  // Only the input: a write returns when its bytes are sent, or flushes them itself when it
  // gives up, so nothing of ours waits to go out. On a pseudo-terminal, flushing the output
  // would also throw away what the peer has not read yet, a command sent just before a close.
  if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

void PosixSerialDevice::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (::isatty(fd) == 1) ::ioctl(fd, TIOCNXCL);
  ::close(fd);
}

bool PosixSerialDevice::HungUp() const {
  if (fd_ < 0) return true;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) < 0) return false;
  return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace orv
