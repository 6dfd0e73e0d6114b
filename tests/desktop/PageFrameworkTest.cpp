// The page framework in the Qt page host, with pages written for the test: value updates
// against the real font, the host's menus, the right click, and records that arrive faster
// than the display frame.
#include <QApplication>
#include <QImage>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

#include "DesktopTest.h"
#include "desktop/PageHost.h"
#include "windows/Page.h"
#include "windows/PageText.h"

namespace orv::test {

namespace {

constexpr PageSpec kPlainSpec{1, "Test Page", {kFaceSansSerif, 10, 700}, false, {}, {}, 200, 60};

// One value field after a label, padded as the pages pad theirs.
class ValuePage : public Page {
 public:
  ValuePage() : Page(kPlainSpec, PageContext{}) { OnCreate(""); }
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

// A page host of its own, the size of the page.
template <typename P>
struct Hosted {
  Hosted() : host(std::make_unique<PageHost>(nullptr, page.command(), page)) {
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
};

ORV_DESKTOP_TEST(PageFrameworkTest);

}  // namespace orv::test

#include "PageFrameworkTest.moc"
