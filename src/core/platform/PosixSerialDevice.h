// The serial device of a POSIX host: a tty opened exclusively and driven through termios.
// Works on real UARTs, USB adapters and pseudo-terminals alike.
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SerialDevice.h"

namespace orv {

class PosixSerialDevice : public SerialDevice {
 public:
  PosixSerialDevice() = default;
  ~PosixSerialDevice() override;
  PosixSerialDevice(const PosixSerialDevice&) = delete;
  PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

  bool Open(const std::string& path) override;
  std::string LastError() const override { return lastError_; }
  bool IsHandleValid() const override { return fd_ >= 0; }
  bool ApplySettings(const LineSettings& settings) override;
  bool Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) override;
  bool Write(const uint8_t* bytes, uint32_t count, uint32_t& bytesWritten) override;
  void SetRts(bool on) override;
  void SetDtr(bool on) override;
  void Purge() override;
  void Close() override;

  // True when the other end is gone (a pseudo-terminal whose master closed, a device that
  // was unplugged). Reads then return nothing, exactly as when no data is waiting.
  bool HungUp() const override;
  // The attributes the last ApplySettings asked the driver for. A pseudo-terminal reports 8
  // data bits and no parity whatever it was given, so this is what tells what was asked.
  const std::optional<termios>& LastApplied() const { return lastApplied_; }
  int fd() const { return fd_; }

  // The termios speed for a rate in bit/s (300 to 921600, the standard rates), or none.
  static std::optional<speed_t> SpeedFor(uint32_t baud);
  // The rate in bit/s of a termios speed; 0 for B0 or an unknown value.
  static uint32_t BaudFor(speed_t speed);
  // Raw attributes built over `base` (the driver's current ones): the settings' rate, data
  // bits, parity, stop bits and flow control; no echo, no translation; reads return at once.
  // None when the rate is not supported.
  static std::optional<termios> MakeAttributes(const termios& base, const LineSettings& settings);

 private:
  // How long a write may wait for the line before it is given up: the time the bytes take at
  // the line rate, twice over, plus a margin for a peer that briefly holds CTS low.
  int WriteBudgetMs(uint32_t count) const;
  bool WaitUntilSent(int64_t deadlineMs);

  int fd_ = -1;
  std::string lastError_;
  uint32_t baud_ = 9600;
  std::optional<termios> lastApplied_;
};

}  // namespace orv
