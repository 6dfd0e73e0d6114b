// The simulated receiver's almanac upload: header 78 (checked against the general command
// key) and records 79, each acknowledged with 126; the almanac uploaded is kept and reported
// in message 76 instead of the scene's. Options drop one acknowledgement or refuse the header.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/SimBinary.h"

namespace orv::sim {

struct SimAlmanacOptions {
  // -1: every message acknowledged; 0: the header's acknowledgement is dropped; k: that of
  // the k-th record after the header.
  int dropAck = -1;
  // The header is answered with 78 (reception failed) instead of an acknowledgement.
  bool failHeader = false;
};

struct SimReply {
  int message;
  Payload payload;
};

class SimAlmanacUpload {
 public:
  explicit SimAlmanacUpload(const SimAlmanacOptions& options = {}) : options_(options) {}

  // A message 78 or 79 from the console; the answer to send, if any.
  std::optional<SimReply> OnMessage(int message, const std::vector<uint8_t>& payload);

  bool hasAlmanac() const;
  // The 76 reports of the uploaded almanac, in PRN order.
  std::vector<Payload> Reports() const;
  int recordsReceived() const { return recordsReceived_; }

 private:
  struct Stored {
    bool present = false;
    uint8_t typeAndPrn = 0;  // as message 79 gives it: type in bits 7-6, PRN index in 5-0
    double parameters[9] = {};
    uint32_t toa = 0;
    uint16_t week = 0;
  };

  SimAlmanacOptions options_;
  bool headerSeen_ = false;
  std::array<uint8_t, 4> mask_{};
  uint16_t week_ = 0;
  uint32_t toa_ = 0;
  int recordsReceived_ = 0;
  std::array<Stored, 32> stored_{};
};

}  // namespace orv::sim
