// The main frame's recordings: the main port through the timed recorder (with the Log File
// Setup and message list dialogs, or the fixed requests of automatic logging), and the aux
// port, which the poll writes itself.
#include <fcntl.h>

#include <algorithm>
#include <filesystem>

#include "app/MainFrame.h"
#include "ids/CommandIds.h"
#include "logging/LogFileSetupForm.h"
#include "logging/MessageListForm.h"
#include "util/Format.h"

namespace orv {

namespace {
constexpr char kLogFilter[] = "Log Files (*.log) |*.log|All Files (*.*) |*.*||";
constexpr int kCreateFlags = O_CREAT | O_RDWR | O_TRUNC;
constexpr int kCreatePermissions = 0600;

// A recording always starts empty: the file is created truncated even when the delete before
// it failed (a file that cannot be removed may still be writable).
bool CreateRecordingFile(LogFile& file, const std::string& path) {
  LogFile::Delete(path);
  return file.Create(path, kCreateFlags, kCreatePermissions);
}

std::string DirectoryOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }
}  // namespace

void CMainFrame::SetSummaryWindow(ElapsedTimeLink* window) {
  summaryWindow_ = window;
  recorder_.SetWindow(window);
}

void CMainFrame::RefreshRecordingViews() {
  if (onRecordingStopped_) onRecordingStopped_();
  if (summaryWindow_ != nullptr) summaryWindow_->Refresh();
  desktop_.RefreshMenus();
}

void CMainFrame::EndAutomaticLogging() {
  state_.autoLogActive = 0;
  mainDecoder_->SetLoggingCountOn(0);
  recorder_.SetWindow(nullptr);
}

void CMainFrame::EndMainRecording() {
  // StopInput(6) detaches the file, the encoder and the log sink, kills timer 23 and ends
  // automatic logging.
  StopInput(6);
  RefreshRecordingViews();
}

void CMainFrame::OnSaveMainPortData() {
  if (state_.mainRecording) {
    EndMainRecording();
    return;
  }
  const FileDialogRequest request{"log", kLogFilter, config_.mainRecordingPath()};
  const std::optional<std::string> chosen = desktop_.AskSaveFileName(request);
  if (chosen && !chosen->empty()) {
    config_.SetMainRecordingPath(*chosen);
    config_.SetMainRecordingDirectory(DirectoryOf(*chosen));
    StartMainRecording(*chosen);
  } else if (state_.autoLogActive) {
    EndAutomaticLogging();
  }
  RefreshRecordingViews();
}

void CMainFrame::StartMainRecording(const std::string& path) {
  // Nothing may keep writing to the file object about to be replaced.
  recorder_.SetFile(nullptr);
  mainDecoder_->AttachLogWriter(nullptr);
  writerFiles_[kMainRecordingFile] = std::make_unique<LogFile>();
  LogFile& file = *writerFiles_[kMainRecordingFile];
  if (!CreateRecordingFile(file, path)) {
    state_.mainRecording = 0;
    if (onRecordingStopped_) onRecordingStopped_();
    // Automatic logging cannot run without its file.
    if (state_.autoLogActive) EndAutomaticLogging();
    desktop_.MessageBox("Unable to create KTX log file.", "", MessageIcon::Exclamation);
    return;
  }
  desktop_.SetPaneText(kPaneRecording, Format("%s:", path.c_str()));

  RecordingTiming timing;
  const bool ktx = config_.protocolSelector() != 0;
  if (!state_.autoLogActive) {
    LogFileSetupForm setup(RecordingSettings::FromConfiguration(config_));
    if (desktop_.RunForm(setup.form())) {
      const RecordingSettings settings = setup.Settings();
      settings.Store(config_);
      timing = settings.Timing();
      MessageListForm list(messageSelection_);
      if (desktop_.RunForm(list.form())) {
        messageSelection_ = list.Selection();
        for (const RecordingRequest& r : SelectionRequests(messageSelection_)) encoder_->SendRequest(r.code, r.mode);
      }
    }
  } else if (ktx) {
    for (const RecordingRequest& r : AutomaticLogRequests()) encoder_->SendRequest(r.code, r.mode);
  }

  recorder_.SetFile(&file);
  recorder_.SetEncoder(encoder_.get());
  recorder_.Configure(timing.startSeconds, timing.durationSeconds, timing.timed);
  mainDecoder_->AttachLogWriter(&recorder_);
  state_.mainRecording = 1;
  if (state_.recordTimer != 0) desktop_.KillTimer(kRecordTimer);
  state_.recordTimer = desktop_.SetTimer(kRecordTimer, 1000);
}

void CMainFrame::OnAutomaticLogging() {
  if (!state_.mainPortOpen) {
    OnAutoConnect();
    if (!state_.mainPortOpen) {
      desktop_.MessageBox("Port Not Open. Open port before running test", "", MessageIcon::Exclamation);
      return;
    }
  }
  if (state_.autoLogActive) {
    desktop_.MessageBox("Automatic log already running.", "", MessageIcon::Exclamation);
    return;
  }
  // The recording command toggles: run while a recording is on, it would end that recording.
  if (state_.mainRecording) {
    desktop_.MessageBox("The main port is already being recorded.\nStop the recording before starting automatic logging.",
                        "", MessageIcon::Exclamation);
    return;
  }
  state_.autoLogActive = 1;
  if (config_.protocolSelector() != 0) encoder_->SendRequest(1063, kOneShot);
  mainDecoder_->SetLoggingCountOn(1);
  OnSaveMainPortData();
  if (!state_.autoLogActive) return;
  if (summaryWindow_ == nullptr) {
    RunCommand(cmd::kWndAutoLogSummary);
  } else {
    recorder_.SetWindow(summaryWindow_);
  }
}

void CMainFrame::OnSaveAuxPortData() {
  if (!state_.auxPortOpen) {
    desktop_.MessageBox("No port has been selected! (Auxillary).", "", MessageIcon::Exclamation);
    return;
  }
  if (state_.auxRecording) {
    StopInput(8);
    return;
  }
  const FileDialogRequest request{"log", kLogFilter, config_.auxRecordingPath()};
  const std::optional<std::string> chosen = desktop_.AskSaveFileName(request);
  if (!chosen || chosen->empty()) return;
  config_.SetAuxRecordingPath(*chosen);
  config_.SetAuxRecordingDirectory(DirectoryOf(*chosen));
  if (!CreateRecordingFile(*writerFiles_[kAuxRecordingFile], *chosen)) {
    state_.auxRecording = 0;
    desktop_.MessageBox("Unable to create the log file (aux port data).", "", MessageIcon::Exclamation);
    return;
  }
  auxWriteFailed_ = false;
  state_.auxRecording = 1;
  desktop_.RefreshMenus();
}

// The file keeps what was written before the failure; the message names it so the user knows
// where the recording stopped.
void CMainFrame::CheckRecordingWrites() {
  if (state_.mainRecording && recorder_.writeFailed()) {
    const std::string path = writerFiles_[kMainRecordingFile]->fileName();
    EndMainRecording();
    timerBoxes_.MessageBox(Format("Unable to write the KTX log file %s.\nThe recording has been stopped.", path.c_str()),
                           "", MessageIcon::Exclamation);
  }
  if (state_.auxRecording && auxWriteFailed_) {
    auxWriteFailed_ = false;
    const std::string path = writerFiles_[kAuxRecordingFile]->fileName();
    StopInput(8);
    timerBoxes_.MessageBox(
        Format("Unable to write the log file (aux port data) %s.\nThe recording has been stopped.", path.c_str()), "",
        MessageIcon::Exclamation);
  }
}

}  // namespace orv
