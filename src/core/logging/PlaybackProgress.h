// How far a playback has got, as the status bar says it: the share of the file read, in
// whole percent, while it runs, and how it ended.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// The percent of a file of `size` bytes read up to `position`, rounded down, so that 100 is
// shown only once the whole file has been read; an empty file counts as read. Positions
// outside the file are clamped.
int PlaybackPercent(int64_t position, int64_t size);

// "Playback: 42% of drive.log".
std::string PlaybackProgressText(const std::string& fileName, int percent);
// "Playback finished: drive.log" when the file was read to its end, else "Playback ended at
// 42% of drive.log: the file could not be read further" (a read error ends it like the end).
std::string PlaybackEndText(const std::string& fileName, int percent);
// A synchronized playback ends with the first of its two files: "Playback finished at 60% of
// rover.log: the base file has ended".
std::string PlaybackPairEndText(const std::string& fileName, int percent);
// "Playback stopped at 42% of drive.log": the user stopped it.
std::string PlaybackStoppedText(const std::string& fileName, int percent);

// Follows one playback and gives the pane text only when the percent shown changes, so a
// 10 ms poll does not redraw the status bar at every tick.
class PlaybackProgress {
 public:
  void Start(std::string fileName);
  // The text to show after a read that left the file at `position` of `size` bytes (asked
  // each time: a file still being written grows); empty when the percent shown is unchanged.
  std::string Update(int64_t position, int64_t size);
  void Clear() { active_ = false; }
  bool active() const { return active_; }
  int percent() const { return percent_; }
  const std::string& fileName() const { return fileName_; }

 private:
  std::string fileName_;
  int percent_ = -1;
  bool active_ = false;
};

}  // namespace orv
