// The ranges of the configuration fields that the console reads.
#include "config/ConfigurationRanges.h"

#include <cmath>

#include "platform/PosixSerialDevice.h"

namespace orv {

namespace {

// Far beyond any screen, near enough that widths and sums of coordinates stay in 32 bits.
constexpr int32_t kCoordinateLimit = 1 << 20;
constexpr int32_t kMaxPlaybackBytesPerTick = 5000;
constexpr double kSecondsPerWeek = 604800.0;

bool IsFlag(int32_t v) { return v == 0 || v == 1; }

bool Fits(const ScreenRect& r, const std::optional<ScreenRect>& screen) {
  if (r.right <= r.left || r.bottom <= r.top) return false;
  if (screen) return r.left >= screen->left && r.top >= screen->top && r.right <= screen->right && r.bottom <= screen->bottom;
  return r.left > -kCoordinateLimit && r.top > -kCoordinateLimit && r.right < kCoordinateLimit && r.bottom < kCoordinateLimit;
}

bool InRange(double v, double lo, double hi) { return std::isfinite(v) && v >= lo && v <= hi; }

}  // namespace

bool IsOfferedBaudRate(int32_t baud) {
  return baud > 0 && PosixSerialDevice::SpeedFor(static_cast<uint32_t>(baud)).has_value();
}

int KeepConfigurationInRange(Configuration& record, const std::optional<ScreenRect>& screen) {
  Configuration defaults;
  defaults.SetDefaults();
  int replaced = 0;
  auto keep = [&replaced](bool ok, auto restore) {
    if (ok) return;
    restore();
    ++replaced;
  };

  for (const auto& w : WindowTable()) {
    keep(IsFlag(record.I32(w.flagOffset)), [&] { record.SetWindowOpen(w.command, false); });
    keep(Fits(record.windowRect(w.command), screen),
         [&] { record.SetWindowRect(w.command, defaults.windowRect(w.command)); });
  }
  const MainWindowPlacement m = record.mainWindow();
  // Position and size are bounded before they are added, so the sum cannot overflow.
  auto bounded = [](int32_t v) { return v > -kCoordinateLimit && v < kCoordinateLimit; };
  const bool mainFits = m.width > 0 && m.height > 0 && bounded(m.width) && bounded(m.height) && bounded(m.left) &&
                        bounded(m.top) && Fits({m.left, m.top, m.left + m.width, m.top + m.height}, screen);
  keep(mainFits, [&] { record.SetMainWindow(defaults.mainWindow()); });

  keep(IsOfferedBaudRate(record.mainBaudRate()), [&] { record.SetMainBaudRate(defaults.mainBaudRate()); });
  keep(IsFlag(record.protocolSelector()), [&] { record.SetProtocolSelector(defaults.protocolSelector()); });
  keep(IsOfferedBaudRate(record.outputBaudRate()), [&] { record.SetOutputBaudRate(defaults.outputBaudRate()); });
  keep(IsFlag(record.outputFlowChoice()), [&] { record.SetOutputFlowChoice(defaults.outputFlowChoice()); });

  const int32_t slot = record.syncSelectedSlot();
  keep(slot >= 0 && slot <= 2, [&] { record.SetSyncSelectedSlot(defaults.syncSelectedSlot()); });
  keep(IsFlag(record.syncLoopOn()), [&] { record.SetSyncLoopOn(defaults.syncLoopOn()); });
  for (int i = 0; i < 3; ++i) {
    keep(InRange(record.syncTriggerTime(i), 0, kSecondsPerWeek),
         [&] { record.SetSyncTriggerTime(i, defaults.syncTriggerTime(i)); });
  }
  const int32_t rate = record.playbackBytesPerTick();
  keep(rate >= 1 && rate <= kMaxPlaybackBytesPerTick,
       [&] { record.SetPlaybackBytesPerTick(defaults.playbackBytesPerTick()); });

  keep(IsFlag(record.recordStartChecked()), [&] { record.SetRecordStartChecked(defaults.recordStartChecked()); });
  keep(IsFlag(record.recordStopChecked()), [&] { record.SetRecordStopChecked(defaults.recordStopChecked()); });
  keep(record.recordStartMinutes() >= 0, [&] { record.SetRecordStartMinutes(defaults.recordStartMinutes()); });
  keep(record.recordStopMinutes() >= 0, [&] { record.SetRecordStopMinutes(defaults.recordStopMinutes()); });

  keep(record.plotShowGrid() <= 1, [&] { record.SetPlotShowGrid(defaults.plotShowGrid()); });
  keep(record.plotShowCoordinates() <= 1, [&] { record.SetPlotShowCoordinates(defaults.plotShowCoordinates()); });
  keep(record.plotDotStyle() <= 1, [&] { record.SetPlotDotStyle(defaults.plotDotStyle()); });
  keep(record.plotCentreOnDefault() <= 1, [&] { record.SetPlotCentreOnDefault(defaults.plotCentreOnDefault()); });
  keep(InRange(record.plotCentreLatitude(), -90, 90),
       [&] { record.SetPlotCentreLatitude(defaults.plotCentreLatitude()); });
  keep(InRange(record.plotCentreLongitude(), -180, 180),
       [&] { record.SetPlotCentreLongitude(defaults.plotCentreLongitude()); });

  // An ellipsoid needs a finite positive axis and an inverse flattening above 1.
  for (int which = 1; which <= 2; ++which) {
    UserDatum d = record.userDatum(which);
    const UserDatum factory = defaults.userDatum(which);
    const bool ok = InRange(d.semiMajorAxis, 1, 1e9) && InRange(d.inverseFlattening, 1.000001, 1e12);
    keep(ok, [&] {
      d.semiMajorAxis = factory.semiMajorAxis;
      d.inverseFlattening = factory.inverseFlattening;
      record.SetUserDatum(which, d);
    });
  }
  return replaced;
}

}  // namespace orv
