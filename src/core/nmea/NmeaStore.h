// The NMEA side of the data store: identifies each sentence that passed its checksum, counts
// it in its slot, parses it into its record and tells its window.
#pragma once

#include <cstdint>
#include <tuple>

#include "nmea/NmeaRecords.h"
#include "nmea/NmeaWindowLinks.h"
#include "platform/Desktop.h"
#include "protocol/DecoderState.h"
#include "protocol/NmeaSentenceSink.h"

namespace orv {

// Count slots of the sentences (nmeaCountBySlot).
enum NmeaSlot : int {
  kSlotNavStatus = 0,    // PQTLG,900
  kSlotQueueFull = 1,    // PQTLG,901
  kSlotSelfTest = 2,     // PQTLG,902
  kSlotRadiobeacon = 3,  // PQTLG,903
  kSlotToWaypoint = 6,   // PQTLG,906
  kSlotUserPosition = 7, // PQTLG,907
  kSlotRxParam = 8,      // PQTLG,908
  kSlotGga = 10,
  kSlotGll = 11,
  kSlotGsa = 12,
  kSlotGsv = 13,
  kSlotMss = 14,
  kSlotRmc = 15,
  kSlotVtg = 16,
  kSlotZda = 17,
};

inline constexpr const char* kQueueFullText = "More than 8 data requests are pending.";

// What the address of a sentence says: its slot (-1 when unknown) and the offset, from the
// '$', of the character that follows the address.
struct NmeaAddress {
  int slot = -1;
  int addressEnd = 0;
};

class NmeaStore : public NmeaSentenceSink {
 public:
  // `sentence` starts with '$' and ends after the two checksum digits. Counts the sentence
  // in its slot and, while decoding is enabled and the time gate open, stores it. Returns
  // the slot, or -1 when its address is not known.
  int OnSentence(const char* sentence, int length, DecoderFlags& flags, DecoderCounters& counters,
                 MessageBoxes* boxes) override;

  // Identifies a sentence by the (at most) nine characters that follow its '$': the
  // proprietary addresses must match all nine, the standard ones may stand anywhere in them
  // behind any of the talkers GP, GN, GL, GA, GB, BD and QZ. `body` is the sentence body
  // without the '$' and `length` its length up to the '*'.
  static NmeaAddress Identify(const char* body, int length);

  // The slot of the last sentence parsed into its record, or -1 when the last sentence was
  // not stored (unknown, gated, or the queue-full report that has no record).
  int lastStoredSlot() const { return lastStoredSlot_; }

  template <typename Record>
  void SetLink(NmeaRecordLink<Record>* link) {
    std::get<NmeaRecordLink<Record>*>(links_) = link;
  }

  const NmeaNavStatusRecord& navStatus() const { return navStatus_; }
  const NmeaSelfTestRecord& selfTest() const { return selfTest_; }
  const NmeaRadiobeaconRecord& radiobeacon() const { return radiobeacon_; }
  const NmeaToWaypointRecord& toWaypoint() const { return toWaypoint_; }
  const NmeaUserPositionRecord& userPosition() const { return userPosition_; }
  const NmeaRxParamRecord& rxParam() const { return rxParam_; }
  const NmeaGgaRecord& gga() const { return gga_; }
  const NmeaGllRecord& gll() const { return gll_; }
  const NmeaGsaRecord& gsa() const { return gsa_; }
  const NmeaGsvRecord& gsv() const { return gsv_; }
  const NmeaMssRecord& mss() const { return mss_; }
  const NmeaRmcRecord& rmc() const { return rmc_; }
  const NmeaVtgRecord& vtg() const { return vtg_; }
  const NmeaZdaRecord& zda() const { return zda_; }

 private:
  // The rarer parts of OnSentence: a sentence whose address is not a standard one in front, and
  // the storing of a counted sentence.
  [[gnu::noinline]] int OnOtherAddress(const char* sentence, int bodyEnd, DecoderFlags& flags, DecoderCounters& counters,
                                       MessageBoxes* boxes);
  static bool Count(NmeaAddress address, DecoderFlags& flags, DecoderCounters& counters);
  [[gnu::noinline]] int StoreSentence(NmeaAddress address, const char* sentence, int bodyEnd, MessageBoxes* boxes);
  void Store(int slot, const char* fields, const char* end);
  template <typename Record>
  void Tell(const Record& record) {
    if (auto* link = std::get<NmeaRecordLink<Record>*>(links_)) link->ShowRecord(&record);
  }

  int lastStoredSlot_ = -1;
  NmeaNavStatusRecord navStatus_;
  NmeaSelfTestRecord selfTest_;
  NmeaRadiobeaconRecord radiobeacon_;
  NmeaToWaypointRecord toWaypoint_;
  NmeaUserPositionRecord userPosition_;
  NmeaRxParamRecord rxParam_;
  NmeaGgaRecord gga_;
  NmeaGllRecord gll_;
  NmeaGsaRecord gsa_;
  NmeaGsvRecord gsv_;
  NmeaMssRecord mss_;
  NmeaRmcRecord rmc_;
  NmeaVtgRecord vtg_;
  NmeaZdaRecord zda_;
  std::tuple<NmeaNavStatusLink*, NmeaSelfTestLink*, NmeaRadiobeaconLink*, NmeaToWaypointLink*,
             NmeaUserPositionLink*, NmeaRxParamLink*, NmeaGgaLink*, NmeaGllLink*, NmeaGsaLink*,
             NmeaGsvLink*, NmeaMssLink*, NmeaRmcLink*, NmeaVtgLink*, NmeaZdaLink*>
      links_{};
};

}  // namespace orv
