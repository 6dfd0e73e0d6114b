// The menu definitions of both protocols and the rules applied when the bar is built.
#include "app/MenuModel.h"

#include <algorithm>

#include "ids/CommandIds.h"
#include "app/WindowCommands.h"

namespace orv {

MenuItem MenuCommand(int id, std::string text, std::string prompt) {
  MenuItem m;
  m.kind = MenuItem::Kind::Command;
  m.id = id;
  m.text = std::move(text);
  m.prompt = std::move(prompt);
  return m;
}

MenuItem MenuPopup(std::string text, MenuItems items) {
  MenuItem m;
  m.kind = MenuItem::Kind::Popup;
  m.text = std::move(text);
  m.items = std::move(items);
  return m;
}

MenuItem MenuSeparator() {
  MenuItem m;
  m.kind = MenuItem::Kind::Separator;
  return m;
}

namespace {

// A window command with the menu text and caption of its table entry.
MenuItem Wnd(int command) {
  const WindowCommandInfo* w = FindWindowCommand(command);
  if (w == nullptr) return MenuCommand(command, "?");
  return MenuCommand(command, w->menuText, w->prompt != nullptr ? w->prompt : std::string("Show the ") + w->caption);
}

MenuItems FilePopupItems() {
  using namespace cmd;
  return {
      MenuCommand(kSerialPort, "Se&rial Port", "Open or close the main serial port\nSerial Port"),
      MenuCommand(kSerialPortOutput, "Serial Port &Output", "Open or close the output port for differential data"),
      MenuCommand(kOpenLogFile, "Open log File", "Play back a log file\nOpen log File"),
      MenuCommand(kOpenSynchronizedLogFiles, "Open &Synchronized Log Files",
                  "Synchronized playback \nInput Base and User Log Files"),
      MenuCommand(kExportTrack, "Export Track...", "Write the track of a log file as GPX, KML, CSV or GeoJSON\nExport Track"),
      MenuCommand(kShareReceiver, "Share with gpsd Clients",
                  "Serve the open port or log to gpsd clients (127.0.0.1:2947) and NMEA consumers (127.0.0.1:10110)\n"
                  "Share with gpsd Clients"),
      MenuCommand(kSaveMainPortData, "Save Incomming &Data", "Record the main port data in a log file\nSave Data"),
      MenuPopup("Save &Data",
                {MenuCommand(kSaveMainPortData, "&Main Port", "Record the main port data in a log file\nSave Data"),
                 MenuCommand(kSaveAuxPortData, "&Aux Port", "Record the aux port data in a log file"),
                 MenuCommand(kAutomaticLogging, "Automatic &Logging", "Record with the standard requests")}),
      MenuCommand(kSaveDgpsData, "Save &DGPS data in File"),
      MenuCommand(kSaveOfflineRtk, "Save Offline &RTK information in File"),
      MenuCommand(kSaveOfflineWaas, "Save Offline WAAS solution in a file"),
      MenuCommand(kPlaybackRate, "&Playback Rate", "Bytes read from a log file per poll\nPlayback Rate"),
      MenuSeparator(),
      MenuCommand(kSaveConfig, "&Save Config", "Save the configuration file\nSave Config"),
      MenuCommand(kRestoreFactoryConfig, "&Restore Factory Config", "Restore the factory settings"),
      MenuSeparator(),
      MenuCommand(kStop, "&Stop", "Close every port and file\nStop"),
      MenuCommand(kExit, "E&xit", "Quit the application\nExit"),
      MenuSeparator(),
      MenuCommand(kAutoConnect, "Auto Connect", "Search the baud rate and protocol of the receiver\nAuto Connect"),
  };
}

MenuItems BaseMenuItems() {
  using namespace cmd;
  return {
      MenuPopup("File/&Port", FilePopupItems()),
      MenuPopup("&View", {MenuPopup("&Toolbars", {MenuCommand(kViewGeneralBar, "General", "Show or hide the Help toolbar"),
                                                  MenuCommand(kViewToolSettingBar, "Tool/Setting", "Show or hide the Tool/Setting toolbar"),
                                                  MenuCommand(kViewWindowBar, "Window", "Show or hide the Window toolbar"),
                                                  MenuCommand(kViewFilePortBar, "File/Port", "Show or hide the File/Port utilities toolbar"),
                                                  MenuCommand(kViewUtilityBar, "Utility", "Show or hide the port and baud toolbar")})}),
      MenuPopup("&Help", {MenuCommand(kHelpTopics, "&Help"),
                          MenuCommand(kAbout, "&About Orvantis...", "Program information\nAbout")}),
  };
}

MenuItems KtxWindowItems() {
  using namespace cmd;
  return {
      Wnd(kWndChannelAssignment),
      MenuPopup("&Messages", {Wnd(kWndReceivedMessages), Wnd(kWndDisplayMessages), Wnd(kWndTerminal), Wnd(kWndTerminalAux)}),
      MenuPopup("&Differential", {Wnd(kWndDgpsStatus), Wnd(kWndDgpsConfiguration), Wnd(kWndDgpsData),
                                  Wnd(kWndBeaconRxStatus), Wnd(kWndBaseStatus), Wnd(kWndBaseMeasurements),
                                  Wnd(kWndWaasStatus)}),
      MenuPopup("&Navigation", {Wnd(kWndLlh), Wnd(kWndXyz), Wnd(kWndPlot), Wnd(kWndPredicted), Wnd(kWndMatched)}),
      MenuPopup("S&atellites", {Wnd(kWndSvStatus), Wnd(kWndSvPosition), Wnd(kWndSatelliteHealth), Wnd(kWndEphemeris),
                                Wnd(kWndMeasurements), Wnd(kWndAlmanac)}),
      MenuPopup("S&tatus", {Wnd(kWndReceiverStatus), Wnd(kWndTiming), Wnd(kWndSystemProfile), Wnd(kWndFaultLog),
                            Wnd(kWndPartNumber), Wnd(kWndAutoLogSummary)}),
      MenuPopup("&Other", {Wnd(kWndBit), Wnd(kWndMemoryDump), Wnd(kWndAteController), Wnd(kWndVelmoraAte),
                           Wnd(kWndAdConfig), Wnd(kWndFpuMemoryDump)}),
  };
}

MenuItems KtxToolSettingItems() {
  using namespace cmd;
  return {
      MenuCommand(kAlmanacDataTransfer, "Almanac Data Transfer",
                  "Command message that initiates a transmitter to GPS receiver data transfer."),
      MenuCommand(kClearNvm, "Clear NVM", "Clear NVM, i/o msg 99"),
      MenuCommand(kChannelDeselection, "Channel Deselection"),
      MenuCommand(kSvDeselection, "SV Deselection"),
      MenuCommand(kMslModel, "MSL Model"),
      MenuCommand(kTropoModel, "Troposphere Model"),
      MenuCommand(kProtocol, "Protocol", "Configure main port mode\nProtocol"),
      MenuCommand(kSwitchToNmea, "Switch to NMEA", "Show the NMEA menus"),
      MenuCommand(kRestartSystem, "Restart System", "Restart the system"),
      MenuPopup("Date/Time and 1PPS", {MenuCommand(kSetDateTime, "Set Date and Time", "Set Date and Time + Force 1 shot 1PPS"),
                                       MenuCommand(kOnePpsEnable, "1PPS Enable"),
                                       MenuCommand(kOnePpsDisable, "1PPS Disable")}),
      MenuCommand(kSetDatum, "Set Datum", "Select the datum used to report the position and define user-defined datum."),
      MenuCommand(kDefaultMessageList, "Default Message List", "Select default KTX messages"),
      MenuCommand(kDgpsConfiguration, "DGPS Configuration", "Set DGPS Config"),
      MenuCommand(kDiffMessageRate, "Differential Message Rate", "Set Differential messages"),
      MenuCommand(kMaskAngle, "Mask Angle", "Set Mask Angle"),
      MenuCommand(kOperatingMode, "Operating Mode", "Operating Mode Setting"),
      MenuCommand(kTimingParameters, "Timing Parameters", "Set Timing Parameters ID:69"),
      MenuPopup("Time Alignment", {MenuCommand(kTimeAlignmentEnable, "Enable"), MenuCommand(kTimeAlignmentDisable, "Disable")}),
      MenuCommand(kTrackSvRequest, "Track SV Request", "Send SV number tracking request ID:95"),
      MenuSeparator(),
      MenuCommand(kProgrammingUtility, "&Programming Utility"),
      MenuSeparator(),
      MenuCommand(kSuperUserSetting, "Super User"),
  };
}

MenuItems KtxXmitItems() {
  using namespace cmd;
  return {
      MenuCommand(kRequestLlh, "LLH Solution (ID20)", "Send LLH solution request ID:20"),
      MenuCommand(kRequestXyz, "XYZ/Debug Solution (ID21)", "Send XYZ solution request ID:21"),
      MenuCommand(kRequestEphemeris, "Ephemeris (ID22)", "Send Ephemeris request ID:22"),
      MenuPopup("Measurement Block (ID23)",
                {MenuCommand(kRequestMeasurement1Hz, "1 Hz", "Send Measurement block request ID:23  (1 Hz)"),
                 MenuCommand(kRequestMeasurement2Hz, "2 Hz", "Send Measurement block request ID:23  (2 Hz)"),
                 MenuCommand(kRequestMeasurement5Hz, "5 Hz", "Send Measurement block request ID:23  (5 Hz)"),
                 MenuCommand(kRequestMeasurement10Hz, "10 Hz", "Send Measurement block request ID:23  (10 Hz)")}),
      MenuCommand(kRequestChannelAssignment, "Channel Assignment (ID6 && 7)", "Send Channel Assignment data request ID:6 and 7"),
      MenuCommand(kRequestDgpsStatus, "DGPS Status (ID48)", "Send DGPS status request ID:48"),
      MenuCommand(kRequestBaseStatus, "Base Status (ID47)", "Send Base status request ID:47"),
      MenuCommand(kRequestPredicted, "Predicted Solution (ID18)", "Send Predicted solution request ID:18"),
      MenuCommand(kRequestMatched, "Matched Solution (ID19)", "Send Matched solution request ID:19"),
      MenuCommand(kRequestWaas, "WAAS Status (ID68)", "Send WAAS status request ID:68"),
      MenuCommand(kRequestTiming, "Timing Status (ID113)", "Send Timing status request ID:113"),
      MenuCommand(kRequestSystemProfile, "System Profile (ID111)", "Send System profile request ID:111"),
      MenuCommand(kRequestReceiverStatus, "Receiver Status (ID49)", "Send Receiver status request ID:49"),
      MenuSeparator(),
      MenuCommand(kRequestAll, "&Request All (ID20,22,23, 65)", "Request all\nRequest All"),
      MenuCommand(kRequestIoMessage, "Request I/O Message", "General message request"),
      MenuSeparator(),
      MenuCommand(kRequestFaultLog, "Fault Log (ID41)", "Send Fault log request ID:41"),
      MenuCommand(kEraseFaultLog, "Erase Fault Log (ID100)", "Erase Fault Log data ID:100"),
      MenuPopup("InitLink", {MenuCommand(kInitLinkOld, "Old Password", "Send an InitLink using the old password"),
                             MenuCommand(kInitLinkNew, "Initlink", "Send an InitLink using the new password")}),
      MenuPopup("ATP BIT Test", {MenuCommand(kBitLevel1, "Level 1"), MenuCommand(kBitLevel1 + 1, "Level 2"),
                                 MenuCommand(kBitLevel1 + 2, "Level 3"), MenuCommand(kBitLevel1 + 3, "Level 4"),
                                 MenuCommand(kBitLevel1 + 4, "Level 5"), MenuCommand(kBitLevel6, "Level 6")}),
      MenuPopup("Advance", {MenuPopup("Memory Access", {MenuCommand(kLoadByte, "Load Byte"),
                                                        MenuCommand(kLoadWord, "Load 32 Bits Word")})}),
      MenuSeparator(),
      MenuCommand(kSuperUserXmit, "Super User"),
  };
}

MenuItems NmeaWindowItems() {
  using namespace cmd;
  return {
      Wnd(kWndNmeaReceivedMessages),
      MenuSeparator(),
      Wnd(kWndNmeaNavStatus),
      Wnd(kWndNmeaUserPosition),
      Wnd(kWndNmeaGga),
      Wnd(kWndNmeaGll),
      Wnd(kWndNmeaGsa),
      Wnd(kWndNmeaGsv),
      Wnd(kWndNmeaRmc),
      Wnd(kWndNmeaVtg),
      Wnd(kWndNmeaZda),
      Wnd(kWndNmeaSelfTest),
      Wnd(kWndNmeaRadiobeacon),
      Wnd(kWndNmeaMss),
      Wnd(kWndNmeaToWaypoint),
      Wnd(kWndNmeaRxParameters),
      MenuSeparator(),
      MenuPopup("KTX Window", {Wnd(kWndDisplayMessages), Wnd(kWndTerminal), Wnd(kWndTerminalAux)}),
  };
}

MenuItems NmeaToolSettingItems() {
  using namespace cmd;
  return {
      MenuCommand(kNmeaClearNvm, "Clear NVM", "Clear NVM, i/o msg 99"),
      MenuPopup("Waypoints",
                {MenuCommand(kNmeaDefineWaypoint, "Define Waypoint", "Define the position of a waypoint in MGRS format."),
                 MenuCommand(kNmeaSelectWaypoint, "Select Active Waypoint",
                             "Selects the active waypoint to be used in subsequent request.")}),
      MenuCommand(kProtocol, "Protocol", "Choose protocol to use in the receiver.\nProtocol"),
      MenuCommand(kSwitchToKtx, "Switch to KTX", "Show the KTX Binary menus"),
      MenuCommand(kNmeaInitialization, "Initialization Data",
                  "Initializes TORWEND OEM with reference UTC date and time and user position."),
      MenuCommand(kNmeaRadiobeacon, "Radiobeacon Command",
                  "Configure the set the frequency and bit rate parameters of the radiobeacon."),
      MenuCommand(kNmeaReceiverParameters, "Receiver Parameters", "Receiver parameter dialog."),
      MenuSeparator(),
      MenuCommand(kSuperUserNmea, "Super User"),
  };
}

MenuItems NmeaXmitItems() {
  using namespace cmd;
  return {
      MenuCommand(kNmeaQueryGga, "Send GPS Fix Data - $GPGGA", "Time, position and fix related data."),
      MenuCommand(kNmeaQueryGll, "Send Geographic Position - $GPGLL",
                  "Latitude an longitude of present position, time of position and status."),
      MenuCommand(kNmeaQueryGsa, "Send DOP and Active SVs - $GPGSA",
                  "Operating mode, satellites used for navigation and DOP values."),
      MenuCommand(kNmeaQueryGsv, "Send SVs in View - $GPGSV",
                  "Number os satellites in view, PRN numbers, elevation, azimuth and SNR values."),
      MenuCommand(kNmeaQueryMss, "Send Beacon Signal Status - $GPMSS",
                  "Information about the signal-to-noise, signal strength, frequency and bit rate form a beacon receiver."),
      MenuCommand(kNmeaQueryRmc, "Send Recommended Minimum GPS - $GPRMC", "Time, date, position, course and speed."),
      MenuCommand(kNmeaQueryVtg, "Send Track and Speed - $GPVTG", "Actual track made good and speed relative to the ground."),
      MenuCommand(kNmeaQueryZda, "Send Time and Date - $GPZDA", "UTC time, date and local time zone."),
      MenuSeparator(),
      MenuCommand(kNmeaQueryNavStatus, "Send Navigation Status - $PQTLG,900",
                  "Provides the current navigation mode and GPS fix quality indicator."),
      MenuCommand(kNmeaSelfTest, "Send Self-test Results - $PQTLG,902", "Results of TORWEND OEM self-test."),
      MenuCommand(kNmeaQueryRadiobeacon, "Send Radiobeacon Information - $PQTLG,903", "Radiobeacon proprietary information."),
      MenuCommand(kNmeaQueryToWaypoint, "Send To Waypoint - $PQTLG,906", "Bearing, distance and delta-elevation to waypoint."),
      MenuCommand(kNmeaQueryUserPosition, "Send User Position - $PQTLG,907",
                  "Current position in MGRS format and UTC time of position."),
      MenuCommand(kNmeaQueryRxParameters, "Send Receiver Parameters - $PQTLG,908", "NMEA receiver status."),
  };
}

MenuItem* FindPopupMutable(MenuItems& items, const std::string& text) {
  for (MenuItem& m : items) {
    if (m.isPopup() && m.text == text) return &m;
  }
  return nullptr;
}

// The Quenmarsh receiver model's items exist only in binary mode.
void AddQuenmarshItems(MenuItems& bar) {
  using namespace cmd;
  if (MenuItem* view = FindPopupMutable(bar, "&View")) {
    if (MenuItem* bars = FindPopupMutable(view->items, "&Toolbars")) {
      bars->items.push_back(MenuCommand(kViewQuenmarshBar, "Quenmarsh", "Show or hide the Quenmarsh toolbar"));
    }
  }
  if (MenuItem* tools = FindPopupMutable(bar, "Tool &Setting")) {
    tools->items.insert(tools->items.begin(),
                        MenuPopup("Quenmarsh", {MenuCommand(kFileManagerDialog, "&File Manager", "Quenmarsh File Manager\nFile Manager"),
                                                MenuCommand(kDownloadFile, "&Download File", "Quenmarsh Download File\nDownload File"),
                                                MenuCommand(kPowerControl, "Power Control", "Power off or restore the configuration")}));
  }
  if (MenuItem* windows = FindPopupMutable(bar, "&Window")) {
    windows->items.push_back(MenuPopup("Quenmarsh", {Wnd(kWndFileManager), Wnd(kWndFileHeader), Wnd(kWndFileInformation),
                                                     Wnd(kWndStatusConfiguration), Wnd(kWndMemoryInformation), Wnd(kWndIonoUtc)}));
  }
}

constexpr int kHidden[] = {cmd::kSuperUserSetting, cmd::kSuperUserXmit, cmd::kSuperUserNmea, cmd::kProgrammingUtility,
                           cmd::kHelpTopics};
constexpr std::size_t kMaxBarItemsForStop = 8;

}  // namespace

MenuItems BaseMenu() { return BaseMenuItems(); }

MenuItems ProtocolPopups(int protocolSelector) {
  if (protocolSelector == kProtocolNmea) {
    return {MenuPopup("&Window", NmeaWindowItems()), MenuPopup("Tool &Setting", NmeaToolSettingItems()),
            MenuPopup("Xmit &Msg", NmeaXmitItems())};
  }
  return {MenuPopup("&Window", KtxWindowItems()), MenuPopup("Tool &Setting", KtxToolSettingItems()),
          MenuPopup("Xmit &Msg", KtxXmitItems())};
}

MenuItems BuildMenuBar(int protocolSelector) {
  MenuItems bar = BaseMenu();
  MenuItems popups = ProtocolPopups(protocolSelector);
  bar.insert(bar.end() - 1, std::make_move_iterator(popups.begin()), std::make_move_iterator(popups.end()));
  if (protocolSelector != kProtocolNmea) AddQuenmarshItems(bar);
  RemoveCommands(bar, HiddenCommands());
  RemoveTrailingSeparators(bar);
  return bar;
}

std::span<const int> HiddenCommands() { return kHidden; }

void RemoveCommands(MenuItems& items, std::span<const int> ids) {
  std::erase_if(items, [&](const MenuItem& m) {
    return m.kind == MenuItem::Kind::Command && std::find(ids.begin(), ids.end(), m.id) != ids.end();
  });
  for (MenuItem& m : items) {
    if (m.isPopup()) RemoveCommands(m.items, ids);
  }
}

void RemoveTrailingSeparators(MenuItems& items) {
  for (MenuItem& m : items) {
    if (m.isPopup()) RemoveTrailingSeparators(m.items);
  }
  while (!items.empty() && items.back().isSeparator()) items.pop_back();
}

bool ApplyStopItem(MenuItems& bar, bool anyStoppableActive) {
  auto isStop = [](const MenuItem& m) { return m.kind == MenuItem::Kind::Command && m.id == cmd::kStop; };
  const auto it = std::find_if(bar.begin(), bar.end(), isStop);
  if (anyStoppableActive && it == bar.end() && bar.size() < kMaxBarItemsForStop) {
    bar.push_back(MenuCommand(cmd::kStop, "&Stop", "Close every port and file\nStop"));
    return true;
  }
  if (!anyStoppableActive && it != bar.end()) {
    bar.erase(it);
    return true;
  }
  return false;
}

const MenuItem* FindCommand(const MenuItems& items, int id) {
  for (const MenuItem& m : items) {
    if (m.kind == MenuItem::Kind::Command && m.id == id) return &m;
    if (m.isPopup()) {
      if (const MenuItem* found = FindCommand(m.items, id)) return found;
    }
  }
  return nullptr;
}

const MenuItem* FindPopup(const MenuItems& items, const std::string& text) {
  for (const MenuItem& m : items) {
    if (!m.isPopup()) continue;
    if (m.text == text) return &m;
    if (const MenuItem* found = FindPopup(m.items, text)) return found;
  }
  return nullptr;
}

std::vector<int> AllCommands(const MenuItems& items) {
  std::vector<int> out;
  for (const MenuItem& m : items) {
    if (m.kind == MenuItem::Kind::Command) out.push_back(m.id);
    if (m.isPopup()) {
      std::vector<int> inner = AllCommands(m.items);
      out.insert(out.end(), inner.begin(), inner.end());
    }
  }
  return out;
}

std::string PlainMenuText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') out += '&';
      if (i + 1 < text.size() && text[i + 1] == '&') ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string PromptStatusText(const std::string& prompt) { return prompt.substr(0, prompt.find('\n')); }

std::string PromptTip(const std::string& prompt) {
  const auto nl = prompt.find('\n');
  return nl == std::string::npos ? std::string() : prompt.substr(nl + 1);
}

}  // namespace orv
