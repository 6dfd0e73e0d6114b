// The catalogue of the binary message windows: which page class shows which window, and where
// it is linked.
#pragma once

#include <span>

#include "windows/MessageWindows.h"

namespace orv {

std::span<const PageKind> BinaryPageKinds();

}  // namespace orv
