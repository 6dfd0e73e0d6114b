// Splitting a recording at the hour boundaries of the receiver's own clock. The splitter sits
// between the decoder and the timed recorder: as a decode observer it reads the time of every
// frame that carries one (messages 20 and 21, sentences RMC and ZDA) and notes where the first
// frame of a new period starts; as the decoder's log writer it then hands the recorder the
// bytes before that frame, moves the recorder to the next file and goes on. Files are named
// after the recording's path: its stem, the date and hour the period starts, its extension.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logging/LogFile.h"
#include "logging/TimedRecorder.h"
#include "protocol/MessageDecoder.h"

namespace orv {

// A time read from the stream, in seconds since 6 January 1980 00:00 on the receiver's scale,
// and how much it is trusted: GPS time (message 21) over UTC (message 20, RMC, ZDA).
struct StreamTime {
  double seconds = 0;
  int rank = 0;  // 2 GPS time, 1 UTC
};
std::optional<StreamTime> FrameTime(const uint8_t* frame, int length);
std::optional<StreamTime> SentenceTime(const char* sentence, int length);
// "runs/day.log" for the period starting at `seconds`: "runs/day_20261209_07.log".
std::string SplitFileName(const std::string& path, double seconds);

class HourSplitter : public LogWriterLink, public DecodeObserver {
 public:
  // Bytes held before the first time is known; past this they go to the path itself.
  static constexpr std::size_t kMaxPendingBytes = 8u << 20;
  // Bytes held after the last complete frame, at most (a frame is at most 261).
  static constexpr uint64_t kMaxTailBytes = 65536;

  // splitHours 0: one file, the path itself.
  HourSplitter(TimedRecorder& recorder, std::string path, int splitHours);
  ~HourSplitter() override;
  HourSplitter(const HourSplitter&) = delete;
  HourSplitter& operator=(const HourSplitter&) = delete;

  // Creates the first file (without splitting) or prepares to wait for the first time.
  bool Start();
  bool WriteBlock(const uint8_t* bytes, uint32_t count) override;
  void OnFrame(uint64_t offset, const uint8_t* frame, int length) override;
  void OnSentence(uint64_t offset, const char* sentence, int length, int slot) override;
  // Puts what is still held into a file and closes it; false when that failed.
  bool Finish();

  const std::vector<std::string>& files() const { return files_; }
  bool failed() const { return failed_; }

 private:
  // The recorder's file until the first time is known: the bytes stay in memory.
  class PendingFile : public LogFile {
   public:
    bool Send(const uint8_t* bytes, uint32_t count) override;
    std::vector<uint8_t> bytes;
  };
  struct Cut {
    uint64_t offset;
    int64_t period;
  };
  void OnTime(uint64_t offset, const std::optional<StreamTime>& time);
  bool OpenFile(const std::string& name);
  bool FlushPending();
  bool Release(uint64_t upTo);

  TimedRecorder& recorder_;
  std::string path_;
  int splitHours_;
  uint64_t position_ = 0;
  // Stream offsets: where the held tail starts, where the last complete item ended.
  uint64_t tailStart_ = 0;
  uint64_t lastEnd_ = 0;
  std::vector<uint8_t> tail_;
  int64_t period_ = -1;
  int rank_ = 0;
  std::deque<Cut> cuts_;
  PendingFile pending_;
  bool holding_ = false;
  std::unique_ptr<LogFile> file_;
  std::vector<std::string> files_;
  bool failed_ = false;
};

}  // namespace orv
