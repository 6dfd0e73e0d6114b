// Argument helpers.
#include "Options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>

#include "logging/LogProtocol.h"
#include "util/Format.h"

namespace orv::cli {

std::optional<ProtocolArgs> ParseProtocolArgs(const std::vector<std::string>& args, const char* command) {
  ProtocolArgs out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--protocol") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "orvantis-cli %s: --protocol needs ktx, nmea or auto\n", command);
        return std::nullopt;
      }
      value = args[++i];
    } else if (a.rfind("--protocol=", 0) == 0) {
      value = a.substr(11);
    } else if (a.size() > 1 && a[0] == '-') {
      out.flags.push_back(a);
      continue;
    } else {
      out.positional.push_back(a);
      continue;
    }
    if (value == "ktx") {
      out.protocolSelector = 1;
    } else if (value == "nmea") {
      out.protocolSelector = 0;
    } else if (value == "auto") {
      out.protocolSelector = kProtocolAuto;
    } else {
      std::fprintf(stderr, "orvantis-cli %s: unknown protocol '%s' (ktx, nmea or auto)\n", command, value.c_str());
      return std::nullopt;
    }
  }
  return out;
}

void ResolveProtocol(ProtocolArgs& args, const std::string& path, const char* command) {
  if (args.protocolSelector != kProtocolAuto) return;
  args.protocolSelector = 1;
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return;
  std::vector<uint8_t> head(kLogProtocolProbeBytes);
  head.resize(std::fread(head.data(), 1, head.size(), f));
  std::fclose(f);
  if (head.empty()) return;  // an empty file: the command says so
  const LogProtocolGuess g = GuessLogProtocol(head);
  args.protocolSelector = g.protocolSelector;
  if (g.frames == 0 && g.sentences == 0) {
    std::fprintf(stderr, "orvantis-cli %s: no frame or sentence in the first %zu bytes of '%s'; reading it as KTX Binary\n",
                 command, head.size(), path.c_str());
  } else {
    std::fprintf(stderr, "orvantis-cli %s: reading '%s' as %s (%u frames, %u sentences at its start; --protocol to choose)\n",
                 command, path.c_str(), g.protocolSelector ? "KTX Binary" : "NMEA", g.frames, g.sentences);
  }
}

std::string FileProblem(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(st.st_mode)) {
    const char* kind = S_ISFIFO(st.st_mode)                          ? "a FIFO"
                       : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                       : S_ISSOCK(st.st_mode)                        ? "a socket"
                                                                     : "not a file";
    return Format("not a regular file (%s)", kind);
  }
  // Opened without waiting, so that a file swapped for a FIFO since the stat cannot block.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return {};
}

bool CheckReadableFile(const std::string& path, const char* command) {
  const std::string problem = FileProblem(path);
  if (problem.empty()) return true;
  std::fprintf(stderr, "orvantis-cli %s: cannot read '%s': %s\n", command, path.c_str(), problem.c_str());
  return false;
}

void ReportNothingDecoded(const std::string& path, uint64_t bytes, const DecoderCounters& counters, const char* command) {
  if (bytes == 0) {
    std::fprintf(stderr, "orvantis-cli %s: '%s' is empty\n", command, path.c_str());
  } else if (counters.validMessageCount == 0 && counters.nmeaSentenceCount == 0) {
    std::fprintf(stderr, "orvantis-cli %s: nothing decodable in '%s' (%llu bytes, no valid frame or sentence)\n",
                 command, path.c_str(), static_cast<unsigned long long>(bytes));
  }
}

bool OpenLogForReading(const std::string& path, LogFile& file, const char* command) {
  if (!CheckReadableFile(path, command)) return false;
  // The log file keeps a name of at most 199 characters, as the console's records do; a
  // longer path is reached through this process's own descriptor of it.
  bool opened = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    opened = file.OpenExisting(Format("/proc/self/fd/%d", fd), O_RDONLY);
    ::close(fd);
  }
  if (!opened) std::fprintf(stderr, "orvantis-cli %s: cannot read '%s': %s\n", command, path.c_str(), std::strerror(errno));
  return opened;
}

bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long& out) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = std::strtoul(text.c_str(), nullptr, 10);
  return out <= max;
}

std::optional<uint32_t> ParseBaud(const std::string& text) {
  unsigned long n = 0;
  if (!ParseUnsigned(text, 921600, n) || n < 300) return std::nullopt;
  return static_cast<uint32_t>(n);
}

std::string CountsJson(const std::array<uint32_t, kCounterSlots>& counts) {
  std::string s = "{";
  for (int i = 0; i < kCounterSlots; ++i) {
    const uint32_t c = counts[static_cast<std::size_t>(i)];
    if (c == 0) continue;
    s += Format("%s\"%d\":%u", s.size() > 1 ? "," : "", i, c);
  }
  return s + "}";
}

}  // namespace orv::cli
