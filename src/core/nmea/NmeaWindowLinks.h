// The links from the NMEA data store to the windows that show its records: one interface per
// record kind, each told with a pointer to the record after every sentence parsed into it.
// An absent link means no window of that kind is open; the record is stored all the same.
#pragma once

#include "nmea/NmeaRecords.h"

namespace orv {

template <typename Record>
class NmeaRecordLink {
 public:
  virtual ~NmeaRecordLink() = default;
  // The record lives as long as the decoder; the window may keep the pointer.
  virtual void ShowRecord(const Record* record) = 0;
};

using NmeaNavStatusLink = NmeaRecordLink<NmeaNavStatusRecord>;
using NmeaSelfTestLink = NmeaRecordLink<NmeaSelfTestRecord>;
using NmeaRadiobeaconLink = NmeaRecordLink<NmeaRadiobeaconRecord>;
using NmeaToWaypointLink = NmeaRecordLink<NmeaToWaypointRecord>;
using NmeaUserPositionLink = NmeaRecordLink<NmeaUserPositionRecord>;
using NmeaRxParamLink = NmeaRecordLink<NmeaRxParamRecord>;
using NmeaGgaLink = NmeaRecordLink<NmeaGgaRecord>;
using NmeaGllLink = NmeaRecordLink<NmeaGllRecord>;
using NmeaGsaLink = NmeaRecordLink<NmeaGsaRecord>;
using NmeaGsvLink = NmeaRecordLink<NmeaGsvRecord>;
using NmeaMssLink = NmeaRecordLink<NmeaMssRecord>;
using NmeaRmcLink = NmeaRecordLink<NmeaRmcRecord>;
using NmeaVtgLink = NmeaRecordLink<NmeaVtgRecord>;
using NmeaZdaLink = NmeaRecordLink<NmeaZdaRecord>;

}  // namespace orv
