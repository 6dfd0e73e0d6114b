// Decoded fields of the binary records for `decode`: the record each message was stored in,
// read back from the decoder's store by name. Records without a field layout print their
// stored bytes as hex. Part-number and DGPS-status records are kept by the store only while
// their windows are open, and some file-manager answers only while their tool runs; for those
// the same record types are filled from the payload here, without storing anything.
#include "Command.h"
#include "JsonFields.h"
#include "RecordJson.h"
#include "nmea/ReceiverDecoder.h"
#include "util/Format.h"

namespace orv::cli {

namespace {

void PutFields(std::string& json, const char* record, const JsonObject& fields) {
  json += ",\"record\":\"";
  json += record;
  json += "\",\"fields\":";
  json += fields.str();
}

void PutHex(std::string& json, const char* record, std::span<const uint8_t> bytes) {
  json += ",\"record\":\"";
  json += record;
  json += "\",\"hex\":\"";
  json += HexText(bytes);
  json += '"';
}

std::string SvList(uint32_t mask) {
  JsonArray list;
  for (int k = 0; k < 32; ++k) {
    if (mask & (1u << k)) list.Add(std::to_string(k + 1));
  }
  return list.str();
}

JsonObject NavLlhFields(const NavLlhRecord& r) {
  JsonObject f;
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
  JsonObject rtk;
  rtk.Real("clockBias", r.clockBias()).Real("clockDrift", r.clockDrift()).Real("gpsTime", r.rtkGpsTime());
  rtk.Int("svCount", r.svByte()).Int("reserved", r.statusByte()).Int("gpsWeek", r.gpsWeek());
  f.Raw("rtkPage", rtk.str());
  return f;
}

JsonObject NavXyzFields(const NavXyzRecord& r) {
  JsonObject f;
  f.Real("gpsSeconds", r.gpsSeconds()).Int("gpsWeek", r.gpsWeek());
  f.Real("positionX", r.positionX()).Real("positionY", r.positionY()).Real("positionZ", r.positionZ());
  f.Real("velocityX", r.velocityX()).Real("velocityY", r.velocityY()).Real("velocityZ", r.velocityZ());
  f.Real("clockBias", r.clockBias()).Real("clockDrift", r.clockDrift());
  f.Real("hfom", r.hfom()).Real("vfom", r.vfom());
  f.Real("hdop", r.hdopTenths() / 10.0).Real("vdop", r.vdopTenths() / 10.0);
  f.Int("navMode", r.navMode()).Int("svCount", r.svCount());
  return f;
}

JsonObject SolutionFields(const SolutionRecord& r) {
  JsonObject f;
  f.Real("gpsTimeOfWeek", r.gpsTimeOfWeek());
  f.Real("baselineX", r.baselineX()).Real("baselineY", r.baselineY()).Real("baselineZ", r.baselineZ());
  f.Real("cep", r.cep());
  f.Real("velocityX", r.velocityX()).Real("velocityY", r.velocityY()).Real("velocityZ", r.velocityZ());
  f.Raw("svsUsed", SvList(r.svsUsedMask())).Raw("svsRejected", SvList(r.svsRejectedMask()));
  f.Int("referenceSv", r.referenceSv());
  return f;
}

JsonObject ChannelFields(const ChannelAssignmentRecord& r, int first) {
  JsonArray channels;
  for (int i = first; i < first + 6; ++i) {
    const ChannelEntry e = r.entry(i);
    JsonObject c;
    c.Int("channel", i + 1).Int("svCode", e.svCode()).Int("svNumber", e.svNumber());
    c.Int("carrierFrequencyCount", e.carrierFrequencyCount()).Real("carrierFrequency", e.carrierFrequency());
    c.Real("snr", e.snr()).Int("reserved", e.reserved()).Int("parity", e.parity()).Int("rsrvd", e.rsrvd());
    c.Int("trackingStatus", e.trackingStatus()).Int("locationStatus", e.locationStatus());
    c.Int("channelMode", e.channelMode());
    channels.Add(c.str());
  }
  JsonObject f;
  f.Raw("channels", channels.str());
  return f;
}

JsonObject MeasurementFields(const MeasurementBlockRecord& r) {
  JsonArray entries;
  for (int i = 0; i < r.entryCount(); ++i) {
    const MeasurementEntry e = r.entry(i);
    JsonObject m;
    m.Int("sv", e.sv()).Real("cn0", e.cn0()).Int("code", e.code()).Int("carrier", e.carrier());
    m.Int("spare", e.spare());
    entries.Add(m.str());
  }
  JsonObject f;
  f.Int("headerWord", r.headerWord()).Int("entryCount", r.entryCountField()).Real("gpsSeconds", r.gpsSeconds());
  f.Raw("entries", entries.str());
  return f;
}

JsonObject SvStatusFields(const SvStatusRecord& r) {
  JsonArray entries;
  for (int i = 0; i < r.svCount(); ++i) {
    const SvStatusEntry e = r.entry(i);
    JsonObject s;
    s.Int("svNumber", e.svNumber()).Int("status", e.status()).Int("elevation", e.elevation());
    s.Int("azimuth", e.azimuth()).Int("waasCode", e.waasCode()).Int("snr", e.snr());
    entries.Add(s.str());
  }
  JsonObject f;
  f.Int("svCount", r.svCountField()).Raw("entries", entries.str());
  return f;
}

JsonObject PartNumberFields(const PartNumberRecord& r) {
  JsonArray configs;
  for (int k = 2; k <= 8; ++k) configs.Add(JsonString(r.configPartNumber(k)));
  JsonObject f;
  f.Text("operationalSwPartNumber", r.operationalSwPartNumber()).Text("bootSwPartNumber", r.bootSwPartNumber());
  f.Text("config1PartNumber", r.config1PartNumber()).Raw("config2To8PartNumbers", configs.str());
  f.Text("bootSwChecksum", Format("%08X", r.bootSwChecksum()));
  f.Text("operationalSwChecksum", Format("%08X", r.operationalSwChecksum()));
  f.Text("config1Checksum", Format("%08X", r.config1Checksum()));
  f.Text("customerSerialNumber", r.customerSerialPrefix() + Format("%08X", r.customerSerialNumber()));
  return f;
}

JsonObject BaseStatusFields(const BaseStatusRecord& r) {
  JsonArray entries;
  for (int k = 0; k < r.entryCount(); ++k) {
    entries.Add(JsonObject().Int("type", r.entryType(k)).Int("rate", r.entryRate(k)).str());
  }
  JsonObject f;
  f.Int("baseStatus", r.baseStatus()).Int("baudRateIndex", r.baudRateIndex());
  f.Real("surveyTimeRemaining", r.surveyTimeRemaining()).Real("cep", r.cep());
  f.Real("latitude", r.latitude()).Real("longitude", r.longitude()).Real("altitude", r.altitude());
  f.Int("entryCount", r.entryCount()).Raw("entries", entries.str());
  return f;
}

JsonObject ReceiverStatusFields(const ReceiverStatusRecord& r) {
  JsonObject f;
  f.Int("systemMode", r.systemMode()).Int("svTrackingMode", r.svTrackingMode()).Int("nvmStatus", r.nvmStatus());
  f.Int("tropoModelEnabled", r.tropoModelEnabled()).Int("mslModelEnabled", r.mslModelEnabled());
  f.Int("powerUpMode", r.powerUpMode()).Int("timeSource", r.timeSource());
  f.Int("almanacWeek", r.almanacWeek()).Int("weekNumber", r.weekNumber());
  f.Raw("svDeselection", SvList(r.svDeselection()));
  JsonArray channels;
  for (int k = 0; k < 12; ++k) {
    if (r.channelDeselection() & (1u << k)) channels.Add(std::to_string(k + 1));
  }
  f.Raw("channelDeselection", channels.str());
  f.Real("maskAngle", r.maskAngleHundredths() / 100.0).Int("discreteInput", r.discreteInput());
  f.Int("tcxoErrorEstimate", r.tcxoErrorEstimate()).Real("tcxoAgeing", r.tcxoAgeingTenths() / 10.0);
  f.Real("searchNoise", r.searchNoise()).Int("navMode", r.navMode());
  return f;
}

JsonObject HealthFields(const SatelliteHealthRecord& r) {
  JsonArray codes;
  for (int n = 1; n <= 32; ++n) codes.Add(std::to_string(r.healthCode(n)));
  JsonObject f;
  f.Raw("healthCodes", codes.str());
  return f;
}

JsonObject AlmanacFields(const AlmanacRecord& r) {
  JsonObject f;
  f.Int("svType", r.svType()).Int("prn", r.prn()).Int("toa", r.toa());
  f.Real("af0", r.af0()).Real("af1", r.af1()).Real("meanAnomaly", r.meanAnomaly());
  f.Real("argumentOfPerigee", r.argumentOfPerigee()).Real("rightAscension", r.rightAscension());
  f.Real("sqrtA", r.sqrtA()).Real("rateOfRightAscension", r.rateOfRightAscension());
  f.Real("inclination", r.inclination()).Real("eccentricity", r.eccentricity()).Int("week", r.week());
  return f;
}

JsonObject FileManagerFields(const FileManagerRecord& r) {
  JsonObject f;
  f.Int("action", r.action()).Int("result", r.result()).Int("activeFlag", r.activeFlag());
  f.Text("fileName", r.fileName()).Text("pointName", r.pointName()).Text("pointCode", r.pointCode());
  f.Int("antennaHeight", r.antennaHeight()).Int("antennaMethod", r.antennaMethod());
  f.Text("operatorName", r.operatorName()).Int("reserved", r.reserved());
  return f;
}

template <typename Record>
Record FromPayload(std::span<const uint8_t> payload) {
  Record r;
  r.Assign(payload);
  return r;
}

// The records of messages with a field layout; false when n has none.
bool PutTracking(std::string& json, int n, std::span<const uint8_t> p, const ReceiverDataStore& s) {
  switch (n) {
    case 6: PutFields(json, "ChannelAssignmentRecord", ChannelFields(s.channelAssignment(), 0)); return true;
    case 7: PutFields(json, "ChannelAssignmentRecord", ChannelFields(s.channelAssignment(), 6)); return true;
    case 18: PutFields(json, "PredictedSolutionRecord", SolutionFields(s.predictedSolution())); return true;
    case 19: PutFields(json, "MatchedSolutionRecord", SolutionFields(s.matchedSolution())); return true;
    case 20: PutFields(json, "NavLlhRecord", NavLlhFields(s.navLlh())); return true;
    case 21: PutFields(json, "NavXyzRecord", NavXyzFields(s.navXyz())); return true;
    case 23: PutFields(json, "MeasurementBlockRecord", MeasurementFields(s.measurementCopy())); return true;
    case 24: PutFields(json, "BaseMeasurementBlockRecord", MeasurementFields(s.baseMeasurementCopy())); return true;
    case 33: PutFields(json, "SvStatusRecord", SvStatusFields(s.svStatus())); return true;
    case 45: PutFields(json, "PartNumberRecord", PartNumberFields(FromPayload<PartNumberRecord>(p))); return true;
    case 47: PutFields(json, "BaseStatusRecord", BaseStatusFields(s.baseStatus())); return true;
    case 49: PutFields(json, "ReceiverStatusRecord", ReceiverStatusFields(s.receiverStatus())); return true;
    case 50: PutFields(json, "SatelliteHealthRecord", HealthFields(s.satelliteHealth())); return true;
    case 76: PutFields(json, "AlmanacRecord", AlmanacFields(s.almanac())); return true;
    default: return false;
  }
}

void PutSubId(std::string& json, int n, std::span<const uint8_t> p, const ReceiverDataStore& s) {
  if (p.empty()) return;
  const std::span<const uint8_t> data = p.subspan(1);
  const int sub = p[0];
  if (n == 2 && sub <= 4) PutHex(json, "AteControllerRecord", s.ateController().bytes());
  if (n == 114 && sub == 1) PutHex(json, "AdDataRecord", s.adData().bytes());
  if (n == 114 && sub == 4) PutHex(json, "FpuMemoryDumpRecord", s.fpuMemoryDump().block());
  if (n != 70) return;
  switch (sub) {
    case 1: PutFields(json, "FileManagerRecord", FileManagerFields(s.fileManager())); break;
    case 2: PutHex(json, "FileInfoRecord", s.fileInfo().bytes()); break;
    case 3: PutHex(json, "StatusConfigRecord", s.statusConfig().bytes()); break;
    case 6: PutHex(json, "DownloadBlockRecord", FromPayload<DownloadBlockRecord>(data).data()); break;
    case 7: PutHex(json, "MemoryInfoRecord", FromPayload<MemoryInfoRecord>(data).bytes()); break;
    case 8: PutHex(json, "FileHeaderRecord", FromPayload<FileHeaderRecord>(data).bytes()); break;
    default: break;
  }
}

void PutOpaque(std::string& json, int n, std::span<const uint8_t> p, const ReceiverDataStore& s) {
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

void AppendBinaryRecord(std::string& json, int messageNumber, const uint8_t* payload, int length,
                        const ReceiverDecoder& decoder) {
  const std::span<const uint8_t> p(payload, payload != nullptr && length > 0 ? static_cast<std::size_t>(length) : 0);
  if (!PutTracking(json, messageNumber, p, decoder.store())) PutOpaque(json, messageNumber, p, decoder.store());
}

std::string FrameJsonLine(const ReceiverDecoder& decoder, const char* source, uint64_t offset, const uint8_t* frame,
                          int length) {
  const int payloadLength = frame[3];
  std::string line = source != nullptr ? Format("{\"source\":\"%s\",", source) : std::string("{");
  line += Format("\"offset\":%llu,\"kind\":\"ktx\",\"id\":%d,\"length\":%d,\"payload\":\"",
                 static_cast<unsigned long long>(offset), frame[1] & 0x7F, payloadLength);
  static const char kHex[] = "0123456789abcdef";
  for (int i = 0; i < payloadLength && 4 + i < length; ++i) {
    line += kHex[frame[4 + i] >> 4];
    line += kHex[frame[4 + i] & 0xF];
  }
  line += '"';
  int n = frame[1] & 0x7F;
  if (n == 23 && decoder.flags().baseFileFlag) n = 24;
  AppendBinaryRecord(line, n, frame + 4, payloadLength, decoder);
  line += "}\n";
  return line;
}

}  // namespace orv::cli
