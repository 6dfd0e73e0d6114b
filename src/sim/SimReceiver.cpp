// The simulated receiver: request handling, the continuous schedules and protocol switching.
#include "sim/SimReceiver.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

#include "geodesy/DatumSetup.h"
#include "geodesy/DatumTables.h"
#include "platform/PosixSerialDevice.h"
#include "protocol/CommandKeys.h"
#include "protocol/Frame.h"
#include "protocol/ProtocolSwitch.h"
#include "util/ByteIo.h"

namespace orv::sim {

namespace {

constexpr int kAnswered[] = {6, 7, 18, 19, 20, 21, 22, 23, 33, 45, 47, 48, 49, 50, 57, 65, 76, 111, 113};
// The fault log (57) is asked for with request code 41.
constexpr int kFaultLogRequest = 41;
constexpr int kAlmanacSatellites = 32;
constexpr uint8_t kAlmanacGic = 2;
constexpr uint8_t kProtocolNmeaBit = 0x80;
// Message 88: option (0 select, 1 define, 2 select and define), datum number, shifts, a, 1/f.
constexpr std::size_t kDatumPayloadSize = 30;
constexpr uint8_t kSelectDatum = 0, kDefineDatum = 1, kSelectAndDefine = 2;

bool Answers(int message) { return std::find(std::begin(kAnswered), std::end(kAnswered), message) != std::end(kAnswered); }

// The first time on the output grid of `period` strictly after t.
double NextGrid(double t, double period) { return (std::floor(t / period + 1e-6) + 1) * period; }

double MeasurementPeriod(uint8_t rateCode) {
  switch (rateCode) {
    case 1: return 0.5;
    case 2: return 0.2;
    case 3: return 0.1;
    default: return 1.0;
  }
}

// A whole decimal number, or -1.
long Number(const std::string& s) {
  if (s.empty() || s.size() > 9) return -1;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
  }
  return std::strtol(s.c_str(), nullptr, 10);
}

}  // namespace

SimReceiver::SimReceiver(const SimSettings& settings)
    : scene_(settings.seed, settings.startGpsTime), protocol_(settings.protocol), baud_(settings.baud),
      badChecksumEvery_(settings.badChecksumEvery), almanac_(settings.almanac), download_(settings.download) {
  if (protocol_ == SimProtocol::Nmea) ResetNmeaSchedule(0);
}

uint32_t SimReceiver::BaudFromCode(uint8_t code) {
  switch (code) {
    case 65: return 38400;
    case 66: return 57600;
    case 67: return 115200;
    default: return uint32_t{code} * 300;
  }
}

void SimReceiver::Consume(std::size_t n) {
  output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(std::min(n, output_.size())));
}

int SimReceiver::NmeaPeriod(std::string_view code) const {
  const int i = NmeaCodeIndex(code);
  return i < 0 ? 0 : nmeaSchedule_[i].periodS;
}

void SimReceiver::ResetNmeaSchedule(double from) {
  for (int i = 0; i < kNmeaCodeCount; ++i) nmeaSchedule_[i] = NmeaEntry{i < kNmeaDefaultCodes ? 1 : 0, from};
}

void SimReceiver::Receive(const uint8_t* bytes, std::size_t n, double now) {
  now_ = std::max(now_, now);
  for (const InputItem& item : scanner_.Feed(bytes, n)) {
    if (item.binary) {
      OnFrame(item);
    } else if (protocol_ == SimProtocol::Nmea) {
      OnSentence(item.sentence);
    }
  }
}

void SimReceiver::OnFrame(const InputItem& item) {
  const int message = item.idByte & 0x7F;
  if (message == 110) {
    if (item.payload.size() != 1) return;
    const uint32_t baud = BaudFromCode(item.payload[0] & 0x7F);
    if (baud == 0) return;
    SwitchTo((item.payload[0] & kProtocolNmeaBit) ? SimProtocol::Nmea : SimProtocol::Ktx, baud);
    return;
  }
  if (message == 88) {
    if (protocol_ == SimProtocol::Ktx) OnDatum(item.payload);
    return;
  }
  if (message == 78 || message == 79) {
    if (protocol_ != SimProtocol::Ktx) return;
    if (const std::optional<SimReply> reply = almanac_.OnMessage(message, item.payload)) SendFrame(reply->message, reply->payload);
    return;
  }
  if (message == 70) {
    if (protocol_ == SimProtocol::Ktx) OnFileMessage(item.payload);
    return;
  }
  if (message >= 60 && message <= 62) {
    if (protocol_ == SimProtocol::Ktx) OnMemoryDump(message, (item.idByte & 0x80) != 0, item.payload);
    return;
  }
  if (message == 120 || message == 122) {
    if (protocol_ == SimProtocol::Ktx) memory_.Load(item.payload, message == 120 ? 1 : 4);
    return;
  }
  if (message == 69 || message == 103) {
    if (protocol_ == SimProtocol::Ktx) OnTimeCommand(message, item.payload);
    return;
  }
  if (message == 80 || message == 91) {
    if (protocol_ == SimProtocol::Ktx) OnBaseCommand(message, item.payload);
    return;
  }
  if (message == 81 || message == 82 || message == 87) {
    if (protocol_ == SimProtocol::Ktx) OnControl(message, item.payload);
    return;
  }
  // A request has the length the console's encoder gives it; anything else (our own frames
  // echoed by a terminal not yet in raw mode, for one) is not a request.
  if (kTransmitLength[message] != item.payload.size() + kFrameOverhead) return;
  if (protocol_ == SimProtocol::Ktx) OnBinaryRequest(message, (item.idByte & 0x80) != 0, item.payload);
}

void SimReceiver::OnBinaryRequest(int message, bool continuous, const std::vector<uint8_t>& payload) {
  if (message == 7) message = 6;
  // The fault log answers its request code only.
  if (message == 57) return;
  if (message == kFaultLogRequest) message = 57;
  if (!Answers(message)) return;
  if (message == 76 && !payload.empty() && payload[0] == kAlmanacGic) return;  // no GIC almanacs here
  if (!continuous) {
    binarySchedule_.erase(message);
    SendBinary(message, scene_.At(now_), nullptr);
    return;
  }
  BinaryEntry& e = binarySchedule_[message];
  e.rateCode = message == 23 && !payload.empty() ? payload[0] : 0;
  e.period = message == 23 ? MeasurementPeriod(e.rateCode) : 1.0;
  e.nextDue = now_;
}

// The mask (81: float32 degrees, then the bytes 1 to 8), SV deselection (82: group, then a
// 32-bit mask) and channel deselection (87: a 16-bit mask), each whole or not at all.
void SimReceiver::OnControl(int message, const std::vector<uint8_t>& payload) {
  if (kTransmitLength[message] != payload.size() + kFrameOverhead) return;
  SimControls c = scene_.controls();
  if (message == 81) {
    const double mask = ReadLe<float>(payload, 0);
    if (!(mask >= 0 && mask <= 90)) return;
    c.maskDeg = mask;
  } else if (message == 82) {
    const uint32_t mask = ReadLe<uint32_t>(payload, 1);
    if (payload[0] == 0) {
      c.deselectedGps = mask;
    } else if (payload[0] == 1) {
      c.deselectedWaas = mask & 0x7FFFF;  // PRN 120 to 138
    } else {
      return;
    }
  } else {
    c.deselectedChannels = static_cast<uint16_t>(ReadLe<uint16_t>(payload, 0) & 0x0FFF);
  }
  scene_.SetControls(c);
}

// Message 80: the key of a mode text, then 24 bytes (the base position as three doubles for
// "Base Manual", the survey seconds for "Survey Time", station ID and health for "Station
// ID"); a frame with no known key is refused. Message 91: bit 7 of byte 0 the format, bits 0-2
// the message types 1, 3 and 59, byte 1 the rate; no type stops the encoding.
void SimReceiver::OnBaseCommand(int message, const std::vector<uint8_t>& payload) {
  if (kTransmitLength[message] != payload.size() + kFrameOverhead) return;
  if (message == 91) {
    base_.entries.clear();
    const uint8_t rate = payload[1];
    if (rate == 0) return;
    const uint8_t types[3] = {1, 3, 59};
    for (int bit = 0; bit < 3; ++bit) {
      if (payload[0] & (1u << bit)) base_.entries.push_back({types[bit], rate});
    }
    return;
  }
  auto keyed = [&](std::string_view text) {
    const CommandKey k = OperatingModeKey(text);
    return std::equal(k.begin(), k.end(), payload.begin());
  };
  const std::span<const uint8_t> fields(payload.data() + 8, 24);
  if (keyed("Rover")) {
    base_.mode = SimBaseState::kRover;
  } else if (keyed("Base Manual")) {
    const double lat = ReadLe<double>(fields, 0), lon = ReadLe<double>(fields, 8), alt = ReadLe<double>(fields, 16);
    constexpr double kHalfPi = std::numbers::pi / 2;
    if (!(std::fabs(lat) <= kHalfPi && std::fabs(lon) <= 4 * kHalfPi && std::isfinite(alt))) return;
    base_.mode = SimBaseState::kBaseManual;
    base_.latRad = lat;
    base_.lonRad = lon;
    base_.altM = alt;
  } else if (keyed("Base Self Survey")) {
    base_.mode = SimBaseState::kBaseSelfSurvey;
    base_.surveyStart = now_;
  } else if (keyed("Survey Time")) {
    base_.surveySeconds = ReadLe<uint32_t>(fields, 0);
  } else if (keyed("Station ID")) {
    base_.stationId = static_cast<uint16_t>(ReadLe<uint16_t>(fields, 0) & 0x3FF);
    base_.health = static_cast<uint8_t>(fields[2] & 7);
  }
}

// Message 69: the timing parameters, each group taken only when bit g of byte 17 marks it
// modified. Message 103 with the general key: hour, minute, second, day, month, year (uint16)
// in UTC, which moves the receiver's clock; its other keys (the 1PPS commands) leave it.
void SimReceiver::OnTimeCommand(int message, const std::vector<uint8_t>& payload) {
  if (kTransmitLength[message] != payload.size() + kFrameOverhead) return;
  if (message == 69) {
    const uint8_t modified = payload[17];
    if (modified & 0x01) timing_.cableDelayNs = ReadLe<int32_t>(payload, 0);
    if (modified & 0x02) timing_.ppsOffsetNs = ReadLe<uint32_t>(payload, 4);
    if (modified & 0x04) timing_.pulseLengthNs = ReadLe<uint32_t>(payload, 8);
    if (modified & 0x08) timing_.alignment = payload[12];
    if (modified & 0x10) timing_.outputControl = payload[13];
    if (modified & 0x20) timing_.traimLimit10Ns = payload[14];
    if (modified & 0x40) timing_.intrinsicDelayNs = ReadLe<uint16_t>(payload, 15);
    return;
  }
  const CommandKey k = GeneralCommandKey();
  if (!std::equal(k.begin(), k.end(), payload.begin())) return;
  const int hour = payload[8], minute = payload[9], second = payload[10], day = payload[11], month = payload[12];
  const int year = ReadLe<uint16_t>(payload, 13);
  if (hour > 23 || minute > 59 || second > 59 || day < 1 || day > 31 || month < 1 || month > 12 || year < 1980) return;
  const double unix = static_cast<double>(DaysFromCivil(year, month, day)) * 86400 + hour * 3600 + minute * 60 + second;
  SimControls c = scene_.controls();
  c.clockOffset = SimScene::GpsTimeFromUnix(unix) - (scene_.startGpsTime() + now_);
  scene_.SetControls(c);
}

// Message 70: the file manager (sub-ID 1), the file list (sub-ID 2, an 8-byte name; all zero
// lists every file), status and configuration, memory information and file header (sub-IDs 3,
// 7 and 8, asked for without data) and the download (sub-ID 6).
void SimReceiver::OnFileMessage(const std::vector<uint8_t>& payload) {
  if (payload.empty()) return;
  if (payload[0] == 2 && payload.size() == 9) {
    std::string name;
    for (std::size_t i = 1; i < payload.size() && payload[i] != 0; ++i) name += static_cast<char>(payload[i]);
    std::size_t index = 0;
    for (const SimFile& f : files_.files()) {
      ++index;
      if (!name.empty() && f.name != name) continue;
      Payload p{2};
      const Payload record = SimFileTable::InfoRecord(f, index);
      p.insert(p.end(), record.begin(), record.end());
      SendFrame(70, p);
    }
  } else if ((payload[0] == 3 || payload[0] == 7 || payload[0] == 8) && payload.size() == 1) {
    const Payload record = payload[0] == 3   ? files_.StatusRecord()
                           : payload[0] == 7 ? files_.MemoryRecord()
                                             : files_.HeaderRecord();
    Payload p{payload[0]};
    p.insert(p.end(), record.begin(), record.end());
    SendFrame(70, p);
  } else if (payload[0] == 1 && payload.size() == 54) {
    Payload p{1};
    const Payload answer = files_.OnFileManager(std::span<const uint8_t>(payload).subspan(1));
    p.insert(p.end(), answer.begin(), answer.end());
    SendFrame(70, p);
  } else if (payload[0] == 6) {
    std::vector<SimDownloadFrame> frames;
    download_.OnRequest(payload, files_, baud_, now_, frames);
    for (const SimDownloadFrame& f : frames) SendFrame(70, f.payload, f.corrupt);
  }
}

// Messages 60, 61 and 62: a 4-byte start address; One Shot answers once, Continuous every
// second from the same address until a One Shot of that size.
void SimReceiver::OnMemoryDump(int message, bool continuous, const std::vector<uint8_t>& payload) {
  if (payload.size() != 4) return;
  dumpAddress_[message] = ReadLe<uint32_t>(payload, 0);
  if (!continuous) {
    binarySchedule_.erase(message);
    SendMemoryDump(message);
    return;
  }
  BinaryEntry& e = binarySchedule_[message];
  e.period = 1.0;
  e.nextDue = now_;
}

void SimReceiver::SendMemoryDump(int message) {
  const auto it = dumpAddress_.find(message);
  if (it == dumpAddress_.end()) return;
  const std::size_t size = message == 60 ? 16 : message == 61 ? 32 : 64;
  if (const std::optional<Payload> p = memory_.Dump(it->second, size)) SendFrame(message, *p);
}

// Blocks are queued a few at a time, so that the line paces them; a rate change waits until
// everything before it has gone.
void SimReceiver::OnOutputSent() {
  if (!output_.empty()) return;
  if (const std::optional<uint32_t> rate = download_.TakeRateChange()) SwitchTo(protocol_, *rate);
}

void SimReceiver::PumpDownload() {
  if (download_.rateChangePending()) {
    // Nothing more goes out at the old rate: the blocks wait for the new one.
    OnOutputSent();
    if (download_.rateChangePending()) return;
  }
  std::vector<SimDownloadFrame> frames;
  download_.Pump(output_.size(), std::max<std::size_t>(256, baud_ / 40), now_, frames);
  for (const SimDownloadFrame& f : frames) SendFrame(70, f.payload, f.corrupt);
}

void SimReceiver::OnDatum(const std::vector<uint8_t>& payload) {
  if (payload.size() != kDatumPayloadSize) return;
  const uint8_t option = payload[0];
  const uint8_t number = payload[1];
  if (option > kSelectAndDefine || number >= kDatumCount) return;
  if (option != kSelectDatum) {
    // A definition is only taken for a user-defined datum and an ellipsoid that is the Earth's.
    const double a = ReadLe<double>(payload, 8);
    const double inverseFlattening = ReadLe<double>(payload, 16);
    if (!IsUserDefinedDatum(number) || !IsUsableEllipsoid(a, inverseFlattening)) return;
  }
  // "Define" alone changes a user datum's parameters, not the datum positions are given in.
  if (option != kDefineDatum) datumNumber_ = number;
}

void SimReceiver::OnSentence(const std::string& body) {
  const std::vector<std::string> f = SplitFields(body);
  if (f.size() < 2 || f[0] != "PQTLG") return;
  if (f[1] == "000") {
    const std::size_t start = body.find(',', body.find(',') + 1);
    if (start == std::string::npos) return;
    const auto request = ParseProtocolAndBaudSentenceData(std::string_view(body).substr(start));
    if (request && request->baud > 0) {
      SwitchTo(request->protocolSelector == 1 ? SimProtocol::Ktx : SimProtocol::Nmea, request->baud);
    }
  } else if (f[1] == "004" && f.size() >= 3) {
    const int i = NmeaCodeIndex(f[2]);
    if (i >= 0) SendNmea(i, scene_.At(now_));
  } else if (f[1] == "008") {
    if (const auto params = ParseRxParams(f)) rxParams_ = *params;
  } else if (f[1] == "003") {
    SendNmea(NmeaCodeIndex("902"), scene_.At(now_));
  } else if (f[1] == "005") {
    // Field 2 is the interval between two outputs; each code's own rate is what paces it here.
    for (std::size_t k = 3; k + 1 < f.size() && k < 3 + 2 * 10; k += 2) {
      const int i = NmeaCodeIndex(f[k]);
      const long rate = Number(f[k + 1]);
      if (i < 0 || rate < 0) continue;
      nmeaSchedule_[i].periodS = static_cast<int>(rate);
      nmeaSchedule_[i].nextDue = now_;
    }
  }
}

void SimReceiver::SwitchTo(SimProtocol protocol, uint32_t baud) {
  // A rate no serial line here can be set to would leave the simulator deaf for good: the
  // console's side could never match it.
  if (!PosixSerialDevice::SpeedFor(baud)) return;
  // A receiver that changes its line drops what it had not sent yet.
  output_.clear();
  if (protocol != protocol_) {
    binarySchedule_.clear();
    if (protocol == SimProtocol::Nmea) ResetNmeaSchedule(now_);
  }
  protocol_ = protocol;
  baud_ = baud;
}

double SimReceiver::NextDue() const {
  double due = kNever;
  if (protocol_ == SimProtocol::Ktx) {
    for (const auto& [message, e] : binarySchedule_) due = std::min(due, e.nextDue);
  } else {
    for (const NmeaEntry& e : nmeaSchedule_) {
      if (e.periodS > 0) due = std::min(due, e.nextDue);
    }
  }
  return due;
}

bool SimReceiver::Backlogged() const { return output_.size() > std::max<std::size_t>(baud_ / 5, 1024); }

void SimReceiver::Advance(double now) {
  now_ = std::max(now_, now);
  if (protocol_ == SimProtocol::Ktx) PumpDownload();
  // (due, message or sentence index): same-time outputs go in message or sentence order.
  std::vector<std::pair<double, int>> due;
  if (protocol_ == SimProtocol::Ktx) {
    for (const auto& [message, e] : binarySchedule_) {
      if (e.nextDue <= now_) due.emplace_back(e.nextDue, message);
    }
  } else {
    for (int i = 0; i < kNmeaCodeCount; ++i) {
      if (nmeaSchedule_[i].periodS > 0 && nmeaSchedule_[i].nextDue <= now_) due.emplace_back(nmeaSchedule_[i].nextDue, i);
    }
  }
  std::sort(due.begin(), due.end());
  for (const auto& [when, index] : due) {
    // Over a second of output still queued: this epoch is skipped, as an overloaded receiver would.
    const bool send = !Backlogged();
    const SimFix fix = scene_.At(when);
    if (protocol_ == SimProtocol::Ktx) {
      BinaryEntry& e = binarySchedule_[index];
      if (send) SendBinary(index, fix, &e);
      e.nextDue = NextGrid(std::max(when, now_ - e.period), e.period);
    } else {
      NmeaEntry& e = nmeaSchedule_[index];
      if (send) SendNmea(index, fix);
      e.nextDue = NextGrid(std::max(when, now_ - e.periodS), e.periodS);
    }
  }
}

void SimReceiver::SendFrame(int message, const Payload& payload, bool corrupt) {
  uint8_t frame[kMaxFrameLength];
  const std::size_t n = BuildFrame(static_cast<uint8_t>(message), payload, frame);
  if (SpoilNext() || corrupt) frame[n - 1] ^= 0x5A;
  output_.insert(output_.end(), frame, frame + n);
}

void SimReceiver::SendBinary(int message, const SimFix& fix, BinaryEntry* cycle) {
  switch (message) {
    case 6:
      SendFrame(6, ChannelAssignment(fix, true));
      SendFrame(7, ChannelAssignment(fix, false));
      return;
    case 18: case 19: SendFrame(message, BaselineSolution(fix, message == 19)); return;
    case 20: SendFrame(20, NavLlh(fix, datumNumber_)); return;
    case 21: SendFrame(21, NavXyz(fix)); return;
    case 22: {
      // Ephemerides are of GPS satellites only.
      std::vector<int> prns;
      for (const SimSatellite& s : fix.satellites) {
        if (!s.sbas) prns.push_back(s.prn);
      }
      if (prns.empty()) return;
      if (cycle != nullptr) {
        SendFrame(22, Ephemeris(fix, prns[cycle->cursor++ % prns.size()]));
      } else {
        for (int prn : prns) SendFrame(22, Ephemeris(fix, prn));
      }
      return;
    }
    case 23: SendFrame(23, MeasurementBlock(fix)); return;
    case 33: SendFrame(33, SvStatus(fix)); return;
    case 45: SendFrame(45, PartNumber()); return;
    case 47: SendFrame(47, BaseStatus(fix, base_, now_)); return;
    case 48: SendFrame(48, DgpsStatus(fix)); return;
    case 49: SendFrame(49, ReceiverStatus(fix)); return;
    case 50: SendFrame(50, SatelliteHealth(fix)); return;
    case 57: SendFrame(57, FaultLog()); return;
    case 60: case 61: case 62: SendMemoryDump(message); return;
    case 65: SendFrame(65, RawDgps(fix)); return;
    case 76:
      if (almanac_.hasAlmanac()) {
        // An uploaded almanac replaces the scene's.
        const std::vector<Payload> reports = almanac_.Reports();
        if (cycle != nullptr) {
          SendFrame(76, reports[cycle->cursor++ % reports.size()]);
        } else {
          for (const Payload& p : reports) SendFrame(76, p);
        }
        return;
      }
      if (cycle != nullptr) {
        SendFrame(76, Almanac(fix, 1 + static_cast<int>(cycle->cursor++ % kAlmanacSatellites)));
      } else {
        for (int prn = 1; prn <= kAlmanacSatellites; ++prn) SendFrame(76, Almanac(fix, prn));
      }
      return;
    case 111: SendFrame(111, SystemProfile()); return;
    case 113: SendFrame(113, TimingInformation(fix, timing_)); return;
    default: return;
  }
}

void SimReceiver::SendNmea(int codeIndex, const SimFix& fix) {
  if (codeIndex < 0 || codeIndex >= kNmeaCodeCount) return;
  for (std::string s : NmeaSentencesFor(kNmeaCodes[codeIndex], fix, rxParams_)) {
    // The second checksum digit, just before CR LF, made wrong.
    if (SpoilNext() && s.size() >= 3) s[s.size() - 3] = s[s.size() - 3] == '0' ? '1' : '0';
    output_.insert(output_.end(), s.begin(), s.end());
  }
}

bool SimReceiver::SpoilNext() {
  ++sentCount_;
  return badChecksumEvery_ != 0 && sentCount_ % badChecksumEvery_ == 0;
}

}  // namespace orv::sim
