// The process-wide settings record: one 7234-byte image, read and written whole as the
// configuration file, with typed accessors for every field at its fixed offset. Bytes that no
// field names are never touched, so whatever a file holds there survives a load and a save.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/WindowGeometry.h"

namespace orv {

inline constexpr std::size_t kConfigurationSize = 7234;
using ConfigurationImage = std::array<uint8_t, kConfigurationSize>;

// One message window as the record knows it: where its open flag and its rectangle live, the
// command that toggles it and its default placement (left, top, width, height).
struct WindowEntry {
  uint16_t flagOffset;
  uint16_t rectOffset;
  int command;
  const char* name;
  int32_t left, top, width, height;
};

// All 56 windows, in the order of their flag offsets.
std::span<const WindowEntry> WindowTable();
const WindowEntry* FindWindow(int command);
// The rectangle a window has in the defaults (left, top, right, bottom); none for a command
// that is not a window of the table.
std::optional<ScreenRect> DefaultWindowRect(int command);
// Flag offsets in the order in which start-up reopens the windows.
std::span<const uint16_t> WindowReopenOrder();
// The aux terminal: its open flag is never saved set, so it is never reopened at start-up.
inline constexpr int kAuxTerminalCommand = 32953;

// Field offsets. Arrays list their first element.
namespace cfg {
inline constexpr std::size_t kMainWindow = 212;  // left, top, width, height
inline constexpr std::size_t kMainPortName = 1076, kPortNameWidth = 80;
inline constexpr std::size_t kMainBaudRate = 1156;
inline constexpr std::size_t kProtocolSelector = 1160;
inline constexpr std::size_t kOutputPortName = 1164;
inline constexpr std::size_t kOutputBaudRate = 1244;
inline constexpr std::size_t kOutputFlowChoice = 1248;
inline constexpr std::size_t kSyncSelectedSlot = 1252;
inline constexpr std::size_t kSyncLoopOn = 1256;
inline constexpr std::size_t kPathWidth = 200;
inline constexpr std::size_t kSyncUserFilePaths = 1260;
inline constexpr std::size_t kSyncBaseFilePaths = 1860;
inline constexpr std::size_t kMainRecordingPath = 2460;
inline constexpr std::size_t kAuxRecordingPath = 2660;
inline constexpr std::size_t kPlaybackPath = 2860;
inline constexpr std::size_t kMaintenancePaths[3] = {3060, 3260, 3660};
inline constexpr std::size_t kPlaybackDirectory = 3860;
inline constexpr std::size_t kMainRecordingDirectory = 4060;
inline constexpr std::size_t kAuxRecordingDirectory = 4260;
inline constexpr std::size_t kSyncTriggerTimes = 5260;
inline constexpr std::size_t kSyncUserBaseDelay = 5284;
inline constexpr std::size_t kPlaybackBytesPerTick = 5288;
inline constexpr std::size_t kOperatingMode5292 = 5292;
inline constexpr std::size_t kOperatingModeCommandKey = 5296, kCommandKeyWidth = 9;
inline constexpr std::size_t kOperatingMode5306 = 5306;
inline constexpr std::size_t kOperatingMode5310 = 5310;
inline constexpr std::size_t kOperatingModeReferencePosition = 5311;
inline constexpr std::size_t kOperatingMode5335 = 5335;
inline constexpr std::size_t kReceiverSettings5343 = 5343;
inline constexpr std::size_t kReceiverSettings5348 = 5348;
inline constexpr std::size_t kReceiverSettings5356 = 5356;
inline constexpr std::size_t kReceiverSettings5364 = 5364;
inline constexpr std::size_t kReceiverMessageLists = 5400, kMessageListCount = 210;
inline constexpr std::size_t kReceiverSettings6240 = 6240;
inline constexpr std::size_t kReceiverSettings6241 = 6241;
inline constexpr std::size_t kReceiverSettings6289 = 6289;
inline constexpr std::size_t kRecordStartChecked = 6369;
inline constexpr std::size_t kRecordStopChecked = 6373;
inline constexpr std::size_t kRecordStartMinutes = 6377;
inline constexpr std::size_t kRecordStopMinutes = 6381;
inline constexpr std::size_t kPlotShowGrid = 6385;
inline constexpr std::size_t kPlotShowCoordinates = 6386;
inline constexpr std::size_t kPlotCentreLatitude = 6387;
inline constexpr std::size_t kPlotCentreLongitude = 6395;
inline constexpr std::size_t kPlotDotStyle = 6403;
inline constexpr std::size_t kPlotDotSize = 6404;
inline constexpr std::size_t kPlotScale = 6408;
inline constexpr std::size_t kPlotCentreOnDefault = 6412;
inline constexpr std::size_t kFileManagerFileName = 6413;
inline constexpr std::size_t kFileManagerCustomerName = 6421;
inline constexpr std::size_t kFileManagerDescription = 6437;
inline constexpr std::size_t kFileManagerAntennaHeight = 6453;
inline constexpr std::size_t kFileManagerAntennaMethod = 6455;
inline constexpr std::size_t kFileManagerOperatorName = 6456;
inline constexpr std::size_t kUserDatums[2] = {6460, 6717};
inline constexpr std::size_t kFurtherPath = 7014;
}  // namespace cfg

// A user-defined datum as the record keeps it (relative layout from its first byte).
struct UserDatum {
  static constexpr std::size_t kNameWidth = 30, kCountriesWidth = 175;
  static constexpr std::size_t kName = 0, kCountries = 30, kShifts = 205, kEllipsoidName = 211;
  static constexpr std::size_t kSemiMajorAxis = 241, kInverseFlattening = 249, kSize = 257;
  std::string name;
  std::string countries;
  int16_t dx = 0, dy = 0, dz = 0;
  std::string ellipsoidName;
  double semiMajorAxis = 0;
  double inverseFlattening = 0;
  bool operator==(const UserDatum&) const = default;
};

// The main frame's rectangle as the record stores it: position and size.
struct MainWindowPlacement {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const MainWindowPlacement&) const = default;
};

// How a field is described for listing and for the defaults.
enum class FieldType : uint8_t { Byte, Int16, Int32, Double, Text };

struct ConfigField {
  const char* name;    // camelCase; "group.member" for a member of a group
  uint16_t offset;
  FieldType type;
  uint16_t count;      // elements
  uint16_t width;      // bytes per element
  bool reset;          // false: SetDefaults leaves the field as it is
  uint8_t defaultCount;  // 0: zero; 1: every element; otherwise one value per element
  std::array<double, 9> defaults;
  const char* text;    // default of a text field (nullptr: empty)
};

// Every named field apart from the window flags and rectangles (see WindowTable).
std::span<const ConfigField> ConfigurationFields();

class Configuration {
 public:
  // Zero-filled, as the record is before the frame fills it.
  Configuration() = default;

  // Fills every field that has a default; fields marked as kept and unnamed bytes stay.
  void SetDefaults();

  const ConfigurationImage& image() const { return image_; }
  ConfigurationImage& image() { return image_; }

  // Windows, by the command that toggles them. Unknown commands read as closed and zero.
  bool windowOpen(int command) const;
  void SetWindowOpen(int command, bool open);
  ScreenRect windowRect(int command) const;
  void SetWindowRect(int command, const ScreenRect& rect);
  MainWindowPlacement mainWindow() const;
  void SetMainWindow(const MainWindowPlacement& placement);

  // Ports and protocol.
  std::string mainPortName() const { return Text(cfg::kMainPortName, cfg::kPortNameWidth); }
  void SetMainPortName(std::string_view s) { SetText(cfg::kMainPortName, cfg::kPortNameWidth, s); }
  int32_t mainBaudRate() const { return I32(cfg::kMainBaudRate); }
  void SetMainBaudRate(int32_t v) { SetI32(cfg::kMainBaudRate, v); }
  int32_t protocolSelector() const { return I32(cfg::kProtocolSelector); }
  void SetProtocolSelector(int32_t v) { SetI32(cfg::kProtocolSelector, v); }
  std::string outputPortName() const { return Text(cfg::kOutputPortName, cfg::kPortNameWidth); }
  void SetOutputPortName(std::string_view s) { SetText(cfg::kOutputPortName, cfg::kPortNameWidth, s); }
  int32_t outputBaudRate() const { return I32(cfg::kOutputBaudRate); }
  void SetOutputBaudRate(int32_t v) { SetI32(cfg::kOutputBaudRate, v); }
  int32_t outputFlowChoice() const { return I32(cfg::kOutputFlowChoice); }
  void SetOutputFlowChoice(int32_t v) { SetI32(cfg::kOutputFlowChoice, v); }

  // Synchronized playback: three slots.
  int32_t syncSelectedSlot() const { return I32(cfg::kSyncSelectedSlot); }
  void SetSyncSelectedSlot(int32_t v) { SetI32(cfg::kSyncSelectedSlot, v); }
  int32_t syncLoopOn() const { return I32(cfg::kSyncLoopOn); }
  void SetSyncLoopOn(int32_t v) { SetI32(cfg::kSyncLoopOn, v); }
  std::string syncUserFilePath(int slot) const { return PathAt(cfg::kSyncUserFilePaths, slot, 3); }
  void SetSyncUserFilePath(int slot, std::string_view s) { SetPathAt(cfg::kSyncUserFilePaths, slot, 3, s); }
  std::string syncBaseFilePath(int slot) const { return PathAt(cfg::kSyncBaseFilePaths, slot, 3); }
  void SetSyncBaseFilePath(int slot, std::string_view s) { SetPathAt(cfg::kSyncBaseFilePaths, slot, 3, s); }
  double syncTriggerTime(int slot) const { return F64At(cfg::kSyncTriggerTimes, slot, 3); }
  void SetSyncTriggerTime(int slot, double v) { SetF64At(cfg::kSyncTriggerTimes, slot, 3, v); }
  int32_t syncUserBaseDelay() const { return I32(cfg::kSyncUserBaseDelay); }
  void SetSyncUserBaseDelay(int32_t v) { SetI32(cfg::kSyncUserBaseDelay, v); }

  // Paths and directories of recording, playback and the maintenance tools.
  std::string mainRecordingPath() const { return Text(cfg::kMainRecordingPath, cfg::kPathWidth); }
  void SetMainRecordingPath(std::string_view s) { SetText(cfg::kMainRecordingPath, cfg::kPathWidth, s); }
  std::string auxRecordingPath() const { return Text(cfg::kAuxRecordingPath, cfg::kPathWidth); }
  void SetAuxRecordingPath(std::string_view s) { SetText(cfg::kAuxRecordingPath, cfg::kPathWidth, s); }
  std::string playbackPath() const { return Text(cfg::kPlaybackPath, cfg::kPathWidth); }
  void SetPlaybackPath(std::string_view s) { SetText(cfg::kPlaybackPath, cfg::kPathWidth, s); }
  std::string maintenancePath(int i) const;
  void SetMaintenancePath(int i, std::string_view s);
  std::string playbackDirectory() const { return Text(cfg::kPlaybackDirectory, cfg::kPathWidth); }
  void SetPlaybackDirectory(std::string_view s) { SetText(cfg::kPlaybackDirectory, cfg::kPathWidth, s); }
  std::string mainRecordingDirectory() const { return Text(cfg::kMainRecordingDirectory, cfg::kPathWidth); }
  void SetMainRecordingDirectory(std::string_view s) { SetText(cfg::kMainRecordingDirectory, cfg::kPathWidth, s); }
  std::string auxRecordingDirectory() const { return Text(cfg::kAuxRecordingDirectory, cfg::kPathWidth); }
  void SetAuxRecordingDirectory(std::string_view s) { SetText(cfg::kAuxRecordingDirectory, cfg::kPathWidth, s); }
  std::string furtherPath() const { return Text(cfg::kFurtherPath, cfg::kPathWidth); }
  void SetFurtherPath(std::string_view s) { SetText(cfg::kFurtherPath, cfg::kPathWidth, s); }

  // Playback rate.
  int32_t playbackBytesPerTick() const { return I32(cfg::kPlaybackBytesPerTick); }
  void SetPlaybackBytesPerTick(int32_t v) { SetI32(cfg::kPlaybackBytesPerTick, v); }

  // Operating-mode and receiver settings; their meaning belongs to the command dialogs.
  int32_t operatingMode5292() const { return I32(cfg::kOperatingMode5292); }
  void SetOperatingMode5292(int32_t v) { SetI32(cfg::kOperatingMode5292, v); }
  std::string operatingModeCommandKey() const { return Text(cfg::kOperatingModeCommandKey, cfg::kCommandKeyWidth); }
  void SetOperatingModeCommandKey(std::string_view s) { SetText(cfg::kOperatingModeCommandKey, cfg::kCommandKeyWidth, s); }
  int32_t operatingMode5306() const { return I32(cfg::kOperatingMode5306); }
  void SetOperatingMode5306(int32_t v) { SetI32(cfg::kOperatingMode5306, v); }
  uint8_t operatingMode5310() const { return U8(cfg::kOperatingMode5310); }
  void SetOperatingMode5310(uint8_t v) { SetU8(cfg::kOperatingMode5310, v); }
  // X, Y, Z in metres, Earth-centred (index 0..2).
  double operatingModeReferencePosition(int i) const { return F64At(cfg::kOperatingModeReferencePosition, i, 3); }
  void SetOperatingModeReferencePosition(int i, double v) { SetF64At(cfg::kOperatingModeReferencePosition, i, 3, v); }
  int32_t operatingMode5335(int i) const { return I32At(cfg::kOperatingMode5335, i, 2); }
  void SetOperatingMode5335(int i, int32_t v) { SetI32At(cfg::kOperatingMode5335, i, 2, v); }
  uint8_t receiverSettings5343(int i) const { return U8At(cfg::kReceiverSettings5343, i, 3); }
  void SetReceiverSettings5343(int i, uint8_t v) { SetU8At(cfg::kReceiverSettings5343, i, 3, v); }
  int32_t receiverSettings5348(int i) const { return I32At(cfg::kReceiverSettings5348, i, 2); }
  void SetReceiverSettings5348(int i, int32_t v) { SetI32At(cfg::kReceiverSettings5348, i, 2, v); }
  uint8_t receiverSettings5356(int i) const { return U8At(cfg::kReceiverSettings5356, i, 8); }
  void SetReceiverSettings5356(int i, uint8_t v) { SetU8At(cfg::kReceiverSettings5356, i, 8, v); }
  int32_t receiverSettings5364(int i) const { return I32At(cfg::kReceiverSettings5364, i, 9); }
  void SetReceiverSettings5364(int i, int32_t v) { SetI32At(cfg::kReceiverSettings5364, i, 9, v); }
  int32_t receiverMessageLists(int i) const { return I32At(cfg::kReceiverMessageLists, i, cfg::kMessageListCount); }
  void SetReceiverMessageLists(int i, int32_t v) { SetI32At(cfg::kReceiverMessageLists, i, cfg::kMessageListCount, v); }
  uint8_t receiverSettings6240() const { return U8(cfg::kReceiverSettings6240); }
  void SetReceiverSettings6240(uint8_t v) { SetU8(cfg::kReceiverSettings6240, v); }
  int32_t receiverSettings6241(int i) const { return I32At(cfg::kReceiverSettings6241, i, 12); }
  void SetReceiverSettings6241(int i, int32_t v) { SetI32At(cfg::kReceiverSettings6241, i, 12, v); }
  int32_t receiverSettings6289(int i) const { return I32At(cfg::kReceiverSettings6289, i, 16); }
  void SetReceiverSettings6289(int i, int32_t v) { SetI32At(cfg::kReceiverSettings6289, i, 16, v); }

  // Main-port timed recording: the last values of the Log File Setup dialog.
  int32_t recordStartChecked() const { return I32(cfg::kRecordStartChecked); }
  void SetRecordStartChecked(int32_t v) { SetI32(cfg::kRecordStartChecked, v); }
  int32_t recordStopChecked() const { return I32(cfg::kRecordStopChecked); }
  void SetRecordStopChecked(int32_t v) { SetI32(cfg::kRecordStopChecked, v); }
  int32_t recordStartMinutes() const { return I32(cfg::kRecordStartMinutes); }
  void SetRecordStartMinutes(int32_t v) { SetI32(cfg::kRecordStartMinutes, v); }
  int32_t recordStopMinutes() const { return I32(cfg::kRecordStopMinutes); }
  void SetRecordStopMinutes(int32_t v) { SetI32(cfg::kRecordStopMinutes, v); }

  // Navigation plot, in the order the plot page hands them back.
  uint8_t plotShowGrid() const { return U8(cfg::kPlotShowGrid); }
  void SetPlotShowGrid(uint8_t v) { SetU8(cfg::kPlotShowGrid, v); }
  uint8_t plotShowCoordinates() const { return U8(cfg::kPlotShowCoordinates); }
  void SetPlotShowCoordinates(uint8_t v) { SetU8(cfg::kPlotShowCoordinates, v); }
  double plotCentreLatitude() const { return F64(cfg::kPlotCentreLatitude); }
  void SetPlotCentreLatitude(double v) { SetF64(cfg::kPlotCentreLatitude, v); }
  double plotCentreLongitude() const { return F64(cfg::kPlotCentreLongitude); }
  void SetPlotCentreLongitude(double v) { SetF64(cfg::kPlotCentreLongitude, v); }
  uint8_t plotDotStyle() const { return U8(cfg::kPlotDotStyle); }
  void SetPlotDotStyle(uint8_t v) { SetU8(cfg::kPlotDotStyle, v); }
  int32_t plotDotSize() const { return I32(cfg::kPlotDotSize); }
  void SetPlotDotSize(int32_t v) { SetI32(cfg::kPlotDotSize, v); }
  int32_t plotScale() const { return I32(cfg::kPlotScale); }
  void SetPlotScale(int32_t v) { SetI32(cfg::kPlotScale, v); }
  uint8_t plotCentreOnDefault() const { return U8(cfg::kPlotCentreOnDefault); }
  void SetPlotCentreOnDefault(uint8_t v) { SetU8(cfg::kPlotCentreOnDefault, v); }

  // File manager: the dialog's last values. These fields may be filled to their full width
  // (no terminator), as the receiver's file attributes are.
  std::string fileManagerFileName() const { return Text(cfg::kFileManagerFileName, 8); }
  void SetFileManagerFileName(std::string_view s) { SetText(cfg::kFileManagerFileName, 8, s, true); }
  std::string fileManagerCustomerName() const { return Text(cfg::kFileManagerCustomerName, 16); }
  void SetFileManagerCustomerName(std::string_view s) { SetText(cfg::kFileManagerCustomerName, 16, s, true); }
  std::string fileManagerDescription() const { return Text(cfg::kFileManagerDescription, 16); }
  void SetFileManagerDescription(std::string_view s) { SetText(cfg::kFileManagerDescription, 16, s, true); }
  int16_t fileManagerAntennaHeight() const { return I16(cfg::kFileManagerAntennaHeight); }
  void SetFileManagerAntennaHeight(int16_t v) { SetI16(cfg::kFileManagerAntennaHeight, v); }
  uint8_t fileManagerAntennaMethod() const { return U8(cfg::kFileManagerAntennaMethod); }
  void SetFileManagerAntennaMethod(uint8_t v) { SetU8(cfg::kFileManagerAntennaMethod, v); }
  std::string fileManagerOperatorName() const { return Text(cfg::kFileManagerOperatorName, 3); }
  void SetFileManagerOperatorName(std::string_view s) { SetText(cfg::kFileManagerOperatorName, 3, s, true); }

  // User-defined datums 1 and 2; other numbers read as an empty datum and are not stored.
  UserDatum userDatum(int which) const;
  void SetUserDatum(int which, const UserDatum& datum);

  // Raw access by offset, for listing the record; out-of-range reads give zero.
  uint8_t U8(std::size_t off) const;
  int16_t I16(std::size_t off) const;
  int32_t I32(std::size_t off) const;
  double F64(std::size_t off) const;
  // The text up to its terminator, never beyond `width` bytes.
  std::string Text(std::size_t off, std::size_t width) const;

 private:
  void SetU8(std::size_t off, uint8_t v);
  void SetI16(std::size_t off, int16_t v);
  void SetI32(std::size_t off, int32_t v);
  void SetF64(std::size_t off, double v);
  // Stores at most width - 1 characters and a terminator (width characters when `mayFill`),
  // zero-padding the rest of the field; text after an embedded zero is dropped.
  void SetText(std::size_t off, std::size_t width, std::string_view s, bool mayFill = false);

  uint8_t U8At(std::size_t base, int i, int count) const;
  void SetU8At(std::size_t base, int i, int count, uint8_t v);
  int32_t I32At(std::size_t base, int i, int count) const;
  void SetI32At(std::size_t base, int i, int count, int32_t v);
  double F64At(std::size_t base, int i, int count) const;
  void SetF64At(std::size_t base, int i, int count, double v);
  std::string PathAt(std::size_t base, int i, int count) const;
  void SetPathAt(std::size_t base, int i, int count, std::string_view s);

  ConfigurationImage image_{};
};

}  // namespace orv
