// Starting and stopping the simulator. The child asks to be killed with its parent, so a test
// binary that dies does not leave simulators behind.
#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace orv::test {

bool SimProcess::Available() {
#ifdef ORVANTIS_SIM_PATH
  return ::access(ORVANTIS_SIM_PATH, X_OK) == 0;
#else
  return false;
#endif
}

SimProcess::SimProcess(const std::vector<std::string>& args) {
#ifdef ORVANTIS_SIM_PATH
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return;
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(out[1], STDOUT_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(ORVANTIS_SIM_PATH));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(ORVANTIS_SIM_PATH, argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  if (pid_ < 0) {
    ::close(out[0]);
    return;
  }
  // The first line is the device path; give the simulator two seconds to print it.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::string line;
  while (std::chrono::steady_clock::now() < end && line.find('\n') == std::string::npos) {
    pollfd p{out[0], POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char buf[256];
    const ssize_t n = ::read(out[0], buf, sizeof buf);
    if (n <= 0) break;
    line.append(buf, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  const std::size_t nl = line.find('\n');
  if (nl != std::string::npos) path_ = line.substr(0, nl);
#else
  (void)args;
#endif
}

void SimProcess::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

void SimProcess::Signal(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
}

SimProcess::~SimProcess() { Kill(); }

}  // namespace orv::test
