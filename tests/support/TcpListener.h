// A TCP peer for tests of network links: listens on 127.0.0.1, takes one client at a time,
// and sends, reads and closes as the test says. Nothing runs in the background.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orv::test {

class TcpListener {
 public:
  // port 0: any free port.
  explicit TcpListener(uint16_t port = 0) { Listen(port); }
  ~TcpListener() {
    CloseClient();
    CloseListener();
  }
  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  bool Listen(uint16_t port) {
    CloseListener();
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_ < 0) return false;
    const int one = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_, 4) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
      CloseListener();
      return false;
    }
    port_ = ntohs(a.sin_port);
    return true;
  }
  bool ok() const { return listen_ >= 0; }
  uint16_t port() const { return port_; }
  std::string name() const { return "tcp:127.0.0.1:" + std::to_string(port_); }
  bool hasClient() const { return client_ >= 0; }

  // Waits up to ms for a client (the one waiting in the backlog, if any).
  bool Accept(int ms) {
    if (listen_ < 0) return false;
    pollfd p{listen_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return false;
    CloseClient();
    client_ = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    return client_ >= 0;
  }
  bool Send(const std::vector<uint8_t>& bytes) {
    return client_ >= 0 && ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  // What the client sent within ms.
  std::vector<uint8_t> ReadFor(int ms) {
    std::vector<uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (client_ >= 0 && std::chrono::steady_clock::now() < end) {
      pollfd p{client_, POLLIN, 0};
      if (::poll(&p, 1, 5) <= 0) continue;
      uint8_t buf[4096];
      const ssize_t n = ::recv(client_, buf, sizeof buf, MSG_DONTWAIT);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }
  // What the client has sent so far, without waiting.
  std::vector<uint8_t> ReadAvailable() {
    std::vector<uint8_t> out;
    uint8_t buf[4096];
    ssize_t n = 0;
    while (client_ >= 0 && (n = ::recv(client_, buf, sizeof buf, MSG_DONTWAIT)) > 0) out.insert(out.end(), buf, buf + n);
    return out;
  }
  // An orderly close: what was sent is delivered, then the end of the stream; what the client
  // sent is read first, so that the close is not a reset.
  void CloseClient() {
    if (client_ < 0) return;
    ::shutdown(client_, SHUT_WR);
    uint8_t buf[4096];
    while (::recv(client_, buf, sizeof buf, MSG_DONTWAIT) > 0) {
    }
    ::close(client_);
    client_ = -1;
  }
  void CloseListener() {
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
  }

 private:
  int listen_ = -1;
  int client_ = -1;
  uint16_t port_ = 0;
};

}  // namespace orv::test
