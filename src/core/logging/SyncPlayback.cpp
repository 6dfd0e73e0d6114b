#include "logging/SyncPlayback.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace orv {

namespace {
constexpr double kTieMargin = 0.00001;
// How far the look for a file's first measurement block goes.
constexpr int64_t kFirstBlockScanLimit = 4 * 1024 * 1024;

// The GPS time of the first measurement block from the reader's position on, which is kept.
bool FirstMeasurementTime(LogFile& reader, bool base, uint32_t protocol, double& t) {
  const int64_t start = reader.Position();
  auto decoder = std::make_unique<MessageDecoder>();
  decoder->SetProtocolSelector(protocol);
  decoder->SetBaseFileFlag(base ? 1 : 0);
  decoder->SetStopAfterMeasurement(1);
  std::vector<uint8_t> block(4096 + 1);
  int64_t scanned = 0;
  while (!decoder->measurementSeen() && scanned < kFirstBlockScanLimit) {
    const long n = reader.ReadRaw(block.data(), 4096);
    if (n <= 0) break;
    decoder->Decode(block.data(), static_cast<uint32_t>(n));
    scanned += n;
  }
  reader.SeekAbsolute(start);
  if (!decoder->measurementSeen()) return false;
  t = base ? decoder->LastBaseMeasurementGpsTime() : decoder->LastMeasurementGpsTime();
  return true;
}
}

int ClampSyncSlot(int32_t slot) { return std::clamp<int32_t>(slot, 0, kSyncSlotCount - 1); }

int32_t ClampSyncDelay(int32_t delaySeconds) { return std::clamp<int32_t>(delaySeconds, 0, kSyncMaxDelaySeconds); }

void UnwrapWeek(double& a, double& b) {
  if (std::fabs(a - b) <= kSecondsPerWeek / 2) return;
  if (a < b) {
    a += kSecondsPerWeek;
  } else {
    b += kSecondsPerWeek;
  }
}

bool AtOrAfterGpsTime(double t, double reference) {
  UnwrapWeek(t, reference);
  return t >= reference;
}

bool SyncPlayback::OpenFiles(MessageBoxes* boxes) {
  const bool userOk = userReader_.OpenForPlayback(userPath_, boxes, protocol_);
  const bool baseOk = baseReader_.OpenForPlayback(basePath_, boxes, protocol_);
  if (userOk && baseOk) {
    // Each side stops at its first measurement block before the two can be compared; the side
    // whose first block is later waits until the other has taken its own, so that the first
    // pair too reaches the decoders in time order.
    holdUser_ = false;
    holdBase_ = false;
    double user = 0, base = 0;
    if (FirstMeasurementTime(userReader_, false, protocol_, user) &&
        FirstMeasurementTime(baseReader_, true, protocol_, base)) {
      firstUserTime_ = user;
      firstBaseTime_ = base;
      UnwrapWeek(user, base);
      holdUser_ = base + kTieMargin + settings_.delaySeconds < user;
      holdBase_ = !holdUser_;
    }
    return true;
  }
  userReader_.Close();
  baseReader_.Close();
  return false;
}

void SyncPlayback::PrepareDecoders() {
  main_.ResetCounters();
  main_.SetBaseFileFlag(0);
  main_.SetStopAfterMeasurement(1);
  second_.ResetCounters();
  second_.SetBaseFileFlag(1);
  second_.SetStopAfterMeasurement(1);
  main_.Resume();
  second_.Resume();
  // Without a trigger both gates open, as for a single playback: a gate an earlier input left
  // closed would otherwise keep every window but the measurements empty.
  const uint32_t gate = settings_.triggerTime > 0 ? 0 : 1;
  main_.SetTimeGateOpen(gate);
  second_.SetTimeGateOpen(gate);
  alignmentDone_ = false;
  lastMainCount_ = 0;
  lastSecondCount_ = 0;
}

bool SyncPlayback::Start(const std::string& userPath, const std::string& basePath,
                         const SyncPlaybackSettings& settings, MessageBoxes* boxes, uint32_t protocolSelector) {
  Stop();
  userPath_ = userPath;
  basePath_ = basePath;
  protocol_ = protocolSelector;
  settings_ = settings;
  settings_.delaySeconds = ClampSyncDelay(settings.delaySeconds);
  loopCount_ = 0;
  if (!OpenFiles(boxes)) {
    if (boxes != nullptr) boxes->MessageBox(kSyncFilesInvalid, "", MessageIcon::Exclamation);
    return false;
  }
  PrepareDecoders();
  active_ = true;
  return true;
}

bool SyncPlayback::Feed(LogFile& reader, MessageDecoder& decoder, uint32_t bytes, uint32_t& count) {
  // A decoder holding a measurement block consumes nothing until it is resumed; a read then
  // would come back as 0 without the file having ended.
  if (!decoder.readyForInput() || decoder.measurementSeen()) return false;
  count = reader.Receive(bytes);
  return reader.lastReadCount() == 0;
}

bool SyncPlayback::Step(uint32_t bytesPerTick) {
  if (!active_) return false;
  // The end of a file is a read that found no bytes, never a block the decoder did not take.
  bool userEnded = !holdUser_ && Feed(userReader_, main_, bytesPerTick, lastMainCount_);
  if (holdBase_ && main_.measurementSeen()) ReleaseHeldSide(false);
  const bool baseEnded = !holdBase_ && Feed(baseReader_, second_, bytesPerTick, lastSecondCount_);
  if (holdUser_ && second_.measurementSeen()) {
    ReleaseHeldSide(true);
    if (!holdUser_) userEnded = Feed(userReader_, main_, bytesPerTick, lastMainCount_);
  }

  if (main_.measurementSeen() && settings_.triggerTime > 0 && !alignmentDone_ &&
      AtOrAfterGpsTime(main_.LastMeasurementGpsTime(), settings_.triggerTime)) {
    main_.SetTimeGateOpen(1);
    second_.SetTimeGateOpen(1);
    alignmentDone_ = true;
  }
  if (main_.measurementSeen() && second_.measurementSeen()) AlignOnGpsTime();

  if (!userEnded && !baseEnded) return true;
  if (settings_.loopOn && OpenFiles(nullptr)) {
    // Both files again from their first frame, with the gates as at the start.
    ++loopCount_;
    PrepareDecoders();
    return true;
  }
  main_.SetStopAfterMeasurement(0);
  second_.SetStopAfterMeasurement(0);
  main_.Resume();
  second_.Resume();
  return false;
}

// The side that runs alone takes its next block first while that block is still before the
// held side's first one (the user side on a tie); otherwise the held side is released.
void SyncPlayback::ReleaseHeldSide(bool userHeld) {
  LogFile& runner = userHeld ? baseReader_ : userReader_;
  double next = 0;
  if (FirstMeasurementTime(runner, userHeld, protocol_, next)) {
    double user = userHeld ? firstUserTime_ : next;
    double base = userHeld ? next : firstBaseTime_;
    UnwrapWeek(user, base);
    const bool baseFirst = base + kTieMargin + settings_.delaySeconds < user;
    if (baseFirst == userHeld) {
      (userHeld ? second_ : main_).Resume();
      return;
    }
  }
  (userHeld ? holdUser_ : holdBase_) = false;
}

void SyncPlayback::AlignOnGpsTime() {
  double user = main_.LastMeasurementGpsTime();
  double base = second_.LastBaseMeasurementGpsTime();
  UnwrapWeek(user, base);
  if (base + kTieMargin + settings_.delaySeconds < user) {
    second_.Resume();
  } else {
    main_.Resume();
  }
}

void SyncPlayback::Stop() {
  if (!active_) return;
  active_ = false;
  userReader_.Close();
  baseReader_.Close();
  // A port or a single playback opened next must find both decoders reading normally.
  main_.SetStopAfterMeasurement(0);
  second_.SetStopAfterMeasurement(0);
  main_.Resume();
  second_.Resume();
}

}  // namespace orv
