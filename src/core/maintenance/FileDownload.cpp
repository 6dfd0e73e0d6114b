// The "Download File" dialog's fields, its Send and Cancel, the receiver's answers and the
// timers. The rate follows the transfer: the entry rate for INITIATE, the chosen rate from
// START until the receiver acknowledges the stop or the completion, the entry rate again on
// every way out of the dialog.
#include "maintenance/FileDownload.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "protocol/FrameEncoder.h"
#include "util/ByteIo.h"
#include "util/Format.h"

namespace orv {

namespace {

constexpr uint32_t kRates[] = {19200, 9600, 19200, 38400, 57600, 115200};
constexpr uint32_t kProgressLimit = 65535;
constexpr uint32_t kMaxBlockField = 100000;
constexpr char kNoStopAckText[] = "No stop acknowledgement came from the receiver within 2 s.";
constexpr char kInitiatedText[] = "Download Initiated\n\rSelect start and click send to begin download";

bool Printable(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

}  // namespace

std::string DownloadTitle(uint32_t rate) { return Format("Download File (%u bps)", rate); }

std::string PrintableFileName(const std::string& raw) {
  std::string out;
  for (char c : raw) {
    if (c == '\0' || out.size() == 8) break;
    out += c >= 0x20 && c <= 0x7E ? c : '.';
  }
  return out;
}

FileDownloadDialog::FileDownloadDialog(FrameEncoder* encoder, DownloadPort port, uint32_t entryRate, Desktop& desktop,
                                       MessageBoxes& boxes, std::string& folder)
    : form_(DownloadTitle(entryRate)), encoder_(encoder), port_(std::move(port)), desktop_(desktop), boxes_(boxes),
      folder_(folder), entryRate_(entryRate), currentRate_(entryRate) {
  Build();
}

FileDownloadDialog::~FileDownloadDialog() { output_.Close(); }

void FileDownloadDialog::Build() {
  Form& f = form_;
  f.AddRadioGroup(kAction, "Action", {"STOP", "START", "INITIATE", "COMPLETED", "RETRANSMIT"}, kDlInitiate);
  f.AddRadioGroup(kRate, "Baud Rate (bps)", {"Default (19200)", "9600", "19200", "38400", "57600", "115200"}, 0);
  f.AddCheckBox(kIrda, "IRDA");
  FormField& name = f.AddEdit(kFileName, "File name:", EditKind::Text);
  name.maxChars = 8;
  name.check = [](const Form& form) {
    return Printable(form.Text(kFileName)) ? std::string() : std::string("Please enter printable characters only.");
  };
  Limit(f.AddEdit(kBlockNumber, "Block Number:", EditKind::Unsigned, "1"), 0, kMaxBlockField);
  f.AddCombo(kFileList, "File List:", {});
  f.AddButton(kFileRequest, "File Request").besideField = true;
  f.AddProgress(kProgress, "", 0, 100, 0);
  f.AddLabel(kProgressLow, "0");
  f.AddLabel(kProgressHigh, "65535");
  f.AddLabel(kCurrentBlock, "Current Block: 0");
  f.AddLabel(kStatus, "").lines = 3;
  f.AddButton(kSend, "Send");
  f.AddButton(kRetransmitMissing, "Retransmit missing");
  f.AddButton(kFormCancel, "Cancel", FormAction::Cancel);

  f.OnButton(kSend, [this](Form&) { return OnSend(); });
  f.OnButton(kFormCancel, [this](Form&) { return OnCancel(); });
  f.OnButton(kRetransmitMissing, [this](Form&) {
    autoRetransmit_ = true;
    fruitlessRounds_ = 0;
    RetransmitFirstMissing();
    return FormAction::None;
  });
  f.OnButton(kFileRequest, [this](Form& form) {
    // A new list replaces the old one: entries of an earlier request would pile up.
    fileNames_.clear();
    form.SetOptions(kFileList, {});
    form.Select(kFileList, -1);
    if (encoder_ != nullptr) encoder_->SendFileRequest({});
    return FormAction::None;
  });
  f.OnChange([this](Form& form, int id) {
    if (id == kFileList) {
      const int i = form.Selected(kFileList);
      if (i >= 0 && i < static_cast<int>(fileNames_.size())) form.SetText(kFileName, fileNames_[static_cast<std::size_t>(i)]);
    } else if (id == kAction && form.Selected(kAction) == kDlRetransmit) {
      // A retransmission starts with the first block that has not come.
      if (const std::optional<uint32_t> first = output_.FirstMissing()) form.SetText(kBlockNumber, Format("%u", *first));
    }
  });
  f.OnTimer([this](Form&, int id) { OnTimer(id); });
  f.SetRules([this](Form& form) { ApplyControlStates(form); });
  ApplyControlStates(f);
}

uint32_t FileDownloadDialog::selectedRate() const {
  const int i = form_.Selected(kRate);
  return i >= 0 && i < static_cast<int>(std::size(kRates)) ? kRates[i] : 19200;
}

uint32_t FileDownloadDialog::BlockField() const {
  const std::optional<int64_t> v = form_.IntValue(kBlockNumber);
  return v && *v >= 0 && *v <= kMaxBlockField ? static_cast<uint32_t>(*v) : 0;
}

void FileDownloadDialog::ApplyControlStates(Form& f) {
  const int action = f.Selected(kAction);
  f.SetOptionEnabled(kAction, kDlInitiate, !initiated_);
  // START only once the receiver has answered the INITIATE.
  f.SetOptionEnabled(kAction, kDlStart, initiated_ && answered_);
  for (int a : {kDlStop, kDlCompleted, kDlRetransmit}) f.SetOptionEnabled(kAction, a, initiated_);
  const bool setup = action == kDlInitiate;
  for (int id : {kFileName, kRate, kFileList, kFileRequest}) f.SetEnabled(id, setup && !cancelling_);
  f.SetEnabled(kBlockNumber, (setup || action == kDlRetransmit) && !cancelling_);
  f.SetEnabled(kSend, !cancelling_ && !(action == kDlStart && !answered_));
  f.SetEnabled(kRetransmitMissing, !cancelling_ && initiated_ && answered_ && output_.FirstMissing().has_value());
}

// The dialog checks an action whatever the user may click: START, for one, is checked as soon
// as the INITIATE goes out and only enabled once the receiver has answered it.
void FileDownloadDialog::SetActionChecked(int action) {
  form_.SetOptionEnabled(kAction, action, true);
  form_.Select(kAction, action);
}

void FileDownloadDialog::SetProgress(uint32_t low, uint32_t high, uint32_t position) {
  progressMin_ = low;
  progressMax_ = high;
  form_.SetProgressRange(kProgress, low, high);
  form_.SetProgress(kProgress, position);
  form_.SetLabel(kProgressLow, Format("%u", low));
  form_.SetLabel(kProgressHigh, Format("%u", high));
}

void FileDownloadDialog::SetStatus(const std::string& text) { form_.SetLabel(kStatus, text); }

bool FileDownloadDialog::SwitchTo(uint32_t rate) {
  if (port_.switchRate && port_.switchRate(rate)) {
    currentRate_ = rate;
    form_.SetCaption(DownloadTitle(rate));
    return true;
  }
  // The port is back at the rate it had.
  if (port_.rate) currentRate_ = port_.rate();
  boxes_.MessageBox(Format("Unable to switch at: %u", rate), "", MessageIcon::Stop);
  SetStatus(Format("Unable to switch at: %u\n\rThe port stays at %u bps.", rate, currentRate_));
  form_.SetCaption(DownloadTitle(currentRate_));
  return false;
}

void FileDownloadDialog::RestoreEntryRate() {
  if (currentRate_ != entryRate_) SwitchTo(entryRate_);
}

void FileDownloadDialog::SendRequest(int action, uint32_t block, uint32_t rate) {
  if (encoder_ == nullptr) return;
  std::array<uint8_t, 21> r{};
  r[0] = static_cast<uint8_t>(action & 7);
  WriteLe<uint32_t>(r, 1, block);
  const std::string name = FileName();
  for (std::size_t i = 0; i < 8 && i < name.size(); ++i) r[7 + i] = static_cast<uint8_t>(name[i]);
  WriteLe<uint32_t>(r, 15, rate);
  encoder_->SendSubIdCommand(70, 6, r);
}

void FileDownloadDialog::StartKeepAlive() {
  if (!form_.TimerArmed(kDownloadKeepAliveTimer)) form_.SetTimer(kDownloadKeepAliveTimer, kDownloadKeepAliveMs);
}

void FileDownloadDialog::StopKeepAlive() { form_.KillTimer(kDownloadKeepAliveTimer); }

void FileDownloadDialog::ArmWatch() {
  if (!form_.TimerArmed(kDownloadWatchTimer)) form_.SetTimer(kDownloadWatchTimer, kDownloadWatchMs);
}

std::string FileDownloadDialog::ProgressText() const {
  if (!output_.prefilled()) return {};
  if (output_.complete()) return Format("%u of %u blocks: complete", output_.arrived(), output_.count());
  return Format("%u of %u blocks, first missing: %u", output_.arrived(), output_.count(), output_.FirstMissing().value_or(0));
}

FormAction FileDownloadDialog::OnSend() {
  if (!form_.CheckFields()) return FormAction::None;
  const int action = form_.Selected(kAction);
  if (action == kDlStart && !answered_) return FormAction::None;
  if (action == kDlInitiate) {
    output_.Close();
    FileDialogRequest request;
    request.filter = kDownloadFileFilter;
    request.initialPath = folder_.empty() ? std::string() : folder_ + "/";
    const std::optional<std::string> path = desktop_.AskSaveFileName(request);
    if (!path) return FormAction::None;
    folder_ = std::filesystem::path(*path).parent_path().string().substr(0, 200);
    if (!output_.Create(*path)) {
      boxes_.MessageBox(Format("Unable to create file: %s", path->c_str()), "", MessageIcon::Exclamation);
      return FormAction::None;
    }
    limitShown_ = false;
    gaveUp_ = false;
  }
  if (action == kDlCompleted && output_.prefilled() && !output_.complete()) {
    boxes_.MessageBox(Format("The file is incomplete: %u of %u blocks received, missing: %s.", output_.arrived(),
                             output_.count(), MissingBlocksText(output_).c_str()),
                      "", MessageIcon::Exclamation);
  }
  const uint32_t target = action == kDlInitiate ? entryRate_ : selectedRate();
  const bool switched = currentRate_ != target && SwitchTo(target);
  if (encoder_ == nullptr) return FormAction::None;
  const uint32_t block = BlockField();
  startBlock_ = currentBlock_ = progressMin_ = block;
  SendRequest(action, block, selectedRate());
  // The port is not closed again after the request: closing purges what the receiver has
  // already answered.
  switch (action) {
    case kDlInitiate:
      initiated_ = true;
      answered_ = false;
      sending_ = false;
      SetActionChecked(kDlStart);
      break;
    case kDlStart:
    case kDlRetransmit:
      // The bar runs over the blocks asked for, up to the last one.
      SetProgress(block, std::max(block, blockCount_), block);
      form_.SetLabel(kCurrentBlock, "Current Block: 0");
      sending_ = true;
      quietTicks_ = 0;
      arrivedAtRound_ = output_.arrived();
      if (action == kDlStart) SetActionChecked(kDlCompleted);
      // Whether the receiver followed the switch shows in its first answer at the new rate.
      switchCheckTicks_ = (switched || currentRate_ != entryRate_) && heardAtRate_ != currentRate_ ? 0 : -1;
      ArmWatch();
      break;
    default:  // STOP, COMPLETED
      SetProgress(0, kProgressLimit, 0);
      form_.SetLabel(kCurrentBlock, "Current Block: 0");
      EndTransfer();
      SetActionChecked(kDlInitiate);
      break;
  }
  ApplyControlStates(form_);
  return FormAction::None;
}

// The transfer's end on the console's side: no more keep-alives, the file closed (kept as
// .part unless every block came).
void FileDownloadDialog::EndTransfer() {
  initiated_ = false;
  sending_ = false;
  switchCheckTicks_ = -1;
  quietTicks_ = -1;
  StopKeepAlive();
  output_.Close();
}

FormAction FileDownloadDialog::OnCancel() {
  if (cancelling_) {
    // A second Cancel does not wait any longer.
    Leave();
    return FormAction::Cancel;
  }
  const int action = form_.Selected(kAction);
  const bool running = initiated_ && (action == kDlStart || action == kDlCompleted || action == kDlRetransmit);
  if (!running || encoder_ == nullptr) {
    Leave();
    return FormAction::Cancel;
  }
  if (currentRate_ != selectedRate() && answered_) SwitchTo(selectedRate());
  SendRequest(kDlStop, 0, entryRate_);
  EndTransfer();
  // The acknowledgement comes at the rate the STOP went at: the entry rate is restored when
  // it is in, or after 2 s without it.
  cancelling_ = true;
  stopWaitTicks_ = 0;
  ArmWatch();
  SetStatus("Waiting for the stop acknowledgement...");
  ApplyControlStates(form_);
  return FormAction::None;
}

void FileDownloadDialog::Leave() {
  EndTransfer();
  form_.KillTimer(kDownloadWatchTimer);
  RestoreEntryRate();
}

void FileDownloadDialog::OnTimer(int id) {
  if (id == kDownloadKeepAliveTimer) {
    if (!form_.Checked(kIrda) && encoder_ != nullptr) SendRequest(kDlKeepAlive, 0, 0);
  } else if (id == kDownloadWatchTimer) {
    OnWatchTick();
  }
}

void FileDownloadDialog::OnWatchTick() {
  if (cancelling_ && stopWaitTicks_ >= 0 && ++stopWaitTicks_ >= kStopAckWaitTicks) {
    stopWaitTicks_ = -1;
    cancelling_ = false;
    SetStatus(kNoStopAckText);
    boxes_.MessageBox(kNoStopAckText, "", MessageIcon::Exclamation);
    Leave();
    form_.RequestClose(FormAction::Cancel);
    return;
  }
  if (switchCheckTicks_ >= 0 && ++switchCheckTicks_ >= kSwitchCheckTicks) {
    // Nothing came at the new rate: the receiver did not follow. Back to the rate it talks at.
    const uint32_t tried = currentRate_;
    switchCheckTicks_ = -1;
    sending_ = false;
    quietTicks_ = -1;
    SwitchTo(entryRate_);
    boxes_.MessageBox(Format("Unable to switch at: %u", tried), "", MessageIcon::Stop);
    SetStatus(Format("The receiver did not answer at %u bps.\n\rThe port is back at %u bps: send START again.", tried,
                     currentRate_));
    for (int i = 1; i < static_cast<int>(std::size(kRates)); ++i) {
      if (kRates[i] == currentRate_) form_.Select(kRate, i);
    }
    SetActionChecked(kDlStart);
    ApplyControlStates(form_);
    return;
  }
  if (sending_ && switchCheckTicks_ < 0 && quietTicks_ >= 0 && ++quietTicks_ >= kQuietTicks) {
    quietTicks_ = 0;
    if (!autoRetransmit_ || output_.complete() || !output_.prefilled()) return;
    fruitlessRounds_ = output_.arrived() > arrivedAtRound_ ? 0 : fruitlessRounds_ + 1;
    if (fruitlessRounds_ >= kFruitlessRounds) {
      autoRetransmit_ = false;
      gaveUp_ = true;
      quietTicks_ = -1;
      SetStatus("No more blocks from the receiver.\n\r" + ProgressText());
      return;
    }
    RetransmitFirstMissing();
  }
  if (!cancelling_ && switchCheckTicks_ < 0 && quietTicks_ < 0) form_.KillTimer(kDownloadWatchTimer);
}

void FileDownloadDialog::RetransmitFirstMissing() {
  const std::optional<uint32_t> first = output_.FirstMissing();
  if (!first || !initiated_ || !answered_) return;
  SetActionChecked(kDlRetransmit);
  form_.SetText(kBlockNumber, Format("%u", *first));
  OnSend();
}

void FileDownloadDialog::ShowLimitOnce(uint32_t limit) {
  if (limitShown_) return;
  limitShown_ = true;
  boxes_.MessageBox(Format("Progress bar limited to %u block!", limit), "", MessageIcon::Information);
}

void FileDownloadDialog::OnFileInfo(const FileInfoRecord& record) {
  // The number is kept apart from the name: three-digit numbers would shift the name in the
  // entry's text.
  const std::string name = PrintableFileName(record.fileName());
  fileNames_.push_back(name);
  std::vector<std::string> entries = form_.field(kFileList)->options;
  entries.push_back(Format("%2d - %s", record.fileNumber(), name.c_str()));
  form_.SetOptions(kFileList, std::move(entries));
  if (form_.Selected(kFileList) < 0) form_.Select(kFileList, 0);
}

void FileDownloadDialog::OnDownloadBlock(const DownloadBlockRecord& record, std::size_t length) {
  if (length == 0) return;
  const int status = record.bytes()[0];
  lastStatus_ = status;
  switchCheckTicks_ = -1;  // the receiver talks at this rate
  heardAtRate_ = currentRate_;
  switch (status) {
    case 2: OnInitiated(record, length); break;
    case 1: OnBlock(record, length); break;
    case 0:
    case 3: OnTransferEndAck(status); break;
    case 4:
      SetStatus("Download failure");
      EndTransfer();
      answered_ = false;
      SetActionChecked(kDlInitiate);
      break;
    default: break;
  }
  ApplyControlStates(form_);
}

void FileDownloadDialog::OnInitiated(const DownloadBlockRecord& record, std::size_t length) {
  // Only the answer to our INITIATE counts: a late or repeated one would reset the transfer.
  if (!initiated_ || answered_ || length < 6) return;
  const std::span<const uint8_t> b = record.bytes();
  const uint32_t count = ReadLe<uint32_t>(b, 1);
  const uint32_t size = b[5];
  if (count == 0 || size == 0 || size > kMaxDownloadBlockSize || uint64_t{count} * size > kMaxDownloadBytes) {
    SetStatus(Format("Download refused: the receiver announced %u blocks of %u bytes.", count, size));
    SendRequest(kDlStop, 0, entryRate_);
    EndTransfer();
    SetActionChecked(kDlInitiate);
    return;
  }
  answered_ = true;
  trueCount_ = count;
  blockCount_ = count;
  if (count > kProgressLimit) {
    blockCount_ = kProgressLimit;
    ShowLimitOnce(kProgressLimit);
  }
  blockSize_ = size;
  SetProgress(progressMin_, blockCount_, progressMin_);
  SetStatus(kInitiatedText);
  if (output_.isOpen() && !output_.prefilled()) {
    if (output_.Prefill(count, size) == DownloadOutput::Result::Failed) {
      FailWrite();
      return;
    }
  }
  StartKeepAlive();
}

void FileDownloadDialog::OnBlock(const DownloadBlockRecord& record, std::size_t length) {
  if (!answered_ || length < 5) return;
  const std::span<const uint8_t> b = record.bytes();
  const uint32_t number = ReadLe<uint32_t>(b, 1);
  // Numbers outside the file are not the receiver's blocks: nothing is written or shown.
  if (number < 1 || number > trueCount_) return;
  if (output_.isOpen()) {
    const std::span<const uint8_t> data = b.subspan(5, std::min<std::size_t>(length, b.size()) - 5);
    const DownloadOutput::Result written = output_.Write(number, data);
    if (written == DownloadOutput::Result::Failed) {
      FailWrite();
      return;
    }
    // A short block that is not the last is not the receiver's block either.
    if (written == DownloadOutput::Result::Ignored) return;
  }
  if (number > progressMax_) {
    ShowLimitOnce(progressMax_);
    currentBlock_ = progressMax_;
  } else {
    currentBlock_ = number;
  }
  quietTicks_ = sending_ ? 0 : quietTicks_;
  form_.SetLabel(kCurrentBlock, Format("Current Block: %u", currentBlock_));
  form_.SetProgress(kProgress, currentBlock_);
  SetStatus("Download in progress...\n\r" + ProgressText());
}

void FileDownloadDialog::OnTransferEndAck(int status) {
  StopKeepAlive();
  if (status == 0) {
    SetStatus("Stop Download acknowledged");
  } else if (!output_.prefilled() || output_.complete()) {
    SetStatus("Download completed acknowledged");
  } else {
    SetStatus(Format("Completion acknowledged, but the file is incomplete: %u of %u blocks.\n\rMissing: %s",
                     output_.arrived(), output_.count(), MissingBlocksText(output_).c_str()));
  }
  RestoreEntryRate();
  if (cancelling_) {
    cancelling_ = false;
    stopWaitTicks_ = -1;
    Leave();
    form_.RequestClose(FormAction::Cancel);
  }
}

// A block that could not be written (disk full): the transfer stops, the receiver is told and
// the port goes back to the entry rate.
void FileDownloadDialog::FailWrite() {
  const std::string file = output_.currentPath();
  SendRequest(kDlStop, 0, entryRate_);
  EndTransfer();
  answered_ = false;
  gaveUp_ = true;
  SetActionChecked(kDlInitiate);
  RestoreEntryRate();
  SetStatus("Download stopped: the file could not be written.");
  boxes_.MessageBox(Format("Unable to write file: %s", file.c_str()), "", MessageIcon::Stop);
}

}  // namespace orv
