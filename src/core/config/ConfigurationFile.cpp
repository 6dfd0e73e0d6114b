// Configuration file access over POSIX descriptors, with the replace-by-rename save.
#include "config/ConfigurationFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "config/ConfigurationRanges.h"
#include "util/ByteIo.h"

namespace orv {

namespace {

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A save through a symbolic link replaces the file the link points to, not the link.
std::string ResolveLink(const std::string& path) {
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string resolved(real);
  std::free(real);
  return resolved;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file being replaced must be one this user may write, as an in-place write would require;
// its mode and owner carry over to the new file.
struct Existing {
  bool ok = false;
  mode_t mode = S_IRUSR | S_IWUSR;
  std::optional<std::pair<uid_t, gid_t>> owner;
};

Existing CheckExisting(const std::string& target) {
  Existing e;
  struct stat st{};
  if (::stat(target.c_str(), &st) != 0) {
    e.ok = errno == ENOENT;
    return e;
  }
  if (!S_ISREG(st.st_mode)) return e;
  const int probe = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (probe < 0) return e;
  ::close(probe);
  e.ok = true;
  e.mode = st.st_mode & 07777;
  e.owner = std::make_pair(st.st_uid, st.st_gid);
  return e;
}

// The rename is only durable once the directory is flushed. File systems that cannot flush a
// directory say EINVAL; that is no failure of the save.
bool SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
}

// A directory this user may not create files in still lets the file itself be rewritten: the
// bytes go over the old ones and the file is cut to their length. A write that fails part-way
// would leave the file damaged, which is why this is only the fallback of the rename.
bool WriteInPlace(const std::string& target, std::span<const uint8_t> bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  return ok;
}

}  // namespace

std::optional<std::string> ConfigurationPathIn(const std::string& directory) {
  if (directory.empty() || directory.size() > kMaxConfigurationDirectory) return std::nullopt;
  const bool endsWithSlash = directory.back() == '/';
  return directory + (endsWithSlash ? "" : "/") + kConfigurationFileName;
}

std::optional<std::string> ConfigurationPathAtStartup() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return std::nullopt;
  return ConfigurationPathIn(buffer);
}

std::optional<std::size_t> ReadConfigurationImage(const std::string& path, int openFlags, ConfigurationImage& out) {
  if (path.empty()) return std::nullopt;
  const int fd = ::open(path.c_str(), openFlags | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::size_t got = 0;
  while (got < out.size()) {
    const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  // One byte more tells a longer file, which is no configuration file either.
  uint8_t extra = 0;
  ssize_t more;
  do {
    more = got == out.size() ? ::read(fd, &extra, 1) : 0;
  } while (more < 0 && errno == EINTR);
  ::close(fd);
  return more > 0 ? got + 1 : got;
}

bool ReplaceFileContents(const std::string& path, std::span<const uint8_t> bytes) {
  if (path.empty()) return false;
  const std::string target = ResolveLink(path);
  const Existing existing = CheckExisting(target);
  if (!existing.ok) return false;

  std::string temp = target + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return (errno == EACCES || errno == EPERM) && existing.owner && WriteInPlace(target, bytes);
  bool ok = WriteAll(fd, bytes) && ::fchmod(fd, existing.mode) == 0;
  if (ok && existing.owner) {
    // Only the superuser can give the file back to its owner; others already are the owner.
    [[maybe_unused]] const int ignored = ::fchown(fd, existing.owner->first, existing.owner->second);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return SyncDirectory(DirectoryOf(target));
}

bool ConfigurationFile::LoadConfiguration(CommandSink* frame) {
  ConfigurationImage buffer{};
  const auto got = ReadConfigurationImage(path_, O_RDWR, buffer);
  if (got && *got == kConfigurationSize) {
    record_.image() = buffer;
    KeepConfigurationInRange(record_, screen_);
    if (frame != nullptr) {
      for (uint16_t flagOffset : WindowReopenOrder()) {
        if (record_.I32(flagOffset) == 0) continue;
        for (const auto& w : WindowTable()) {
          if (w.flagOffset == flagOffset) frame->PostCommand(w.command);
        }
      }
    }
    return true;
  }
  // Missing, short or too long: what was read is dropped, and the defaults replace the file.
  record_.SetDefaults();
  SaveConfiguration(nullptr, false);
  return false;
}

bool ConfigurationFile::SaveConfiguration(const WindowGeometry* geometry, bool saveConfigCommand) {
  if (geometry != nullptr) {
    if (saveConfigCommand) {
      if (const auto r = geometry->MainWindowRect()) {
        record_.SetMainWindow({r->left, r->top, r->right - r->left, r->bottom - r->top});
      }
    }
    for (const auto& w : WindowTable()) {
      if (!record_.windowOpen(w.command)) continue;
      if (const auto r = geometry->WindowRect(w.command)) record_.SetWindowRect(w.command, *r);
    }
  }
  ConfigurationImage out = record_.image();
  WriteLe<int32_t>(out, FindWindow(kAuxTerminalCommand)->flagOffset, 0);
  return ReplaceFileContents(path_, out);
}

}  // namespace orv
