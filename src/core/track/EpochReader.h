// Turns the decoded stream of a log into epochs: one per message 20 or 21 in KTX Binary, one
// per GGA/RMC time in NMEA (the GGA and RMC sentences of one time merged, from any talker).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "geodesy/NavUtility.h"
#include "nmea/ReceiverDecoder.h"
#include "track/TrackPoint.h"

namespace orv {

enum class EpochMessage { kFirstSeen, kNavLlh, kNavXyz };  // auto, message 20, message 21

struct EpochOptions {
  int protocolSelector = 1;  // 1 KTX Binary, 0 NMEA
  EpochMessage from = EpochMessage::kFirstSeen;
};

class EpochSink {
 public:
  virtual ~EpochSink() = default;
  // `offset` is that of the epoch's first frame or sentence in the log.
  virtual void OnEpoch(const Epoch& epoch, uint64_t offset) = 0;
  virtual void OnFault(uint64_t offset, DecodeObserver::Fault fault) {
    (void)offset;
    (void)fault;
  }
};

class EpochReader : public DecodeObserver {
 public:
  EpochReader(const ReceiverDecoder& decoder, const EpochOptions& options, EpochSink& sink);

  void OnFrame(uint64_t offset, const uint8_t* frame, int length) override;
  void OnSentence(uint64_t offset, const char* sentence, int length, int slot) override;
  void OnFault(uint64_t offset, Fault fault) override { sink_.OnFault(offset, fault); }
  // Hands on the epochs still being gathered or waiting for a date (NMEA) at the end of the log.
  void Finish();

  // Epochs whose time could not be read (no time field, impossible date): they are not handed on.
  uint64_t untimedEpochs() const { return untimed_; }
  // The message the KTX epochs come from: 20 or 21, 0 before the first.
  int sourceMessage() const { return source_; }

 private:
  void OnNavLlh(uint64_t offset);
  void OnNavXyz(uint64_t offset);
  void OnGga(uint64_t offset);
  void OnRmc(uint64_t offset);
  void OnZda();
  // Starts a new NMEA epoch at time of day `tod` unless the pending one has that time and no
  // sentence of the kind yet.
  void JoinPending(int64_t tod, bool isGga, uint64_t offset);
  void FlushPending();
  void LearnDate(int64_t days, int64_t tod);
  // Gives a time of day (ns) the date learned last; false while none is known.
  bool DateEpoch(Epoch& e) const;
  // Hands on the epochs waiting for a date, dated when one is known.
  void ReleaseHeld();

  const ReceiverDecoder& decoder_;
  EpochOptions options_;
  EpochSink& sink_;
  NavUtility geodesy_;
  int source_ = 0;
  uint64_t untimed_ = 0;

  struct Pending {
    bool active = false;
    int64_t tod = 0;  // ns since midnight
    uint64_t offset = 0;
    bool hasGga = false;
    bool hasRmc = false;
    std::optional<int64_t> rmcDays;
    Epoch epoch;
  } pending_;
  // The last date an RMC or ZDA sentence gave, and the time of day it came with.
  std::optional<int64_t> dateDays_;
  int64_t dateTod_ = 0;
  // Epochs before the first date wait for it: a log often begins with a GGA whose RMC comes
  // later. A log that never gives a date lets them go undated, this many at a time.
  static constexpr std::size_t kHeldEpochs = 256;
  struct HeldEpoch {
    Epoch epoch;
    uint64_t offset;
  };
  std::vector<HeldEpoch> held_;
};

struct LogReadResult {
  uint64_t bytes = 0;
  bool readError = false;
  bool cancelled = false;
  uint64_t untimedEpochs = 0;
  int sourceMessage = 0;
  DecoderCounters counters;
};

// A log read through a decoder and an epoch reader a block at a time, so that a caller can
// show progress between the blocks or stop.
class LogEpochStream {
 public:
  LogEpochStream(std::FILE* log, const EpochOptions& options, EpochSink& sink);
  LogEpochStream(const LogEpochStream&) = delete;
  LogEpochStream& operator=(const LogEpochStream&) = delete;

  // Reads and decodes up to `maxBytes`; false once the log has ended or failed to read.
  bool Step(std::size_t maxBytes);
  // Hands on the last epoch and tells what the reading found.
  LogReadResult Finish();
  uint64_t bytes() const { return result_.bytes; }

 private:
  std::FILE* log_;
  ReceiverDecoder decoder_;
  EpochReader reader_;
  std::vector<uint8_t> block_;
  LogReadResult result_;
  bool ended_ = false;
};

// Runs a whole log through a decoder and an epoch reader.
LogReadResult ReadLogEpochs(std::FILE* log, const EpochOptions& options, EpochSink& sink);

}  // namespace orv
