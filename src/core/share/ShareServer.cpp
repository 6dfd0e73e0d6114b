#include "share/ShareServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "share/GpsdRequest.h"
#include "util/Format.h"

namespace orv {

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
// What one client may send in one round before the others get their turn.
constexpr std::size_t kReadPerRound = 64 * 1024;

bool ParsePort(const std::string& text, uint16_t& port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long n = std::strtoul(text.c_str(), nullptr, 10);
  if (n > 65535) return false;
  port = static_cast<uint16_t>(n);
  return true;
}

bool ValidHost(const std::string& host) {
  in_addr a{};
  return ::inet_pton(AF_INET, host.c_str(), &a) == 1;
}

// A listening TCP socket on `at`; -1 with the reason in `error`.
int Listen(const ShareEndpoint& at, std::string& address, std::string& error) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(at.port);
  if (::inet_pton(AF_INET, at.host.c_str(), &sa.sin_addr) != 1) {
    error = "not an IPv4 address: " + at.host;
    return -1;
  }
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 64) != 0) {
    error = Format("cannot listen on %s:%u: %s", at.host.c_str(), at.port, std::strerror(errno));
    ::close(fd);
    return -1;
  }
  socklen_t len = sizeof sa;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  address = Format("%s:%u", at.host.c_str(), ntohs(sa.sin_port));
  return fd;
}

}  // namespace

std::optional<ShareEndpoint> ParseShareEndpoint(const std::string& text, uint16_t defaultPort) {
  ShareEndpoint e;
  e.port = defaultPort;
  const std::size_t colon = text.rfind(':');
  std::string host = colon == std::string::npos ? text : text.substr(0, colon);
  if (colon != std::string::npos) {
    if (!ParsePort(text.substr(colon + 1), e.port)) return std::nullopt;
  } else if (text.find_first_not_of("0123456789") == std::string::npos) {
    if (!ParsePort(text, e.port)) return std::nullopt;
    host.clear();
  }
  if (host == "localhost") host = "127.0.0.1";
  if (!host.empty()) {
    if (!ValidHost(host)) return std::nullopt;
    e.host = host;
  }
  return e;
}

ShareServer::ShareServer(ShareDevice device, ShareServerOptions options)
    : device_(std::move(device)), options_(options), ptyQueue_(options.queueBytes) {}

ShareServer::~ShareServer() { Close(); }

bool ShareServer::ListenGpsd(const ShareEndpoint& at, std::string& error) {
  if (gpsdListen_ >= 0) return true;
  gpsdListen_ = Listen(at, gpsdAddress_, error);
  return gpsdListen_ >= 0;
}

bool ShareServer::ListenNmea(const ShareEndpoint& at, std::string& error) {
  if (nmeaListen_ >= 0) return true;
  nmeaListen_ = Listen(at, nmeaAddress_, error);
  return nmeaListen_ >= 0;
}

bool ShareServer::OpenNmeaPty(std::string& error) {
  if (ptyMaster_ >= 0) return true;
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  const char* name = fd >= 0 && ::grantpt(fd) == 0 && ::unlockpt(fd) == 0 ? ::ptsname(fd) : nullptr;
  if (name == nullptr) {
    error = Format("no pseudo-terminal: %s", std::strerror(errno));
    if (fd >= 0) ::close(fd);
    return false;
  }
  // Raw, so that the consumer reads the sentences as they are sent (the master sets the
  // terminal's attributes for both sides).
  termios t{};
  if (::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
  }
  ptyMaster_ = fd;
  ptyPath_ = name;
  // A terminal whose other side was never opened does not report the hang-up that tells
  // "nobody reads": opening and closing it once puts it in that state.
  const int slave = ::open(ptyPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave >= 0) ::close(slave);
  return true;
}

void ShareServer::Close() {
  for (auto& c : clients_) ::close(c->fd);
  clients_.clear();
  for (int* fd : {&gpsdListen_, &nmeaListen_, &ptyMaster_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  gpsdAddress_.clear();
  nmeaAddress_.clear();
  ptyPath_.clear();
  ptyQueue_.Clear();
}

void ShareServer::Service(int timeoutMs) {
  Reap();  // those a report found too slow
  std::vector<pollfd> fds;
  fds.reserve(clients_.size() + 3);
  const int listeners[] = {gpsdListen_, nmeaListen_};
  for (int fd : listeners) {
    if (fd >= 0) fds.push_back({fd, POLLIN, 0});
  }
  const std::size_t ptyIndex = fds.size();
  if (ptyMaster_ >= 0) fds.push_back({ptyMaster_, static_cast<short>(POLLIN | (ptyQueue_.empty() ? 0 : POLLOUT)), 0});
  const std::size_t first = fds.size();
  for (const auto& c : clients_) fds.push_back({c->fd, static_cast<short>(POLLIN | (c->queue.empty() ? 0 : POLLOUT)), 0});
  if (fds.empty()) return;
  if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return;

  // Clients first: those accepted below are not in `fds`.
  const std::size_t known = clients_.size();
  for (std::size_t i = 0; i < known; ++i) {
    Client& c = *clients_[i];
    const short ev = fds[first + i].revents;
    if (ev & (POLLERR | POLLNVAL)) c.closing = true;
    if (!c.closing && (ev & (POLLIN | POLLHUP))) ReadFrom(c);
    if (!c.closing && (ev & POLLOUT)) Flush(c);
  }
  if (ptyMaster_ >= 0) {
    const short ev = fds[ptyIndex].revents;
    if (ev & POLLIN) {
      char sink[4096];  // what the consumer types goes nowhere
      while (::read(ptyMaster_, sink, sizeof sink) > 0) {
      }
    }
    if (ev & POLLHUP) {
      ptyQueue_.Clear();
    } else if (ev & POLLOUT) {
      WritePty(std::string());
    }
  }
  for (std::size_t i = 0; i < ptyIndex; ++i) {
    if (fds[i].revents & POLLIN) Accept(fds[i].fd, fds[i].fd == gpsdListen_);
  }
  Reap();
}

void ShareServer::Accept(int listenFd, bool gpsd) {
  for (;;) {
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // EAGAIN, or out of descriptors: the rest wait for the next round
    ++counters_.accepted;
    // The kernel's share of a client's backlog is bounded too, so that a client that never
    // reads is found out by its queue in seconds rather than after megabytes.
    const int sendBuffer = static_cast<int>(std::min<std::size_t>(options_.queueBytes, 64 * 1024));
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    clients_.push_back(std::make_unique<Client>(fd, gpsd, options_.queueBytes));
    if (gpsd) Send(*clients_.back(), VersionJson() + "\r\n");
  }
}

void ShareServer::ReadFrom(Client& c) {
  char buf[kReadChunk];
  std::size_t taken = 0;
  while (taken < kReadPerRound) {
    const ssize_t n = ::recv(c.fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      c.closing = true;
      return;
    }
    if (n < 0) return;
    taken += static_cast<std::size_t>(n);
    if (!c.gpsd) continue;  // an NMEA client has nothing to ask
    c.input.append(buf, static_cast<std::size_t>(n));
    std::size_t start = 0;
    for (std::size_t nl; (nl = c.input.find('\n', start)) != std::string::npos; start = nl + 1) {
      if (nl - start > options_.maxRequestLine) break;
      Answer(c, c.input.substr(start, nl - start));
      if (c.closing) return;
    }
    c.input.erase(0, start);
    const std::size_t nl = c.input.find('\n');
    if ((nl == std::string::npos ? c.input.size() : nl) > options_.maxRequestLine) {
      // No request is this long: say so once and hang up.
      const std::string e = ErrorJson("Request too long") + "\r\n";
      ::send(c.fd, e.data(), e.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
      ++counters_.droppedBadLine;
      c.closing = true;
      return;
    }
  }
}

void ShareServer::Answer(Client& c, const std::string& line) {
  for (const GpsdRequest& r : ParseGpsdLine(line)) {
    switch (r.command) {
      case GpsdCommand::kVersion: Send(c, VersionJson() + "\r\n"); break;
      case GpsdCommand::kDevices: Send(c, DevicesJson(device_) + "\r\n"); break;
      case GpsdCommand::kDevice: {
        const std::string devices = DevicesJson(device_);
        // The one DEVICE object inside the DEVICES list.
        const std::size_t open = devices.find("[{");
        Send(c, devices.substr(open + 1, devices.size() - open - 3) + "\r\n");
        break;
      }
      case GpsdCommand::kWatch:
        if (r.enable) c.watch = *r.enable;
        if (r.json) c.json = *r.json;
        if (r.nmea) c.nmea = *r.nmea;
        // Enabling with no say about the formats asks for JSON, as gpsd takes it.
        if (r.enable.value_or(false) && !r.json && !r.nmea) c.json = true;
        if (c.watch) Send(c, DevicesJson(device_) + "\r\n");
        Send(c, WatchJson(c.watch, c.json, c.nmea) + "\r\n");
        break;
      case GpsdCommand::kPoll: Send(c, PollJson(lastTpvTime_, lastTpv_, lastSky_) + "\r\n"); break;
      case GpsdCommand::kError:
        ++counters_.errorsAnswered;
        Send(c, ErrorJson(r.error) + "\r\n");
        break;
    }
  }
}

void ShareServer::Send(Client& c, const std::string& bytes) {
  if (c.closing || bytes.empty()) return;
  std::size_t sent = 0;
  if (c.queue.empty()) {
    const ssize_t n = ::send(c.fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      c.closing = true;
      return;
    }
    if (n > 0) sent = static_cast<std::size_t>(n);
  }
  if (sent < bytes.size() && !c.queue.Push(std::string_view(bytes).substr(sent))) {
    ++counters_.droppedSlow;
    c.closing = true;
  }
}

void ShareServer::Flush(Client& c) {
  while (!c.queue.empty()) {
    const std::string_view front = c.queue.Front();
    const ssize_t n = ::send(c.fd, front.data(), front.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) c.closing = true;
      return;
    }
    c.queue.Consume(static_cast<std::size_t>(n));
  }
}

void ShareServer::Reap() {
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                [](const std::unique_ptr<Client>& c) {
                                  if (!c->closing) return false;
                                  ::close(c->fd);
                                  return true;
                                }),
                 clients_.end());
}

void ShareServer::WritePty(const std::string& bytes) {
  if (ptyMaster_ < 0) return;
  // Nobody holds the terminal: what is written would wait there for the next reader.
  pollfd p{ptyMaster_, POLLOUT, 0};
  if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP)) {
    ptyQueue_.Clear();
    return;
  }
  if (!bytes.empty() && !ptyQueue_.Push(bytes)) {
    // A consumer that stopped reading loses the backlog, not the terminal.
    ptyQueue_.Clear();
    ptyQueue_.Push(bytes);
  }
  while (!ptyQueue_.empty()) {
    const std::string_view front = ptyQueue_.Front();
    const ssize_t n = ::write(ptyMaster_, front.data(), front.size());
    if (n <= 0) return;
    ptyQueue_.Consume(static_cast<std::size_t>(n));
  }
}

void ShareServer::OnTpv(const std::string& json, const std::string& time) {
  ++counters_.tpv;
  lastTpv_ = json;
  lastTpvTime_ = time;
  const std::string line = json + "\r\n";
  for (auto& c : clients_) {
    if (c->gpsd && c->watch && c->json) Send(*c, line);
  }
}

void ShareServer::OnSky(const std::string& json) {
  ++counters_.sky;
  lastSky_ = json;
  const std::string line = json + "\r\n";
  for (auto& c : clients_) {
    if (c->gpsd && c->watch && c->json) Send(*c, line);
  }
}

void ShareServer::OnNmea(const std::string& sentence) {
  if (sentence.empty()) return;
  ++counters_.nmea;
  for (auto& c : clients_) {
    if (!c->gpsd || (c->watch && c->nmea)) Send(*c, sentence);
  }
  WritePty(sentence);
}

}  // namespace orv
