// Payloads of the KTX Binary messages the simulated receiver sends, built from the scene in
// the byte layouts the console's data store reads.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/SimScene.h"

namespace orv::sim {

using Payload = std::vector<uint8_t>;

SimBaseState BaseAtCentre();

inline constexpr int kChannels = 12;

// Message 6 (channels 1-6) or 7 (channels 7-12): a block byte, then six 14-byte entries.
Payload ChannelAssignment(const SimFix& f, bool firstHalf);
// Messages 18 and 19: baseline from the circle's centre (41 bytes).
Payload BaselineSolution(const SimFix& f, bool matched);
// 20, 71 bytes; the datum number (0..63) goes into the upper half of the satellite byte (its
// low four bits) and bits 4-5 of the status byte.
Payload NavLlh(const SimFix& f, int datumNumber = 0);
Payload NavXyz(const SimFix& f);                  // 21, 79 bytes
Payload Ephemeris(const SimFix& f, int prn);      // 22, 73 bytes
Payload MeasurementBlock(const SimFix& f);        // 23, 11 + n * 11 bytes
Payload SvStatus(const SimFix& f);                // 33, 61 bytes
Payload PartNumber();                             // 45, 95 bytes
// 47, 42 + 2 * count bytes; the default state: a base on the scene's centre.
Payload BaseStatus(const SimFix& f, const SimBaseState& base = BaseAtCentre(), double elapsed = 0);
Payload DgpsStatus(const SimFix& f);              // 48, 24 bytes
Payload ReceiverStatus(const SimFix& f);          // 49, 40 bytes
Payload SatelliteHealth(const SimFix& f);         // 50, 8 bytes
Payload FaultLog();                               // 57, 80 bytes
Payload RawDgps(const SimFix& f);                 // 65, 24 bytes
Payload Almanac(const SimFix& f, int prn);        // 76, 79 bytes
Payload SystemProfile();                          // 111, 4 bytes per entry
// 113, 59 bytes: the time fields, then from byte 32 the timing parameters of message 69.
Payload TimingInformation(const SimFix& f, const SimTiming& timing = {});

// Mask angle the receiver reports, degrees.
inline constexpr double kMaskAngleDeg = kSimMaskAngleDeg;

}  // namespace orv::sim
