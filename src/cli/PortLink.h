// A receiver's port as the long-running commands (record, serve, decode --port) read it: what
// has arrived, without waiting, and, with reconnection on, the loss of the device survived:
// the same device (or network address) is opened again when it comes back, with a line on
// standard error for each loss and each return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "serial/PortReconnect.h"
#include "serial/SerialPort.h"

namespace orv::cli {

// "--reconnect" / "--no-reconnect": true when `arg` is one of them, with `on` set from it.
bool ParseReconnectFlag(const std::string& arg, bool& on);

class PortLink {
 public:
  enum class ReadResult { Data, Idle, Ended };

  PortLink(const char* command, std::string portName, bool reconnect);

  // Opens the port; false after a message on standard error.
  bool Open(uint32_t baud);
  // What has arrived, up to maxBytes. Idle while nothing has (or while the device is away and
  // being waited for); Ended when the device went away and reconnection is off.
  ReadResult Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& count);
  // True once after each return of the device: a receiver that restarted has forgotten its
  // Continuous requests.
  bool TakeReconnected();

  SerialPort& port() { return port_; }
  bool lost() const { return reconnect_.lost(); }
  uint32_t losses() const { return losses_; }
  uint32_t reconnects() const { return reconnects_; }

 private:
  const char* command_;
  std::string name_;
  bool reconnectOn_;
  SerialPort port_{nullptr};
  PortReconnect reconnect_{port_};
  bool reconnected_ = false;
  uint32_t losses_ = 0;
  uint32_t reconnects_ = 0;
};

}  // namespace orv::cli
