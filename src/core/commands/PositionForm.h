// "Position": altitude in metres, latitude and longitude as degrees, minutes and seconds. The
// dialogs that take a position open it with their position and read back what OK gives.
#pragma once

#include <optional>

#include "forms/Form.h"
#include "geodesy/NavUtility.h"

namespace orv {

// The position is read and given as a GeodeticPosition: radians, and the altitude as height.

class PositionForm {
 public:
  static constexpr int kAltitude = 1701;
  static constexpr int kLatDegrees = 1702;
  static constexpr int kLatMinutes = 1703;
  static constexpr int kLatSeconds = 1704;
  static constexpr int kLonDegrees = 1705;
  static constexpr int kLonMinutes = 1706;
  static constexpr int kLonSeconds = 1707;
  // The altitudes the dialog takes, metres.
  static constexpr double kMinAltitude = -10000;
  static constexpr double kMaxAltitude = 100000;

  explicit PositionForm(const GeodeticPosition& start = {});
  Form& form() { return form_; }
  const std::optional<GeodeticPosition>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<GeodeticPosition> accepted_;
};

}  // namespace orv
