// Parsing of bar-separated file dialog filters.
#include "forms/FileFilter.h"

namespace orv {

namespace {
std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == sep) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}
}  // namespace

std::vector<FileFilterEntry> ParseFileFilter(std::string_view filter) {
  std::vector<FileFilterEntry> out;
  const std::vector<std::string_view> parts = Split(filter, '|');
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string_view description = Trim(parts[i]);
    const std::string_view patterns = Trim(parts[i + 1]);
    if (description.empty() || patterns.empty()) break;  // the closing "||"
    FileFilterEntry e;
    e.description = std::string(description);
    for (std::string_view p : Split(patterns, ';')) {
      p = Trim(p);
      if (!p.empty()) e.patterns.emplace_back(p);
    }
    out.push_back(std::move(e));
  }
  return out;
}

}  // namespace orv
