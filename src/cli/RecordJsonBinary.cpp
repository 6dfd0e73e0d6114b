// Decoded fields of the binary records for `decode`: the record each message was stored in,
// read back from the decoder's store by name. Records without a field layout print their
// stored bytes as hex. Part-number and DGPS-status records are kept by the store only while
// their windows are open, and some file-manager answers only while their tool runs; for those
// the same record types are filled from the payload here, without storing anything.
#include <algorithm>

#include "Command.h"
#include "JsonFields.h"
#include "RecordJson.h"
#include "nmea/ReceiverDecoder.h"
#include "util/Format.h"

namespace orv::cli {

namespace {

// `fill(f, record, extra...)` writes the fields of `record` into the object f.
template <typename Record, typename Arg, typename... Extra>
void PutFields(JsonText& json, const char* name, void (*fill)(JsonObject&, const Record&, Extra...),
               const Arg& record, Extra... extra) {
  json += ",\"record\":\"";
  json += name;
  json += "\",\"fields\":";
  JsonObject f(json);
  fill(f, record, extra...);
  f.Close();
}

void PutHex(JsonText& json, const char* record, std::span<const uint8_t> bytes) {
  json += ",\"record\":\"";
  json += record;
  json += "\",\"hex\":\"";
  AppendHex(json, bytes);
  json += '"';
}

void SvList(JsonObject& f, const char* name, uint32_t mask) {
  JsonArray list = f.Array(name);
  for (int k = 0; k < 32; ++k) {
    if (mask & (1u << k)) list.AddInt(k + 1);
  }
  list.Close();
}

void NavLlhFields(JsonObject& f, const NavLlhRecord& r) {
  f.Int("utcHours", r.utcHours()).Int("utcMinutes", r.utcMinutes()).Real("utcSeconds", r.utcSeconds());
  f.Int("utcDay", r.utcDay()).Int("utcMonth", r.utcMonth()).Int("utcYear", r.utcYear());
  f.Real("latitude", r.latitude()).Real("longitude", r.longitude()).Real("altitude", r.altitude());
  f.Real("groundSpeed", r.groundSpeed()).Real("trackAngle", r.trackAngle());
  f.Real("velocityNorth", r.velocityNorth()).Real("velocityEast", r.velocityEast()).Real("velocityUp", r.velocityUp());
  f.Real("hfom", r.hfom()).Real("vfom", r.vfom());
  f.Real("hdop", r.hdopTenths() / 10.0).Real("vdop", r.vdopTenths() / 10.0);
  f.Int("navMode", r.navMode()).Int("confidenceLevel", r.confidenceLevel()).Int("dgpsSource", r.dgpsSource());
  f.Int("svCount", r.svCount()).Int("datumNumber", r.datumNumber());
  f.Int("systemMode", r.systemMode()).Int("trackingMode", r.trackingMode()).Int("reserved", r.reserved());
  JsonObject rtk = f.Object("rtkPage");
  rtk.Real("clockBias", r.clockBias()).Real("clockDrift", r.clockDrift()).Real("gpsTime", r.rtkGpsTime());
  rtk.Int("svCount", r.svByte()).Int("reserved", r.statusByte()).Int("gpsWeek", r.gpsWeek());
  rtk.Close();
}

void NavXyzFields(JsonObject& f, const NavXyzRecord& r) {
  f.Real("gpsSeconds", r.gpsSeconds()).Int("gpsWeek", r.gpsWeek());
  f.Real("positionX", r.positionX()).Real("positionY", r.positionY()).Real("positionZ", r.positionZ());
  f.Real("velocityX", r.velocityX()).Real("velocityY", r.velocityY()).Real("velocityZ", r.velocityZ());
  f.Real("clockBias", r.clockBias()).Real("clockDrift", r.clockDrift());
  f.Real("hfom", r.hfom()).Real("vfom", r.vfom());
  f.Real("hdop", r.hdopTenths() / 10.0).Real("vdop", r.vdopTenths() / 10.0);
  f.Int("navMode", r.navMode()).Int("svCount", r.svCount());
}

void SolutionFields(JsonObject& f, const SolutionRecord& r) {
  f.Real("gpsTimeOfWeek", r.gpsTimeOfWeek());
  f.Real("baselineX", r.baselineX()).Real("baselineY", r.baselineY()).Real("baselineZ", r.baselineZ());
  f.Real("cep", r.cep());
  f.Real("velocityX", r.velocityX()).Real("velocityY", r.velocityY()).Real("velocityZ", r.velocityZ());
  SvList(f, "svsUsed", r.svsUsedMask());
  SvList(f, "svsRejected", r.svsRejectedMask());
  f.Int("referenceSv", r.referenceSv());
}

void ChannelFields(JsonObject& f, const ChannelAssignmentRecord& r, int first) {
  JsonArray channels = f.Array("channels");
  for (int i = first; i < first + 6; ++i) {
    const ChannelEntry e = r.entry(i);
    JsonObject c = channels.Object();
    c.Int("channel", i + 1).Int("svCode", e.svCode()).Int("svNumber", e.svNumber());
    c.Int("carrierFrequencyCount", e.carrierFrequencyCount()).Real("carrierFrequency", e.carrierFrequency());
    c.Real("snr", e.snr()).Int("reserved", e.reserved()).Int("parity", e.parity()).Int("rsrvd", e.rsrvd());
    c.Int("trackingStatus", e.trackingStatus()).Int("locationStatus", e.locationStatus());
    c.Int("channelMode", e.channelMode());
    c.Close();
  }
  channels.Close();
}

void MeasurementFields(JsonObject& f, const MeasurementBlockRecord& r) {
  f.Int("headerWord", r.headerWord()).Int("entryCount", r.entryCountField()).Real("gpsSeconds", r.gpsSeconds());
  JsonArray entries = f.Array("entries");
  for (int i = 0; i < r.entryCount(); ++i) {
    const MeasurementEntry e = r.entry(i);
    JsonObject m = entries.Object();
    m.Int("sv", e.sv()).Real("cn0", e.cn0()).Int("code", e.code()).Int("carrier", e.carrier());
    m.Int("spare", e.spare());
    m.Close();
  }
  entries.Close();
}

void SvStatusFields(JsonObject& f, const SvStatusRecord& r) {
  f.Int("svCount", r.svCountField());
  JsonArray entries = f.Array("entries");
  for (int i = 0; i < r.svCount(); ++i) {
    const SvStatusEntry e = r.entry(i);
    JsonObject s = entries.Object();
    s.Int("svNumber", e.svNumber()).Int("status", e.status()).Int("elevation", e.elevation());
    s.Int("azimuth", e.azimuth()).Int("waasCode", e.waasCode()).Int("snr", e.snr());
    s.Close();
  }
  entries.Close();
}

void PartNumberFields(JsonObject& f, const PartNumberRecord& r) {
  f.Text("operationalSwPartNumber", r.operationalSwPartNumber()).Text("bootSwPartNumber", r.bootSwPartNumber());
  f.Text("config1PartNumber", r.config1PartNumber());
  JsonArray configs = f.Array("config2To8PartNumbers");
  for (int k = 2; k <= 8; ++k) configs.Add(JsonString(r.configPartNumber(k)));
  configs.Close();
  f.Text("bootSwChecksum", Format("%08X", r.bootSwChecksum()));
  f.Text("operationalSwChecksum", Format("%08X", r.operationalSwChecksum()));
  f.Text("config1Checksum", Format("%08X", r.config1Checksum()));
  f.Text("customerSerialNumber", r.customerSerialPrefix() + Format("%08X", r.customerSerialNumber()));
}

void BaseStatusFields(JsonObject& f, const BaseStatusRecord& r) {
  f.Int("baseStatus", r.baseStatus()).Int("baudRateIndex", r.baudRateIndex());
  f.Real("surveyTimeRemaining", r.surveyTimeRemaining()).Real("cep", r.cep());
  f.Real("latitude", r.latitude()).Real("longitude", r.longitude()).Real("altitude", r.altitude());
  f.Int("entryCount", r.entryCount());
  JsonArray entries = f.Array("entries");
  for (int k = 0; k < r.entryCount(); ++k) {
    JsonObject e = entries.Object();
    e.Int("type", r.entryType(k)).Int("rate", r.entryRate(k));
    e.Close();
  }
  entries.Close();
}

void ReceiverStatusFields(JsonObject& f, const ReceiverStatusRecord& r) {
  f.Int("systemMode", r.systemMode()).Int("svTrackingMode", r.svTrackingMode()).Int("nvmStatus", r.nvmStatus());
  f.Int("tropoModelEnabled", r.tropoModelEnabled()).Int("mslModelEnabled", r.mslModelEnabled());
  f.Int("powerUpMode", r.powerUpMode()).Int("timeSource", r.timeSource());
  f.Int("almanacWeek", r.almanacWeek()).Int("weekNumber", r.weekNumber());
  SvList(f, "svDeselection", r.svDeselection());
  JsonArray channels = f.Array("channelDeselection");
  for (int k = 0; k < 12; ++k) {
    if (r.channelDeselection() & (1u << k)) channels.AddInt(k + 1);
  }
  channels.Close();
  f.Real("maskAngle", r.maskAngleHundredths() / 100.0).Int("discreteInput", r.discreteInput());
  f.Int("tcxoErrorEstimate", r.tcxoErrorEstimate()).Real("tcxoAgeing", r.tcxoAgeingTenths() / 10.0);
  f.Real("searchNoise", r.searchNoise()).Int("navMode", r.navMode());
}

void HealthFields(JsonObject& f, const SatelliteHealthRecord& r) {
  JsonArray codes = f.Array("healthCodes");
  for (int n = 1; n <= 32; ++n) codes.AddInt(r.healthCode(n));
  codes.Close();
}

void AlmanacFields(JsonObject& f, const AlmanacRecord& r) {
  f.Int("svType", r.svType()).Int("prn", r.prn()).Int("toa", r.toa());
  f.Real("af0", r.af0()).Real("af1", r.af1()).Real("meanAnomaly", r.meanAnomaly());
  f.Real("argumentOfPerigee", r.argumentOfPerigee()).Real("rightAscension", r.rightAscension());
  f.Real("sqrtA", r.sqrtA()).Real("rateOfRightAscension", r.rateOfRightAscension());
  f.Real("inclination", r.inclination()).Real("eccentricity", r.eccentricity()).Int("week", r.week());
}

void FileManagerFields(JsonObject& f, const FileManagerRecord& r) {
  f.Int("action", r.action()).Int("result", r.result()).Int("activeFlag", r.activeFlag());
  f.Text("fileName", r.fileName()).Text("pointName", r.pointName()).Text("pointCode", r.pointCode());
  f.Int("antennaHeight", r.antennaHeight()).Int("antennaMethod", r.antennaMethod());
  f.Text("operatorName", r.operatorName()).Int("reserved", r.reserved());
}

template <typename Record>
Record FromPayload(std::span<const uint8_t> payload) {
  Record r;
  r.Assign(payload);
  return r;
}

// The payload bytes the field layout of message n needs (its counted entries included), or 0
// when n has no field layout here. A shorter payload (the console's own requests are frames of
// these numbers with no payload) has no fields to show: the store's record would fill them
// with zeros or with what an earlier message left.
std::size_t LayoutBytes(int n, std::span<const uint8_t> p) {
  const auto at = [&](std::size_t i) -> std::size_t { return i < p.size() ? p[i] : 0; };
  switch (n) {
    case 6:
    case 7: return 1 + 6 * ChannelAssignmentRecord::kEntrySize;
    case 18:
    case 19: return SolutionRecord::kSize;
    case 20: return NavLlhRecord::kSize;
    case 21: return NavXyzRecord::kSize;
    case 23:
    case 24: return 11 + 11 * std::min<std::size_t>(at(2), MeasurementBlockRecord::kMaxEntries);
    case 33: return 1 + 5 * std::min<std::size_t>(at(0), SvStatusRecord::kMaxEntries);
    case 45: return PartNumberRecord::kSize;
    case 47: return 42 + 2 * at(41);
    case 49: return ReceiverStatusRecord::kSize;
    case 50: return SatelliteHealthRecord::kSize;
    case 76: return AlmanacRecord::kSize;
    default: return 0;
  }
}

// The records of messages with a field layout; false when n has none.
bool PutTracking(JsonText& json, int n, std::span<const uint8_t> p, const ReceiverDataStore& s) {
  if (p.size() < LayoutBytes(n, p)) {
    json += ",\"short\":true";
    return true;
  }
  switch (n) {
    case 6: PutFields(json, "ChannelAssignmentRecord", ChannelFields, s.channelAssignment(), 0); return true;
    case 7: PutFields(json, "ChannelAssignmentRecord", ChannelFields, s.channelAssignment(), 6); return true;
    case 18: PutFields(json, "PredictedSolutionRecord", SolutionFields, s.predictedSolution()); return true;
    case 19: PutFields(json, "MatchedSolutionRecord", SolutionFields, s.matchedSolution()); return true;
    case 20: PutFields(json, "NavLlhRecord", NavLlhFields, s.navLlh()); return true;
    case 21: PutFields(json, "NavXyzRecord", NavXyzFields, s.navXyz()); return true;
    case 23: PutFields(json, "MeasurementBlockRecord", MeasurementFields, s.measurementCopy()); return true;
    case 24: PutFields(json, "BaseMeasurementBlockRecord", MeasurementFields, s.baseMeasurementCopy()); return true;
    case 33: PutFields(json, "SvStatusRecord", SvStatusFields, s.svStatus()); return true;
    case 45: PutFields(json, "PartNumberRecord", PartNumberFields, FromPayload<PartNumberRecord>(p)); return true;
    case 47: PutFields(json, "BaseStatusRecord", BaseStatusFields, s.baseStatus()); return true;
    case 49: PutFields(json, "ReceiverStatusRecord", ReceiverStatusFields, s.receiverStatus()); return true;
    case 50: PutFields(json, "SatelliteHealthRecord", HealthFields, s.satelliteHealth()); return true;
    case 76: PutFields(json, "AlmanacRecord", AlmanacFields, s.almanac()); return true;
    default: return false;
  }
}

void PutSubId(JsonText& json, int n, std::span<const uint8_t> p, const ReceiverDataStore& s) {
  if (p.empty()) return;
  const std::span<const uint8_t> data = p.subspan(1);
  const int sub = p[0];
  if (n == 2 && sub <= 4) PutHex(json, "AteControllerRecord", s.ateController().bytes());
  if (n == 114 && sub == 1) PutHex(json, "AdDataRecord", s.adData().bytes());
  if (n == 114 && sub == 4) PutHex(json, "FpuMemoryDumpRecord", s.fpuMemoryDump().block());
  if (n != 70) return;
  switch (sub) {
    case 1: PutFields(json, "FileManagerRecord", FileManagerFields, s.fileManager()); break;
    case 2: PutHex(json, "FileInfoRecord", s.fileInfo().bytes()); break;
    case 3: PutHex(json, "StatusConfigRecord", s.statusConfig().bytes()); break;
    case 6: PutHex(json, "DownloadBlockRecord", FromPayload<DownloadBlockRecord>(data).data()); break;
    case 7: PutHex(json, "MemoryInfoRecord", FromPayload<MemoryInfoRecord>(data).bytes()); break;
    case 8: PutHex(json, "FileHeaderRecord", FromPayload<FileHeaderRecord>(data).bytes()); break;
    default: break;
  }
}

void PutOpaque(JsonText& json, int n, std::span<const uint8_t> p, const ReceiverDataStore& s) {
  switch (n) {
    case 22: PutHex(json, "EphemerisRecord", s.ephemeris(ReadLe<uint8_t>(p, 0)).bytes()); return;
    case 43: PutHex(json, "DgpsConfigRecord", s.dgpsConfig().bytes()); return;
    case 48: PutHex(json, "DgpsStatusRecord", FromPayload<DgpsStatusRecord>(p).bytes()); return;
    case 51: PutHex(json, "BitResultRecord", s.bitResult().bytes()); return;
    case 57: PutHex(json, "FaultLogRecord", s.faultLog().bytes()); return;
    case 60: PutHex(json, "MemoryDumpRecord16", s.memoryDump16().bytes()); return;
    case 61: PutHex(json, "MemoryDumpRecord32", s.memoryDump32().bytes()); return;
    case 62: PutHex(json, "MemoryDumpRecord64", s.memoryDump64().bytes()); return;
    case 67: PutHex(json, "Msg67Record", s.msg67().bytes()); return;
    case 68: PutHex(json, "WaasStatusRecord", s.waasStatus().bytes()); return;
    case 75: PutHex(json, "IonoUtcRecord", s.ionoUtc().bytes()); return;
    case 83: PutHex(json, "DgpsDataRecord", s.dgpsData().data()); return;
    case 85: PutHex(json, "BeaconRxStatusRecord", s.beaconStatus().bytes()); return;
    case 111:
      PutHex(json, "SystemProfileRecord",
             s.systemProfile().bytes().first(4 * static_cast<std::size_t>(s.systemProfile().entryCount())));
      return;
    case 113: PutHex(json, "TimingInfoRecord", s.timingInfo().bytes()); return;
    default: PutSubId(json, n, p, s); return;
  }
}

}  // namespace

void AppendBinaryRecord(JsonText& json, int messageNumber, const uint8_t* payload, int length,
                        const ReceiverDecoder& decoder) {
  const std::span<const uint8_t> p(payload, payload != nullptr && length > 0 ? static_cast<std::size_t>(length) : 0);
  if (!PutTracking(json, messageNumber, p, decoder.store())) PutOpaque(json, messageNumber, p, decoder.store());
}

void AppendFrameJsonLine(JsonText& line, const ReceiverDecoder& decoder, const char* source, uint64_t offset,
                         const uint8_t* frame, int length) {
  const int payloadLength = frame[3];
  if (source != nullptr) {
    line += "{\"source\":\"";
    line += source;
    line += "\",";
  } else {
    line += '{';
  }
  line += "\"offset\":";
  AppendInt(line, static_cast<long long>(offset));
  line += ",\"kind\":\"ktx\",\"id\":";
  AppendInt(line, frame[1] & 0x7F);
  line += ",\"length\":";
  AppendInt(line, payloadLength);
  line += ",\"payload\":\"";
  AppendHex(line, {frame + 4, static_cast<std::size_t>(std::max(0, std::min(payloadLength, length - 4)))});
  line += '"';
  int n = frame[1] & 0x7F;
  if (n == 23 && decoder.flags().baseFileFlag) n = 24;
  AppendBinaryRecord(line, n, frame + 4, payloadLength, decoder);
  line += "}\n";
}

std::string FrameJsonLine(const ReceiverDecoder& decoder, const char* source, uint64_t offset, const uint8_t* frame,
                          int length) {
  JsonText line(1024);
  AppendFrameJsonLine(line, decoder, source, offset, frame, length);
  return line.str();
}

}  // namespace orv::cli
