// Command handlers and item states of the main window.
#include "app/FrameCommands.h"

#include <algorithm>

#include "ids/CommandIds.h"
#include "app/MainFrame.h"
#include "app/ReceiverShare.h"
#include "app/ToolbarModel.h"
#include "app/TrackExportCommand.h"
#include "commands/CommandDialogs.h"
#include "commands/NmeaCommandDialogs.h"
#include "geodesy/DatumForm.h"
#include "maintenance/FileManager.h"
#include "util/Format.h"

namespace orv {

namespace {
using namespace cmd;

constexpr RequestCommand kRequests[] = {
    {kRequestLlh, 20, "LLH Solution Request (20)"},
    {kRequestXyz, 21, "XYZ Solution Request (21)"},
    {kRequestEphemeris, 22, "Ephemeris Request (22)"},
    {kRequestChannelAssignment, 6, "Channel Assignment Request (6)"},
    {kRequestDgpsStatus, 48, "DGPS Status Request (48)"},
    {kRequestBaseStatus, 47, "Base Status Request (47)"},
    {kRequestPredicted, 18, "Predicted Solution Request (18)"},
    {kRequestMatched, 19, "Matched Solution Request (19)"},
    {kRequestWaas, 68, "WAAS Status Request (68)"},
    {kRequestTiming, 113, "Timing Status Request (113)"},
    {kRequestSystemProfile, 111, "Sys. Profile Request (111)"},
    {kRequestReceiverStatus, 49, "Receiver Status Request (49)"},
};

// Measurement block requests go out Continuous without a dialog.
struct FixedRequest {
  int command;
  int requestCode;
  RequestMode mode;
};
constexpr FixedRequest kFixedRequests[] = {
    {kRequestMeasurement1Hz, 23, kContinuous},   {kRequestMeasurement2Hz, 1023, kContinuous},
    {kRequestMeasurement5Hz, 2023, kContinuous}, {kRequestMeasurement10Hz, 3023, kContinuous},
    {kRequestFaultLog, 41, kContinuous},         {kEraseFaultLog, 100, kOneShot},
    {kInitLinkOld, 63, kOneShot},                {kInitLinkNew, 1063, kOneShot},
};

// NMEA one-shot queries: the three-letter code of the wanted sentence.
struct NmeaQuery {
  int command;
  const char* code;
};
constexpr NmeaQuery kNmeaQueries[] = {
    {kNmeaQueryGga, "GGA"}, {kNmeaQueryGll, "GLL"}, {kNmeaQueryGsa, "GSA"}, {kNmeaQueryGsv, "GSV"},
    {kNmeaQueryMss, "MSS"}, {kNmeaQueryRmc, "RMC"}, {kNmeaQueryVtg, "VTG"}, {kNmeaQueryZda, "ZDA"},
    {kNmeaQueryNavStatus, "900"}, {kNmeaQueryRadiobeacon, "903"}, {kNmeaQueryToWaypoint, "906"},
    {kNmeaQueryUserPosition, "907"}, {kNmeaQueryRxParameters, "908"},
};

constexpr uint32_t kProtocolRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr char kForceKtxButton[] = "Force to KTX protocol at 9600 bauds";
constexpr char kProtocolCaption[] = "Configure main port mode";


// Commands with a handler besides the window commands and the request tables.
constexpr int kHandled[] = {kSerialPort,     kSerialPortOutput, kAutoConnect,         kOpenLogFile,
                            kPlaybackRate,   kSaveConfig,       kRestoreFactoryConfig, kStop,
                            kExit,           kAbout,            kSwitchToKtx,          kSwitchToNmea,
                            kProtocol,       kRequestAll,       kViewGeneralBar,       kViewWindowBar,
                            kViewToolSettingBar, kViewFilePortBar, kViewQuenmarshBar,  kViewUtilityBar,
                            kSetDatum,       kAlmanacDataTransfer, kDownloadFile, kFileManagerDialog,
                            // Recording.
                            kSaveMainPortData, kSaveAuxPortData, kAutomaticLogging,
                            // Synchronized playback.
                            kOpenSynchronizedLogFiles};
}  // namespace

std::span<const RequestCommand> RequestCommands() { return kRequests; }
std::vector<uint32_t> ProtocolCurrentRates(uint32_t storedBaud) {
  std::vector<uint32_t> rates(std::begin(kProtocolRates), std::end(kProtocolRates));
  if (storedBaud > 0 && std::find(rates.begin(), rates.end(), storedBaud) == rates.end()) {
    rates.insert(std::upper_bound(rates.begin(), rates.end(), storedBaud), storedBaud);
  }
  return rates;
}

namespace {
// The combo box entries of `rates`, and the index of `baud` among them (else that of 9600).
std::pair<std::vector<std::string>, int> RateChoices(std::span<const uint32_t> rates, uint32_t baud) {
  std::vector<std::string> texts;
  int selected = -1, fallback = 0;
  for (std::size_t i = 0; i < rates.size(); ++i) {
    texts.push_back(Format("%u", rates[i]));
    if (rates[i] == baud) selected = static_cast<int>(i);
    if (rates[i] == 9600) fallback = static_cast<int>(i);
  }
  return {std::move(texts), selected >= 0 ? selected : fallback};
}
}  // namespace

Form MakeRequestModeForm(const std::string& caption) {
  Form f(caption);
  f.AddRadioGroup(kRequestModeGroup, "", {"One Shot", "Continuous"}, 1);
  f.AddOkCancel();
  return f;
}

Form MakeProtocolForm(int currentSelector, uint32_t currentBaud, bool& forced) {
  Form f(kProtocolCaption);
  // What the receiver runs now, preset from the configuration: the user corrects it when the
  // receiver was left in another mode or rate.
  const int modeIndex = currentSelector == kProtocolNmea ? 1 : 0;
  f.AddRadioGroup(kProtocolCurrentMode, "Current mode", {"KTX Binary", "NMEA"}, modeIndex);
  auto [current, currentIndex] = RateChoices(ProtocolCurrentRates(currentBaud), currentBaud);
  f.AddCombo(kProtocolCurrentRate, "Current baud rate", std::move(current), currentIndex);
  f.AddRadioGroup(kProtocolDesiredMode, "Desired mode", {"KTX Binary", "NMEA"}, modeIndex);
  auto [desired, desiredIndex] = RateChoices(kProtocolRates, currentBaud);
  f.AddCombo(kProtocolDesiredRate, "Desired baud rate", std::move(desired), desiredIndex);
  f.AddOkCancel();
  f.AddButton(kProtocolForceKtx, kForceKtxButton, FormAction::Cancel);
  forced = false;
  f.OnButton(kProtocolForceKtx, [&forced](Form&) {
    forced = true;
    return FormAction::Cancel;
  });
  return f;
}

FrameCommands::FrameCommands(CMainFrame& frame, ShellHost& host)
    : frame_(frame), host_(host), windows_(frame.config(), host, host), configFile_(frame.config()) {
  windows_.SetGeometry(&host);
  bar_ = BuildMenuBar(frame_.config().protocolSelector() == 0 ? kProtocolNmea : kProtocolKtx);
  ApplyStopItem(bar_, frame_.AnyStoppableActive());
  // Auto Connect and the forced switch to KTX run "Switch to KTX" and "Switch to NMEA" as
  // menu commands, so that the menus follow.
  frame_.SetCommandRunner([this](int id) { return OnCommand(id); });
  // Stop and the inputs that replace the aux port close its window as its own command would.
  frame_.SetCloseAuxWindow([this] {
    if (windows_.exists(kWndTerminalAux)) ToggleAuxWindow();
  });
}

FrameCommands::~FrameCommands() {
  frame_.SetCommandRunner(nullptr);
  frame_.SetCloseAuxWindow(nullptr);
}

bool FrameCommands::IsWindowCommand(int id) const { return FindWindowCommand(id) != nullptr; }

bool FrameCommands::HasHandler(int id) const {
  if (IsWindowCommand(id) || IsCommandDialog(id) || IsNmeaCommandDialog(id)) return true;
  if (std::find(std::begin(kHandled), std::end(kHandled), id) != std::end(kHandled)) return true;
  if (id == kExportTrack) return true;
  if (id == kShareReceiver) return true;
  for (const auto& r : kRequests) {
    if (r.command == id) return true;
  }
  for (const auto& r : kFixedRequests) {
    if (r.command == id) return true;
  }
  for (const auto& q : kNmeaQueries) {
    if (q.command == id) return true;
  }
  return id == cmd::kNmeaSelfTest || (id >= kBitLevel1 && id <= kBitLevel6) || IsUtilityButton(id);
}

bool FrameCommands::OnCommand(int id) {
  if (id == kWndTerminalAux) return ToggleAuxWindow();
  if (windows_.Toggle(id)) return true;
  if (RunFileCommand(id) || RunRequestCommand(id) || RunUtilityCommand(id)) return true;
  if (const ToolbarDef* bar = FindToolbarByViewCommand(id)) {
    host_.SetToolbarVisible(id, !host_.IsToolbarVisible(bar->viewCommand));
    return true;
  }
  switch (id) {
    case kSwitchToKtx:
      SwitchProtocol(kProtocolKtx);
      return true;
    case kSwitchToNmea:
      SwitchProtocol(kProtocolNmea);
      return true;
    case kProtocol:
      RunProtocolDialog();
      return true;
    case kAbout:
      host_.ShowAbout();
      return true;
    case kAlmanacDataTransfer:
      frame_.OnAlmanacDataTransfer();
      return true;
    case kDownloadFile:
      frame_.OnDownloadFile();
      return true;
    case kFileManagerDialog:
      RunFileOperation(frame_.desktop(), frame_.config(), frame_.encoder());
      return true;
    case kSetDatum: {
      DatumForm dialog(frame_.config());
      if (frame_.desktop().RunForm(dialog.form()) && dialog.accepted()) frame_.encoder().SendDatum(*dialog.accepted());
      return true;
    }
    default:
      return RunCommandDialog(id, frame_.desktop(), frame_.encoder()) ||
             RunNmeaCommandDialog(id, frame_.desktop(), frame_.nmeaEncoder(), &frame_.mainDecoder().nmea().rxParam());
  }
}

bool FrameCommands::RunFileCommand(int id) {
  switch (id) {
    case kSerialPort:
      frame_.OnMainPortCommand();
      RefreshStopItem();
      return true;
    case kSerialPortOutput:
      frame_.OnOutputPortCommand();
      RefreshStopItem();
      return true;
    case kAutoConnect:
      frame_.OnAutoConnect();
      RefreshStopItem();
      return true;
    case kOpenLogFile:
      frame_.OnOpenLogFile();
      RefreshStopItem();
      return true;
    case kPlaybackRate:
      frame_.OnPlaybackRate();
      return true;
    case kOpenSynchronizedLogFiles:
      frame_.OnOpenSynchronizedLogFiles();
      RefreshStopItem();
      return true;
    case kSaveMainPortData:
      frame_.OnSaveMainPortData();
      RefreshStopItem();
      return true;
    case kSaveAuxPortData:
      frame_.OnSaveAuxPortData();
      RefreshStopItem();
      return true;
    case kAutomaticLogging:
      frame_.OnAutomaticLogging();
      RefreshStopItem();
      return true;
    case kStop:
      frame_.OnStop();
      RefreshStopItem();
      return true;
    case kExit:
      host_.Quit();
      return true;
    case kSaveConfig:
      windows_.StoreWindowSettings();
      configFile_.SaveConfiguration(&host_, true);
      return true;
    case kRestoreFactoryConfig:
      configFile_.RestoreFactoryConfiguration();
      return true;
    case kShareReceiver:
      frame_.share().Toggle();
      return true;
    case kExportTrack:
      if (lastExportLog_.empty()) lastExportLog_ = frame_.lastLogPath();
      RunExportTrack(frame_.desktop(), frame_.config().protocolSelector() == 0 ? 0 : 1, lastExportLog_);
      return true;
    default:
      return false;
  }
}

bool FrameCommands::RunRequestCommand(int id) {
  FrameEncoder& encoder = frame_.encoder();
  for (const auto& r : kRequests) {
    if (r.command != id) continue;
    Form form = MakeRequestModeForm(r.caption);
    if (frame_.desktop().RunForm(form)) {
      encoder.SendRequest(r.requestCode, form.Selected(kRequestModeGroup) == 0 ? kOneShot : kContinuous);
    }
    return true;
  }
  for (const auto& r : kFixedRequests) {
    if (r.command != id) continue;
    encoder.SendRequest(r.requestCode, r.mode);
    return true;
  }
  if (id == kRequestAll) {
    encoder.SendRequestAll();
    return true;
  }
  for (const auto& q : kNmeaQueries) {
    if (q.command != id) continue;
    frame_.nmeaEncoder().SendQuery(q.code);
    return true;
  }
  if (id == cmd::kNmeaSelfTest) {
    frame_.nmeaEncoder().SendSelfTest();
    return true;
  }
  if (id >= kBitLevel1 && id <= kBitLevel6) {
    encoder.SendBitRequest(static_cast<uint8_t>(id - kBitLevel1 + 1));
    return true;
  }
  return false;
}

// The Utility toolbar's baud and port buttons.
bool FrameCommands::RunUtilityCommand(int id) {
  if (!frame_.OnUtilityButton(id)) return false;
  RefreshStopItem();
  return true;
}

bool FrameCommands::IsUtilityButton(int id) {
  return BaudButtonRate(id) != 0 || id == kPortAny || (id >= kPortCom1 && id <= kPortCom4);
}

// The aux data window shows the aux port: opening it asks for the port first, and without
// one the window stays closed; closing it closes the port.
bool FrameCommands::ToggleAuxWindow() {
  if (!windows_.exists(kWndTerminalAux)) {
    if (!frame_.OpenAuxPortFromDialog()) return true;
  } else {
    frame_.StopInput(7);
    frame_.KillPollTimerIfIdle();
  }
  windows_.Toggle(kWndTerminalAux);
  return true;
}

CommandState FrameCommands::State(int id) const {
  CommandState s;
  s.enabled = HasHandler(id);
  const MainFrameState& st = frame_.state();
  if (IsWindowCommand(id)) {
    s.checked = windows_.isOpen(id);
  } else if (FindToolbarByViewCommand(id) != nullptr) {
    s.checked = host_.IsToolbarVisible(id);
  } else if (IsUtilityButton(id)) {
    s.checked = frame_.UtilityButtonPressed(id);
  } else {
    switch (id) {
      case kStop:
        // Shown pressed while nothing runs.
        s.checked = !frame_.AnyStoppableActive();
        break;
      case kSerialPort:
        s.checked = st.mainPortOpen != 0;
        break;
      case kSerialPortOutput:
        s.checked = st.outputPortOpen != 0;
        break;
      case kOpenLogFile:
        s.checked = st.playbackActive != 0;
        break;
      case kShareReceiver:
        // Offered while a port or a log is open, and while sharing (to stop it).
        s.checked = frame_.share().active();
        s.enabled = s.checked || st.mainPortOpen != 0 || st.playbackActive != 0;
        break;
      case kOpenSynchronizedLogFiles:
        s.checked = st.syncPlaybackActive != 0;
        break;
      case kSaveMainPortData:
        s.checked = st.mainRecording != 0;
        break;
      case kSaveAuxPortData:
        s.checked = st.auxRecording != 0;
        break;
      case kAutomaticLogging:
        s.checked = st.autoLogActive != 0;
        break;
      case kSwitchToKtx:
        s.checked = frame_.config().protocolSelector() != 0;
        break;
      case kSwitchToNmea:
        s.checked = frame_.config().protocolSelector() == 0;
        break;
      default:
        break;
    }
  }
  return s;
}

void FrameCommands::LoadConfiguration(const std::string& path, std::optional<ScreenRect> screen) {
  configFile_.SetPath(path);
  configFile_.SetScreen(screen);
  configFile_.LoadConfiguration(&host_);
  frame_.mainDecoder().SetProtocolSelector(frame_.config().protocolSelector() == 0 ? 0 : 1);
  RebuildMenuBar();
}

void FrameCommands::RebuildMenuBar() {
  bar_ = BuildMenuBar(frame_.config().protocolSelector() == 0 ? kProtocolNmea : kProtocolKtx);
  ApplyStopItem(bar_, frame_.AnyStoppableActive());
  host_.MenusChanged();
}

void FrameCommands::RefreshStopItem() {
  if (ApplyStopItem(bar_, frame_.AnyStoppableActive())) host_.MenusChanged();
}

void FrameCommands::SwitchProtocol(int selector) {
  const int32_t value = selector == kProtocolNmea ? 0 : 1;
  frame_.config().SetProtocolSelector(value);
  frame_.mainDecoder().SetProtocolSelector(static_cast<uint32_t>(value));
  RebuildMenuBar();
}

void FrameCommands::OpenMainPort(const std::string& name, uint32_t baud) {
  frame_.StopInput(2);
  frame_.KillPollTimerIfIdle();
  frame_.config().SetMainPortName(name);
  frame_.config().SetMainBaudRate(static_cast<int32_t>(baud));
  frame_.ChangeMainBaud(baud);
  frame_.desktop().SetTitle(name + " - " + Format("(%d) - ", static_cast<int>(baud)) + kEditionTitle);
  RefreshStopItem();
}

void FrameCommands::CloseMainPort() {
  frame_.mainDecoder().SetTimeGateOpen(0);
  frame_.RestoreTitle();
  frame_.StopInput(2);
  frame_.KillPollTimerIfIdle();
  RefreshStopItem();
}

void FrameCommands::RunProtocolDialog() {
  const Configuration& c = frame_.config();
  bool forced = false;
  Form form = MakeProtocolForm(c.protocolSelector() == 0 ? kProtocolNmea : kProtocolKtx,
                               static_cast<uint32_t>(c.mainBaudRate()), forced);
  const bool ok = frame_.desktop().RunForm(form);
  if (forced) {
    frame_.ForceKtxAt9600();
    return;
  }
  if (!ok) return;
  const auto mode = [&](int id) { return form.Selected(id) == 1 ? kProtocolNmea : kProtocolKtx; };
  const auto rate = [&](int id, std::span<const uint32_t> rates) {
    return rates[static_cast<std::size_t>(std::clamp(form.Selected(id), 0, static_cast<int>(rates.size()) - 1))];
  };
  const std::vector<uint32_t> currentRates = ProtocolCurrentRates(static_cast<uint32_t>(c.mainBaudRate()));
  ApplyProtocolChoice(mode(kProtocolCurrentMode), rate(kProtocolCurrentRate, currentRates),
                      mode(kProtocolDesiredMode), rate(kProtocolDesiredRate, kProtocolRates));
}

// The receiver is told first at its current rate, in its current protocol; then the console
// follows it to the new ones.
void FrameCommands::ApplyProtocolChoice(int currentSelector, uint32_t currentBaud, int desiredSelector,
                                        uint32_t desiredBaud) {
  Configuration& c = frame_.config();
  const int menusSelector = c.protocolSelector() == 0 ? kProtocolNmea : kProtocolKtx;
  c.SetMainBaudRate(static_cast<int32_t>(currentBaud));
  frame_.ReopenMainPort();
  c.SetProtocolSelector(desiredSelector == kProtocolNmea ? 0 : 1);
  c.SetMainBaudRate(static_cast<int32_t>(desiredBaud));
  if (desiredSelector == kProtocolKtx && currentSelector == kProtocolNmea) {
    frame_.SendNmeaProtocolAndBaud(kProtocolKtx, desiredBaud);
  } else if (desiredSelector == kProtocolNmea && currentSelector == kProtocolKtx) {
    frame_.encoder().SendProtocolAndBaud(true, desiredBaud);
  } else if (desiredSelector == kProtocolKtx) {
    frame_.encoder().SendProtocolAndBaud(false, desiredBaud);
  } else {
    frame_.SendNmeaProtocolAndBaud(kProtocolNmea, desiredBaud);
  }
  if (frame_.state().mainPortOpen) frame_.ChangeMainBaud(desiredBaud);
  if (desiredSelector == kProtocolNmea && currentSelector == kProtocolNmea) frame_.StartProtocolConfirmation();
  if (desiredSelector != menusSelector) SwitchProtocol(desiredSelector);
}

}  // namespace orv
