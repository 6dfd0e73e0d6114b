// A file as a data channel: played back through a decoder, written by recordings, and used
// for the configuration file. Log files are the raw received byte stream, without framing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/DataChannel.h"
#include "platform/Desktop.h"
#include "platform/StreamDecoder.h"

namespace orv {

class LogFile : public DataChannel {
 public:
  static constexpr uint32_t kReadBufferSize = 32767;
  static constexpr long kCheckLimit = 10000;

  explicit LogFile(StreamDecoder* sink = nullptr) : sink_(sink) {}
  ~LogFile() override;
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Opens read-only and runs the log file check of the protocol selector (1 KTX Binary,
  // 0 NMEA); the file stays open, positioned where playback starts, only when it passes.
  // `boxes` receives the check's message, if any.
  bool OpenForPlayback(const std::string& path, MessageBoxes* boxes, uint32_t protocolSelector = 1);
  // Opens with the given open(2) flags, without any check.
  bool OpenExisting(const std::string& path, int flags);
  // Opens with the given open(2) flags and permissions.
  bool Create(const std::string& path, int flags, int permissions);
  void Close();
  static bool Delete(const std::string& path);
  bool SeekAbsolute(int64_t offset);
  bool SeekRelative(int64_t delta);
  int64_t Position() const;
  // The length of the open file now; -1 while closed.
  int64_t Size() const;
  long ReadRaw(uint8_t* buffer, uint32_t count);

  uint32_t Receive(uint32_t maxBytes) override;
  bool Send(const uint8_t* bytes, uint32_t count) override;

  bool isOpen() const { return open_ == 1; }
  void SetEnabled(bool on) { enabled_ = on ? 1 : 0; }
  void SetSink(StreamDecoder* sink) { sink_ = sink; }
  const std::string& fileName() const { return fileName_; }
  // Bytes the last Receive read from the file, whatever the sink took of them: 0 at the end of
  // the file (or on a read error), while a sink that stopped early can make Receive return 0.
  uint32_t lastReadCount() const { return lastReadCount_; }

 private:
  bool CheckLogFile(MessageBoxes* boxes);
  bool CheckNmeaLogFile(MessageBoxes* boxes);
  bool StoreName(const std::string& path);
  bool OpenDescriptor(const std::string& path, int flags, int permissions);

  uint32_t open_ = 0;
  StreamDecoder* sink_ = nullptr;
  uint32_t enabled_ = 1;
  int mode_ = 0;
  int fd_ = 0;
  std::string fileName_;
  uint32_t lastReadCount_ = 0;
  // One spare byte after the largest block: the decoder may terminate the block there.
  std::array<uint8_t, kReadBufferSize + 1> readBuffer_{};
};

}  // namespace orv
