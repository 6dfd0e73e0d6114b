// The "Serial Port Configuration" dialog shared by the main, aux and output ports: the ports
// COM1 to COM4 (only those that can be opened now are offered, the first of them chosen), the
// baud rate and the flow-control choice, which stays disabled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/Form.h"
#include "platform/PortChannel.h"

namespace orv {

// Whether a port exists and is free: opens it at 9600 bit/s 8N1 and closes it again at once.
// The port is closed after a failed open as well, so that nothing stays held.
bool TestOpen(PortChannel& port, const std::string& portName);

// True for the port name meaning "no port" (the dialog's "NONE", or nothing at all).
bool IsNoPort(const std::string& portName);

class PortDialog {
 public:
  static constexpr int kPortGroup = 1101;  // "Com1" to "Com4"
  static constexpr int kBaudGroup = 1102;  // "2400" to "115200"
  static constexpr int kFlowGroup = 1103;  // "Data Flow": "None", "H/W"
  // "Other port": a name typed by the user (a device path, "tcp:HOST:PORT"), used instead of
  // the chosen radio button when it is not empty.
  static constexpr int kTypedName = 1104;
  static constexpr std::size_t kTypedNameLimit = 79;
  static constexpr int kPortCount = 4;
  static constexpr uint32_t kFallbackBaud = 9600;

  // Opens on `baud` (a rate the dialog does not offer becomes 9600) and `flowChoice` (1 H/W,
  // anything else None), probing each port with `probe`. `devices` is the host's serial
  // devices in COM order, shown beside each port name.
  PortDialog(uint32_t baud, int32_t flowChoice, PortChannel& probe, const std::vector<std::string>& devices);
  // The same with this host's devices.
  PortDialog(uint32_t baud, int32_t flowChoice, PortChannel& probe);
  PortDialog(const PortDialog&) = delete;
  PortDialog& operator=(const PortDialog&) = delete;

  Form& form() { return form_; }
  const Form& form() const { return form_; }

  // The typed name when there is one; else "COM1" to "COM4", or "NONE" while no port is chosen.
  std::string portName() const;
  uint32_t baudRate() const;
  int32_t flowChoice() const;

  static const std::vector<uint32_t>& Rates();

 private:
  Form form_;
};

}  // namespace orv
