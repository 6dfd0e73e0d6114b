// The TCP link: a non-blocking socket whose connection completes in the background.
#include "platform/TcpDevice.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace orv {

namespace {

constexpr int kWriteBudgetMs = 5000;

std::atomic<TcpDevice::Lookup> lookupFunction{&::getaddrinfo};

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool IsTcpName(const std::string& name) {
  if (name.size() < 4) return false;
  for (int i = 0; i < 3; ++i) {
    const char c = static_cast<char>(name[static_cast<std::size_t>(i)] | 0x20);
    if (c != kTcpPrefix[i]) return false;
  }
  return name[3] == ':';
}

bool ParseTcpName(const std::string& name, std::string& host, uint16_t& port) {
  if (!IsTcpName(name)) return false;
  const std::string rest = name.substr(4);
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string h = rest.substr(0, colon);
  const std::string p = rest.substr(colon + 1);
  if (h.size() >= 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
  if (h.empty() || p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long n = std::stoul(p);
  if (n == 0 || n > 65535) return false;
  host = h;
  port = static_cast<uint16_t>(n);
  return true;
}

// A lookup on its thread, shared by the thread and the device: a device closed before the
// lookup ends lets go of it, and the thread frees what it found.
struct TcpDevice::PendingLookup {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  int rc = 0;
  addrinfo* found = nullptr;
  ~PendingLookup() {
    if (found != nullptr) ::freeaddrinfo(found);
  }
};

void TcpDevice::SetLookupForTest(Lookup lookup) { lookupFunction = lookup != nullptr ? lookup : &::getaddrinfo; }

TcpDevice::~TcpDevice() { Close(); }

void TcpDevice::Fail(const std::string& reason) {
  lastError_ = reason;
  Close();
}

bool TcpDevice::Open(const std::string& path) {
  Close();
  lastError_.clear();
  std::string host;
  uint16_t port = 0;
  if (!ParseTcpName(path, host, port)) {
    lastError_ = "not a network port name (tcp:HOST:PORT)";
    return false;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | AI_NUMERICHOST;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  // An address needs no name server: it is taken at once.
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0 && found != nullptr) {
    Connect(found);
    ::freeaddrinfo(found);
    if (fd_ < 0) return false;
    lastError_.clear();
    return true;
  }
  hints.ai_flags = AI_NUMERICSERV;
  auto pending = std::make_shared<PendingLookup>();
  const Lookup lookup = lookupFunction;
  try {
    std::thread([pending, host, service, hints, lookup] {
      addrinfo* result = nullptr;
      const int rc = lookup(host.c_str(), service.c_str(), &hints, &result);
      const std::lock_guard<std::mutex> hold(pending->mutex);
      pending->rc = rc;
      pending->found = result;
      pending->done = true;
      pending->ended.notify_all();
    }).detach();
  } catch (const std::system_error& e) {
    lastError_ = std::string("cannot look the host up: ") + e.what();
    return false;
  }
  lookup_ = std::move(pending);
  connecting_ = true;
  return true;
}

void TcpDevice::Connect(const addrinfo* found) {
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      lastError_ = std::strerror(errno);
      continue;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const int connected = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (connected == 0 || errno == EINPROGRESS) {
      fd_ = fd;
      connecting_ = connected != 0;
      break;
    }
    lastError_ = std::strerror(errno);
    ::close(fd);
  }
}

void TcpDevice::Settle(int timeoutMs) {
  if (lookup_ != nullptr) {
    const int64_t start = NowMs();
    addrinfo* found = nullptr;
    int rc = 0;
    {
      std::unique_lock<std::mutex> hold(lookup_->mutex);
      if (!lookup_->ended.wait_for(hold, std::chrono::milliseconds(std::max(0, timeoutMs)),
                                   [this] { return lookup_->done; })) {
        return;
      }
      rc = lookup_->rc;
      found = std::exchange(lookup_->found, nullptr);
    }
    lookup_.reset();
    if (rc != 0 || found == nullptr) {
      if (found != nullptr) ::freeaddrinfo(found);
      Fail(std::string("unknown host: ") + ::gai_strerror(rc != 0 ? rc : EAI_NONAME));
      return;
    }
    lastError_.clear();
    Connect(found);
    ::freeaddrinfo(found);
    if (fd_ < 0) {
      connecting_ = false;
      return;
    }
    if (!connecting_) return;
    timeoutMs = static_cast<int>(std::max<int64_t>(0, timeoutMs - (NowMs() - start)));
  }
  if (fd_ < 0 || !connecting_) return;
  pollfd p{fd_, POLLOUT, 0};
  const int r = ::poll(&p, 1, timeoutMs);
  if (r == 0) return;
  if (r < 0) {
    if (errno != EINTR) Fail(std::strerror(errno));
    return;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  connecting_ = false;
  if (error != 0) Fail(std::strerror(error));
}

bool TcpDevice::Connecting() {
  Settle(0);
  return IsHandleValid() && connecting_;
}

bool TcpDevice::WaitConnected(int timeoutMs) {
  const int64_t end = NowMs() + timeoutMs;
  while (IsHandleValid() && connecting_) {
    const int64_t left = end - NowMs();
    if (left <= 0) {
      Fail("no connection within " + std::to_string(timeoutMs / 1000) + " s");
      break;
    }
    Settle(static_cast<int>(left));
  }
  return fd_ >= 0;
}

bool TcpDevice::ApplySettings(const LineSettings& settings) {
  if (!IsHandleValid()) return false;
  settings_ = settings;
  return true;
}

bool TcpDevice::Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) {
  bytesRead = 0;
  if (!IsHandleValid()) return false;
  if (Connecting()) return true;
  if (fd_ < 0) return false;
  if (maxBytes == 0) return true;
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, maxBytes, MSG_DONTWAIT);
    if (n > 0) {
      bytesRead = static_cast<uint32_t>(n);
      return true;
    }
    if (n == 0) {
      lastError_ = "the connection was closed by the other end";
      return false;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
    lastError_ = std::strerror(errno);
    return false;
  }
}

bool TcpDevice::Write(const uint8_t* bytes, uint32_t count, uint32_t& bytesWritten) {
  bytesWritten = 0;
  if (!IsHandleValid()) return false;
  // Bytes for a connection still being made wait for it, within the same budget.
  const int64_t deadline = NowMs() + kWriteBudgetMs;
  while (bytesWritten < count) {
    if (connecting_) {
      Settle(static_cast<int>(std::max<int64_t>(0, deadline - NowMs())));
      if (fd_ < 0) return false;
      if (connecting_) return false;
    }
    const ssize_t n = ::send(fd_, bytes + bytesWritten, count - bytesWritten, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      bytesWritten += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      lastError_ = std::strerror(errno);
      return false;
    }
    const int64_t left = deadline - NowMs();
    pollfd p{fd_, POLLOUT, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || (p.revents & (POLLERR | POLLHUP)) != 0) return false;
  }
  return true;
}

void TcpDevice::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  connecting_ = false;
  lookup_.reset();
}

}  // namespace orv
