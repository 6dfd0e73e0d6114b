#include "track/TrackExport.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "track/UtcTime.h"
#include "util/Format.h"

namespace orv {

const char* FixKindText(FixKind fix) {
  switch (fix) {
    case FixKind::kNone: return "none";
    case FixKind::k2d: return "2d";
    case FixKind::k3d: return "3d";
    case FixKind::kDgps: return "dgps";
    case FixKind::kPps: return "pps";
    case FixKind::kUnknown: break;
  }
  return "";
}

std::optional<TrackFormat> ParseTrackFormat(std::string_view name) {
  if (name == "gpx") return TrackFormat::kGpx;
  if (name == "kml") return TrackFormat::kKml;
  if (name == "csv") return TrackFormat::kCsv;
  if (name == "geojson") return TrackFormat::kGeoJson;
  return std::nullopt;
}

const char* TrackFormatName(TrackFormat format) {
  switch (format) {
    case TrackFormat::kGpx: return "gpx";
    case TrackFormat::kKml: return "kml";
    case TrackFormat::kCsv: return "csv";
    case TrackFormat::kGeoJson: return "geojson";
  }
  return "";
}

const char* TrackFormatExtension(TrackFormat format) { return TrackFormatName(format); }

namespace {

// Coordinates with 9 decimals of a degree (about 0.1 mm), altitudes to the millimetre.
std::string Degrees(double v) { return Format("%.9f", v == 0 ? 0.0 : v); }
std::string Metres(double v) { return Format("%.3f", v == 0 ? 0.0 : v); }
// GPX and GeoJSON readers expect longitudes below 180: the antimeridian is written as -180.
double Longitude(double lon) { return lon >= 180 ? lon - 360 : lon; }

// Up to `decimals` decimals, trailing zeros dropped.
std::string Trimmed(double v, int decimals) {
  std::string s = Format("%.*f", decimals, v);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // Control characters have no place in XML 1.0 text.
        if (c < 0x20 && c != '\t') {
          out += '?';
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      out += Format("\\u%04x", c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

class WriterBase : public TrackWriter {
 protected:
  explicit WriterBase(std::FILE* out) : out_(out) {}
  void Put(const std::string& s) {
    if (std::fwrite(s.data(), 1, s.size(), out_) != s.size()) failed_ = true;
  }
  bool Finish() {
    if (std::fflush(out_) != 0 || std::ferror(out_)) failed_ = true;
    return !failed_;
  }
  std::FILE* out_;
  bool failed_ = false;
};

// GPX 1.1: one trk, a trkseg per segment; the children of trkpt in the order the schema sets.
class GpxWriter : public WriterBase {
 public:
  GpxWriter(std::FILE* out, std::string name) : WriterBase(out), name_(std::move(name)) {}
  void Begin() override {
    Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"orvantis\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
        "  <trk>\n    <name>" + XmlEscaped(name_) + "</name>\n");
  }
  void Point(const Epoch& p, bool startsSegment) override {
    std::string s;
    if (startsSegment) {
      if (open_) s += "    </trkseg>\n";
      s += "    <trkseg>\n";
      open_ = true;
    }
    s += "      <trkpt lat=\"" + Degrees(p.latitude) + "\" lon=\"" + Degrees(Longitude(p.longitude)) + "\">\n";
    if (p.altitude) s += "        <ele>" + Metres(*p.altitude) + "</ele>\n";
    if (p.hasDate) s += "        <time>" + IsoUtc(p.timeNs, true) + "</time>\n";
    if (p.fix != FixKind::kUnknown) s += std::string("        <fix>") + FixKindText(p.fix) + "</fix>\n";
    if (p.satellites) s += Format("        <sat>%d</sat>\n", *p.satellites);
    if (p.hdop) s += "        <hdop>" + Trimmed(*p.hdop, 3) + "</hdop>\n";
    if (p.vdop) s += "        <vdop>" + Trimmed(*p.vdop, 3) + "</vdop>\n";
    s += "      </trkpt>\n";
    Put(s);
  }
  bool End() override {
    Put(std::string(open_ ? "    </trkseg>\n" : "") + "  </trk>\n</gpx>\n");
    return Finish();
  }

 private:
  std::string name_;
  bool open_ = false;
};

std::string KmlCoordinate(const Epoch& p) {
  return Degrees(Longitude(p.longitude)) + "," + Degrees(p.latitude) + (p.altitude ? "," + Metres(*p.altitude) : "");
}

// KML 2.2: a placemark with a LineString per segment, then the first and last points.
class KmlWriter : public WriterBase {
 public:
  KmlWriter(std::FILE* out, std::string name) : WriterBase(out), name_(std::move(name)) {}
  void Begin() override {
    Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n"
        "  <name>" + XmlEscaped(name_) + "</name>\n");
  }
  void Point(const Epoch& p, bool startsSegment) override {
    std::string s;
    if (startsSegment) {
      CloseSegment(s);
      ++segments_;
      s += Format("  <Placemark>\n    <name>Segment %llu</name>\n    <LineString>\n"
                  "      <altitudeMode>absolute</altitudeMode>\n      <coordinates>\n",
                  static_cast<unsigned long long>(segments_));
      inSegment_ = 0;
    }
    last_ = p;
    lastText_ = KmlCoordinate(p);
    if (!first_) first_ = p;
    s += "        " + lastText_ + "\n";
    ++inSegment_;
    Put(s);
  }
  bool End() override {
    std::string s;
    CloseSegment(s);
    if (first_) {
      s += Placemark("Start", *first_);
      s += Placemark("End", *last_);
    }
    s += "</Document>\n</kml>\n";
    Put(s);
    return Finish();
  }

 private:
  void CloseSegment(std::string& s) {
    if (segments_ == 0 || closed_ == segments_) return;
    // A line needs two positions: a segment of one point repeats it.
    if (inSegment_ == 1) s += "        " + lastText_ + "\n";
    s += "      </coordinates>\n    </LineString>\n  </Placemark>\n";
    closed_ = segments_;
  }
  static std::string Placemark(const char* label, const Epoch& p) {
    std::string s = std::string("  <Placemark>\n    <name>") + label + "</name>\n";
    if (p.hasDate) s += "    <TimeStamp><when>" + IsoUtc(p.timeNs, true) + "</when></TimeStamp>\n";
    s += "    <Point>\n      <altitudeMode>absolute</altitudeMode>\n      <coordinates>" + KmlCoordinate(p) +
         "</coordinates>\n    </Point>\n  </Placemark>\n";
    return s;
  }

  std::string name_;
  uint64_t segments_ = 0;
  uint64_t closed_ = 0;
  uint64_t inSegment_ = 0;
  std::optional<Epoch> first_;
  std::optional<Epoch> last_;
  std::string lastText_;
};

std::string Optional(const std::optional<double>& v, int decimals) { return v ? Trimmed(*v, decimals) : ""; }
std::string Optional(const std::optional<int>& v) { return v ? Format("%d", *v) : ""; }

class CsvWriter : public WriterBase {
 public:
  explicit CsvWriter(std::FILE* out) : WriterBase(out) {}
  void Begin() override { Put("segment,time,latitude,longitude,altitude,fix,mode,satellites,hdop,vdop,speed,course\n"); }
  void Point(const Epoch& p, bool startsSegment) override {
    if (startsSegment) ++segment_;
    Put(Format("%llu,", static_cast<unsigned long long>(segment_)) + IsoUtc(p.timeNs, p.hasDate) + "," +
        Degrees(p.latitude) + "," + Degrees(p.longitude) + "," + (p.altitude ? Metres(*p.altitude) : "") + "," +
        FixKindText(p.fix) + "," + Optional(p.mode) + "," + Optional(p.satellites) + "," + Optional(p.hdop, 3) +
        "," + Optional(p.vdop, 3) + "," + Optional(p.speed, 3) + "," + Optional(p.course, 3) + "\n");
  }
  bool End() override { return Finish(); }

 private:
  uint64_t segment_ = 0;
};

std::string JsonNumber(const std::optional<double>& v, int decimals) { return v ? Trimmed(*v, decimals) : "null"; }
std::string JsonNumber(const std::optional<int>& v) { return v ? Format("%d", *v) : "null"; }

// GeoJSON (RFC 7946): one Feature whose geometry is a LineString, or a MultiLineString when
// the track has several segments, and whose properties hold one array per point field in the
// order of the coordinates ("coordinateProperties"). The geometry's type is known only at the
// end, so the coordinates and each field are spooled to temporary files and copied out then.
class GeoJsonWriter : public WriterBase {
 public:
  static constexpr int kColumns = 9;  // coordinates, then the fields below
  GeoJsonWriter(std::FILE* out, std::string name) : WriterBase(out), name_(std::move(name)) {}
  ~GeoJsonWriter() override {
    for (std::FILE* f : spools_) {
      if (f != nullptr) std::fclose(f);
    }
  }
  void Begin() override {
    for (std::FILE*& f : spools_) {
      f = std::tmpfile();
      if (f == nullptr) failed_ = true;
    }
  }
  void Point(const Epoch& p, bool startsSegment) override {
    if (failed_) return;
    if (startsSegment) {
      CloseSegment();
      ++segments_;
    }
    const std::string position = "[" + Degrees(Longitude(p.longitude)) + "," + Degrees(p.latitude) +
                                 (p.altitude ? "," + Metres(*p.altitude) : "") + "]";
    const std::string fix = p.fix == FixKind::kUnknown ? "null" : std::string("\"") + FixKindText(p.fix) + "\"";
    const std::array<std::string, kColumns> values = {
        position,
        p.hasDate ? "\"" + IsoUtc(p.timeNs, true) + "\"" : "null",
        fix,
        JsonNumber(p.mode),
        JsonNumber(p.satellites),
        JsonNumber(p.hdop, 3),
        JsonNumber(p.vdop, 3),
        JsonNumber(p.speed, 3),
        JsonNumber(p.course, 3)};
    for (int i = 0; i < kColumns; ++i) Spool(i, values[static_cast<std::size_t>(i)], startsSegment);
    last_ = values;
    ++inSegment_;
  }
  bool End() override {
    CloseSegment();
    std::string head = "{\"type\":\"Feature\",\"geometry\":";
    const bool multi = segments_ > 1;
    const char* open = multi ? "[[" : "[";
    const char* close = multi ? "]]" : "]";
    if (segments_ == 0) {
      Put(head + "null,\"properties\":{\"name\":" + JsonText(name_) + ",\"segments\":0,\"points\":0}}\n");
      return Finish();
    }
    Put(head + "{\"type\":\"" + (multi ? "MultiLineString" : "LineString") + "\",\"coordinates\":" + open);
    Copy(0);
    Put(std::string(close) + "},\"properties\":{\"name\":" + JsonText(name_) +
        Format(",\"segments\":%llu,\"points\":%llu", static_cast<unsigned long long>(segments_),
               static_cast<unsigned long long>(points_)) +
        ",\"coordinateProperties\":{");
    static const char* const kNames[kColumns] = {"", "times", "fix", "mode", "satellites", "hdop", "vdop", "speed",
                                                 "course"};
    for (int i = 1; i < kColumns; ++i) {
      Put(std::string(i > 1 ? "," : "") + "\"" + kNames[i] + "\":" + open);
      Copy(i);
      Put(close);
    }
    Put("}}}\n");
    return Finish();
  }

 private:
  void Spool(int column, const std::string& value, bool startsSegment) {
    std::FILE* f = spools_[static_cast<std::size_t>(column)];
    const char* separator = startsSegment ? (segments_ > 1 ? "],[" : "") : ",";
    if (std::fputs(separator, f) < 0 || std::fputs(value.c_str(), f) < 0) failed_ = true;
  }
  void CloseSegment() {
    // A line needs two positions: a segment of one point repeats it, and its fields with it.
    if (inSegment_ == 1) {
      for (int i = 0; i < kColumns; ++i) Spool(i, last_[static_cast<std::size_t>(i)], false);
    }
    points_ += inSegment_;
    inSegment_ = 0;
  }
  void Copy(int column) {
    std::FILE* f = spools_[static_cast<std::size_t>(column)];
    if (f == nullptr || std::fflush(f) != 0) {
      failed_ = true;
      return;
    }
    std::rewind(f);
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
      if (std::fwrite(buffer, 1, n, out_) != n) failed_ = true;
    }
    if (std::ferror(f)) failed_ = true;
  }

  std::string name_;
  std::array<std::FILE*, kColumns> spools_{};
  std::array<std::string, kColumns> last_{};
  uint64_t segments_ = 0;
  uint64_t points_ = 0;
  uint64_t inSegment_ = 0;
};

}  // namespace

std::unique_ptr<TrackWriter> MakeTrackWriter(TrackFormat format, std::FILE* out, const std::string& name) {
  switch (format) {
    case TrackFormat::kGpx: return std::make_unique<GpxWriter>(out, name);
    case TrackFormat::kKml: return std::make_unique<KmlWriter>(out, name);
    case TrackFormat::kCsv: return std::make_unique<CsvWriter>(out);
    case TrackFormat::kGeoJson: return std::make_unique<GeoJsonWriter>(out, name);
  }
  return nullptr;
}

void IntervalEstimate::Add(int64_t intervalNs) {
  if (intervalNs <= 0) return;
  recent_[static_cast<std::size_t>(next_)] = intervalNs;
  next_ = (next_ + 1) % kKept;
  count_ = std::min(count_ + 1, kKept);
}

std::optional<int64_t> IntervalEstimate::Expected() const {
  if (count_ == 0) return std::nullopt;
  std::array<int64_t, kKept> sorted = recent_;
  std::sort(sorted.begin(), sorted.begin() + count_);
  return sorted[static_cast<std::size_t>(count_ / 2)];
}

void TrackExporter::OnEpoch(const Epoch& epoch, uint64_t offset) {
  (void)offset;
  if (!epoch.positionValid) {
    ++skipped_;
    return;
  }
  bool starts = !havePrevious_ || epoch.hasDate != previousHasDate_;
  if (!starts) {
    const int64_t dt = epoch.timeNs - previousNs_;
    const std::optional<int64_t> expected = interval_.Expected();
    if (dt < 0 || (expected && dt > kGapIntervals * *expected)) starts = true;
    interval_.Add(dt);
  }
  if (starts) ++segments_;
  writer_.Point(epoch, starts);
  ++points_;
  havePrevious_ = true;
  previousHasDate_ = epoch.hasDate;
  previousNs_ = epoch.timeNs;
}

TrackExportJob::TrackExportJob(std::FILE* log, const EpochOptions& options, TrackFormat format, std::FILE* out,
                               const std::string& name)
    : writer_(MakeTrackWriter(format, out, name)), exporter_(*writer_), stream_(log, options, exporter_) {
  writer_->Begin();
}

TrackExportResult TrackExportJob::Finish() {
  TrackExportResult result;
  result.read = stream_.Finish();
  result.writeError = !writer_->End();
  result.points = exporter_.points();
  result.segments = exporter_.segments();
  result.skipped = exporter_.skipped();
  return result;
}

TrackExportResult ExportTrack(std::FILE* log, const EpochOptions& options, TrackFormat format, std::FILE* out,
                              const std::string& name) {
  TrackExportJob job(log, options, format, out, name);
  while (job.Step(1u << 20)) {
  }
  return job.Finish();
}

}  // namespace orv
