// The 8-byte keys that protected commands carry first in their payload. The general command
// key is also the "new" InitLink password; the others are fixed values of the receiver family.
// They are all kept here, and assembled at run time from these constants.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace orv {

using CommandKey = std::array<uint8_t, 8>;

CommandKey GeneralCommandKey();        // "ZKQW-731"
CommandKey OldInitLinkPassword();
CommandKey SuperUserInitLinkPassword();  // binary bytes, not text
// The keys of message 103 chosen by its mode argument: 1, 2 and 4 (and above).
CommandKey DateTimeKey(int mode);
// One key per operating mode of message 80, chosen by the mode's text; nullopt-like: an unknown
// text yields the first mode's key.
CommandKey OperatingModeKey(std::string_view modeText);
inline constexpr std::string_view kOperatingModeTexts[5] = {
    "Rover", "Base Manual", "Base Self Survey", "Survey Time", "Station ID"};
// The six configuration-group keys of message 90 (index 0 to 5).
CommandKey ConfigGroupKey(int group);

}  // namespace orv
