// The main frame's file download: the "&Download File" command, and the rate switch of the
// main port that the transfer runs at.
#include "app/MainFrame.h"

namespace orv {

bool CMainFrame::SwitchMainPortRate(uint32_t baud) {
  if (!state_.mainPortOpen) return false;
  const std::string name = config_.mainPortName();
  const uint32_t before = mainPortRate_;
  mainPort_->Close();
  // Bytes of a frame cut by the close would swallow the first frame at the new rate.
  mainDecoder_->DropPartialFrame();
  if (mainPort_->Open(name, baud, 'N', 8, 1)) {
    mainPortRate_ = baud;
    return true;
  }
  mainPort_->Open(name, before, 'N', 8, 1);
  return false;
}

std::unique_ptr<FileDownloadDialog> CMainFrame::MakeDownloadDialog() {
  DownloadPort port{[this](uint32_t baud) { return SwitchMainPortRate(baud); }, [this] { return mainPortRate_; }};
  return std::make_unique<FileDownloadDialog>(encoder_.get(), std::move(port), mainPortRate_, desktop_, timerBoxes_,
                                              downloadFolder_);
}

void CMainFrame::OnDownloadFile() {
  if (!state_.mainPortOpen) {
    desktop_.MessageBox(kSerialPortNotOpen, "", MessageIcon::None);
    return;
  }
  const std::unique_ptr<FileDownloadDialog> dialog = MakeDownloadDialog();
  AttachDownload(dialog.get());
  desktop_.RunForm(dialog->form());
  AttachDownload(nullptr);
  dialog->Leave();
}

}  // namespace orv
