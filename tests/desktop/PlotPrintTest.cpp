// The position plot printed headless: "&Print" through the printer path onto a PDF file, and
// "Export PDF..." the same way, each checked with poppler's tools: one page, the range labels
// in its text, and, rasterised, the newest fix black at the page's centre, a cyan fix to its
// right and the outer ring as far from the centre in all four directions.
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "DesktopTest.h"
#include "desktop/PagePrinting.h"
#include "plot/NavPlotWnd.h"
#include "support/FakeDesktop.h"

namespace orv::test {

namespace {

std::string Run(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  const int rc = ::pclose(p);
  if (status != nullptr) *status = rc;
  return out;
}

bool HavePoppler() {
  int status = -1;
  Run("command -v pdfinfo >/dev/null && command -v pdftotext >/dev/null && command -v pdftoppm >/dev/null",
      &status);
  return status == 0;
}

bool IsBlack(QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; }
bool IsCyan(QRgb p) { return qRed(p) < 90 && qGreen(p) > 200 && qBlue(p) > 200; }
// The range circles' steel blue, anti-aliased or not; no mark or label has that tint.
bool IsRing(QRgb p) { return qBlue(p) - qRed(p) > 30 && qGreen(p) < 200 && qBlue(p) < 230; }

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  void Add(int x, int y) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x);
    bottom = std::max(bottom, y);
  }
  bool empty() const { return right < 0; }
  double cx() const { return (left + right) / 2.0; }
  double cy() const { return (top + bottom) / 2.0; }
};

}  // namespace

class PlotPrintTest : public QObject {
  Q_OBJECT

  void CheckPdf(const QString& pdf) {
    const std::string path = pdf.toStdString();
    QVERIFY(QFileInfo(pdf).size() > 0);
    const std::string info = Run("pdfinfo '" + path + "'");
    const std::size_t pages = info.find("Pages:");
    QVERIFY2(pages != std::string::npos, info.c_str());
    QVERIFY2(std::stoi(info.substr(pages + 6)) == 1, info.c_str());
    const std::string text = Run("pdftotext '" + path + "' -");
    for (const char* label : {"100m", "50m", "10m", "Fixes: 2"}) {
      QVERIFY2(text.find(label) != std::string::npos, (std::string(label) + " not in: " + text).c_str());
    }
    const std::string png = path + "-page";
    int status = -1;
    Run("pdftoppm -r 96 -png -singlefile '" + path + "' '" + png + "'", &status);
    QCOMPARE(status, 0);
    QImage page(QString::fromStdString(png + ".png"));
    QVERIFY(!page.isNull());
    const double pageCx = page.width() / 2.0, pageCy = page.height() / 2.0;

    Box black, ring;
    int cyanRight = 0;
    for (int y = 0; y < page.height(); ++y) {
      for (int x = 0; x < page.width(); ++x) {
        const QRgb p = page.pixel(x, y);
        // The newest fix: black near the middle (the labels lie far from it).
        if (IsBlack(p) && std::abs(x - pageCx) < 20 && std::abs(y - pageCy) < 20) black.Add(x, y);
        if (IsRing(p)) ring.Add(x, y);
        if (IsCyan(p) && std::abs(y - pageCy) < 6 && x > pageCx + 20) ++cyanRight;
      }
    }
    QVERIFY(!black.empty());
    QVERIFY2(std::abs(black.cx() - pageCx) <= 1.5 && std::abs(black.cy() - pageCy) <= 1.5,
             qPrintable(QString("newest at %1,%2, page centre %3,%4").arg(black.cx()).arg(black.cy()).arg(pageCx).arg(pageCy)));
    QVERIFY(cyanRight > 10);
    QVERIFY(!ring.empty());
    const double left = black.cx() - ring.left, right = ring.right - black.cx();
    const double up = black.cy() - ring.top, down = ring.bottom - black.cy();
    const QString extents = QString("ring extents %1 %2 %3 %4").arg(left).arg(right).arg(up).arg(down);
    QVERIFY2(std::abs(left - right) <= 1 && std::abs(up - down) <= 1 && std::abs(left - up) <= 1, qPrintable(extents));
    QVERIFY2(left > 200, qPrintable(extents));  // the picture is scaled to the page
  }

  // A cyan (mode 4) fix 50 m east, then the newest at the centre.
  static void AddFixes(CNavPlotWnd& plot) {
    const PlotSettings& s = plot.settings();
    plot.AddPoint(s.centreLatitude, s.centreLongitude + 50 * kPlotNorthFactor / std::cos(s.centreLatitude), 4);
    plot.AddPoint(s.centreLatitude, s.centreLongitude, 2);
  }

 private slots:
  void initTestCase() {
    if (!HavePoppler()) QSKIP("poppler-utils (pdfinfo, pdftotext, pdftoppm) is not installed");
  }

  void printGoesThroughThePrinterPathOntoOnePage() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("printed.pdf");
    QtPagePrinter printer;
    int asked = 0;
    printer.SetPrinterChoice([&](QPrinter& p) {
      ++asked;
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(pdf);
      return true;
    });
    FakeDesktop desk;
    CNavPlotWnd plot(PageContext{.boxes = &desk, .printer = &printer, .files = &desk});
    plot.OnCreate("Navigation Position Window - Msg 20");
    plot.OnCommand(CNavPlotWnd::kShowGrid);
    plot.OnCommand(CNavPlotWnd::kShowCoor);
    AddFixes(plot);
    QVERIFY(plot.OnCommand(CNavPlotWnd::kPrint));
    QCOMPARE(asked, 1);
    QVERIFY(desk.boxes.empty());
    CheckPdf(pdf);
  }

  void exportPdfWritesTheSamePageAndAFailureShowsAStopBox() {
    QTemporaryDir dir;
    QtPagePrinter printer;
    FakeDesktop desk;
    CNavPlotWnd plot(PageContext{.boxes = &desk, .printer = &printer, .files = &desk});
    plot.OnCreate("Navigation Position Window - Msg 20");
    plot.OnCommand(CNavPlotWnd::kShowGrid);
    plot.OnCommand(CNavPlotWnd::kShowCoor);
    AddFixes(plot);
    desk.saveFileAnswer = dir.filePath("exported.pdf").toStdString();
    QVERIFY(plot.OnCommand(CNavPlotWnd::kExportPdf));
    QVERIFY(desk.boxes.empty());
    CheckPdf(dir.filePath("exported.pdf"));

    desk.saveFileAnswer = dir.filePath("no/such/dir/x.pdf").toStdString();
    QVERIFY(plot.OnCommand(CNavPlotWnd::kExportPdf));
    QCOMPARE(desk.boxes.size(), std::size_t{1});
    QCOMPARE(desk.boxes[0].icon, MessageIcon::Stop);
    QVERIFY(desk.boxes[0].text.find("no/such/dir/x.pdf") != std::string::npos);
  }

  // The printer dialog cancelled: nothing printed, nothing said.
  void aCancelledPrintDoesNothing() {
    QtPagePrinter printer;
    printer.SetPrinterChoice([](QPrinter&) { return false; });
    FakeDesktop desk;
    CNavPlotWnd plot(PageContext{.boxes = &desk, .printer = &printer, .files = &desk});
    QVERIFY(plot.OnCommand(CNavPlotWnd::kPrint));
    QVERIFY(desk.boxes.empty());
  }
};

ORV_DESKTOP_TEST(PlotPrintTest);

}  // namespace orv::test

#include "PlotPrintTest.moc"
