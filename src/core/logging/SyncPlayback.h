// Synchronized playback: a user (rover) file through the main decoder and a base-station file
// through the second decoder, advanced one measurement block at a time so that the side behind
// in GPS time is always read next. An optional trigger time keeps both decoders' time gates
// closed until the user file reaches it.
#pragma once

#include <cstdint>
#include <string>

#include "logging/LogFile.h"
#include "platform/Desktop.h"
#include "protocol/MessageDecoder.h"

namespace orv {

inline constexpr int kSyncSlotCount = 3;
inline constexpr int32_t kSyncMaxDelaySeconds = 9;
inline constexpr double kSecondsPerWeek = 604800.0;
inline constexpr const char* kSyncFilesInvalid = "One ore more files are invalid.";

// A stored slot or delay read from a damaged configuration record is kept in range.
int ClampSyncSlot(int32_t slot);
int32_t ClampSyncDelay(int32_t delaySeconds);

// Brings two seconds-of-week values onto one time line: a difference above half a week means
// one of them has passed the week boundary, so a week is added to the smaller.
void UnwrapWeek(double& a, double& b);
// `t` is at or after `reference`, across the week boundary.
bool AtOrAfterGpsTime(double t, double reference);

struct SyncPlaybackSettings {
  double triggerTime = 0;  // seconds of week; 0 = no trigger
  int32_t delaySeconds = 0;
  bool loopOn = false;
};

class SyncPlayback {
 public:
  SyncPlayback(LogFile& userReader, LogFile& baseReader, MessageDecoder& mainDecoder, MessageDecoder& secondDecoder)
      : userReader_(userReader), baseReader_(baseReader), main_(mainDecoder), second_(secondDecoder) {}

  // Opens both files with the log file check and puts both decoders in stop-after-measurement
  // mode. When either file fails, the other is closed, "One ore more files are invalid." is
  // shown and false returned.
  bool Start(const std::string& userPath, const std::string& basePath, const SyncPlaybackSettings& settings,
             MessageBoxes* boxes, uint32_t protocolSelector = 1);
  // One poll event. False when the run has ended (either file ended and no loop): the decoders
  // are then out of stop-after-measurement mode and resumed; the caller closes the input.
  bool Step(uint32_t bytesPerTick);
  // Resumes the decoder that is behind in GPS time (the user side on a tie).
  void AlignOnGpsTime();
  // Ends the run, however it ends: both files closed, both decoders back to normal reading.
  void Stop();

  bool active() const { return active_; }
  bool alignmentDone() const { return alignmentDone_; }
  uint32_t lastMainCount() const { return lastMainCount_; }
  uint32_t lastSecondCount() const { return lastSecondCount_; }
  // How many times both files were started over by "Loop On".
  int loopCount() const { return loopCount_; }
  const SyncPlaybackSettings& settings() const { return settings_; }

 private:
  bool OpenFiles(MessageBoxes* boxes);
  void PrepareDecoders();
  void ReleaseHeldSide(bool userHeld);
  // Feeds one side when its decoder is ready; true when that read found the end of the file.
  static bool Feed(LogFile& reader, MessageDecoder& decoder, uint32_t bytes, uint32_t& count);

  LogFile& userReader_;
  LogFile& baseReader_;
  MessageDecoder& main_;
  MessageDecoder& second_;
  SyncPlaybackSettings settings_;
  std::string userPath_;
  std::string basePath_;
  uint32_t protocol_ = 1;
  bool active_ = false;
  bool alignmentDone_ = false;
  uint32_t lastMainCount_ = 0;
  uint32_t lastSecondCount_ = 0;
  int loopCount_ = 0;
  // The side not to be read until the other has taken its first measurement block.
  bool holdUser_ = false;
  bool holdBase_ = false;
  double firstUserTime_ = 0;
  double firstBaseTime_ = 0;
};

}  // namespace orv
