// popen-based command runner for the tests of the command-line tools.
#include "RunCommand.h"

#include <sys/wait.h>

#include <cstdio>

namespace orv::test {

CommandResult RunCommand(const std::string& commandLine) {
  CommandResult r;
  FILE* pipe = ::popen(commandLine.c_str(), "r");
  if (pipe == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string ShellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

}  // namespace orv::test
