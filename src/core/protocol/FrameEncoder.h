// The one object through which every window and dialog sends KTX Binary messages: it builds
// the frame, writes it to the main port and echoes it to the raw data display.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/DataChannel.h"
#include "platform/Links.h"
#include "protocol/Frame.h"

namespace orv {

// The caller's calendar record for SendDateTime (the fields of a C `struct tm`).
struct CalendarRecord {
  int hour = 0, minute = 0, second = 0;
  int dayOfMonth = 0;
  int month = 0;  // 0-based
  int year = 0;   // years since 1900
};

// Message 69, in payload order: cable delay (ns, signed, sent as its 32 bits), 1PPS offset (ns),
// pulse length (ns), alignment mode, 1PPS output control, TRAIM alarm limit (10 ns units),
// intrinsic delay (ns). `modified` goes into the first of the trailing zero bytes: bit 0 cable
// delay ... bit 6 intrinsic delay, so that the receiver keeps the values of the groups the user
// left alone rather than taking the zeros that stand in for them.
struct TimingParameters {
  uint32_t a = 0, b = 0, c = 0;
  uint8_t d = 0, e = 0, f = 0;
  uint16_t g = 0;
  uint8_t modified = 0;
};

struct TrackSvRequest {
  int selector = 1;   // 1: SV code is the number; 2: SV code is number - 87
  int svNumber = 1;
  uint16_t word1 = 0;
  uint8_t byte1 = 0;
  uint32_t dword = 0;
  uint16_t word2 = 0;
  uint8_t byte2 = 0;
};

// Message 88: the datum the receiver reports positions in and, with the define options, the
// parameters of a user-defined one.
struct DatumParameters {
  uint8_t option = 0;       // 0 select, 1 define, 2 select and define
  uint8_t datumNumber = 0;  // 0..63
  int16_t dx = 0, dy = 0, dz = 0;
  double semiMajorAxis = 0;      // metres
  double inverseFlattening = 0;
};

class FrameEncoder {
 public:
  explicit FrameEncoder(DataChannel* port) : port_(port) {}

  void SetPort(DataChannel* port) { port_ = port; }
  // Attaching a display sets the show-transmitted flag; null clears both.
  void AttachRawDisplay(RawDisplayLink* display) { display_ = display; }
  bool showTransmitted() const { return display_ != nullptr; }

  // Frame length from the transmit length table; the payload is copied up to the table's
  // length (a shorter span is zero-filled). Nothing is sent for a table length of 0.
  void SendMessage(uint8_t idByte, std::span<const uint8_t> payload);
  // Frame length given by the caller; byte 4 is the sub-ID, the payload follows it.
  void SendSubMessage(uint8_t idByte, uint8_t subId, int frameLength, std::span<const uint8_t> payload);
  // Request codes: a message number, or 1023/2023/3023 (measurement rates), 63/1063/9063
  // (InitLink passwords), 2 (restart) and 100 (erase fault log).
  void SendRequest(int requestCode, RequestMode mode);
  // "Request all": 20, 21, 22, 23 (1 Hz) and 65, Continuous.
  void SendRequestAll();

  void SendMaskAngle(float degrees);
  void SendDiffMessageSelection(uint8_t first, uint8_t second);
  void SendClearNvm(int area);
  // Message 82, SV deselection: byte 0 the group (0 GPS, 1 WAAS), bytes 1-4 a little-endian
  // mask, bit n set = SV n + 1 (GPS) or PRN 120 + n (WAAS) is not to be used.
  void SendSvDeselection(uint8_t group, uint32_t mask);
  // Message 87, channel deselection: a little-endian 16-bit mask, bit n set = channel n + 1
  // is not to be used (channels numbered as message 6 reports them).
  void SendChannelDeselection(uint16_t mask);
  void SendTimingParameters(const TimingParameters& p);
  void SendTrackSvRequest(const TrackSvRequest& r);
  void SendDateTime(int mode, CalendarRecord calendar);
  // One entry per checked output message number (0..127); 57 stands for 41.
  void SendDefaultMessageSelection(std::span<const int> messageNumbers);
  void SendDatum(const DatumParameters& d);
  // svFields: the SV field of each almanac entry (up to 32); toaSeconds: reference time.
  void SendAlmanacTransferStart(std::span<const int> svFields, uint16_t week, double toaSeconds);
  void SendAlmanacData(int first, int second, const double (&parameters)[9]);
  // Bit 7 of the payload is the protocol flag: set asks the receiver for NMEA, clear for KTX
  // Binary; bits 0-6 are the baud code.
  void SendProtocolAndBaud(bool nmea, uint32_t baud);
  void SendDgpsConfiguration(std::span<const uint8_t, 21> settings);
  void SendBitRequest(uint8_t level);
  // size 16, 32 or 64; the address is hexadecimal text.
  void SendMemoryDumpRequest(int size, bool repeat, std::string_view hexAddress);
  void SendLoadByte(std::string_view hexAddress, uint8_t value);
  void SendLoadWord(std::string_view hexAddress, uint32_t value);
  void SendMslModel(bool on);
  void SendTropoModel(bool on);
  void SendWrapAround(std::string_view hexValue);
  void SendEsn(std::string_view hexFirst, std::string_view hexSecond, std::string_view threeChars, bool flag);
  void SendAlmanacRequest(uint8_t svByte);
  void SendKeyedRecord(std::string_view modeText, std::span<const uint8_t, 24> fields);
  void SendConfigGroups(std::span<const uint8_t, 4> bits, bool splitGroups);
  void SendConfigBits(std::span<const uint8_t, 2> bits);
  void SendLogSpecificMessages(uint8_t first, uint8_t second, uint32_t value);
  void SendPowerControl(std::string_view text);
  void SendSetConfiguration(std::span<const uint8_t, 17> fields);
  void SendFileRequest(std::string_view fileName);
  void SendStatusConfigRequest(bool continuous);
  void SendMemoryInfoRequest();
  void SendFileHeaderRequest();
  void SendFpuMemoryDumpRequest(std::string_view hexByte, std::string_view decimalCount, bool continuous);
  void SendLedBuzzerConfig(uint8_t value, std::span<const uint8_t> bytes, int last);
  void SendAdCommand(std::span<const uint8_t> bytes);
  // Packs the records of 70/1, 70/6 and 114/1 that other parts hand over whole; any other pair
  // sends nothing. The record must hold at least the bytes the pair reads (53, 19 or 9).
  void SendSubIdCommand(int messageNumber, int subId, std::span<const uint8_t> record);

  // The baud code of message 110: 38400 -> 65, 57600 -> 66, 115200 -> 67, else rate / 300.
  static uint8_t BaudCode(uint32_t baud);
  // "%lX" text to a 32-bit value: leading blanks and an optional 0x skipped, reading stops at
  // the first character that is not a hexadecimal digit; an empty text gives 0.
  static uint32_t ParseHex(std::string_view text);

 private:
  void Transmit(int frameLength);

  DataChannel* port_ = nullptr;
  RawDisplayLink* display_ = nullptr;
  std::array<uint8_t, kMaxFrameLength> buffer_{};
};

}  // namespace orv
