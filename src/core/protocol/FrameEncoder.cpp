// Frame building and the payloads of the command builders.
#include "protocol/FrameEncoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "protocol/CommandKeys.h"
#include "util/ByteIo.h"

namespace orv {

namespace {
constexpr uint8_t kSubIdMessage70 = 70;
constexpr uint8_t kSubIdMessage114 = 114;

// Copies up to n characters of text, zero-filling the rest of the n bytes.
void PutText(ByteWriter& w, std::string_view text, std::size_t n) {
  const std::size_t k = std::min(text.size(), n);
  w.PutBytes(text.data(), k).PutZeros(n - k);
}

void PutKey(ByteWriter& w, const CommandKey& key) { w.PutBytes(key.data(), key.size()); }
}  // namespace

void FrameEncoder::Transmit(int frameLength) {
  const int payloadEnd = frameLength - 2;
  const uint16_t sum = FrameChecksum(buffer_.data(), static_cast<std::size_t>(payloadEnd));
  buffer_[payloadEnd] = static_cast<uint8_t>(sum & 0xFF);
  buffer_[payloadEnd + 1] = static_cast<uint8_t>(sum >> 8);
  if (port_ != nullptr) port_->Send(buffer_.data(), static_cast<uint32_t>(frameLength));
  if (display_ != nullptr) display_->OnTransmitted(buffer_.data(), frameLength);
}

void FrameEncoder::SendMessage(uint8_t idByte, std::span<const uint8_t> payload) {
  const int length = kTransmitLength[idByte & 0x7F];
  if (length < 1) return;
  buffer_[0] = kFrameStart;
  buffer_[1] = idByte;
  buffer_[2] = static_cast<uint8_t>(~idByte);
  buffer_[3] = static_cast<uint8_t>(length - kFrameOverhead);
  const std::size_t n = static_cast<std::size_t>(length - kFrameOverhead);
  const std::size_t k = std::min(n, payload.size());
  if (k > 0) std::memcpy(&buffer_[4], payload.data(), k);
  std::fill(buffer_.begin() + 4 + static_cast<long>(k), buffer_.begin() + 4 + static_cast<long>(n), 0);
  Transmit(length);
}

void FrameEncoder::SendSubMessage(uint8_t idByte, uint8_t subId, int frameLength,
                                  std::span<const uint8_t> payload) {
  // A frame needs its sub-ID byte; the longest frame is 261 bytes.
  if (frameLength < 7 || frameLength > kMaxFrameLength) return;
  buffer_[0] = kFrameStart;
  buffer_[1] = idByte;
  buffer_[2] = static_cast<uint8_t>(~idByte);
  buffer_[3] = static_cast<uint8_t>(frameLength - kFrameOverhead);
  buffer_[4] = subId;
  const std::size_t n = static_cast<std::size_t>(frameLength - 7);
  const std::size_t k = std::min(n, payload.size());
  if (k > 0) std::memcpy(&buffer_[5], payload.data(), k);
  std::fill(buffer_.begin() + 5 + static_cast<long>(k), buffer_.begin() + 5 + static_cast<long>(n), 0);
  Transmit(frameLength);
}

void FrameEncoder::SendRequest(int requestCode, RequestMode mode) {
  uint8_t payload[8] = {};
  int message = requestCode;
  std::size_t n = 0;
  auto key = [&](const CommandKey& k) {
    std::memcpy(payload, k.data(), 8);
    n = 8;
  };
  switch (requestCode) {
    case 23: case 1023: case 2023: case 3023:
      message = 23;
      payload[0] = static_cast<uint8_t>(requestCode / 1000);
      n = 1;
      break;
    case 63: message = 63; key(OldInitLinkPassword()); break;
    case 1063: message = 63; key(GeneralCommandKey()); break;
    case 9063: message = 63; key(SuperUserInitLinkPassword()); break;
    case 2: case 100: key(GeneralCommandKey()); break;
    default:
      if (requestCode < 0 || requestCode > 127) return;
      break;
  }
  SendMessage(static_cast<uint8_t>(message + mode), std::span<const uint8_t>(payload, n));
}

void FrameEncoder::SendRequestAll() {
  for (int code : {20, 21, 22, 23, 65}) SendRequest(code, kContinuous);
}

void FrameEncoder::SendMaskAngle(float degrees) {
  uint8_t p[12];
  ByteWriter w(p);
  w.Put(degrees);
  for (uint8_t i = 1; i <= 8; ++i) w.Put(i);
  SendMessage(81, p);
}

void FrameEncoder::SendDiffMessageSelection(uint8_t first, uint8_t second) {
  const uint8_t p[2] = {first, second};
  SendMessage(91, p);
}

void FrameEncoder::SendClearNvm(int area) {
  uint8_t p[8];
  const CommandKey k = GeneralCommandKey();
  std::memcpy(p, k.data(), 6);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d", area);
  p[6] = static_cast<uint8_t>(digits[0]);
  p[7] = static_cast<uint8_t>(digits[1]);
  SendMessage(99, p);
}

void FrameEncoder::SendSvDeselection(uint8_t group, uint32_t mask) {
  uint8_t p[5];
  ByteWriter(p).Put(group).Put(mask);
  SendMessage(82, p);
}

void FrameEncoder::SendChannelDeselection(uint16_t mask) {
  uint8_t p[2];
  ByteWriter(p).Put(mask);
  SendMessage(87, p);
}

void FrameEncoder::SendTimingParameters(const TimingParameters& t) {
  uint8_t p[27];
  ByteWriter w(p);
  w.Put(t.a).Put(t.b).Put(t.c).Put(t.d).Put(t.e).Put(t.f).Put(t.g).Put(t.modified).PutZeros(9);
  SendMessage(69, p);
}

void FrameEncoder::SendTrackSvRequest(const TrackSvRequest& r) {
  const int code = r.selector == 2 ? r.svNumber - 87 : r.svNumber;
  const uint8_t first = static_cast<uint8_t>(((r.selector & 3) << 6) | (code & 0x3F));
  uint8_t p[13];
  ByteWriter w(p);
  w.Put(first).Put(r.word1).PutZeros(2).Put(r.byte1).Put(r.dword).Put(r.word2).Put(r.byte2);
  SendMessage(95, p);
}

void FrameEncoder::SendDateTime(int mode, CalendarRecord c) {
  if (mode == 1 || mode == 2 || mode >= 4) c = CalendarRecord{};
  const bool zeroed = mode == 1 || mode == 2 || mode >= 4;
  uint8_t p[15];
  ByteWriter w(p);
  PutKey(w, DateTimeKey(mode));
  w.Put(static_cast<uint8_t>(c.hour)).Put(static_cast<uint8_t>(c.minute))
      .Put(static_cast<uint8_t>(c.second)).Put(static_cast<uint8_t>(c.dayOfMonth));
  // The month and year of a zeroed record are 0, not 1 and 1900.
  w.Put(static_cast<uint8_t>(zeroed ? 0 : c.month + 1));
  w.Put(static_cast<uint16_t>(zeroed ? 0 : c.year + 1900));
  SendMessage(103, p);
}

void FrameEncoder::SendDefaultMessageSelection(std::span<const int> messageNumbers) {
  uint8_t p[24] = {};
  for (int n : messageNumbers) {
    if (n == 57) n = 41;  // the Fault Log is asked for as message 41
    if (n < 0 || n > 127) continue;
    p[n / 8] = static_cast<uint8_t>(p[n / 8] | (1u << (n % 8)));
  }
  SendMessage(105, p);
}

// option, number, DX, DY, DZ (int16), a, 1/f (IEEE 754 doubles), 6 zero bytes: 30 bytes.
void FrameEncoder::SendDatum(const DatumParameters& d) {
  uint8_t p[30];
  ByteWriter w(p);
  w.Put(d.option).Put(d.datumNumber).Put(d.dx).Put(d.dy).Put(d.dz);
  w.Put(d.semiMajorAxis).Put(d.inverseFlattening);
  w.PutZeros(6);
  SendMessage(88, p);
}

void FrameEncoder::SendAlmanacTransferStart(std::span<const int> svFields, uint16_t week,
                                            double toaSeconds) {
  uint8_t present[4] = {};
  for (std::size_t i = 0; i < svFields.size() && i < 32; ++i) {
    const int sv = svFields[i];
    if (sv >= 0 && sv < 32) present[sv / 8] = static_cast<uint8_t>(present[sv / 8] | (1u << (sv % 8)));
  }
  const double scaled = toaSeconds / 4096.0;
  const uint8_t toa = scaled > 0 && scaled < 256 ? static_cast<uint8_t>(scaled) : 0;
  uint8_t p[15];
  ByteWriter w(p);
  PutKey(w, GeneralCommandKey());
  w.PutBytes(present, 4).Put(week).Put(toa);
  SendMessage(78, p);
}

void FrameEncoder::SendAlmanacData(int first, int second, const double (&parameters)[9]) {
  uint8_t p[73];
  ByteWriter w(p);
  w.Put(static_cast<uint8_t>(((first & 3) << 6) | (second & 0x3F)));
  for (double v : parameters) w.Put(v);
  SendMessage(79, p);
}

uint8_t FrameEncoder::BaudCode(uint32_t baud) {
  switch (baud) {
    case 38400: return 65;
    case 57600: return 66;
    case 115200: return 67;
    default: return static_cast<uint8_t>((baud / 300) & 0x7F);
  }
}

void FrameEncoder::SendProtocolAndBaud(bool nmea, uint32_t baud) {
  const uint8_t p[1] = {static_cast<uint8_t>((nmea ? 0x80 : 0) | BaudCode(baud))};
  SendMessage(110, p);
}

void FrameEncoder::SendDgpsConfiguration(std::span<const uint8_t, 21> settings) {
  SendMessage(83, settings);
}

void FrameEncoder::SendBitRequest(uint8_t level) {
  const uint8_t p[1] = {level};
  SendMessage(51, p);
}

uint32_t FrameEncoder::ParseHex(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return value;
}

void FrameEncoder::SendMemoryDumpRequest(int size, bool repeat, std::string_view hexAddress) {
  int id;
  switch (size) {
    case 16: id = 60; break;
    case 32: id = 61; break;
    case 64: id = 62; break;
    default: return;
  }
  uint8_t p[4];
  ByteWriter(p).Put(ParseHex(hexAddress));
  SendMessage(static_cast<uint8_t>(id + (repeat ? 128 : 0)), p);
}

void FrameEncoder::SendLoadByte(std::string_view hexAddress, uint8_t value) {
  uint8_t p[13];
  ByteWriter w(p);
  PutKey(w, GeneralCommandKey());
  w.Put(ParseHex(hexAddress)).Put(value);
  SendMessage(120, p);
}

void FrameEncoder::SendLoadWord(std::string_view hexAddress, uint32_t value) {
  uint8_t p[16];
  ByteWriter w(p);
  PutKey(w, GeneralCommandKey());
  w.Put(ParseHex(hexAddress)).Put(value);
  SendMessage(122, p);
}

void FrameEncoder::SendMslModel(bool on) {
  const CommandKey k = GeneralCommandKey();
  SendMessage(static_cast<uint8_t>(86 + (on ? 128 : 0)), k);
}

void FrameEncoder::SendTropoModel(bool on) {
  const CommandKey k = GeneralCommandKey();
  SendMessage(static_cast<uint8_t>(84 + (on ? 128 : 0)), k);
}

void FrameEncoder::SendWrapAround(std::string_view hexValue) {
  uint8_t p[4];
  ByteWriter(p).Put(ParseHex(hexValue));
  SendMessage(44, p);
}

void FrameEncoder::SendEsn(std::string_view hexFirst, std::string_view hexSecond,
                           std::string_view threeChars, bool flag) {
  uint8_t p[20];
  ByteWriter w(p);
  w.Put(ParseHex(hexFirst)).Put(ParseHex(hexSecond)).PutZeros(8);
  PutText(w, threeChars, 3);
  w.Put(static_cast<uint8_t>(flag ? 1 : 0));
  SendMessage(92, p);
}

void FrameEncoder::SendAlmanacRequest(uint8_t svByte) {
  const uint8_t p[1] = {static_cast<uint8_t>(svByte & 0x7F)};
  SendMessage(static_cast<uint8_t>(76 + (svByte & 0x80)), p);
}

void FrameEncoder::SendKeyedRecord(std::string_view modeText, std::span<const uint8_t, 24> fields) {
  uint8_t p[32];
  ByteWriter w(p);
  PutKey(w, OperatingModeKey(modeText));
  w.PutBytes(fields.data(), fields.size());
  SendMessage(80, p);
}

void FrameEncoder::SendConfigGroups(std::span<const uint8_t, 4> bits, bool splitGroups) {
  auto send = [&](const CommandKey& key) {
    uint8_t p[12];
    ByteWriter w(p);
    PutKey(w, key);
    w.PutBytes(bits.data(), bits.size());
    SendMessage(90, p);
  };
  if (!splitGroups) {
    send(GeneralCommandKey());
    return;
  }
  send(ConfigGroupKey(0));
  send(ConfigGroupKey(1));
}

void FrameEncoder::SendConfigBits(std::span<const uint8_t, 2> bits) {
  uint8_t p[10];
  ByteWriter w(p);
  PutKey(w, GeneralCommandKey());
  w.PutBytes(bits.data(), bits.size());
  SendMessage(64, p);
}

void FrameEncoder::SendLogSpecificMessages(uint8_t first, uint8_t second, uint32_t value) {
  uint8_t p[14];
  ByteWriter w(p);
  PutKey(w, GeneralCommandKey());
  w.Put(first).Put(second).Put(value);
  SendSubMessage(kSubIdMessage70, 10, 21, p);
}

void FrameEncoder::SendPowerControl(std::string_view text) {
  uint8_t p[7];
  ByteWriter w(p);
  PutText(w, text, 5);
  w.PutZeros(2);
  SendSubMessage(kSubIdMessage70, 5, 14, p);
}

void FrameEncoder::SendSetConfiguration(std::span<const uint8_t, 17> fields) {
  SendSubMessage(kSubIdMessage70, 4, 24, fields);
}

void FrameEncoder::SendFileRequest(std::string_view fileName) {
  uint8_t p[8];
  ByteWriter w(p);
  PutText(w, fileName, 8);
  SendSubMessage(kSubIdMessage70, 2, 15, p);
}

void FrameEncoder::SendStatusConfigRequest(bool continuous) {
  SendSubMessage(static_cast<uint8_t>(kSubIdMessage70 + (continuous ? 128 : 0)), 3, 7, {});
}

void FrameEncoder::SendMemoryInfoRequest() { SendSubMessage(kSubIdMessage70, 7, 7, {}); }

void FrameEncoder::SendFileHeaderRequest() { SendSubMessage(kSubIdMessage70, 8, 7, {}); }

void FrameEncoder::SendFpuMemoryDumpRequest(std::string_view hexByte, std::string_view decimalCount,
                                            bool continuous) {
  unsigned count = 0;
  for (char c : decimalCount) {
    if (c < '0' || c > '9') break;
    count = count * 10 + static_cast<unsigned>(c - '0');
    if (count > 255) count = 255;  // one byte on the wire
  }
  const uint8_t p[2] = {static_cast<uint8_t>(ParseHex(hexByte)), static_cast<uint8_t>(count)};
  SendSubMessage(static_cast<uint8_t>(kSubIdMessage114 + (continuous ? 128 : 0)), 4, 9, p);
}

void FrameEncoder::SendLedBuzzerConfig(uint8_t value, std::span<const uint8_t> bytes, int last) {
  // The longest frame holds 251 bytes after the three leading ones.
  const std::size_t n = std::min<std::size_t>(bytes.size(), kMaxFrameLength - 10);
  uint8_t p[kMaxFrameLength];
  ByteWriter w(p);
  w.Put(static_cast<uint8_t>(last == 1 ? 1 : 0)).Put(value).Put(static_cast<uint8_t>(n));
  w.PutBytes(bytes.data(), n);
  SendSubMessage(kSubIdMessage114, 2, static_cast<int>(n) + 10, std::span<const uint8_t>(p, w.size()));
}

void FrameEncoder::SendAdCommand(std::span<const uint8_t> bytes) {
  const std::size_t n = std::min<std::size_t>(bytes.size(), kMaxFrameLength - 7);
  SendSubMessage(kSubIdMessage114, 5, static_cast<int>(n) + 7, bytes.first(n));
}

void FrameEncoder::SendSubIdCommand(int messageNumber, int subId, std::span<const uint8_t> d) {
  auto at = [&](std::size_t i) -> uint8_t { return i < d.size() ? d[i] : 0; };
  auto u16 = [&](std::size_t i) { return ReadLe<uint16_t>(d, i); };
  auto u32 = [&](std::size_t i) { return ReadLe<uint32_t>(d, i); };
  auto copy = [&](ByteWriter& w, std::size_t from, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) w.Put(at(from + i));
  };
  if (messageNumber == 70 && subId == 1) {
    uint8_t p[53];
    ByteWriter w(p);
    w.Put(static_cast<uint8_t>(at(0) & 7));
    copy(w, 1, 8);
    copy(w, 9, 16);
    copy(w, 25, 16);
    w.Put(u16(41)).Put(at(43));
    // A text of at most three characters: zero-filled after its end.
    std::size_t len = 0;
    while (len < 3 && at(44 + len) != 0) ++len;
    copy(w, 44, len);
    w.PutZeros(3 - len);
    w.Put(static_cast<uint8_t>(at(47) & 0x1F)).Put(u32(48)).Put(at(52));
    SendSubMessage(70, 1, 60, p);
  } else if (messageNumber == 70 && subId == 6) {
    uint8_t p[21];
    ByteWriter w(p);
    w.Put(static_cast<uint8_t>(at(0) & 7)).Put(u32(1)).PutZeros(2);
    copy(w, 7, 8);
    w.Put(u32(15)).PutZeros(2);
    SendSubMessage(70, 6, 28, p);
  } else if (messageNumber == 114 && subId == 1) {
    uint8_t p[9];
    ByteWriter w(p);
    copy(w, 0, 3);
    const uint16_t rate = u16(3);
    w.Put(rate).Put(u32(5));
    SendSubMessage(static_cast<uint8_t>(rate != 0 ? 114 + 128 : 114), 1, 16, p);
  }
}

}  // namespace orv
