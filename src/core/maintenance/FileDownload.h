// The "Download File" dialog: copies a file out of a receiver's memory, block by block over
// message 70 sub-ID 6, switching the main port to a faster rate for the transfer and back to
// the rate it had when the dialog opened. The decoder hands it the receiver's answers (sub-IDs
// 6 and 2) while it runs; its own timers send the keep-alive and watch for answers that do not
// come.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/Form.h"
#include "maintenance/DownloadOutput.h"
#include "platform/Desktop.h"
#include "protocol/WindowLinks.h"

namespace orv {

class FrameEncoder;

// What the dialog needs of the main port: reopen it at a rate (on failure it is back at the
// rate it had) and the rate it runs at now.
struct DownloadPort {
  std::function<bool(uint32_t baud)> switchRate;
  std::function<uint32_t()> rate;
};

// Action codes, the first byte of every request.
enum DownloadAction : int { kDlStop = 0, kDlStart = 1, kDlInitiate = 2, kDlCompleted = 3, kDlRetransmit = 4, kDlKeepAlive = 5 };

inline constexpr int kDownloadKeepAliveTimer = 54;
inline constexpr uint32_t kDownloadKeepAliveMs = 10000;
// The watch timer: Cancel's wait for the stop acknowledgement, the check that the receiver
// followed a rate switch, and the re-requests of "Retransmit missing".
inline constexpr int kDownloadWatchTimer = 55;
inline constexpr uint32_t kDownloadWatchMs = 100;
inline constexpr int kStopAckWaitTicks = 20;      // 2 s
inline constexpr int kSwitchCheckTicks = 30;      // 3 s without an answer at the new rate
inline constexpr int kQuietTicks = 10;            // 1 s without a block ends a retransmit round
inline constexpr int kFruitlessRounds = 3;        // rounds without a new block before giving up

inline constexpr char kSerialPortNotOpen[] = "Serial Port not open";
inline constexpr char kDownloadFileFilter[] = "All Files (*.*) |*.*||";

class FileDownloadDialog : public FileDownloadLink {
 public:
  static constexpr int kSend = 1;  // "Send", the dialog's OK button; it does not close it
  static constexpr int kFileRequest = 1001;
  static constexpr int kAction = 1002;
  static constexpr int kRate = 1003;
  static constexpr int kIrda = 1004;
  static constexpr int kFileName = 1005;
  static constexpr int kBlockNumber = 1006;
  static constexpr int kFileList = 1007;
  static constexpr int kProgress = 1008;
  static constexpr int kProgressLow = 1009;
  static constexpr int kProgressHigh = 1010;
  static constexpr int kCurrentBlock = 1011;
  static constexpr int kStatus = 1012;
  static constexpr int kRetransmitMissing = 1013;

  // `boxes` must defer a box asked for while the decoder runs (the frame's boxes do);
  // `desktop` asks for the output file. `folder` is the folder last used, kept by the caller
  // for the life of the process.
  FileDownloadDialog(FrameEncoder* encoder, DownloadPort port, uint32_t entryRate, Desktop& desktop,
                     MessageBoxes& boxes, std::string& folder);
  ~FileDownloadDialog() override;
  FileDownloadDialog(const FileDownloadDialog&) = delete;
  FileDownloadDialog& operator=(const FileDownloadDialog&) = delete;

  Form& form() { return form_; }

  void OnFileInfo(const FileInfoRecord& record) override;
  void OnDownloadBlock(const DownloadBlockRecord& record, std::size_t length) override;

  // Leaves the port at the entry rate, whatever way the dialog ended.
  void Leave();
  // "Retransmit missing" keeps re-requesting by itself from the start of the transfer on (the
  // command-line download).
  void SetAutoRetransmit(bool on) { autoRetransmit_ = on; }

  int action() const { return form_.Selected(kAction); }
  uint32_t entryRate() const { return entryRate_; }
  uint32_t currentRate() const { return currentRate_; }
  uint32_t selectedRate() const;
  bool initiated() const { return initiated_; }
  bool answered() const { return answered_; }
  bool sending() const { return sending_; }
  bool cancelling() const { return cancelling_; }
  // The receiver stopped answering a "Retransmit missing" round, or a transfer failed.
  bool gaveUp() const { return gaveUp_; }
  uint32_t blockCount() const { return blockCount_; }
  uint32_t trueCount() const { return trueCount_; }
  uint32_t currentBlock() const { return currentBlock_; }
  uint32_t blockSize() const { return blockSize_; }
  const DownloadOutput& output() const { return output_; }
  // The receiver's last answer: 0..4, or -1 when none came yet.
  int lastStatus() const { return lastStatus_; }
  // The names of the file list, in the order of its entries.
  const std::vector<std::string>& fileNames() const { return fileNames_; }
  std::string statusText() const { return form_.Label(kStatus); }

 private:
  void Build();
  void ApplyControlStates(Form& f);
  FormAction OnSend();
  FormAction OnCancel();
  void OnTimer(int id);
  void OnWatchTick();
  bool SwitchTo(uint32_t rate);
  void RestoreEntryRate();
  void SendRequest(int action, uint32_t block, uint32_t rate);
  void SetActionChecked(int action);
  void SetProgress(uint32_t low, uint32_t high, uint32_t position);
  void SetStatus(const std::string& text);
  void StartKeepAlive();
  void StopKeepAlive();
  void ArmWatch();
  void EndTransfer();
  void OnInitiated(const DownloadBlockRecord& r, std::size_t length);
  void OnBlock(const DownloadBlockRecord& r, std::size_t length);
  void OnTransferEndAck(int status);
  void FailWrite();
  void RetransmitFirstMissing();
  void ShowLimitOnce(uint32_t limit);
  std::string ProgressText() const;
  std::string FileName() const { return form_.Text(kFileName); }
  uint32_t BlockField() const;

  Form form_;
  FrameEncoder* encoder_;
  DownloadPort port_;
  Desktop& desktop_;
  MessageBoxes& boxes_;
  std::string& folder_;
  DownloadOutput output_;
  uint32_t entryRate_;
  uint32_t currentRate_;
  bool initiated_ = false;
  bool answered_ = false;   // the initiated answer of this transfer came
  bool sending_ = false;    // START or RETRANSMIT sent, no STOP or COMPLETED since
  bool cancelling_ = false;
  bool limitShown_ = false;
  bool autoRetransmit_ = false;
  bool gaveUp_ = false;
  uint32_t startBlock_ = 0;
  uint32_t blockCount_ = 0;  // clamped to 65535 for the progress bar
  uint32_t trueCount_ = 0;
  uint32_t currentBlock_ = 0;
  uint32_t progressMin_ = 0;
  uint32_t progressMax_ = 65535;
  uint32_t blockSize_ = 0;
  int lastStatus_ = -1;
  uint32_t heardAtRate_ = 0;  // the rate the receiver's last answer came at
  // The watch: ticks since Cancel sent STOP, since a switched START went out without an
  // answer, since the last block of a retransmit round.
  int stopWaitTicks_ = -1;
  int switchCheckTicks_ = -1;
  int quietTicks_ = -1;
  int fruitlessRounds_ = 0;
  uint32_t arrivedAtRound_ = 0;
  std::vector<std::string> fileNames_;
};

// What the dialog's texts say.
std::string DownloadTitle(uint32_t rate);
// A name from the receiver's file list as it may be shown: at most 8 bytes, up to a zero,
// other bytes than printable ASCII shown as '.'.
std::string PrintableFileName(const std::string& raw);

}  // namespace orv
