// The file manager's request, its dialog and the window of its answers.
#include "maintenance/FileManager.h"

#include <algorithm>

#include "commands/RequestForms.h"
#include "ids/CommandIds.h"
#include "protocol/FrameEncoder.h"
#include "util/ByteIo.h"
#include "util/Format.h"
#include "windows/PageText.h"

namespace orv {

namespace {

// Request layout after the sub-ID.
constexpr std::size_t kNameAt = 1, kPointNameAt = 9, kPointCodeAt = 25, kHeightAt = 41, kMethodAt = 43,
                      kOperatorAt = 44, kMaskAt = 47;
constexpr std::size_t kWidths[kAttrCount] = {8, 16, 16, 0, 0, 3};

// The change mask of "Modify": bit 0 point name ... bit 4 operator name; the file name names
// the file and is never changed.
constexpr uint8_t ModifyBit(int attribute) { return static_cast<uint8_t>(1u << (attribute - 1)); }

void PutText(FileManagerRequest& r, std::size_t at, std::size_t width, const std::string& text) {
  const std::size_t n = std::min(width, text.size());
  std::copy_n(text.begin(), n, r.begin() + static_cast<std::ptrdiff_t>(at));
}

bool Ticked(unsigned ticked, int attribute) { return (ticked >> attribute) & 1u; }

}  // namespace

FileManagerRequest BuildFileManagerRequest(int action, const FileAttributes& a, unsigned ticked) {
  FileManagerRequest r{};
  r[0] = static_cast<uint8_t>(action & 7);
  if (Ticked(ticked, kAttrFileName)) PutText(r, kNameAt, kWidths[kAttrFileName], a.fileName);
  if (Ticked(ticked, kAttrPointName)) PutText(r, kPointNameAt, kWidths[kAttrPointName], a.pointName);
  if (Ticked(ticked, kAttrPointCode)) PutText(r, kPointCodeAt, kWidths[kAttrPointCode], a.pointCode);
  if (Ticked(ticked, kAttrAntennaHeight)) {
    ByteWriter(std::span<uint8_t>(r).subspan(kHeightAt, 2)).Put(a.antennaHeight);
  }
  if (Ticked(ticked, kAttrAntennaMethod)) r[kMethodAt] = a.antennaMethod;
  if (Ticked(ticked, kAttrOperatorName)) PutText(r, kOperatorAt, kWidths[kAttrOperatorName], a.operatorName);
  if (action == fileaction::kModify) {
    uint8_t mask = 0;
    for (int attribute = kAttrPointName; attribute < kAttrCount; ++attribute) {
      if (Ticked(ticked, attribute)) mask |= ModifyBit(attribute);
    }
    r[kMaskAt] = mask;
  }
  return r;
}

FileManagerRequest FileInfoRequest() {
  FileManagerRequest r{};
  r[0] = fileaction::kInfo;
  return r;
}

std::string FileActionText(int action) {
  constexpr const char* kNames[] = {"Create", "Close", "Delete", "Modify", "Info."};
  if (action >= 0 && action < 5) return kNames[action];
  return Format("%d", action);
}

std::string FileResultText(int code) {
  constexpr const char* kTexts[] = {"Successful",         "FLASH error",     "NVM error",      "File Manager error",
                                    "Invalid parameters", "Undefined error", "No Active file", "Delete in progress"};
  if (code >= 0 && code < 8) return kTexts[code];
  return "Bad error code";
}

// ---------------------------------------------------------------------------------------------
// "File Operation"

namespace {
constexpr const char* kBoxTexts[kAttrCount] = {"File Name",      "Point Name",     "Point Code",
                                               "Antenna height", "Antenna Method", "Operator Name"};
}  // namespace

CFileOperationDialog::CFileOperationDialog(Configuration& settings) : settings_(settings), form_("File Operation") {
  form_.AddRadioGroup(kAction, "Action", {"Create", "Close", "Delete", "Modify"}, fileaction::kCreate);
  form_.AddLabel(kAttributeTitle, "File Attribute");
  const std::string values[kAttrCount] = {
      settings.fileManagerFileName(),
      settings.fileManagerCustomerName(),
      settings.fileManagerDescription(),
      Format("%d", settings.fileManagerAntennaHeight()),
      Format("%u", static_cast<unsigned>(settings.fileManagerAntennaMethod())),
      settings.fileManagerOperatorName(),
  };
  for (int a = 0; a < kAttrCount; ++a) {
    form_.AddCheckBox(kFirstBox + a, kBoxTexts[a], false);
    const bool number = a == kAttrAntennaHeight || a == kAttrAntennaMethod;
    FormField& field = form_.AddEdit(kFirstField + a, "", number ? EditKind::Integer : EditKind::Text, values[a]);
    if (a == kAttrAntennaHeight) Limit(field, -32768, 32767);
    if (a == kAttrAntennaMethod) Limit(field, 0, 255);
    if (!number) field.maxChars = kWidths[a];
  }
  form_.AddOkCancel();
  form_.SetRules([this](Form& f) { ApplyRules(f); });
  form_.OnOk([this](Form& f) {
    FileAttributes a;
    a.fileName = f.Text(kFirstField + kAttrFileName);
    a.pointName = f.Text(kFirstField + kAttrPointName);
    a.pointCode = f.Text(kFirstField + kAttrPointCode);
    // A disabled field is not checked by the exchange: a text that is no number keeps the
    // value the settings had.
    const std::optional<int64_t> height = f.IntValue(kFirstField + kAttrAntennaHeight);
    const std::optional<int64_t> method = f.IntValue(kFirstField + kAttrAntennaMethod);
    a.antennaHeight = height ? static_cast<int16_t>(std::clamp<int64_t>(*height, -32768, 32767))
                             : settings_.fileManagerAntennaHeight();
    a.antennaMethod = method ? static_cast<uint8_t>(std::clamp<int64_t>(*method, 0, 255))
                             : settings_.fileManagerAntennaMethod();
    a.operatorName = f.Text(kFirstField + kAttrOperatorName);
    settings_.SetFileManagerFileName(a.fileName);
    settings_.SetFileManagerCustomerName(a.pointName);
    settings_.SetFileManagerDescription(a.pointCode);
    settings_.SetFileManagerAntennaHeight(a.antennaHeight);
    settings_.SetFileManagerAntennaMethod(a.antennaMethod);
    settings_.SetFileManagerOperatorName(a.operatorName);
    // A box ticked under one action stays ticked when it is disabled under another, but only
    // the boxes that can be clicked now say what is sent.
    unsigned ticked = 0;
    for (int b = 0; b < kAttrCount; ++b) {
      if (BoxEnabled(b) && f.Checked(kFirstBox + b)) ticked |= 1u << b;
    }
    accepted_ = BuildFileManagerRequest(f.Selected(kAction), a, ticked);
  });
}

bool CFileOperationDialog::BoxEnabled(int attribute) const {
  if (attribute == kAttrFileName) return true;
  const int a = form_.Selected(kAction);
  return a == fileaction::kCreate || a == fileaction::kModify;
}

void CFileOperationDialog::ApplyRules(Form& f) {
  for (int a = 0; a < kAttrCount; ++a) {
    const bool box = BoxEnabled(a);
    f.SetEnabled(kFirstBox + a, box);
    f.SetEnabled(kFirstField + a, box && f.Checked(kFirstBox + a));
  }
}

void RunFileOperation(FormRunner& runner, Configuration& settings, FrameEncoder& encoder) {
  CFileOperationDialog dialog(settings);
  if (!runner.RunForm(dialog.form()) || !dialog.accepted()) return;
  if (dialog.action() == fileaction::kDelete) {
    const std::string name = FixedText(std::span<const uint8_t>(*dialog.accepted()), kNameAt, 8);
    Form confirm = MakeConfirmForm("File Operation", "Delete the file \"" + name + "\" from the receiver?");
    if (!runner.RunForm(confirm)) return;
  }
  encoder.SendSubIdCommand(70, 1, *dialog.accepted());
}

// ---------------------------------------------------------------------------------------------
// The window

namespace {

constexpr int kLabelX = 16;
constexpr int kValueX = 155;
constexpr int kFirstY = 15;
constexpr int kStep = 15;
// Every value text is padded to this width, so that it covers the one before it.
constexpr std::size_t kValueChars = 20;

constexpr const char* kLabels[] = {"File action:", "Action result:",  "File active",     "File name:",
                                   "Point name:",  "Point Code:",     "Antenna height:", "Antenna method:",
                                   "Operator name:", "Reserved:"};

constexpr PopupEntry kPopup[] = {
    PageItem(CQuenmarshFileManagerWnd::kFileOperation, "File operation"),
    PageItem(CQuenmarshFileManagerWnd::kFileInfo, "File info"),
    ClearDataItem(),
};

constexpr PageSpec kSpec{cmd::kWndFileManager, nullptr, {kFaceSansSerif, 10, 700}, true, kPopup, {}, 330, 170};

}  // namespace

CQuenmarshFileManagerWnd::CQuenmarshFileManagerWnd(const PageContext& context) : RecordPage(kSpec, context) {}

void CQuenmarshFileManagerWnd::DrawLabels(Canvas& canvas) {
  for (std::size_t i = 0; i < std::size(kLabels); ++i) {
    canvas.TextOut(kLabelX, kFirstY + kStep * static_cast<int>(i), kLabels[i]);
  }
}

void CQuenmarshFileManagerWnd::DrawValues(Canvas& canvas) {
  const FileManagerRecord& r = *record();
  const std::string values[] = {
      FileActionText(r.action()),
      FileResultText(r.result()),
      r.activeFlag() != 0 ? "YES" : "NO",
      PrintableText(r.fileName()),
      PrintableText(r.pointName()),
      PrintableText(r.pointCode()),
      Format("%d", r.antennaHeight()),
      Format("%d", r.antennaMethod()),
      PrintableText(r.operatorName()),
  };
  for (std::size_t i = 0; i < std::size(values); ++i) {
    ValueOut(canvas, kValueX, kFirstY + kStep * static_cast<int>(i), values[i], kValueChars);
  }
}

void CQuenmarshFileManagerWnd::OnPageCommand(int command) {
  if (command != kFileOperation && command != kFileInfo) return;
  ClearRecord();
  InvalidateAll();
  if (command == kFileOperation) {
    if (context().frame != nullptr) context().frame->PostCommand(cmd::kFileManagerDialog);
    return;
  }
  if (encoder() != nullptr) encoder()->SendSubIdCommand(70, 1, FileInfoRequest());
}

}  // namespace orv
