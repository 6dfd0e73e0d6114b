// One page or one image of a picture.
#include "desktop/PictureOutput.h"

#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

#include "desktop/QtCanvas.h"

namespace orv {

namespace {
constexpr int kPdfResolution = 600;
constexpr double kPdfMarginMm = 15.0;
}  // namespace

// The picture is centred on the paper, not on the printable area, whose margins need not be
// equal: its area is the largest one about the paper's centre that the printable area holds.
PrintResult PaintPicturePage(QPagedPaintDevice& device, const PagePicture& picture) {
  QPainter painter;
  if (!painter.begin(&device)) return {PrintOutcome::Failed, "Unable to start printing."};
  const QPageLayout layout = device.pageLayout();
  const int dpi = device.logicalDpiX();
  const QRect paint = layout.paintRectPixels(dpi);
  const QRect full = layout.fullRectPixels(dpi);
  // The paper's centre in the painter's coordinates, which start at the printable area.
  const double centreX = (full.left() + full.right() + 1) / 2.0 - paint.left();
  const double centreY = (full.top() + full.bottom() + 1) / 2.0 - paint.top();
  const double halfWidth = std::min(centreX, device.width() - centreX);
  const double halfHeight = std::min(centreY, device.height() - centreY);
  const double scale = std::max(1.0, dpi / kPictureDpi);
  const AreaSize area{2 * static_cast<int>(std::floor(halfWidth / scale)),
                      2 * static_cast<int>(std::floor(halfHeight / scale))};
  if (area.width <= 0 || area.height <= 0) {
    painter.end();
    return {PrintOutcome::Failed, "The printer's page has no room to print on."};
  }
  painter.translate(centreX - area.width / 2 * scale, centreY - area.height / 2 * scale);
  painter.scale(scale, scale);
  painter.fillRect(0, 0, area.width, area.height, Qt::white);
  QtCanvas canvas(painter, area);
  picture(canvas);
  if (!painter.end()) return {PrintOutcome::Failed, "Unable to finish printing."};
  return {PrintOutcome::Printed, {}};
}

PrintResult WritePicturePdf(const std::string& path, const std::string& title, const PagePicture& picture) {
  const QString file = QString::fromStdString(path);
  QPdfWriter writer(file);
  writer.setResolution(kPdfResolution);
  writer.setTitle(QString::fromStdString(title));
  writer.setCreator("Orvantis");
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                                   QPageLayout::Millimeter));
  PrintResult r = PaintPicturePage(writer, picture);
  if (r.outcome == PrintOutcome::Failed) r.error = "Unable to write '" + path + "'.";
  return r;
}

QImage RenderPictureImage(AreaSize size, const PagePicture& picture) {
  QImage image(std::max(1, size.width), std::max(1, size.height), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QtCanvas canvas(painter);
  picture(canvas);
  painter.end();
  return image;
}

}  // namespace orv
