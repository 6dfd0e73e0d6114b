// Command identifiers of the main frame: menu items, toolbar buttons and the commands that
// windows post back to the frame. The identifiers are stable; configuration files and window
// pages refer to them.
#pragma once

namespace orv::cmd {

// File/Port.
inline constexpr int kOpenLogFile = 32771;
inline constexpr int kSerialPort = 32772;
inline constexpr int kSerialPortOutput = 32774;
inline constexpr int kSaveConfig = 32781;
inline constexpr int kStop = 32790;
inline constexpr int kRestoreFactoryConfig = 32793;
inline constexpr int kSaveMainPortData = 32799;
inline constexpr int kOpenSynchronizedLogFiles = 32804;
inline constexpr int kPlaybackRate = 32808;
inline constexpr int kSaveAuxPortData = 32954;
inline constexpr int kAutomaticLogging = 33104;
inline constexpr int kAutoConnect = 33106;
inline constexpr int kSaveDgpsData = 33201;
inline constexpr int kSaveOfflineRtk = 33202;
inline constexpr int kSaveOfflineWaas = 33203;
inline constexpr int kExportTrack = 33301;  // the track of a log as GPX, KML, CSV or GeoJSON
inline constexpr int kShareReceiver = 33310;  // serve the open input to gpsd clients and NMEA consumers
inline constexpr int kExit = 57665;

// View: the toolbars.
inline constexpr int kViewGeneralBar = 32868;
inline constexpr int kViewWindowBar = 32869;
inline constexpr int kViewToolSettingBar = 32870;
inline constexpr int kViewFilePortBar = 32871;
inline constexpr int kViewQuenmarshBar = 32872;
inline constexpr int kViewUtilityBar = 33069;

// Help.
inline constexpr int kHelpTopics = 33076;
inline constexpr int kAbout = 57664;

// Protocol.
inline constexpr int kSwitchToNmea = 32998;
inline constexpr int kSwitchToKtx = 32999;
inline constexpr int kProtocol = 33000;

// Items that are never shown: the super-user entries and the programming utility.
inline constexpr int kSuperUserSetting = 32975;
inline constexpr int kSuperUserXmit = 32977;
inline constexpr int kSuperUserNmea = 32978;
inline constexpr int kProgrammingUtility = 32908;

// Tool Setting, binary receivers. Dialog commands that windows post carry the numbers the
// windows use.
inline constexpr int kOperatingMode = 32812;
inline constexpr int kDiffMessageRate = 32814;
inline constexpr int kMaskAngle = 32816;
inline constexpr int kSvDeselection = 32817;
inline constexpr int kClearNvm = 32845;
inline constexpr int kTimingParameters = 32941;
inline constexpr int kTrackSvRequest = 32949;
inline constexpr int kChannelDeselection = 32956;
inline constexpr int kPowerControl = 33090;
inline constexpr int kAlmanacDataTransfer = 33210;
inline constexpr int kMslModel = 33211;
inline constexpr int kRestartSystem = 33212;
inline constexpr int kSetDateTime = 33213;
inline constexpr int kOnePpsEnable = 33214;
inline constexpr int kOnePpsDisable = 33215;
inline constexpr int kSetDatum = 33216;
inline constexpr int kDefaultMessageList = 33217;
inline constexpr int kDgpsConfiguration = 33218;
inline constexpr int kTimeAlignmentEnable = 33219;
inline constexpr int kTimeAlignmentDisable = 33220;
inline constexpr int kTropoModel = 33221;
inline constexpr int kFileManagerDialog = 33222;
inline constexpr int kDownloadFile = 33223;

// Receiver service dialogs that no menu shows, reached by these numbers alone (orvantis
// --command ID): the numbers 33290 to 33299 belong to no menu item, toolbar or window.
inline constexpr int kEsnEntry = 33290;             // "ESN Entry", message 92
inline constexpr int kCustomerEsn = 33291;          // "Set Customer ESN", message 92
inline constexpr int kWrapAround = 33292;           // message 44
inline constexpr int kConfigurationBits = 33293;    // messages 90 and 64
inline constexpr int kSetConfiguration = 33294;     // message 70 sub-ID 4
inline constexpr int kLogSpecificMessages = 33295;  // message 70 sub-ID 10
inline constexpr int kFpuMemoryDumpRequest = 33296; // message 114 sub-ID 4
inline constexpr int kLedBuzzer = 33297;            // message 114 sub-ID 2
inline constexpr int kAdConfig = 33298;             // message 114 sub-ID 1
inline constexpr int kAdCommand = 33299;            // message 114 sub-ID 5

// Tool Setting, NMEA receivers.
inline constexpr int kNmeaClearNvm = 33230;
inline constexpr int kNmeaDefineWaypoint = 33231;
inline constexpr int kNmeaSelectWaypoint = 33232;
inline constexpr int kNmeaInitialization = 33233;
inline constexpr int kNmeaRadiobeacon = 33234;
inline constexpr int kNmeaReceiverParameters = 33235;

// Xmit Msg, binary receivers.
inline constexpr int kRequestIoMessage = 32836;
inline constexpr int kRequestLlh = 33240;
inline constexpr int kRequestXyz = 33241;
inline constexpr int kRequestEphemeris = 33242;
inline constexpr int kRequestChannelAssignment = 33243;
inline constexpr int kRequestDgpsStatus = 33244;
inline constexpr int kRequestBaseStatus = 33245;
inline constexpr int kRequestPredicted = 33246;
inline constexpr int kRequestMatched = 33247;
inline constexpr int kRequestWaas = 33248;
inline constexpr int kRequestTiming = 33249;
inline constexpr int kRequestSystemProfile = 33250;
inline constexpr int kRequestReceiverStatus = 33251;
inline constexpr int kRequestMeasurement1Hz = 33252;
inline constexpr int kRequestMeasurement2Hz = 33253;
inline constexpr int kRequestMeasurement5Hz = 33254;
inline constexpr int kRequestMeasurement10Hz = 33255;
inline constexpr int kRequestAll = 33256;
inline constexpr int kRequestFaultLog = 33257;
inline constexpr int kEraseFaultLog = 33258;
inline constexpr int kInitLinkOld = 33259;
inline constexpr int kInitLinkNew = 33260;
inline constexpr int kLoadByte = 33261;
inline constexpr int kLoadWord = 33262;
inline constexpr int kBitLevel1 = 33263;  // levels 1 to 6: kBitLevel1 + level - 1
inline constexpr int kBitLevel6 = 33268;

// Xmit Msg, NMEA receivers: one-shot queries, by sentence.
inline constexpr int kNmeaQueryGga = 33270;
inline constexpr int kNmeaQueryGll = 33271;
inline constexpr int kNmeaQueryGsa = 33272;
inline constexpr int kNmeaQueryGsv = 33273;
inline constexpr int kNmeaQueryMss = 33274;
inline constexpr int kNmeaQueryRmc = 33275;
inline constexpr int kNmeaQueryVtg = 33276;
inline constexpr int kNmeaQueryZda = 33277;
inline constexpr int kNmeaQueryNavStatus = 33278;
inline constexpr int kNmeaQueryRadiobeacon = 33279;
inline constexpr int kNmeaQueryToWaypoint = 33280;
inline constexpr int kNmeaQueryUserPosition = 33281;
inline constexpr int kNmeaQueryRxParameters = 33282;
inline constexpr int kNmeaSelfTest = 33283;

// Window commands: each toggles its message window.
inline constexpr int kWndLlh = 32776;
inline constexpr int kWndEphemeris = 32777;
inline constexpr int kWndMeasurements = 32778;
inline constexpr int kWndReceivedMessages = 32780;
inline constexpr int kWndBaseMeasurements = 32806;
inline constexpr int kWndPlot = 32813;
inline constexpr int kWndChannelAssignment = 32824;
inline constexpr int kWndXyz = 32829;
inline constexpr int kWndPartNumber = 32831;
inline constexpr int kWndDgpsStatus = 32834;
inline constexpr int kWndPredicted = 32839;
inline constexpr int kWndMatched = 32840;
inline constexpr int kWndBaseStatus = 32899;
inline constexpr int kWndWaasStatus = 32905;
inline constexpr int kWndFaultLog = 32910;
inline constexpr int kWndTerminal = 32932;
inline constexpr int kWndSvStatus = 32934;
inline constexpr int kWndTiming = 32935;
inline constexpr int kWndSystemProfile = 32945;
inline constexpr int kWndReceiverStatus = 32947;
inline constexpr int kWndDisplayMessages = 32951;
inline constexpr int kWndTerminalAux = 32953;
inline constexpr int kWndFileManager = 32976;
inline constexpr int kWndSvPosition = 32988;
inline constexpr int kWndSatelliteHealth = 32989;
inline constexpr int kWndNmeaReceivedMessages = 33003;
inline constexpr int kWndNmeaRxParameters = 33006;
inline constexpr int kWndNmeaNavStatus = 33007;
inline constexpr int kWndNmeaUserPosition = 33008;
inline constexpr int kWndNmeaGga = 33009;
inline constexpr int kWndNmeaGll = 33010;
inline constexpr int kWndNmeaGsa = 33011;
inline constexpr int kWndNmeaGsv = 33012;
inline constexpr int kWndNmeaRmc = 33013;
inline constexpr int kWndNmeaVtg = 33014;
inline constexpr int kWndNmeaZda = 33015;
inline constexpr int kWndNmeaSelfTest = 33016;
inline constexpr int kWndNmeaRadiobeacon = 33017;
inline constexpr int kWndNmeaMss = 33037;
inline constexpr int kWndNmeaToWaypoint = 33039;
inline constexpr int kWndDgpsConfiguration = 33043;
inline constexpr int kWndBeaconRxStatus = 33044;
inline constexpr int kWndDgpsData = 33047;
inline constexpr int kWndBit = 33048;
inline constexpr int kWndMemoryDump = 33049;
inline constexpr int kWndAteController = 33053;
inline constexpr int kWndAlmanac = 33089;
inline constexpr int kWndFileInformation = 33093;
inline constexpr int kWndStatusConfiguration = 33095;
inline constexpr int kWndFileHeader = 33102;
inline constexpr int kWndMemoryInformation = 33103;
inline constexpr int kWndAutoLogSummary = 33105;
inline constexpr int kWndAdConfig = 33116;
inline constexpr int kWndFpuMemoryDump = 33117;
inline constexpr int kWndVelmoraAte = 33132;
inline constexpr int kWndIonoUtc = 33133;

// Utility toolbar: baud buttons (each sets the rate its image shows) and port buttons.
inline constexpr int kBaud2400 = 33061;
inline constexpr int kBaud115200 = 33062;
inline constexpr int kBaud57600 = 33063;
inline constexpr int kBaud38400 = 33064;
inline constexpr int kBaud19200 = 33065;
inline constexpr int kBaud9600 = 33066;
inline constexpr int kBaud4800 = 33067;
inline constexpr int kPortAny = 33070;
inline constexpr int kPortCom1 = 33072;
inline constexpr int kPortCom4 = 33075;

}  // namespace orv::cmd
