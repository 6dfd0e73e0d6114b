// The console's set of message window pages: every layer's catalogue of pages, the context
// each page gets from the frame, and the hooks that tie the pages to the frame's window
// commands (created and linked with their window, destroyed when the frame forgets it, opened
// large enough to show their page).
#pragma once

#include "app/MainFrame.h"
#include "app/WindowCommands.h"
#include "windows/MessageWindows.h"

namespace orv {

class ConsolePages : public MessageWindows {
 public:
  // `sink` receives the commands the pages post (the desktop runs them from its event loop);
  // `printer` prints and writes PDF files for the pages that print (none: they cannot).
  ConsolePages(CMainFrame& frame, WindowToggles& toggles, CommandSink& sink, PagePrinter* printer = nullptr);
  ~ConsolePages() override;

 private:
  // The plot's "&Enter Position" runs the "Position" dialog of the receiver commands.
  void AttachPlot(int command, bool on);

  CMainFrame& frame_;
  WindowToggles& toggles_;
};

}  // namespace orv
