// Real receiver logs against what another decoder made of them. Every log of the NMEA test data
// is decoded; each GGA, RMC and GSA sentence the other decoder accepted is matched with ours and
// our record compared with the fix ("TPV") and sky ("SKY") reports that decoder wrote after it.
// Every disagreement must be explained below, and every explanation must still be needed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "nmea/NmeaStore.h"
#include "nmea/ReceiverDecoder.h"
#include "support/Frames.h"

namespace orv {
namespace {

// One sentence as our decoder saw it, with a copy of its record when it was one we compare.
struct OurSentence {
  std::string text;
  int slot = -1;
  NmeaGgaRecord gga;
  NmeaRmcRecord rmc;
  NmeaGsaRecord gsa;
};

class Collector : public DecodeObserver {
 public:
  explicit Collector(const ReceiverDecoder& d) : decoder_(d) {}
  void OnFrame(uint64_t, const uint8_t*, int) override {}
  void OnSentence(uint64_t, const char* sentence, int length, int slot) override {
    OurSentence s;
    s.text.assign(sentence, static_cast<std::size_t>(length));
    s.slot = decoder_.nmea().lastStoredSlot() == slot ? slot : -1;
    if (s.slot == kSlotGga) s.gga = decoder_.nmea().gga();
    if (s.slot == kSlotRmc) s.rmc = decoder_.nmea().rmc();
    if (s.slot == kSlotGsa) s.gsa = decoder_.nmea().gsa();
    sentences.push_back(std::move(s));
  }
  std::vector<OurSentence> sentences;

 private:
  const ReceiverDecoder& decoder_;
};

// A JSON report line of the other decoder, read only as far as the flat members we compare.
struct Report {
  std::string line;
  bool Is(const char* cls) const { return line.find(std::string("\"class\":\"") + cls + "\"") != std::string::npos; }
  std::optional<double> Number(const char* key) const {
    const std::string k = std::string("\"") + key + "\":";
    const std::size_t at = line.find(k);
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(line.c_str() + at + k.size(), nullptr);
  }
  // Seconds of the day of "time":"yyyy-mm-ddThh:mm:ss.sssZ".
  std::optional<double> TimeOfDay() const {
    const std::size_t at = line.find("\"time\":\"");
    if (at == std::string::npos) return std::nullopt;
    const std::size_t t = line.find('T', at + 8);
    if (t == std::string::npos) return std::nullopt;
    const char* p = line.c_str() + t + 1;
    return std::atoi(p) * 3600.0 + std::atoi(p + 3) * 60.0 + std::strtod(p + 6, nullptr);
  }
};

// An accepted sentence of the other decoder and the reports it wrote after it.
struct Echo {
  std::string text;
  std::vector<Report> reports;
  std::string Code() const { return text.size() >= 6 ? text.substr(3, 3) : std::string(); }
};

struct Finding {
  std::string file, sentence, field, detail;
  bool voidRmc = false;  // an RMC whose status is V
  double ours = 0;       // our value, for the DOPs
};

std::string Trim(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
  return s;
}

std::vector<Echo> ReadChecks(const std::string& path) {
  std::vector<Echo> echoes;
  const std::vector<uint8_t> bytes = test::ReadFile(path);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (!line.empty() && line[0] == '$') echoes.push_back({line, {}});
    if (!line.empty() && line[0] == '{' && !echoes.empty()) echoes.back().reports.push_back({line});
  }
  return echoes;
}

std::vector<OurSentence> DecodeLog(const std::string& path) {
  // Lines starting with '#' are the collectors' notes, not part of the stream.
  const std::vector<uint8_t> bytes = test::ReadFile(path);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::string stream;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] != '#') stream += line + "\n";
  }
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(0);
  decoder.SetTimeGateOpen(1);
  Collector collector(decoder);
  decoder.SetObserver(&collector);
  std::vector<uint8_t> block(1001);
  for (std::size_t at = 0; at < stream.size(); at += 1000) {
    const std::size_t n = std::min<std::size_t>(1000, stream.size() - at);
    std::copy_n(stream.data() + at, n, block.data());
    decoder.Decode(block.data(), static_cast<uint32_t>(n));
  }
  return collector.sentences;
}

double Seconds(uint8_t h, uint8_t m, double s) { return h * 3600.0 + m * 60.0 + s; }

// The position, time and status of a GGA or RMC record, in the other decoder's terms.
struct Fix {
  std::optional<double> time, lat, lon, speedMs, track;
  bool valid = false;  // GGA quality above 0, RMC status A
  int quality = -1;    // GGA only
};

template <typename R>
void TakePosition(const R& r, Fix& f) {
  if (r.has(R::kTime)) f.time = Seconds(r.utcHour, r.utcMinute, r.utcSeconds);
  if (r.has(R::kLatitude) && r.has(R::kLatitudeHemisphere) && r.has(R::kLongitude) && r.has(R::kLongitudeHemisphere)) {
    f.lat = NmeaAngleDegrees(r.latitudeDegrees, r.latitudeMinutes, r.latitudeHemisphere);
    f.lon = NmeaAngleDegrees(r.longitudeDegrees, r.longitudeMinutes, r.longitudeHemisphere);
  }
}

Fix FixOf(const OurSentence& s) {
  Fix f;
  if (s.slot == kSlotGga) {
    TakePosition(s.gga, f);
    f.quality = s.gga.has(NmeaGgaRecord::kQuality) ? s.gga.quality : -1;
    f.valid = f.quality > 0;
  } else {
    TakePosition(s.rmc, f);
    f.valid = s.rmc.has(NmeaRmcRecord::kStatus) && s.rmc.status == 'A';
    if (s.rmc.has(NmeaRmcRecord::kSpeed)) f.speedMs = s.rmc.speedKnots * 0.514444;
    if (s.rmc.has(NmeaRmcRecord::kCourse)) f.track = s.rmc.courseDegrees;
  }
  return f;
}

class Comparison {
 public:
  Comparison(std::string file, std::vector<Echo> echoes) : file_(std::move(file)), echoes_(std::move(echoes)) {}

  // Matches the other decoder's sentences with ours, in order, and compares each pair.
  void Run(const std::vector<OurSentence>& ours);
  void Fixes(std::size_t i, const OurSentence& ours);
  void Dops(std::size_t i, const OurSentence& ours);
  Finding& Add(const std::string& sentence, const std::string& field, const std::string& detail) {
    findings.push_back({file_, sentence, field, detail});
    return findings.back();
  }

  std::vector<Finding> findings;
  int compared = 0;
  std::map<std::string, int> checks;  // comparisons made, by field

 private:
  std::vector<Report> EpochReports(std::size_t i, const Fix& fix);
  // Compares our value with the first report of the epoch that has `key`.
  void Value(const std::string& sentence, const std::vector<Report>& epoch, const char* key,
             std::optional<double> ours, double tolerance);
  void Mode(const Echo& e, const Fix& fix);

  std::string file_;
  std::vector<Echo> echoes_;
};

// The fix reports of sentence i's epoch: those written after it up to the next sentence of the
// same kind (the fix is reported there at the latest, when the receiver's cycle ends), cut
// at the first report that carries another time, which belongs to another epoch.
std::vector<Report> Comparison::EpochReports(std::size_t i, const Fix& fix) {
  const Echo& e = echoes_[i];
  std::vector<Report> tpv;
  for (std::size_t j = i; j < echoes_.size() && (j == i || echoes_[j].Code() != e.Code()); ++j) {
    for (const Report& r : echoes_[j].reports) {
      if (r.Is("TPV")) tpv.push_back(r);
    }
  }
  for (std::size_t k = 0; k < tpv.size(); ++k) {
    const auto t = tpv[k].TimeOfDay();
    if (!t || !fix.time) continue;
    ++checks["time"];
    if (std::fabs(*t - *fix.time) > 0.0005) {
      Add(e.text, "time", std::to_string(*fix.time) + " vs " + std::to_string(*t));
      tpv.resize(k);
    }
    break;
  }
  return tpv;
}

void Comparison::Value(const std::string& sentence, const std::vector<Report>& epoch, const char* key,
                       std::optional<double> ours, double tolerance) {
  if (!ours) return;
  for (const Report& r : epoch) {
    const auto theirs = r.Number(key);
    if (!theirs) continue;
    ++checks[key];
    if (std::fabs(*theirs - *ours) > tolerance + 1e-9) Add(sentence, key, std::to_string(*theirs)).ours = *ours;
    return;
  }
}

// Quality or status against the fix report written straight after the sentence, if any.
void Comparison::Mode(const Echo& e, const Fix& fix) {
  static const std::map<int, int> kStatusOfQuality = {{1, 1}, {2, 2}, {4, 3}, {5, 4}, {6, 5}, {8, 8}};
  for (const Report& r : e.reports) {
    if (!r.Is("TPV")) continue;
    const auto t = r.TimeOfDay();
    if (t && fix.time && std::fabs(*t - *fix.time) > 0.0005) return;
    const int mode = static_cast<int>(r.Number("mode").value_or(0));
    ++checks["mode"];
    if (fix.valid != (mode >= 2)) Add(e.text, "mode", std::to_string(mode));
    const auto status = kStatusOfQuality.find(fix.quality);
    const double theirs = r.Number("status").value_or(1);
    if (status != kStatusOfQuality.end() && theirs != status->second) Add(e.text, "status", std::to_string(theirs));
    return;
  }
}

void Comparison::Run(const std::vector<OurSentence>& ours) {
  std::size_t next = 0;
  for (std::size_t i = 0; i < echoes_.size(); ++i) {
    std::size_t k = next;
    while (k < ours.size() && ours[k].text != echoes_[i].text) ++k;
    if (k == ours.size()) {
      Add(echoes_[i].text, "sentence", "not decoded");
      continue;
    }
    next = k + 1;
    const std::string code = echoes_[i].Code();
    if ((code == "GGA" || code == "RMC") && ours[k].slot >= 0) Fixes(i, ours[k]);
    if (code == "GSA" && ours[k].slot >= 0) Dops(i, ours[k]);
  }
}

void Comparison::Fixes(std::size_t i, const OurSentence& ours) {
  const std::string& sentence = echoes_[i].text;
  const Fix fix = FixOf(ours);
  const std::size_t firstFinding = findings.size();
  ++compared;
  const std::vector<Report> epoch = EpochReports(i, fix);
  // Latitude and longitude are compared together, as a position.
  for (const Report& r : epoch) {
    const auto lat = r.Number("lat");
    const auto lon = r.Number("lon");
    if (!fix.lat || !lat || !lon) continue;
    ++checks["position"];
    if (std::fabs(*lat - *fix.lat) > 1e-7 || std::fabs(*lon - *fix.lon) > 1e-7) {
      Add(sentence, "position", std::to_string(*fix.lat) + "," + std::to_string(*fix.lon) + " vs " +
                                    std::to_string(*lat) + "," + std::to_string(*lon));
    }
    break;
  }
  Value(sentence, epoch, "speed", fix.speedMs, 0.0005);
  Value(sentence, epoch, "track", fix.track, 0.00005);
  Mode(echoes_[i], fix);
  const bool voidRmc = ours.slot == kSlotRmc && ours.rmc.has(NmeaRmcRecord::kStatus) && ours.rmc.status == 'V';
  for (std::size_t k = firstFinding; k < findings.size(); ++k) findings[k].voidRmc = voidRmc;
}

// GSA: the first sky report with DOPs after this sentence (and the GSAs of other systems that
// follow it in the same burst) up to the next GSA.
void Comparison::Dops(std::size_t i, const OurSentence& ours) {
  const Echo& e = echoes_[i];
  std::optional<Report> sky;
  bool burst = true;
  for (std::size_t j = i; j < echoes_.size() && !sky; ++j) {
    if (j > i && echoes_[j].Code() == "GSA" && !burst) break;
    if (j > i && echoes_[j].Code() != "GSA") burst = false;
    for (const Report& r : echoes_[j].reports) {
      if (r.Is("SKY") && (r.Number("pdop") || r.Number("hdop") || r.Number("vdop"))) {
        sky = r;
        break;
      }
    }
  }
  if (!sky) return;
  ++compared;
  const NmeaGsaRecord& g = ours.gsa;
  const std::pair<const char*, std::optional<double>> dops[] = {
      {"pdop", g.has(NmeaGsaRecord::kPdop) ? std::optional(g.pdop) : std::nullopt},
      {"hdop", g.has(NmeaGsaRecord::kHdop) ? std::optional(g.hdop) : std::nullopt},
      {"vdop", g.has(NmeaGsaRecord::kVdop) ? std::optional(g.vdop) : std::nullopt}};
  for (const auto& [name, value] : dops) {
    if (!value) continue;
    const auto theirs = sky->Number(name);
    ++checks[name];
    if (!theirs) {
      Add(e.text, name, "missing").ours = *value;
    } else if (std::fabs(*theirs - *value) > 0.005 + 1e-9) {
      Add(e.text, name, std::to_string(*theirs)).ours = *value;
    }
  }
}

// Disagreements of single sentences, each with what happened.
struct Known {
  const char* file;
  const char* sentenceStart;
  const char* field;
  const char* why;
};
const Known kKnown[] = {
    {"isync.log", "$GPGSV,4,1,15,02,11,115,36,05,34,060,48,07,00,023,,13,56,090,49*71", "sentence",
     "this GSV is cut in two by a complete $PTNTA sentence; the other decoder puts the two halves "
     "back together, ours drops the part before the new '$' (a '$' always starts a new sentence)"},
    {"bt451.log", "$GPRMC,152508.50,", "time",
     "the log jumps back from 15:25:08.5 to 14:33:06 after this sentence; the other decoder wrote "
     "no report for this half-second epoch, so its next report is of 14:33:06"},
    {"mtk-3301.log", "$GPRMC,081436.000,", "time",
     "the receiver's first valid RMC; the other decoder wrote no report for 08:14:36 and its next "
     "one is of 08:14:37"},
    {"mtk-3301.log", "$GPGGA,081434.590,", "mode",
     "fix quality 0 with three satellites and a position: the other decoder reports a 2D fix from "
     "the position, ours keeps the quality the receiver sent"},
    {"furuno_gl_ga.log", "$GNGGA,120213.000,", "mode",
     "fix quality 2 with 00 satellites used: the other decoder takes it as no fix, ours keeps the "
     "quality the receiver sent"},
};

// Why a disagreement is not a fault of ours, or "" when nothing explains it.
std::string Explain(const Finding& f, std::set<const Known*>& used) {
  // A void RMC: the other decoder takes neither its time nor its position, and its next report
  // still carries the previous epoch. Our record holds what the sentence says, status V
  // included, as the window shows it.
  if (f.voidRmc && (f.field == "time" || f.field == "position")) return "void RMC";
  // DOPs of 99 or more are the receivers' "no value": the other decoder drops them (its HDOP
  // then comes from GGA), ours keeps the figure the sentence carries.
  if ((f.field == "pdop" || f.field == "hdop" || f.field == "vdop") && f.ours >= 99.0) return "DOP 99";
  for (const Known& k : kKnown) {
    if (f.file == k.file && f.field == k.field && f.sentence.rfind(k.sentenceStart, 0) == 0) {
      used.insert(&k);
      return k.why;
    }
  }
  return "";
}

TEST(NmeaRealDataTest, RecordsAgreeWithTheOtherDecoder) {
  const std::string root = test::TestDataDir();
  if (root.empty() || !std::filesystem::is_directory(root + "/nmea")) {
    GTEST_SKIP() << "no NMEA test data at ../shared/testdata/nmea";
  }
  std::vector<std::string> logs;
  for (const auto& entry : std::filesystem::directory_iterator(root + "/nmea")) {
    if (entry.path().extension() == ".log") logs.push_back(entry.path().string());
  }
  std::sort(logs.begin(), logs.end());
  ASSERT_FALSE(logs.empty());

  std::vector<Finding> findings;
  int compared = 0;
  std::map<std::string, int> checks;
  for (const std::string& log : logs) {
    const std::string name = std::filesystem::path(log).filename().string();
    const std::vector<OurSentence> ours = DecodeLog(log);
    const std::vector<Echo> echoes = ReadChecks(log + ".chk");
    Comparison c(name, echoes);
    c.Run(ours);
    compared += c.compared;
    for (const auto& [field, n] : c.checks) checks[field] += n;
    findings.insert(findings.end(), c.findings.begin(), c.findings.end());
  }
  // Enough of each comparison was made for the agreement to mean something.
  EXPECT_GT(compared, 900);
  for (const char* field : {"time", "position", "mode", "speed", "track", "pdop", "hdop", "vdop"}) {
    EXPECT_GT(checks[field], 50) << field;
  }
  std::set<const Known*> used;
  std::map<std::string, int> explained;
  for (const Finding& f : findings) {
    const std::string why = Explain(f, used);
    if (why.empty()) {
      ADD_FAILURE() << f.file << ": " << f.sentence << " " << f.field << ": ours " << f.ours << ", theirs " << f.detail;
    }
    ++explained[why];
  }
  for (const Known& k : kKnown) {
    EXPECT_TRUE(used.count(&k)) << "no longer seen: " << k.file << " " << k.sentenceStart << " " << k.field;
  }
  std::ostringstream summary;
  summary << compared << " sentences compared;";
  for (const auto& [field, n] : checks) summary << " " << field << " " << n << ";";
  for (const auto& [why, n] : explained) summary << " " << n << " x " << why.substr(0, 40) << ";";
  RecordProperty("summary", summary.str());
}

}  // namespace
}  // namespace orv
