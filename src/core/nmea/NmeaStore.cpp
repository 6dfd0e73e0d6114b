// Sentence identification and storing.
#include "nmea/NmeaStore.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <cstring>

#include "nmea/NmeaParsers.h"

namespace orv {

namespace {

constexpr int kAddressCopy = 9;
constexpr int kStandardAddress = 5;  // talker and three-letter code

// The talkers and the standard codes are looked up by a multiplicative hash of their letters
// into a small table, one compare per lookup: the letters vary from sentence to sentence, and a
// chain of branches on them is mispredicted often. The multipliers were chosen so that no two
// entries share a place, which the static_asserts below check.
constexpr uint32_t Letters(const char* c, int n) {
  uint32_t key = 0;
  for (int i = 0; i < n; ++i) key |= static_cast<uint32_t>(static_cast<uint8_t>(c[i])) << (8 * i);
  return key;
}

struct Entry {
  uint32_t key = 0;
  int slot = -1;
};

constexpr uint32_t kTalkerMultiplier = 0x3C6EF362u;  // eight places
constexpr uint32_t kCodeMultiplier = 0x9E3779B1u;    // sixteen places
constexpr uint32_t TalkerPlace(uint32_t key) { return (key * kTalkerMultiplier) >> 29; }
constexpr uint32_t CodePlace(uint32_t key) { return (key * kCodeMultiplier) >> 28; }

constexpr const char* kTalkers[] = {"GP", "GN", "GL", "GA", "GB", "BD", "QZ"};
constexpr Entry kCodes[] = {{Letters("GGA", 3), kSlotGga}, {Letters("GLL", 3), kSlotGll}, {Letters("GSA", 3), kSlotGsa},
                            {Letters("GSV", 3), kSlotGsv}, {Letters("MSS", 3), kSlotMss}, {Letters("RMC", 3), kSlotRmc},
                            {Letters("VTG", 3), kSlotVtg}, {Letters("ZDA", 3), kSlotZda}};

// A place no talker or code takes holds key 0; the letters "\0\0" or "\0\0\0", whose key is 0,
// hash to place 0, which a talker and a code hold (asserted below), so they never match.
constexpr auto kTalkerTable = [] {
  std::array<uint32_t, 8> t{};
  for (const char* talker : kTalkers) t[TalkerPlace(Letters(talker, 2))] = Letters(talker, 2);
  return t;
}();
constexpr auto kCodeTable = [] {
  std::array<Entry, 16> t{};
  for (const Entry& e : kCodes) t[CodePlace(e.key)] = e;
  return t;
}();
static_assert(std::count_if(kTalkerTable.begin(), kTalkerTable.end(), [](uint32_t k) { return k != 0; }) ==
              std::ssize(kTalkers));
static_assert(std::count_if(kCodeTable.begin(), kCodeTable.end(), [](const Entry& e) { return e.key != 0; }) ==
              std::ssize(kCodes));
static_assert(kTalkerTable[TalkerPlace(0)] != 0 && kCodeTable[CodePlace(0)].key != 0);

bool IsTalker(const char* c) {
  const uint32_t key = Letters(c, 2);
  return kTalkerTable[TalkerPlace(key)] == key;
}

// The slot of a standard three-letter code, or -1.
int StandardSlot(const char* c) {
  const uint32_t key = Letters(c, 3);
  const Entry& e = kCodeTable[CodePlace(key)];
  return e.key == key ? e.slot : -1;
}

}  // namespace

NmeaAddress NmeaStore::Identify(const char* body, int length) {
  // The address is looked for in the first nine characters of the body only (the sentence's
  // terminated nine-character copy): nothing past the body takes part, so no '*', checksum
  // digit or stale byte can complete an address.
  const int n = std::clamp(length, 0, kAddressCopy);

  // Proprietary addresses are compared whole: PQTLG,900 to PQTLG,908 where a slot exists.
  if (n == kAddressCopy && std::memcmp(body, "PQTLG,90", 8) == 0) {
    const char d = body[8];
    if (d == '0' || d == '1' || d == '2' || d == '3' || d == '6' || d == '7' || d == '8') {
      return {d - '0', 1 + kAddressCopy};
    }
  }
  // Standard addresses anywhere in the nine characters; the kinds are searched in slot
  // order, so the lowest slot found wins ("GPVTGPGGA" is a GGA), and within a kind the first
  // place.
  NmeaAddress found;
  // Almost every sentence has its address in front. Another address overlapping that one
  // would have to start with the last letter of its code, and only VTG ends in a letter that
  // starts a talker; so unless it is a VTG, an address in front is the answer.
  if (n >= kStandardAddress && IsTalker(body)) {
    const int slot = StandardSlot(body + 2);
    if (slot >= 0 && slot != kSlotVtg) return {slot, 1 + kStandardAddress};
  }
  for (int i = 0; i + kStandardAddress <= n; ++i) {
    if (!IsTalker(body + i)) continue;
    const int slot = StandardSlot(body + i + 2);
    if (slot >= 0 && (found.slot < 0 || slot < found.slot)) found = {slot, 1 + i + kStandardAddress};
  }
  return found;
}

// Counts the sentence in its slot; true when it is to be stored.
inline bool NmeaStore::Count(NmeaAddress address, DecoderFlags& flags, DecoderCounters& counters) {
  ++counters.nmeaCountBySlot[static_cast<std::size_t>(address.slot)];
  if (address.slot == kSlotNavStatus && flags.expectReceiverAnswer == 1) flags.receiverAnswered = 1;
  return flags.decodingEnabled == 1 && flags.timeGateOpen != 0;
}

int NmeaStore::OnSentence(const char* sentence, int length, DecoderFlags& flags, DecoderCounters& counters,
                          MessageBoxes* boxes) {
  lastStoredSlot_ = -1;
  if (sentence == nullptr || length < 1 || sentence[0] != '$') return -1;
  // The body ends at the '*' before the two checksum digits.
  const int bodyEnd = length >= 4 && sentence[length - 3] == '*' ? length - 3 : length;
  // The address in front, which Identify takes first, is looked up here; the call to Identify
  // and the storing are out of line, so that the usual sentence takes a path without calls.
  const int frontSlot = bodyEnd - 1 >= kStandardAddress && IsTalker(sentence + 1) ? StandardSlot(sentence + 3) : -1;
  if (frontSlot < 0 || frontSlot == kSlotVtg) return OnOtherAddress(sentence, bodyEnd, flags, counters, boxes);
  const NmeaAddress address{frontSlot, 1 + kStandardAddress};
  if (!Count(address, flags, counters)) return address.slot;
  return StoreSentence(address, sentence, bodyEnd, boxes);
}

int NmeaStore::OnOtherAddress(const char* sentence, int bodyEnd, DecoderFlags& flags, DecoderCounters& counters,
                              MessageBoxes* boxes) {
  const NmeaAddress address = Identify(sentence + 1, bodyEnd - 1);
  if (address.slot < 0) return -1;
  if (!Count(address, flags, counters)) return address.slot;
  return StoreSentence(address, sentence, bodyEnd, boxes);
}

int NmeaStore::StoreSentence(NmeaAddress address, const char* sentence, int bodyEnd, MessageBoxes* boxes) {
  if (address.slot == kSlotQueueFull) {
    // The receiver's only error report in NMEA: too many requests at once, the user's doing.
    if (boxes != nullptr) boxes->MessageBox(kQueueFullText, "", MessageIcon::Exclamation);
    return address.slot;
  }
  // The fields start after the address and the comma that closes it.
  const char* const end = sentence + bodyEnd;
  const char* fields = sentence + address.addressEnd;
  if (fields < end) ++fields;
  Store(address.slot, fields, end);
  lastStoredSlot_ = address.slot;
  return address.slot;
}

void NmeaStore::Store(int slot, const char* fields, const char* end) {
  NmeaFieldReader r(fields, end);
  switch (slot) {
    case kSlotNavStatus: ParseNavStatus(r, navStatus_); Tell(navStatus_); break;
    case kSlotSelfTest: ParseSelfTest(r, selfTest_); Tell(selfTest_); break;
    case kSlotRadiobeacon: ParseRadiobeacon(r, radiobeacon_); Tell(radiobeacon_); break;
    case kSlotToWaypoint: ParseToWaypoint(r, toWaypoint_); Tell(toWaypoint_); break;
    case kSlotUserPosition: ParseUserPosition(r, userPosition_); Tell(userPosition_); break;
    case kSlotRxParam: ParseRxParam(r, rxParam_); Tell(rxParam_); break;
    case kSlotGga: ParseGga(r, gga_); Tell(gga_); break;
    case kSlotGll: ParseGll(r, gll_); Tell(gll_); break;
    case kSlotGsa: ParseGsa(r, gsa_); Tell(gsa_); break;
    case kSlotGsv: ParseGsv(r, gsv_); Tell(gsv_); break;
    case kSlotMss: ParseMss(r, mss_); Tell(mss_); break;
    case kSlotRmc: ParseRmc(r, rmc_); Tell(rmc_); break;
    case kSlotVtg: ParseVtg(r, vtg_); Tell(vtg_); break;
    case kSlotZda: ParseZda(r, zda_); Tell(zda_); break;
    default: break;
  }
}

}  // namespace orv
