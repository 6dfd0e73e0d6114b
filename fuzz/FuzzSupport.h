// What the fuzzing harnesses share: an oracle that stops the run with a message, the input
// written to a file for the code that reads files, and block splits chosen by the input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orv::fuzz {

// A property the code under test must keep; a broken one is a finding, like a sanitizer's.
#define FUZZ_CHECK(cond, ...)                                                  \
  do {                                                                         \
    if (!(cond)) {                                                             \
      std::fprintf(stderr, "oracle failed: %s (%s:%d): ", #cond, __FILE__, __LINE__); \
      std::fprintf(stderr, __VA_ARGS__);                                       \
      std::fprintf(stderr, "\n");                                              \
      std::abort();                                                            \
    }                                                                          \
  } while (0)

// One file per process, rewritten for each input and removed when the process exits.
struct ScratchFile {
  std::string path;
  ~ScratchFile() { std::remove(path.c_str()); }
};
inline const std::string& ScratchPath(const char* name) {
  static const ScratchFile file{[name] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/orv-fuzz-" + std::to_string(::getpid()) + "-" + name;
  }()};
  return file.path;
}

inline bool WriteScratch(const std::string& path, const uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Block lengths from 1 to `largest`, drawn from a generator the input seeds, so that a frame
// or sentence is cut at every place across runs.
class Splits {
 public:
  Splits(uint32_t seed, uint32_t largest) : state_(seed * 2654435761u + 1), largest_(largest == 0 ? 1 : largest) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return 1 + state_ % largest_;
  }

 private:
  uint32_t state_;
  uint32_t largest_;
};

// A frame as the stream decoder must accept it: start byte, ID and complement, length, and a
// 16-bit sum of everything before it.
inline bool IsWholeFrame(const uint8_t* f, std::size_t n) {
  if (n < 6 || f[0] != 0x01 || f[2] != static_cast<uint8_t>(~f[1]) || f[3] + 6u != n) return false;
  uint16_t sum = 0;
  for (std::size_t i = 0; i + 2 < n; ++i) sum = static_cast<uint16_t>(sum + f[i]);
  return sum == static_cast<uint16_t>(f[n - 2] | (f[n - 1] << 8));
}

}  // namespace orv::fuzz
