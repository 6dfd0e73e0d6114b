// `orvantis-cli decode --protocol nmea`: the slot, record and fields added to each sentence.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/Frames.h"

namespace orv {
namespace {

std::vector<std::string> DecodeLines(const std::string& log) {
  const std::string dir = test::TempDir();
  const std::string path = dir + "/nmea.log";
  std::ofstream(path, std::ios::binary) << log;
  std::vector<std::string> lines;
  FILE* out = ::popen((std::string(ORVANTIS_CLI_PATH) + " decode --protocol nmea " + path).c_str(), "r");
  if (out == nullptr) return lines;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, out) != nullptr) lines.emplace_back(buffer);
  ::pclose(out);
  std::remove(path.c_str());
  std::remove(dir.c_str());
  return lines;
}

TEST(NmeaCliDecodeTest, SlotRecordAndPresentFields) {
  const auto lines = DecodeLines(test::Sentence("GNGGA,123519.50,4807.0380,S,01131.0000,W,1,08,0.9,545.4,M,,M,,") +
                                 test::Sentence("GPRMC,010203,V,,,,,,,311299") + test::Sentence("PQTLG,901") +
                                 test::Sentence("GPTXT,01,01,02,HELLO") +
                                 test::Sentence("PQTLG,906,31,U,D,Q,1.5,2.0,3.0,A\"B,7,,,,A"));
  ASSERT_EQ(lines.size(), 6u);  // five sentences and the summary
  EXPECT_NE(lines[0].find("\"slot\":10,\"record\":\"NmeaGgaRecord\",\"fields\":{\"utcTime\":\"123519.5\","
                          "\"latitudeDeg\":-48.1173,\"latitudeHemisphere\":\"S\",\"longitudeDeg\":-11.516666667,"
                          "\"longitudeHemisphere\":\"W\",\"quality\":1,\"satellitesUsed\":8,\"hdop\":0.9,"
                          "\"altitude\":545.4,\"altitudeUnits\":\"M\",\"separationUnits\":\"M\"}}"),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[1].find("\"slot\":15,\"record\":\"NmeaRmcRecord\",\"fields\":{\"utcTime\":\"010203\","
                          "\"status\":\"V\",\"date\":\"311299\"}}"),
            std::string::npos)
      << lines[1];
  // The queue-full report has a slot but no record; an unknown address has neither.
  EXPECT_NE(lines[2].find("\"slot\":1}"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3].find("\"slot\""), std::string::npos) << lines[3];
  EXPECT_NE(lines[4].find("\"record\":\"NmeaToWaypointRecord\",\"fields\":{\"zoneNumber\":31,\"zoneLetter\":\"U\","
                          "\"squareColumn\":\"D\",\"squareRow\":\"Q\",\"easting\":1.5,\"northing\":2,\"altitude\":3,"
                          "\"waypointName\":\"A\\\"B\",\"waypointNumber\":7,\"status\":\"A\"}}"),
            std::string::npos)
      << lines[4];
}

// The texts and names the printer builds itself: a date with its leading zero, the numbered
// members of a satellite list, and a sentence's bytes escaped (a tab, a byte above ASCII).
TEST(NmeaCliDecodeTest, PaddedDatesNumberedMembersAndEscapedSentences) {
  const auto lines = DecodeLines(test::Sentence("GPRMC,010203,V,,,,,,,010199") +
                                 test::Sentence("GPGSV,1,1,01,07,45,120,42") +
                                 test::Sentence("GPTXT,01,01,02,A\tB\xE9"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("\"date\":\"010199\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"prn1\":7,\"elevation1\":45,\"azimuth1\":120,\"snr1\":42"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("A\\tB\\u00e9*"), std::string::npos) << lines[2];
}

}  // namespace
}  // namespace orv
