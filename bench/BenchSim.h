// Starts orvantis-sim for a benchmark: its first output line names the pseudo-terminal the
// console opens.
#pragma once

#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace orvbench {

// Returns the simulator's pid (or -1) and puts the device path in `path`.
inline pid_t StartSim(const std::vector<std::string>& args, std::string& path) {
#ifdef ORVANTIS_SIM_PATH
  int out[2];
  if (pipe(out) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    std::vector<char*> argv{const_cast<char*>(ORVANTIS_SIM_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(ORVANTIS_SIM_PATH, argv.data());
    _exit(127);
  }
  close(out[1]);
  char buf[256];
  std::string line;
  pollfd p{out[0], POLLIN, 0};
  while (line.find('\n') == std::string::npos && poll(&p, 1, 2000) > 0) {
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n <= 0) break;
    line.append(buf, static_cast<std::size_t>(n));
  }
  close(out[0]);
  path = line.substr(0, line.find('\n'));
  return pid;
#else
  (void)args;
  (void)path;
  return -1;
#endif
}

}  // namespace orvbench
