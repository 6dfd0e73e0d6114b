#include "track/EpochReader.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "track/UtcTime.h"

namespace orv {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerRadian = 180.0 / kPi;
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;
constexpr int64_t kHalfDayNs = kNsPerDay / 2;

// Navigation modes that carry a position: 2 "Nav 3-D", 3 "Alt. Hold (2-D)", 4 "Diff. 3-D",
// 5 "Diff. 2-D", 6 "Dead Reckoning", 8 "Base Station", 9 "Code Nav", 10 "RTK".
bool ModeHasPosition(int mode) { return (mode >= 2 && mode <= 6) || (mode >= 8 && mode <= 10); }

FixKind FixOfMode(int mode) {
  switch (mode) {
    case 0: case 1: return FixKind::kNone;
    case 2: case 8: case 9: return FixKind::k3d;
    case 3: return FixKind::k2d;
    case 4: case 5: case 10: return FixKind::kDgps;
    default: return FixKind::kUnknown;  // dead reckoning, invalid modes
  }
}

bool PositionInRange(double lat, double lon) {
  return std::isfinite(lat) && std::isfinite(lon) && std::fabs(lat) <= 90 && std::fabs(lon) <= 180;
}

int64_t TimeOfDayNs(int hour, int minute, double seconds) {
  return (static_cast<int64_t>(hour) * 3600 + minute * 60) * kNsPerSecond + std::llround(seconds * 1e9);
}

bool TimeOfDayValid(int hour, int minute, double seconds) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && std::isfinite(seconds) && seconds >= 0 &&
         seconds < 61;
}

// Degrees of a sentence's latitude and longitude fields; false when a hemisphere letter is not
// one of its two or the position is outside the globe.
template <typename Record>
bool SentencePosition(const Record& r, double& latitude, double& longitude) {
  double lat = r.latitudeDegrees + r.latitudeMinutes / 60.0;
  double lon = r.longitudeDegrees + r.longitudeMinutes / 60.0;
  if (r.latitudeHemisphere == 'S') lat = -lat;
  if (r.longitudeHemisphere == 'W') lon = -lon;
  if (!PositionInRange(lat, lon) || (r.latitudeHemisphere != 'N' && r.latitudeHemisphere != 'S') ||
      (r.longitudeHemisphere != 'E' && r.longitudeHemisphere != 'W')) {
    return false;
  }
  latitude = lat;
  longitude = lon;
  return true;
}

// NMEA ddmmyy: two-digit years from 80 are taken as 19yy, the others as 20yy.
std::optional<int64_t> DaysOfDdmmyy(uint32_t ddmmyy) {
  const int day = static_cast<int>(ddmmyy / 10000);
  const int month = static_cast<int>(ddmmyy / 100 % 100);
  const int yy = static_cast<int>(ddmmyy % 100);
  if (day < 1 || day > 31 || month < 1 || month > 12 || ddmmyy > 311299) return std::nullopt;
  return DaysFromCivil(yy >= 80 ? 1900 + yy : 2000 + yy, month, day);
}
}  // namespace

EpochReader::EpochReader(const ReceiverDecoder& decoder, const EpochOptions& options, EpochSink& sink)
    : decoder_(decoder), options_(options), sink_(sink) {}

void EpochReader::OnFrame(uint64_t offset, const uint8_t* frame, int length) {
  if (options_.protocolSelector != 1 || length < 4) return;
  const int id = frame[1] & 0x7F;
  if (id != 20 && id != 21) return;
  if (source_ == 0) {
    if (options_.from == EpochMessage::kNavLlh && id != 20) return;
    if (options_.from == EpochMessage::kNavXyz && id != 21) return;
    source_ = id;
  }
  if (id != source_) return;
  if (id == 20) {
    OnNavLlh(offset);
  } else {
    OnNavXyz(offset);
  }
}

void EpochReader::OnNavLlh(uint64_t offset) {
  const NavLlhRecord& r = decoder_.store().navLlh();
  Epoch e;
  if (!UtcToNs(r.utcYear(), r.utcMonth(), r.utcDay(), r.utcHours(), r.utcMinutes(), r.utcSeconds(), e.timeNs)) {
    ++untimed_;
    return;
  }
  e.hasDate = true;
  e.mode = r.navMode();
  e.fix = FixOfMode(r.navMode());
  e.latitude = r.latitude() * kDegreesPerRadian;
  e.longitude = r.longitude() * kDegreesPerRadian;
  e.positionValid = ModeHasPosition(r.navMode()) && PositionInRange(e.latitude, e.longitude);
  if (std::isfinite(r.altitude())) e.altitude = static_cast<double>(r.altitude());
  e.satellites = r.svCount();
  // In RTK mode the DOP bytes carry the GPS time instead.
  if (r.navMode() != 10) {
    e.hdop = r.hdopTenths() / 10.0;
    e.vdop = r.vdopTenths() / 10.0;
  }
  if (r.navMode() != 10) {
    const double speed = static_cast<double>(r.groundSpeed());
    const double track = static_cast<double>(r.trackAngle()) * kDegreesPerRadian;
    if (std::isfinite(speed)) e.speed = speed;
    if (std::isfinite(track)) e.course = track < 0 ? track + 360 : track;
  }
  sink_.OnEpoch(e, offset);
}

void EpochReader::OnNavXyz(uint64_t offset) {
  const NavXyzRecord& r = decoder_.store().navXyz();
  Epoch e;
  if (!GpsToUtcNs(r.gpsWeek(), r.gpsSeconds(), e.timeNs)) {
    ++untimed_;
    return;
  }
  e.hasDate = true;
  e.mode = r.navMode();
  e.fix = FixOfMode(r.navMode());
  const GeodeticPosition g = geodesy_.CartesianToGeodetic(r.positionX(), r.positionY(), r.positionZ());
  e.latitude = g.latitude * kDegreesPerRadian;
  e.longitude = g.longitude * kDegreesPerRadian;
  e.positionValid = g.converged && ModeHasPosition(r.navMode()) && PositionInRange(e.latitude, e.longitude) &&
                    std::isfinite(g.height);
  if (std::isfinite(g.height)) e.altitude = g.height;
  e.satellites = r.svCount();
  e.hdop = r.hdopTenths() / 10.0;
  e.vdop = r.vdopTenths() / 10.0;
  sink_.OnEpoch(e, offset);
}

void EpochReader::OnSentence(uint64_t offset, const char* sentence, int length, int slot) {
  (void)sentence;
  (void)length;
  if (options_.protocolSelector != 0 || slot < 0 || decoder_.nmea().lastStoredSlot() != slot) return;
  switch (slot) {
    case kSlotGga: OnGga(offset); break;
    case kSlotRmc: OnRmc(offset); break;
    case kSlotZda: OnZda(); break;
    default: break;
  }
}

void EpochReader::JoinPending(int64_t tod, bool isGga, uint64_t offset) {
  if (pending_.active && (pending_.tod != tod || (isGga ? pending_.hasGga : pending_.hasRmc))) FlushPending();
  if (!pending_.active) {
    pending_ = Pending{};
    pending_.active = true;
    pending_.tod = tod;
    pending_.offset = offset;
  }
}

void EpochReader::OnGga(uint64_t offset) {
  using F = NmeaGgaRecord;
  const NmeaGgaRecord& r = decoder_.nmea().gga();
  if (!r.has(F::kTime) || !TimeOfDayValid(r.utcHour, r.utcMinute, r.utcSeconds)) {
    ++untimed_;
    return;
  }
  JoinPending(TimeOfDayNs(r.utcHour, r.utcMinute, r.utcSeconds), true, offset);
  pending_.hasGga = true;
  Epoch& e = pending_.epoch;
  const bool hasQuality = r.has(F::kQuality);
  if (hasQuality) e.mode = r.quality;
  const bool located = r.has(F::kLatitude) && r.has(F::kLatitudeHemisphere) && r.has(F::kLongitude) &&
                       r.has(F::kLongitudeHemisphere);
  // The GGA position stands for the epoch, valid or not. Quality 0 means no fix; 7 (manual
  // input) and 8 (simulator) are positions the receiver did not measure.
  e.positionValid = false;
  if (located && hasQuality && r.quality != 0 && r.quality != 7 && r.quality != 8) {
    e.positionValid = SentencePosition(r, e.latitude, e.longitude);
  }
  if (r.has(F::kAltitude) && std::isfinite(r.altitude)) e.altitude = r.altitude;
  if (r.has(F::kSatellitesUsed)) e.satellites = r.satellitesUsed;
  if (r.has(F::kHdop) && std::isfinite(r.hdop)) e.hdop = r.hdop;
  if (hasQuality) {
    switch (r.quality) {
      case 0: e.fix = FixKind::kNone; break;
      case 1: e.fix = e.altitude ? FixKind::k3d : FixKind::k2d; break;
      case 2: case 4: case 5: e.fix = FixKind::kDgps; break;
      case 3: e.fix = FixKind::kPps; break;
      default: e.fix = FixKind::kUnknown; break;
    }
  }
}

void EpochReader::OnRmc(uint64_t offset) {
  using F = NmeaRmcRecord;
  const NmeaRmcRecord& r = decoder_.nmea().rmc();
  if (!r.has(F::kTime) || !TimeOfDayValid(r.utcHour, r.utcMinute, r.utcSeconds)) {
    ++untimed_;
    return;
  }
  const int64_t tod = TimeOfDayNs(r.utcHour, r.utcMinute, r.utcSeconds);
  JoinPending(tod, false, offset);
  pending_.hasRmc = true;
  Epoch& e = pending_.epoch;
  if (r.has(F::kDate)) {
    if (const auto days = DaysOfDdmmyy(r.date)) {
      pending_.rmcDays = days;
      LearnDate(*days, tod);
    }
  }
  if (r.has(F::kSpeed) && std::isfinite(r.speedKnots)) e.speed = r.speedKnots * kMetresPerSecondPerKnot;
  if (r.has(F::kCourse) && std::isfinite(r.courseDegrees)) e.course = r.courseDegrees;
  if (pending_.hasGga) return;  // the GGA position stands
  const bool located = r.has(F::kLatitude) && r.has(F::kLatitudeHemisphere) && r.has(F::kLongitude) &&
                       r.has(F::kLongitudeHemisphere);
  e.positionValid = false;
  if (located && r.has(F::kStatus) && r.status == 'A') {
    e.positionValid = SentencePosition(r, e.latitude, e.longitude);
  }
}

void EpochReader::OnZda() {
  using F = NmeaZdaRecord;
  const NmeaZdaRecord& r = decoder_.nmea().zda();
  if (!r.has(F::kTime) || !r.has(F::kDay) || !r.has(F::kMonth) || !r.has(F::kYear)) return;
  if (!TimeOfDayValid(r.utcHour, r.utcMinute, r.utcSeconds) || r.day < 1 || r.day > 31 || r.month < 1 ||
      r.month > 12) {
    return;
  }
  LearnDate(DaysFromCivil(r.year, r.month, r.day), TimeOfDayNs(r.utcHour, r.utcMinute, r.utcSeconds));
}

void EpochReader::LearnDate(int64_t days, int64_t tod) {
  dateDays_ = days;
  dateTod_ = tod;
}

void EpochReader::FlushPending() {
  if (!pending_.active) return;
  pending_.active = false;
  Epoch e = pending_.epoch;
  e.timeNs = pending_.tod;
  if (pending_.rmcDays) {
    e.timeNs += *pending_.rmcDays * kNsPerDay;
    e.hasDate = true;
  } else if (!DateEpoch(e)) {
    // No date yet: the epoch waits for the first one, within limits.
    if (held_.size() >= kHeldEpochs) ReleaseHeld();
    held_.push_back({e, pending_.offset});
    return;
  }
  ReleaseHeld();
  sink_.OnEpoch(e, pending_.offset);
}

bool EpochReader::DateEpoch(Epoch& e) const {
  if (!dateDays_) return false;
  // The date learned nearest in time, moved across a midnight between the two.
  int64_t days = *dateDays_;
  if (e.timeNs < dateTod_ - kHalfDayNs) ++days;
  if (e.timeNs > dateTod_ + kHalfDayNs) --days;
  e.timeNs += days * kNsPerDay;
  e.hasDate = true;
  return true;
}

void EpochReader::ReleaseHeld() {
  for (HeldEpoch& h : held_) {
    DateEpoch(h.epoch);
    sink_.OnEpoch(h.epoch, h.offset);
  }
  held_.clear();
}

void EpochReader::Finish() {
  FlushPending();
  ReleaseHeld();
}

namespace {
constexpr std::size_t kBlock = 32768;
}  // namespace

LogEpochStream::LogEpochStream(std::FILE* log, const EpochOptions& options, EpochSink& sink)
    : log_(log), reader_(decoder_, options, sink), block_(kBlock + 1) {
  decoder_.SetProtocolSelector(static_cast<uint32_t>(options.protocolSelector));
  decoder_.SetTimeGateOpen(1);
  decoder_.SetObserver(&reader_);
}

bool LogEpochStream::Step(std::size_t maxBytes) {
  std::size_t left = std::max<std::size_t>(maxBytes, 1);
  while (!ended_ && left > 0) {
    // One spare byte in the block: the decoder may terminate a block it shows as text.
    const std::size_t want = std::min(left, kBlock);
    const std::size_t n = std::fread(block_.data(), 1, want, log_);
    if (n > 0) {
      decoder_.Decode(block_.data(), static_cast<uint32_t>(n));
      result_.bytes += n;
      left -= n;
    }
    if (n < want) {
      result_.readError = std::ferror(log_) != 0;
      ended_ = true;
    }
  }
  return !ended_;
}

LogReadResult LogEpochStream::Finish() {
  reader_.Finish();
  result_.cancelled = !ended_;
  result_.untimedEpochs = reader_.untimedEpochs();
  result_.sourceMessage = reader_.sourceMessage();
  result_.counters = decoder_.counters();
  return result_;
}

LogReadResult ReadLogEpochs(std::FILE* log, const EpochOptions& options, EpochSink& sink) {
  LogEpochStream stream(log, options, sink);
  while (stream.Step(1u << 20)) {
  }
  return stream.Finish();
}

}  // namespace orv
