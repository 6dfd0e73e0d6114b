// The port-name mapping. A by-id link and the ttyUSB node it points at are one device, listed
// once under its by-id name, which stays the same when the adapter is plugged in elsewhere.
#include "serial/PortNames.h"

#include "platform/TcpDevice.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <system_error>

namespace orv {

namespace fs = std::filesystem;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(first, last - first + 1));
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    std::string item = Trim(text.substr(start, comma - start));
    if (!item.empty()) out.push_back(std::move(item));
    start = comma + 1;
  }
  return out;
}

// Names in `dir` starting with `prefix`, in natural order.
std::vector<std::string> Entries(const fs::path& dir, std::string_view prefix) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
  return names;
}

// Most hosts have ttyS nodes for UARTs that are not there; the kernel reports those with
// port type 0. Without sysfs the node is kept.
bool IsPresentUart(const fs::path& root, const std::string& name) {
  std::ifstream type(root / "sys/class/tty" / name / "type");
  int value = -1;
  if (!(type >> value)) return true;
  return value != 0;
}

std::string Canonical(const fs::path& p) {
  std::error_code ec;
  const fs::path c = fs::weakly_canonical(p, ec);
  return ec ? p.string() : c.string();
}

// The path the console opens: the one under the real /dev, whatever root was scanned.
std::string Shown(const fs::path& root, const fs::path& p) {
  return (fs::path("/") / p.lexically_relative(root)).string();
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t ie = i, je = j;
      while (ie < a.size() && IsDigit(a[ie])) ++ie;
      while (je < b.size() && IsDigit(b[je])) ++je;
      std::string_view da = a.substr(i, ie - i), db = b.substr(j, je - j);
      while (da.size() > 1 && da[0] == '0') da.remove_prefix(1);
      while (db.size() > 1 && db[0] == '0') db.remove_prefix(1);
      if (da.size() != db.size()) return da.size() < db.size();
      if (da != db) return da < db;
      i = ie;
      j = je;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

std::vector<std::string> ListSerialDevices(const char* portsVariable, const fs::path& root) {
  if (portsVariable != nullptr) return SplitList(portsVariable);
  std::vector<std::string> devices;
  std::set<std::string> seen;
  auto add = [&](const fs::path& p) {
    if (seen.insert(Canonical(p)).second) devices.push_back(Shown(root, p));
  };
  const fs::path dev = root / "dev";
  for (const std::string& name : Entries(dev / "serial/by-id", "")) add(dev / "serial/by-id" / name);
  for (const char* prefix : {"ttyUSB", "ttyACM"}) {
    for (const std::string& name : Entries(dev, prefix)) add(dev / name);
  }
  for (const std::string& name : Entries(dev, "ttyS")) {
    if (IsPresentUart(root, name)) add(dev / name);
  }
  return devices;
}

std::vector<std::string> SystemSerialDevices() { return ListSerialDevices(std::getenv(kPortsVariable)); }

std::string DevicePathFor(std::string_view portName, const std::vector<std::string>& devices) {
  if (!portName.empty() && portName[0] == '/') return std::string(portName);
  if (IsTcpName(std::string(portName))) return std::string(portName);
  if (portName.size() < 4) return {};
  auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
  if (lower(portName[0]) != 'c' || lower(portName[1]) != 'o' || lower(portName[2]) != 'm') return {};
  std::size_t n = 0;
  for (char c : portName.substr(3)) {
    if (!IsDigit(c) || n > 1000) return {};
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  if (n == 0 || n > devices.size()) return {};
  return devices[n - 1];
}

std::string DevicePathFor(std::string_view portName) {
  if (!portName.empty() && portName[0] == '/') return std::string(portName);
  if (IsTcpName(std::string(portName))) return std::string(portName);
  return DevicePathFor(portName, SystemSerialDevices());
}

std::vector<PortMapping> MapPortNames(const std::vector<std::string>& names, const std::vector<std::string>& devices) {
  std::vector<PortMapping> out;
  out.reserve(names.size());
  for (const std::string& name : names) out.push_back({name, DevicePathFor(name, devices)});
  return out;
}

std::vector<PortMapping> MapPortNames(const std::vector<std::string>& names) {
  return MapPortNames(names, SystemSerialDevices());
}

std::string StorablePortName(const std::string& name) {
  constexpr std::size_t kLongestName = 79;
  if (name.size() <= kLongestName) return name;
  if (name.empty() || name[0] != '/') return {};
  std::error_code error;
  const std::string resolved = std::filesystem::canonical(name, error).string();
  return !error && resolved.size() <= kLongestName ? resolved : std::string();
}

}  // namespace orv
