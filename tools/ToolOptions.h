// The options every tool of this folder answers the same way: --help prints its usage on
// standard output, --version the project's version, and any other word starting with '-' that
// the tool does not take is refused, so that a mistyped option never becomes a file name.
#pragma once

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "OrvantisVersion.h"

namespace orv::tools {

// What the standard options decided: run the tool, or leave with the status.
struct StandardOutcome {
  bool run = true;
  int status = 0;
};

// `takes` lists the options the tool parses itself (their values are not looked at here).
inline StandardOutcome HandleStandardOptions(int argc, char** argv, const char* name, const char* usage,
                                             std::initializer_list<const char*> takes = {}) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      std::fputs(usage, stdout);
      return {false, 0};
    }
    if (std::strcmp(a, "--version") == 0) {
      std::printf("%s %s\n", name, kOrvantisVersion);
      return {false, 0};
    }
  }
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (a[0] != '-' || a[1] == '\0') continue;
    bool known = false;
    for (const char* t : takes) known = known || std::strcmp(a, t) == 0;
    if (known) {
      ++i;  // its value, which may itself start with '-'
      continue;
    }
    std::fprintf(stderr, "%s: unknown option '%s'\n%s", name, a, usage);
    return {false, 2};
  }
  return {true, 0};
}

}  // namespace orv::tools
