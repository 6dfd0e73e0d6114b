// The flags and counters of a MessageDecoder, kept together so that the data stores it owns
// can read and set the flags they need.
#pragma once

#include <array>
#include <cstdint>

namespace orv {

inline constexpr int kCounterSlots = 130;

struct DecoderFlags {
  uint32_t protocolSelector = 1;  // 1 KTX Binary, 0 NMEA
  uint32_t decodingEnabled = 1;
  uint32_t timeGateOpen = 0;
  uint32_t stopAfterMeasurement = 0;
  uint32_t measurementSeen = 0;
  uint32_t readyForInput = 1;
  uint32_t baseFileFlag = 0;
  uint32_t loggingCountOn = 0;
  uint32_t expectReceiverAnswer = 0;
  uint32_t receiverAnswered = 0;
  // Almanac transfer: set by the transfer command and by the receiver's acknowledgement.
  uint32_t transferActive = 0;
  uint32_t ackReceived = 0;
};

struct DecoderCounters {
  uint32_t validMessageCount = 0;
  uint32_t protocolErrorCount = 0;
  uint32_t nmeaSentenceCount = 0;
  uint32_t nmeaChecksumErrorCount = 0;
  uint32_t bytesReadLastCall = 0;
  // 64-bit: a week at 115200 bit/s passes 4 GiB.
  uint64_t bytesLogged = 0;
  std::array<uint32_t, kCounterSlots> messageCountById{};
  std::array<uint32_t, kCounterSlots> nmeaCountBySlot{};
  std::array<uint32_t, kCounterSlots> loggedCountById{};
  uint8_t highestLoggedId = 0;
};

}  // namespace orv
