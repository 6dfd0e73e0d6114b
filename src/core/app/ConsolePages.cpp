// Wiring of the page catalogues to the main frame.
#include "app/ConsolePages.h"

#include "commands/PositionForm.h"
#include "ids/CommandIds.h"
#include "maintenance/AlmanacWindow.h"
#include "maintenance/InfoWindows.h"
#include "plot/NavPlotWnd.h"
#include "windows/AutoLogSummaryWnd.h"
#include "windows/CountWindows.h"
#include "windows/NmeaWindows.h"
#include "windows/PageCatalogue.h"

namespace orv {

namespace {

PageContext FrameContext(CMainFrame& frame, CommandSink& sink, PagePrinter* printer) {
  PageContext context;
  context.encoder = &frame.encoder();
  context.nmeaEncoder = &frame.nmeaEncoder();
  context.frame = &sink;
  context.forms = &frame.desktop();
  context.boxes = &frame.boxes();
  context.status = &frame;
  context.config = &frame.config();
  context.printer = printer;
  context.files = &frame.desktop();
  return context;
}

}  // namespace

ConsolePages::ConsolePages(CMainFrame& frame, WindowToggles& toggles, CommandSink& sink, PagePrinter* printer)
    : MessageWindows({BinaryPageKinds(), LinkPageKinds(), NmeaPageKinds(), LoggingPageKinds(), MaintenancePageKinds(),
                      PlotPageKinds(), ServicePageKinds()},
                     frame.mainDecoder(), frame.secondDecoder(), FrameContext(frame, sink, printer)),
      frame_(frame), toggles_(toggles) {
  toggles_.SetDeliveryHook([this](int command, bool on) {
    const WindowCommandInfo* info = FindWindowCommand(command);
    // The recorder must not keep the summary page the window is about to destroy.
    if (command == cmd::kWndAutoLogSummary && !on) frame_.SetSummaryWindow(nullptr);
    Deliver(command, on, info != nullptr ? info->caption : "");
    AttachPlot(command, on);
    if (command == cmd::kWndAutoLogSummary && on) {
      frame_.SetSummaryWindow(dynamic_cast<ElapsedTimeLink*>(page(command)));
    }
  });
  toggles_.SetPlacementHook([this](int command, const ScreenRect& stored) {
    const WindowCommandInfo* info = FindWindowCommand(command);
    const std::optional<ScreenRect> defaults = DefaultWindowRect(command);
    Page* p = Open(command, info != nullptr ? info->caption : "");
    if (p == nullptr || !defaults) return stored;
    return FitDefaultRectToPage(stored, *defaults, p->extent());
  });
  toggles_.SetSettingsHook([this] {
    if (auto* plot = dynamic_cast<CNavPlotWnd*>(page(cmd::kWndPlot))) plot->SaveSettings(frame_.config());
  });
}

void ConsolePages::AttachPlot(int command, bool on) {
  if (command != cmd::kWndPlot || !on) return;
  auto* plot = dynamic_cast<CNavPlotWnd*>(page(command));
  if (plot == nullptr) return;
  CMainFrame& frame = frame_;
  plot->SetPositionEntry([&frame](const GeodeticPosition& start) -> std::optional<GeodeticPosition> {
    PositionForm position(start);
    if (!frame.desktop().RunForm(position.form())) return std::nullopt;
    return position.accepted();
  });
}

ConsolePages::~ConsolePages() {
  frame_.SetSummaryWindow(nullptr);
  toggles_.SetDeliveryHook(nullptr);
  toggles_.SetPlacementHook(nullptr);
  toggles_.SetSettingsHook(nullptr);
}

}  // namespace orv
