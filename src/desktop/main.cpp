// orvantis: the desktop console. Options open the main port or a playback at start, as the
// menu commands would, for demonstrations and scripts.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "OrvantisVersion.h"
#include "ids/CommandIds.h"
#include "config/ConfigurationFile.h"
#include "desktop/DesktopSupport.h"
#include "desktop/MainWindow.h"
#include "serial/PortNames.h"
#include "serial/SerialPort.h"

namespace {

bool HasDisplay() {
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(v);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Saves a picture of the screen (all windows) or, without a real screen, of the main window.
void SaveScreenshot(orv::MainWindow& window, const QString& path) {
  QPixmap shot;
  if (QScreen* screen = QGuiApplication::primaryScreen()) shot = screen->grabWindow(0);
  if (shot.isNull() || QGuiApplication::platformName() == "offscreen") shot = window.grab();
  if (!shot.save(path)) std::fprintf(stderr, "orvantis: cannot write %s\n", qPrintable(path));
}

// --help and --version answer on the terminal and need no screen.
bool AsksOnlyForText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* o : {"--help", "-h", "-?", "--help-all", "--version", "-v"}) {
      if (std::strcmp(argv[i], o) == 0) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const bool textOnly = AsksOnlyForText(argc, argv);
  if (!HasDisplay() && !textOnly) {
    std::fputs("orvantis: no display to open the console on (DISPLAY is not set).\n"
               "Run it inside a virtual X server, for example:  xvfb-run -a orvantis\n",
               stderr);
    return 2;
  }
  // Without a screen only the texts are asked for: a core application prints them and quits.
  std::unique_ptr<QCoreApplication> application =
      textOnly && !HasDisplay() ? std::make_unique<QCoreApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);
  QCoreApplication::setApplicationName("Orvantis");
  QCoreApplication::setOrganizationName("Orvantis");
  QCoreApplication::setApplicationVersion(kOrvantisVersion);

  QCommandLineParser parser;
  parser.setApplicationDescription("Monitoring and control console for GPS receivers.");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption port("port", "Open the main serial port DEVICE at start.", "DEVICE");
  const QCommandLineOption baud("baud", "Line rate for --port (default: the configured rate).", "N");
  const QCommandLineOption protocol("protocol", "Menus and decoding for ktx or nmea.", "ktx|nmea");
  const QCommandLineOption play("play", "Play the log FILE back at start.", "FILE");
  const QCommandLineOption command("command", "Run the menu command ID at start (may be repeated).", "ID");
  const QCommandLineOption shot("screenshot", "Save a PNG of the screen to FILE after --shot-delay ms and quit.", "FILE");
  const QCommandLineOption delay("shot-delay", "Milliseconds before the screenshot (default 3000).", "MS", "3000");
  parser.addOptions({port, baud, protocol, play, command, shot, delay});
  // Unknown options and missing values are usage errors (status 2), like the other programs'.
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "orvantis: %s\n", qPrintable(parser.errorText()));
    return 2;
  }
  if (parser.isSet("help")) parser.showHelp(0);
  if (parser.isSet("version")) parser.showVersion();
  if (!orv::InstallFonts()) {
    std::fputs("orvantis: the DejaVu fonts are missing (Debian package fonts-dejavu-core); "
               "texts will be drawn with another family.\n", stderr);
  }

  if (parser.isSet(protocol) && parser.value(protocol) != "ktx" && parser.value(protocol) != "nmea") {
    std::fputs("orvantis: --protocol takes ktx or nmea\n", stderr);
    return 2;
  }
  bool baudOk = true;
  const uint32_t baudRate = parser.isSet(baud) ? parser.value(baud).toUInt(&baudOk) : 0;
  if (!baudOk || (parser.isSet(baud) && baudRate == 0)) {
    std::fputs("orvantis: --baud takes a rate in bit/s\n", stderr);
    return 2;
  }

  orv::MainWindowOptions options;
  options.ports = [](orv::StreamDecoder* sink) { return std::make_unique<orv::SerialPort>(sink); };
  options.configPath = orv::ConfigurationPathAtStartup().value_or("");
  orv::MainWindow window(std::move(options));
  window.show();

  std::vector<int> commandIds;
  for (const QString& id : parser.values(command)) {
    bool ok = false;
    const int value = id.toInt(&ok);
    if (!ok || value <= 0) {
      std::fprintf(stderr, "orvantis: --command takes a command number, not '%s'\n", qPrintable(id));
      return 2;
    }
    commandIds.push_back(value);
  }
  // Armed before the port and the playback start: a box either of them shows (a port that
  // cannot be opened) is in the picture and closed with it, instead of waiting for a click.
  // Set once the screenshot is taken: the commands still waiting are not run any more.
  auto quitting = std::make_shared<bool>(false);
  if (parser.isSet(shot)) {
    const QString path = parser.value(shot);
    QTimer::singleShot(parser.value(delay).toInt(), &window, [&window, path, quitting] {
      SaveScreenshot(window, path);
      *quitting = true;
      // A command may have left a dialog open: the picture shows it, and closing it lets the
      // command return before the window goes.
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      QTimer::singleShot(0, &window, [&window] { window.close(); });
    });
  }
  if (parser.isSet(protocol)) {
    window.RunCommand(parser.value(protocol) == "nmea" ? orv::cmd::kSwitchToNmea : orv::cmd::kSwitchToKtx);
  }
  if (parser.isSet(port)) {
    const std::string name = orv::StorablePortName(parser.value(port).toStdString());
    if (name.empty()) {
      std::fprintf(stderr, "orvantis: port name '%s' is longer than 79 characters\n", qPrintable(parser.value(port)));
      return 2;
    }
    const uint32_t rate = baudRate != 0 ? baudRate : static_cast<uint32_t>(window.frame().config().mainBaudRate());
    window.commands().OpenMainPort(name, rate);
    window.RefreshMenus();
  }
  if (parser.isSet(play)) window.PlayFile(parser.value(play).toStdString());
  // The screenshot came while a box of the start was open: the picture is saved, and the event
  // loop would have no window left to close.
  if (*quitting) return 0;
  // The commands run from the event loop, so a dialog one opens is on screen for --screenshot,
  // and one after another: a command that opens a dialog returns when the dialog closes, and
  // only then does the next one run (it is not run inside the dialog's own event loop).
  if (!commandIds.empty()) {
    QTimer::singleShot(0, &window, [&window, commandIds, quitting] {
      for (const int id : commandIds) {
        if (*quitting || !window.isVisible()) break;
        window.RunCommand(id);
      }
    });
  }
  return QApplication::exec();
}
