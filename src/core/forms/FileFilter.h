// File dialog filters as the commands define them: "Log Files (*.log) |*.log|All Files (*.*) |*.*||",
// pairs of a description and its patterns separated by bars, ended by two bars.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct FileFilterEntry {
  std::string description;            // "Log Files (*.log)", blanks trimmed
  std::vector<std::string> patterns;  // "*.log"; several patterns were separated by ';'
};

// Malformed tails (a description without patterns) are dropped.
std::vector<FileFilterEntry> ParseFileFilter(std::string_view filter);

}  // namespace orv
