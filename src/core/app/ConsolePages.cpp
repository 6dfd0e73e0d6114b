// Wiring of the page catalogues to the main frame.
#include "app/ConsolePages.h"

#include "maintenance/AlmanacWindow.h"
#include "windows/CountWindows.h"
#include "windows/NmeaWindows.h"
#include "windows/PageCatalogue.h"

namespace orv {

namespace {

PageContext FrameContext(CMainFrame& frame, CommandSink& sink) {
  PageContext context;
  context.encoder = &frame.encoder();
  context.nmeaEncoder = &frame.nmeaEncoder();
  context.frame = &sink;
  context.forms = &frame.desktop();
  context.boxes = &frame.boxes();
  context.status = &frame;
  return context;
}

}  // namespace

ConsolePages::ConsolePages(CMainFrame& frame, WindowToggles& toggles, CommandSink& sink)
    : MessageWindows({BinaryPageKinds(), LinkPageKinds(), NmeaPageKinds(), MaintenancePageKinds()}, frame.mainDecoder(), frame.secondDecoder(), FrameContext(frame, sink)),
      toggles_(toggles) {
  toggles_.SetDeliveryHook([this](int command, bool on) {
    const WindowCommandInfo* info = FindWindowCommand(command);
    Deliver(command, on, info != nullptr ? info->caption : "");
  });
  toggles_.SetPlacementHook([this](int command, const ScreenRect& stored) {
    const WindowCommandInfo* info = FindWindowCommand(command);
    const std::optional<ScreenRect> defaults = DefaultWindowRect(command);
    Page* p = Open(command, info != nullptr ? info->caption : "");
    if (p == nullptr || !defaults) return stored;
    return FitDefaultRectToPage(stored, *defaults, p->extent());
  });
}

ConsolePages::~ConsolePages() {
  toggles_.SetDeliveryHook(nullptr);
  toggles_.SetPlacementHook(nullptr);
}

}  // namespace orv
