// A data channel that records every block sent through it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/DataChannel.h"
#include "platform/Links.h"

namespace orv::test {

class RecordingChannel : public DataChannel {
 public:
  uint32_t Receive(uint32_t) override { return 0; }
  bool Send(const uint8_t* bytes, uint32_t count) override {
    sent.emplace_back(bytes, bytes + count);
    return true;
  }
  std::vector<std::vector<uint8_t>> sent;
};

class RecordingRawDisplay : public RawDisplayLink {
 public:
  void OnReceived(const uint8_t* frame, int length) override { received.emplace_back(frame, frame + length); }
  void OnTransmitted(const uint8_t* frame, int length) override {
    transmitted.emplace_back(frame, frame + length);
  }
  std::vector<std::vector<uint8_t>> received, transmitted;
};

}  // namespace orv::test
