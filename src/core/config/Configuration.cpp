// The layout of the settings record: the window table, the named fields with their defaults,
// and the bounds-checked accessors over the image.
#include "config/Configuration.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "util/ByteIo.h"

namespace orv {

namespace {

// Default placements are kept as left, top, width, height; the record stores rectangles as
// left, top, right, bottom, so SetDefaults adds the size to the corner.
constexpr WindowEntry kWindows[] = {
    {0, 228, 32824, "Channel Assignment", 80, 80, 645, 235},
    {4, 244, 32776, "LLH Solution", 80, 80, 250, 380},
    {8, 260, 32829, "XYZ Solution", 80, 80, 250, 300},
    {12, 276, 32777, "Ephemeris", 90, 90, 200, 185},
    {16, 308, 32778, "Measurements", 100, 100, 250, 235},
    {20, 324, 32806, "Base Measurements", 110, 110, 250, 250},
    {24, 292, 32780, "Received messages", 70, 70, 535, 250},
    {28, 340, 32813, "Navigation Plot", 80, 80, 375, 440},
    {32, 356, 32831, "HW/SW Part Number", 100, 100, 350, 270},
    {36, 372, 32834, "DGPS Status", 50, 50, 400, 195},
    {40, 388, 32839, "Predicted Solution Data", 100, 100, 185, 225},
    {44, 404, 32840, "Matched Solution Data", 100, 150, 185, 225},
    {48, 420, 32899, "Base Status", 100, 150, 310, 225},
    {52, 436, 32905, "WAAS Status", 200, 150, 425, 215},
    {56, 452, 32910, "Fault Log", 200, 150, 185, 225},
    {60, 468, 32932, "Terminal", 300, 150, 500, 400},
    {64, 484, 32953, "Terminal (Aux)", 400, 150, 500, 400},
    {68, 500, 32934, "SVs Status", 400, 150, 215, 245},
    {72, 516, 32935, "Timing Information", 400, 150, 255, 350},
    {76, 532, 32945, "System Profile", 200, 350, 255, 295},
    {80, 548, 32947, "Receiver Status", 210, 340, 240, 235},
    {84, 564, 32951, "Display Messages", 80, 80, 450, 150},
    {88, 580, 32976, "Quenmarsh File Manager", 80, 80, 450, 150},
    {92, 596, 33089, "Quenmarsh Almanac", 100, 100, 700, 600},
    {96, 612, 32988, "SVs Position", 350, 150, 400, 400},
    {100, 628, 32989, "Satellites Health", 425, 175, 350, 245},
    {104, 644, 33043, "DGPS Configuration", 450, 175, 240, 325},
    {108, 660, 33044, "Beacon Rx Status", 325, 200, 250, 200},
    {112, 676, 33047, "DGPS Data", 500, 400, 500, 250},
    {116, 692, 33048, "BIT (Build In Test)", 500, 75, 275, 525},
    {120, 708, 33049, "Memory Dump", 100, 75, 575, 300},
    {124, 724, 33053, "ATE Controller", 500, 100, 250, 500},
    {128, 740, 33093, "Quenmarsh File Information", 20, 70, 680, 440},
    {132, 756, 33095, "Status and Configuration", 20, 70, 300, 350},
    {136, 772, 33102, "File Header", 300, 400, 350, 240},
    {140, 788, 33103, "Memory Information", 300, 200, 250, 130},
    {144, 804, 33133, "Quenmarsh Ionospheric and UTC Parameters", 200, 80, 250, 430},
    {148, 820, 33105, "Automatic Log Summary", 210, 340, 240, 235},
    {152, 836, 33006, "NMEA Receiver Parameter", 175, 225, 250, 250},
    {156, 852, 33007, "Navigation Status", 125, 175, 275, 90},
    {160, 868, 33008, "User Position", 350, 400, 250, 225},
    {164, 884, 33009, "GPS Fix Data", 100, 150, 250, 240},
    {168, 900, 33010, "Geographic Position", 75, 125, 300, 120},
    {172, 916, 33011, "DOP and Active SVs", 50, 100, 350, 175},
    {176, 932, 33012, "SVs in View", 250, 300, 285, 315},
    {180, 948, 33013, "Recommended Minimum GPS", 200, 250, 225, 175},
    {184, 964, 33014, "Track and Speed", 275, 325, 225, 125},
    {188, 980, 33015, "Time and Date", 300, 350, 225, 100},
    {192, 996, 33016, "Self-test Results", 225, 275, 275, 280},
    {196, 1012, 33017, "Radiobeacon Information", 150, 200, 275, 160},
    {200, 1028, 33037, "Beacon Signal Status", 25, 75, 275, 130},
    {204, 1044, 33039, "To Waypoint", 325, 375, 275, 300},
    {208, 1060, 33003, "Received Messages", 70, 70, 250, 195},
    {6974, 6982, 33117, "Quenmarsh FPU Memory Dump", 300, 200, 250, 300},
    {6978, 6998, 33116, "Quenmarsh A/D Config Information", 300, 200, 250, 300},
    {7214, 7218, 33132, "Velmora ATE Controller", 500, 100, 250, 500},
};

// The order in which start-up posts the commands of the windows marked open.
constexpr uint16_t kReopenOrder[] = {
    24,  0,   4,   8,   28,  12,  16,  20,  32,  36,  40,  44,  48,  52,   56,   60,   64,  68, 72,
    76,  80,  84,  88,  92,  96,  100, 104, 108, 112, 116, 120, 124, 7214, 152,  156,  160, 164, 168,
    172, 176, 180, 184, 188, 192, 196, 200, 204, 208, 128, 132, 136, 140,  148,  6974, 6978, 144,
};
static_assert(std::size(kReopenOrder) == std::size(kWindows));

constexpr std::size_t kPath = cfg::kPathWidth;

ConfigField Row(const char* name, std::size_t offset, FieldType type, std::size_t count,
                std::initializer_list<double> values, bool reset = true) {
  static constexpr uint16_t kWidths[] = {1, 2, 4, 8, 0};
  ConfigField f{name, static_cast<uint16_t>(offset), type, static_cast<uint16_t>(count),
                kWidths[static_cast<int>(type)], reset,
                static_cast<uint8_t>(values.size()), {}, nullptr};
  std::copy_n(values.begin(), std::min<std::size_t>(values.size(), f.defaults.size()), f.defaults.begin());
  return f;
}

ConfigField TextRow(const char* name, std::size_t offset, std::size_t width, std::size_t count = 1,
                    const char* text = nullptr, bool reset = true) {
  return ConfigField{name,  static_cast<uint16_t>(offset), FieldType::Text, static_cast<uint16_t>(count),
                     static_cast<uint16_t>(width), reset, 0, {}, text};
}

std::vector<ConfigField> DatumRows(int which) {
  const auto base = static_cast<uint16_t>(cfg::kUserDatums[which - 1]);
  const char* names[2][8] = {
      {"userDatum1.name", "userDatum1.countries", "userDatum1.dx", "userDatum1.dy", "userDatum1.dz",
       "userDatum1.ellipsoidName", "userDatum1.semiMajorAxis", "userDatum1.inverseFlattening"},
      {"userDatum2.name", "userDatum2.countries", "userDatum2.dx", "userDatum2.dy", "userDatum2.dz",
       "userDatum2.ellipsoidName", "userDatum2.semiMajorAxis", "userDatum2.inverseFlattening"}};
  const char** n = names[which - 1];
  const char* defaultName = which == 1 ? "User Defined 1" : "User Defined 2";
  auto at = [base](std::size_t rel) { return static_cast<uint16_t>(base + rel); };
  using D = UserDatum;
  return {TextRow(n[0], at(D::kName), D::kNameWidth, 1, defaultName),
          TextRow(n[1], at(D::kCountries), D::kCountriesWidth),
          Row(n[2], at(D::kShifts), FieldType::Int16, 1, {}),
          Row(n[3], at(D::kShifts + 2), FieldType::Int16, 1, {}),
          Row(n[4], at(D::kShifts + 4), FieldType::Int16, 1, {}),
          TextRow(n[5], at(D::kEllipsoidName), D::kNameWidth),
          Row(n[6], at(D::kSemiMajorAxis), FieldType::Double, 1, {6378137.0}),
          Row(n[7], at(D::kInverseFlattening), FieldType::Double, 1, {298.257223563})};
}

std::vector<ConfigField> BuildFields() {
  using T = FieldType;
  constexpr bool kKeep = false;
  std::vector<ConfigField> f = {
      Row("mainWindow.left", cfg::kMainWindow, T::Int32, 1, {10}),
      Row("mainWindow.top", cfg::kMainWindow + 4, T::Int32, 1, {10}),
      Row("mainWindow.width", cfg::kMainWindow + 8, T::Int32, 1, {800}),
      Row("mainWindow.height", cfg::kMainWindow + 12, T::Int32, 1, {400}),
      TextRow("mainPortName", cfg::kMainPortName, cfg::kPortNameWidth),
      Row("mainBaudRate", cfg::kMainBaudRate, T::Int32, 1, {9600}),
      Row("protocolSelector", cfg::kProtocolSelector, T::Int32, 1, {1}),
      TextRow("outputPortName", cfg::kOutputPortName, cfg::kPortNameWidth),
      Row("outputBaudRate", cfg::kOutputBaudRate, T::Int32, 1, {9600}),
      Row("outputFlowChoice", cfg::kOutputFlowChoice, T::Int32, 1, {}),
      Row("syncSelectedSlot", cfg::kSyncSelectedSlot, T::Int32, 1, {}),
      Row("syncLoopOn", cfg::kSyncLoopOn, T::Int32, 1, {}),
      TextRow("syncUserFilePaths", cfg::kSyncUserFilePaths, kPath, 3),
      TextRow("syncBaseFilePaths", cfg::kSyncBaseFilePaths, kPath, 3),
      TextRow("mainRecordingPath", cfg::kMainRecordingPath, kPath),
      TextRow("auxRecordingPath", cfg::kAuxRecordingPath, kPath),
      TextRow("playbackPath", cfg::kPlaybackPath, kPath, 1, nullptr, kKeep),
      TextRow("maintenancePath1", cfg::kMaintenancePaths[0], kPath),
      TextRow("maintenancePath2", cfg::kMaintenancePaths[1], kPath),
      TextRow("maintenancePath3", cfg::kMaintenancePaths[2], kPath),
      TextRow("playbackDirectory", cfg::kPlaybackDirectory, kPath, 1, nullptr, kKeep),
      TextRow("mainRecordingDirectory", cfg::kMainRecordingDirectory, kPath, 1, nullptr, kKeep),
      TextRow("auxRecordingDirectory", cfg::kAuxRecordingDirectory, kPath, 1, nullptr, kKeep),
      Row("syncTriggerTimes", cfg::kSyncTriggerTimes, T::Double, 3, {}),
      Row("syncUserBaseDelay", cfg::kSyncUserBaseDelay, T::Int32, 1, {}),
      Row("playbackBytesPerTick", cfg::kPlaybackBytesPerTick, T::Int32, 1, {1000}),
      Row("operatingMode5292", cfg::kOperatingMode5292, T::Int32, 1, {}, kKeep),
      TextRow("operatingModeCommandKey", cfg::kOperatingModeCommandKey, cfg::kCommandKeyWidth, 1, "ZKQW-R31"),
      Row("operatingMode5306", cfg::kOperatingMode5306, T::Int32, 1, {1}),
      Row("operatingMode5310", cfg::kOperatingMode5310, T::Byte, 1, {6}),
      Row("operatingModeReferencePosition", cfg::kOperatingModeReferencePosition, T::Double, 3, {1257493.294, -4298358.224, 4526111.821}),
      Row("operatingMode5335", cfg::kOperatingMode5335, T::Int32, 2, {0, 0}),
      Row("receiverSettings5343", cfg::kReceiverSettings5343, T::Byte, 3, {1, 10, 6}),
      Row("receiverSettings5348", cfg::kReceiverSettings5348, T::Int32, 2, {0, 1}),
      Row("receiverSettings5356", cfg::kReceiverSettings5356, T::Byte, 8, {}),
      Row("receiverSettings5364", cfg::kReceiverSettings5364, T::Int32, 9, {0, 1, 9600, 45, 120, 0, 1, 0, 0}),
      Row("receiverMessageLists", cfg::kReceiverMessageLists, T::Int32, cfg::kMessageListCount, {}),
      Row("receiverSettings6240", cfg::kReceiverSettings6240, T::Byte, 1, {}),
      Row("receiverSettings6241", cfg::kReceiverSettings6241, T::Int32, 12, {}),
      Row("receiverSettings6289", cfg::kReceiverSettings6289, T::Int32, 16, {}),
      Row("recordStartChecked", cfg::kRecordStartChecked, T::Int32, 1, {}),
      Row("recordStopChecked", cfg::kRecordStopChecked, T::Int32, 1, {}),
      Row("recordStartMinutes", cfg::kRecordStartMinutes, T::Int32, 1, {}),
      Row("recordStopMinutes", cfg::kRecordStopMinutes, T::Int32, 1, {}),
      Row("plotShowGrid", cfg::kPlotShowGrid, T::Byte, 1, {1}),
      Row("plotShowCoordinates", cfg::kPlotShowCoordinates, T::Byte, 1, {1}),
      Row("plotCentreLatitude", cfg::kPlotCentreLatitude, T::Double, 1, {45.2942232}),
      Row("plotCentreLongitude", cfg::kPlotCentreLongitude, T::Double, 1, {-73.4136473}),
      Row("plotDotStyle", cfg::kPlotDotStyle, T::Byte, 1, {1}),
      Row("plotDotSize", cfg::kPlotDotSize, T::Int32, 1, {1}),
      Row("plotScale", cfg::kPlotScale, T::Int32, 1, {100}),
      Row("plotCentreOnDefault", cfg::kPlotCentreOnDefault, T::Byte, 1, {0}),
      TextRow("fileManagerFileName", cfg::kFileManagerFileName, 8, 1, "File"),
      TextRow("fileManagerCustomerName", cfg::kFileManagerCustomerName, 16, 1, "KELTRIX LTD"),
      TextRow("fileManagerDescription", cfg::kFileManagerDescription, 16, 1, "Desc"),
      Row("fileManagerAntennaHeight", cfg::kFileManagerAntennaHeight, T::Int16, 1, {}),
      Row("fileManagerAntennaMethod", cfg::kFileManagerAntennaMethod, T::Byte, 1, {}),
      TextRow("fileManagerOperatorName", cfg::kFileManagerOperatorName, 3, 1, "Op"),
  };
  for (int which = 1; which <= 2; ++which) {
    for (const auto& row : DatumRows(which)) f.push_back(row);
  }
  f.push_back(TextRow("furtherPath", cfg::kFurtherPath, kPath));
  return f;
}

}  // namespace

std::span<const WindowEntry> WindowTable() { return kWindows; }

const WindowEntry* FindWindow(int command) {
  for (const auto& w : kWindows) {
    if (w.command == command) return &w;
  }
  return nullptr;
}

std::optional<ScreenRect> DefaultWindowRect(int command) {
  const WindowEntry* w = FindWindow(command);
  if (w == nullptr) return std::nullopt;
  return ScreenRect{w->left, w->top, w->left + w->width, w->top + w->height};
}

std::span<const uint16_t> WindowReopenOrder() { return kReopenOrder; }

std::span<const ConfigField> ConfigurationFields() {
  static const std::vector<ConfigField> fields = BuildFields();
  return fields;
}

void Configuration::SetDefaults() {
  for (const auto& w : kWindows) {
    SetI32(w.flagOffset, 0);
    SetWindowRect(w.command, *DefaultWindowRect(w.command));
  }
  for (const auto& f : ConfigurationFields()) {
    if (!f.reset) continue;
    for (uint16_t i = 0; i < f.count; ++i) {
      const std::size_t off = f.offset + static_cast<std::size_t>(i) * f.width;
      if (f.type == FieldType::Text) {
        SetText(off, f.width, f.text != nullptr ? f.text : "");
        continue;
      }
      const double v = f.defaultCount == 0 ? 0.0 : f.defaults[f.defaultCount == 1 ? 0 : i];
      switch (f.type) {
        case FieldType::Byte: SetU8(off, static_cast<uint8_t>(v)); break;
        case FieldType::Int16: SetI16(off, static_cast<int16_t>(v)); break;
        case FieldType::Int32: SetI32(off, static_cast<int32_t>(v)); break;
        case FieldType::Double: SetF64(off, v); break;
        case FieldType::Text: break;
      }
    }
  }
}

bool Configuration::windowOpen(int command) const {
  const WindowEntry* w = FindWindow(command);
  return w != nullptr && I32(w->flagOffset) != 0;
}

void Configuration::SetWindowOpen(int command, bool open) {
  if (const WindowEntry* w = FindWindow(command)) SetI32(w->flagOffset, open ? 1 : 0);
}

ScreenRect Configuration::windowRect(int command) const {
  const WindowEntry* w = FindWindow(command);
  if (w == nullptr) return {};
  const std::size_t r = w->rectOffset;
  return {I32(r), I32(r + 4), I32(r + 8), I32(r + 12)};
}

void Configuration::SetWindowRect(int command, const ScreenRect& rect) {
  const WindowEntry* w = FindWindow(command);
  if (w == nullptr) return;
  const std::size_t r = w->rectOffset;
  SetI32(r, rect.left);
  SetI32(r + 4, rect.top);
  SetI32(r + 8, rect.right);
  SetI32(r + 12, rect.bottom);
}

MainWindowPlacement Configuration::mainWindow() const {
  const std::size_t m = cfg::kMainWindow;
  return {I32(m), I32(m + 4), I32(m + 8), I32(m + 12)};
}

void Configuration::SetMainWindow(const MainWindowPlacement& p) {
  const std::size_t m = cfg::kMainWindow;
  SetI32(m, p.left);
  SetI32(m + 4, p.top);
  SetI32(m + 8, p.width);
  SetI32(m + 12, p.height);
}

std::string Configuration::maintenancePath(int i) const {
  if (i < 0 || i > 2) return {};
  return Text(cfg::kMaintenancePaths[i], cfg::kPathWidth);
}

void Configuration::SetMaintenancePath(int i, std::string_view s) {
  if (i >= 0 && i <= 2) SetText(cfg::kMaintenancePaths[i], cfg::kPathWidth, s);
}

UserDatum Configuration::userDatum(int which) const {
  if (which != 1 && which != 2) return {};
  const std::size_t b = cfg::kUserDatums[which - 1];
  using D = UserDatum;
  UserDatum d;
  d.name = Text(b + D::kName, D::kNameWidth);
  d.countries = Text(b + D::kCountries, D::kCountriesWidth);
  d.dx = I16(b + D::kShifts);
  d.dy = I16(b + D::kShifts + 2);
  d.dz = I16(b + D::kShifts + 4);
  d.ellipsoidName = Text(b + D::kEllipsoidName, D::kNameWidth);
  d.semiMajorAxis = F64(b + D::kSemiMajorAxis);
  d.inverseFlattening = F64(b + D::kInverseFlattening);
  return d;
}

void Configuration::SetUserDatum(int which, const UserDatum& d) {
  if (which != 1 && which != 2) return;
  const std::size_t b = cfg::kUserDatums[which - 1];
  using D = UserDatum;
  SetText(b + D::kName, D::kNameWidth, d.name);
  // The dialog takes up to 175 and 30 characters: a text that fills its field is kept whole,
  // without a terminator, and read back up to the field's end.
  SetText(b + D::kCountries, D::kCountriesWidth, d.countries, true);
  SetI16(b + D::kShifts, d.dx);
  SetI16(b + D::kShifts + 2, d.dy);
  SetI16(b + D::kShifts + 4, d.dz);
  SetText(b + D::kEllipsoidName, D::kNameWidth, d.ellipsoidName, true);
  SetF64(b + D::kSemiMajorAxis, d.semiMajorAxis);
  SetF64(b + D::kInverseFlattening, d.inverseFlattening);
}

uint8_t Configuration::U8(std::size_t off) const { return ReadLe<uint8_t>(image_, off); }
int16_t Configuration::I16(std::size_t off) const { return ReadLe<int16_t>(image_, off); }
int32_t Configuration::I32(std::size_t off) const { return ReadLe<int32_t>(image_, off); }
double Configuration::F64(std::size_t off) const { return ReadLe<double>(image_, off); }
void Configuration::SetU8(std::size_t off, uint8_t v) { WriteLe(std::span<uint8_t>(image_), off, v); }
void Configuration::SetI16(std::size_t off, int16_t v) { WriteLe(std::span<uint8_t>(image_), off, v); }
void Configuration::SetI32(std::size_t off, int32_t v) { WriteLe(std::span<uint8_t>(image_), off, v); }
void Configuration::SetF64(std::size_t off, double v) { WriteLe(std::span<uint8_t>(image_), off, v); }

std::string Configuration::Text(std::size_t off, std::size_t width) const {
  if (off >= image_.size()) return {};
  width = std::min(width, image_.size() - off);
  const auto* begin = reinterpret_cast<const char*>(image_.data() + off);
  const auto* end = static_cast<const char*>(std::memchr(begin, 0, width));
  return std::string(begin, end != nullptr ? end : begin + width);
}

void Configuration::SetText(std::size_t off, std::size_t width, std::string_view s, bool mayFill) {
  if (off >= image_.size() || width == 0) return;
  width = std::min(width, image_.size() - off);
  s = s.substr(0, std::min(s.find('\0'), s.size()));
  const std::size_t n = std::min(s.size(), mayFill ? width : width - 1);
  std::memset(image_.data() + off, 0, width);
  std::memcpy(image_.data() + off, s.data(), n);
}

uint8_t Configuration::U8At(std::size_t base, int i, int count) const {
  return i >= 0 && i < count ? U8(base + static_cast<std::size_t>(i)) : 0;
}
void Configuration::SetU8At(std::size_t base, int i, int count, uint8_t v) {
  if (i >= 0 && i < count) SetU8(base + static_cast<std::size_t>(i), v);
}
int32_t Configuration::I32At(std::size_t base, int i, int count) const {
  return i >= 0 && i < count ? I32(base + 4 * static_cast<std::size_t>(i)) : 0;
}
void Configuration::SetI32At(std::size_t base, int i, int count, int32_t v) {
  if (i >= 0 && i < count) SetI32(base + 4 * static_cast<std::size_t>(i), v);
}
double Configuration::F64At(std::size_t base, int i, int count) const {
  return i >= 0 && i < count ? F64(base + 8 * static_cast<std::size_t>(i)) : 0.0;
}
void Configuration::SetF64At(std::size_t base, int i, int count, double v) {
  if (i >= 0 && i < count) SetF64(base + 8 * static_cast<std::size_t>(i), v);
}
std::string Configuration::PathAt(std::size_t base, int i, int count) const {
  return i >= 0 && i < count ? Text(base + cfg::kPathWidth * static_cast<std::size_t>(i), cfg::kPathWidth) : std::string();
}
void Configuration::SetPathAt(std::size_t base, int i, int count, std::string_view s) {
  if (i >= 0 && i < count) SetText(base + cfg::kPathWidth * static_cast<std::size_t>(i), cfg::kPathWidth, s);
}

}  // namespace orv
