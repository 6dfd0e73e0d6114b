// What orvantis-cli says about a file it cannot use: the reason for a missing file, a folder,
// a FIFO or a device, and a word on standard error for an empty file or one with nothing
// decodable in it, which still reads successfully.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/Frames.h"

namespace orv {
namespace {

struct CliRun {
  int status = -1;
  std::string err;
};

CliRun Cli(const std::string& args, const std::string& dir) {
  CliRun r;
  const std::string errFile = dir + "/stderr.txt";
  const std::string command = std::string(ORVANTIS_CLI_PATH) + " " + args + " >/dev/null 2>" + errFile;
  const int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  const auto bytes = test::ReadFile(errFile);
  r.err.assign(bytes.begin(), bytes.end());
  return r;
}

class CliFileErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = test::TempDir(); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string dir;
};

TEST_F(CliFileErrorsTest, AFileThatCannotBeReadIsReportedWithItsReason) {
  const std::string fifo = dir + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string sub = dir + "/folder";
  std::filesystem::create_directory(sub);
  struct Case {
    std::string path, reason;
  };
  const std::vector<Case> cases = {{dir + "/missing.log", "No such file or directory"},
                                   {sub, "Is a directory"},
                                   {fifo, "not a regular file (a FIFO)"},
                                   {"/dev/null", "not a regular file (a device)"}};
  for (const std::string command : {"decode", "stats", "export --format csv", "config show"}) {
    for (const Case& c : cases) {
      const CliRun r = Cli(command + " " + c.path, dir);
      EXPECT_EQ(r.status, 2) << command << " " << c.path;
      const std::string name = command.substr(0, command.find(' '));
      EXPECT_NE(r.err.find("orvantis-cli " + name + ": cannot read '" + c.path + "': " + c.reason), std::string::npos)
          << command << ": " << r.err;
    }
  }
}

TEST_F(CliFileErrorsTest, AnEmptyOrUndecodableFileIsSaidOnStandardErrorAndStillSucceeds) {
  const std::string empty = Write("empty.log", {});
  for (const char* command : {"decode", "stats"}) {
    const CliRun r = Cli(std::string(command) + " " + empty, dir);
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.err.find("orvantis-cli " + std::string(command) + ": '" + empty + "' is empty"), std::string::npos)
        << r.err;
  }
  const std::string noise = Write("noise.log", std::vector<uint8_t>(3000, 0x55));
  CliRun r = Cli("decode --protocol ktx " + noise, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("nothing decodable in '" + noise + "' (3000 bytes"), std::string::npos) << r.err;
  // One good frame and nothing is said.
  auto bytes = test::Frame(20, std::vector<uint8_t>(71, 0));
  const std::string good = Write("good.log", bytes);
  r = Cli("decode " + good, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("nothing decodable"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("is empty"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orv
