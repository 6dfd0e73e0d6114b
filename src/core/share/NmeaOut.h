// NMEA 0183 sentences made from a KTX Binary solution and satellite view, so that software that
// reads only NMEA can use a receiver that talks KTX Binary: GGA, RMC, GSA, GSV and ZDA with the
// GP talker. Fields the solution does not give are left empty.
#pragma once

#include <string>
#include <vector>

#include "share/GpsdJson.h"

namespace orv {

std::string GgaSentence(const ShareFix& fix);
std::string RmcSentence(const ShareFix& fix);
std::string GsaSentence(const ShareFix& fix, const SkyView& sky);
std::vector<std::string> GsvSentences(const SkyView& sky);
// Empty when the epoch has no date.
std::string ZdaSentence(const ShareFix& fix);

// The sentences of one epoch in the order a receiver sends them: GGA, RMC, GSA and GSV when a
// satellite view is known, ZDA when the date is. Each ends in CR LF.
std::vector<std::string> EpochSentences(const ShareFix& fix, const SkyView* sky);

// A PRN as NMEA 0183 numbers it: SBAS 120-151 become 33-64; GPS stays as it is.
int NmeaPrn(int prn);
// And back: 33-64 are SBAS 120-151.
int PrnOfNmea(int nmeaPrn);

}  // namespace orv
