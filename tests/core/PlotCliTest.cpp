// The fixes a log gives the plot (message 20 with its mode, GGA with its quality mapped), and
// `orvantis-cli plot` drawing them on a PDF page or a PNG image.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "geodesy/Angles.h"
#include "plot/PlotFixes.h"
#include "support/Frames.h"
#include "support/RunCommand.h"

namespace orv {
namespace {

std::string Cli() { return test::ShellQuote(ORVANTIS_CLI_PATH); }

std::vector<uint8_t> NavLlh(double latDeg, double lonDeg, uint8_t mode) {
  std::vector<uint8_t> p(71, 0);
  const double lat = DegreesToRadians(latDeg), lon = DegreesToRadians(lonDeg);
  std::memcpy(&p[14], &lat, 8);
  std::memcpy(&p[22], &lon, 8);
  p[66] = mode;
  return p;
}

std::string WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return "";
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

// A log of three solutions in modes 4, 2 and 0x E6 (mode 6 with other bits set), noise between.
std::vector<uint8_t> KtxLog() {
  std::vector<uint8_t> log = {0x00, 0x55};
  for (const auto& [lat, mode] : std::vector<std::pair<double, uint8_t>>{{45.5, 4}, {45.5001, 2}, {45.4999, 0xE6}}) {
    const auto f = test::Frame(20, NavLlh(lat, -73.5, mode));
    log.insert(log.end(), f.begin(), f.end());
  }
  return log;
}

struct Fix {
  double lat, lon;
  int mode;
};
class Collect : public NavPlotLink {
 public:
  void AddPoint(double lat, double lon, int mode) override { fixes.push_back({lat, lon, mode}); }
  std::vector<Fix> fixes;
};

TEST(PlotFixes, Message20GivesEveryFixWithItsModeAndGgaItsMappedQuality) {
  const std::string dir = test::TempDir();
  Collect ktx;
  FILE* f = std::fopen(WriteFile(dir + "/a.log", KtxLog()).c_str(), "rb");
  ASSERT_NE(f, nullptr);
  const PlotLogRead r = ReadPlotFixes(f, 1, ktx);
  std::fclose(f);
  EXPECT_EQ(r.fixes, 3u);
  ASSERT_EQ(ktx.fixes.size(), 3u);
  EXPECT_EQ(ktx.fixes[0].mode, 4);
  EXPECT_EQ(ktx.fixes[2].mode, 6);
  EXPECT_NEAR(ktx.fixes[1].lat, DegreesToRadians(45.5001), 1e-15);

  const std::string nmea = test::Sentence("GPGGA,120000.00,4530.000,N,07330.000,W,2,08,1.0,30.0,M,,M,,") +
                           test::Sentence("GPGGA,120001.00,4530.001,N,07330.000,W,0,00,,,M,,M,,") +
                           test::Sentence("GPGGA,120002.00,4530.002,N,07330.000,W,4,08,1.0,30.0,M,,M,,") +
                           test::Sentence("GPGGA,120003.00,4530.003,N,07330.000,W,1,08,1.0,30.0,M,,M,,");
  Collect gga;
  f = std::fopen(WriteFile(dir + "/b.log", test::Bytes(nmea)).c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ReadPlotFixes(f, 0, gga);
  std::fclose(f);
  ASSERT_EQ(gga.fixes.size(), 3u);  // quality 0 has no position
  EXPECT_EQ(gga.fixes[0].mode, 4);
  EXPECT_EQ(gga.fixes[1].mode, 10);
  EXPECT_EQ(gga.fixes[2].mode, 2);
  EXPECT_NEAR(gga.fixes[0].lat, DegreesToRadians(45.5), 1e-12);
  EXPECT_NEAR(gga.fixes[0].lon, DegreesToRadians(-73.5), 1e-12);
  EXPECT_EQ(ModeOfGgaQuality(6), 6);
  EXPECT_EQ(ModeOfGgaQuality(9), 0);
}

class PlotCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test::RunCommand(Cli() + " plot --help >/dev/null 2>&1").status != 0) {
      GTEST_SKIP() << "this orvantis-cli has no plot command (a build without Qt)";
    }
    dir = test::TempDir();
    log = WriteFile(dir + "/nav.log", KtxLog());
  }
  std::string dir, log;
};

TEST_F(PlotCli, DrawsALogOnOnePdfPageAndOnAPng) {
  if (test::RunCommand("command -v pdfinfo >/dev/null && command -v pdftotext >/dev/null").status != 0) {
    GTEST_SKIP() << "poppler-utils is not installed";
  }
  const std::string pdf = dir + "/nav.pdf";
  const auto r = test::RunCommand(Cli() + " plot " + test::ShellQuote(log) + " --scale 10 --grid --coordinates --pdf " +
                                  test::ShellQuote(pdf));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("3 fixes, scale 10 m"), std::string::npos) << r.out;
  const std::string info = test::RunCommand("pdfinfo " + test::ShellQuote(pdf)).out;
  const std::size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(pages + 6)), 1) << info;
  const std::string text = test::RunCommand("pdftotext " + test::ShellQuote(pdf) + " -").out;
  for (const char* label : {"10m", "5m", "1m", "Fixes: 3", "N45 30'00.000\""}) {
    EXPECT_NE(text.find(label), std::string::npos) << label << " not in " << text;
  }
  const std::string png = dir + "/nav.png";
  ASSERT_EQ(test::RunCommand(Cli() + " plot " + test::ShellQuote(log) + " --centre-first --png " +
                             test::ShellQuote(png) + " >/dev/null")
                .status,
            0);
  const auto bytes = test::ReadFile(png);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
}

TEST_F(PlotCli, RejectsWhatItCannotDraw) {
  const std::string q = test::ShellQuote(log);
  const std::string out = test::ShellQuote(dir + "/x.pdf");
  EXPECT_EQ(test::RunCommand(Cli() + " plot " + q + " 2>/dev/null").status, 2);  // no output named
  EXPECT_EQ(test::RunCommand(Cli() + " plot " + q + " --pdf " + out + " --png " + out + " 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " plot " + q + " --scale 0 --pdf " + out + " 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " plot " + q + " --centre 91,0 --pdf " + out + " 2>/dev/null").status, 2);
  EXPECT_EQ(test::RunCommand(Cli() + " plot " + q + " --centre 1,2 --centre-first --pdf " + out + " 2>/dev/null").status,
            2);
  EXPECT_EQ(test::RunCommand(Cli() + " plot " + test::ShellQuote(dir) + " --pdf " + out + " 2>/dev/null").status, 1);
  EXPECT_EQ(test::RunCommand(Cli() + " plot " + q + " --pdf " + test::ShellQuote(dir + "/no/such/x.pdf") + " 2>/dev/null")
                    .status,
            1);
}

}  // namespace
}  // namespace orv
