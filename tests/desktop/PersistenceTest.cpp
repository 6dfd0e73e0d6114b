// What survives a restart: the toolbar layout and the window placement in the profile, and the
// windows that Save Config marked open.
#include <QSettings>
#include <QToolBar>
#include <QtTest>

#include "DesktopTest.h"
#include "ids/CommandIds.h"

namespace orv::test {

class PersistenceTest : public QObject {
  Q_OBJECT

 private slots:
  void toolbarLayoutAndPlacementSurviveARestart() {
    QTemporaryDir dir;
    ScriptedModal::Log log;
    {
      TestWindow w(dir, log);
      w->show();
      w->setGeometry(120, 90, 700, 500);
      w.window->RunCommand(cmd::kViewUtilityBar);  // shown
      w.window->RunCommand(cmd::kViewWindowBar);   // hidden
      w->addToolBar(Qt::BottomToolBarArea, w->toolbar(cmd::kViewFilePortBar));
      w->close();
    }
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    const QString pos = profile.value("Settings/WindowPos").toString();
    QCOMPARE(pos.split(',').size(), 10);
    QVERIFY(profile.contains("General7.5-Que/State"));

    TestWindow again(dir, log);
    again->show();
    QCOMPARE(again->geometry(), QRect(120, 90, 700, 500));
    QVERIFY(!again->toolbar(cmd::kViewUtilityBar)->isHidden());
    QVERIFY(again->toolbar(cmd::kViewWindowBar)->isHidden());
    QCOMPARE(again->toolBarArea(again->toolbar(cmd::kViewFilePortBar)), Qt::BottomToolBarArea);
    QVERIFY(again->action(cmd::kViewUtilityBar)->isChecked());
    QVERIFY(!again->action(cmd::kViewWindowBar)->isChecked());
  }

  void aMalformedPlacementLeavesTheDefault() {
    QTemporaryDir dir;
    {
      QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
      profile.setValue("Settings/WindowPos", "0,1,2,3");
    }
    ScriptedModal::Log log;
    TestWindow w(dir, log);
    QCOMPARE(w->geometry(), QRect(10, 10, 900, 700));  // the record's position, grown to fit
  }

  // Edges far apart in a damaged profile: the size is worked out without overflowing and kept
  // to what a screen can hold.
  void anExtremePlacementGivesABoundedWindow() {
    QTemporaryDir dir;
    {
      QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
      profile.setValue("Settings/WindowPos", "0,1,0,0,0,0,-2147483648,5,2147483647,400");
    }
    ScriptedModal::Log log;
    TestWindow w(dir, log);
    const QRect g = w->geometry();
    QVERIFY2(g.width() > 0 && g.width() <= 65535, qPrintable(QString::number(g.width())));
    QVERIFY(g.x() >= -65535);
    QCOMPARE(g.height(), 395);
  }

  void savedConfigReopensItsWindowsAtTheirPlaces() {
    QTemporaryDir dir;
    ScriptedModal::Log log;
    {
      TestWindow w(dir, log);
      w->show();
      w.window->RunCommand(cmd::kWndEphemeris);
      w->windowHost(cmd::kWndEphemeris)->setGeometry(300, 200, 260, 190);
      w.window->RunCommand(cmd::kSaveConfig);
      w->close();
    }
    TestWindow again(dir, log);
    again->show();
    QTRY_VERIFY(again->windowHost(cmd::kWndEphemeris) != nullptr);  // posted at start
    QCOMPARE(again->windowHost(cmd::kWndEphemeris)->geometry(), QRect(300, 200, 260, 190));
    QVERIFY(again->action(cmd::kWndEphemeris)->isChecked());
  }
};

ORV_DESKTOP_TEST(PersistenceTest);

}  // namespace orv::test

#include "PersistenceTest.moc"
