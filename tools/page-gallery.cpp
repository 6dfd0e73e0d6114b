// page-gallery: one picture of every message page, to look at them all at once. It builds a
// log of every binary message the pages show (from the simulated receiver's payloads, plus the
// records it does not send), plays it through the console offscreen with every page window
// open, and saves one PNG per window, named after the window's caption.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QMenuBar>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ids/CommandIds.h"
#include "app/WindowCommands.h"
#include "desktop/DesktopSupport.h"
#include "desktop/MainWindow.h"
#include "desktop/PageHost.h"
#include "protocol/Frame.h"
#include "sim/SimBinary.h"
#include "sim/SimFiles.h"
#include "sim/SimMemory.h"
#include "sim/SimNmea.h"
#include "sim/SimScene.h"
#include "windows/NmeaWindows.h"
#include "windows/SatelliteWindows.h"
#include "ToolOptions.h"

namespace {

using orv::sim::Payload;

void Append(std::vector<uint8_t>& log, uint8_t id, const Payload& payload) {
  uint8_t frame[orv::kMaxFrameLength];
  const std::size_t n = orv::BuildFrame(id, payload, frame);
  log.insert(log.end(), frame, frame + n);
}

// Records the simulated receiver does not send: made-up but plausible bytes.
void AppendOpaqueRecords(std::vector<uint8_t>& log, int epoch) {
  Payload config(21);
  for (std::size_t i = 0; i < config.size(); ++i) config[i] = static_cast<uint8_t>(0x10 + 7 * i);
  Append(log, 43, config);
  Payload fault(80, 0);
  for (std::size_t i = 0; i < 24; ++i) fault[i] = static_cast<uint8_t>(i * 11 + 3);
  Append(log, 57, fault);
  Append(log, 68, Payload{0x02, 0x7A, 0x00, static_cast<uint8_t>(epoch), 0x3C, 0x01, 0x80});
  // RTCM data: the first block starts a new accumulation, the others add to it.
  Payload rtcm(1 + 40);
  rtcm[0] = epoch == 0 ? 0x04 : 0x00;
  for (std::size_t i = 1; i < rtcm.size(); ++i) rtcm[i] = static_cast<uint8_t>(0x66 + epoch * 40 + i);
  Append(log, 83, rtcm);
}

// The service windows' records: the file manager's answers, memory dumps, BIT, test
// controllers, A/D and FPU data, the ionospheric parameters and the beacon status.
Payload Pattern(std::size_t n, uint8_t first, uint8_t step) {
  Payload p(n);
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(first + step * i);
  return p;
}
Payload SubId(uint8_t subId, const Payload& record) {
  Payload p{subId};
  p.insert(p.end(), record.begin(), record.end());
  return p;
}
void AppendServiceRecords(std::vector<uint8_t>& log) {
  Payload answer(53, 0);
  answer[0] = 3;  // Modify
  answer[2] = 1;
  const std::string texts[] = {"SURVEY01", "NORTH PILLAR", "BM-12", "KLM"};
  const std::size_t at[] = {3, 11, 27, 46};
  for (int i = 0; i < 4; ++i) std::copy(texts[i].begin(), texts[i].end(), answer.begin() + at[i]);
  answer[43] = 0xDC;  // 1500
  answer[44] = 0x05;
  answer[45] = 2;
  Append(log, 70, SubId(1, answer));
  const orv::sim::SimFileTable files = orv::sim::SimFileTable::Defaults();
  Append(log, 70, SubId(2, orv::sim::SimFileTable::InfoRecord(files.files()[0], 1)));
  Append(log, 70, SubId(3, Pattern(31, 0x30, 3)));
  Append(log, 70, SubId(7, Pattern(17, 0x70, 5)));
  Payload header = Pattern(129, 0x20, 1);
  const std::string title = "POINT FILE SURVEY01";
  std::copy(title.begin(), title.end(), header.begin());
  Append(log, 70, SubId(8, header));
  const orv::sim::SimMemory memory;
  Append(log, 60, *memory.Dump(0x0100, 16));
  Append(log, 61, *memory.Dump(0x0200, 32));
  Append(log, 62, *memory.Dump(0x1000, 64));
  Append(log, 75, Pattern(40, 0x11, 9));
  Append(log, 51, Pattern(36, 0xA0, 1));
  Append(log, 2, SubId(1, Pattern(10, 0x40, 2)));
  Append(log, 2, SubId(10, Pattern(40, 0x80, 3)));
  Append(log, 114, SubId(1, Pattern(25, 0x05, 7)));
  Payload fpu{0x3C, 48};
  const Payload block = Pattern(48, 0xF0, 13);
  fpu.insert(fpu.end(), block.begin(), block.end());
  Append(log, 114, SubId(4, fpu));
  Append(log, 85, Pattern(16, 0x61, 4));
}

// The sky plot's tracks: the mask first (the plot asked for it), then ten minutes of
// satellites, one message every five seconds.
// The epochs after them show a failed channel and a rejected satellite (both come and go).
constexpr int kTrackSeconds = 600;
void AppendSkyTracks(std::vector<uint8_t>& log, const orv::sim::SimScene& scene) {
  Append(log, 49, orv::sim::ReceiverStatus(scene.At(0)));
  for (int t = 0; t < kTrackSeconds; t += 5) Append(log, 33, orv::sim::SvStatus(scene.At(t)));
}

// The position plot's track: three minutes of fixes, one a second, through every mode the
// simulated receiver runs through.
constexpr int kPlotTrackSeconds = 180;
void AppendPlotTrack(std::vector<uint8_t>& log, const orv::sim::SimScene& scene) {
  for (int t = 0; t < kPlotTrackSeconds; ++t) Append(log, 20, orv::sim::NavLlh(scene.At(t)));
}

// The first GPS satellite in view, taking turns by epoch (WAAS satellites have no ephemeris).
int EphemerisPrn(const orv::sim::SimFix& f, int epoch) {
  std::vector<int> gps;
  for (const orv::sim::SimSatellite& s : f.satellites) {
    if (!s.sbas) gps.push_back(s.prn);
  }
  return gps.empty() ? 0 : gps[static_cast<std::size_t>(epoch) % gps.size()];
}

// The sky's tracks, then six epochs of everything, a second apart.
std::vector<uint8_t> BuildGalleryLog(const orv::sim::SimScene& scene) {
  using namespace orv::sim;
  std::vector<uint8_t> log;
  AppendSkyTracks(log, scene);
  AppendPlotTrack(log, scene);
  for (int epoch = 0; epoch < 6; ++epoch) {
    const SimFix f = scene.At(kTrackSeconds + epoch);
    Append(log, 6, ChannelAssignment(f, true));
    Append(log, 7, ChannelAssignment(f, false));
    Append(log, 18, BaselineSolution(f, false));
    Append(log, 19, BaselineSolution(f, true));
    Append(log, 20, NavLlh(f));
    Append(log, 21, NavXyz(f));
    if (const int prn = EphemerisPrn(f, epoch)) Append(log, 22, Ephemeris(f, prn));
    Append(log, 23, MeasurementBlock(f));
    Append(log, 33, SvStatus(f));
    Append(log, 45, PartNumber());
    Append(log, 47, BaseStatus(f));
    Append(log, 48, DgpsStatus(f));
    Append(log, 49, ReceiverStatus(f));
    Append(log, 50, SatelliteHealth(f));
    Append(log, 111, SystemProfile());
    Append(log, 113, TimingInformation(f));
    // The almanac window: the whole almanac once.
    for (int prn = 1; epoch == 0 && prn <= 32; ++prn) Append(log, 76, Almanac(f, prn));
    AppendOpaqueRecords(log, epoch);
  }
  AppendServiceRecords(log);
  return log;
}

// The NMEA pages' log: six epochs of every sentence the simulated receiver sends, a second
// apart.
std::vector<uint8_t> BuildNmeaGalleryLog(const orv::sim::SimScene& scene) {
  std::vector<uint8_t> log;
  for (int epoch = 0; epoch < 6; ++epoch) {
    const orv::sim::SimFix f = scene.At(epoch);
    for (std::string_view code : orv::sim::kNmeaCodes) {
      for (const std::string& s : orv::sim::NmeaSentencesFor(code, f)) log.insert(log.end(), s.begin(), s.end());
    }
  }
  return log;
}

bool IsNmeaPage(int command) {
  for (const orv::PageKind& kind : orv::NmeaPageKinds()) {
    if (kind.command == command) return true;
  }
  return false;
}

// The gallery never shows a dialog: messages go to the terminal, forms are cancelled.
class QuietModal : public orv::ModalRunner {
 public:
  void ShowMessage(QWidget*, const std::string& text, const std::string& caption, orv::MessageIcon) override {
    std::fprintf(stderr, "page-gallery: %s: %s\n", caption.c_str(), text.c_str());
  }
  std::optional<std::string> OpenFile(QWidget*, const orv::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(QWidget*, const orv::FileDialogRequest&) override { return std::nullopt; }
  bool RunForm(QWidget*, orv::Form&, orv::MessageBoxes&) override { return false; }
  void About(QWidget*) override {}
};

// No port is ever opened.
class NoPort : public orv::PortChannel {
 public:
  bool Open(const std::string&, uint32_t, char, int, int) override { return false; }
  void Close() override {}
  bool IsOpen() const override { return false; }
  bool Read(uint8_t*, uint32_t, uint32_t& bytesRead) override {
    bytesRead = 0;
    return false;
  }
  uint32_t Receive(uint32_t) override { return 0; }
  bool Send(const uint8_t*, uint32_t) override { return false; }
};

// "Navigation Window (User Coor) - Msg 20" -> "navigation-window-user-coor-msg-20".
QString FileName(const std::string& caption) {
  QString out;
  for (QChar c : QString::fromStdString(caption).toLower()) {
    if (c.isLetterOrNumber()) {
      out += c;
    } else if (!out.isEmpty() && !out.endsWith('-')) {
      out += '-';
    }
  }
  while (out.endsWith('-')) out.chop(1);
  return out;
}

bool WriteFile(const QString& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Opens every page window at least as large as its page, in a tidy cascade.
void OpenEveryPageWindow(orv::MainWindow& window) {
  int k = 0;
  for (const orv::WindowCommandInfo& info : orv::WindowCommandTable()) {
    if (!window.pages().HasPage(info.command)) continue;
    window.RunCommand(info.command);
    auto* host = qobject_cast<orv::PageHost*>(window.windowHost(info.command));
    if (host == nullptr) continue;
    const orv::PageExtent e = host->page()->extent();
    const int menu = host->pageMenuBar() != nullptr ? host->pageMenuBar()->sizeHint().height() : 0;
    host->setGeometry(20 + 15 * k, 20 + 15 * k, std::max(host->width(), e.width), std::max(host->height(), e.height + menu));
    ++k;
  }
  // The sky plot shows the mask angle of the next receiver status message.
  if (orv::Page* sky = window.pages().page(orv::cmd::kWndSvPosition)) {
    sky->OnCommand(orv::CShowSVsPositionWnd::kShowMaskAngleCommand);
  }
}

// The base station's decoder of synchronized playback gets its own measurement block.
void FeedBaseDecoder(orv::MainWindow& window, const orv::sim::SimScene& scene) {
  std::vector<uint8_t> frames;
  Append(frames, 23, orv::sim::MeasurementBlock(scene.At(30)));
  orv::MessageDecoder& base = window.frame().secondDecoder();
  base.SetBaseFileFlag(1);
  base.Decode(frames.data(), static_cast<uint32_t>(frames.size()));
}

bool WaitForPlayback(orv::MainWindow& window) {
  QElapsedTimer clock;
  clock.start();
  while (window.frame().state().playbackActive != 0) {
    if (clock.elapsed() > 30000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(5);
  }
  return true;
}

// The pictures of the NMEA pages (nmea) or of the others.
int SavePictures(orv::MainWindow& window, const QDir& out, bool nmea) {
  int saved = 0;
  for (const orv::WindowCommandInfo& info : orv::WindowCommandTable()) {
    orv::WindowHost* host = window.windowHost(info.command);
    if (host == nullptr || !window.pages().HasPage(info.command) || IsNmeaPage(info.command) != nmea) continue;
    const QString path = out.filePath(FileName(info.caption) + ".png");
    if (host->grab().save(path)) {
      ++saved;
    } else {
      std::fprintf(stderr, "page-gallery: cannot write %s\n", qPrintable(path));
    }
  }
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  constexpr char kUsage[] =
      "usage: page-gallery [FOLDER]   (default: page-gallery)\n"
      "writes one PNG of every message window into FOLDER; needs no display\n";
  const orv::tools::StandardOutcome standard = orv::tools::HandleStandardOptions(argc, argv, "page-gallery", kUsage);
  if (!standard.run) return standard.status;
  if (argc > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  QApplication app(argc, argv);
  orv::InstallFonts();
  const QDir out(argc == 2 ? argv[1] : "page-gallery");
  QTemporaryDir work;
  if (!QDir().mkpath(out.path()) || !work.isValid()) {
    std::fprintf(stderr, "page-gallery: cannot create %s\n", qPrintable(out.path()));
    return 1;
  }
  const orv::sim::SimScene scene(7, orv::sim::SimScene::GpsTimeFromUnix(1786000000.0));
  const QString logPath = work.filePath("gallery.log");
  const QString nmeaLogPath = work.filePath("gallery-nmea.log");
  if (!WriteFile(logPath, BuildGalleryLog(scene)) || !WriteFile(nmeaLogPath, BuildNmeaGalleryLog(scene))) return 1;

  orv::MainWindowOptions options;
  options.ports = [](orv::StreamDecoder*) { return std::make_unique<NoPort>(); };
  options.settingsFile = work.filePath("profile.ini").toStdString();
  options.modal = std::make_unique<QuietModal>();
  orv::MainWindow window(std::move(options));
  window.show();
  OpenEveryPageWindow(window);
  // The automatic log summary counts what is logged: as if automatic logging ran.
  window.frame().mainDecoder().SetLoggingCountOn(1);
  window.PlayFile(logPath.toStdString());
  if (!WaitForPlayback(window)) {
    std::fprintf(stderr, "page-gallery: the playback did not end\n");
    return 1;
  }
  FeedBaseDecoder(window, scene);
  QApplication::processEvents();
  int saved = SavePictures(window, out, false);
  // Then the NMEA pages, from a log of sentences played with the decoder talking NMEA.
  window.frame().config().SetProtocolSelector(0);
  window.frame().mainDecoder().SetProtocolSelector(0);
  window.PlayFile(nmeaLogPath.toStdString());
  if (!WaitForPlayback(window)) {
    std::fprintf(stderr, "page-gallery: the NMEA playback did not end\n");
    return 1;
  }
  QApplication::processEvents();
  saved += SavePictures(window, out, true);
  std::printf("page-gallery: %d pictures in %s\n", saved, qPrintable(out.absolutePath()));
  return saved > 0 ? 0 : 1;
}
