// Argument helpers.
#include "Options.h"

#include <cstdio>

namespace orv::cli {

std::optional<ProtocolArgs> ParseProtocolArgs(const std::vector<std::string>& args, const char* command) {
  ProtocolArgs out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--protocol") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "orvantis-cli %s: --protocol needs ktx or nmea\n", command);
        return std::nullopt;
      }
      value = args[++i];
    } else if (a.rfind("--protocol=", 0) == 0) {
      value = a.substr(11);
    } else if (a.size() > 1 && a[0] == '-') {
      out.flags.push_back(a);
      continue;
    } else {
      out.positional.push_back(a);
      continue;
    }
    if (value == "ktx") {
      out.protocolSelector = 1;
    } else if (value == "nmea") {
      out.protocolSelector = 0;
    } else {
      std::fprintf(stderr, "orvantis-cli %s: unknown protocol '%s' (ktx or nmea)\n", command, value.c_str());
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace orv::cli
