// Sentence framing and the data of the request builders.
#include "nmea/NmeaEncoder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "util/Format.h"

namespace orv {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kMaxRate = 999;

// A character the data may carry: printable, and neither of the two that delimit a sentence.
bool DataChar(char c) { return c >= ' ' && c <= '~' && c != '$' && c != '*'; }

// A sentence code is three letters or digits: GGA, RMC, 900.
bool ValidCode(std::string_view code) {
  if (code.size() != 3) return false;
  return std::all_of(code.begin(), code.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

}  // namespace

uint8_t NmeaChecksum(std::string_view body) {
  uint8_t checksum = 0;
  for (char c : body) checksum ^= static_cast<uint8_t>(c);
  return checksum;
}

std::string NmeaFrame(std::string_view body) {
  if (!std::all_of(body.begin(), body.end(), DataChar)) return {};
  const uint8_t checksum = NmeaChecksum(body);
  std::string out;
  out.reserve(body.size() + 6);
  out += '$';
  out += body;
  out += '*';
  out += kHexDigits[checksum >> 4];
  out += kHexDigits[checksum & 0xF];
  out += "\r\n";
  return out;
}

bool NmeaEncoder::SendSentence(int kind, std::string_view data) {
  if (kind < 0 || kind > kNmeaBeaconConfiguration) return false;
  if (!std::all_of(data.begin(), data.end(), DataChar)) return false;
  char address[16];
  if (kind == kNmeaBeaconConfiguration) {
    std::memcpy(address, "GPMSK", 6);
  } else {
    std::memcpy(address, "PQTLG,0", 7);
    address[7] = static_cast<char>('0' + kind / 10);
    address[8] = static_cast<char>('0' + kind % 10);
    address[9] = '\0';
  }
  const std::size_t addressLength = std::strlen(address);
  // '$', address, data, '*', two digits, CR, LF.
  const std::size_t total = 1 + addressLength + data.size() + 5;
  if (total > buffer_.size()) return false;

  char* out = buffer_.data();
  std::size_t n = 0;
  out[n++] = '$';
  std::memcpy(out + n, address, addressLength);
  n += addressLength;
  if (!data.empty()) std::memcpy(out + n, data.data(), data.size());
  n += data.size();
  const uint8_t checksum = NmeaChecksum(std::string_view(out + 1, n - 1));
  out[n++] = '*';
  out[n++] = kHexDigits[checksum >> 4];
  out[n++] = kHexDigits[checksum & 0xF];
  out[n++] = '\r';
  out[n++] = '\n';

  const auto* bytes = reinterpret_cast<const uint8_t*>(out);
  if (port_ != nullptr) port_->Send(bytes, static_cast<uint32_t>(n));
  if (display_ != nullptr) display_->OnTransmitted(bytes, static_cast<int>(n));
  return true;
}

bool NmeaEncoder::SendQuery(std::string_view code) {
  if (!ValidCode(code)) return false;
  char data[8] = {','};
  std::memcpy(data + 1, code.data(), code.size());
  return SendSentence(kNmeaQuery, std::string_view(data, 1 + code.size()));
}

bool NmeaEncoder::SendContinuousRequest(std::optional<uint32_t> intervalMs,
                                        std::span<const NmeaRateEntry> entries) {
  std::string data = ",";
  if (intervalMs) {
    // Whole seconds, a point and the tenths: 1500 ms is written 1.5, 2000 ms 2.0.
    data += Format("%u.%u", *intervalMs / 1000, *intervalMs % 1000 / 100);
  }
  const std::size_t count = std::min(entries.size(), static_cast<std::size_t>(kMaxEntries));
  for (std::size_t i = 0; i < count && !entries[i].code.empty(); ++i) {
    const NmeaRateEntry& e = entries[i];
    if (!ValidCode(e.code)) return false;
    data += ',';
    data += e.code;
    data += Format(",%03d", std::min<int>(e.rate, kMaxRate));
  }
  return SendSentence(kNmeaContinuousRequest, data);
}

}  // namespace orv
