// The page host in the real main window: pages opened and closed through the frame, values
// drawn over the last surface exactly as a full paint would draw them, the popup at the
// click, the RTK caption, and the fault log's menu bar.
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include <cmath>

#include "DesktopTest.h"
#include "ids/CommandIds.h"
#include "desktop/PageHost.h"
#include "protocol/Frame.h"
#include "support/RecordingChannel.h"
#include "util/ByteIo.h"
#include "windows/NavWindows.h"

namespace orv::test {

namespace {
// A message 20 payload with the altitude and latitude the test cares about.
std::vector<uint8_t> Llh(float altitude, double latDeg) {
  std::vector<uint8_t> p(71, 0);
  WriteLe(p, 14, latDeg * 3.141592653589793 / 180.0);
  WriteLe(p, 30, altitude);
  p[66] = 2;
  return p;
}
}  // namespace

class PageHostTest : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void init() { StartWindow(); }
  void cleanup() { StopWindow(); }

  void aPageWindowOpensWithItsPageLinkedAndClosesWithTheSecondCommand() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndXyz);
    QPointer<PageHost> host = qobject_cast<PageHost*>(w.windowHost(cmd::kWndXyz));
    QVERIFY(host != nullptr);
    QCOMPARE(host->windowTitle(), QString("Navigation GPS Solution (ID21)"));
    QVERIFY(host->page() == w.pages().page(cmd::kWndXyz));
    QVERIFY(w.pages().linked(cmd::kWndXyz));

    w.RunCommand(cmd::kWndXyz);
    QTRY_VERIFY(host.isNull());
    QVERIFY(w.pages().page(cmd::kWndXyz) == nullptr);
    QVERIFY(w.frame().mainDecoder().store().links().navigationXyz == nullptr);
    QVERIFY(!w.frame().config().windowOpen(cmd::kWndXyz));
  }

  void closeBoxThenReopenGivesAFreshWindowAndPage() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndLlh);
    QPointer<PageHost> host = qobject_cast<PageHost*>(w.windowHost(cmd::kWndLlh));
    QVERIFY(host != nullptr);
    host->page()->OnCommand(CNavWnd::kRtkModeCommand);
    QCOMPARE(host->windowTitle(), QString("RTK Navigation Window (User Coor) - Msg 20"));

    host->close();  // the close box
    QTRY_VERIFY(host.isNull());
    QTRY_VERIFY(w.pages().page(cmd::kWndLlh) == nullptr);  // the posted command ran
    QVERIFY(w.frame().mainDecoder().store().links().navigation == nullptr);
    QVERIFY(!w.action(cmd::kWndLlh)->isChecked());

    w.RunCommand(cmd::kWndLlh);
    auto* fresh = qobject_cast<PageHost*>(w.windowHost(cmd::kWndLlh));
    QVERIFY(fresh != nullptr);
    QCOMPARE(fresh->windowTitle(), QString("Navigation Window (User Coor) - Msg 20"));
    QVERIFY(!static_cast<CNavWnd*>(fresh->page())->rtkPage());
    QVERIFY(w.action(cmd::kWndLlh)->isChecked());
  }

  // The measurement class serves two windows; each close box reports its own window.
  void eachMeasurementWindowReportsItsOwnClose() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndMeasurements);
    w.RunCommand(cmd::kWndBaseMeasurements);
    QPointer<WindowHost> base = w.windowHost(cmd::kWndBaseMeasurements);
    QVERIFY(qobject_cast<PageHost*>(base.data()) != nullptr);
    base->close();
    QTRY_VERIFY(w.pages().page(cmd::kWndBaseMeasurements) == nullptr);
    QVERIFY(w.frame().secondDecoder().store().links().baseMeasurement == nullptr);
    QVERIFY(w.pages().linked(cmd::kWndMeasurements));
    QVERIFY(w.frame().config().windowOpen(cmd::kWndMeasurements));
    QVERIFY(!w.frame().config().windowOpen(cmd::kWndBaseMeasurements));
  }

  void saveConfigStoresWhereThePageWindowIs() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndReceiverStatus);
    QWidget* host = w.windowHost(cmd::kWndReceiverStatus);
    QVERIFY(host != nullptr);
    host->setGeometry(120, 130, 333, 377);
    QTRY_COMPARE(host->geometry(), QRect(120, 130, 333, 377));
    w.RunCommand(cmd::kSaveConfig);
    QCOMPARE(w.frame().config().windowRect(cmd::kWndReceiverStatus), (ScreenRect{120, 130, 453, 507}));
  }

  // Values drawn over a longer previous value, and after "Clear Data", leave the surface
  // exactly as a full paint of the same record does.
  void updatesLeaveWhatAFullPaintDraws() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndLlh);
    auto* host = qobject_cast<PageHost*>(w.windowHost(cmd::kWndLlh));
    QVERIFY(host != nullptr);
    host->resize(340, 460);
    QTRY_COMPARE(host->surface()->height(), 460);
    host->SurfaceImage();

    Feed(20, Llh(-12345.678f, -73.25));
    const QImage longValue = host->SurfaceImage();
    Feed(20, Llh(1.5f, -12.5));
    const QImage updated = host->SurfaceImage();
    QVERIFY(updated != longValue);
    host->InvalidateAll();
    QCOMPARE(host->SurfaceImage(), updated);

    host->page()->OnCommand(pagecmd::kClearData);
    const QImage cleared = host->SurfaceImage();
    QVERIFY(cleared != updated);
    Feed(20, Llh(250.0f, 45.5));
    const QImage shown = host->SurfaceImage();  // the update path, no full paint
    QVERIFY(shown != cleared);
    host->InvalidateAll();
    QCOMPARE(host->SurfaceImage(), shown);
  }

  void recordsReachTheScreenWithinAFrame() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndLlh);
    auto* host = qobject_cast<PageHost*>(w.windowHost(cmd::kWndLlh));
    QVERIFY(host != nullptr);
    host->resize(340, 460);
    QTRY_COMPARE(host->surface()->height(), 460);
    const QImage before = host->surface()->grab().toImage();
    for (int i = 0; i < 50; ++i) Feed(20, Llh(static_cast<float>(i), 10.0));
    QTRY_VERIFY(host->surface()->grab().toImage() != before);
  }

  void rightClickShowsThePopupAtTheClickAndRunsTheChosenItem() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndLlh);
    auto* host = qobject_cast<PageHost*>(w.windowHost(cmd::kWndLlh));
    QVERIFY(host != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(host));
    const QPoint click(60, 40);
    QStringList texts;
    QPoint shownAt;
    // The popup runs its own loop: a timer plays the user while it is up.
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      user.stop();
      shownAt = menu->pos();
      for (QAction* a : menu->actions()) texts << a->text();
      menu->actions().at(2)->trigger();  // "RTK Mode", as a click on it does
      menu->close();
    });
    user.start(10);
    QTest::mouseClick(host->surface(), Qt::RightButton, {}, click);
    user.stop();
    QCOMPARE(texts, (QStringList{"Continuous", "One Shot", "RTK Mode", "Clear Data"}));
    QCOMPARE(shownAt, host->surface()->mapToGlobal(click));
    QTRY_COMPARE(host->windowTitle(), QString("RTK Navigation Window (User Coor) - Msg 20"));
    std::unique_ptr<QMenu> popup(host->BuildPopup(nullptr));
    QVERIFY(popup->actions().at(2)->isChecked());
  }

  void faultLogHasItsMenuBarAndNoPopup() {
    MainWindow& w = **window;
    RecordingRawDisplay sent;
    w.frame().encoder().AttachRawDisplay(&sent);
    w.RunCommand(cmd::kWndFaultLog);
    auto* host = qobject_cast<PageHost*>(w.windowHost(cmd::kWndFaultLog));
    QVERIFY(host != nullptr);
    QVERIFY(host->pageMenuBar() != nullptr);
    QStringList texts;
    for (QAction* a : host->pageMenuBar()->actions()) texts << a->text();
    QCOMPARE(texts, (QStringList{"Fault Data", "Clear Fault", "Clear Data"}));
    QVERIFY(host->BuildPopup(nullptr) == nullptr);
    host->pageMenuBar()->actions().at(0)->trigger();
    QCOMPARE(sent.transmitted.size(), std::size_t{1});
    QCOMPARE(int(sent.transmitted[0][1]), 41 + 128);
    w.frame().encoder().AttachRawDisplay(nullptr);
  }

  void aPostedDialogCommandReachesTheFrame() {
    MainWindow& w = **window;
    w.RunCommand(cmd::kWndTiming);
    auto* host = qobject_cast<PageHost*>(w.windowHost(cmd::kWndTiming));
    QVERIFY(host != nullptr);
    QCOMPARE(host->windowTitle(), QString("Timing Information (ID113)"));
    host->page()->OnCommand(pagecmd::kSpecific1);  // "Set Parameters"
    QTest::qWait(10);
    QVERIFY(w.commands().OnCommand(cmd::kTimingParameters));
    QVERIFY(log.messages.empty());
  }

 private:
  // Straight into the decoder, as an open input would; the time gate is open while one is.
  void Feed(uint8_t id, const std::vector<uint8_t>& payload) {
    (*window)->frame().mainDecoder().SetTimeGateOpen(1);
    uint8_t frame[kMaxFrameLength];
    const std::size_t n = BuildFrame(id, payload, frame);
    (*window)->frame().mainDecoder().Decode(frame, static_cast<uint32_t>(n));
  }
};

ORV_DESKTOP_TEST(PageHostTest);

}  // namespace orv::test

#include "PageHostTest.moc"
