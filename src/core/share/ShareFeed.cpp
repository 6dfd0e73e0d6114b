#include "share/ShareFeed.h"

#include <algorithm>
#include <cmath>

#include "share/NmeaOut.h"

namespace orv {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kRadiansPerDegree = kPi / 180.0;
constexpr double kDegreesPerRadian = 180.0 / kPi;

std::optional<double> Finite(double v) { return std::isfinite(v) ? std::optional<double>(v) : std::nullopt; }

// PDOP from its horizontal and vertical parts: the squares add.
std::optional<double> Pdop(const std::optional<double>& h, const std::optional<double>& v) {
  if (!h || !v) return std::nullopt;
  return std::sqrt(*h * *h + *v * *v);
}

}  // namespace

ShareFeed::ShareFeed(const ReceiverDecoder& decoder, int protocolSelector, std::string device, ShareListener& listener)
    : decoder_(decoder), protocol_(protocolSelector ? 1 : 0), device_(std::move(device)), listener_(listener) {
  EpochOptions options;
  options.protocolSelector = protocol_;
  reader_ = std::make_unique<EpochReader>(decoder_, options, *this);
}

void ShareFeed::OnFrame(uint64_t offset, const uint8_t* frame, int length) {
  if (protocol_ != 1 || frame == nullptr || length < 4) return;
  reader_->OnFrame(offset, frame, length);
  switch (frame[1] & 0x7F) {
    case 33: OnSvStatus(); break;
    case 49: mslAltitude_ = decoder_.store().receiverStatus().mslModelEnabled() == 1; break;
    default: break;
  }
}

void ShareFeed::OnSentence(uint64_t offset, const char* sentence, int length, int slot) {
  if (protocol_ != 0 || sentence == nullptr || length <= 0) return;
  // Every sentence that passed its checksum goes on as it came.
  listener_.OnNmea(std::string(sentence, static_cast<std::size_t>(length)) + "\r\n");
  if (slot < 0 || decoder_.nmea().lastStoredSlot() != slot) return;
  if (slot == kSlotGga) {
    const NmeaGgaRecord& g = decoder_.nmea().gga();
    separation_ = lastSeparation_;
    reader_->OnSentence(offset, sentence, length, slot);
    lastSeparation_.reset();
    if (g.has(NmeaGgaRecord::kGeoidalSeparation) && std::isfinite(g.geoidalSeparation)) {
      lastSeparation_ = g.geoidalSeparation;
    }
    separation_ = lastSeparation_;
    return;
  }
  reader_->OnSentence(offset, sentence, length, slot);
  if (slot == kSlotGsa) OnGsa();
  if (slot == kSlotGsv) OnGsv();
}

void ShareFeed::Finish() { reader_->Finish(); }

void ShareFeed::AddKtxExtras(ShareFix& fix) const {
  const Epoch& e = fix.epoch;
  if (reader_->sourceMessage() == 20) {
    const NavLlhRecord& r = decoder_.store().navLlh();
    if (e.altitude) (mslAltitude_.value_or(false) ? fix.altMsl : fix.altHae) = e.altitude;
    fix.climb = Finite(r.velocityUp());
    fix.eph = Finite(r.hfom());
    fix.epv = Finite(r.vfom());
    return;
  }
  // Message 21: the height is the ellipsoid's; the velocity is turned into the local frame.
  const NavXyzRecord& r = decoder_.store().navXyz();
  fix.altHae = e.altitude;
  fix.eph = Finite(r.hfom());
  fix.epv = Finite(r.vfom());
  if (!e.positionValid) return;
  const double lat = e.latitude * kRadiansPerDegree, lon = e.longitude * kRadiansPerDegree;
  const double vx = r.velocityX(), vy = r.velocityY(), vz = r.velocityZ();
  const double east = -std::sin(lon) * vx + std::cos(lon) * vy;
  const double north = -std::sin(lat) * std::cos(lon) * vx - std::sin(lat) * std::sin(lon) * vy + std::cos(lat) * vz;
  const double up = std::cos(lat) * std::cos(lon) * vx + std::cos(lat) * std::sin(lon) * vy + std::sin(lat) * vz;
  if (!std::isfinite(east) || !std::isfinite(north) || !std::isfinite(up)) return;
  fix.epoch.speed = std::hypot(east, north);
  double track = std::atan2(east, north) * kDegreesPerRadian;
  fix.epoch.course = track < 0 ? track + 360 : track;
  fix.climb = up;
}

void ShareFeed::OnEpoch(const Epoch& epoch, uint64_t offset) {
  (void)offset;
  ShareFix fix;
  fix.epoch = epoch;
  if (protocol_ == 1) {
    AddKtxExtras(fix);
  } else if (epoch.altitude) {
    // The GGA altitude is above the geoid; the separation takes it to the ellipsoid.
    fix.altMsl = epoch.altitude;
    if (separation_) fix.altHae = *epoch.altitude + *separation_;
  }
  ++epochs_;
  lastFix_ = fix;
  listener_.OnTpv(TpvJson(fix, device_), GpsdTime(epoch.timeNs, epoch.hasDate));
  if (protocol_ != 1) return;
  // The view goes with the solution's DOPs; the satellites are those of the last message 33.
  const SkyView* sky = nullptr;
  if (lastSky_) {
    lastSky_->hdop = epoch.hdop;
    lastSky_->vdop = epoch.vdop;
    lastSky_->pdop = Pdop(epoch.hdop, epoch.vdop);
    sky = &*lastSky_;
  }
  for (const std::string& s : EpochSentences(fix, sky)) listener_.OnNmea(s);
}

void ShareFeed::OnSvStatus() {
  const SvStatusRecord& r = decoder_.store().svStatus();
  SkyView sky;
  for (int i = 0; i < r.svCount(); ++i) {
    const SvStatusEntry entry = r.entry(i);
    SkySatellite s;
    s.prn = entry.svNumber();
    s.elevation = entry.elevation();
    s.azimuth = entry.azimuth();
    s.snr = entry.snr();
    s.used = entry.status() == 3;  // "Use Nav"
    sky.satellites.push_back(s);
  }
  if (lastFix_) {
    sky.hdop = lastFix_->epoch.hdop;
    sky.vdop = lastFix_->epoch.vdop;
    sky.pdop = Pdop(sky.hdop, sky.vdop);
  }
  PublishSky(std::move(sky));
}

void ShareFeed::OnGsa() {
  using F = NmeaGsaRecord;
  const NmeaGsaRecord& r = decoder_.nmea().gsa();
  gsaUsed_.clear();
  for (int i = 0; i < F::kSatelliteSlots; ++i) {
    const uint16_t prn = r.satellites[static_cast<std::size_t>(i)];
    if (r.has(F::kFirstSatellite + i) && prn != 0) gsaUsed_.push_back(PrnOfNmea(prn));
  }
  gsaPdop_ = r.has(F::kPdop) ? Finite(r.pdop) : std::nullopt;
  gsaHdop_ = r.has(F::kHdop) ? Finite(r.hdop) : std::nullopt;
  gsaVdop_ = r.has(F::kVdop) ? Finite(r.vdop) : std::nullopt;
}

void ShareFeed::OnGsv() {
  using F = NmeaGsvRecord;
  const NmeaGsvRecord& r = decoder_.nmea().gsv();
  if (!r.has(F::kMessageNumber) || !r.has(F::kTotalMessages) || r.totalMessages == 0) return;
  // A set is taken whole: its first sentence starts it, each next one must follow.
  if (r.messageNumber == 1) {
    gsvSatellites_.clear();
    gsvExpected_ = 1;
  }
  if (r.messageNumber != gsvExpected_) {
    gsvExpected_ = 0;
    return;
  }
  for (int i = 0; i < F::kSatelliteSlots; ++i) {
    const int base = F::kFirstSatellite + 4 * i;
    const NmeaGsvSatellite& g = r.satellites[static_cast<std::size_t>(i)];
    if (!r.has(base) || g.prn == 0) continue;
    SkySatellite s;
    s.prn = PrnOfNmea(g.prn);
    if (r.has(base + 1)) s.elevation = g.elevation;
    if (r.has(base + 2)) s.azimuth = g.azimuth;
    if (r.has(base + 3)) s.snr = g.snr;
    s.used = std::find(gsaUsed_.begin(), gsaUsed_.end(), s.prn) != gsaUsed_.end();
    gsvSatellites_.push_back(s);
  }
  if (r.messageNumber < r.totalMessages) {
    ++gsvExpected_;
    return;
  }
  gsvExpected_ = 0;
  SkyView sky;
  sky.satellites = std::move(gsvSatellites_);
  gsvSatellites_.clear();
  sky.hdop = gsaHdop_;
  sky.vdop = gsaVdop_;
  sky.pdop = gsaPdop_;
  PublishSky(std::move(sky));
}

void ShareFeed::PublishSky(SkyView sky) {
  // In NMEA the epoch is handed on only when the next one begins: the view has no time of its
  // own then, and is not given the previous one's.
  if (lastFix_ && protocol_ == 1) {
    sky.timeNs = lastFix_->epoch.timeNs;
    sky.hasDate = lastFix_->epoch.hasDate;
  }
  lastSky_ = std::move(sky);
  listener_.OnSky(SkyJson(*lastSky_, device_));
}

}  // namespace orv
