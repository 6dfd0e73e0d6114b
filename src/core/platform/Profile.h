// The application profile: named string entries grouped in sections. The desktop keeps it in
// its settings store; the tests keep it in memory.
#pragma once

#include <optional>
#include <string>

namespace orv {

class Profile {
 public:
  virtual ~Profile() = default;
  // nullopt when the entry was never written.
  virtual std::optional<std::string> GetString(const std::string& section, const std::string& entry) const = 0;
  virtual void SetString(const std::string& section, const std::string& entry, const std::string& value) = 0;
};

}  // namespace orv
