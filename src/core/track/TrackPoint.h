// One epoch of a receiver's solution as the track tools see it, whichever message or sentences
// it came from.
#pragma once

#include <cstdint>
#include <optional>

namespace orv {

// How a point was fixed, in the words GPX uses.
enum class FixKind { kUnknown, kNone, k2d, k3d, kDgps, kPps };

const char* FixKindText(FixKind fix);  // "none", "2d", "3d", "dgps", "pps"; "" when unknown

struct Epoch {
  // Time of the epoch: nanoseconds since 1970-01-01 00:00:00 UTC when the date is known,
  // otherwise since the UTC midnight of an unknown day.
  int64_t timeNs = 0;
  bool hasDate = false;

  bool positionValid = false;
  double latitude = 0;   // degrees, north positive
  double longitude = 0;  // degrees, east positive
  std::optional<double> altitude;  // metres

  // The receiver's own word for the solution: the navigation mode of messages 20 and 21, or
  // the fix quality of a GGA sentence.
  std::optional<int> mode;
  FixKind fix = FixKind::kUnknown;
  std::optional<int> satellites;
  std::optional<double> hdop;
  std::optional<double> vdop;
  std::optional<double> speed;   // m/s over ground
  std::optional<double> course;  // degrees from true north
};

}  // namespace orv
