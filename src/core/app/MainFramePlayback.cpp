// The main frame's single-file playback: the toggling "Open log File" command and the
// Playback Rate dialog. Each poll then reads playbackBytesPerTick bytes of the file into the
// main decoder, and the read that delivers nothing ends the playback (see OnTimer).
#include <algorithm>
#include <filesystem>

#include "app/MainFrame.h"
#include "logging/PlaybackRateForm.h"
#include "logging/SyncPlaybackForm.h"

namespace orv {

// The start of both playback commands: a running playback is stopped (they toggle); otherwise
// the inputs a playback replaces are closed. True when the command is done, as a stop.
bool CMainFrame::StopOrClearInputs(bool running) {
  StopInput(2);
  if (!running) {
    StopInput(7);
    if (closeAuxWindow_) closeAuxWindow_();
  }
  KillPollTimerIfIdle();
  if (running) desktop_.RefreshMenus();
  return running;
}

void CMainFrame::OnOpenLogFile() {
  if (StopOrClearInputs(state_.playbackActive != 0)) return;

  const FileDialogRequest request{"log", "Log Files (*.log) |*.log|All Files (*.*) |*.*||", lastLogPath_};
  const std::optional<std::string> chosen = desktop_.AskOpenFileName(request);
  if (!chosen || chosen->empty()) return;
  const std::filesystem::path path(*chosen);
  lastLogPath_ = *chosen;
  lastLogDirectory_ = path.parent_path().string();
  state_.alignmentDone = 0;
  desktop_.SetTitle(path.filename().string() + " - " + kEditionTitle);

  const uint32_t protocol = config_.protocolSelector() == 0 ? 0 : 1;
  if (!playbackReader_->OpenForPlayback(*chosen, &desktop_, protocol)) {
    // The check has shown its message, if any; the title must not name a file not playing.
    RestoreTitle();
    return;
  }
  ArmPollTimer(kPlaybackPollMs);
  if (!state_.rtkFileOpen) mainDecoder_->SetTimeGateOpen(1);
  ResetDecodersForOpen();
  // A synchronized playback stopped mid-block leaves the decoder waiting to be resumed.
  mainDecoder_->Resume();
  state_.playbackActive = 1;
  desktop_.SetPaneText(kPanePort, "LOG: ");
  playbackProgress_.Start(path.filename().string());
  ShowPlaybackProgress();
  desktop_.RefreshMenus();
}

void CMainFrame::ShowPlaybackProgress() {
  const std::string text = playbackProgress_.Update(playbackReader_->Position(), playbackReader_->Size());
  if (!text.empty()) desktop_.SetPaneText(kPaneMessage, text);
}

// Called while the file is still open: where the reads stopped tells an end of file from a
// read that failed.
void CMainFrame::ShowPlaybackEnd(bool pairEnded) {
  if (!playbackProgress_.active()) return;
  const int percent = PlaybackPercent(playbackReader_->Position(), playbackReader_->Size());
  const std::string& name = playbackProgress_.fileName();
  desktop_.SetPaneText(kPaneMessage, pairEnded && percent < 100 ? PlaybackPairEndText(name, percent)
                                                                 : PlaybackEndText(name, percent));
  playbackProgress_.Clear();
}

void CMainFrame::OnPlaybackRate() {
  PlaybackRateForm dialog(static_cast<uint32_t>(std::max(0, config_.playbackBytesPerTick())));
  if (desktop_.RunForm(dialog.form())) config_.SetPlaybackBytesPerTick(static_cast<int32_t>(dialog.BytesPerTick()));
}

void CMainFrame::OnOpenSynchronizedLogFiles() {
  if (StopOrClearInputs(state_.syncPlaybackActive != 0)) return;

  SyncPlaybackForm dialog(config_, &desktop_);
  if (!desktop_.RunForm(dialog.form())) return;
  state_.alignmentDone = 0;
  const uint32_t protocol = config_.protocolSelector() == 0 ? 0 : 1;
  if (!sync_->Start(dialog.userPath(), dialog.basePath(), dialog.settings(), &desktop_, protocol)) return;
  ArmPollTimer(kPlaybackPollMs);
  state_.syncPlaybackActive = 1;
  state_.lastMainCount = 0;
  state_.lastSecondCount = 0;
  desktop_.SetTitle(std::filesystem::path(dialog.userPath()).filename().string() + " - " + kEditionTitle);
  desktop_.SetPaneText(kPanePort, "LOG: ");
  // The share shown is the user file's: the base file follows it in GPS time.
  playbackProgress_.Start(std::filesystem::path(dialog.userPath()).filename().string());
  ShowPlaybackProgress();
  desktop_.RefreshMenus();
}

void CMainFrame::SyncPlaybackStep() {
  const bool running = sync_->Step(PlaybackBytesPerTick());
  state_.alignmentDone = sync_->alignmentDone() ? 1 : 0;
  state_.lastMainCount = sync_->lastMainCount();
  state_.lastSecondCount = sync_->lastSecondCount();
  if (running) {
    ShowPlaybackProgress();
    return;
  }
  // Either file has ended.
  ShowPlaybackEnd(true);
  StopInput(2);
  KillPollTimerIfIdle();
}

}  // namespace orv
