// What the window shows while inputs open and close: the title, the port pane, the top-level
// "&Stop" item and the poll timer.
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>

#include "DesktopTest.h"
#include "ids/CommandIds.h"
#include "serial/PortDialog.h"
#include "support/Frames.h"

namespace orv::test {

namespace {
// A log of `count` binary frames of message 20 with a 4-byte payload.
QByteArray SampleLog(int count) {
  QByteArray log;
  for (int i = 0; i < count; ++i) {
    const uint8_t frame[] = {0x01, 20, static_cast<uint8_t>(~20), 4, 1, 2, 3, static_cast<uint8_t>(i)};
    uint16_t sum = 0;
    for (uint8_t b : frame) sum = static_cast<uint16_t>(sum + b);
    log.append(reinterpret_cast<const char*>(frame), sizeof frame);
    log.append(static_cast<char>(sum & 0xFF));
    log.append(static_cast<char>(sum >> 8));
  }
  return log;
}

}  // namespace

class InputStateTest : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void init() { StartWindow(); }
  void cleanup() { StopWindow(); }

  void openingThePortShowsItAndStopClosesIt() {
    MainWindow& w = **window;
    QCOMPARE(TopLevelTexts(w.menuBar()).back(), std::string("&Help"));
    QVERIFY(w.action(cmd::kStop)->isChecked());  // pressed while nothing runs

    w.commands().OpenMainPort("/dev/pts/7", 19200);
    w.RefreshMenus();
    QCOMPARE(w.windowTitle(), QString("/dev/pts/7 - (19200) - ORVANTIS QUENMARSH"));
    QCOMPARE(w.PaneText(kPanePort), std::string("/dev/pts/7:"));
    QCOMPARE(TopLevelTexts(w.menuBar()).back(), std::string("&Stop"));
    QVERIFY(!w.action(cmd::kStop)->isChecked());
    QVERIFY(w.action(cmd::kSerialPort)->isChecked());
    QCOMPARE(window->ports[0]->log.back(), std::string("open /dev/pts/7 19200"));

    // The top-level item runs Stop.
    QAction* top = w.menuBar()->actions().back();
    QVERIFY(top->icon().isNull());  // shown as its text
    top->trigger();
    QCOMPARE(w.windowTitle(), QString("ORVANTIS QUENMARSH"));
    QCOMPARE(w.PaneText(kPanePort), std::string("COM NONE     "));
    QCOMPARE(TopLevelTexts(w.menuBar()).back(), std::string("&Help"));
    QVERIFY(!w.action(cmd::kSerialPort)->isChecked());
  }

  // A box the decoder raises inside the poll comes up once the poll has returned (the whole
  // block decoded), and while it is open the port goes on being read.
  // The counting panes draw their text without shaping; they look as a framed label does.
  void theCountingPaneLooksAsALabelDoes() {
    MainWindow& w = **window;
    w.SetPaneText(kPanePort, "/dev/ttyUSB0: 921600 123456 msg");
    auto* pane = w.statusBar()->findChild<QLabel*>("PortPane");
    QVERIFY(pane != nullptr);
    QTRY_COMPARE(pane->text(), QString("/dev/ttyUSB0: 921600 123456 msg"));
    QLabel label(pane->text());
    label.setFrameStyle(pane->frameStyle());
    label.setFont(pane->font());
    label.setPalette(pane->palette());
    label.setFixedSize(pane->size());
    QCOMPARE(pane->grab().toImage().convertToFormat(QImage::Format_RGB32),
             label.grab().toImage().convertToFormat(QImage::Format_RGB32));
  }

  void aBoxRaisedWhileDecodingComesUpAfterThePollAndTheReadsGoOn() {
    MainWindow& w = **window;
    w.commands().OpenMainPort("/dev/pts/7", 9600);
    FakePort& port = *window->ports[0];
    const auto& counts = w.frame().mainDecoder().counters().messageCountById;
    w.frame().StartAlmanacTransfer(std::vector<AlmanacTransferRecord>(1));
    port.Queue(Frame(78, {1}));
    port.Queue(Frame(20, {}));
    bool inPoll = true;
    uint32_t atBox = 0, whileOpen = 0;
    log.duringMessage = [&](const ShownMessage&) {
      inPoll = w.frame().inTimerEvent();
      atBox = counts[20];
      port.Queue(Frame(20, {}));
      QTest::qWait(400);  // the box stays up four poll periods
      whileOpen = counts[20];
    };
    QTRY_COMPARE(log.messages.size(), std::size_t{1});
    QCOMPARE(log.messages[0].text, std::string("Almanac transfer data is downloaded unsuccesfully."));
    QVERIFY(!inPoll);
    QCOMPARE(atBox, 1u);
    QCOMPARE(whileOpen, 2u);
  }

  // The same box asked for again before it came up is shown once; others keep their order.
  void postedBoxesComeUpOnceEachInOrder() {
    MainWindow& w = **window;
    w.PostMessageBox("first", "", MessageIcon::Stop);
    w.PostMessageBox("second", "", MessageIcon::Exclamation);
    w.PostMessageBox("first", "", MessageIcon::Stop);
    QVERIFY(log.messages.empty());
    QTRY_COMPARE(log.messages.size(), std::size_t{2});
    QCOMPARE(log.messages[0].text, std::string("first"));
    QCOMPARE(log.messages[1].text, std::string("second"));
    QTest::qWait(50);
    QCOMPARE(log.messages.size(), std::size_t{2});
  }

  void theSerialPortCommandOpensThePortChosenInTheDialog() {
    MainWindow& w = **window;
    w.frame().config().SetMainBaudRate(4800);
    log.answerForm = [](Form& f) {
      f.Select(PortDialog::kPortGroup, 2);
      return f.Press(kFormOk, nullptr) == FormAction::Ok;
    };
    w.action(cmd::kSerialPort)->trigger();
    QCOMPARE(log.formCaptions.back(), std::string("Serial Port Configuration"));
    QCOMPARE(w.windowTitle(), QString("COM3 - (4800) - ORVANTIS QUENMARSH"));
    QCOMPARE(TopLevelTexts(w.menuBar()).back(), std::string("&Stop"));
    w.action(cmd::kSerialPort)->trigger();
    QCOMPARE(w.windowTitle(), QString("ORVANTIS QUENMARSH"));
    QCOMPARE(TopLevelTexts(w.menuBar()).back(), std::string("&Help"));
  }

  void stopIsOfferedWhileAPlaybackRunsAndGoesWhenItEnds() {
    MainWindow& w = **window;
    const QString path = dir->filePath("drive.log");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(SampleLog(500));  // 5000 bytes: a few 10 ms polls at 1000 bytes each
    file.close();

    w.PlayFile(path.toStdString());
    QCOMPARE(w.windowTitle(), QString("drive.log - ORVANTIS QUENMARSH"));
    QCOMPARE(w.PaneText(kPanePort), std::string("LOG: "));
    QCOMPARE(TopLevelTexts(w.menuBar()).back(), std::string("&Stop"));
    QVERIFY(w.action(cmd::kOpenLogFile)->isChecked());

    QTRY_COMPARE_WITH_TIMEOUT(TopLevelTexts(w.menuBar()).back(), std::string("&Help"), 3000);
    QCOMPARE(w.windowTitle(), QString("ORVANTIS QUENMARSH"));
    QCOMPARE(w.PaneText(kPanePort), std::string("COM NONE     "));
    QVERIFY(!w.action(cmd::kOpenLogFile)->isChecked());
    QVERIFY(w.frame().mainDecoder().counters().messageCountById[20] >= 500);
  }

  void theOpenLogCommandAsksForALogFileAndCancelLeavesAllIdle() {
    MainWindow& w = **window;
    w.action(cmd::kOpenLogFile)->trigger();
    QCOMPARE(log.fileRequests.size(), std::size_t{1});
    QCOMPARE(log.fileRequests[0].defaultExtension, std::string("log"));
    QCOMPARE(log.fileRequests[0].filter, std::string("Log Files (*.log) |*.log|All Files (*.*) |*.*||"));
    QVERIFY(!w.action(cmd::kOpenLogFile)->isChecked());
    QCOMPARE(TopLevelTexts(w.menuBar()).back(), std::string("&Help"));
  }

  void thePollTimerFeedsTheDecoder() {
    MainWindow& w = **window;
    w.commands().OpenMainPort("COM1", 9600);
    const uint32_t before = w.frame().state().tickCount;
    QTRY_VERIFY_WITH_TIMEOUT(w.frame().state().tickCount > before + 1, 2000);
    w.RunCommand(cmd::kStop);
    const uint32_t after = w.frame().state().tickCount;
    QTest::qWait(250);
    QCOMPARE(w.frame().state().tickCount, after);  // the timer is gone
  }
};

ORV_DESKTOP_TEST(InputStateTest);

}  // namespace orv::test

#include "InputStateTest.moc"
