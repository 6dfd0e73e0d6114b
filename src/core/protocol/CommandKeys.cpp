// The fixed key values. Kept as text constants (or bytes, for the super-user password) and
// copied into 8-byte arrays where a frame needs them.
#include "protocol/CommandKeys.h"

#include <cstring>

namespace orv {

namespace {
CommandKey FromText(const char (&text)[9]) {
  CommandKey key{};
  std::memcpy(key.data(), text, 8);
  return key;
}

constexpr char kGeneral[9] = "ZKQW-731";
constexpr char kOldInitLink[9] = "ZKQW-517";
constexpr uint8_t kSuperUser[8] = {0x5A, 0xA5, 0x3C, 0xC3, 0x96, 0x69, 0x0F, 0xF0};
constexpr char kDateTime1[9] = "TMSY-114";
constexpr char kDateTime2[9] = "TMSY-228";
constexpr char kDateTime4[9] = "TMSY-442";
constexpr char kModeKeys[5][9] = {"OPMD-R01", "OPMD-B02", "OPMD-S03", "OPMD-T04", "OPMD-I05"};
constexpr char kGroupKeys[6][9] = {"CFGG-601", "CFGG-602", "CFGG-603",
                                   "CFGG-604", "CFGG-605", "CFGG-606"};
}  // namespace

CommandKey GeneralCommandKey() { return FromText(kGeneral); }
CommandKey OldInitLinkPassword() { return FromText(kOldInitLink); }

CommandKey SuperUserInitLinkPassword() {
  CommandKey key{};
  std::memcpy(key.data(), kSuperUser, 8);
  return key;
}

CommandKey DateTimeKey(int mode) {
  switch (mode) {
    case 0: return GeneralCommandKey();
    case 1: return FromText(kDateTime1);
    case 2: return FromText(kDateTime2);
    case 3: return OldInitLinkPassword();
    default: return FromText(kDateTime4);
  }
}

CommandKey OperatingModeKey(std::string_view modeText) {
  for (int i = 0; i < 5; ++i) {
    if (modeText == kOperatingModeTexts[i]) return FromText(kModeKeys[i]);
  }
  return FromText(kModeKeys[0]);
}

CommandKey ConfigGroupKey(int group) {
  if (group < 0 || group > 5) group = 0;
  return FromText(kGroupKeys[group]);
}

}  // namespace orv
