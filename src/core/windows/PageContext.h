// What a message window's page may reach beyond its record: the two encoders it sends through,
// the main frame it posts commands to, the dialogs of its own and the frame state it shows.
// Every member may be absent (a window that sends nothing, a test without a screen).
#pragma once

#include <cstdint>
#include <string>

#include "platform/CommandSink.h"
#include "platform/Desktop.h"
#include "platform/Printing.h"

namespace orv {

class Configuration;
class FrameEncoder;
class NmeaEncoder;

// The main frame's state as pages show it, read at every paint.
class FrameStatus {
 public:
  virtual ~FrameStatus() = default;
  virtual bool mainPortOpen() const = 0;
  virtual std::string mainPortName() const = 0;
  virtual uint32_t mainBaudRate() const = 0;
  // 1 KTX Binary, 0 NMEA.
  virtual int protocolSelector() const = 0;
  virtual bool mainRecording() const = 0;
  // The file the main port is recorded to; empty when none is open.
  virtual std::string mainRecordingPath() const = 0;
};

struct PageContext {
  FrameEncoder* encoder = nullptr;
  NmeaEncoder* nmeaEncoder = nullptr;
  // Receives the commands that open the frame's dialogs, and the window's own toggle.
  CommandSink* frame = nullptr;
  // Runs the dialogs a page opens itself (an interval to ask for, a parameter to set).
  FormRunner* forms = nullptr;
  MessageBoxes* boxes = nullptr;
  const FrameStatus* status = nullptr;
  // The settings record, for the windows that keep settings of their own there (the plot).
  Configuration* config = nullptr;
  // Prints a page's picture or writes it to a PDF file; asks for the files a page writes.
  PagePrinter* printer = nullptr;
  Desktop* files = nullptr;
};

}  // namespace orv
