// Window command table (menu texts and captions) and the toggle.
#include "app/WindowCommands.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "ids/CommandIds.h"

namespace orv {

namespace {
using namespace cmd;
constexpr WindowCommandInfo kWindows[] = {
    {kWndLlh, "LLH Solution", "Navigation Window (User Coor) - Msg 20", nullptr},
    {kWndEphemeris, "Ephemeris", "Ephemeris Window - Msg 22", nullptr},
    {kWndMeasurements, "Measurements", "Measurements Window - Msg 23", nullptr},
    {kWndReceivedMessages, "Received messages", "Received Messages Window", "Show the received messages count"},
    {kWndBaseMeasurements, "Base Measurements", "Base Measurements Window - Msg 23", nullptr},
    {kWndPlot, "&Plot", "Navigation Position Window - Msg 20", "Show Navigation Position Plot\nNav Position Plot"},
    {kWndChannelAssignment, "Channel Assignment", "Channel Assignment Window - Msg 6 & 7", nullptr},
    {kWndXyz, "XYZ Solution", "Navigation GPS Solution - Msg 21", nullptr},
    {kWndPartNumber, "HW/SW Part Number", "HW/SW Configuration - Msg 45", nullptr},
    {kWndDgpsStatus, "DGPS Status", "DGPS Status - Msg 48", nullptr},
    {kWndPredicted, "Predicted Solution Data", "Predicted Solution Data - Msg 18", nullptr},
    {kWndMatched, "Matched Solution Data", "Matched Solution Data - Msg 19", nullptr},
    {kWndBaseStatus, "Base Status", "Base Status - Msg 47", nullptr},
    {kWndWaasStatus, "WAAS Status", "WAAS Status - Msg 68", nullptr},
    {kWndFaultLog, "Fault Log", "Fault Log - Msg 57", nullptr},
    {kWndTerminal, "Terminal", "Terminal", nullptr},
    {kWndSvStatus, "Status", "SVs Status - Msg 33", nullptr},
    {kWndTiming, "Timing Information", "Timing Information - Msg 113", nullptr},
    {kWndSystemProfile, "System Profile", "System Profile - Msg 111", nullptr},
    {kWndReceiverStatus, "Receiver Status", "Receiver Status - Msg 49", nullptr},
    {kWndDisplayMessages, "Display Messages", "Display Messages Window", "Show rx/tx data in hexadecimal"},
    {kWndTerminalAux, "Terminal (A&ux)", "Auxillary Port Data Window", nullptr},
    {kWndFileManager, "&File Manager", "Quenmarsh File Manager Window - Msg 70, Sub ID 1",
     "Quenmarsh File Manager window\nFile Manager"},
    {kWndSvPosition, "Position", "SVs Position - Msg 33", nullptr},
    {kWndSatelliteHealth, "Health", "Satellites Health - Msg 50", nullptr},
    {kWndNmeaReceivedMessages, "Received Messages", "Received NMEA Messages Window", nullptr},
    {kWndNmeaRxParameters, "Receiver Parameters", "Receiver parameters - $PQTLG,908", "NMEA receiver status."},
    {kWndNmeaNavStatus, "Navigation Status", "Navigation status - $PQTLG,900", nullptr},
    {kWndNmeaUserPosition, "User Position", "User position - $PQTLG,907", nullptr},
    {kWndNmeaGga, "GPS Fix Data", "GPS fix data - $GPGGA", nullptr},
    {kWndNmeaGll, "Geographic Position", "Geographic position - $GPGLL", nullptr},
    {kWndNmeaGsa, "DOP && Active SVs", "DOP and active satellites - $GPGSA", nullptr},
    {kWndNmeaGsv, "SVs in View", "GPS satellites in view - $GPGSV", nullptr},
    {kWndNmeaRmc, "Recommended Minimum GPS", "Recommended minimum specific GPS data - $GPRMC", nullptr},
    {kWndNmeaVtg, "Track && Speed", "Track made good and ground speed - $GPVTG", nullptr},
    {kWndNmeaZda, "Time && Date", "Time and date - $GPZDA", nullptr},
    {kWndNmeaSelfTest, "Self-test Results", "Self-test results - $PQTLG,902", nullptr},
    {kWndNmeaRadiobeacon, "Radiobeacon Information", "Radiobeacon information - $PQTLG,903", nullptr},
    {kWndNmeaMss, "Beacon Signal Status", "Beacon receiver signal - $GPMSS", nullptr},
    {kWndNmeaToWaypoint, "To Waypoint", "To waypoint - $PQTLG,906", nullptr},
    {kWndDgpsConfiguration, "DGPS Configuration", "DGPS Configuration Window - Msg 43", nullptr},
    {kWndBeaconRxStatus, "Beacon Rx Status", "Beacon Receiver Status Window - Msg 85", nullptr},
    {kWndDgpsData, "DGPS Data", "RTCM data message retransmission Window - Msg 83", nullptr},
    {kWndBit, "BIT (Build In Test)", "BIT Window - Msg 51", nullptr},
    {kWndMemoryDump, "Memory Dump", "Memory Dump Window - Msg 60, 61 and 62", nullptr},
    {kWndAteController, "Ate Controller", "ATE Controller Window - Msg 2", nullptr},
    {kWndAlmanac, "Almanac", "Quenmarsh Almanac Window - Msg 76", nullptr},
    {kWndFileInformation, "File Information", "Quenmarsh File Status Information  Window - Msg 70, Sub ID 2", nullptr},
    {kWndStatusConfiguration, "Status and Configuration",
     "Quenmarsh Status and Configuration Data Window - Msg 70, Sub ID 3", nullptr},
    {kWndFileHeader, "File Header", "Quenmarsh Standard POINT File Header Data Window - Msg 70, Sub ID 8", nullptr},
    {kWndMemoryInformation, "Memory Information", "Quenmarsh Memory Information Data Window - Msg 70, Sub ID 7", nullptr},
    {kWndAutoLogSummary, "Automatic &Log Summary", "Automatic Log Summary", nullptr},
    {kWndAdConfig, "A/D Config", "Quenmarsh A/D Config Information  Window - Msg 114, Sub ID 1", nullptr},
    {kWndFpuMemoryDump, "FPU Memory Dump", "Quenmarsh FPU Memory Dump  Window - Msg 114, Sub ID 4", nullptr},
    {kWndVelmoraAte, "Velmora ATE Controller", "ATE Velmora Controller Window - Msg 2 Sub 10", nullptr},
    {kWndIonoUtc, "Ionospheric and UTC", "Quenmarsh Ionospheric and UTC Parameters  Window - Msg 75", nullptr},
};
}  // namespace

std::span<const WindowCommandInfo> WindowCommandTable() { return kWindows; }

const WindowCommandInfo* FindWindowCommand(int command) {
  for (const auto& w : kWindows) {
    if (w.command == command) return &w;
  }
  return nullptr;
}

ScreenRect CascadedRect(const ScreenRect& rect, const ScreenRect& mainWindow, int windowsOpen) {
  constexpr int kSteps = 10;
  // Below the main window's title, menu and toolbars.
  constexpr int kLeft = 40;
  constexpr int kTop = 90;
  const int step = (windowsOpen < 0 ? 0 : windowsOpen % kSteps) * kCascadeStep;
  const int64_t left = int64_t{mainWindow.left} + kLeft + step;
  const int64_t top = int64_t{mainWindow.top} + kTop + step;
  const int64_t width = int64_t{rect.right} - rect.left;
  const int64_t height = int64_t{rect.bottom} - rect.top;
  const auto fit = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  return {fit(left), fit(top), fit(left + width), fit(top + height)};
}

bool WindowToggles::Toggle(int command) {
  const WindowCommandInfo* info = FindWindowCommand(command);
  if (info == nullptr) return false;
  const auto it = existing_.find(command);
  if (it == existing_.end()) {
    existing_[command] = true;
    const ScreenRect stored = flags_.windowRect(command);
    ScreenRect rect = placement_ ? placement_(command, stored) : stored;
    const std::optional<ScreenRect> factory = DefaultWindowRect(command);
    const std::optional<ScreenRect> main = geometry_ != nullptr ? geometry_->MainWindowRect() : std::nullopt;
    if (main && factory && stored == *factory) {
      const int others = static_cast<int>(std::count_if(existing_.begin(), existing_.end(), [command](const auto& e) {
        return e.first != command && e.second;
      }));
      rect = CascadedRect(rect, *main, others);
    }
    hosts_.CreateWindowHost(command, info->caption, rect);
    if (delivery_) delivery_(command, true);
    flags_.SetWindowOpen(command, true);
    return true;
  }
  if (delivery_) delivery_(command, false);
  flags_.SetWindowOpen(command, false);
  // A window the user closed is gone already: the frame only forgets it. The frame tracks
  // this itself rather than reading the open flag, which Restore Factory Config clears under
  // open windows; a window left on screen that way could never be closed from the menu.
  const bool alive = it->second;
  existing_.erase(it);
  if (alive) hosts_.DestroyWindowHost(command);
  return true;
}

void WindowToggles::OnHostClosed(int command) {
  const auto it = existing_.find(command);
  if (it == existing_.end() || !it->second) return;
  it->second = false;
  flags_.SetWindowOpen(command, false);
  frame_.PostCommand(command);
}

}  // namespace orv
