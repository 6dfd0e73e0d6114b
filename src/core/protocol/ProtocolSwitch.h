// The NMEA protocol-and-baud command, `$PQTLG,000`: the data after the address is
// ",P,BAUD" where P is the protocol the receiver is to use (1 KTX Binary, 0 NMEA, as the
// console's protocol selector) and BAUD its new rate in bit/s, for example ",1,9600".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

std::string ProtocolAndBaudSentenceData(int protocolSelector, uint32_t baud);

struct ProtocolAndBaud {
  int protocolSelector = 1;
  uint32_t baud = 0;
};
// Parses the data of a `$PQTLG,000` sentence (what follows the address, up to '*').
std::optional<ProtocolAndBaud> ParseProtocolAndBaudSentenceData(std::string_view data);

}  // namespace orv
