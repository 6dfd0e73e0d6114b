// Log file access over POSIX descriptors, and the check that finds where playback starts.
#include "logging/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "util/Format.h"

namespace orv {

namespace {

constexpr std::size_t kMaxFileName = 199;
// The decoder drops a sentence that does not fit its 2048-byte buffer.
constexpr std::size_t kMaxSentence = 2048;
constexpr char kOpenCaption[] = "Open Log File";

void Tell(MessageBoxes* boxes, const std::string& text) {
  if (boxes != nullptr) boxes->MessageBox(text, kOpenCaption, MessageIcon::Exclamation);
}

// Offset of the first '$' that starts a complete sentence ('$', at least one character, '*',
// two upper-case hexadecimal digits of the XOR of the characters between) lying wholly in
// `bytes`; -1 when there is none.
long FindSentence(std::span<const uint8_t> bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] != '$') {
      ++i;
      continue;
    }
    uint8_t x = 0;
    std::size_t j = i + 1;
    while (j < bytes.size() && bytes[j] != '*' && bytes[j] != '$') x ^= bytes[j++];
    const bool complete = j < bytes.size() && bytes[j] == '*' && j > i + 1 && j + 2 < bytes.size() &&
                          j + 3 - i <= kMaxSentence;
    if (complete && bytes[j + 1] == kHex[x >> 4] && bytes[j + 2] == kHex[x & 0xF]) return static_cast<long>(i);
    // Nothing between this '$' and the next can start a sentence.
    i = j;
  }
  return -1;
}

}  // namespace

LogFile::~LogFile() {
  if (fd_ > 0) ::close(fd_);
}

bool LogFile::StoreName(const std::string& path) {
  // Names longer than the record's 199 characters are refused rather than cut, so that a
  // cut name can never point at another file.
  if (path.size() > kMaxFileName) return false;
  fileName_ = path;
  return true;
}

// Playback reads ahead and seeks back, so only a regular file can be played: a pipe or FIFO
// cannot seek, and opening a FIFO would wait for a writer. The open does not wait (no-delay
// mode) and the file's kind is checked on the descriptor itself.
bool LogFile::OpenForPlayback(const std::string& path, MessageBoxes* boxes, uint32_t protocolSelector) {
  Close();
  if (!StoreName(path)) {
    Tell(boxes, Format("The path of this file is longer than the %zu characters a log file name may have:\n%s",
                       kMaxFileName, path.c_str()));
    return false;
  }
  if (!OpenDescriptor(path, O_RDONLY | O_NONBLOCK, 0)) {
    const int error = errno;
    Tell(boxes, Format("Unable to open the log file %s:\n%s.", path.c_str(), std::strerror(error)));
    return false;
  }
  struct stat st{};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();
    Tell(boxes, Format("%s is not a regular file: a pipe, a device or a folder cannot be played back.", path.c_str()));
    return false;
  }
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  const bool passed = protocolSelector == 0 ? CheckNmeaLogFile(boxes) : CheckLogFile(boxes);
  if (!passed) Close();
  return open_ == 1;
}

bool LogFile::OpenExisting(const std::string& path, int flags) {
  Close();
  if (!StoreName(path)) return false;
  return OpenDescriptor(path, flags, 0);
}

bool LogFile::Create(const std::string& path, int flags, int permissions) {
  Close();
  if (!StoreName(path)) return false;
  return OpenDescriptor(path, flags, permissions);
}

// Descriptor 0 stands for "no file" here (a process started with its standard input closed
// can be handed it): it is given back and the open fails, so that no open reports success
// while reads and writes would refuse it.
bool LogFile::OpenDescriptor(const std::string& path, int flags, int permissions) {
  mode_ = flags;
  fd_ = ::open(path.c_str(), flags | O_CLOEXEC, permissions);
  if (fd_ < 1) {
    if (fd_ == 0) ::close(fd_);
    fd_ = 0;
    return false;
  }
  open_ = 1;
  return true;
}

void LogFile::Close() {
  if (fd_ > 0) ::close(fd_);
  fd_ = 0;
  open_ = 0;
}

bool LogFile::Delete(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool LogFile::SeekAbsolute(int64_t offset) {
  if (open_ != 1) return false;
  return ::lseek(fd_, offset, SEEK_SET) >= 0;
}

bool LogFile::SeekRelative(int64_t delta) {
  if (open_ != 1) return false;
  return ::lseek(fd_, delta, SEEK_CUR) >= 0;
}

int64_t LogFile::Position() const {
  if (open_ != 1) return -1;
  return ::lseek(fd_, 0, SEEK_CUR);
}

int64_t LogFile::Size() const {
  struct stat st{};
  if (open_ != 1 || ::fstat(fd_, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

long LogFile::ReadRaw(uint8_t* buffer, uint32_t count) {
  if (open_ != 1 || fd_ < 1) return 0;
  ssize_t n;
  do {
    n = ::read(fd_, buffer, count);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? 0 : static_cast<long>(n);
}

// Scans for a frame start: 0x01 followed by an ID byte and its complement. After a mismatch
// the scan goes on with the ID byte itself, as the decoder does: that byte may be the start of
// the real frame (the high checksum byte of a short frame often is 0x01). The count against the
// limit is of bytes the scan has moved past. A file that ends before any frame start is
// refused with the same message as a long one, whatever its length.
bool LogFile::CheckLogFile(MessageBoxes* boxes) {
  long total = 0;
  for (;;) {
    uint8_t b = 0;
    if (ReadRaw(&b, 1) != 1) break;
    if (b == 0x01) {
      uint8_t b1 = 0, b2 = 0;
      const long got1 = ReadRaw(&b1, 1);
      const long got2 = got1 == 1 ? ReadRaw(&b2, 1) : 0;
      if (got2 != 1) break;
      if (b1 == static_cast<uint8_t>(~b2)) {
        SeekRelative(-3);  // back to the start byte
        return true;
      }
      SeekRelative(-2);  // back to the ID byte, the next candidate
    }
    if (++total > kCheckLimit) break;
  }
  Tell(boxes, "This is not a KTX log file.");
  return false;
}

// The same idea for NMEA recordings: a complete sentence with a valid checksum in the first
// 10000 bytes, and playback starts at its '$'; any file without one is refused with a message.
bool LogFile::CheckNmeaLogFile(MessageBoxes* boxes) {
  std::vector<uint8_t> head(static_cast<std::size_t>(kCheckLimit) + 1);
  std::size_t got = 0;
  while (got < head.size()) {
    const long n = ReadRaw(head.data() + got, static_cast<uint32_t>(head.size() - got));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  const std::size_t window = std::min(got, static_cast<std::size_t>(kCheckLimit));
  const long start = FindSentence(std::span<const uint8_t>(head).first(window));
  if (start >= 0) return SeekAbsolute(start);
  Tell(boxes, "This is not an NMEA log file.");
  return false;
}

uint32_t LogFile::Receive(uint32_t maxBytes) {
  lastReadCount_ = 0;
  if (enabled_ != 1 || open_ != 1 || fd_ < 1) return 0;
  if (maxBytes > kReadBufferSize) maxBytes = kReadBufferSize;
  const long n = ReadRaw(readBuffer_.data(), maxBytes);
  if (n <= 0) return 0;
  lastReadCount_ = static_cast<uint32_t>(n);
  const uint32_t got = static_cast<uint32_t>(n);
  if (sink_ == nullptr) return got;
  const uint32_t used = sink_->Decode(readBuffer_.data(), got);
  if (used < got) {
    SeekRelative(-static_cast<int64_t>(got - used));
    return used;
  }
  return got;
}

bool LogFile::Send(const uint8_t* bytes, uint32_t count) {
  if (open_ != 1 || fd_ < 1) return false;
  uint32_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd_, bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<uint32_t>(n);
  }
  return true;
}

}  // namespace orv
