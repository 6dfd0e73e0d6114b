// A page's picture as one printed page, a PDF file or an image, drawn through the QPainter
// canvas. The printer, "Export PDF..." and the headless plot of the command line all paint the
// page here.
#pragma once

#include <QImage>

#include <string>

#include "platform/Printing.h"

class QPagedPaintDevice;

namespace orv {

// Screen pixels per inch: the picture is drawn on a page as on a screen of this density.
inline constexpr double kPictureDpi = 96.0;

// Paints `picture` as the one page of `device` (a printer or a PDF writer), on white, the
// picture's area being the printable page in screen-sized pixels, centred, aspect kept. An
// error aborts the document.
PrintResult PaintPicturePage(QPagedPaintDevice& device, const PagePicture& picture);
// One A4 portrait page, 15 mm margins, to `path`.
PrintResult WritePicturePdf(const std::string& path, const std::string& title, const PagePicture& picture);
// The picture on a white image of `size` pixels.
QImage RenderPictureImage(AreaSize size, const PagePicture& picture);

}  // namespace orv
