// The console's serial port: a data channel over one serial device. Reads never wait; they
// return what the driver holds. Writes wait until the bytes are sent. The main frame owns
// three (main, aux, output); only the main port has a sink.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/PortChannel.h"
#include "platform/SerialDevice.h"
#include "platform/StreamDecoder.h"

namespace orv {

class SerialPort : public PortChannel {
 public:
  static constexpr uint32_t kReceiveBufferSize = 65535;
  // How long an open by the user waits for a network link to connect.
  static constexpr int kConnectWaitMs = 3000;

  // Maps a port name ("COM3", "/dev/ttyUSB0") to the device path to open; empty: no device.
  using PortResolver = std::function<std::string(const std::string& portName)>;

  // A null device means the host's own: termios for device paths, a TCP link for
  // "tcp:HOST:PORT" names. A null resolver means the system mapping of PortNames.
  explicit SerialPort(StreamDecoder* sink, std::unique_ptr<SerialDevice> device = nullptr,
                      PortResolver resolver = nullptr);
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // parity: 'E', 'O', 'M', 'S' in either case, anything else none; stopBits 2 gives two,
  // anything else one. True when the line settings were accepted.
  bool Open(const std::string& portName, uint32_t baud, char parity, int dataBits, int stopBits) override;
  // Whether the port exists and is free: opens it at 9600 8N1 and closes it again at once.
  bool TestOpen(const std::string& portName);
  void Close() override;
  bool IsOpen() const override { return openFlag_ == 1; }
  // "/dev/ttyUSB0: No such file or directory", or that the name stands for no device here.
  std::string OpenError() const override { return openError_; }

  void SetRtsLine(bool on);
  void SetDtrLine(bool on);
  // handshake 1: RTS/CTS hardware flow control; anything else none. Reapplies the settings.
  void SetFlowControl(uint32_t handshake) override;

  // A read that finds the device gone (a read error, a hang-up, the network peer closing)
  // releases it and marks the port lost.
  bool Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) override;
  bool Write(const uint8_t* bytes, uint32_t count, uint32_t& bytesWritten);

  // Reads up to maxBytes into the receive buffer and hands them to the sink whole.
  uint32_t Receive(uint32_t maxBytes) override;
  bool Send(const uint8_t* bytes, uint32_t count) override;

  bool Lost() const override { return lost_; }
  // The device path of the last Open, opened again with the same settings: a /dev/serial/by-id
  // link finds the adapter under whatever ttyUSB number it came back as.
  bool Reopen() override;
  bool Connecting() override;
  bool IsNetwork() const override { return network_; }

  const LineSettings& settings() const { return settings_; }
  uint32_t handshake() const { return handshakeFlag_; }
  SerialDevice& device() { return *device_; }
  // The device path the last Open resolved the port name to.
  const std::string& devicePath() const { return devicePath_; }

 private:
  bool ApplyLineSettings();
  // The host's own device for a path, when none was given at construction.
  void UseDeviceFor(const std::string& path);
  bool OpenDevice();
  // `why` when the device gives no reason of its own.
  void MarkLost(const char* why);

  StreamDecoder* sink_;
  uint32_t openFlag_ = 0;
  uint32_t handshakeFlag_ = 0;
  std::unique_ptr<SerialDevice> device_;
  bool ownDevices_ = false;
  bool network_ = false;
  bool lost_ = false;
  PortResolver resolver_;
  LineSettings settings_;
  std::string devicePath_;
  std::string openError_;
  // One spare byte after the largest block: the sink may write a terminating zero there.
  std::array<uint8_t, kReceiveBufferSize + 1> receiveBuffer_{};
};

// The stop box of a port that would not open: "Cannot open port COM3." and, on the next line,
// the reason the port gave ("/dev/ttyUSB0: No such file or directory").
std::string PortOpenFailureText(const std::string& portName, const std::string& reason);

}  // namespace orv
