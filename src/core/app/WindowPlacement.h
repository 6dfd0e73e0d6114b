// The main frame's placement and toolbar layout in the application profile. The placement is
// one entry of ten numbers; it is applied only when all ten parse.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Profile.h"

namespace orv {

inline constexpr const char* kProfileSection = "Settings";
inline constexpr const char* kWindowPosEntry = "WindowPos";
// The frame keeps its bar state under this name: a section of its own, entry kBarStateEntry.
inline constexpr const char* kBarStateKey = "General7.5-Que";
inline constexpr const char* kBarStateEntry = "State";
// Placement flag: a frame closed while maximized opens maximized again.
inline constexpr uint32_t kRestoreToMaximized = 2;

struct WindowPlacement {
  uint32_t flags = 0;
  uint32_t showState = 0;
  int32_t minX = 0, minY = 0;
  int32_t maxX = 0, maxY = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // the normal (restored) rectangle
  bool operator==(const WindowPlacement&) const = default;
};

// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d".
std::string FormatWindowPos(const WindowPlacement& p);
// Exactly ten numbers in that form (blanks allowed before each number and at the end); any
// other text, a missing or extra number or a value out of range gives nullopt.
std::optional<WindowPlacement> ParseWindowPos(std::string_view text);

// What the frame applies on creation; nullopt leaves it at its default placement.
std::optional<WindowPlacement> LoadWindowPlacement(const Profile& profile);
// On closing: the flags say whether to come back maximized.
void SaveWindowPlacement(Profile& profile, WindowPlacement current, bool maximized);

std::optional<std::string> LoadBarState(const Profile& profile);
void SaveBarState(Profile& profile, const std::string& state);

}  // namespace orv
