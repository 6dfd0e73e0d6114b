// orvantis-cli: the console's core without a screen. Each sub-command lives in its own file.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"
#include "OrvantisVersion.h"

namespace orv::cli {

std::vector<CommandInfo>& Registry() {
  static std::vector<CommandInfo> commands;
  return commands;
}


}  // namespace orv::cli

namespace {
void Usage(FILE* out) {
  std::fprintf(out, "usage: orvantis-cli COMMAND [ARGS]\n       orvantis-cli --help | --version\n\ncommands:\n");
  auto commands = orv::cli::Registry();
  std::sort(commands.begin(), commands.end(), [](auto& a, auto& b) { return a.name < b.name; });
  for (const auto& c : commands) std::fprintf(out, "  %-44s %s\n", c.usage.c_str(), c.summary.c_str());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    Usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string name = argv[1];
  if (name == "--version") {
    std::printf("orvantis-cli %s\n", kOrvantisVersion);
    return 0;
  }
  for (const auto& c : orv::cli::Registry()) {
    if (c.name != name) continue;
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& a : args) {
      if (a == "--help" || a == "-h") {
        std::printf("usage: orvantis-cli %s\n%s\n", c.usage.c_str(), c.summary.c_str());
        return 0;
      }
    }
    return c.run(args);
  }
  std::fprintf(stderr, "orvantis-cli: unknown command '%s'\n", name.c_str());
  Usage(stderr);
  return 2;
}
