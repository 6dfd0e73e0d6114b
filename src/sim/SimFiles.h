// The simulated receiver's files and their download. The file table is what the receiver
// holds in its memory (the file list of message 70 sub-ID 2 and the downloads read it); the
// download answers message 70 sub-ID 6: the initiated answer at the rate the console talks at,
// then the switch to the rate the INITIATE asked for, the blocks from START or RETRANSMIT n as
// fast as the line takes them, the stop and completed acknowledgements, and back to the entry
// rate. Fault options spoil the transfer in the ways a real line or receiver would.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimBinary.h"

namespace orv::sim {

struct SimFile {
  uint8_t number = 0;
  std::string name;  // at most 8 characters
  uint32_t size = 0;  // bytes
  uint8_t blockSize = 200;
  // The attributes the file manager (message 70 sub-ID 1) creates and modifies.
  std::string pointName = {};     // at most 16 characters
  std::string pointCode = {};     // at most 16
  int16_t antennaHeight = 0;
  uint8_t antennaMethod = 0;
  std::string operatorName = {};  // at most 3

  uint32_t BlockCount() const { return blockSize == 0 ? 0 : (size + blockSize - 1) / blockSize; }
  // Block `number` (1-based): the bytes of the file it carries, shorter for the last block.
  std::vector<uint8_t> Block(uint32_t number) const;
  // The whole content. Every byte is known from the name and its offset: each block repeats
  // "NAME#block@offset|", the offset being that of the piece within the file.
  std::vector<uint8_t> Content() const;
};

class SimFileTable {
 public:
  // The files a receiver starts with; no size is a multiple of its block size.
  static SimFileTable Defaults();

  const std::vector<SimFile>& files() const { return files_; }
  const SimFile* Find(std::string_view name) const;
  // False when a file of that name or number exists, or the name is empty or too long.
  bool Add(SimFile file);
  bool Remove(std::string_view name);
  // The 67-byte file information record of message 70 sub-ID 2: byte 0 the entry's index
  // (from 1), byte 1 the file number, bytes 3-10 the name, bytes 11-14 the size, bytes
  // 15-18 the block count, byte 19 the block size.
  static Payload InfoRecord(const SimFile& file, std::size_t index);

  // The file manager: a 53-byte 70/1 request (after the sub-ID) acted on, and the 53-byte
  // answer: action, result code, active flag, then the attributes of the file concerned.
  // Create makes a new empty file the active one (only one is active at a time); Close ends
  // it; Delete removes a named file; Modify changes the attributes the mask names, of the named
  // file or else of the active one; Info reports the active file.
  Payload OnFileManager(std::span<const uint8_t> request);
  // The other answers of the file manager, in this receiver's own layouts: status and
  // configuration (70/3, 31 bytes: file count, active flag, active name), memory information
  // (70/7, 17 bytes: total, used and free bytes, file count) and the active file's header
  // (70/8, 129 bytes: name, point name, point code, antenna height and method, operator, size;
  // the first file's when none is active).
  Payload StatusRecord() const;
  Payload MemoryRecord() const;
  Payload HeaderRecord() const;
  // The file being recorded, if any.
  const SimFile* active() const { return active_.empty() ? nullptr : Find(active_); }

 private:
  SimFile* FindMutable(std::string_view name);
  uint8_t FreeNumber() const;

  std::vector<SimFile> files_;
  std::string active_;
};

struct SimDownloadOptions {
  uint32_t dropBlock = 0;     // block k is left out the first time it is due (0: none)
  uint32_t corruptBlock = 0;  // block k goes out once with a wrong checksum
  uint32_t repeatBlock = 0;   // block k goes out twice every time
  uint32_t silentAfter = 0;   // after block k the receiver says nothing more
  bool refuseSwitch = false;  // the transfer stays at the entry rate whatever is asked
  bool failInitiate = false;  // INITIATE is answered with a failure
};

// A frame to send: message 70 payload (sub-ID first), and whether its checksum is spoiled.
struct SimDownloadFrame {
  Payload payload;
  bool corrupt = false;
};

class SimDownload {
 public:
  static constexpr double kWatchdogSeconds = 30;  // three keep-alive periods

  explicit SimDownload(const SimDownloadOptions& options = {}) : options_(options) {}

  // A 70/6 request at time `now`, heard at `lineRate`; the answers go to `out`.
  void OnRequest(const std::vector<uint8_t>& payload, const SimFileTable& files, uint32_t lineRate, double now,
                 std::vector<SimDownloadFrame>& out);
  // The next blocks, while fewer than `room` bytes of output wait; a watchdog that has run
  // out ends the transfer.
  void Pump(std::size_t queued, std::size_t room, double now, std::vector<SimDownloadFrame>& out);
  // The rate the line is to take once everything queued has gone, if any; taken once.
  std::optional<uint32_t> TakeRateChange();
  bool rateChangePending() const { return rateChange_.has_value(); }
  bool silent() const { return silent_; }
  bool active() const { return state_ != State::Idle; }
  uint32_t blocksSent() const { return blocksSent_; }

 private:
  enum class State { Idle, Initiated, Sending };
  void End(uint32_t backTo);
  void Answer(uint8_t status, std::vector<SimDownloadFrame>& out, const Payload& extra = {});

  SimDownloadOptions options_;
  State state_ = State::Idle;
  std::optional<SimFile> file_;
  uint32_t next_ = 0;
  uint32_t entryRate_ = 0;
  double lastHeard_ = 0;
  std::optional<uint32_t> rateChange_;
  bool dropped_ = false;
  bool corrupted_ = false;
  bool silent_ = false;
  uint32_t blocksSent_ = 0;
};

}  // namespace orv::sim
