// Track export from KTX Binary logs: message 21 positions back to the latitude, longitude and
// height they were made from, GPS time to UTC, segments at time jumps, and the shapes of the
// four formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "geodesy/NavUtility.h"
#include "support/Frames.h"
#include "support/RunCommand.h"
#include "track/TrackExport.h"

namespace orv {
namespace {

constexpr double kPi = 3.141592653589793;

template <typename T>
void Put(std::vector<uint8_t>& p, std::size_t offset, T value) {
  std::memcpy(p.data() + offset, &value, sizeof value);
}

std::vector<uint8_t> NavXyz(int week, double sow, const CartesianPosition& c, int mode, int svs) {
  std::vector<uint8_t> p(79, 0);
  Put(p, 0, sow);
  Put(p, 8, static_cast<uint16_t>(week));
  Put(p, 10, c.x);
  Put(p, 18, c.y);
  Put(p, 26, c.z);
  Put(p, 70, static_cast<uint16_t>(12));
  Put(p, 72, static_cast<uint16_t>(19));
  p[74] = static_cast<uint8_t>(mode);
  p[75] = static_cast<uint8_t>(svs);
  return test::Frame(21, p);
}

// Message 20 at 2026-03-01 12:00:00 + `second` (seconds may run past the minute and hour).
std::vector<uint8_t> NavLlh(int second, double latDeg, double lonDeg, int mode = 2) {
  std::vector<uint8_t> p(71, 0);
  p[0] = static_cast<uint8_t>(12 + second / 3600);
  p[1] = static_cast<uint8_t>(second / 60 % 60);
  Put(p, 2, static_cast<double>(second % 60));
  p[10] = 1;
  p[11] = 3;
  Put(p, 12, static_cast<uint16_t>(2026));
  Put(p, 14, latDeg * kPi / 180);
  Put(p, 22, lonDeg * kPi / 180);
  Put(p, 30, 123.25f);
  Put(p, 62, static_cast<int16_t>(11));
  Put(p, 64, static_cast<int16_t>(17));
  p[66] = static_cast<uint8_t>(mode);
  p[67] = 7;
  return test::Frame(20, p);
}

std::string ExportBytes(const std::vector<uint8_t>& log, TrackFormat format, TrackExportResult* result = nullptr,
                EpochMessage from = EpochMessage::kFirstSeen) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  if (!log.empty()) std::fwrite(log.data(), 1, log.size(), in);
  std::rewind(in);
  EpochOptions options;
  options.from = from;
  const TrackExportResult r = ExportTrack(in, options, format, out, "test.log");
  if (result != nullptr) *result = r;
  std::rewind(out);
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) text.append(buf, n);
  std::fclose(in);
  std::fclose(out);
  return text;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = line.find(',', start);
      cells.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    rows.push_back(cells);
  }
  return rows;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct Known {
  double lat, lon, height;
};

TEST(TrackExport, Message21PositionsComeBackToTheirLatitudeLongitudeAndHeight) {
  const std::vector<Known> points = {{45.0, 7.5, 100.0},          {-33.856712345, 151.215298765, 58.123},
                                     {89.9, -179.999999, 4000.5}, {0.0, 0.0, 0.0},
                                     {-0.000000123, -0.5, -25.0}, {51.477928, -0.001545, 45.678},
                                     {-89.5, 120.25, 2835.0}};
  std::vector<uint8_t> log;
  const int week = 2300;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Known& k = points[i];
    const CartesianPosition c = NavUtility::GeodeticToCartesian(k.lat * kPi / 180, k.lon * kPi / 180, k.height);
    const std::vector<uint8_t> f = NavXyz(week, 345600.25 + static_cast<double>(i), c, 2, 9);
    log.insert(log.end(), f.begin(), f.end());
  }
  // An epoch without a solution (mode 0, "Init Required") is skipped and counted.
  const std::vector<uint8_t> none = NavXyz(week, 345700, {}, 0, 0);
  log.insert(log.end(), none.begin(), none.end());

  TrackExportResult result;
  const auto rows = CsvRows(ExportBytes(log, TrackFormat::kCsv, &result));
  ASSERT_EQ(rows.size(), points.size() + 1);
  EXPECT_EQ(result.points, points.size());
  EXPECT_EQ(result.skipped, 1u);
  EXPECT_EQ(result.read.sourceMessage, 21);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto& row = rows[i + 1];
    EXPECT_NEAR(std::stod(row[2]), points[i].lat, 1e-9) << i;
    EXPECT_NEAR(std::stod(row[3]), points[i].lon, 1e-9) << i;
    EXPECT_NEAR(std::stod(row[4]), points[i].height, 1e-3) << i;
    // GPS time runs 18 s ahead of UTC since 2017; the GPS epoch is 1980-01-06.
    const std::time_t utc = 315964800 + static_cast<std::time_t>(week) * 604800 + 345600 +
                            static_cast<std::time_t>(i) - 18;
    std::tm tm{};
    gmtime_r(&utc, &tm);
    char expected[40];
    std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M:%S.25Z", &tm);
    EXPECT_EQ(row[1], expected) << i;
    EXPECT_EQ(row[6], "2");   // navigation mode
    EXPECT_EQ(row[7], "9");   // satellites
    EXPECT_EQ(row[8], "1.2");  // HDOP
    EXPECT_EQ(row[9], "1.9");  // VDOP
  }
  // --from 20 on a log of message 21 only finds nothing.
  TrackExportResult from20;
  ExportBytes(log, TrackFormat::kCsv, &from20, EpochMessage::kNavLlh);
  EXPECT_EQ(from20.points, 0u);
}

TEST(TrackExport, ANewSegmentStartsAfterMoreThanTenIntervalsOrWhenTimeGoesBack) {
  std::vector<uint8_t> log;
  auto add = [&](int second) {
    const auto f = NavLlh(second, 48.0 + second * 1e-6, 11.0);
    log.insert(log.end(), f.begin(), f.end());
  };
  for (int s = 0; s < 5; ++s) add(s);  // 0..4, interval 1 s
  add(14);                              // 10 s: ten intervals, same segment
  add(15);
  add(26);                              // 11 s: new segment
  add(27);
  add(20);                              // backwards: new segment
  add(21);
  const auto invalid = NavLlh(22, 0, 0, 1);  // "Initialized": no position
  log.insert(log.end(), invalid.begin(), invalid.end());
  TrackExportResult result;
  const auto rows = CsvRows(ExportBytes(log, TrackFormat::kCsv, &result));
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0][0], "segment");
  const std::vector<std::string> segments = {"1", "1", "1", "1", "1", "1", "1", "2", "2", "3", "3"};
  for (std::size_t i = 0; i < segments.size(); ++i) EXPECT_EQ(rows[i + 1][0], segments[i]) << i;
  EXPECT_EQ(rows[1][1], "2026-03-01T12:00:00Z");
  EXPECT_EQ(rows[8][1], "2026-03-01T12:00:26Z");
  EXPECT_EQ(rows[1][4], "123.250");
  EXPECT_EQ(rows[1][5], "3d");
  EXPECT_EQ(result.segments, 3u);
  EXPECT_EQ(result.skipped, 1u);

  // The same track in the other formats: one trkseg, LineString or line per segment.
  const std::string gpx = ExportBytes(log, TrackFormat::kGpx);
  EXPECT_EQ(Count(gpx, "<trkseg>"), 3u);
  EXPECT_EQ(Count(gpx, "<trkpt "), 11u);
  EXPECT_NE(gpx.find("<trkpt lat=\"48.000000000\" lon=\"11.000000000\">\n        <ele>123.250</ele>\n"
                     "        <time>2026-03-01T12:00:00Z</time>\n        <fix>3d</fix>\n        <sat>7</sat>\n"
                     "        <hdop>1.1</hdop>\n        <vdop>1.7</vdop>\n      </trkpt>"),
            std::string::npos)
      << gpx;
  const std::string kml = ExportBytes(log, TrackFormat::kKml);
  EXPECT_EQ(Count(kml, "<LineString>"), 3u);
  EXPECT_EQ(Count(kml, "<Point>"), 2u);  // the first and last points
  EXPECT_NE(kml.find("<name>Start</name>\n    <TimeStamp><when>2026-03-01T12:00:00Z</when>"), std::string::npos);
  EXPECT_NE(kml.find("<name>End</name>\n    <TimeStamp><when>2026-03-01T12:00:21Z</when>"), std::string::npos);
  EXPECT_NE(kml.find("        11.000000000,48.000000000,123.250\n"), std::string::npos);
  const std::string geojson = ExportBytes(log, TrackFormat::kGeoJson);
  EXPECT_NE(geojson.find("{\"type\":\"Feature\",\"geometry\":{\"type\":\"MultiLineString\",\"coordinates\":[[[11."),
            std::string::npos)
      << geojson;
  EXPECT_NE(geojson.find("\"times\":[[\"2026-03-01T12:00:00Z\",\"2026-03-01T12:00:01Z\""), std::string::npos);
  EXPECT_NE(geojson.find("\"2026-03-01T12:00:15Z\"],[\"2026-03-01T12:00:26Z\""), std::string::npos);
  EXPECT_NE(geojson.find("\"segments\":3,\"points\":11"), std::string::npos);
}

TEST(TrackExport, GeoJsonLinesAreValidForOneSegmentOnePointAndNoPoints) {
  std::vector<uint8_t> log;
  for (int s = 0; s < 3; ++s) {
    const auto f = NavLlh(s, -12.5, -77.25);
    log.insert(log.end(), f.begin(), f.end());
  }
  const std::string one = ExportBytes(log, TrackFormat::kGeoJson);
  EXPECT_NE(one.find("\"geometry\":{\"type\":\"LineString\",\"coordinates\":[[-77.250000000,-12.500000000,123.250],"),
            std::string::npos)
      << one;
  EXPECT_NE(one.find("\"satellites\":[7,7,7]"), std::string::npos) << one;
  EXPECT_NE(one.find("\"fix\":[\"3d\",\"3d\",\"3d\"]"), std::string::npos) << one;

  // A lone point is written twice: a line needs two positions; KML does the same.
  const auto single = NavLlh(0, 1, 2);
  const std::vector<uint8_t> lone(single.begin(), single.end());
  const std::string g = ExportBytes(lone, TrackFormat::kGeoJson);
  EXPECT_NE(g.find("\"coordinates\":[[2.000000000,1.000000000,123.250],[2.000000000,1.000000000,123.250]]"),
            std::string::npos)
      << g;
  EXPECT_NE(g.find("\"times\":[\"2026-03-01T12:00:00Z\",\"2026-03-01T12:00:00Z\"]"), std::string::npos) << g;
  EXPECT_EQ(Count(ExportBytes(lone, TrackFormat::kKml), "2.000000000,1.000000000,123.250\n"), 2u);

  const std::string empty = ExportBytes({}, TrackFormat::kGeoJson);
  EXPECT_EQ(empty, "{\"type\":\"Feature\",\"geometry\":null,\"properties\":{\"name\":\"test.log\",\"segments\":0,"
                   "\"points\":0}}\n");
  EXPECT_EQ(Count(ExportBytes({}, TrackFormat::kGpx), "<trkseg>"), 0u);
}

// Longitude 180 is written as -180, which GPX's longitude type requires (-180 <= lon < 180).
TEST(TrackExport, TheAntimeridianIsWrittenAsMinus180) {
  const auto f = NavLlh(0, 10, 180);
  const std::string gpx = ExportBytes(f, TrackFormat::kGpx);
  EXPECT_NE(gpx.find("lon=\"-180.000000000\""), std::string::npos) << gpx;
}

// Against the published GPX 1.1 and KML 2.2 schemas (unpacked by scripts/install-deps).
TEST(TrackExport, GpxAndKmlFollowThePublishedSchemas) {
  const std::string gpxSchema = test::PublishedSchema("Topografix_gpx11.xsd");
  const std::string kmlSchema = test::PublishedSchema("ogckml22.xsd");
  if (gpxSchema.empty() || kmlSchema.empty()) GTEST_SKIP() << "no xmllint or schemas (scripts/install-deps)";
  std::vector<uint8_t> log;
  for (int s : {0, 1, 2, 40, 41}) {
    const auto f = NavLlh(s, 48.1, -11.5, s > 30 ? 4 : 2);
    log.insert(log.end(), f.begin(), f.end());
  }
  const std::string dir = test::TempDir();
  const auto write = [&](const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return path;
  };
  const std::string gpx = ExportBytes(log, TrackFormat::kGpx);
  EXPECT_EQ(test::SchemaErrors(gpxSchema, write("track.gpx", gpx)), "") << gpx;
  const std::string kml = ExportBytes(log, TrackFormat::kKml);
  EXPECT_EQ(test::SchemaErrors(kmlSchema, write("track.kml", kml)), "") << kml;
  // And the schema is not a rubber stamp: a fix GPX does not know fails it.
  std::string bad = gpx;
  bad.replace(bad.find("<fix>3d</fix>"), 13, "<fix>rtk</fix>");
  EXPECT_NE(test::SchemaErrors(gpxSchema, write("bad.gpx", bad)), "");
}

}  // namespace
}  // namespace orv
