// `orvantis-cli config`: the JSON listing of a file and the file of defaults.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "config/Configuration.h"
#include "config/ConfigurationFile.h"
#include "support/Frames.h"

namespace orv {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
};

CliRun RunCli(const std::string& args) {
  CliRun r;
  const std::string command = std::string(ORVANTIS_CLI_PATH) + " " + args + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  const int raw = ::pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

class ConfigCliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = test::TempDir(); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string dir;
};

TEST_F(ConfigCliTest, DefaultsFileIsListedByName) {
  const std::string file = dir + "/Orvantis.cfg";
  ASSERT_EQ(RunCli("config defaults " + file).status, 0);
  Configuration expected;
  expected.SetDefaults();
  const auto bytes = test::ReadFile(file);
  ASSERT_EQ(bytes, std::vector<uint8_t>(expected.image().begin(), expected.image().end()));

  const CliRun r = RunCli("config show " + file);
  ASSERT_EQ(r.status, 0);
  for (const char* part : {"\"mainPortName\": \"\"", "\"mainBaudRate\": 9600", "\"protocolSelector\": 1",
                           "\"playbackBytesPerTick\": 1000", "\"plotCentreLatitude\": 45.2942232",
                           "\"operatingModeReferencePosition\": [1257493.294,-4298358.224,4526111.821]",
                           "\"mainWindow\": {\"left\":10,\"top\":10,\"width\":800,\"height\":400}",
                           "\"33132\":{\"left\":500,\"top\":100,\"right\":750,\"bottom\":600}", "\"32953\":0",
                           "\"userDatum1\": {\"name\":\"User Defined 1\",\"countries\":\"\",\"dx\":0",
                           "\"inverseFlattening\":298.257223563}", "\"fileManagerCustomerName\": \"KELTRIX LTD\""}) {
    EXPECT_NE(r.out.find(part), std::string::npos) << part;
  }
}

TEST_F(ConfigCliTest, ShowsStoredValues) {
  Configuration config;
  config.SetDefaults();
  config.SetMainPortName("/dev/ttyS1 \"A\"");
  config.SetWindowOpen(32776, true);
  config.SetUserDatum(2, UserDatum{"Mine", "Here", -5, 6, 7, "Ell", 6378000.5, 300});
  ConfigurationFile file(config);
  file.SetPath(dir + "/a.cfg");
  ASSERT_TRUE(file.SaveConfiguration(nullptr, false));
  const CliRun r = RunCli("config show " + dir + "/a.cfg");
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"mainPortName\": \"/dev/ttyS1 \\\"A\\\"\""), std::string::npos);
  EXPECT_NE(r.out.find("\"32776\":1"), std::string::npos);
  EXPECT_NE(r.out.find("\"userDatum2\": {\"name\":\"Mine\",\"countries\":\"Here\",\"dx\":-5,\"dy\":6,\"dz\":7,"
                       "\"ellipsoidName\":\"Ell\",\"semiMajorAxis\":6378000.5,\"inverseFlattening\":300}"),
            std::string::npos);
}

TEST_F(ConfigCliTest, WrongSizeOrMissingFileIsReported) {
  for (std::size_t size : {std::size_t{7233}, std::size_t{7235}, std::size_t{0}}) {
    const std::string path = dir + "/f" + std::to_string(size);
    std::ofstream(path, std::ios::binary) << std::string(size, '\0');
    const CliRun r = RunCli("config show " + path);
    EXPECT_EQ(r.status, 2) << size;
    EXPECT_EQ(r.out, "") << size;
  }
  EXPECT_EQ(RunCli("config show " + dir + "/missing").status, 2);
  EXPECT_EQ(RunCli("config show " + dir).status, 2);
  EXPECT_EQ(RunCli("config").status, 2);
  EXPECT_EQ(RunCli("config defaults " + dir + "/no/such/dir/x.cfg").status, 1);
}

}  // namespace
}  // namespace orv
