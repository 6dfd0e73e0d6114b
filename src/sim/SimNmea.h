// NMEA 0183 sentences of the simulated receiver: the standard GP sentences and its $PQTLG,900
// navigation status, built from the scene, with their checksums.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/SimScene.h"

namespace orv::sim {

// The sentences the receiver outputs, by three-letter code, in the order it sends them.
inline constexpr std::string_view kNmeaCodes[] = {"GGA", "GLL", "GSA", "GSV", "RMC", "VTG", "ZDA", "900"};
inline constexpr int kNmeaCodeCount = 8;
// Index of a code in kNmeaCodes, or -1.
int NmeaCodeIndex(std::string_view code);

// XOR of the characters between '$' and '*', as two upper-case hexadecimal digits.
std::string NmeaChecksum(std::string_view body);
// "$" body "*" checksum CR LF.
std::string NmeaSentence(std::string_view body);
// The sentences for one code (GSV gives one per four satellites); none for an unknown code.
std::vector<std::string> NmeaSentencesFor(std::string_view code, const SimFix& f);

// The comma-separated fields of a sentence body (address first).
std::vector<std::string> SplitFields(std::string_view body);

}  // namespace orv::sim
