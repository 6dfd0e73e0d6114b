// The Synchronized Playback Setup dialog: three slots of a user file, a base file and a
// trigger time, the user-versus-base delay and "Loop On", all kept in the configuration record.
#pragma once

#include <cstdint>

#include "config/Configuration.h"
#include "forms/Form.h"
#include "logging/SyncPlayback.h"
#include "platform/Desktop.h"

namespace orv {

class SyncPlaybackForm {
 public:
  static constexpr int kSlot = 1001;  // "1", "2", "3"
  static constexpr int kUserPath = 1002;
  static constexpr int kUserButton = 1003;
  static constexpr int kBasePath = 1004;
  static constexpr int kBaseButton = 1005;
  static constexpr int kDelay = 1006;
  static constexpr int kTrigger = 1007;
  static constexpr int kLoopOn = 1008;
  // The configuration record keeps 199 characters and the terminating zero.
  static constexpr std::size_t kMaxPathChars = 199;
  static constexpr double kMaxTrigger = 604800.0;

  // Opens on the stored slot with its paths and trigger time, the stored delay and "Loop On";
  // the file buttons ask `dialogs` for a file.
  SyncPlaybackForm(Configuration& config, Desktop* dialogs);
  SyncPlaybackForm(const SyncPlaybackForm&) = delete;
  SyncPlaybackForm& operator=(const SyncPlaybackForm&) = delete;

  Form& form() { return form_; }
  // What OK stored: the selected slot's paths and settings.
  int slot() const;
  std::string userPath() const { return form_.Text(kUserPath); }
  std::string basePath() const { return form_.Text(kBasePath); }
  SyncPlaybackSettings settings() const;

 private:
  void ShowSlot(int slot);

  Configuration& config_;
  Form form_;
};

}  // namespace orv
