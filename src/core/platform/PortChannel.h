// A serial port as the main frame uses it: a data channel that can be opened on a named
// device with line settings, read raw (the aux port) and closed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DataChannel.h"
#include "platform/StreamDecoder.h"

namespace orv {

class PortChannel : public DataChannel {
 public:
  // parity: 'E', 'O', 'M', 'S' (any case), anything else none; stopBits 2 gives two.
  virtual bool Open(const std::string& portName, uint32_t baud, char parity, int dataBits, int stopBits) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Why the last Open failed, for the user: the device and the system's reason. Empty when it
  // succeeded or when the channel cannot tell.
  virtual std::string OpenError() const { return {}; }
  // Reads what the driver holds, up to maxBytes, without waiting.
  virtual bool Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) = 0;
  // handshake 1: hardware flow control, anything else none. A channel without line control
  // has nothing to set.
  virtual void SetFlowControl(uint32_t handshake) { (void)handshake; }

  // The device went away while open (unplugged, hung up, the network peer closed): a read
  // found it gone and the channel released it. Close clears it.
  virtual bool Lost() const { return false; }
  // Opens the same device again with the same settings, without waiting for a network peer.
  // True when it opened; a network link may then still be connecting.
  virtual bool Reopen() { return false; }
  // True while a reopened network link is still being connected; a connection that failed
  // makes the channel lost again.
  virtual bool Connecting() { return false; }
  // True for a link over the network (tcp:HOST:PORT).
  virtual bool IsNetwork() const { return false; }
};

}  // namespace orv
