// NMEA 0183 sentences of the simulated receiver: the standard GP sentences, its beacon signal
// $GPMSS and its proprietary $PQTLG,9nn reports, built from the scene, with their checksums.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimScene.h"

namespace orv::sim {

// The sentences the receiver outputs, by three-letter code, in the order it sends them. The
// first kNmeaDefaultCodes are sent every second from the start; the others only on request.
inline constexpr std::string_view kNmeaCodes[] = {"GGA", "GLL", "GSA", "GSV", "RMC", "VTG", "ZDA",
                                                  "900", "902", "903", "906", "907", "908", "MSS"};
inline constexpr int kNmeaCodeCount = 14;
inline constexpr int kNmeaDefaultCodes = 8;

// The receiver parameters its $PQTLG,908 reports and a $PQTLG,008 sets.
struct SimRxParams {
  int timeAlignmentMode = 1;
  int mslModelUse = 1;
  int tropoModelUse = 1;
  double maskAngleDeg = 5.0;
  int datumNumber = 47;
  int dgpsMode = 2;
  int diffCoastTimeS = 30;
  uint32_t auxBaudRate = 9600;
  int latLonResolution = 4;
  int utcTimeResolution = 2;
};
// The fields after "PQTLG,008" (time alignment mode, MSL model, tropo model, mask angle,
// datum, DGPS mode, coast time, aux baud rate, lat/long and UTC resolutions); none when one
// is missing or out of its range.
std::optional<SimRxParams> ParseRxParams(const std::vector<std::string>& fields);
// Index of a code in kNmeaCodes, or -1.
int NmeaCodeIndex(std::string_view code);

// XOR of the characters between '$' and '*', as two upper-case hexadecimal digits.
std::string NmeaChecksum(std::string_view body);
// "$" body "*" checksum CR LF.
std::string NmeaSentence(std::string_view body);
// The sentences for one code (GSV gives one per four satellites); none for an unknown code.
std::vector<std::string> NmeaSentencesFor(std::string_view code, const SimFix& f, const SimRxParams& params = {});

// The comma-separated fields of a sentence body (address first).
std::vector<std::string> SplitFields(std::string_view body);

}  // namespace orv::sim
