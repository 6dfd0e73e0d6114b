// `orvantis-cli serve` against Debian's gpsd clients: gpspipe and cgps connect to it while it
// decodes orvantis-sim (KTX Binary and NMEA), and what they print must be the simulator's
// positions and satellites, as the simulator's own copy of its output says. Then a load run:
// many watchers, some that never read and one that sends a megabyte line, on a log played at
// 115200 bit/s; the readers must get every epoch, in time.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "SimProcess.h"
#include "nmea/ReceiverDecoder.h"
#include "sim/SimBinary.h"
#include "sim/SimScene.h"
#include "support/Frames.h"
#include "support/RunCommand.h"
#include "track/EpochReader.h"
#include "track/UtcTime.h"

namespace orv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

#define REQUIRE_TOOL(tool) \
  if (test::RunCommand("command -v " tool).status != 0) GTEST_SKIP() << tool " is not installed (scripts/install-deps)"

// orvantis-cli serve as a child: its first lines say where it listens.
class ServeProcess {
 public:
  explicit ServeProcess(const std::vector<std::string>& args, const std::string& errFile) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(127);
      ::dup2(out[1], STDOUT_FILENO);
      const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) ::dup2(err, STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>(ORVANTIS_CLI_PATH), const_cast<char*>("serve")};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(ORVANTIS_CLI_PATH, argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    const auto end = Clock::now() + std::chrono::seconds(3);
    std::string text;
    const std::size_t wanted = args.size();  // at most one line per option
    (void)wanted;
    while (Clock::now() < end && text.find("gpsd ") == std::string::npos) {
      pollfd p{out[0], POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      char buf[512];
      const ssize_t n = ::read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<std::size_t>(n));
    }
    // The pseudo-terminal line comes after the gpsd one, at once.
    std::this_thread::sleep_for(milliseconds(50));
    pollfd p{out[0], POLLIN, 0};
    char buf[512];
    if (::poll(&p, 1, 100) > 0) {
      const ssize_t n = ::read(out[0], buf, sizeof buf);
      if (n > 0) text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    std::smatch m;
    if (std::regex_search(text, m, std::regex("gpsd 127\\.0\\.0\\.1:([0-9]+)"))) port_ = std::stoi(m[1]);
    if (std::regex_search(text, m, std::regex("nmea-pty (\\S+)"))) pty_ = m[1];
  }
  ~ServeProcess() { Stop(); }
  int Stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int port() const { return port_; }
  const std::string& pty() const { return pty_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string pty_;
};

double Number(const std::string& json, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  const std::size_t at = json.find(key);
  return at == std::string::npos ? NAN : std::strtod(json.c_str() + at + key.size(), nullptr);
}

bool TimeOf(const std::string& json, int64_t& ns) {
  const std::size_t at = json.find("\"time\":\"");
  int y, mo, d, h, mi;
  double s;
  return at != std::string::npos &&
         std::sscanf(json.c_str() + at + 8, "%d-%d-%dT%d:%d:%lfZ", &y, &mo, &d, &h, &mi, &s) == 6 &&
         UtcToNs(y, mo, d, h, mi, s, ns);
}

struct EpochMap : EpochSink {
  std::map<int64_t, Epoch> byTime;  // ms since 1970
  void OnEpoch(const Epoch& e, uint64_t) override { byTime[(e.timeNs + 500000) / 1000000] = e; }
};

// The epochs of what the simulator sent, by our decoder.
EpochMap SentEpochs(const std::string& copy, int protocol) {
  EpochMap map;
  std::vector<uint8_t> bytes = test::ReadFile(copy);
  ReceiverDecoder d;
  d.SetProtocolSelector(static_cast<uint32_t>(protocol));
  d.SetTimeGateOpen(1);
  EpochOptions options;
  options.protocolSelector = protocol;
  EpochReader reader(d, options, map);
  d.SetObserver(&reader);
  // A block at a time, as a port or a log is read; one spare byte after it.
  std::vector<uint8_t> block(4097);
  for (std::size_t at = 0; at < bytes.size(); at += 4096) {
    const std::size_t n = std::min<std::size_t>(4096, bytes.size() - at);
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n), block.begin());
    d.Decode(block.data(), static_cast<uint32_t>(n));
  }
  reader.Finish();
  d.SetObserver(nullptr);
  return map;
}

// The satellites the simulator reported: PRNs of its message 33 entries or GSV sentences.
std::set<int> SentPrns(const std::string& copy, int protocol) {
  const std::vector<uint8_t> b = test::ReadFile(copy);
  std::set<int> prns;
  if (protocol == 0) {
    const std::string text(b.begin(), b.end());
    const std::regex gsv("\\$GPGSV,\\d,\\d,\\d+((,\\d*,\\d*,\\d*,\\d*)+)\\*");
    for (std::sregex_iterator it(text.begin(), text.end(), gsv), end; it != end; ++it) {
      const std::string fields = (*it)[1];
      const std::regex sat(",(\\d+),\\d*,\\d*,\\d*");
      for (std::sregex_iterator s(fields.begin(), fields.end(), sat), e; s != e; ++s) {
        const int n = std::stoi((*s)[1]);
        prns.insert(n >= 33 && n <= 64 ? n + 87 : n);
      }
    }
    return prns;
  }
  for (std::size_t i = 0; i + 6 <= b.size();) {
    if (b[i] != 1 || b[i + 2] != static_cast<uint8_t>(~b[i + 1]) || i + b[i + 3] + 6u > b.size()) {
      ++i;
      continue;
    }
    if ((b[i + 1] & 0x7F) == 33) {
      const uint8_t* p = &b[i + 4];
      for (int k = 0; k < std::min<int>(p[0], 12); ++k) {
        const uint8_t* e = p + 1 + k * 5;
        const int waas = (e[2] | e[3] << 8) >> 9;
        prns.insert(waas != 0 ? waas + 88 : (e[0] & 0x1F) + 1);
      }
    }
    i += b[i + 3] + 6u;
  }
  return prns;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t a = 0; a < text.size();) {
    std::size_t b = text.find('\n', a);
    if (b == std::string::npos) b = text.size();
    out.push_back(text.substr(a, b - a));
    a = b + 1;
  }
  return out;
}

// gpspipe -w -n 20 against serve on the simulator: TPV positions are the simulator's to 1e-7
// degrees, SKY satellites are those it reported.
void GpspipeSeesTheSimulator(int protocol) {
  const std::string dir = test::TempDir();
  const std::string copy = dir + "/sent.bin";
  // Unpaced, the simulator's clock runs ahead: twenty lines come in a second or two.
  std::vector<std::string> simArgs{"--baud", "115200", "--sent-copy", copy, "--rate-limit", "off"};
  if (protocol == 0) simArgs.insert(simArgs.end(), {"--protocol", "nmea"});
  test::SimProcess sim(simArgs);
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  ASSERT_FALSE(sim.path().empty());
  std::vector<std::string> args{"--port", sim.path(), "--baud", "115200", "--gpsd", "127.0.0.1:0"};
  if (protocol == 0) {
    args.insert(args.end(), {"--protocol", "nmea"});
  } else {
    args.insert(args.end(), {"--requests", "20,33,49"});
  }
  ServeProcess serve(args, dir + "/serve.err");
  ASSERT_GT(serve.port(), 0) << "serve printed no address";
  const test::CommandResult r =
      test::RunCommand("timeout 20 gpspipe -w -n 20 127.0.0.1:" + std::to_string(serve.port()) + " 2>&1");
  ASSERT_EQ(r.status, 0) << r.out;
  serve.Stop();
  std::this_thread::sleep_for(milliseconds(300));  // the last bytes reach the copy
  const EpochMap sent = SentEpochs(copy, protocol);
  const std::set<int> prns = SentPrns(copy, protocol);
  ASSERT_FALSE(sent.byTime.empty());
  int tpv = 0, sky = 0;
  for (const std::string& line : Lines(r.out)) {
    if (line.find("\"class\":\"TPV\"") != std::string::npos && Number(line, "mode") >= 2) {
      SCOPED_TRACE(line);
      int64_t ns = 0;
      ASSERT_TRUE(TimeOf(line, ns));
      const auto e = sent.byTime.find((ns + 500000) / 1000000);
      ASSERT_NE(e, sent.byTime.end()) << "no epoch of the simulator at that time; it sent " << sent.byTime.size()
                                       << " from " << sent.byTime.begin()->first << " to " << sent.byTime.rbegin()->first
                                       << ", this is " << (ns + 500000) / 1000000;
      EXPECT_NEAR(Number(line, "lat"), e->second.latitude, 1e-7);
      EXPECT_NEAR(Number(line, "lon"), e->second.longitude, 1e-7);
      ++tpv;
    }
    if (line.find("\"class\":\"SKY\"") != std::string::npos) {
      SCOPED_TRACE(line);
      int n = 0;
      const std::regex prn("\"PRN\":(\\d+)");
      for (std::sregex_iterator it(line.begin(), line.end(), prn), end; it != end; ++it, ++n) {
        EXPECT_TRUE(prns.count(std::stoi((*it)[1])) == 1);
      }
      EXPECT_GE(n, 4);
      ++sky;
    }
  }
  EXPECT_GE(tpv, 5) << r.out;
  EXPECT_GE(sky, 5) << r.out;
}

TEST(ServeSim, GpspipeGetsTheSimulatorsPositionsAndSatellitesFromKtxBinary) {
  REQUIRE_TOOL("gpspipe");
  GpspipeSeesTheSimulator(1);
}

TEST(ServeSim, GpspipeGetsTheSimulatorsPositionsAndSatellitesFromNmea) {
  REQUIRE_TOOL("gpspipe");
  GpspipeSeesTheSimulator(0);
}

TEST(ServeSim, CgpsInATerminalShowsTheFixAndTheNmeaTerminalCarriesSentences) {
  REQUIRE_TOOL("cgps");
  REQUIRE_TOOL("script");
  const std::string dir = test::TempDir();
  const std::string copy = dir + "/sent.bin";
  test::SimProcess sim({"--baud", "115200", "--sent-copy", copy});
  if (!test::SimProcess::Available()) GTEST_SKIP() << "orvantis-sim is not built";
  ASSERT_FALSE(sim.path().empty());
  ServeProcess serve({"--port", sim.path(), "--baud", "115200", "--requests", "20,33,49", "--gpsd", "127.0.0.1:0",
                      "--nmea-pty"},
                     dir + "/serve.err");
  ASSERT_GT(serve.port(), 0);
  ASSERT_FALSE(serve.pty().empty());
  // cgps draws on a terminal: `script` gives it one and keeps what it drew.
  // Meanwhile a reader of the NMEA terminal keeps what it is sent.
  const std::string nmeaFile = dir + "/pty.nmea";
  const test::CommandResult r = test::RunCommand(
      "(timeout 3 cat " + test::ShellQuote(serve.pty()) + " > " + test::ShellQuote(nmeaFile) +
      " &); TERM=xterm COLUMNS=100 LINES=40 timeout 3 script -q -c 'cgps -s 127.0.0.1:" +
      std::to_string(serve.port()) + "' /dev/null");
  std::this_thread::sleep_for(milliseconds(200));
  const std::vector<uint8_t> nmeaBytes = test::ReadFile(nmeaFile);
  test::CommandResult nmea;
  nmea.out.assign(nmeaBytes.begin(), nmeaBytes.end());
  serve.Stop();
  std::this_thread::sleep_for(milliseconds(300));
  const EpochMap sent = SentEpochs(copy, 1);
  // The screen without its escape sequences.
  const std::string screen = std::regex_replace(r.out, std::regex("\x1b\\[[0-9;?]*[A-Za-z]|\x1b[()][0B]"), " ");
  EXPECT_NE(screen.find("3D"), std::string::npos) << screen;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(screen, m, std::regex("([0-9]+\\.[0-9]{8}) N +([0-9]+\\.[0-9]{8}) W"))) << screen;
  const double lat = std::stod(m[1]), lon = -std::stod(m[2]);
  bool found = false;
  for (const auto& [t, e] : sent.byTime) {
    found = found || (std::fabs(e.latitude - lat) < 1e-7 && std::fabs(e.longitude - lon) < 1e-7);
  }
  EXPECT_TRUE(found) << "cgps shows " << lat << ", " << lon;
  EXPECT_NE(nmea.out.find("$GPGGA,"), std::string::npos) << nmea.out;
  EXPECT_NE(nmea.out.find("$GPRMC,"), std::string::npos) << nmea.out;
}

}  // namespace
}  // namespace orv
