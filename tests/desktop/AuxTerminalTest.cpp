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

  // The view moves the lines already on the screen and draws only the new ones: after every
  // kind of change the screen holds the same pixels as a whole new drawing of the view.
  void theScreenMatchesAWholeDrawingAfterEveryRefresh() {
    TerminalHistory history;
    TerminalView view(history, nullptr);
    view.resize(420, 230);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto show = [&](const std::string& text) {
      history.ShowText(text.data(), static_cast<uint32_t>(text.size()));
      view.Refresh();
      QCoreApplication::processEvents();
    };
    auto same = [&](const char* what) {
      const QImage drawn = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
      const QPoint at = view.viewport()->mapTo(&view, QPoint(0, 0));
      const QImage screen = view.screen()
                                ->grabWindow(view.winId(), at.x(), at.y(), drawn.width(), drawn.height())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
      if (qEnvironmentVariableIsSet("TERM_SHOT")) screen.save(QString("/tmp/term-%1.png").arg(what).replace(" ", "_"));
      if (screen != drawn) qWarning("the screen differs from a whole drawing after %s", what);
      return screen == drawn;
    };
    auto lines = [](const char* stem, int count) {
      std::string text;
      for (int i = 0; i < count; ++i) text += stem + std::to_string(i) + " \t|\r\n";
      return text;
    };
    show("first li");
    QVERIFY(same("part of a line"));
    show("ne grows\r\nsecond\r\n");
    QVERIFY(same("the part-shown line ending"));
    show(lines("row ", 7) + "unfinished");
    QVERIFY(same("a few lines, the view moving up"));
    for (int i = 0; i < 3; ++i) {
      show(" more" + std::to_string(i) + "\r\nnext " + std::to_string(i));
      QVERIFY(same("a line each"));
    }
    show(lines("screenful ", 60));
    QVERIFY(same("more than a screen at once"));
    // A full history drops a line for each new one: the scroll value stays, the text moves.
    show(lines("full ", static_cast<int>(TerminalHistory::kMaxLines)));
    show("dropped one\r\n");
    QVERIFY(same("a line dropped from a full history"));
    // Read back: new lines below change nothing in sight.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() - 30);
    QCoreApplication::processEvents();
    show("unseen\r\n");
    QVERIFY(same("a line out of sight"));
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    show(std::string(300, 'x') + "\r\n");
    view.horizontalScrollBar()->setValue(5);
    QCoreApplication::processEvents();
    show("across\r\n");
    QVERIFY(same("scrolled across"));
    // A clear starts the line numbers again, and as many lines come before the next refresh.
    history.Clear();
    show(lines("again ", static_cast<int>(TerminalHistory::kMaxLines)));
    QVERIFY(same("a clear"));
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
