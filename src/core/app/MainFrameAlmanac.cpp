// The main frame's almanac transfer command: the dialog, the Yuma file, and the start of the
// acknowledged sequence that the poll then paces.
#include <filesystem>

#include "app/MainFrame.h"
#include "maintenance/AlmanacForm.h"

namespace orv {

namespace {
constexpr char kInvalidFileName[] = "Invalid filename.";
constexpr char kPortClosed[] = "The main serial port is not open: no almanac was sent.";

std::string CurrentFolder() {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  return error ? std::string(".") : here.string();
}
}  // namespace

bool CMainFrame::SendAlmanac(std::span<const AlmanacEntry> records) {
  if (!state_.mainPortOpen || !mainPort_->IsOpen()) {
    desktop_.MessageBox(kPortClosed, kAlmanacCaption, MessageIcon::Stop);
    return false;
  }
  if (records.empty()) return false;
  const AlmanacHeader header = BuildAlmanacHeader(records, GpsWeekAt(clock_->UnixSeconds()));
  StartAlmanacTransfer(ToTransferRecords(records));
  SendAlmanacHeader(*encoder_, header);
  desktop_.SetPaneText(kPaneMessage, AlmanacProgressText(0, static_cast<uint32_t>(records.size())));
  return true;
}

void CMainFrame::OnAlmanacDataTransfer() {
  AlmanacForm dialog(CurrentFolder(), &desktop_);
  if (!desktop_.RunForm(dialog.form())) return;
  const std::optional<YumaReadResult> read = ReadYumaFile(dialog.fileName(), dialog.svType());
  if (!read) {
    desktop_.MessageBox(kInvalidFileName, kAlmanacCaption, MessageIcon::Exclamation);
    return;
  }
  const std::string nothing = AlmanacNothingToSendText(*read);
  if (!nothing.empty()) {
    desktop_.MessageBox(nothing, kAlmanacCaption, MessageIcon::Exclamation);
    return;
  }
  SendAlmanac(read->records);
}

}  // namespace orv
