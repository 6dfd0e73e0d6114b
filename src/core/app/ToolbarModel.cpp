// Toolbar definitions.
#include "app/ToolbarModel.h"

#include "ids/CommandIds.h"

namespace orv {

namespace {
using namespace cmd;

constexpr int kGeneralButtons[] = {kAbout};
constexpr int kToolSettingButtons[] = {kProtocol, kClearNvm, 0, kSvDeselection, kChannelDeselection, kMaskAngle, 0,
                                       kOperatingMode, kTimingParameters, kSetDatum, 0, kRestartSystem};
constexpr int kWindowButtons[] = {kWndLlh,       kWndXyz,          kWndPlot,           0,
                                  kWndChannelAssignment, kWndMeasurements, kWndEphemeris, kWndSvStatus,
                                  kWndSvPosition, 0, kWndReceiverStatus, kWndReceivedMessages, kWndDisplayMessages,
                                  kWndTerminal};
constexpr int kFilePortButtons[] = {kSerialPort, kOpenLogFile, kSaveMainPortData, kStop, 0,
                                    kPlaybackRate, kSaveConfig, 0, kAutoConnect};
constexpr int kUtilityButtons[] = {kPortAny, kPortCom1, kPortCom1 + 1, kPortCom1 + 2, kPortCom4, 0,
                                   kBaud2400, kBaud4800, kBaud9600, kBaud19200, kBaud38400, kBaud57600, kBaud115200};
constexpr int kQuenmarshButtons[] = {kFileManagerDialog, kWndFileManager, kDownloadFile, 0,
                                     kWndFileInformation, kWndStatusConfiguration, kWndAlmanac, 0, kPowerControl};

// File/Port and Utility at the top (Tool/Setting and General to the right of File/Port),
// Window at the left with Quenmarsh below it.
const ToolbarDef kToolbars[] = {
    {"GeneralBar", "Help", kViewGeneralBar, false, DockArea::Top, 0, 2, kGeneralButtons},
    {"ToolSettingBar", "Tool/Setting", kViewToolSettingBar, false, DockArea::Top, 0, 1, kToolSettingButtons},
    {"WindowBar", "Window", kViewWindowBar, true, DockArea::Left, 0, 0, kWindowButtons},
    {"FilePortBar", "File/Port utilities", kViewFilePortBar, true, DockArea::Top, 0, 0, kFilePortButtons},
    {"UtilityBar", "Utility", kViewUtilityBar, false, DockArea::Top, 1, 0, kUtilityButtons},
    {"QuenmarshBar", "Quenmarsh", kViewQuenmarshBar, true, DockArea::Left, 0, 1, kQuenmarshButtons},
};

struct BaudButton {
  int command;
  int rate;
};
constexpr BaudButton kBaudButtons[] = {{kBaud2400, 2400},   {kBaud115200, 115200}, {kBaud57600, 57600}, {kBaud38400, 38400},
                                       {kBaud19200, 19200}, {kBaud9600, 9600},     {kBaud4800, 4800}};
}  // namespace

std::span<const ToolbarDef> Toolbars() { return kToolbars; }

const ToolbarDef* FindToolbarByViewCommand(int viewCommand) {
  for (const auto& t : kToolbars) {
    if (t.viewCommand == viewCommand) return &t;
  }
  return nullptr;
}

int BaudButtonRate(int command) {
  for (const auto& b : kBaudButtons) {
    if (b.command == command) return b.rate;
  }
  return 0;
}

}  // namespace orv
