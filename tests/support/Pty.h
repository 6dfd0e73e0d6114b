// A pseudo-terminal pair for tests: the master stays with the test, the slave path is what a
// serial port opens.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orv::test {

class PtyMaster {
 public:
  PtyMaster() {
    fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 || ::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0) return;
    const char* name = ::ptsname(fd_);
    if (name != nullptr) slavePath_ = name;
  }
  ~PtyMaster() { CloseMaster(); }
  PtyMaster(const PtyMaster&) = delete;
  PtyMaster& operator=(const PtyMaster&) = delete;

  bool ok() const { return fd_ >= 0 && !slavePath_.empty(); }
  int fd() const { return fd_; }
  const std::string& slavePath() const { return slavePath_; }
  void CloseMaster() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool Write(const std::vector<uint8_t>& bytes) {
    return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // Everything the slave side wrote within `ms` milliseconds of quiet.
  std::vector<uint8_t> ReadFor(int ms) {
    std::vector<uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0 || (p.revents & POLLIN) == 0) continue;
      uint8_t buf[4096];
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n > 0) out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

 private:
  int fd_ = -1;
  std::string slavePath_;
};

}  // namespace orv::test
