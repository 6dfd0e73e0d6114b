// Frame and byte helpers for the tests.
#include "Frames.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orv::test {

std::vector<uint8_t> Frame(uint8_t idByte, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> f;
  f.reserve(payload.size() + 6);
  f.push_back(0x01);
  f.push_back(idByte);
  f.push_back(static_cast<uint8_t>(~idByte));
  f.push_back(static_cast<uint8_t>(payload.size()));
  for (uint8_t b : payload) f.push_back(b);
  uint16_t sum = 0;
  for (uint8_t b : f) sum = static_cast<uint16_t>(sum + b);
  f.push_back(static_cast<uint8_t>(sum & 0xFF));
  f.push_back(static_cast<uint8_t>(sum >> 8));
  return f;
}

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Sentence(const std::string& body, const std::string& lineEnd) {
  uint8_t x = 0;
  for (char c : body) x ^= static_cast<uint8_t>(c);
  char cs[3];
  std::snprintf(cs, sizeof cs, "%02X", x);
  return "$" + body + "*" + cs + lineEnd;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvantis-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  return made ? std::string(made) : std::string();
}

std::string TestDataDir() {
  const std::filesystem::path dir(ORVANTIS_TESTDATA_DIR);
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? dir.string() : std::string();
}

}  // namespace orv::test
