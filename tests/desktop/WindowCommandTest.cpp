// Window commands in the real main window: hosts created with their caption and rectangle,
// closed by the second command or by the user, and the open flags that follow.
#include <QtTest>

#include "DesktopTest.h"
#include "ids/CommandIds.h"

namespace orv::test {

class WindowCommandTest : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void init() { StartWindow(); }
  void cleanup() { StopWindow(); }

  void commandTwiceOpensThenClosesAndClearsTheFlag() {
    MainWindow& w = **window;
    QAction* llh = w.action(cmd::kWndLlh);
    QVERIFY(llh != nullptr);
    llh->trigger();
    QPointer<WindowHost> host = w.windowHost(cmd::kWndLlh);
    QVERIFY(host != nullptr);
    QVERIFY(host->isVisible());
    QCOMPARE(host->windowTitle(), QString("Navigation Window (User Coor) - Msg 20"));
    QCOMPARE(host->parentWidget(), static_cast<QWidget*>(&w));  // owned by the main window
    // The default rectangle is smaller than the page: the window opens as large as the page.
    const ScreenRect r = w.frame().config().windowRect(cmd::kWndLlh);
    const PageExtent page = w.pages().page(cmd::kWndLlh)->extent();
    QVERIFY(r.right - r.left < page.width && r.bottom - r.top < page.height);
    // Its rectangle is the factory one: it opens cascaded from the main window, at its size.
    const ScreenRect main = *w.MainWindowRect();
    QCOMPARE(host->geometry(), QRect(main.left + 40, main.top + 90, page.width, page.height));
    QVERIFY(w.frame().config().windowOpen(cmd::kWndLlh));
    QVERIFY(llh->isChecked());

    llh->trigger();
    QTRY_VERIFY(host.isNull());
    QVERIFY(w.windowHost(cmd::kWndLlh) == nullptr);
    QVERIFY(!w.frame().config().windowOpen(cmd::kWndLlh));
    QVERIFY(!llh->isChecked());
  }

  // A rectangle the user left (saved by Save Config) is kept even when it cuts the page.
  void aStoredRectangleOtherThanTheDefaultIsKept() {
    MainWindow& w = **window;
    w.frame().config().SetWindowRect(cmd::kWndLlh, {40, 50, 240, 150});
    w.RunCommand(cmd::kWndLlh);
    QCOMPARE(w.windowHost(cmd::kWndLlh)->geometry(), QRect(40, 50, 200, 100));
  }

  void closingTheWindowItselfClearsTheFlagAndTheNextCommandOpensAnew() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndTerminal);
    QPointer<WindowHost> host = w.windowHost(cmd::kWndTerminal);
    QVERIFY(host != nullptr);
    host->close();  // the close box
    QTRY_VERIFY(host.isNull());
    QVERIFY(!w.frame().config().windowOpen(cmd::kWndTerminal));
    QTRY_VERIFY(!w.commands().windows().exists(cmd::kWndTerminal));  // the posted command ran
    QVERIFY(!w.action(cmd::kWndTerminal)->isChecked());

    w.RunCommand(cmd::kWndTerminal);
    QVERIFY(w.windowHost(cmd::kWndTerminal) != nullptr);
    QCOMPARE(w.windowHost(cmd::kWndTerminal)->windowTitle(), QString("Terminal"));
  }

  void requestItemAsksForTheModeUnderItsOwnCaption() {
    MainWindow& w = **window;
    log.answerForm = [](Form&) { return false; };
    w.action(cmd::kRequestWaas)->trigger();
    QCOMPARE(log.formCaptions, std::vector<std::string>{"WAAS Status Request (68)"});
  }
};

ORV_DESKTOP_TEST(WindowCommandTest);

}  // namespace orv::test

#include "WindowCommandTest.moc"
