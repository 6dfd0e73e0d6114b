// Runs a command line through the shell and collects its standard output and exit status.
#pragma once

#include <string>

namespace orv::test {

struct CommandResult {
  int status = -1;
  std::string out;
};

CommandResult RunCommand(const std::string& commandLine);
// Single-quotes a word for the shell.
std::string ShellQuote(const std::string& word);

}  // namespace orv::test
