// Text form of the NMEA protocol-and-baud command.
#include "protocol/ProtocolSwitch.h"

#include "util/Format.h"

namespace orv {

std::string ProtocolAndBaudSentenceData(int protocolSelector, uint32_t baud) {
  return Format(",%d,%u", protocolSelector ? 1 : 0, baud);
}

std::optional<ProtocolAndBaud> ParseProtocolAndBaudSentenceData(std::string_view data) {
  if (data.size() < 4 || data[0] != ',' || (data[1] != '0' && data[1] != '1') || data[2] != ',') {
    return std::nullopt;
  }
  ProtocolAndBaud out;
  out.protocolSelector = data[1] - '0';
  uint64_t baud = 0;
  std::size_t i = 3;
  for (; i < data.size() && data[i] >= '0' && data[i] <= '9'; ++i) {
    baud = baud * 10 + static_cast<uint64_t>(data[i] - '0');
    if (baud > 10000000) return std::nullopt;
  }
  if (i == 3 || (i < data.size() && data[i] != '*')) return std::nullopt;
  out.baud = static_cast<uint32_t>(baud);
  return out;
}

}  // namespace orv
