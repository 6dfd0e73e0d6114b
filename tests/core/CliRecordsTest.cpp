// orvantis-cli: the record fields `decode` adds to binary frames, and `stats`.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/Frames.h"
#include "support/RunCommand.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

std::string Cli() { return test::ShellQuote(ORVANTIS_CLI_PATH); }

std::string WriteLog(const std::vector<std::vector<uint8_t>>& frames) {
  const std::string path = test::TempDir() + "/r.log";
  std::ofstream out(path, std::ios::binary);
  for (const auto& f : frames) out.write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
  return path;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0, nl;
  while ((nl = text.find('\n', start)) != std::string::npos) {
    out.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return out;
}

template <typename T>
void Put(std::vector<uint8_t>& p, std::size_t at, T v) {
  WriteLe(std::span<uint8_t>(p), at, v);
}

#define EXPECT_HAS(line, text) EXPECT_NE((line).find(text), std::string::npos) << (line)

TEST(CliRecords, DecodePrintsTheFieldsOfEachRecord) {
  std::vector<uint8_t> nav(71, 0);
  Put(nav, 14, 0.5);
  Put(nav, 30, 12.25f);
  nav[66] = 4;
  nav[67] = 9;
  std::vector<uint8_t> part(95, 0);
  std::memcpy(&part[0], "OPER-SW-00001A", 14);
  Put<uint32_t>(part, 90, 0xDEADBEEF);
  std::vector<uint8_t> sv(61, 0);
  sv[0] = 1;
  sv[1] = 0x20 | 6;
  sv[2] = 45;
  Put<uint16_t>(sv, 3, 270);
  sv[5] = 38;
  std::vector<uint8_t> seven(85, 0);
  seven[1] = 0x02;
  std::vector<uint8_t> fm(54, 0);
  fm[0] = 1;
  fm[3] = 1;  // active flag (after sub-ID, action and result)
  std::memcpy(&fm[4], "ROVER1", 6);
  const auto r = test::RunCommand(
      Cli() + " decode " +
      test::ShellQuote(WriteLog({test::Frame(20, nav), test::Frame(45, part), test::Frame(33, sv),
                                 test::Frame(50, {0x1B, 0, 0, 0, 0, 0, 0, 0}), test::Frame(7, seven),
                                 test::Frame(70, fm), test::Frame(83, {0x04, 0xAB, 0xCD}), test::Frame(65, {})})));
  ASSERT_EQ(r.status, 0);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_HAS(lines[0], R"("record":"NavLlhRecord","fields":{)");
  EXPECT_HAS(lines[0], R"("latitude":0.5,)");
  EXPECT_HAS(lines[0], R"("altitude":12.25,)");
  EXPECT_HAS(lines[0], R"("navMode":4,)");
  EXPECT_HAS(lines[0], R"("svCount":9,)");
  EXPECT_HAS(lines[1], R"("record":"PartNumberRecord")");
  EXPECT_HAS(lines[1], R"("operationalSwPartNumber":"OPER-SW-00001A")");
  EXPECT_HAS(lines[1], R"("operationalSwChecksum":"DEADBEEF")");
  EXPECT_HAS(lines[2], R"("svCount":1,"entries":[{"svNumber":7,"status":1,"elevation":45,"azimuth":270,"waasCode":0,"snr":38}])");
  EXPECT_HAS(lines[3], R"("healthCodes":[0,1,2,3,0,)");
  EXPECT_HAS(lines[4], R"("record":"ChannelAssignmentRecord","fields":{"channels":[{"channel":7,"svCode":2,"svNumber":3,)");
  EXPECT_HAS(lines[5], R"("record":"FileManagerRecord")");
  EXPECT_HAS(lines[5], R"("activeFlag":1,"fileName":"ROVER1")");
  EXPECT_HAS(lines[6], R"("record":"DgpsDataRecord","hex":"abcd"})");
  EXPECT_EQ(lines[7].find("record"), std::string::npos) << lines[7];  // counted only
}

TEST(CliRecords, StatsAsTableAndJson) {
  const std::string path = WriteLog({test::Frame(20, {}), test::Frame(20, {}), test::Frame(0x94, {}),
                                     test::Frame(49, {}), {0x01, 0x14, 0xEB, 0x00, 0x00, 0x00}});
  auto r = test::RunCommand(Cli() + " stats --json " + test::ShellQuote(path));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, R"({"bytesRead":30,"validMessageCount":4,"protocolErrorCount":1,"nmeaSentenceCount":0,)"
                   R"("nmeaChecksumErrorCount":0,"messageCountById":{"20":3,"49":1},"nmeaCountBySlot":{}})"
                   "\n");
  r = test::RunCommand(Cli() + " stats " + test::ShellQuote(path));
  ASSERT_EQ(r.status, 0);
  EXPECT_HAS(r.out, "Valid messages:         4\n");
  EXPECT_HAS(r.out, "Protocol errors:        1\n");
  EXPECT_HAS(r.out, "    20          3\n");
  EXPECT_HAS(r.out, "    49          1\n");
  const std::string nmea = test::TempDir() + "/n.log";
  std::ofstream(nmea) << test::Sentence("GPGGA,1") << test::Sentence("GPRMC,2");
  r = test::RunCommand(Cli() + " stats --json --protocol nmea " + test::ShellQuote(nmea));
  EXPECT_HAS(r.out, R"("nmeaSentenceCount":2,)");
  EXPECT_EQ(test::RunCommand(Cli() + " stats --jsn " + test::ShellQuote(path) + " 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " stats /nonexistent 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " stats 2>/dev/null").status, 2);
}

}  // namespace
}  // namespace orv
