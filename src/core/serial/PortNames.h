// Which device of this host a port name means. The console offers the names "COM1" to
// "COM4" (and "Com1" to "Com10" in Auto Connect); COMn is the n-th serial device of the host:
// the list in ORVANTIS_PORTS ("dev1,dev2,..."), or else the devices under /dev/serial/by-id,
// then /dev/ttyUSB*, /dev/ttyACM* and /dev/ttyS*, each group in natural order. A name that
// starts with "/" is a device path already; "tcp:HOST:PORT" is a network link (TcpDevice).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr const char* kPortsVariable = "ORVANTIS_PORTS";

// The serial devices of the host, in COM order. `portsVariable` is the value of
// ORVANTIS_PORTS (null when unset); `root` is where /dev and /sys are (tests use a scratch tree).
std::vector<std::string> ListSerialDevices(const char* portsVariable, const std::filesystem::path& root = "/");
// The same, for this process's environment and file system.
std::vector<std::string> SystemSerialDevices();

// The device path for a port name against a device list; empty when the name means nothing.
std::string DevicePathFor(std::string_view portName, const std::vector<std::string>& devices);
std::string DevicePathFor(std::string_view portName);

struct PortMapping {
  std::string name;
  std::string device;  // empty: no such device on this host
};
// The mapping of the given names, for the port dialog to show.
std::vector<PortMapping> MapPortNames(const std::vector<std::string>& names, const std::vector<std::string>& devices);
std::vector<PortMapping> MapPortNames(const std::vector<std::string>& names);

// The name to keep for a port given by the user (command line, CLI): the configuration holds
// port names of at most 79 characters, so a longer device path (a /dev/serial/by-id link, for
// example) is replaced by the device it resolves to. Empty when even that does not fit.
std::string StorablePortName(const std::string& name);

// "ttyUSB2" before "ttyUSB10": digit runs compare by value.
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace orv
