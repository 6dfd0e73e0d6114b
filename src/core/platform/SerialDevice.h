// The operating system's serial device as SerialPort needs it: open a path exclusively, apply
// line settings, read what the driver holds without waiting, write and wait, work the modem
// lines. The real one is POSIX termios (PosixSerialDevice); tests use doubles.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

enum class Parity : uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };

// Flow-control modes: none, keep what the driver has, RTS/CTS hardware handshake.
inline constexpr uint32_t kFlowNone = 0;
inline constexpr uint32_t kFlowKeepDriver = 1;
inline constexpr uint32_t kFlowHardware = 2;

struct LineSettings {
  uint32_t baud = 9600;
  uint8_t dataBits = 8;
  Parity parity = Parity::None;
  uint8_t stopBitsCode = 0;  // 0 one stop bit, 2 two stop bits
  uint32_t flowControl = kFlowNone;
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  // Opens an existing device for reading and writing, without making it the controlling
  // terminal, without blocking, and exclusively: a second open of the same device, by this
  // process or another, fails while this one holds it.
  virtual bool Open(const std::string& path) = 0;
  // Why the last Open or ApplySettings failed, in the system's words; empty when it did not.
  virtual std::string LastError() const { return {}; }
  virtual bool IsHandleValid() const = 0;
  // Raw mode with the given rate, framing and flow control; reads return at once with what is
  // buffered. False when the driver refused the settings (the handle stays open).
  virtual bool ApplySettings(const LineSettings& settings) = 0;
  // Reads what the driver holds, up to maxBytes, without waiting. False on a device error.
  virtual bool Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) = 0;
  // Writes every byte and waits until the driver has sent them. False on a device error.
  virtual bool Write(const uint8_t* bytes, uint32_t count, uint32_t& bytesWritten) = 0;
  virtual void SetRts(bool on) = 0;
  virtual void SetDtr(bool on) = 0;
  // Drops whatever is waiting in the queues: received bytes not read yet, and anything still
  // queued for sending (nothing is, after a write that waited for completion).
  virtual void Purge() = 0;
  virtual void Close() = 0;
  // True when the other end is gone (a pseudo-terminal whose master closed, a device that was
  // unplugged), which a read cannot tell from an idle line.
  virtual bool HungUp() const { return false; }
  // A device reached over a network is opened without waiting for the connection: true while
  // it is still being made. A connection that failed releases the handle and says why.
  virtual bool Connecting() { return false; }
  // Waits up to timeoutMs for a connection still being made; false when there is none.
  virtual bool WaitConnected(int timeoutMs) {
    (void)timeoutMs;
    return IsHandleValid();
  }
};

}  // namespace orv
