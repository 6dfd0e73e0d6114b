// The data side of the main frame: it owns every input and output, and one timer event moves
// the bytes of the active input into the decoder and steps the small state machines that need
// a steady clock (almanac transfer, baud sweep, delayed protocol confirmation, timed recording).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "config/Configuration.h"
#include "logging/LogFile.h"
#include "logging/PlaybackProgress.h"
#include "logging/SyncPlayback.h"
#include "logging/TimedRecorder.h"
#include "maintenance/AlmanacTransfer.h"
#include "maintenance/FileDownload.h"
#include "nmea/NmeaEncoder.h"
#include "nmea/ReceiverDecoder.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/PortChannel.h"
#include "protocol/CircularBuffer.h"
#include "protocol/FrameEncoder.h"
#include "serial/AutoConnect.h"
#include "serial/PortReconnect.h"
#include "windows/PageContext.h"

namespace orv {

class ReceiverShare;

// Window timers of the main frame.
inline constexpr int kPollTimer = 1;
inline constexpr int kRecordTimer = 23;
inline constexpr int kFileManagerTimer = 54;
inline constexpr uint32_t kFileManagerPollMs = 2000;
inline constexpr uint32_t kSerialPollMs = 100;
inline constexpr uint32_t kPlaybackPollMs = 10;
// One read of a port; a poll event repeats it while reads come back full.
inline constexpr uint32_t kPortReadSize = 1000;
inline constexpr int kMaxReadsPerPoll = 64;

// Menu commands of the frame.
inline constexpr int kCmdOpenLogFile = 32771;
inline constexpr int kCmdPlaybackRate = 32808;

inline constexpr const char* kEditionTitle = "ORVANTIS QUENMARSH";
inline constexpr const char* kPortPaneInitial = "COM NONE           ";
inline constexpr const char* kPortPaneClosed = "COM NONE     ";

// Input and output state; all flags are 0 or 1.
struct MainFrameState {
  uint32_t mainPortOpen = 0;
  uint32_t playbackActive = 0;
  uint32_t syncPlaybackActive = 0;
  uint32_t auxPortOpen = 0;
  uint32_t outputPortOpen = 0;
  uint32_t mainRecording = 0;
  uint32_t auxRecording = 0;
  uint32_t dgpsFileOpen = 0;
  uint32_t rtkFileOpen = 0;
  uint32_t waasFileOpen = 0;
  uint32_t autoLogActive = 0;
  uint32_t alignmentDone = 0;
  uint32_t pollTimer = 0;
  uint32_t recordTimer = 0;
  uint32_t tickCount = 0;
  int32_t transferElapsedMs = 0;
  uint32_t transferRecordCount = 0;
  uint32_t transferNextIndex = 0;
  uint32_t sweepActive = 0;
  int32_t sweepStep = 0;
  uint32_t confirmPending = 0;
  int32_t confirmTicks = 0;
  uint32_t lastMainCount = 0;
  uint32_t lastSecondCount = 0;
};

using PortFactory = std::function<std::unique_ptr<PortChannel>(StreamDecoder* sink)>;

class CMainFrame : public AutoConnectHost, public FrameStatus {
 public:
  // Writer files, in the order the frame keeps them.
  enum WriterFile { kMainRecordingFile, kAuxRecordingFile, kDgpsFile, kRtkFile, kWaasFile, kDataFile, kWriterFileCount };

  CMainFrame(Desktop& desktop, const PortFactory& makePort);
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;
  ~CMainFrame() override;

  void OnTimer(int timerId);
  // Kinds: 2 main inputs, 3 output port, 6 main recording, 7 aux port, 8 aux recording.
  void StopInput(int kind);
  bool IsAnyInputActive() const;
  void ArmPollTimer(uint32_t periodMs);
  // Kills the poll timer when no input remains; every handler that closes an input runs it.
  void KillPollTimerIfIdle();
  bool StopOrClearInputs(bool running);
  // The File menu's Stop ("Close All").
  void OnStop();
  // True while anything Stop would close is open: the "&Stop" item is shown then.
  bool AnyStoppableActive() const;

  // Reopens the main port at a rate without changing the stored rate.
  void ChangeMainBaud(uint32_t baud) override;
  // Reopens the main port at the stored rate, only when it is open.
  void ReopenMainPort() override;
  // A transfer's rate switch (MainFrameDownload.cpp): closes the main port and opens it again
  // at `baud`, leaving the stored rate, the title and the decoder's counters alone. False when
  // the port is not open or refused the rate; it is then open again at the rate it had.
  bool SwitchMainPortRate(uint32_t baud);
  // The rate the main port runs at now (0 while it is closed).
  uint32_t mainPortRate() const { return mainPortRate_; }
  // "&Download File": "Serial Port not open", or the dialog until it closes.
  void OnDownloadFile();
  // The dialog on the main port at its current rate, and its link to the decoder's answers
  // (null: none), for the command and for headless downloads.
  std::unique_ptr<FileDownloadDialog> MakeDownloadDialog();
  void AttachDownload(FileDownloadDialog* dialog) { mainDecoder_->store().links().fileDownload = dialog; }
  void StartBaudSweep();
  // The protocol dialog's delayed confirmation: sent on the second timer event after this.
  void StartProtocolConfirmation();
  void StartAlmanacTransfer(std::vector<AlmanacTransferRecord> records);
  // The almanac transfer of one load (MainFrameAlmanac.cpp): header 78 now, the records as the
  // receiver acknowledges them. Refused (false, after a message) while the main port is closed.
  bool SendAlmanac(std::span<const AlmanacEntry> records);
  // "Almanac Data Transfer": the dialog, the file, then SendAlmanac.
  void OnAlmanacDataTransfer();
  const std::vector<AlmanacTransferRecord>& transferRecords() const { return transferRecords_; }
  // The calendar clock (the GPS week of an almanac); the system's unless a test sets one.
  void SetClock(const Clock* clock) { clock_ = clock != nullptr ? clock : &SystemClock(); }
  const Clock& clock() const { return *clock_; }
  void RestoreTitle();
  // The NMEA protocol-and-baud sentence: the receiver is to talk `protocolSelector` at `baud`.
  void SendNmeaProtocolAndBaud(int protocolSelector, uint32_t baud);
  // File menu "Open log File": starts playing a log file back, or stops the playback.
  void OnOpenLogFile();
  // File menu "&Playback Rate": bytes read from the log file per 10 ms poll.
  void OnPlaybackRate();
  // File menu "Open &Synchronized Log Files": the setup dialog, then a user file and a base
  // file played back together in GPS-time order; or the end of that playback.
  void OnOpenSynchronizedLogFiles();
  // One poll event of the synchronized playback; its end closes both files.
  void SyncPlaybackStep();
  SyncPlayback& syncPlayback() { return *sync_; }
  // Recording (MainFrameRecording.cpp). "Save &Data" > "&Main Port": asks for a file and
  // starts a recording of the main port, or ends the one that runs.
  void OnSaveMainPortData();
  // Creates the recording file, runs the setup dialogs (unless automatic logging runs) and
  // hands the file to the timed recorder.
  void StartMainRecording(const std::string& path);
  // "Save &Data" > "Automatic &Logging".
  void OnAutomaticLogging();
  // "Save &Data" > "&Aux Port": records the aux port, or ends that recording.
  void OnSaveAuxPortData();
  // The automatic log summary window, while it is open (null: closed).
  void SetSummaryWindow(ElapsedTimeLink* window);
  bool summaryWindowOpen() const { return summaryWindow_ != nullptr; }
  TimedRecorder& timedRecorder() { return recorder_; }
  // The message list dialog's selection, one flag per message number (1 to 127).
  std::array<uint8_t, 128>& messageSelection() { return messageSelection_; }
  // Serial ports (MainFramePorts.cpp). File menu "Serial Port Input": opens the main port
  // through the port dialog, or closes it.
  void OnMainPortCommand();
  // File menu "Serial Port Output": opens the output port through the port dialog, or closes it.
  void OnOutputPortCommand();
  // The aux data window's port, chosen in the port dialog from the main baud rate; true when
  // the dialog ended with a port that opened (a device that refused is said so).
  bool OpenAuxPortFromDialog();
  // File menu "Auto Connect": the search for the rate and protocol a receiver answers at.
  void OnAutoConnect();
  // A Utility toolbar button (baud or port); false for other commands.
  bool OnUtilityButton(int command);
  // Whether a Utility toolbar button is shown pressed.
  bool UtilityButtonPressed(int command) const;
  // The protocol dialog's "Force to KTX protocol at 9600 bauds".
  void ForceKtxAt9600();
  // A port of the host's kind, for dialogs that probe which ports can be opened.
  std::unique_ptr<PortChannel> MakeProbePort() override { return makePort_(nullptr); }
  // Runs a menu command at once through the shell's handler. Without one (headless tools and
  // tests) only the protocol switches are known: they set the selector in the record and the
  // main decoder.
  void RunCommand(int commandId) override;
  void SetCommandRunner(std::function<bool(int)> runner) { commandRunner_ = std::move(runner); }
  const std::string& lastLogPath() const { return lastLogPath_; }
  const std::string& lastLogDirectory() const { return lastLogDirectory_; }

  MainFrameState& state() { return state_; }
  const MainFrameState& state() const { return state_; }
  // The process-wide settings record (port, rates, protocol selector, playback rate, windows).
  Configuration& config() override { return config_; }
  const Configuration& config() const { return config_; }
  // FrameStatus (mainPortOpen is also the port search's).
  bool mainPortOpen() const override { return state_.mainPortOpen != 0; }
  std::string mainPortName() const override { return config_.mainPortName(); }
  uint32_t mainBaudRate() const override { return static_cast<uint32_t>(config_.mainBaudRate()); }
  int protocolSelector() const override { return config_.protocolSelector(); }
  bool mainRecording() const override { return state_.mainRecording != 0; }
  std::string mainRecordingPath() const override {
    const LogFile& file = *writerFiles_[kMainRecordingFile];
    return file.isOpen() ? file.fileName() : std::string();
  }
  ReceiverDecoder& mainDecoder() override { return *mainDecoder_; }
  ReceiverDecoder& secondDecoder() { return *secondDecoder_; }
  PortChannel& mainPort() { return *mainPort_; }
  PortChannel& auxPort() { return *auxPort_; }
  PortChannel& outputPort() { return *outputPort_; }
  LogFile& playbackReader() { return *playbackReader_; }
  LogFile& secondPlaybackReader() { return *secondPlaybackReader_; }
  LogFile& writerFile(WriterFile which) { return *writerFiles_[which]; }
  FrameEncoder& encoder() override { return *encoder_; }
  NmeaEncoder& nmeaEncoder() override { return *nmeaEncoder_; }
  // Message boxes as the frame's objects should raise them: at once, except while a timer event
  // of the frame runs (the poll decoding, the almanac pacing): then they are posted and shown
  // after the event has returned, and the poll goes on reading while they are open.
  MessageBoxes& boxes() override { return timerBoxes_; }
  bool inTimerEvent() const { return timerDepth_ > 0; }
  Desktop& desktop() { return desktop_; }
  // "Share with gpsd Clients": the sharing of the open input (ReceiverShare.h).
  ReceiverShare& share() { return *share_; }
  const ReceiverShare& share() const { return *share_; }

  // Links and steps that other parts of the console fill in; each may be left empty.
  void SetAuxWindow(TerminalLink* window) { auxWindow_ = window; }
  void SetCloseAuxWindow(std::function<void()> close) { closeAuxWindow_ = std::move(close); }
  void SetSyncPlaybackStep(std::function<void()> step) { syncPlaybackStep_ = std::move(step); }
  void SetOnRecordingStopped(std::function<void()> refresh) { onRecordingStopped_ = std::move(refresh); }
  void SetOnMainPortReopened(std::function<void()> refresh) { onMainPortReopened_ = std::move(refresh); }

  // The main port's device went away (unplugged, hung up, the network peer closed) and the
  // poll is waiting for it to come back; the port still counts as open, its recording and
  // counters carry on. Stop or closing the port ends the waiting.
  bool mainPortLost() const override { return mainReconnect_->lost(); }
  const PortReconnect& mainReconnect() const { return *mainReconnect_; }
  // Milliseconds of a steady clock, for the reconnect schedule; tests give their own.
  void SetMonotonicClock(std::function<int64_t()> nowMs);

 private:
  class TimerBoxes : public MessageBoxes {
   public:
    explicit TimerBoxes(CMainFrame& frame) : frame_(frame) {}
    void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;

   private:
    CMainFrame& frame_;
  };

  uint32_t PlaybackBytesPerTick() const;
  void PollMainPort();
  // Runs the file-manager poll while the file manager window is open, and only then.
  void KeepFileManagerPoll();
  void PollAuxPort();
  void StepAlmanacTransfer();
  void StepBaudSweep();
  void StepProtocolConfirmation();
  void StepRecordTimer();
  void EndMainRecording();
  void EndAutomaticLogging();
  void RefreshRecordingViews();
  // A write that failed (disk full, device gone) ends that recording with a message.
  void CheckRecordingWrites();
  void ResetDecodersForOpen();
  // The message pane's playback share (MainFramePlayback.cpp): after each read, and how the
  // playback ended.
  void ShowPlaybackProgress();
  // `pairEnded`: a synchronized playback, which ends with either of its files.
  void ShowPlaybackEnd(bool pairEnded = false);
  // Opens the main port and starts polling it; false (after a stop box naming the system's
  // reason) when the device refused, and the port is then not counted as open.
  bool StartMainPort(const std::string& name, uint32_t baud);
  void ShowPortOpenFailure(const std::string& name, const PortChannel& port);
  void OpenMainPort(const std::string& name, uint32_t baud);
  // The port pane, title and message pane of a main port that was lost, and came back.
  void ShowMainPortLost();
  void ShowMainPortBack();
  void RefreshUtilityButtons();

  Desktop& desktop_;
  TimerBoxes timerBoxes_{*this};
  int timerDepth_ = 0;
  bool fileManagerPoll_ = false;
  PortFactory makePort_;
  MainFrameState state_;
  Configuration config_;
  std::unique_ptr<ReceiverDecoder> mainDecoder_;
  std::unique_ptr<ReceiverDecoder> secondDecoder_;
  std::unique_ptr<PortChannel> mainPort_;
  std::unique_ptr<PortChannel> auxPort_;
  std::unique_ptr<PortChannel> outputPort_;
  std::unique_ptr<PortReconnect> mainReconnect_;
  std::function<int64_t()> monotonicMs_;
  std::unique_ptr<LogFile> playbackReader_;
  std::unique_ptr<LogFile> secondPlaybackReader_;
  std::array<std::unique_ptr<LogFile>, kWriterFileCount> writerFiles_;
  std::unique_ptr<SyncPlayback> sync_;
  std::unique_ptr<FrameEncoder> encoder_;
  std::unique_ptr<NmeaEncoder> nmeaEncoder_;
  std::unique_ptr<ReceiverShare> share_;
  std::vector<AlmanacTransferRecord> transferRecords_;
  const Clock* clock_ = &SystemClock();
  PlaybackProgress playbackProgress_;
  std::string lastLogPath_;
  std::string lastLogDirectory_;
  uint32_t mainPortRate_ = 0;
  std::string downloadFolder_;  // the folder the download dialog last wrote to
  // The two rings the frame keeps from start-up, primed with their initial bytes.
  CircularBuffer smallRing_{10, 20};
  CircularBuffer largeRing_{64, 100};
  // Aux reads: one read and its terminating zero.
  std::array<uint8_t, kPortReadSize + 1> auxBuffer_{};

  TerminalLink* auxWindow_ = nullptr;
  TimedRecorder recorder_;
  ElapsedTimeLink* summaryWindow_ = nullptr;
  std::array<uint8_t, 128> messageSelection_{};
  bool auxWriteFailed_ = false;
  std::function<void()> closeAuxWindow_;
  std::function<void()> syncPlaybackStep_;
  std::function<void()> onRecordingStopped_;
  std::function<void()> onMainPortReopened_;
  std::function<bool(int)> commandRunner_;
};

}  // namespace orv
