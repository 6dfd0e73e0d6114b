// `orvantis-cli almanac show`: the header and records the console would send for a Yuma file,
// as JSON lines, and the refusals of files that give nothing to send.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/Frames.h"

namespace orv {
namespace {

struct CliRun {
  int status = -1;
  std::vector<std::string> lines;
};

CliRun RunCli(const std::string& args) {
  CliRun r;
  const std::string command = std::string(ORVANTIS_CLI_PATH) + " " + args + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int raw = ::pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

// The number after "name": in a JSON line.
std::string Member(const std::string& line, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  const std::size_t at = line.find(key);
  if (at == std::string::npos) return "";
  const std::size_t end = line.find_first_of(",}", at + key.size());
  return line.substr(at + key.size(), end - at - key.size());
}

TEST(AlmanacCli, ShowListsTheHeaderThenTheRecordsInFileOrder) {
  const std::string root = test::TestDataDir();
  const std::string path = root + "/yuma/test_input_yuma377.txt";
  if (root.empty() || !std::filesystem::exists(path)) GTEST_SKIP() << "no Yuma test data";
  const CliRun r = RunCli("almanac show " + path);
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 29u);
  EXPECT_EQ(Member(r.lines[0], "message"), "78");
  EXPECT_EQ(Member(r.lines[0], "mask"), "\"efb7ff7f\"");
  EXPECT_EQ(Member(r.lines[0], "toa"), "78");
  EXPECT_EQ(std::stoi(Member(r.lines[0], "week")) % 1024, 377);
  std::vector<int> prns;
  for (std::size_t i = 1; i < r.lines.size(); ++i) {
    EXPECT_EQ(Member(r.lines[i], "message"), "79");
    prns.push_back(std::stoi(Member(r.lines[i], "prn")));
  }
  std::vector<int> expected;
  for (int prn = 1; prn <= 31; ++prn) {
    if (prn != 5 && prn != 12 && prn != 15) expected.push_back(prn);
  }
  EXPECT_EQ(prns, expected);
  EXPECT_EQ(Member(r.lines[1], "sqrt_a"), "5153.683594");
  EXPECT_EQ(Member(r.lines[1], "sv_type"), "1");
  EXPECT_EQ(Member(RunCli("almanac show --sv-type gic " + path).lines.at(1), "sv_type"), "2");
}

TEST(AlmanacCli, FilesWithNothingToSendFail) {
  const std::string dir = test::TempDir();
  std::ofstream(dir + "/empty.alm").close();
  EXPECT_EQ(RunCli("almanac show " + dir + "/empty.alm").status, 1);
  EXPECT_EQ(RunCli("almanac show " + dir + "/absent.alm").status, 1);
  EXPECT_EQ(RunCli("almanac show").status, 2);
  EXPECT_EQ(RunCli("almanac send " + dir + "/empty.alm").status, 2);  // no --port
}

}  // namespace
}  // namespace orv
