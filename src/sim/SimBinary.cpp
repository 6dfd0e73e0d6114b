// Binary payload builders. Fields the console interprets carry values from the scene; the
// bytes it keeps as opaque copies carry plausible constants so the pages have something to show.
#include "sim/SimBinary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string_view>

#include "util/ByteIo.h"

namespace orv::sim {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// Writes into a payload of fixed size; the size checks of ByteWriter keep every builder honest.
class PayloadWriter {
 public:
  explicit PayloadWriter(std::size_t size) : bytes_(size, 0), w_(bytes_) {}
  template <typename T>
  PayloadWriter& Put(T v) {
    w_.Put(v);
    return *this;
  }
  PayloadWriter& Text(std::string_view s, std::size_t width) {
    char buf[32] = {};
    std::memcpy(buf, s.data(), std::min(s.size(), std::min(width, sizeof buf)));
    w_.PutBytes(buf, width);
    return *this;
  }
  PayloadWriter& Zeros(std::size_t n) {
    w_.PutZeros(n);
    return *this;
  }
  // Moves to an absolute offset (forward only), leaving zeros behind.
  PayloadWriter& At(std::size_t offset) {
    if (offset > w_.size()) w_.PutZeros(offset - w_.size());
    return *this;
  }
  Payload Done() { return bytes_; }

 private:
  Payload bytes_;
  ByteWriter w_;
};

int UsedCount(const SimFix& f) {
  int n = 0;
  for (const SimSatellite& s : f.satellites) n += s.used ? 1 : 0;
  return n;
}

// Bit k for SV k + 1 of the GPS satellites that `pick` chooses.
template <typename Pick>
uint32_t SvMask(const SimFix& f, Pick pick) {
  uint32_t m = 0;
  for (const SimSatellite& s : f.satellites) {
    if (!s.sbas && s.prn >= 1 && s.prn <= 32 && pick(s)) m |= 1u << (s.prn - 1);
  }
  return m;
}
uint32_t UsedMask(const SimFix& f) {
  return SvMask(f, [](const SimSatellite& s) { return s.used; });
}

// The channel status byte: tracking status in bits 0-1 (0 not ready, 1 bit ready,
// 2 measurement ready, 3 failed), location in bits 2-3 (0 idle, 1 locating, 2 tracking),
// bit 4 automatic assignment.
uint8_t ChannelStatus(const SimSatellite& s) {
  int tracking = s.status == kSvView ? 0 : s.status == kSvTrack ? 1 : 2;
  if (s.channelFailed) tracking = 3;
  const int location = s.status == kSvView ? 1 : 2;
  return static_cast<uint8_t>(tracking | location << 2 | 1 << 4);
}

int16_t Tenths(double v) { return static_cast<int16_t>(std::lround(v * 10)); }

// The navigation mode "Nav 3-D" and system mode "Navigation".
constexpr uint8_t kNav3d = 2;
constexpr uint8_t kSystemNavigation = 3;

}  // namespace

Payload ChannelAssignment(const SimFix& f, bool firstHalf) {
  PayloadWriter w(1 + 6 * 14);
  w.Put<uint8_t>(firstHalf ? 0 : 1);
  // The satellites fill the channels in order, passing over the deselected ones.
  std::vector<int> onChannel(12, -1);
  for (int ch = 0, next = 0; ch < 12; ++ch) {
    if ((f.deselectedChannels >> ch) & 1u) continue;
    if (next < static_cast<int>(f.satellites.size())) onChannel[static_cast<std::size_t>(ch)] = next++;
  }
  for (int ch = firstHalf ? 0 : 6; ch < (firstHalf ? 6 : 12); ++ch) {
    if (onChannel[static_cast<std::size_t>(ch)] >= 0) {
      const SimSatellite& s = f.satellites[static_cast<std::size_t>(onChannel[static_cast<std::size_t>(ch)])];
      // A geostationary satellite is numbered from 120 with bit 5 set.
      const int code = s.sbas ? ((s.prn - 120) & 0x1F) | 0x20 : (s.prn - 1) & 0x1F;
      w.Put<uint8_t>(static_cast<uint8_t>(code))
          .Put<uint32_t>(static_cast<uint32_t>(std::lround(140539.542 + s.dopplerHz * 0.0999999)))
          .Put<float>(static_cast<float>(s.snrDbHz))
          .Put<int16_t>(0)
          .Put<int8_t>(0)
          .Put<uint8_t>(0)
          .Put<uint8_t>(ChannelStatus(s));
    } else {
      w.Zeros(13).Put<uint8_t>(1 << 4);  // idle, auto
    }
  }
  return w.Done();
}

Payload BaselineSolution(const SimFix& f, bool matched) {
  double cx, cy, cz;
  GeodeticToEcef(kCentreLatDeg * kDeg, kCentreLonDeg * kDeg, kCentreAltM, cx, cy, cz);
  const int reference = f.referencePrn;
  PayloadWriter w(41);
  w.Put<float>(static_cast<float>(f.gpsSeconds))
      .Put<float>(static_cast<float>(f.x - cx))
      .Put<float>(static_cast<float>(f.y - cy))
      .Put<float>(static_cast<float>(f.z - cz))
      .Put<float>(matched ? 0.02f : 0.35f)
      .Put<float>(static_cast<float>(f.vx))
      .Put<float>(static_cast<float>(f.vy))
      .Put<float>(static_cast<float>(f.vz))
      .Put<uint32_t>(UsedMask(f))
      .Put<uint32_t>(SvMask(f, [](const SimSatellite& s) { return s.rejected; }))
      .Put<uint8_t>(static_cast<uint8_t>(reference > 0 ? reference - 1 : 0));
  return w.Done();
}

Payload NavLlh(const SimFix& f, int datumNumber) {
  const auto datum = static_cast<uint8_t>(datumNumber & 0x3F);
  PayloadWriter w(71);
  w.Put<uint8_t>(static_cast<uint8_t>(f.utc.hour & 0x1F))
      .Put<uint8_t>(static_cast<uint8_t>(f.utc.minute))
      .Put<double>(f.utc.second)
      .Put<uint8_t>(static_cast<uint8_t>(f.utc.day))
      .Put<uint8_t>(static_cast<uint8_t>(f.utc.month))
      .Put<uint16_t>(static_cast<uint16_t>(f.utc.year))
      .Put<double>(f.latRad)
      .Put<double>(f.lonRad)
      .Put<float>(static_cast<float>(f.altM))
      .Put<float>(static_cast<float>(f.speed))
      .Put<float>(static_cast<float>(f.trackRad))
      .Put<float>(static_cast<float>(f.velNorth))
      .Put<float>(static_cast<float>(f.velEast))
      .Put<float>(static_cast<float>(f.velUp))
      .Put<float>(static_cast<float>(f.hdop * 2.5))
      .Put<float>(static_cast<float>(f.vdop * 2.5))
      .Put<int16_t>(Tenths(f.hdop))
      .Put<int16_t>(Tenths(f.vdop))
      .Put<uint8_t>(static_cast<uint8_t>(f.navMode & 0x1F))
      .Put<uint8_t>(static_cast<uint8_t>((UsedCount(f) & 0x0F) | (datum & 0x0F) << 4))
      .Put<uint8_t>(static_cast<uint8_t>(kSystemNavigation | (datum & 0x30)))
      .Put<uint16_t>(0);
  return w.Done();
}

Payload NavXyz(const SimFix& f) {
  PayloadWriter w(79);
  w.Put<double>(f.gpsSeconds)
      .Put<uint16_t>(static_cast<uint16_t>(f.gpsWeek))
      .Put<double>(f.x)
      .Put<double>(f.y)
      .Put<double>(f.z)
      .Put<float>(static_cast<float>(f.vx))
      .Put<float>(static_cast<float>(f.vy))
      .Put<float>(static_cast<float>(f.vz))
      .Put<double>(1.25e-4 + 1e-9 * std::fmod(f.gpsSeconds, 1000.0))
      .Put<double>(0.42)
      .Put<float>(static_cast<float>(f.hdop * 2.5))
      .Put<float>(static_cast<float>(f.vdop * 2.5))
      .Put<uint16_t>(static_cast<uint16_t>(Tenths(f.hdop)))
      .Put<uint16_t>(static_cast<uint16_t>(Tenths(f.vdop)))
      .Put<uint8_t>(kNav3d)
      .Put<uint8_t>(static_cast<uint8_t>(UsedCount(f)));
  return w.Done();
}

Payload Ephemeris(const SimFix& f, int prn) {
  PayloadWriter w(73);
  w.Put<uint8_t>(static_cast<uint8_t>(prn - 1));
  // 24 words of 24 bits; the issue of data follows the two-hour upload cycle.
  const uint32_t iode = static_cast<uint32_t>(f.gpsSeconds / 7200) & 0xFF;
  for (uint32_t k = 0; k < 24; ++k) {
    uint32_t word = (static_cast<uint32_t>(prn) * 2654435761u + k * 40503u + iode * 977u) & 0xFFFFFF;
    if (k == 0) word = (iode << 16) | static_cast<uint32_t>(f.gpsWeek & 0x3FF) << 6;
    w.Put<uint8_t>(static_cast<uint8_t>(word >> 16)).Put<uint8_t>(static_cast<uint8_t>(word >> 8)).Put<uint8_t>(
        static_cast<uint8_t>(word));
  }
  return w.Done();
}

// The GPS satellites whose channels have measurements ready.
Payload MeasurementBlock(const SimFix& f) {
  std::vector<const SimSatellite*> measured;
  for (const SimSatellite& s : f.satellites) {
    if (!s.sbas && !s.channelFailed && s.status >= kSvMeasReady && measured.size() < kChannels) measured.push_back(&s);
  }
  const int n = static_cast<int>(measured.size());
  PayloadWriter w(11 + 11 * static_cast<std::size_t>(n));
  w.Put<uint16_t>(0x0001).Put<uint8_t>(static_cast<uint8_t>(n)).Put<double>(f.gpsSeconds);
  for (const SimSatellite* m : measured) {
    const SimSatellite& s = *m;
    // Code in 1/16 m units and carrier in cycles, both wrapping at 32 bits.
    const double carrier = (s.rangeM / 0.190293672798) + s.dopplerHz * f.gpsSeconds;
    w.Put<uint8_t>(static_cast<uint8_t>((s.prn - 1) & 0x3F))
        .Put<uint8_t>(static_cast<uint8_t>(std::lround(s.snrDbHz * 4)))
        .Put<uint32_t>(static_cast<uint32_t>(std::fmod(s.rangeM * 16, 4294967296.0)))
        .Put<uint32_t>(static_cast<uint32_t>(std::fmod(std::fabs(carrier), 4294967296.0)))
        .Put<uint8_t>(s.used ? 1 : 0);
  }
  return w.Done();
}

Payload SvStatus(const SimFix& f) {
  const int n = std::min<int>(static_cast<int>(f.satellites.size()), kChannels);
  PayloadWriter w(61);
  w.Put<uint8_t>(static_cast<uint8_t>(n));
  for (int i = 0; i < n; ++i) {
    const SimSatellite& s = f.satellites[i];
    // A WAAS satellite carries its PRN - 88 in the upper seven bits of the azimuth word.
    const int gps = s.sbas ? 0 : (s.prn - 1) & 0x1F;
    const int waas = s.sbas ? (s.prn - 88) & 0x7F : 0;
    w.Put<uint8_t>(static_cast<uint8_t>(gps | (s.status & 3) << 5))
        .Put<int8_t>(static_cast<int8_t>(std::lround(s.elevationDeg)))
        .Put<uint16_t>(static_cast<uint16_t>(waas << 9 | std::lround(s.azimuthDeg) % 360))
        .Put<uint8_t>(static_cast<uint8_t>(std::lround(s.snrDbHz)));
  }
  return w.Done();
}

Payload PartNumber() {
  PayloadWriter w(95);
  w.Text("OP7701-0042A05", 14).Text("CF7702-0013A01", 14).Put<uint32_t>(0x5A3C19E7u).Text("BT7700-0001A03", 14);
  w.At(47).Text("B02", 3).Text("C01", 3);
  w.At(73).Put<uint32_t>(0x00012F4Bu).Text("SIM", 3);
  w.At(86).Put<uint32_t>(0x1B2C3D4Eu).Put<uint32_t>(0x6F7A8B9Cu);
  return w.Done();
}

SimBaseState BaseAtCentre() {
  SimBaseState b;
  b.latRad = kCentreLatDeg * kDeg;
  b.lonRad = kCentreLonDeg * kDeg;
  b.altM = kCentreAltM;
  return b;
}

Payload BaseStatus(const SimFix& f, const SimBaseState& base, double elapsed) {
  // Status index: 0 "Not In Base", 1 "Position not Initialized" (surveying), 2 "Position
  // Initialized"; the differential output at 9600 bit/s (index 5).
  int status = 2;
  double remainingHours = 0, lat = base.latRad, lon = base.lonRad, alt = base.altM;
  if (base.mode == SimBaseState::kRover) {
    status = 0;
  } else if (base.mode == SimBaseState::kBaseSelfSurvey) {
    const double left = base.surveySeconds - (elapsed - base.surveyStart);
    status = left > 0 ? 1 : 2;
    remainingHours = left > 0 ? left / 3600.0 : 0;
    lat = kCentreLatDeg * kDeg;
    lon = kCentreLonDeg * kDeg;
    alt = kCentreAltM;
  }
  const std::size_t n = std::min<std::size_t>(base.entries.size(), 6);
  PayloadWriter w(42 + 2 * n);
  w.Put<uint8_t>(static_cast<uint8_t>(status | 5 << 2))
      .Put<double>(remainingHours)
      .Put<float>(1.2f)
      .Put<double>(lat)
      .Put<double>(lon)
      .Put<double>(alt)
      .Put<uint32_t>(static_cast<uint32_t>(f.gpsSeconds))
      .Put<uint8_t>(static_cast<uint8_t>(n));
  for (std::size_t k = 0; k < n; ++k) w.Put<uint8_t>(base.entries[k].type).Put<uint8_t>(base.entries[k].rateS);
  return w.Done();
}

Payload DgpsStatus(const SimFix& f) {
  PayloadWriter w(24);
  w.Put<uint8_t>(1)                                         // corrections in use
      .Put<uint16_t>(412)                                   // reference station
      .Put<float>(static_cast<float>(std::fmod(f.gpsSeconds, 7.0)))  // age, seconds
      .Put<uint8_t>(static_cast<uint8_t>(UsedCount(f)))
      .Put<uint32_t>(UsedMask(f));
  return w.Done();
}

Payload ReceiverStatus(const SimFix& f) {
  PayloadWriter w(40);
  w.Put<uint8_t>(kSystemNavigation)  // all-in-view tracking, NVM idle
      .Put<uint8_t>(0x03)            // tropo and MSL models on
      .Put<uint16_t>(static_cast<uint16_t>(f.gpsWeek))
      .Put<uint16_t>(static_cast<uint16_t>(f.gpsWeek))
      .Put<uint32_t>(0)
      .Put<uint16_t>(0);
  w.At(19)
      .Put<uint16_t>(static_cast<uint16_t>(std::lround(f.maskDeg * 100)))
      .Put<uint8_t>(0x00)
      .Put<int16_t>(static_cast<int16_t>(12 + std::lround(3 * std::sin(f.gpsSeconds / 300))))
      .Put<uint8_t>(3)
      .Put<float>(41.5f)
      .Put<uint8_t>(kNav3d);
  return w.Done();
}

Payload SatelliteHealth(const SimFix& f) {
  // Satellite n's two bits, satellite 1 in the top bits of the first byte.
  uint8_t bytes[8] = {};
  for (int i = 0; i < 32; ++i) bytes[i / 4] |= static_cast<uint8_t>((f.healthCodes[i] & 3) << (6 - 2 * (i % 4)));
  PayloadWriter w(8);
  for (uint8_t b : bytes) w.Put<uint8_t>(b);
  return w.Done();
}

Payload Almanac(const SimFix& f, int prn) {
  PayloadWriter w(79);
  const double k = prn / 32.0;
  w.Put<uint8_t>(static_cast<uint8_t>(1 << 6 | (prn & 0x3F)))
      .Put<uint32_t>(static_cast<uint32_t>(f.gpsSeconds / 4096) * 4096)
      .Put<double>(1.0e-5 * (k - 0.5))
      .Put<double>(0.0)
      .Put<double>(std::numbers::pi * (2 * k - 1))
      .Put<double>(0.5 + k)
      .Put<double>(-2.0 + 4 * k)
      .Put<double>(5153.6 + k)
      .Put<double>(-8.0e-9)
      .Put<double>(0.96 + 0.01 * k)
      .Put<double>(0.002 + 0.01 * k)
      .Put<uint16_t>(static_cast<uint16_t>(f.gpsWeek));
  return w.Done();
}

Payload SystemProfile() {
  const uint32_t entries[] = {0x00010032, 0x0002001E, 0x00030014, 0x0004000A, 0x00050005, 0x00060003};
  PayloadWriter w(4 * std::size(entries));
  for (uint32_t e : entries) w.Put<uint32_t>(e);
  return w.Done();
}

Payload TimingInformation(const SimFix& f, const SimTiming& t) {
  PayloadWriter w(59);
  w.Put<double>(f.gpsSeconds)
      .Put<uint16_t>(static_cast<uint16_t>(f.gpsWeek))
      .Put<double>(static_cast<double>(kGpsUtcLeapSeconds))
      .Put<float>(2.5e-8f)
      .Put<float>(0.42f)
      .Put<uint8_t>(1)  // 1PPS aligned to GPS time
      .Put<uint8_t>(static_cast<uint8_t>(UsedCount(f)));
  w.At(32)
      .Put<int32_t>(t.cableDelayNs)
      .Put<uint32_t>(t.ppsOffsetNs)
      .Put<uint32_t>(t.pulseLengthNs)
      .Put<uint8_t>(t.alignment)
      .Put<uint8_t>(t.outputControl)
      .Put<uint8_t>(t.traimLimit10Ns)
      .Put<uint16_t>(t.intrinsicDelayNs);
  return w.Done();
}

}  // namespace orv::sim

namespace orv::sim {

// An empty fault log: no fault recorded, the slots numbered.
Payload FaultLog() {
  PayloadWriter w(80);
  for (uint8_t i = 0; i < 20; ++i) w.At(4u * i).Put<uint8_t>(i);
  return w.Done();
}

// A raw differential correction block: the time it was made and a counting body.
Payload RawDgps(const SimFix& f) {
  PayloadWriter w(24);
  w.Put<double>(f.gpsSeconds).Put<uint16_t>(static_cast<uint16_t>(f.gpsWeek));
  for (uint8_t i = 0; i < 14; ++i) w.Put<uint8_t>(i);
  return w.Done();
}

}  // namespace orv::sim
