// The poll loop and the input state of the main frame.
#include "app/MainFrame.h"
#include "app/ReceiverShare.h"

#include <algorithm>
#include <chrono>

#include "maintenance/FileManager.h"
#include "protocol/ProtocolSwitch.h"
#include "serial/SerialPort.h"
#include "util/Format.h"

namespace orv {

namespace {
constexpr int32_t kAckLimitMs = kAlmanacAckLimitMs;
constexpr int32_t kTransferStepMs = 100;

// The forced baud sweep: one step per timer event. Steps 0-7 ask an NMEA receiver, steps 8-16
// a binary one, to move to 9600; step 17 settles at 9600.
constexpr uint32_t kSweepRates[18] = {300,  600,   1200,  2400,  4800,  9600, 19200, 38400, 300,
                                      600,  1200,  2400,  4800,  19200, 38400, 57600, 115200, 9600};
constexpr int kSweepLastNmeaStep = 7;
constexpr int kSweepFinalStep = 17;
}  // namespace

CMainFrame::CMainFrame(Desktop& desktop, const PortFactory& makePort) : desktop_(desktop), makePort_(makePort) {
  config_.SetDefaults();
  mainDecoder_ = std::make_unique<ReceiverDecoder>();
  secondDecoder_ = std::make_unique<ReceiverDecoder>();
  secondDecoder_->SetBaseFileFlag(1);
  share_ = std::make_unique<ReceiverShare>(*this);
  mainPort_ = makePort(mainDecoder_.get());
  mainReconnect_ = std::make_unique<PortReconnect>(*mainPort_);
  SetMonotonicClock(nullptr);
  auxPort_ = makePort(nullptr);
  outputPort_ = makePort(nullptr);
  playbackReader_ = std::make_unique<LogFile>(mainDecoder_.get());
  secondPlaybackReader_ = std::make_unique<LogFile>(secondDecoder_.get());
  sync_ = std::make_unique<SyncPlayback>(*playbackReader_, *secondPlaybackReader_, *mainDecoder_, *secondDecoder_);
  for (auto& file : writerFiles_) file = std::make_unique<LogFile>();
  encoder_ = std::make_unique<FrameEncoder>(mainPort_.get());
  nmeaEncoder_ = std::make_unique<NmeaEncoder>(mainPort_.get());

  const uint8_t initial[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                               17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
  smallRing_.Write(initial, 5);
  largeRing_.Write(initial, 32);

  mainDecoder_->SetStatusBar(&desktop_);
  mainDecoder_->SetMessageBoxes(&timerBoxes_);
  mainDecoder_->SetProtocolSelector(static_cast<uint32_t>(config_.protocolSelector()));
  desktop_.SetPaneText(kPaneRecording, "");
  desktop_.SetPaneText(kPanePort, kPortPaneInitial);
}

CMainFrame::~CMainFrame() {
  share_->Stop();
  if (state_.pollTimer != 0) desktop_.KillTimer(kPollTimer);
  if (state_.recordTimer != 0) desktop_.KillTimer(kRecordTimer);
  if (fileManagerPoll_) desktop_.KillTimer(kFileManagerTimer);
}

// The window opens and closes through the page framework, which knows nothing of the frame's
// timers; the frame's own poll looks at it instead. Without an open port there is no poll and
// nothing to ask, and the timer goes with the poll.
void CMainFrame::KeepFileManagerPoll() {
  const bool open = mainDecoder_->store().links().fileManager != nullptr;
  if (open == fileManagerPoll_) return;
  fileManagerPoll_ = open;
  if (open) {
    desktop_.SetTimer(kFileManagerTimer, kFileManagerPollMs);
  } else {
    desktop_.KillTimer(kFileManagerTimer);
  }
}

bool CMainFrame::IsAnyInputActive() const {
  return state_.mainPortOpen || state_.auxPortOpen || state_.syncPlaybackActive || state_.playbackActive;
}

void CMainFrame::ArmPollTimer(uint32_t periodMs) {
  if (state_.pollTimer != 0) return;
  state_.pollTimer = desktop_.SetTimer(kPollTimer, periodMs);
}

void CMainFrame::KillPollTimerIfIdle() {
  if (!IsAnyInputActive() && state_.pollTimer != 0) {
    desktop_.KillTimer(kPollTimer);
    state_.pollTimer = 0;
    if (fileManagerPoll_) desktop_.KillTimer(kFileManagerTimer);
    fileManagerPoll_ = false;
  }
}

void CMainFrame::RestoreTitle() { desktop_.SetTitle(kEditionTitle); }

bool CMainFrame::AnyStoppableActive() const {
  return state_.mainPortOpen || state_.outputPortOpen || state_.playbackActive || state_.rtkFileOpen ||
         state_.dgpsFileOpen || state_.syncPlaybackActive || state_.mainRecording || state_.auxRecording;
}

void CMainFrame::TimerBoxes::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
  if (frame_.inTimerEvent()) {
    frame_.desktop_.PostMessageBox(text, caption, icon);
  } else {
    frame_.desktop_.MessageBox(text, caption, icon);
  }
}

void CMainFrame::OnTimer(int timerId) {
  struct Depth {
    explicit Depth(int& d) : d_(d) { ++d_; }
    ~Depth() { --d_; }
    int& d_;
  } depth(timerDepth_);
  ++state_.tickCount;
  // The file-manager poll asks for the active file's state ("Info."), and only while the
  // file manager window is there to show the answer: a zeroed request would be a Create.
  if (timerId == kFileManagerTimer && mainDecoder_->store().links().fileManager != nullptr) {
    encoder_->SendSubIdCommand(70, 1, FileInfoRequest());
  }
  if (timerId == kPollTimer) {
    KeepFileManagerPoll();
    PollMainPort();
    PollAuxPort();
    if (mainDecoder_->flags().transferActive) StepAlmanacTransfer();
    if (state_.playbackActive && !state_.syncPlaybackActive) {
      if (mainDecoder_->readyForInput()) {
        state_.lastMainCount = playbackReader_->Receive(PlaybackBytesPerTick());
      }
      if (state_.lastMainCount == 0) {
        // The file has ended.
        ShowPlaybackEnd();
        StopInput(2);
        KillPollTimerIfIdle();
      } else {
        ShowPlaybackProgress();
      }
    }
    if (state_.syncPlaybackActive && !state_.playbackActive) {
      if (syncPlaybackStep_) {
        syncPlaybackStep_();
      } else {
        SyncPlaybackStep();
      }
    }
    CheckRecordingWrites();
    share_->Service();
  }
  if (timerId == kRecordTimer) StepRecordTimer();
  if (state_.sweepActive) StepBaudSweep();
  if (state_.confirmPending) StepProtocolConfirmation();
  // Qt timers never queue a backlog of timer events behind a slow one, so nothing has to be
  // discarded here.
}

// The rate comes from the configuration file; a value outside the dialog's range (a damaged
// file) would end the playback at once or read past what one event should carry.
uint32_t CMainFrame::PlaybackBytesPerTick() const {
  const int32_t rate = config_.playbackBytesPerTick();
  return static_cast<uint32_t>(rate < 1 ? 1 : (rate > 5000 ? 5000 : rate));
}

void CMainFrame::SetMonotonicClock(std::function<int64_t()> nowMs) {
  if (nowMs) {
    monotonicMs_ = std::move(nowMs);
    return;
  }
  monotonicMs_ = [] {
    using namespace std::chrono;
    return static_cast<int64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  };
}

void CMainFrame::ShowMainPortLost() {
  const std::string name = config_.mainPortName();
  desktop_.SetPaneText(kPanePort, name + ": lost");
  desktop_.SetTitle(name + ": lost - " + kEditionTitle);
  desktop_.SetPaneText(kPaneMessage, "Port " + name + " lost; waiting for it to come back");
  desktop_.RefreshMenus();
}

void CMainFrame::ShowMainPortBack() {
  const std::string name = config_.mainPortName();
  // A frame cut by the loss must not swallow the first bytes of the new line.
  mainDecoder_->DropPartialFrame();
  desktop_.SetPaneText(kPanePort, name + ":");
  desktop_.SetTitle(name + " - " + Format("(%d) - ", static_cast<int>(mainPortRate_)) + kEditionTitle);
  desktop_.SetPaneText(kPaneMessage, "Port " + name + " reconnected");
  desktop_.RefreshMenus();
}

void CMainFrame::PollMainPort() {
  if (!state_.mainPortOpen) return;
  if (mainReconnect_->lost()) {
    // The attempts never wait: a network connection is settled on later polls.
    if (mainReconnect_->Step(monotonicMs_()) != PortReconnect::Event::Reconnected) return;
    ShowMainPortBack();
  }
  if (!mainDecoder_->readyForInput()) return;
  // A 100 ms poll of single 1000-byte reads carries 10000 bytes/s, less than a 115200 bit/s
  // line: keep reading while reads come back full, so every standard rate keeps up.
  uint32_t total = 0;
  for (int i = 0; i < kMaxReadsPerPoll && mainDecoder_->readyForInput(); ++i) {
    const uint32_t n = mainPort_->Receive(kPortReadSize);
    total += n;
    if (n < kPortReadSize) break;
  }
  state_.lastMainCount = total;
  // What was read before the loss has been decoded and recorded already.
  if (mainReconnect_->Step(monotonicMs_()) == PortReconnect::Event::Lost) ShowMainPortLost();
}

void CMainFrame::PollAuxPort() {
  if (!state_.auxPortOpen) return;
  uint32_t n = 0;
  if (!auxPort_->Read(auxBuffer_.data(), kPortReadSize, n)) return;
  auxBuffer_[n] = 0;
  if (auxWindow_ != nullptr) {
    auxWindow_->ShowText(reinterpret_cast<const char*>(auxBuffer_.data()), n);
    LogFile& file = *writerFiles_[kAuxRecordingFile];
    if (state_.auxRecording && file.isOpen() && n > 0 && !file.Send(auxBuffer_.data(), n)) auxWriteFailed_ = true;
  }
}

void CMainFrame::StartAlmanacTransfer(std::vector<AlmanacTransferRecord> records) {
  transferRecords_ = std::move(records);
  state_.transferRecordCount = static_cast<uint32_t>(transferRecords_.size());
  state_.transferNextIndex = 0;
  state_.transferElapsedMs = 0;
  mainDecoder_->SetAckReceived(0);
  mainDecoder_->SetTransferActive(1);
}

// Each acknowledgement releases the next record. Every acknowledgement is awaited for 15 s
// (counted in 100 ms steps whatever the timer's period): a transfer left waiting would let a
// later acknowledgement of some other command release stale records.
void CMainFrame::StepAlmanacTransfer() {
  ReceiverDecoder& d = *mainDecoder_;
  state_.transferElapsedMs += kTransferStepMs;
  const uint32_t count = std::min<uint32_t>(state_.transferRecordCount, static_cast<uint32_t>(transferRecords_.size()));
  if (!d.flags().ackReceived && state_.transferElapsedMs > kAckLimitMs) {
    d.SetTransferActive(0);
    const uint32_t n = state_.transferNextIndex;
    timerBoxes_.MessageBox(n == 0 ? std::string(kAlmanacNoHeaderAck)
                                  : AlmanacRecordNoAckText(n, count, n <= count ? transferRecords_[n - 1].second : 0),
                           kAlmanacCaption, MessageIcon::Stop);
  } else if (d.flags().ackReceived) {
    if (state_.transferNextIndex < count) {
      d.SetAckReceived(0);
      state_.transferElapsedMs = 0;
      const AlmanacTransferRecord& r = transferRecords_[state_.transferNextIndex++];
      encoder_->SendAlmanacData(r.first, r.second, r.parameters);
      desktop_.SetPaneText(kPaneMessage, AlmanacProgressText(state_.transferNextIndex, count));
    } else {
      d.SetTransferActive(0);
      timerBoxes_.MessageBox(AlmanacCompleteText(count), kAlmanacCaption, MessageIcon::Information);
    }
  }
}

void CMainFrame::StepRecordTimer() {
  if (!recorder_.Step()) return;
  // StopInput(6) detaches the file, the encoder and the decoder's log sink.
  StopInput(6);
}

void CMainFrame::StartBaudSweep() {
  state_.sweepActive = 1;
  state_.sweepStep = 0;
}

void CMainFrame::StepBaudSweep() {
  const int step = state_.sweepStep;
  if (step >= 0 && step <= kSweepFinalStep) {
    ChangeMainBaud(kSweepRates[step]);
    if (step <= kSweepLastNmeaStep) {
      SendNmeaProtocolAndBaud(1, 9600);
    } else if (step < kSweepFinalStep) {
      encoder_->SendProtocolAndBaud(false, 9600);
    }
  }
  if (step >= kSweepFinalStep || step < 0) {
    state_.sweepActive = 0;
    state_.sweepStep = -1;
  }
  ++state_.sweepStep;
}

void CMainFrame::StartProtocolConfirmation() {
  state_.confirmPending = 1;
  state_.confirmTicks = 0;
}

void CMainFrame::StepProtocolConfirmation() {
  if (state_.confirmTicks == 1) {
    encoder_->SendProtocolAndBaud(true, static_cast<uint32_t>(config_.mainBaudRate()));
    state_.confirmPending = 0;
    state_.confirmTicks = -1;
  }
  ++state_.confirmTicks;
}

void CMainFrame::SendNmeaProtocolAndBaud(int protocolSelector, uint32_t baud) {
  nmeaEncoder_->SendSentence(kNmeaProtocolSelection, ProtocolAndBaudSentenceData(protocolSelector, baud));
}

void CMainFrame::ResetDecodersForOpen() {
  for (ReceiverDecoder* d : {mainDecoder_.get(), secondDecoder_.get()}) {
    d->ResetCounters();
    d->SetStopAfterMeasurement(0);
    d->SetBaseFileFlag(0);
  }
}

void CMainFrame::ChangeMainBaud(uint32_t baud) {
  if (state_.mainPortOpen) {
    mainDecoder_->SetTimeGateOpen(0);
    StopInput(2);
    KillPollTimerIfIdle();
  }
  const std::string name = config_.mainPortName();
  desktop_.SetTitle(name + " - " + kEditionTitle);
  StopInput(2);
  if (StartMainPort(name, baud)) desktop_.SetPaneText(kPanePort, name + ":");
  desktop_.RefreshMenus();
  if (onMainPortReopened_) onMainPortReopened_();
}

// A device that cannot be opened (missing, held by another program, not a serial line) is
// said so and leaves the port closed: the title, the port pane and the menu's check mark must
// not show a port that delivers nothing.
bool CMainFrame::StartMainPort(const std::string& name, uint32_t baud) {
  if (!mainPort_->Open(name, baud, 'N', 8, 1)) {
    mainPort_->Close();
    RestoreTitle();
    desktop_.SetPaneText(kPanePort, kPortPaneClosed);
    KillPollTimerIfIdle();
    ShowPortOpenFailure(name, *mainPort_);
    return false;
  }
  mainPortRate_ = baud;
  ArmPollTimer(kSerialPollMs);
  if (!state_.rtkFileOpen) mainDecoder_->SetTimeGateOpen(1);
  ResetDecodersForOpen();
  // A synchronized playback stopped mid-block leaves the decoder waiting to be resumed; the
  // port would never be read.
  mainDecoder_->Resume();
  state_.mainPortOpen = 1;
  return true;
}

void CMainFrame::ShowPortOpenFailure(const std::string& name, const PortChannel& port) {
  const std::string reason = port.OpenError();
  boxes().MessageBox(PortOpenFailureText(name, reason), "Serial Port", MessageIcon::Stop);
}

void CMainFrame::ReopenMainPort() {
  if (!state_.mainPortOpen) return;
  mainDecoder_->SetTimeGateOpen(0);
  StopInput(2);
  ChangeMainBaud(static_cast<uint32_t>(config_.mainBaudRate()));
}

void CMainFrame::StopInput(int kind) {
  switch (kind) {
    case 2:
      // What is shared is the input being closed.
      share_->Stop();
      // A confirmation still due belongs to the line being closed; sent on a later one it
      // would move a receiver nobody asked to move.
      state_.confirmPending = 0;
      state_.confirmTicks = 0;
      mainReconnect_->Reset();
      if (state_.mainPortOpen) {
        mainPort_->Close();
        mainPortRate_ = 0;
        state_.mainPortOpen = 0;
        desktop_.SetPaneText(kPanePort, kPortPaneClosed);
        desktop_.RefreshMenus();
        RestoreTitle();
      }
      if (state_.playbackActive || state_.syncPlaybackActive) {
        // Stopped before its end (the end has said so already and cleared the share).
        if (playbackProgress_.active()) {
          desktop_.SetPaneText(kPaneMessage, PlaybackStoppedText(playbackProgress_.fileName(), playbackProgress_.percent()));
          playbackProgress_.Clear();
        }
      }
      if (state_.playbackActive) {
        playbackReader_->Close();
        state_.playbackActive = 0;
        desktop_.SetPaneText(kPanePort, kPortPaneClosed);
        desktop_.RefreshMenus();
        RestoreTitle();
      }
      if (state_.syncPlaybackActive) {
        // Both files closed, and both decoders out of stop-after-measurement mode: an input
        // opened next is read.
        sync_->Stop();
        playbackReader_->Close();
        secondPlaybackReader_->Close();
        state_.syncPlaybackActive = 0;
        desktop_.SetPaneText(kPanePort, kPortPaneClosed);
        desktop_.RefreshMenus();
        RestoreTitle();
      }
      break;
    case 3:
      if (state_.outputPortOpen) {
        outputPort_->Close();
        state_.outputPortOpen = 0;
        mainDecoder_->store().SetRetransmitChannel(nullptr);
      }
      break;
    case 6:
      // The recorder and the decoder must never keep a file that the next recording replaces.
      recorder_.SetFile(nullptr);
      recorder_.SetEncoder(nullptr);
      mainDecoder_->AttachLogWriter(nullptr);
      if (state_.mainRecording) {
        writerFiles_[kMainRecordingFile]->Close();
        state_.mainRecording = 0;
        if (onRecordingStopped_) onRecordingStopped_();
        desktop_.SetPaneText(kPaneRecording, "");
        if (state_.recordTimer != 0) {
          desktop_.KillTimer(kRecordTimer);
          state_.recordTimer = 0;
        }
        if (state_.autoLogActive) EndAutomaticLogging();
        // A timed recording also ends here by itself: "&Stop" and the check marks follow.
        desktop_.RefreshMenus();
      }
      break;
    case 7:
      if (state_.auxPortOpen) {
        auxPort_->Close();
        state_.auxPortOpen = 0;
      }
      // Nothing is left to record once the aux port is closed.
      StopInput(8);
      break;
    case 8:
      if (state_.auxRecording) {
        writerFiles_[kAuxRecordingFile]->Close();
        state_.auxRecording = 0;
        desktop_.RefreshMenus();
      }
      break;
    default:
      break;
  }
}

void CMainFrame::OnStop() {
  StopInput(2);
  StopInput(7);
  if (closeAuxWindow_) closeAuxWindow_();
  StopInput(3);
  StopInput(6);
  StopInput(8);
  mainDecoder_->ResetCounters();
  RestoreTitle();
  if (state_.pollTimer != 0) desktop_.KillTimer(kPollTimer);
  state_.pollTimer = 0;
  if (fileManagerPoll_) desktop_.KillTimer(kFileManagerTimer);
  fileManagerPoll_ = false;
  desktop_.RefreshMenus();
}

}  // namespace orv
