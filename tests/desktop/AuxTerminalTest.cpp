// The aux data window in the real main window: the text the aux port reads shows in its
// view, the window follows the port, and the recording items carry their check marks.
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

#include "DesktopTest.h"
#include "desktop/TerminalHost.h"
#include "ids/CommandIds.h"
#include "support/Frames.h"

namespace orv::test {

class AuxTerminalTest : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void init() { StartWindow(); }
  void cleanup() { StopWindow(); }

  void theWindowShowsWhatTheAuxPortReads() {
    MainWindow& w = **window;
    log.answerForm = [](Form&) { return true; };  // the port dialog: its first port
    w.RunCommand(cmd::kWndTerminalAux);
    QPointer<WindowHost> host = w.windowHost(cmd::kWndTerminalAux);
    auto* terminal = qobject_cast<TerminalHost*>(host.data());
    QVERIFY(terminal != nullptr);
    QCOMPARE(terminal->windowTitle(), QString("Auxillary Port Data Window"));
    QVERIFY(w.frame().state().auxPortOpen != 0);
    FakePort& aux = *window->ports[1];
    aux.Queue(Bytes("$GPGGA,1\r\nsecond li"));
    w.frame().OnTimer(kPollTimer);
    aux.Queue(Bytes("ne\r\n"));
    w.frame().OnTimer(kPollTimer);
    QTRY_COMPARE(terminal->view()->VisibleText(), QString("$GPGGA,1\nsecond line\n"));

    // The recording item is checked while the aux port is recorded; closing the window
    // closes the port and ends the recording.
    log.nextFile = dir->filePath("aux.log").toStdString();
    w.RunCommand(cmd::kSaveAuxPortData);
    QVERIFY(w.frame().state().auxRecording != 0);
    QVERIFY(w.action(cmd::kSaveAuxPortData)->isChecked());
    host->close();
    QTRY_VERIFY(host.isNull());
    QTRY_VERIFY(!w.commands().windows().exists(cmd::kWndTerminalAux));
    QVERIFY(w.frame().state().auxPortOpen == 0);
    QVERIFY(w.frame().state().auxRecording == 0);
    // Reads after the window went reach nobody.
    aux.Queue(Bytes("late"));
    w.frame().OnTimer(kPollTimer);
  }

  // The main "Terminal" shows every block the main decoder is given, until it closes.
  void theTerminalShowsWhatTheMainDecoderReads() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndTerminal);
    QPointer<WindowHost> host = w.windowHost(cmd::kWndTerminal);
    auto* terminal = qobject_cast<TerminalHost*>(host.data());
    QVERIFY(terminal != nullptr);
    std::vector<uint8_t> text = Bytes("$GPRMC,2\r\n");
    text.push_back(0);  // the decoder's spare byte
    w.frame().mainDecoder().Decode(text.data(), static_cast<uint32_t>(text.size() - 1));
    QTRY_COMPARE(terminal->view()->VisibleText(), QString("$GPRMC,2\n"));

    // The view follows the newest line; scrolled back, it keeps the lines being read in place
    // while older ones leave the history.
    auto feed = [&](int from, int to) {
      std::string lines;
      for (int i = from; i < to; ++i) lines += "line " + std::to_string(i) + "\r\n";
      std::vector<uint8_t> block(lines.begin(), lines.end());
      block.push_back(0);
      w.frame().mainDecoder().Decode(block.data(), static_cast<uint32_t>(block.size() - 1));
      terminal->Render();
    };
    feed(0, 1500);
    QVERIFY(terminal->view()->VisibleText().endsWith("line 1499\n"));
    QScrollBar* bar = terminal->view()->verticalScrollBar();
    bar->setValue(bar->maximum() - 100);
    const QString reading = terminal->view()->VisibleText();
    feed(1500, 2200);
    QCOMPARE(terminal->view()->VisibleText(), reading);
    QCOMPARE(terminal->view()->AllText().count('\n'), qsizetype(TerminalHistory::kMaxLines - 1));
    bar->setValue(bar->maximum());
    feed(2200, 2201);
    QVERIFY(terminal->view()->VisibleText().endsWith("line 2200\n"));
    // The horizontal range follows the widest line kept, and shrinks once it has left.
    QScrollBar* across = terminal->view()->horizontalScrollBar();
    QCOMPARE(across->maximum(), 0);
    std::vector<uint8_t> wide = Bytes(std::string(3000, 'w') + "\r\n");
    wide.push_back(0);
    w.frame().mainDecoder().Decode(wide.data(), static_cast<uint32_t>(wide.size() - 1));
    terminal->Render();
    QVERIFY(across->maximum() > 2000);
    feed(2201, 4300);
    QCOMPARE(across->maximum(), 0);
    // Ctrl+C copies every line kept, not only those in sight.
    QTest::keyClick(terminal->view(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), terminal->view()->AllText());
    QVERIFY(QApplication::clipboard()->text().startsWith("line 2301\n"));
    w.RunCommand(cmd::kWndTerminal);
    QTRY_VERIFY(host.isNull());
    w.frame().mainDecoder().Decode(text.data(), static_cast<uint32_t>(text.size() - 1));  // nobody is told
  }

  void theMainPortRecordingItemIsCheckedWhileItRecords() {
    MainWindow& w = **window;
    log.nextFile = dir->filePath("main.log").toStdString();
    QVERIFY(w.action(cmd::kSaveMainPortData)->isEnabled());
    w.RunCommand(cmd::kSaveMainPortData);
    QVERIFY(w.frame().state().mainRecording != 0);
    QVERIFY(w.action(cmd::kSaveMainPortData)->isChecked());
    QCOMPARE(log.formCaptions.front(), std::string("Log File Setup"));
    w.RunCommand(cmd::kSaveMainPortData);
    QVERIFY(w.frame().state().mainRecording == 0);
    QVERIFY(!w.action(cmd::kSaveMainPortData)->isChecked());
  }
};

ORV_DESKTOP_TEST(AuxTerminalTest);

}  // namespace orv::test

#include "AuxTerminalTest.moc"
