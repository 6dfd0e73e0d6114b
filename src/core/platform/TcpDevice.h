// A receiver behind a network link: a TCP byte stream (a serial-to-network server, or any
// program serving the receiver's bytes) used where a serial device would be. Port names of the
// form "tcp:HOST:PORT" ("tcp:192.168.1.20:4001", "tcp:[fe80::1]:4001") stand for one. The
// connection is made without blocking: Open starts it, and reads see an idle line until it is
// made. A host name is looked up on a thread of its own, so that a slow or unreachable name
// server holds up neither the console nor the reconnect attempts of a lost link; an address is
// taken as it stands. Line settings are remembered but have no line to act on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct addrinfo;

#include "platform/SerialDevice.h"

namespace orv {

inline constexpr const char* kTcpPrefix = "tcp:";

// True for a name of the form "tcp:..." (any case of the prefix).
bool IsTcpName(const std::string& name);
// Splits "tcp:HOST:PORT" into the host (brackets of an IPv6 address removed) and the port
// (1 to 65535). False for anything else.
bool ParseTcpName(const std::string& name, std::string& host, uint16_t& port);

class TcpDevice : public SerialDevice {
 public:
  TcpDevice() = default;
  ~TcpDevice() override;
  TcpDevice(const TcpDevice&) = delete;
  TcpDevice& operator=(const TcpDevice&) = delete;

  // Starts the connection (after the lookup, for a host name). False when the name is not a
  // TCP name or the connection to an address failed at once (refused on this machine); a name
  // that cannot be looked up fails the connection later, as one that is refused or unanswered.
  bool Open(const std::string& path) override;
  std::string LastError() const override { return lastError_; }
  // Open, or still connecting (looking the host up, or waiting for the other end).
  bool IsHandleValid() const override { return fd_ >= 0 || lookup_ != nullptr; }
  // The rate and framing are kept (settings()), nothing else: the link has no line.
  bool ApplySettings(const LineSettings& settings) override;
  // What has arrived, without waiting. False when the connection failed or the other end
  // closed it (after every byte it sent has been read).
  bool Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) override;
  // Sends every byte, waiting at most a few seconds for room. False on a failed connection.
  bool Write(const uint8_t* bytes, uint32_t count, uint32_t& bytesWritten) override;
  void SetRts(bool) override {}
  void SetDtr(bool) override {}
  void Purge() override {}
  void Close() override;
  // A failed connection releases the socket; LastError says why.
  bool Connecting() override;
  bool WaitConnected(int timeoutMs) override;

  const LineSettings& settings() const { return settings_; }

  // How host names are looked up, getaddrinfo unless a test says otherwise (a slow or failing
  // name server). It runs on the lookup's thread; what it finds is freed with freeaddrinfo.
  using Lookup = int (*)(const char* host, const char* service, const addrinfo* hints, addrinfo** found);
  static void SetLookupForTest(Lookup lookup);

 private:
  struct PendingLookup;
  // Settles a lookup or a connection in progress after waiting up to timeoutMs for it.
  void Settle(int timeoutMs);
  // Starts a connection to the first of the addresses that takes one.
  void Connect(const addrinfo* found);
  void Fail(const std::string& reason);

  int fd_ = -1;
  bool connecting_ = false;
  std::shared_ptr<PendingLookup> lookup_;
  std::string lastError_;
  LineSettings settings_;
};

}  // namespace orv
