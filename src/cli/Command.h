// The sub-commands of orvantis-cli register themselves here, one file each.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orv::cli {

using CommandMain = std::function<int(const std::vector<std::string>& args)>;

struct CommandInfo {
  std::string name;
  std::string usage;    // one line: "decode [--protocol ktx|nmea] FILE"
  std::string summary;  // what it does, one sentence
  CommandMain run;
};

std::vector<CommandInfo>& Registry();

struct Register {
  explicit Register(CommandInfo info) { Registry().push_back(std::move(info)); }
};

// Writes s as a JSON string literal (quotes included).
std::string JsonString(const std::string& s);

}  // namespace orv::cli
