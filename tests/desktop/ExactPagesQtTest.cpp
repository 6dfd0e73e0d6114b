// The exact pages as the Qt canvas paints them, the way the page host does: a whole page on a
// fresh image, then value updates over what is there. What a recording canvas cannot tell:
// which pixels a shorter value leaves, whether rules survive updates, what colour a band is.
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <vector>

#include "DesktopTest.h"
#include "desktop/DesktopSupport.h"
#include "util/ByteIo.h"
#include "windows/SatelliteWindows.h"
#include "windows/TrackingWindows.h"

namespace orv::test {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

class Surface {
 public:
  Surface(Page& page, int width, int height) : page_(page), image_(width, height, QImage::Format_RGB32) {
    image_.fill(kWhite);
  }
  void Whole() {
    QPainter p(&image_);
    QtCanvas canvas(p);
    page_.Paint(canvas);
  }
  void Values() {
    QPainter p(&image_);
    QtCanvas canvas(p);
    page_.PaintValues(canvas);
  }
  QRgb At(int x, int y) const { return image_.pixel(x, y) | 0xFF000000; }
  // The inked pixels of a rectangle, up to but not including right and bottom.
  int Inked(int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) n += At(x, y) != kWhite;
    }
    return n;
  }

 private:
  Page& page_;
  QImage image_;
};

template <typename R>
R Make(const std::vector<uint8_t>& bytes) {
  R r;
  r.Assign(bytes);
  return r;
}

MeasurementBlockRecord Block(int n) {
  std::vector<uint8_t> p(11 + 11 * 12, 0);
  p[2] = static_cast<uint8_t>(n);
  WriteLe(p, 3, 302412.123456);
  for (int i = 0; i < n; ++i) {
    const std::size_t at = 11 + 11 * static_cast<std::size_t>(i);
    p[at] = static_cast<uint8_t>(i + 20);
    p[at + 1] = 199;
    WriteLe<uint32_t>(p, at + 2, 4012345678u);
    WriteLe<uint32_t>(p, at + 6, 3987654321u);
  }
  return Make<MeasurementBlockRecord>(p);
}

std::vector<uint8_t> SvBytes(int elevation, int azimuth, int status) {
  std::vector<uint8_t> p(61, 0);
  p[0] = 1;
  p[1] = static_cast<uint8_t>(4 | status << 5);
  p[2] = static_cast<uint8_t>(elevation);
  WriteLe<uint16_t>(p, 3, static_cast<uint16_t>(azimuth));
  p[5] = 40;
  return p;
}

QRgb Qt(Colour c) { return qRgb(ColourRed(c), ColourGreen(c), ColourBlue(c)); }

}  // namespace

class ExactPagesQtTest : public QObject {
  Q_OBJECT

 private slots:
  void aShorterMeasurementBlockLeavesItsLaterRowsBlank() {
    CMeasWnd page(PageContext{}, false);
    Surface s(page, 260, 210);
    const auto eight = Block(8);
    page.ShowRecord(eight);
    s.Whole();
    QVERIFY(s.Inked(0, 79, 260, 145) > 200);  // rows 4 to 8 are written
    const auto three = Block(3);
    page.ShowRecord(three);
    s.Values();
    QCOMPARE(s.Inked(0, 79, 260, 210), 0);
    QVERIFY(s.Inked(0, 40, 260, 78) > 100);
  }

  void theHealthGridsRulesSurviveValueUpdates() {
    CSatelliteHealthWnd page(PageContext{});
    Surface s(page, 440, 205);
    const auto a = Make<SatelliteHealthRecord>({0x1B, 0xFF, 0, 0x55, 0xAA, 0x1B, 0xE4, 0x00});
    const auto b = Make<SatelliteHealthRecord>({0xE4, 0x00, 0xFF, 0xAA, 0x55, 0x00, 0x1B, 0xFF});
    page.ShowRecord(a);
    s.Whole();
    for (const auto* r : {&b, &a, &b}) {
      page.ShowRecord(*r);
      s.Values();
    }
    for (int top : {20, 120}) {
      for (int x = 20; x < 420; ++x) {
        for (int y : {top + 25, top + 50}) QVERIFY2(s.At(x, y) != kWhite, qPrintable(QString("%1,%2").arg(x).arg(y)));
      }
      for (int x = 45; x < 420; x += 25) {
        for (int y = top; y < top + 75; ++y) QVERIFY2(s.At(x, y) != kWhite, qPrintable(QString("%1,%2").arg(x).arg(y)));
      }
    }
  }

  // The band between the horizon and a 45-degree mask is green across the 30-degree ring;
  // the sky above the mask is white; a dot shows its status colour, not the rings' black pen.
  void theMaskBandIsGreenUpToTheMaskAndDotsShowTheirColour() {
    CShowSVsPositionWnd page(PageContext{});
    Surface s(page, 410, 400);
    const auto svs = Make<SvStatusRecord>(SvBytes(50, 135, 3));
    page.ShowRecord(svs);
    page.OnCommand(CShowSVsPositionWnd::kShowMaskAngleCommand);
    std::vector<uint8_t> status(40, 0);
    WriteLe<uint16_t>(status, 19, 4500);
    const auto mask = Make<ReceiverStatusRecord>(status);
    page.ShowMaskAngle(mask);
    s.Whole();
    const QRgb green = Qt(0x80FF80);
    auto at = [](int elevation, int azimuth) { return *CShowSVsPositionWnd::PlotPoint(elevation, azimuth); };
    for (int elevation : {5, 20, 35, 40}) {
      const SkyPoint p = at(elevation, 45);
      QVERIFY2(s.At(p.x, p.y) == green, qPrintable(QString("elevation %1").arg(elevation)));
    }
    for (int elevation : {50, 70, 80}) {
      const SkyPoint p = at(elevation, 45);
      QVERIFY2(s.At(p.x, p.y) == kWhite, qPrintable(QString("elevation %1").arg(elevation)));
    }
    const SkyPoint dot = at(50, 135);
    QCOMPARE(s.At(dot.x, dot.y), Qt(0xFF0000));
    const auto later = Make<SvStatusRecord>(SvBytes(60, 135, 1));
    page.ShowRecord(later);
    s.Values();
    const SkyPoint next = at(60, 135);
    QCOMPARE(s.At(next.x, next.y), Qt(0x349E2B));
    QCOMPARE(s.At(dot.x, dot.y), Qt(0xFF0000));  // the track stays
  }
};

ORV_DESKTOP_TEST(ExactPagesQtTest);

}  // namespace orv::test

#include "ExactPagesQtTest.moc"
