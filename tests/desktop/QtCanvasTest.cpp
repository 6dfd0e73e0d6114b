// The Qt canvas counted in pixels: lines stop short of their end point, texts sit in the cell
// their alignment names, and the area is the device's logical size unless told otherwise.
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "DesktopTest.h"
#include "desktop/DesktopSupport.h"

namespace orv::test {

namespace {

using Pixels = std::set<std::pair<int, int>>;

constexpr QRgb kPaper = 0xFFFFFFFF;

QImage Paper(int width = 80, int height = 80) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kPaper);
  return image;
}

Pixels Inked(const QImage& image) {
  Pixels out;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != kPaper) out.insert({x, y});
    }
  }
  return out;
}

Pixels Draw(const std::function<void(Canvas&)>& draw) {
  QImage image = Paper();
  QPainter painter(&image);
  QtCanvas canvas(painter);
  canvas.SetPen(PenStyle::Solid, 1, Rgb(0, 0, 0));
  draw(canvas);
  painter.end();
  return Inked(image);
}

Pixels Line(QPoint a, QPoint b, int width = 1) {
  return Draw([&](Canvas& c) {
    c.SetPen(PenStyle::Solid, width, Rgb(0, 0, 0));
    c.MoveTo(a.x(), a.y());
    c.LineTo(b.x(), b.y());
  });
}

// What QPainter itself draws for the whole line, both end points included.
Pixels WholeQtLine(QPoint a, QPoint b) {
  QImage image = Paper();
  QPainter painter(&image);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(a, b);
  painter.end();
  return Inked(image);
}

Pixels Box(int left, int top, int right, int bottom) {
  Pixels out;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) out.insert({x, y});
  }
  return out;
}

// Every ordered pair of printable ASCII characters exactly once, neighbours in one string (a de
// Bruijn sequence of order 2 over the 95 characters, closed back to its start).
std::string EveryPrintablePair() {
  constexpr int k = 95;
  std::string out;
  std::vector<int> a(3, 0);
  std::function<void(int, int)> db = [&](int t, int p) {
    if (t > 2) {
      if (2 % p == 0) {
        for (int i = 1; i <= p; ++i) out += static_cast<char>(0x20 + a[i]);
      }
      return;
    }
    a[t] = a[t - p];
    db(t + 1, p);
    for (int j = a[t - p] + 1; j < k; ++j) {
      a[t] = j;
      db(t + 1, t);
    }
  };
  db(1, 1);
  out += out.front();
  return out;
}

QRect Bounds(const Pixels& pixels) {
  QRect r;
  for (auto [x, y] : pixels) r |= QRect(x, y, 1, 1);
  return r;
}

}  // namespace

class QtCanvasTest : public QObject {
  Q_OBJECT

 private slots:
  void straightLinesStopOnePixelShortOfTheirEnd() {
    QCOMPARE(Line({10, 20}, {20, 20}), Box(10, 20, 20, 21));
    QCOMPARE(Line({20, 20}, {10, 20}), Box(11, 20, 21, 21));
    QCOMPARE(Line({30, 5}, {30, 12}), Box(30, 5, 31, 12));
    QCOMPARE(Line({30, 12}, {30, 5}), Box(30, 6, 31, 13));
    QCOMPARE(Line({40, 40}, {41, 40}), Box(40, 40, 41, 41));
    QVERIFY(Line({40, 40}, {40, 40}).empty());
  }

  // The plus mark the plots draw: half-extent h, 2h pixels in each direction.
  void aPlusMarkOfHalfExtentHIsTwoHPixelsAcross() {
    const int x = 40, y = 30, h = 4;
    const Pixels mark = Draw([&](Canvas& c) {
      c.MoveTo(x - h, y);
      c.LineTo(x + h, y);
      c.MoveTo(x, y - h);
      c.LineTo(x, y + h);
    });
    const QRect bounds = Bounds(mark);
    QCOMPARE(bounds.width(), 2 * h);
    QCOMPARE(bounds.height(), 2 * h);
    QCOMPARE(mark.size(), std::size_t(4 * h - 1));  // the two strokes share the centre
  }

  // Every direction and slope: the pixels of Qt's whole line less the end point, one per step
  // of the major axis.
  void slantedLinesAreTheWholeLineLessItsEndPoint() {
    const QPoint a(40, 40);
    const QPoint offsets[] = {{13, 5}, {-13, 5}, {13, -5}, {-13, -5}, {5, 13}, {-5, 13},
                              {5, -13}, {-5, -13}, {9, 9}, {-9, 9}, {1, 1}, {20, 1}};
    for (QPoint d : offsets) {
      const QPoint b = a + d;
      Pixels expected = WholeQtLine(a, b);
      QVERIFY(expected.erase({b.x(), b.y()}) == 1);
      const Pixels drawn = Line(a, b);
      QVERIFY2(drawn == expected, qPrintable(QString("to %1,%2").arg(d.x()).arg(d.y())));
      QCOMPARE(drawn.size(), std::size_t(std::max(std::abs(d.x()), std::abs(d.y()))));
    }
  }

  // Across the line the pen's width, along it exactly the line's length.
  void aWidePenStillStopsAtTheEndPoint() {
    QCOMPARE(Line({10, 40}, {20, 40}, 3), Box(10, 39, 20, 42));
    QCOMPARE(Line({50, 10}, {50, 30}, 2), Box(49, 10, 51, 30));
  }

  // Texts draw in the text colour and lines, rectangles and ellipses in the pen's, however the
  // two are interleaved; the painter is left with the line pen.
  void textsAndLinesKeepTheirOwnColours() {
    QImage image = Paper(120, 80);
    QPainter painter(&image);
    {
      QtCanvas canvas(painter);
      canvas.SetFont({kFaceSansSerif, 12, 400});
      canvas.SetBackgroundMode(BackgroundMode::Transparent);
      canvas.SetPen(PenStyle::Solid, 1, Rgb(0, 0, 255));
      canvas.SetTextColour(Rgb(255, 0, 0));
      canvas.TextOut(2, 2, "HH");
      canvas.MoveTo(0, 40);
      canvas.LineTo(100, 40);
      canvas.TextOut(2, 50, "HH");
      canvas.SetTextColour(Rgb(0, 160, 0));
      canvas.TextOut(60, 2, "HH");
      canvas.Rectangle(70, 50, 90, 70);
    }
    QCOMPARE(painter.pen().color(), QColor(0, 0, 255));
    painter.end();
    const auto colours = [&](QRect r) {
      std::set<QRgb> out;
      for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
          if (image.pixel(x, y) != kPaper) out.insert(image.pixel(x, y));
        }
      }
      return out;
    };
    QCOMPARE(colours(QRect(0, 40, 100, 1)), std::set<QRgb>{qRgb(0, 0, 255)});
    QCOMPARE(colours(QRect(70, 50, 1, 20)), std::set<QRgb>{qRgb(0, 0, 255)});
    // Glyph pixels are the colour blended with the paper: red text leaves red at full and green
    // and blue equal, green text red and blue equal below green.
    const auto red = [](QRgb p) { return qRed(p) == 255 && qGreen(p) == qBlue(p); };
    const auto green = [](QRgb p) { return qRed(p) == qBlue(p) && qGreen(p) > qRed(p); };
    for (auto [box, tint] : {std::pair{QRect(0, 0, 40, 20), +red}, {QRect(0, 48, 40, 20), +red},
                             {QRect(58, 0, 40, 20), +green}}) {
      const std::set<QRgb> seen = colours(box);
      QVERIFY(!seen.empty());
      for (QRgb c : seen) QVERIFY2(tint(c), qPrintable(QString::number(c, 16)));
    }
  }

  // Opaque text fills exactly its cell: the filled box shows where each alignment put it.
  void textSitsInTheCellItsAlignmentNames() {
    const std::pair<TextAlign, TextVAlign> alignments[] = {
        {TextAlign::Left, TextVAlign::Top},     {TextAlign::Center, TextVAlign::Top},
        {TextAlign::Right, TextVAlign::Top},    {TextAlign::Left, TextVAlign::Bottom},
        {TextAlign::Center, TextVAlign::Bottom}, {TextAlign::Right, TextVAlign::Bottom}};
    for (auto [h, v] : alignments) {
      QImage image = Paper(200, 100);
      QPainter painter(&image);
      QtCanvas canvas(painter);
      canvas.SetFont({kFaceSansSerif, 12, 400});
      canvas.SetBackgroundMode(BackgroundMode::Opaque);
      canvas.SetBackgroundColour(Rgb(255, 0, 0));
      canvas.SetTextColour(Rgb(0, 0, 0));
      canvas.SetTextAlign(h, v);
      canvas.TextOut(100, 50, "Hg 27");
      const TextExtent e = canvas.GetTextExtent("Hg 27");
      painter.end();
      const PixelRect cell = TextCell(100, 50, e, {h, v});
      QCOMPARE(Bounds(Inked(image)), QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top));
      QVERIFY(e.width > 20 && e.height >= 12);
    }
  }

  // Plain ASCII is drawn from each font's glyph table, not shaped: for every font the pages use,
  // every character pair (kerned and joined ones included, which go the shaped way) and a few
  // page texts must come out as the same pixels and the same extent as shaped text.
  void glyphTableTextsMatchShapedTexts() {
    const std::string pairs = EveryPrintablePair();
    QCOMPARE(pairs.size(), std::size_t(95 * 95 + 1));
    std::vector<std::string> texts = {"12:34:56.789", "-122.12345678", "Lat: 37 23' 12.0\" N", "AVA Te ff fi",
                                      "Tracking 12/12", "0x1F 0xFF", " ", "~", ""};
    for (std::size_t at = 0; at + 1 < pairs.size(); at += 47) texts.push_back(pairs.substr(at, 48));
    const FontSpec fonts[] = {{kFaceSansSerif, 10, 400}, {kFaceSansSerif, 10, 700}, {kFaceSansSerif, 10, 800},
                              {kFaceFixed, 8, 0}, {kFaceSansSerif, 12, 400}};
    for (const FontSpec& font : fonts) {
      for (const std::string& text : texts) {
        QImage viaCanvas = Paper(420, 24);
        QImage shaped = Paper(420, 24);
        TextExtent extent;
        {
          QPainter painter(&viaCanvas);
          QtCanvas canvas(painter);
          canvas.SetFont(font);
          canvas.SetBackgroundMode(BackgroundMode::Transparent);
          canvas.SetTextColour(Rgb(0, 0, 0));
          canvas.TextOut(3, 2, text);
          extent = canvas.GetTextExtent(text);
        }
        const QFont qfont = FontFor(font);
        const QFontMetrics m(qfont);
        {
          QPainter painter(&shaped);
          painter.setFont(qfont);
          painter.setPen(Qt::black);
          painter.drawText(3, 2 + m.ascent(), QString::fromStdString(text));
        }
        const QString what = QString("%1 %2 %3: \"%4\"").arg(font.face.c_str()).arg(font.height).arg(font.weight).arg(text.c_str());
        QVERIFY2(viaCanvas == shaped, qPrintable(what));
        QVERIFY2(extent.width == m.horizontalAdvance(QString::fromStdString(text)), qPrintable(what));
        QCOMPARE(extent.height, m.height());
      }
    }
  }

  // Only what a value frame drew goes to the screen, so every pixel it inked must lie in the
  // area the canvas reports: a few shapes (kept as rectangles) and many (one bounding box).
  void everyInkedPixelIsInTheDrawnArea() {
    for (const int copies : {1, 12}) {
      QImage image = Paper(200, 200);
      DrawnArea area;
      {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.TrackDrawn(&area);
        canvas.SetFont({kFaceSansSerif, 10, 700});
        canvas.SetTextColour(Rgb(0, 0, 0));
        canvas.SetBackgroundMode(BackgroundMode::Transparent);
        for (int i = 0; i < copies; ++i) {
          const int d = i * 13;
          canvas.SetTextAlign(TextAlign::Right, TextVAlign::Bottom);
          canvas.TextOut(120 + d % 50, 40 + d, "Wj 12.5");
          canvas.SetPen(PenStyle::Solid, 3, Rgb(0, 0, 255));
          canvas.MoveTo(5, 190 - d);
          canvas.LineTo(60, 150 - d);
          canvas.SetPen(PenStyle::Solid, 1, Rgb(255, 0, 0));
          canvas.SetBrush(Rgb(0, 255, 0));
          canvas.Ellipse(150, 5 + d, 160, 15 + d);
          canvas.FillRect(70 + d / 4, 100, 75 + d / 4, 104, Rgb(9, 9, 9));
          canvas.DrawCornerBitmap(180, 180 - d);
        }
      }
      const QRegion drawn = area.Region();
      QVERIFY(copies == 1 ? drawn.rectCount() > 1 : drawn.rectCount() == 1);
      for (auto [x, y] : Inked(image)) QVERIFY2(drawn.contains(QPoint(x, y)), qPrintable(QString("%1,%2").arg(x).arg(y)));
    }
  }

  void theAreaIsTheDeviceInLogicalPixelsOrWhatItIsTold() {
    QImage image(120, 80, QImage::Format_RGB32);
    {
      QPainter painter(&image);
      QCOMPARE(QtCanvas(painter).GetAreaSize(), (AreaSize{120, 80}));
      QCOMPARE(QtCanvas(painter, AreaSize{600, 800}).GetAreaSize(), (AreaSize{600, 800}));
    }
    QImage sharp(240, 160, QImage::Format_RGB32);
    sharp.setDevicePixelRatio(2);
    QPainter painter(&sharp);
    QCOMPARE(QtCanvas(painter).GetAreaSize(), (AreaSize{120, 80}));
  }
};

ORV_DESKTOP_TEST(QtCanvasTest);

}  // namespace orv::test

#include "QtCanvasTest.moc"
