// The simulated receiver's behaviour, apart from any line: what it answers to each request,
// what it sends continuously and when, and how it switches protocol and rate. The host feeds it
// the console's bytes and the time, and sends what it leaves in its output queue.
//
// KTX Binary: a One Shot request is answered at once and ends a Continuous output of the same
// message (it is the only way the console has to stop one); a Continuous request starts output
// at once and then once a second, the measurement block (23) at the rate its payload asks for
// (0..3: 1, 2, 5, 10 Hz). Message 6 brings 7 with it. Ephemerides (22) and almanacs (76) come
// all at once for One Shot and one satellite a second for Continuous.
//
// NMEA: GGA, GLL, GSA, GSV, RMC, VTG, ZDA and $PQTLG,900 once a second from the start;
// $PQTLG,004,<code> sends one sentence now; $PQTLG,005,[interval],<code>,<rate>,... sets the
// seconds between outputs of each code (0 stops it).
//
// Messages 81, 82 and 87 set the elevation mask, the satellites not to track and the channels
// not to use: messages 33, 49 and 6/7 follow them. Messages 80 (operating mode) and 91
// (differential messages) change what message 47 reports; 69 (timing parameters) what 113
// reports after its time fields; 103 (Set Date and Time) moves the clock every message follows.
//
// Message 88 chooses the datum positions are given in (options 0 and 2; option 1 only defines a
// user datum), and message 20 reports its number from then on.
//
// Both modes switch on message 110 (bit 7 set: NMEA, clear: KTX Binary; bits 0-6 the rate
// code) and, in NMEA mode, on $PQTLG,000,<protocol>,<rate> (protocol 1 KTX Binary, 0 NMEA;
// rate in bit/s). Message 110 is understood in NMEA mode too: the console confirms an NMEA
// rate with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "sim/SimAlmanac.h"
#include "sim/SimBinary.h"
#include "sim/SimFiles.h"
#include "sim/SimMemory.h"
#include "sim/SimInput.h"
#include "sim/SimNmea.h"
#include "sim/SimScene.h"

namespace orv::sim {

enum class SimProtocol { Ktx, Nmea };

struct SimSettings {
  SimProtocol protocol = SimProtocol::Ktx;
  uint32_t baud = 9600;
  uint32_t seed = 1;
  double startGpsTime = 0;  // seconds since the GPS epoch at time 0
  // Every Nth frame or sentence sent goes out with a wrong checksum (0: none), to exercise
  // the console's error counters.
  uint32_t badChecksumEvery = 0;
  // How the almanac upload (78, 79) is answered.
  SimAlmanacOptions almanac;
  // How the file download (70/6) goes wrong, if at all.
  SimDownloadOptions download;
};

inline constexpr double kNever = std::numeric_limits<double>::infinity();

class SimReceiver {
 public:
  explicit SimReceiver(const SimSettings& settings);

  // Bytes from the console, heard at the receiver's own rate, at time `now` (seconds).
  void Receive(const uint8_t* bytes, std::size_t n, double now);
  // Sends every continuous output due by `now`, each at most once per call.
  void Advance(double now);
  // When the next continuous output is due; kNever when none runs.
  double NextDue() const;

  const std::vector<uint8_t>& output() const { return output_; }
  // The host has written everything queued: a rate change that waited for it happens now,
  // before anything more is heard.
  void OnOutputSent();
  void Consume(std::size_t n);
  void DiscardOutput() { output_.clear(); }

  SimProtocol protocol() const { return protocol_; }
  uint32_t baud() const { return baud_; }
  double now() const { return now_; }
  bool IsContinuous(int message) const { return binarySchedule_.count(message) != 0; }
  // The datum positions are reported in (0: WGS 1984).
  int datumNumber() const { return datumNumber_; }
  // The mask and deselections the console's commands set.
  const SimControls& controls() const { return scene_.controls(); }
  // The operating mode and differential messages messages 80 and 91 set (message 47).
  const SimBaseState& base() const { return base_; }
  const SimTiming& timing() const { return timing_; }
  // Seconds between outputs of an NMEA code; 0 when it is off.
  int NmeaPeriod(std::string_view code) const;
  // What the $PQTLG,908 report says; a valid $PQTLG,008 changes it.
  const SimRxParams& rxParams() const { return rxParams_; }
  const SimAlmanacUpload& almanacUpload() const { return almanac_; }
  // The files the receiver holds (70/2 lists them, 70/6 downloads them).
  SimFileTable& files() { return files_; }
  const SimDownload& download() const { return download_; }
  // The memory the dump and load messages read and write.
  const SimMemory& memory() const { return memory_; }

  // The rate a code of message 110 means: 65, 66, 67 for 38400, 57600, 115200, else code x 300.
  static uint32_t BaudFromCode(uint8_t code);

 private:
  struct BinaryEntry {
    double period = 1.0;
    double nextDue = 0;
    uint8_t rateCode = 0;   // message 23
    std::size_t cursor = 0; // messages 22 and 76: next satellite
  };
  struct NmeaEntry {
    int periodS = 1;
    double nextDue = 0;
  };

  void OnFrame(const InputItem& item);
  void OnSentence(const std::string& body);
  void OnBinaryRequest(int message, bool continuous, const std::vector<uint8_t>& payload);
  void OnDatum(const std::vector<uint8_t>& payload);
  void OnControl(int message, const std::vector<uint8_t>& payload);
  void OnBaseCommand(int message, const std::vector<uint8_t>& payload);
  void OnTimeCommand(int message, const std::vector<uint8_t>& payload);
  void SwitchTo(SimProtocol protocol, uint32_t baud);
  void ResetNmeaSchedule(double from);

  // Sends message `message` for the fix; for 22 and 76 one satellite when `one`, else all.
  void SendBinary(int message, const SimFix& fix, BinaryEntry* cycle);
  void SendFrame(int message, const Payload& payload, bool corrupt = false);
  void OnFileMessage(const std::vector<uint8_t>& payload);
  void OnMemoryDump(int message, bool continuous, const std::vector<uint8_t>& payload);
  void SendMemoryDump(int message);
  void PumpDownload();
  void SendNmea(int codeIndex, const SimFix& fix);
  // Counts one frame or sentence out; true when this one is to carry a wrong checksum.
  bool SpoilNext();
  bool Backlogged() const;

  SimScene scene_;
  SimProtocol protocol_;
  uint32_t baud_;
  double now_ = 0;
  int datumNumber_ = 0;
  SimBaseState base_ = BaseAtCentre();
  SimTiming timing_;
  InputScanner scanner_;
  std::map<int, BinaryEntry> binarySchedule_;
  NmeaEntry nmeaSchedule_[kNmeaCodeCount];
  SimRxParams rxParams_;
  uint32_t badChecksumEvery_ = 0;
  uint32_t sentCount_ = 0;
  std::vector<uint8_t> output_;
  SimAlmanacUpload almanac_;
  SimFileTable files_ = SimFileTable::Defaults();
  SimDownload download_;
  SimMemory memory_;
  std::map<int, uint32_t> dumpAddress_;  // messages 60-62: the address last asked for
};

}  // namespace orv::sim
