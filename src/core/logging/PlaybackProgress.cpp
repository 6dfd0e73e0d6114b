// The playback share and its status-bar texts.
#include "logging/PlaybackProgress.h"

#include <algorithm>

#include "util/Format.h"

namespace orv {

int PlaybackPercent(int64_t position, int64_t size) {
  if (size <= 0) return 100;
  const int64_t at = std::clamp<int64_t>(position, 0, size);
  // 64-bit: a file of several GiB times 100 still fits.
  return static_cast<int>(at * 100 / size);
}

std::string PlaybackProgressText(const std::string& fileName, int percent) {
  return Format("Playback: %d%% of %s", percent, fileName.c_str());
}

std::string PlaybackEndText(const std::string& fileName, int percent) {
  if (percent >= 100) return "Playback finished: " + fileName;
  return Format("Playback ended at %d%% of %s: the file could not be read further", percent, fileName.c_str());
}

std::string PlaybackPairEndText(const std::string& fileName, int percent) {
  return Format("Playback finished at %d%% of %s: the base file has ended", percent, fileName.c_str());
}

std::string PlaybackStoppedText(const std::string& fileName, int percent) {
  return Format("Playback stopped at %d%% of %s", percent, fileName.c_str());
}

void PlaybackProgress::Start(std::string fileName) {
  fileName_ = std::move(fileName);
  percent_ = -1;
  active_ = true;
}

std::string PlaybackProgress::Update(int64_t position, int64_t size) {
  if (!active_) return {};
  const int now = PlaybackPercent(position, size);
  if (now == percent_) return {};
  percent_ = now;
  return PlaybackProgressText(fileName_, now);
}

}  // namespace orv
