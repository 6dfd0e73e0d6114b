// Printing a page's picture: the standard print dialog and one printed page, or the same page
// written to a PDF file without a printer. The page draws its picture on a canvas whose area is
// the printable page (in screen-sized pixels); the desktop scales it to the paper, aspect kept.
#pragma once

#include <functional>
#include <string>

#include "platform/Canvas.h"

namespace orv {

using PagePicture = std::function<void(Canvas& canvas)>;

enum class PrintOutcome { Printed, Cancelled, Failed };

struct PrintResult {
  PrintOutcome outcome = PrintOutcome::Cancelled;
  std::string error;  // what went wrong, for a failure
};

class PagePrinter {
 public:
  virtual ~PagePrinter() = default;
  // Asks for a printer with the standard dialog (all pages only: no page numbers, no
  // selection, no printing to a file); unless cancelled, prints one document of one page
  // named `documentName`. An error while printing aborts the document.
  virtual PrintResult PrintPage(const std::string& documentName, const PagePicture& picture) = 0;
  // The same page as a PDF file at `path`.
  virtual PrintResult WritePdf(const std::string& path, const std::string& documentName,
                               const PagePicture& picture) = 0;
};

}  // namespace orv
