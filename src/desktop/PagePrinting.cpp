// Printing through QPrinter and QPrintDialog.
#include "desktop/PagePrinting.h"

#include <QPrintDialog>
#include <QPrinter>

#include "desktop/PictureOutput.h"

namespace orv {

QtPagePrinter::QtPagePrinter(QWidget* dialogParent) : parent_(dialogParent) {
  // All pages only: no page numbers, no selection, no printing to a file.
  choice_ = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    return dialog.exec() == QDialog::Accepted;
  };
}

PrintResult QtPagePrinter::PrintPage(const std::string& documentName, const PagePicture& picture) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(documentName));
  if (!choice_(printer)) return {PrintOutcome::Cancelled, {}};
  PrintResult r = PaintPicturePage(printer, picture);
  if (r.outcome == PrintOutcome::Failed) printer.abort();
  return r;
}

PrintResult QtPagePrinter::WritePdf(const std::string& path, const std::string& documentName,
                                    const PagePicture& picture) {
  return WritePicturePdf(path, documentName, picture);
}

}  // namespace orv
