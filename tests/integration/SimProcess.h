// Runs orvantis-sim for a test: starts it with the given options, reads the device path it
// prints, and kills it when the test ends, whatever happened in between.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orv::test {

class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The path of the console's side of the pseudo-terminal; empty when the simulator failed
  // to start or is not built.
  const std::string& path() const { return path_; }
  bool running() const { return pid_ > 0; }
  void Kill();
  // Sends a signal (SIGSTOP: the receiver stops talking, and what it sent can be read).
  void Signal(int signal);

  static bool Available();

 private:
  pid_t pid_ = -1;
  std::string path_;
};

}  // namespace orv::test
