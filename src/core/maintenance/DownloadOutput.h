// The PC side of a file download: the output file, pre-sized for the announced blocks, each
// block written at its own 64-bit offset, and the record of which blocks have arrived. A file
// in progress is written as NAME.part and takes its name once every block is in.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orv {

// Blocks carry at most 249 data bytes: a 255-byte payload less the sub-ID, the status and the
// 32-bit block number.
inline constexpr uint32_t kMaxDownloadBlockSize = 249;
// A download larger than this is refused rather than pre-filled (an announced count of four
// billion blocks would write a terabyte of filler).
inline constexpr uint64_t kMaxDownloadBytes = 1ull << 30;

class DownloadOutput {
 public:
  enum class Result { Written, Ignored, Failed };

  DownloadOutput() = default;
  ~DownloadOutput();
  DownloadOutput(const DownloadOutput&) = delete;
  DownloadOutput& operator=(const DownloadOutput&) = delete;

  // Creates PATH.part, truncated (an existing file of that name loses its content). Forgets
  // the blocks of any earlier file.
  bool Create(const std::string& path);
  bool isOpen() const { return fd_ >= 0; }
  // Pre-sizes the file to exactly count x blockSize bytes of filler 0x01 and starts the
  // arrival record. Refused (Ignored) for a count of 0, a block size of 0 or above 249, or a
  // file beyond kMaxDownloadBytes; Failed when the filler cannot be written (disk full).
  Result Prefill(uint32_t count, uint32_t blockSize);
  bool prefilled() const { return count_ != 0; }
  // Block `number` (1..count) at (number - 1) x block size. Only the first block-size bytes
  // are written; a shorter block only when it is the last one, and the file then ends with
  // it. Anything else is Ignored.
  Result Write(uint32_t number, std::span<const uint8_t> data);
  // Closes the file. A complete file has already been renamed; an incomplete one stays .part.
  void Close();

  uint32_t count() const { return count_; }
  uint32_t blockSize() const { return blockSize_; }
  uint32_t arrived() const { return arrived_; }
  bool complete() const { return count_ != 0 && arrived_ == count_; }
  bool Arrived(uint32_t number) const { return number >= 1 && number <= count_ && got_[number - 1]; }
  std::optional<uint32_t> FirstMissing() const;
  // The missing block numbers in order, at most `limit` of them.
  std::vector<uint32_t> Missing(std::size_t limit) const;
  // The name the file has now (PATH.part until complete, then PATH) and its final name.
  const std::string& currentPath() const { return current_; }
  const std::string& path() const { return path_; }
  uint64_t expectedLength() const { return length_; }

 private:
  bool WriteAt(uint64_t offset, const uint8_t* bytes, std::size_t n);
  void FinishIfComplete();

  int fd_ = -1;
  std::string path_;
  std::string current_;
  uint32_t count_ = 0;
  uint32_t blockSize_ = 0;
  uint32_t arrived_ = 0;
  uint32_t firstMissing_ = 0;  // index of the first block not yet in (count_: none)
  uint64_t length_ = 0;
  std::vector<bool> got_;
};

// "12, 37, 80" and ", ..." when more are missing than listed.
std::string MissingBlocksText(const DownloadOutput& output, std::size_t limit = 10);

}  // namespace orv
