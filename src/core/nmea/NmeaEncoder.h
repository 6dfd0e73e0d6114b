// The one object through which every NMEA window and dialog talks to the receiver: it frames
// the request and command sentences, writes them to the main port and echoes them to the raw
// data display.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/DataChannel.h"
#include "platform/Links.h"

namespace orv {

// Sentence kinds: $PQTLG,0nn for 0..10, $GPMSK for 11. Kinds 2 and 6 are not used.
enum NmeaSentenceKind : int {
  kNmeaProtocolSelection = 0,
  kNmeaInitialization = 1,
  kNmeaSelfTest = 3,
  kNmeaQuery = 4,
  kNmeaContinuousRequest = 5,
  kNmeaClearNvm = 7,
  kNmeaReceiverParameters = 8,
  kNmeaWaypointDefinition = 9,
  kNmeaActiveWaypoint = 10,
  kNmeaBeaconConfiguration = 11,
};

// One entry of a continuous request: the three-letter code of the sentence (GGA, RMC, 900..908)
// and its output rate (0 stops it). An empty code ends the list.
struct NmeaRateEntry {
  std::string_view code;
  uint16_t rate = 0;
};

// The XOR of the bytes between '$' and '*': what the two hexadecimal digits after '*' carry.
uint8_t NmeaChecksum(std::string_view body);
// A whole sentence, "$" body "*" checksum CR LF, from what goes between '$' and '*'
// ("GPGGA,..."); empty when the body holds a '$', a '*' or a byte that is not printable.
std::string NmeaFrame(std::string_view body);

class NmeaEncoder {
 public:
  static constexpr int kMaxEntries = 10;
  static constexpr int kBufferSize = 256;

  explicit NmeaEncoder(DataChannel* port) : port_(port) {}

  void SetPort(DataChannel* port) { port_ = port; }
  // Attaching a display sets the show-transmitted flag; null clears both.
  void AttachRawDisplay(RawDisplayLink* display) { display_ = display; }
  bool showTransmitted() const { return display_ != nullptr; }

  // `data` is what follows the address field (its leading comma included). Returns false,
  // sending nothing, for a kind above 11 and for data that would not make one well-formed
  // sentence (a '$', '*', control character, or more than the buffer holds).
  bool SendSentence(int kind, std::string_view data);
  bool SendSentence(int kind, const char* data, int length) {
    return length >= 0 && (length == 0 || data != nullptr) &&
           SendSentence(kind, std::string_view(data, static_cast<std::size_t>(length)));
  }

  // Kind 4: one sentence now, by its three-letter code (",GGA", ",902").
  bool SendQuery(std::string_view code);
  // Kind 5: the interval between two outputs, when given, then up to ten (code, rate)
  // entries, stopping at the first empty one.
  bool SendContinuousRequest(std::optional<uint32_t> intervalMs, std::span<const NmeaRateEntry> entries);
  // Kind 3: run the self-test; the answer is a $PQTLG,902.
  bool SendSelfTest() { return SendSentence(kNmeaSelfTest, std::string_view()); }

 private:
  DataChannel* port_ = nullptr;
  RawDisplayLink* display_ = nullptr;
  std::array<char, kBufferSize> buffer_{};
};

}  // namespace orv
