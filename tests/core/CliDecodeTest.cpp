// orvantis-cli decode, run as a program on files the test writes.
#include <gtest/gtest.h>

#include <fstream>

#include "support/Frames.h"
#include "support/RunCommand.h"

namespace orv {
namespace {

std::string Cli() { return test::ShellQuote(ORVANTIS_CLI_PATH); }

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = test::TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
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

TEST(CliDecode, PrintsEachFrameWithItsOffsetThenTheSummary) {
  std::vector<uint8_t> bytes = {0x55, 0x01};
  for (uint8_t b : test::Frame(0x94, {0xAB, 0x01})) bytes.push_back(b);
  auto bad = test::Frame(21, {});
  bad.back() ^= 1;
  bytes.insert(bytes.end(), bad.begin(), bad.end());
  for (uint8_t b : test::Frame(49, {})) bytes.push_back(b);
  const auto r = test::RunCommand(Cli() + " decode " + test::ShellQuote(WriteFile("a.log", bytes)));
  ASSERT_EQ(r.status, 0);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u);
  // Payloads shorter than their records' layouts (71 bytes for 20, 40 for 49, the console's own
  // requests) are marked short, with no fields filled in from nothing.
  EXPECT_EQ(lines[0], R"({"offset":2,"kind":"ktx","id":20,"length":2,"payload":"ab01","short":true})");
  EXPECT_EQ(lines[1], R"({"offset":16,"kind":"ktx","id":49,"length":0,"payload":"","short":true})");
  EXPECT_EQ(lines[2],
            R"({"summary":{"validMessageCount":2,"protocolErrorCount":1,"nmeaSentenceCount":0,)"
            R"("nmeaChecksumErrorCount":0,"messageCountById":{"20":1,"49":1},"nmeaCountBySlot":{}}})");
}

TEST(CliDecode, NmeaSentencesWithoutTheirLineEnds) {
  const std::string text = "junk" + test::Sentence("GPZDA,1,2") + test::Sentence("GPGGA,X", "\n");
  const auto path = WriteFile("n.log", test::Bytes(text));
  auto r = test::RunCommand(Cli() + " decode --protocol nmea " + test::ShellQuote(path));
  ASSERT_EQ(r.status, 0);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind(R"({"offset":4,"kind":"nmea","sentence":")" + test::Sentence("GPZDA,1,2", "") + "\"", 0), 0u);
  EXPECT_NE(lines[2].find(R"("nmeaSentenceCount":2)"), std::string::npos);
  EXPECT_NE(lines[2].find(R"("messageCountById":{},"nmeaCountBySlot":{"10":1,"17":1}}})"), std::string::npos)
      << lines[2];
  // Read as KTX Binary the same file holds no frames; left to choose, decode finds the
  // sentences, says so, and prints what --protocol nmea prints.
  const std::string asNmea = r.out;
  r = test::RunCommand(Cli() + " decode --protocol ktx " + test::ShellQuote(path));
  EXPECT_EQ(Lines(r.out).size(), 1u);
  r = test::RunCommand(Cli() + " decode " + test::ShellQuote(path));
  EXPECT_EQ(r.out, asNmea);
  r = test::RunCommand(Cli() + " decode " + test::ShellQuote(path) + " 2>&1 >/dev/null");
  EXPECT_NE(r.out.find("as NMEA (0 frames, 2 sentences"), std::string::npos) << r.out;
}

TEST(CliDecode, LongPathsAreReadAndHelpIsNoError) {
  // Deeper than the 199 characters a log file keeps as its name.
  std::string dir = test::TempDir();
  while (dir.size() < 260) {
    dir += "/a-rather-long-directory-name";
    ASSERT_EQ(test::RunCommand("mkdir -p " + test::ShellQuote(dir)).status, 0);
  }
  const std::string path = dir + "/long.log";
  std::ofstream(path, std::ios::binary) << std::string(reinterpret_cast<const char*>(test::Frame(20, {1}).data()), 7);
  for (const char* command : {" decode ", " stats --json "}) {
    const auto r = test::RunCommand(Cli() + command + test::ShellQuote(path));
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find(R"("validMessageCount":1)"), std::string::npos) << command << r.out;
  }
  for (const char* command : {" decode --help", " stats -h", " config --help", " detect --help"}) {
    const auto r = test::RunCommand(Cli() + command);
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_EQ(r.out.rfind("usage: orvantis-cli ", 0), 0u) << command << r.out;
  }
}

TEST(CliDecode, UnreadableFilesAndBadArgumentsExitWithTwo) {
  EXPECT_EQ(test::RunCommand(Cli() + " decode /nonexistent/file.log 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " decode " + test::ShellQuote(test::TempDir()) + " 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " decode --protocol xyz a.log 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " decode 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " nosuchcommand 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " decode " + test::ShellQuote(WriteFile("e.log", {}))).out,
            R"({"summary":{"validMessageCount":0,"protocolErrorCount":0,"nmeaSentenceCount":0,)"
            R"("nmeaChecksumErrorCount":0,"messageCountById":{},"nmeaCountBySlot":{}}})"
            "\n");
}

}  // namespace
}  // namespace orv
