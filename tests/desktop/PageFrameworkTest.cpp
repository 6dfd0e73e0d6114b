// The page framework in the Qt page host, with pages written for the test: value updates
// against the real font, the host's menus, the right click, and records that arrive faster
// than the display frame.
#include <QActionGroup>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DesktopTest.h"
#include "desktop/PageHost.h"
#include "windows/Page.h"
#include "windows/PageText.h"

namespace orv::test {

namespace {

constexpr PageSpec kPlainLayout{1, "Test Page", {kFaceSansSerif, 10, 700}, false, {}, {}, 200, 60};

// One value field after a label, padded as the pages pad theirs.
class ValuePage : public Page {
 public:
  ValuePage() : Page(kPlainLayout, PageContext{}) { OnCreate(""); }
  bool hasRecord() const override { return shown_; }
  void Show(std::string value) {
    value_ = std::move(value);
    shown_ = true;
    NotifyValues();
  }

 protected:
  void DrawLabels(Canvas& canvas) override { canvas.TextOut(10, 20, "Count:"); }
  void DrawValues(Canvas& canvas) override { ValueOut(canvas, 70, 20, value_, 12); }
  void ClearRecord() override { shown_ = false; }

 private:
  std::string value_;
  bool shown_ = false;
};

constexpr int kSmall = pagecmd::kSpecific1;
constexpr int kMedium = pagecmd::kSpecific2;
constexpr int kLarge = pagecmd::kSpecific3;
constexpr int kGrid = pagecmd::kSpecific4;
constexpr int kPrint = 33000;
constexpr int kLocked = 33001;

constexpr PopupEntry kFileMenu[] = {PageItem(kPrint, "&Print")};
constexpr PopupEntry kViewMenu[] = {ChoiceItem(kSmall, "&Small", 1), ChoiceItem(kMedium, "&Medium", 1),
                                    ChoiceItem(kLarge, "&Large", 1), Separator(), PageItem(kGrid, "&Grid")};
constexpr PopupEntry kMenuBar[] = {Submenu("&File", kFileMenu), Submenu("&View", kViewMenu), ClearDataItem()};
constexpr PopupEntry kSizeMenu[] = {ChoiceItem(kSmall, "&Small", 1), ChoiceItem(kLarge, "&Large", 1)};
constexpr PopupEntry kPopup[] = {PageItem(kPrint, "&Print"), PageItem(kLocked, "&Locked"), Submenu("Si&ze", kSizeMenu)};

constexpr PageSpec kMenuLayout{1, "Menus", {kFaceSansSerif, 10, 400}, false, {}, kMenuBar, 200, 60};
constexpr PageSpec kPopupLayout{1, "Popup", {kFaceSansSerif, 10, 400}, false, kPopup, {}, 200, 60};

// A page that keeps what it was asked to do: its commands, clears and right clicks in order.
class CommandPage : public Page {
 public:
  explicit CommandPage(const PageSpec& layout = kMenuLayout) : Page(layout, PageContext{}) { OnCreate(""); }
  bool hasRecord() const override { return false; }

  int size = kMedium;
  bool grid = false;
  std::vector<std::string> log;

 protected:
  void DrawLabels(Canvas&) override {}
  void DrawValues(Canvas&) override {}
  void ClearRecord() override { log.push_back("clear"); }
  void OnPageCommand(int command) override {
    log.push_back("command " + std::to_string(command));
    if (command == kGrid) grid = !grid;
    if (command >= kSmall && command <= kLarge) size = command;
  }
  bool IsChecked(int command) const override { return command == size || (command == kGrid && grid); }
  bool IsEnabled(int command) const override { return command != kLocked && command != kPrint; }
  void OnRightClick(int x, int y) override {
    log.push_back("right click " + std::to_string(x) + " " + std::to_string(y));
  }
};

class PopupPage : public CommandPage {
 public:
  PopupPage() : CommandPage(kPopupLayout) {}

 protected:
  bool IsEnabled(int command) const override { return command != kLocked; }
};

// Each record adds a mark, a short stroke at its x, drawn by the next value paint. The whole
// page keeps no marks: whatever shows was drawn by the update path.
class MarkPage : public Page {
 public:
  MarkPage() : Page(kPlainLayout, PageContext{}) { OnCreate(""); }
  bool hasRecord() const override { return true; }
  void Add(int x) { QueueUpdate(pending_, x); }
  int valuePaints = 0;

 protected:
  void DrawLabels(Canvas&) override {}
  void DrawValues(Canvas& canvas) override {
    if (paintingWholePage()) {
      pending_.Clear();
      return;
    }
    ++valuePaints;
    pending_.Drain([&canvas](int x) { canvas.FillRect(x, 20, x + 3, 30, Rgb(200, 0, 0)); });
  }
  void ClearRecord() override {}

 private:
  UpdateQueue<int> pending_{64};
};

QAction* ActionNamed(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions()) {
    if (a->text() == text) return a;
  }
  return nullptr;
}

// Plays the user while a popup is up: `act` gets the popup, which is closed afterwards.
class PopupUser : public QObject {
 public:
  explicit PopupUser(std::function<void(QMenu&)> act) : act_(std::move(act)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      timer_.stop();
      shown = true;
      act_(*menu);
      menu->close();
    });
    timer_.start(10);
  }
  bool shown = false;

 private:
  std::function<void(QMenu&)> act_;
  QTimer timer_;
};

// A page host of its own, the size of the page.
template <typename P>
struct Hosted {
  Hosted() : host(std::make_unique<PageHost>(nullptr, page.command(), page)) {
    host->setAttribute(Qt::WA_DeleteOnClose, false);
    host->resize(page.extent().width, page.extent().height);
    host->show();
  }
  P page;
  std::unique_ptr<PageHost> host;
};

}  // namespace

class PageFrameworkTest : public QObject {
  Q_OBJECT

 private slots:
  // The face's blanks are narrower than its digits: the padding alone would leave "89" behind.
  void aShorterValueLeavesWhatItDrawsOnAFreshSurface() {
    Hosted<ValuePage> updated;
    updated.host->SurfaceImage();
    updated.page.Show("123456789");
    const QImage longValue = updated.host->SurfaceImage();
    updated.page.Show("1");
    const QImage shortValue = updated.host->SurfaceImage();  // the update path
    QVERIFY(shortValue != longValue);

    Hosted<ValuePage> fresh;
    fresh.host->SurfaceImage();
    fresh.page.Show("1");
    QCOMPARE(shortValue, fresh.host->SurfaceImage());  // drawn over an erased surface
    fresh.host->InvalidateAll();
    QCOMPARE(shortValue, fresh.host->SurfaceImage());  // a full paint
  }

  void theMenuBarHasSubmenusExclusiveChoicesAndDirectItems() {
    Hosted<CommandPage> h;
    QMenuBar* bar = h.host->pageMenuBar();
    QVERIFY(bar != nullptr);
    QCOMPARE(TopLevelTexts(bar), (std::vector<std::string>{"&File", "&View", "Clear Data"}));
    QMenu* view = TopLevelMenu(bar, "&View");
    QVERIFY(view != nullptr);
    QStringList texts;
    for (QAction* a : view->actions()) texts << (a->isSeparator() ? "-" : a->text());
    QCOMPARE(texts, (QStringList{"&Small", "&Medium", "&Large", "-", "&Grid"}));
    QAction* small = ActionNamed(view, "&Small");
    QAction* medium = ActionNamed(view, "&Medium");
    QAction* large = ActionNamed(view, "&Large");
    QVERIFY(medium->isChecked() && !small->isChecked() && small->isCheckable());
    QVERIFY(large->actionGroup() != nullptr && large->actionGroup() == small->actionGroup());
    QVERIFY(large->actionGroup()->isExclusive());
    QVERIFY(!ActionNamed(view, "&Grid")->isCheckable());  // no mark while unchecked

    large->trigger();
    QCOMPARE(h.page.log, (std::vector<std::string>{"command " + std::to_string(kLarge)}));
    QVERIFY(large->isChecked() && !medium->isChecked());
    bar->actions().at(2)->trigger();  // "Clear Data", right on the bar
    QCOMPARE(h.page.log.back(), std::string("clear"));
    QCOMPARE(h.page.log.size(), std::size_t{2});
  }

  // The page's state can change without a menu command: a menu reads it as it opens.
  void menuBarMarksAreReadFromThePageWhenAMenuOpens() {
    Hosted<CommandPage> h;
    QMenu* view = TopLevelMenu(h.host->pageMenuBar(), "&View");
    h.page.grid = true;
    h.page.size = kSmall;
    QVERIFY(!ActionNamed(view, "&Grid")->isChecked());
    view->popup(h.host->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(view->isVisible());
    QVERIFY(ActionNamed(view, "&Grid")->isChecked());
    QVERIFY(ActionNamed(view, "&Small")->isChecked());
    QVERIFY(!ActionNamed(view, "&Medium")->isChecked());
    view->close();

    QMenu* file = TopLevelMenu(h.host->pageMenuBar(), "&File");
    QAction* print = ActionNamed(file, "&Print");
    QVERIFY(!print->isEnabled());
    print->trigger();
    QVERIFY(h.page.log.empty());
  }

  void aDisabledPopupItemIsGreyedAndCannotBeChosen() {
    Hosted<PopupPage> h;
    QVERIFY(QTest::qWaitForWindowExposed(h.host.get()));
    std::unique_ptr<QMenu> popup(h.host->BuildPopup(nullptr));
    QVERIFY(popup != nullptr);
    QVERIFY(!ActionNamed(popup.get(), "&Locked")->isEnabled());
    QVERIFY(ActionNamed(popup.get(), "&Print")->isEnabled());

    PopupUser user([](QMenu& menu) { ActionNamed(&menu, "&Locked")->trigger(); });
    QTest::mouseClick(h.host->surface(), Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(user.shown);
    QCOMPARE(h.page.log, (std::vector<std::string>{"right click 20 20"}));
    QVERIFY(!h.page.OnCommand(kLocked));
  }

  void aPopupSubmenusChoiceRunsOnce() {
    Hosted<PopupPage> h;
    QVERIFY(QTest::qWaitForWindowExposed(h.host.get()));
    PopupUser user([](QMenu& menu) { ActionNamed(&menu, "Si&ze")->menu()->actions().at(1)->trigger(); });
    QTest::mouseClick(h.host->surface(), Qt::RightButton, {}, QPoint(5, 6));
    QVERIFY(user.shown);
    QCOMPARE(h.page.log, (std::vector<std::string>{"right click 5 6", "command " + std::to_string(kLarge)}));
    QCOMPARE(h.page.size, kLarge);
  }

  // The page hears of the click before the popup is up, at the click's place on the page.
  void theRightClickIsToldBeforeThePopupShows() {
    Hosted<PopupPage> h;
    QVERIFY(QTest::qWaitForWindowExposed(h.host.get()));
    std::vector<std::string> whenShown;
    QPoint shownAt;
    PopupUser user([&](QMenu& menu) {
      whenShown = h.page.log;
      shownAt = menu.pos();
    });
    QTest::mouseClick(h.host->surface(), Qt::RightButton, {}, QPoint(37, 14));
    QVERIFY(user.shown);
    QCOMPARE(whenShown, (std::vector<std::string>{"right click 37 14"}));
    QCOMPARE(shownAt, h.host->surface()->mapToGlobal(QPoint(37, 14)));
  }

  // Records come faster than the display frame: one value paint, every record's mark on screen.
  void everyRecordWithinOneFrameIsDrawn() {
    Hosted<MarkPage> h;
    QVERIFY(QTest::qWaitForWindowExposed(h.host.get()));
    h.host->SurfaceImage();
    constexpr int kRecords = 12;
    for (int i = 0; i < kRecords; ++i) h.page.Add(10 + 12 * i);
    QCOMPARE(h.page.valuePaints, 0);
    QTRY_COMPARE(h.page.valuePaints, 1);
    QTest::qWait(40);
    QCOMPARE(h.page.valuePaints, 1);
    const QImage screen = h.host->surface()->grab().toImage();
    int marks = 0;
    for (int i = 0; i < kRecords; ++i) marks += screen.pixelColor(11 + 12 * i, 25) == QColor(200, 0, 0);
    QCOMPARE(marks, kRecords);
    QVERIFY(screen.pixelColor(10 + 12 * kRecords + 1, 25) != QColor(200, 0, 0));
  }

  void aPageWithoutPopupItemsStillHearsTheRightClick() {
    Hosted<CommandPage> h;  // a menu bar, no popup
    QVERIFY(QTest::qWaitForWindowExposed(h.host.get()));
    QVERIFY(h.host->BuildPopup(nullptr) == nullptr);
    QTest::mouseClick(h.host->surface(), Qt::RightButton, {}, QPoint(30, 25));
    QCOMPARE(h.page.log, (std::vector<std::string>{"right click 30 25"}));
    QVERIFY(QApplication::activePopupWidget() == nullptr);
  }
};

ORV_DESKTOP_TEST(PageFrameworkTest);

}  // namespace orv::test

#include "PageFrameworkTest.moc"
