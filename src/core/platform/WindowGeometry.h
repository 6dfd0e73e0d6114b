// The screen rectangles that Save Config stores: the main frame's own and those of the open
// message windows. The frame answers from its windows; the tests from a table.
#pragma once

#include <cstdint>
#include <optional>

namespace orv {

// A window rectangle in screen coordinates: left, top, right, bottom.
struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

class WindowGeometry {
 public:
  virtual ~WindowGeometry() = default;
  virtual std::optional<ScreenRect> MainWindowRect() const = 0;
  // The current rectangle of the open window that `commandId` toggles; nullopt when that
  // window does not exist.
  virtual std::optional<ScreenRect> WindowRect(int commandId) const = 0;
};

}  // namespace orv
