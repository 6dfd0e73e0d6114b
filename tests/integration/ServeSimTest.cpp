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
#include <cstring>
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
  // Processor seconds the server used so far (user and system).
  double CpuSeconds() const {
    std::FILE* f = std::fopen(("/proc/" + std::to_string(pid_) + "/stat").c_str(), "r");
    if (f == nullptr) return NAN;
    char buf[1024] = {};
    const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    const char* close = std::strrchr(buf, ')');
    if (n == 0 || close == nullptr) return NAN;
    unsigned long utime = 0, stime = 0;
    // After the name: state and eleven fields, then utime and stime.
    if (std::sscanf(close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2) return NAN;
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  }

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
  // 40 lines hold about 18 epochs: the simulator has no fix for 6 s of each minute, so at
  // least a dozen of them carry a position wherever in the minute the run falls.
  const test::CommandResult r =
      test::RunCommand("timeout 20 gpspipe -w -n 40 127.0.0.1:" + std::to_string(serve.port()) + " 2>&1");
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

int ConnectTo(int port, int receiveBuffer) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (receiveBuffer > 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  ::inet_pton(AF_INET, "127.0.0.1", &sa.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

// A KTX Binary log of `seconds` of the simulator's solution at 10 Hz (messages 20 and 33),
// filled with measurement blocks (23) up to 1152 bytes a tenth: a full 115200 bit/s line.
// Returns the epochs' times (ms since 1970).
std::vector<int64_t> WriteLoadLog(const std::string& path, int seconds) {
  sim::SimScene scene(1, 1400.0 * 604800 + 3600);
  std::vector<uint8_t> log;
  std::vector<int64_t> times;
  for (int i = 0; i < seconds * 10; ++i) {
    const sim::SimFix f = scene.At(i * 0.1);
    for (const auto& frame : {test::Frame(20, sim::NavLlh(f)), test::Frame(33, sim::SvStatus(f))}) {
      log.insert(log.end(), frame.begin(), frame.end());
    }
    const std::vector<uint8_t> block = test::Frame(23, sim::MeasurementBlock(f));
    while (log.size() + block.size() <= static_cast<std::size_t>(i + 1) * 1152) log.insert(log.end(), block.begin(), block.end());
    int64_t ns = 0;
    UtcToNs(f.utc.year, f.utc.month, f.utc.day, f.utc.hour, f.utc.minute, f.utc.second, ns);
    times.push_back((ns + 500000) / 1000000);
  }
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out != nullptr) {
    std::fwrite(log.data(), 1, log.size(), out);
    std::fclose(out);
  }
  return times;
}

struct Watcher {
  int fd = -1;
  bool reads = true;
  std::string input;
  int64_t lastTime = -1;  // ms, of the last TPV
  int tpv = 0, gaps = 0;
  bool closed = false;
  Clock::time_point first;
  int64_t firstTime = 0;
};

// 50 gpsd watchers, 10 of which never read, on a log played at 115200 bit/s, and a client
// that sends a megabyte line: the 40 readers must get every epoch from their first on, each
// within a second of when the stream carried it, and the megabyte client must be cut off.
// ORVANTIS_SHARE_LOAD_SECONDS sets the length (6 s here; `make share-load` runs 60 s).
TEST(ServeSim, FiftyWatchersTenNeverReadingKeepUpWithA115200Stream) {
  const char* env = std::getenv("ORVANTIS_SHARE_LOAD_SECONDS");
  const int seconds = env != nullptr && std::atoi(env) > 0 ? std::atoi(env) : 6;
  const std::string dir = test::TempDir();
  const std::string log = dir + "/load.log";
  const std::vector<int64_t> times = WriteLoadLog(log, seconds);
  ServeProcess serve({"--play", log, "--rate", "11520", "--gpsd", "127.0.0.1:0", "--queue", "65536"},
                     dir + "/serve.err");
  ASSERT_GT(serve.port(), 0);
  const auto start = Clock::now();
  std::vector<Watcher> w(50);
  for (std::size_t i = 0; i < w.size(); ++i) {
    w[i].reads = i >= 10;
    w[i].fd = ConnectTo(serve.port(), w[i].reads ? 0 : 4096);
    ASSERT_GE(w[i].fd, 0);
    const std::string watch = "?WATCH={\"enable\":true,\"json\":true}\n";
    ASSERT_EQ(::send(w[i].fd, watch.data(), watch.size(), MSG_NOSIGNAL), static_cast<ssize_t>(watch.size()));
  }
  const int big = ConnectTo(serve.port(), 0);
  ASSERT_GE(big, 0);
  const std::string chunk(64 * 1024, 'x');
  std::size_t bigSent = 0;
  bool bigClosed = false;
  double maxLagMs = 0;
  const auto end = start + std::chrono::milliseconds(seconds * 1000 + 1500);
  while (Clock::now() < end) {
    std::vector<pollfd> fds;
    for (const Watcher& x : w) fds.push_back({x.fd, static_cast<short>(x.reads && !x.closed ? POLLIN : 0), 0});
    ::poll(fds.data(), fds.size(), 20);
    const auto now = Clock::now();
    for (Watcher& x : w) {
      if (!x.reads || x.closed) continue;
      char buf[65536];
      ssize_t n;
      while ((n = ::recv(x.fd, buf, sizeof buf, MSG_DONTWAIT)) > 0) x.input.append(buf, static_cast<std::size_t>(n));
      if (n == 0) x.closed = true;
      for (std::size_t nl; (nl = x.input.find('\n')) != std::string::npos; x.input.erase(0, nl + 1)) {
        const std::string line = x.input.substr(0, nl);
        int64_t ns = 0;
        if (line.find("\"class\":\"TPV\"") == std::string::npos || !TimeOf(line, ns)) continue;
        const int64_t ms = (ns + 500000) / 1000000;
        if (x.tpv == 0) {
          x.first = now;
          x.firstTime = ms;
        } else if (ms - x.lastTime != 100) {
          ++x.gaps;
        }
        // How late it came against the stream's own pace, from the first one on.
        const double due = static_cast<double>(ms - x.firstTime);
        const double came = std::chrono::duration<double, std::milli>(now - x.first).count();
        maxLagMs = std::max(maxLagMs, came - due);
        x.lastTime = ms;
        ++x.tpv;
      }
    }
    // The megabyte line goes out after a second, as the server takes it.
    if (!bigClosed && now > start + std::chrono::seconds(1)) {
      if (bigSent < (1u << 20)) {
        const ssize_t n = ::send(big, chunk.data(), std::min(chunk.size(), (1u << 20) - bigSent), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) bigSent += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN) bigClosed = true;
      }
      char buf[4096];
      ssize_t n;
      while ((n = ::recv(big, buf, sizeof buf, MSG_DONTWAIT)) > 0) {
      }
      if (n == 0 || (n < 0 && errno != EAGAIN)) bigClosed = true;
    }
  }
  const double cpu = serve.CpuSeconds();
  EXPECT_EQ(serve.Stop(), 0);
  const std::vector<uint8_t> err = test::ReadFile(dir + "/serve.err");
  const std::string report(err.begin(), err.end());
  int minTpv = 1 << 30;
  for (const Watcher& x : w) {
    if (!x.reads) continue;
    minTpv = std::min(minTpv, x.tpv);
    EXPECT_FALSE(x.closed);
    EXPECT_EQ(x.gaps, 0);
    EXPECT_EQ(x.lastTime, times.back()) << "a reader did not get the last epoch";
  }
  EXPECT_TRUE(bigClosed) << "the megabyte line was not cut off";
  EXPECT_LT(maxLagMs, 1000.0);
  std::printf("share load: %d s at 11520 B/s, %zu epochs; 40 readers got at least %d TPV each, no gaps; "
              "largest lag %.1f ms; server CPU %.2f s\n%s",
              seconds, times.size(), minTpv, maxLagMs, cpu, report.c_str());
  for (Watcher& x : w) ::close(x.fd);
  ::close(big);
}

}  // namespace
}  // namespace orv
