// Small argument helpers shared by the sub-commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orv::cli {

struct ProtocolArgs {
  int protocolSelector = 1;  // 1 KTX Binary (the default), 0 NMEA
  std::vector<std::string> positional;
  std::vector<std::string> flags;  // other --options, as given
};

// Parses "--protocol ktx|nmea" out of args; returns nullopt (after a message on stderr) on a
// bad protocol name.
std::optional<ProtocolArgs> ParseProtocolArgs(const std::vector<std::string>& args, const char* command);

}  // namespace orv::cli
