// `memory`: the memory dump window without a screen. `dump` asks the receiver for blocks of its
// memory (messages 60, 61 and 62, one shot each) and prints each block that comes back as a JSON
// line; `load` writes a byte (message 120) or a word (message 122) and then reads the memory
// there back, as the window does, to say whether the receiver took it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Command.h"
#include "FrameSession.h"
#include "Options.h"
#include "util/ByteIo.h"
#include "util/Format.h"

namespace orv::cli {
namespace {

constexpr char kUsage[] =
    "usage: orvantis-cli memory dump --port DEV [--baud N] --address HEX [--size 16|32|64] [--blocks N]\n"
    "       orvantis-cli memory load --port DEV [--baud N] --address HEX (--byte V | --word V)\n";
constexpr int kAnswerWaitMs = 3000;
constexpr uint32_t kMostBlocks = 65536;

struct Options {
  bool dump = false;
  std::string port;
  uint32_t baud = 9600;
  std::optional<uint32_t> address;
  int size = 16;
  uint32_t blocks = 1;
  std::optional<uint32_t> value;
  bool word = false;
};

// An unsigned number up to `most`: decimal, or hexadecimal after "0x".
std::optional<uint32_t> Number(const std::string& text, uint32_t most, bool hexOnly = false) {
  const bool hex = hexOnly || text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
  unsigned long v = 0;
  if (!hex) return ParseUnsigned(text, most, v) ? std::optional<uint32_t>(static_cast<uint32_t>(v)) : std::nullopt;
  const std::string digits = hexOnly ? text : text.substr(2);
  if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return std::nullopt;
  }
  v = std::strtoul(digits.c_str(), nullptr, 16);
  if (v > most) return std::nullopt;
  return static_cast<uint32_t>(v);
}

// Parses the options; the empty string when they are sound, else what is wrong.
std::string ParseOptions(const std::vector<std::string>& args, Options& o) {
  if (args.empty() || (args[0] != "dump" && args[0] != "load")) return "dump or load first";
  o.dump = args[0] == "dump";
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) return "'" + a + "' needs a value or is unknown";
    const std::string& v = args[++i];
    if (a == "--port") {
      o.port = v;
    } else if (a == "--baud") {
      const auto n = ParseBaud(v);
      if (!n) return "--baud takes a rate from 300 to 921600";
      o.baud = *n;
    } else if (a == "--address") {
      // As the window takes it: one to eight hexadecimal digits, no prefix needed.
      o.address = Number(v.rfind("0x", 0) == 0 || v.rfind("0X", 0) == 0 ? v.substr(2) : v, 0xFFFFFFFFu, true);
      if (!o.address) return "--address takes one to eight hexadecimal digits";
    } else if (a == "--size" && o.dump) {
      if (v != "16" && v != "32" && v != "64") return "--size takes 16, 32 or 64";
      o.size = std::atoi(v.c_str());
    } else if (a == "--blocks" && o.dump) {
      const auto n = Number(v, kMostBlocks);
      if (!n || *n == 0) return "--blocks takes 1 to 65536";
      o.blocks = *n;
    } else if ((a == "--byte" || a == "--word") && !o.dump) {
      if (o.value) return "give --byte or --word, not both";
      o.word = a == "--word";
      o.value = Number(v, o.word ? 0xFFFFFFFFu : 0xFFu);
      if (!o.value) return o.word ? "--word takes 0 to 4294967295 (or 0x0 to 0xFFFFFFFF)" : "--byte takes 0 to 255 (or 0x0 to 0xFF)";
    } else {
      return "'" + a + "' is unknown";
    }
  }
  if (o.port.empty()) return "--port is needed";
  if (!o.address) return "--address is needed";
  if (!o.dump && !o.value) return "--byte or --word is needed";
  return {};
}

// The last block of each size the receiver sent, counted as they come.
class DumpWatcher : public MemoryDumpWindowLink {
 public:
  struct Block {
    uint32_t address = 0;
    std::vector<uint8_t> data;
    bool addressReceived = false;
  };
  void ShowRecord(const MemoryDumpRecord16& r) override { Take(16, r); }
  void ShowRecord(const MemoryDumpRecord32& r) override { Take(32, r); }
  void ShowRecord(const MemoryDumpRecord64& r) override { Take(64, r); }
  uint32_t arrived = 0;
  int size = 0;
  Block last;

 private:
  template <typename Record>
  void Take(int blockSize, const Record& r) {
    ++arrived;
    size = blockSize;
    const std::span<const uint8_t> data = r.data().first(r.dataReceived());
    last = {r.address(), std::vector<uint8_t>(data.begin(), data.end()), r.addressReceived()};
  }
};

// Asks for `size` bytes at `address` and waits for the block that answers it.
std::optional<DumpWatcher::Block> DumpBlock(FrameSession& session, DumpWatcher& watcher, int size, uint32_t address) {
  const uint32_t before = watcher.arrived;
  session.frame().encoder().SendMemoryDumpRequest(size, false, Format("%X", static_cast<unsigned>(address)));
  const bool answered = session.PollUntil(
      [&] {
        return watcher.arrived != before && watcher.size == size && watcher.last.address == address &&
               watcher.last.addressReceived;
      },
      kAnswerWaitMs);
  if (!answered) return std::nullopt;
  return watcher.last;
}

std::string Line(int size, const DumpWatcher::Block& b) {
  std::string hex;
  for (uint8_t v : b.data) hex += Format("%02X", static_cast<unsigned>(v));
  return Format("{\"address\":\"%08X\",\"size\":%d,\"received\":%u,\"data\":\"%s\"}", static_cast<unsigned>(b.address),
                size, static_cast<unsigned>(b.data.size()), hex.c_str());
}

int Dump(FrameSession& session, DumpWatcher& watcher, const Options& o) {
  uint64_t address = *o.address;
  for (uint32_t k = 0; k < o.blocks; ++k, address += static_cast<uint64_t>(o.size)) {
    if (address > 0xFFFFFFFFu) {
      std::fprintf(stderr, "orvantis-cli memory: the blocks run past address FFFFFFFF; %u of %u dumped\n", k, o.blocks);
      return 1;
    }
    const auto block = DumpBlock(session, watcher, o.size, static_cast<uint32_t>(address));
    if (!block) {
      std::fprintf(stderr, "orvantis-cli memory: no answer from the receiver for %d bytes at %08X\n", o.size,
                   static_cast<unsigned>(address));
      return 1;
    }
    std::printf("%s\n", Line(o.size, *block).c_str());
    std::fflush(stdout);
    // A block cut short is the end of the area the receiver maps there.
    if (block->data.size() < static_cast<std::size_t>(o.size)) {
      if (k + 1 < o.blocks) {
        std::fprintf(stderr, "orvantis-cli memory: the receiver's memory ends at %08X\n",
                     static_cast<unsigned>(address + block->data.size()));
      }
      return k + 1 < o.blocks ? 1 : 0;
    }
  }
  return 0;
}

int Load(FrameSession& session, DumpWatcher& watcher, const Options& o) {
  CMainFrame& frame = session.frame();
  const std::string hexAddress = Format("%X", static_cast<unsigned>(*o.address));
  uint8_t expected[4];
  std::size_t bytes = 1;
  if (o.word) {
    frame.encoder().SendLoadWord(hexAddress, *o.value);
    ByteWriter(expected).Put(*o.value);
    bytes = 4;
  } else {
    frame.encoder().SendLoadByte(hexAddress, static_cast<uint8_t>(*o.value));
    expected[0] = static_cast<uint8_t>(*o.value);
  }
  // The receiver does not acknowledge a load: the memory is read back to see what it holds.
  const auto block = DumpBlock(session, watcher, 16, *o.address);
  if (!block) {
    std::fprintf(stderr, "orvantis-cli memory: no answer from the receiver when reading %08X back\n",
                 static_cast<unsigned>(*o.address));
    return 1;
  }
  std::printf("%s\n", Line(16, *block).c_str());
  const bool taken = block->data.size() >= bytes && std::equal(expected, expected + bytes, block->data.begin());
  if (!taken) {
    std::fprintf(stderr, "orvantis-cli memory: the receiver did not take the load: %08X does not hold it\n",
                 static_cast<unsigned>(*o.address));
    return 1;
  }
  return 0;
}

int RunMemory(const std::vector<std::string>& args) {
  Options o;
  const std::string wrong = ParseOptions(args, o);
  if (!wrong.empty()) {
    std::fprintf(stderr, "orvantis-cli memory: %s\n%s", wrong.c_str(), kUsage);
    return 2;
  }
  FrameSession session("memory");
  if (!session.Open(o.port, o.baud)) return 2;
  DumpWatcher watcher;
  session.store().links().memoryDump = &watcher;
  const int status = o.dump ? Dump(session, watcher, o) : Load(session, watcher, o);
  session.store().links().memoryDump = nullptr;
  return status;
}

const Register kMemory({"memory", "memory dump|load --port DEV --address HEX [--size 16|32|64] [--blocks N] [--byte V|--word V]",
                        "read blocks of a receiver's memory as JSON lines, or write a byte or a word to it", RunMemory});

}  // namespace
}  // namespace orv::cli
