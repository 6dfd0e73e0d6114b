// orvantis-cli export, run as a program: standard output without OUT, the count of skipped
// epochs on standard error, OUT written when given, and the argument errors.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/Frames.h"
#include "support/RunCommand.h"

namespace orv {
namespace {

std::string Cli() { return test::ShellQuote(ORVANTIS_CLI_PATH); }

std::string Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::string Read(const std::string& path) {
  const auto bytes = test::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(CliExport, WritesTheTrackAndCountsSkippedEpochsOnStandardError) {
  const std::string dir = test::TempDir();
  std::string nmea;
  nmea += test::Sentence("GPGGA,120000,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  nmea += test::Sentence("GPRMC,120000,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
  nmea += test::Sentence("GPGGA,120001,,,,,0,00,,,M,,M,,");
  nmea += test::Sentence("GPGGA,120002,4807.040,N,01131.000,E,1,08,0.9,545.5,M,46.9,M,,");
  const std::string log = Write(dir + "/n.log", nmea);
  const auto r = test::RunCommand(Cli() + " export --format csv --protocol nmea " + test::ShellQuote(log) + " 2>" +
                                  test::ShellQuote(dir + "/err"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "segment,time,latitude,longitude,altitude,fix,mode,satellites,hdop,vdop,speed,course\n"
            "1,1994-03-23T12:00:00Z,48.117300000,11.516666667,545.400,3d,1,8,0.9,,11.524,84.4\n"
            "1,1994-03-23T12:00:02Z,48.117333333,11.516666667,545.500,3d,1,8,0.9,,,\n");
  EXPECT_EQ(Read(dir + "/err"),
            "orvantis-cli export: 2 points in 1 segments; 1 epochs without a valid position skipped\n");

  const std::string out = dir + "/n.geojson";
  EXPECT_EQ(test::RunCommand(Cli() + " export --protocol nmea --format=geojson " + test::ShellQuote(log) + " " +
                             test::ShellQuote(out) + " 2>/dev/null")
                .status,
            0);
  EXPECT_EQ(Read(out).rfind("{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\"", 0), 0u);
}

TEST(CliExport, ArgumentErrorsExitWithTwo) {
  const std::string log = Write(test::TempDir() + "/e.log", "");
  for (const std::string& args : std::vector<std::string>{"--format shp " + log, "--format gpx", "--format gpx --from 22 " + log,
                                 "--format gpx --protocol nmea --from 21 " + log, "--format gpx --fast " + log,
                                 "--format gpx /nonexistent/x.log", "--format gpx " + log + " /nonexistent/dir/x.gpx"}) {
    EXPECT_EQ(test::RunCommand(Cli() + " export " + args + " 2>/dev/null").status, 2) << args;
  }
  // An empty log is a track of no points.
  const auto r = test::RunCommand(Cli() + " export --format kml " + log + " 2>/dev/null");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("<Placemark>"), std::string::npos);
  EXPECT_NE(r.out.find("</kml>"), std::string::npos);
}

}  // namespace
}  // namespace orv
