// An application profile in memory that records every write in order.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Profile.h"

namespace orv::test {

class FakeProfile : public Profile {
 public:
  std::optional<std::string> GetString(const std::string& section, const std::string& entry) const override {
    auto it = entries.find({section, entry});
    if (it == entries.end()) return std::nullopt;
    return it->second;
  }
  void SetString(const std::string& section, const std::string& entry, const std::string& value) override {
    entries[{section, entry}] = value;
    writes.push_back(section + "/" + entry + "=" + value);
  }

  std::map<std::pair<std::string, std::string>, std::string> entries;
  std::vector<std::string> writes;
};

}  // namespace orv::test
