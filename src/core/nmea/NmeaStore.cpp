// Sentence identification and storing.
#include "nmea/NmeaStore.h"

#include <algorithm>
#include <cstring>

#include "nmea/NmeaParsers.h"

namespace orv {

namespace {

constexpr int kAddressCopy = 9;
constexpr int kStandardAddress = 5;  // talker and three-letter code

bool IsTalker(char a, char b) {
  switch (a) {
    case 'G': return b == 'P' || b == 'N' || b == 'L' || b == 'A' || b == 'B';
    case 'B': return b == 'D';
    case 'Q': return b == 'Z';
    default: return false;
  }
}

// The slot of a standard three-letter code, or -1.
int StandardSlot(const char* c) {
  auto is = [c](const char* code) { return c[0] == code[0] && c[1] == code[1] && c[2] == code[2]; };
  switch (c[0]) {
    case 'G':
      if (is("GGA")) return kSlotGga;
      if (is("GLL")) return kSlotGll;
      if (is("GSA")) return kSlotGsa;
      if (is("GSV")) return kSlotGsv;
      return -1;
    case 'M': return is("MSS") ? kSlotMss : -1;
    case 'R': return is("RMC") ? kSlotRmc : -1;
    case 'V': return is("VTG") ? kSlotVtg : -1;
    case 'Z': return is("ZDA") ? kSlotZda : -1;
    default: return -1;
  }
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
  if (n >= kStandardAddress && IsTalker(body[0], body[1])) {
    const int slot = StandardSlot(body + 2);
    if (slot >= 0 && slot != kSlotVtg) return {slot, 1 + kStandardAddress};
  }
  for (int i = 0; i + kStandardAddress <= n; ++i) {
    if (!IsTalker(body[i], body[i + 1])) continue;
    const int slot = StandardSlot(body + i + 2);
    if (slot >= 0 && (found.slot < 0 || slot < found.slot)) found = {slot, 1 + i + kStandardAddress};
  }
  return found;
}

int NmeaStore::OnSentence(const char* sentence, int length, DecoderFlags& flags, DecoderCounters& counters,
                          MessageBoxes* boxes) {
  lastStoredSlot_ = -1;
  if (sentence == nullptr || length < 1 || sentence[0] != '$') return -1;
  // The body ends at the '*' before the two checksum digits.
  const int bodyEnd = length >= 4 && sentence[length - 3] == '*' ? length - 3 : length;
  const NmeaAddress address = Identify(sentence + 1, bodyEnd - 1);
  if (address.slot < 0) return -1;
  ++counters.nmeaCountBySlot[static_cast<std::size_t>(address.slot)];
  if (address.slot == kSlotNavStatus && flags.expectReceiverAnswer == 1) flags.receiverAnswered = 1;
  if (flags.decodingEnabled != 1 || flags.timeGateOpen == 0) return address.slot;
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
