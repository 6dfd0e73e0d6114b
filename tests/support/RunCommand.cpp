// popen-based command runner for the tests of the command-line tools.
#include "RunCommand.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

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

std::string PublishedSchema(const std::string& file) {
  const char* dir = std::getenv("ORVANTIS_SCHEMA_DIR");
  const std::string path = std::string(dir != nullptr ? dir : "/usr/local/share/orvantis/schemas") + "/" + file;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    return {};
  }
  if (RunCommand("xmllint --version >/dev/null 2>&1").status != 0) return {};
  return path;
}

std::string SchemaErrors(const std::string& schema, const std::string& file) {
  const CommandResult r = RunCommand("xmllint --noout --schema " + ShellQuote(schema) + " " + ShellQuote(file) + " 2>&1");
  return r.status == 0 ? std::string() : (r.out.empty() ? std::string("xmllint failed") : r.out);
}

}  // namespace orv::test
