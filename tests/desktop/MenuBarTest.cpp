// The rendered menu bar of each protocol, the toolbars as created, and the status bar panes.
#include <QFileInfo>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include <algorithm>

#include "DesktopTest.h"
#include "ids/CommandIds.h"

namespace orv::test {

namespace {
bool Contains(const std::vector<std::string>& texts, const std::string& needle) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(needle) != std::string::npos; });
}
}  // namespace

class MenuBarTest : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void init() { StartWindow(); }
  void cleanup() { StopWindow(); }

  void startsInBinaryModeWithTheEditionTitleAndPanes() {
    MainWindow& w = **window;
    QCOMPARE(w.windowTitle(), QString("ORVANTIS QUENMARSH"));
    QCOMPARE(w.PaneText(kPanePort), std::string("COM NONE           "));
    QCOMPARE(w.PaneText(kPaneRecording), std::string(""));
    QCOMPARE(w.PaneText(kPaneMessage), std::string("Ready"));
    const std::vector<std::string> top = TopLevelTexts(w.menuBar());
    QCOMPARE(top, (std::vector<std::string>{"File/&Port", "&View", "&Window", "Tool &Setting", "Xmit &Msg", "&Help"}));
    QVERIFY(Contains(AllItemTexts(w.menuBar()), "Quenmarsh"));
  }

  void switchingProtocolRebuildsTheBar() {
    MainWindow& w = **window;
    w.action(cmd::kSwitchToNmea)->trigger();
    std::vector<std::string> items = AllItemTexts(w.menuBar());
    QVERIFY(!Contains(items, "Quenmarsh"));
    QVERIFY(Contains(items, "GPS Fix Data"));
    QVERIFY(Contains(items, "KTX Window"));
    QVERIFY(!Contains(items, "LLH Solution"));
    QVERIFY(!Contains(items, "Super User"));
    QVERIFY(!Contains(items, "Programming Utility"));
    QCOMPARE(TopLevelTexts(w.menuBar()).size(), std::size_t{6});

    w.action(cmd::kSwitchToKtx)->trigger();
    items = AllItemTexts(w.menuBar());
    QVERIFY(Contains(items, "Quenmarsh"));
    QVERIFY(Contains(items, "LLH Solution"));
    QVERIFY(Contains(items, "&Request All (ID20,22,23, 65)"));
    QVERIFY(!Contains(items, "GPS Fix Data"));
    QVERIFY(!Contains(items, "Super User"));
    QVERIFY(w.action(cmd::kSwitchToKtx)->isChecked());
  }

  void noMenuEndsWithASeparator() {
    QList<QMenu*> menus = (*window)->menuBar()->findChildren<QMenu*>();
    QVERIFY(!menus.isEmpty());
    for (QMenu* m : menus) {
      if (!m->actions().isEmpty()) QVERIFY2(!m->actions().back()->isSeparator(), qPrintable(m->title()));
    }
  }

  void toolbarsAsCreated() {
    MainWindow& w = **window;
    struct Expected {
      int command;
      const char* name;
      const char* title;
      bool visible;
      Qt::ToolBarArea area;
    };
    const Expected expected[] = {
        {cmd::kViewGeneralBar, "GeneralBar", "Help", false, Qt::TopToolBarArea},
        {cmd::kViewToolSettingBar, "ToolSettingBar", "Tool/Setting", false, Qt::TopToolBarArea},
        {cmd::kViewWindowBar, "WindowBar", "Window", true, Qt::LeftToolBarArea},
        {cmd::kViewFilePortBar, "FilePortBar", "File/Port utilities", true, Qt::TopToolBarArea},
        {cmd::kViewUtilityBar, "UtilityBar", "Utility", false, Qt::TopToolBarArea},
        {cmd::kViewQuenmarshBar, "QuenmarshBar", "Quenmarsh", true, Qt::LeftToolBarArea},
    };
    for (const Expected& e : expected) {
      QToolBar* bar = w.toolbar(e.command);
      QVERIFY(bar != nullptr);
      QCOMPARE(bar->objectName(), QString(e.name));
      QCOMPARE(bar->windowTitle(), QString(e.title));
      QCOMPARE(!bar->isHidden(), e.visible);
      QCOMPARE(w.toolBarArea(bar), e.area);
      QCOMPARE(w.action(e.command)->isChecked(), e.visible);
    }
    // Quenmarsh sits below Window: same column, further down.
    QVERIFY(w.toolbar(cmd::kViewQuenmarshBar)->y() > w.toolbar(cmd::kViewWindowBar)->y());
    QCOMPARE(w.toolbar(cmd::kViewQuenmarshBar)->x(), w.toolbar(cmd::kViewWindowBar)->x());
    // Tool/Setting to the right of File/Port once shown.
    w.action(cmd::kViewToolSettingBar)->trigger();
    QVERIFY(!w.toolbar(cmd::kViewToolSettingBar)->isHidden());
    QTRY_VERIFY(w.toolbar(cmd::kViewToolSettingBar)->x() > w.toolbar(cmd::kViewFilePortBar)->x());
    QCOMPARE(w.toolbar(cmd::kViewToolSettingBar)->y(), w.toolbar(cmd::kViewFilePortBar)->y());
    QVERIFY(w.action(cmd::kViewToolSettingBar)->isChecked());
    // Every button has a picture.
    for (QAction* a : w.toolbar(cmd::kViewFilePortBar)->actions()) {
      if (!a->isSeparator()) QVERIFY(!a->icon().isNull());
    }
  }

  // Main-port recording has two items ("Save Incomming &Data" and "Save &Data" > "&Main
  // Port"): each keeps its text, either one toggles the recording, both carry the check mark,
  // and a rebuilt menu bar has the two again, not more.
  void mainPortRecordingHasTwoItemsSharingItsState() {
    MainWindow& w = **window;
    const auto texts = [&] {
      std::vector<std::string> t;
      for (QAction* a : w.menuItems(cmd::kSaveMainPortData)) t.push_back(a->text().toStdString());
      return t;
    };
    QCOMPARE(texts(), (std::vector<std::string>{"Save Incomming &Data", "&Main Port"}));
    log.nextFile = dir->filePath("rec.log").toStdString();
    log.answerForm = [](Form&) { return true; };
    w.menuItems(cmd::kSaveMainPortData)[1]->trigger();
    QVERIFY(QFileInfo::exists(dir->filePath("rec.log")));
    for (QAction* a : w.menuItems(cmd::kSaveMainPortData)) QVERIFY(a->isChecked());
    w.menuItems(cmd::kSaveMainPortData)[0]->trigger();
    for (QAction* a : w.menuItems(cmd::kSaveMainPortData)) QVERIFY(!a->isChecked());
    w.action(cmd::kSwitchToNmea)->trigger();
    w.action(cmd::kSwitchToKtx)->trigger();
    QCOMPARE(texts().size(), std::size_t{2});
  }

  void itemsWithoutAHandlerAreDisabled() {
    MainWindow& w = **window;
    QVERIFY(w.action(cmd::kWndLlh)->isEnabled());
    QVERIFY(!w.action(cmd::kSaveDgpsData)->isEnabled());
  }
};

ORV_DESKTOP_TEST(MenuBarTest);

}  // namespace orv::test

#include "MenuBarTest.moc"
