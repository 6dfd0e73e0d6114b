// Open, close and transfer sequences of the serial port.
#include "serial/SerialPort.h"

#include <algorithm>

#include "platform/PosixSerialDevice.h"
#include "platform/TcpDevice.h"
#include "serial/PortNames.h"

namespace orv {

namespace {

Parity ParityFromChar(char c) {
  switch (c) {
    case 'E': case 'e': return Parity::Even;
    case 'O': case 'o': return Parity::Odd;
    case 'M': case 'm': return Parity::Mark;
    case 'S': case 's': return Parity::Space;
    default: return Parity::None;
  }
}

std::string Reason(const std::string& systemText) { return systemText.empty() ? "cannot be opened" : systemText; }

}  // namespace

SerialPort::SerialPort(StreamDecoder* sink, std::unique_ptr<SerialDevice> device, PortResolver resolver)
    : sink_(sink), device_(std::move(device)), resolver_(std::move(resolver)) {
  ownDevices_ = device_ == nullptr;
  if (!device_) device_ = std::make_unique<PosixSerialDevice>();
  if (!resolver_) resolver_ = [](const std::string& name) { return DevicePathFor(name); };
  settings_.flowControl = kFlowNone;
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const std::string& portName, uint32_t baud, char parity, int dataBits, int stopBits) {
  settings_.baud = baud;
  settings_.dataBits = static_cast<uint8_t>(dataBits);
  settings_.parity = ParityFromChar(parity);
  settings_.stopBitsCode = stopBits == 2 ? 2 : 0;

  // A handle kept from an open whose settings failed is released before the new open, so the
  // exclusive open does not trip over this port's own lock.
  if (device_->IsHandleValid()) Close();
  devicePath_ = resolver_(portName);
  openError_.clear();
  lost_ = false;
  if (devicePath_.empty()) {
    openError_ = portName + " is not a serial device of this machine";
    openFlag_ = 0;
    return false;
  }
  UseDeviceFor(devicePath_);
  if (!OpenDevice()) return false;
  // A user's open waits (a bounded time) for a network link: a refused or silent address is
  // said at once, as a missing device is.
  if (!device_->WaitConnected(kConnectWaitMs)) {
    openError_ = devicePath_ + ": " + Reason(device_->LastError());
    device_->Close();
    openFlag_ = 0;
    return false;
  }
  return true;
}

void SerialPort::UseDeviceFor(const std::string& path) {
  const bool network = IsTcpName(path);
  if (ownDevices_ && network != network_) {
    device_->Close();
    if (network) {
      device_ = std::make_unique<TcpDevice>();
    } else {
      device_ = std::make_unique<PosixSerialDevice>();
    }
  }
  network_ = network;
}

bool SerialPort::OpenDevice() {
  lost_ = false;
  if (!device_->Open(devicePath_)) {
    openError_ = devicePath_ + ": " + Reason(device_->LastError());
    openFlag_ = 0;
    return false;
  }
  openFlag_ = ApplyLineSettings() ? 1 : 0;
  if (openFlag_ == 0) openError_ = devicePath_ + ": " + Reason(device_->LastError());
  SetRtsLine(true);
  SetDtrLine(true);
  return openFlag_ == 1;
}

bool SerialPort::Reopen() {
  if (devicePath_.empty()) return false;
  if (device_->IsHandleValid()) device_->Close();
  openError_.clear();
  if (OpenDevice()) return true;
  device_->Close();
  lost_ = true;
  return false;
}

bool SerialPort::Connecting() {
  if (openFlag_ != 1) return false;
  if (device_->Connecting()) return true;
  if (!device_->IsHandleValid()) MarkLost("the connection failed");
  return false;
}

void SerialPort::MarkLost(const char* why) {
  const std::string system = device_->LastError();
  openError_ = devicePath_ + ": " + (system.empty() ? std::string(why) : system);
  if (device_->IsHandleValid()) device_->Close();
  openFlag_ = 0;
  lost_ = true;
}

bool SerialPort::TestOpen(const std::string& portName) {
  const bool ok = Open(portName, 9600, 'N', 8, 1);
  if (ok) Close();
  return ok;
}

void SerialPort::Close() {
  if (device_->IsHandleValid()) {
    device_->SetDtr(false);
    device_->SetRts(false);
    device_->Purge();
    device_->Close();
  }
  openFlag_ = 0;
  lost_ = false;
}

bool SerialPort::ApplyLineSettings() { return device_->ApplySettings(settings_); }

void SerialPort::SetRtsLine(bool on) { device_->SetRts(on); }

void SerialPort::SetDtrLine(bool on) { device_->SetDtr(on); }

void SerialPort::SetFlowControl(uint32_t handshake) {
  handshakeFlag_ = handshake;
  settings_.flowControl = handshake == 1 ? kFlowHardware : kFlowNone;
  if (device_->IsHandleValid()) ApplyLineSettings();
}

bool SerialPort::Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) {
  bytesRead = 0;
  if (openFlag_ != 1) return false;
  if (!device_->Read(buffer, maxBytes, bytesRead)) {
    bytesRead = 0;
    MarkLost("the device went away");
    return false;
  }
  if (bytesRead == 0 && device_->HungUp()) {
    MarkLost("the line hung up");
    return false;
  }
  return true;
}

bool SerialPort::Write(const uint8_t* bytes, uint32_t count, uint32_t& bytesWritten) {
  bytesWritten = 0;
  if (openFlag_ != 1) return false;
  return device_->Write(bytes, count, bytesWritten);
}

uint32_t SerialPort::Receive(uint32_t maxBytes) {
  if (sink_ == nullptr || openFlag_ != 1) return 0;
  uint32_t count = 0;
  if (!Read(receiveBuffer_.data(), std::min(maxBytes, kReceiveBufferSize), count)) return 0;
  // A serial block is always handed over whole; what the sink says it used is not needed.
  sink_->Decode(receiveBuffer_.data(), count);
  return count;
}

bool SerialPort::Send(const uint8_t* bytes, uint32_t count) {
  if (openFlag_ != 1) return false;
  uint32_t written = 0;
  return Write(bytes, count, written);
}

std::string PortOpenFailureText(const std::string& portName, const std::string& reason) {
  std::string text = "Cannot open port " + portName + ".";
  if (!reason.empty()) text += "\n" + reason;
  return text;
}

}  // namespace orv
