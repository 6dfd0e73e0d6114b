// Small argument helpers shared by the sub-commands.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logging/LogFile.h"
#include "protocol/DecoderState.h"

namespace orv::cli {

inline constexpr int kProtocolAuto = -1;

struct ProtocolArgs {
  int protocolSelector = kProtocolAuto;  // 1 KTX Binary, 0 NMEA, or chosen from the file
  std::vector<std::string> positional;
  std::vector<std::string> flags;  // other --options, as given
};

// Parses "--protocol ktx|nmea|auto" out of args; returns nullopt (after a message on stderr) on a
// bad protocol name.
std::optional<ProtocolArgs> ParseProtocolArgs(const std::vector<std::string>& args, const char* command);

// With --protocol auto (the default), reads the start of the file at `path` and sets the
// protocol that finds more valid frames or sentences there, saying on stderr which it chose.
// A file that cannot be read is left to the command to report.
void ResolveProtocol(ProtocolArgs& args, const std::string& path, const char* command);

// Why `path` cannot be read as a file: the system's reason ("No such file or directory", "Is a
// directory", "Permission denied") or "not a regular file (a FIFO)"; empty when it can.
std::string FileProblem(const std::string& path);
// False, after "orvantis-cli COMMAND: cannot read 'PATH': REASON" on stderr, when it cannot.
bool CheckReadableFile(const std::string& path, const char* command);
// Says on stderr that a file read whole was empty, or held no valid frame or sentence.
void ReportNothingDecoded(const std::string& path, uint64_t bytes, const DecoderCounters& counters, const char* command);

// Opens a regular file for reading on `file`; false (after a message on stderr) when it cannot
// be read. Paths of any length are accepted.
bool OpenLogForReading(const std::string& path, LogFile& file, const char* command);

// A whole decimal number of at most 12 digits and at most `max`, nothing else in the text.
bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long& out);
// A line rate ("--baud N", a transfer rate): 300 to 921600 bit/s.
std::optional<uint32_t> ParseBaud(const std::string& text);

// The non-zero counts as a JSON object keyed by index: {"20":3,"49":1}.
std::string CountsJson(const std::array<uint32_t, kCounterSlots>& counts);

}  // namespace orv::cli
