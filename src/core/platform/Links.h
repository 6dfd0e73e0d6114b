// Small link interfaces between the protocol objects and the windows that watch them. Each
// link may be absent (null): then nobody is told.
#pragma once

#include <cstdint>

namespace orv {

// The raw data display: every frame or sentence received (after its checksum passed) and,
// while the show-transmitted flag is set, every one sent. The bytes are valid during the call
// only: a received one may lie in the block being decoded rather than in a buffer of its own.
class RawDisplayLink {
 public:
  virtual ~RawDisplayLink() = default;
  virtual void OnReceived(const uint8_t* frame, int length) = 0;
  virtual void OnTransmitted(const uint8_t* frame, int length) = 0;
};

// The terminal window shows each received block as text (zero-terminated).
class TerminalLink {
 public:
  virtual ~TerminalLink() = default;
  virtual void ShowText(const char* text, uint32_t length) = 0;
};

// A recording file that the decoder hands every received block to.
class LogWriterLink {
 public:
  virtual ~LogWriterLink() = default;
  // Returns true when the whole block was written.
  virtual bool WriteBlock(const uint8_t* bytes, uint32_t count) = 0;
};

// The message-count windows and the automatic-log summary.
class BinaryCountLink {
 public:
  virtual ~BinaryCountLink() = default;
  virtual void OnCounts(uint32_t baseFileFlag, const uint32_t* messageCountById) = 0;
};

class NmeaCountLink {
 public:
  virtual ~NmeaCountLink() = default;
  virtual void OnCounts(const uint32_t* nmeaCountBySlot) = 0;
};

class AutoLogLink {
 public:
  virtual ~AutoLogLink() = default;
  virtual void OnLoggedCounts(const uint32_t* loggedCountById, uint8_t highestLoggedId) = 0;
};

}  // namespace orv
