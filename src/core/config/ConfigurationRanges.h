// What a loaded configuration may hold. The file has no checksum, so a damaged or foreign file
// of the right length loads byte for byte; before anything uses the record, each field whose
// meaning is known is held to its range, and a field outside it takes its default. A field in
// range is never rewritten, so a sound file loads unchanged.
#pragma once

#include <cstdint>
#include <optional>

#include "config/Configuration.h"
#include "platform/WindowGeometry.h"

namespace orv {

// The line rates a port can be opened at (the standard rates from 300 to 921600 bit/s).
bool IsOfferedBaudRate(int32_t baud);

// Flags to 0 or 1, the protocol selector, the port rates, the playback rate (1 to 5000 bytes
// per event), the synchronized playback slot and trigger times, the recording check boxes,
// the plot flags and centre, the user datums' ellipsoids, and every window rectangle: inside
// `screen` when it is known, else at least a rectangle with a positive size within the range
// of a screen coordinate. Returns how many fields were replaced by their defaults.
int KeepConfigurationInRange(Configuration& record, const std::optional<ScreenRect>& screen);

}  // namespace orv
