// The desktop's printing of page pictures: the standard print dialog and a printer, or a PDF
// file written without one.
#pragma once

#include <functional>

#include "platform/Printing.h"

class QPrinter;
class QWidget;

namespace orv {

class QtPagePrinter : public PagePrinter {
 public:
  // Chooses the printer; false when cancelled. The default shows the print dialog.
  using PrinterChoice = std::function<bool(QPrinter& printer)>;

  explicit QtPagePrinter(QWidget* dialogParent = nullptr);
  // Replaces the dialog (a test prints to a PDF file through the printer path).
  void SetPrinterChoice(PrinterChoice choice) { choice_ = std::move(choice); }

  PrintResult PrintPage(const std::string& documentName, const PagePicture& picture) override;
  PrintResult WritePdf(const std::string& path, const std::string& documentName,
                       const PagePicture& picture) override;

 private:
  QWidget* parent_;
  PrinterChoice choice_;
};

}  // namespace orv
