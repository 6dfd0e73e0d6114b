// The download's output file over POSIX descriptors: positioned writes at 64-bit offsets,
// the filler written for real (so that a full disk shows at once, not in the middle of the
// transfer), and the rename once the last missing block is in.
#include "maintenance/DownloadOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

namespace orv {

DownloadOutput::~DownloadOutput() { Close(); }

bool DownloadOutput::Create(const std::string& path) {
  Close();
  count_ = blockSize_ = arrived_ = firstMissing_ = 0;
  length_ = 0;
  got_.clear();
  path_ = path;
  current_ = path + ".part";
  fd_ = ::open(current_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ >= 0;
}

void DownloadOutput::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool DownloadOutput::WriteAt(uint64_t offset, const uint8_t* bytes, std::size_t n) {
  while (n > 0) {
    const ssize_t k = ::pwrite(fd_, bytes, n, static_cast<off_t>(offset));
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    bytes += k;
    n -= static_cast<std::size_t>(k);
    offset += static_cast<uint64_t>(k);
  }
  return true;
}

DownloadOutput::Result DownloadOutput::Prefill(uint32_t count, uint32_t blockSize) {
  if (fd_ < 0 || count == 0 || blockSize == 0 || blockSize > kMaxDownloadBlockSize) return Result::Ignored;
  const uint64_t total = uint64_t{count} * blockSize;
  if (total > kMaxDownloadBytes) return Result::Ignored;
  if (::ftruncate(fd_, 0) != 0) return Result::Failed;
  std::array<uint8_t, 65536> filler;
  filler.fill(0x01);
  for (uint64_t at = 0; at < total;) {
    const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(filler.size(), total - at));
    if (!WriteAt(at, filler.data(), n)) return Result::Failed;
    at += n;
  }
  count_ = count;
  blockSize_ = blockSize;
  arrived_ = 0;
  length_ = total;
  got_.assign(count, false);
  firstMissing_ = 0;
  return Result::Written;
}

DownloadOutput::Result DownloadOutput::Write(uint32_t number, std::span<const uint8_t> data) {
  if (fd_ < 0 || count_ == 0 || number < 1 || number > count_) return Result::Ignored;
  const bool last = number == count_;
  if (data.empty() || (data.size() < blockSize_ && !last)) return Result::Ignored;
  const std::size_t n = std::min<std::size_t>(data.size(), blockSize_);
  const uint64_t offset = uint64_t{number - 1} * blockSize_;
  if (!WriteAt(offset, data.data(), n)) return Result::Failed;
  if (last) {
    // The last block says where the file ends; a short one cuts the filler after it.
    length_ = offset + n;
    if (::ftruncate(fd_, static_cast<off_t>(length_)) != 0) return Result::Failed;
  }
  if (!got_[number - 1]) {
    got_[number - 1] = true;
    ++arrived_;
    while (firstMissing_ < count_ && got_[firstMissing_]) ++firstMissing_;
    FinishIfComplete();
  }
  return Result::Written;
}

void DownloadOutput::FinishIfComplete() {
  if (!complete() || current_ == path_) return;
  if (std::rename(current_.c_str(), path_.c_str()) == 0) current_ = path_;
}

std::optional<uint32_t> DownloadOutput::FirstMissing() const {
  if (firstMissing_ >= count_) return std::nullopt;
  return firstMissing_ + 1;
}

std::vector<uint32_t> DownloadOutput::Missing(std::size_t limit) const {
  std::vector<uint32_t> out;
  for (uint32_t i = firstMissing_; i < count_ && out.size() < limit; ++i) {
    if (!got_[i]) out.push_back(i + 1);
  }
  return out;
}

std::string MissingBlocksText(const DownloadOutput& output, std::size_t limit) {
  const std::vector<uint32_t> missing = output.Missing(limit + 1);
  std::string text;
  for (std::size_t i = 0; i < missing.size() && i < limit; ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(missing[i]);
  }
  if (missing.size() > limit) text += ", ...";
  return text;
}

}  // namespace orv
