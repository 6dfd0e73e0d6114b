// The almanac transfer dialog's fields and its Browse button.
#include "maintenance/AlmanacForm.h"

#include "maintenance/YumaAlmanac.h"

namespace orv {

AlmanacForm::AlmanacForm(const std::string& currentFolder, Desktop* desktop) : form_("Almanac data transfer") {
  form_.AddEdit(kFileName, "Filename:", EditKind::Text, currentFolder + "/");
  form_.AddButton(kBrowse, "Browse").besideField = true;
  FormField& type = form_.AddRadioGroup(kSvType, "SV type", {"GLONASS", "GPS", "GIC"}, kSvTypeGps);
  // The receivers take no GLONASS almanac from here: the choice keeps its place and value
  // in the group but is neither shown nor chosen.
  type.optionEnabled = {false, true, true};
  type.optionHidden = {true, false, false};
  form_.AddOkCancel();
  form_.OnButton(kBrowse, [desktop](Form& f) {
    if (desktop == nullptr) return FormAction::None;
    FileDialogRequest request;
    request.defaultExtension = "alm";
    request.filter = kYumaFileFilter;
    request.initialPath = f.Text(kFileName);
    if (const std::optional<std::string> path = desktop->AskOpenFileName(request)) f.SetText(kFileName, *path);
    return FormAction::None;
  });
}

int AlmanacForm::svType() const {
  const int s = form_.Selected(kSvType);
  return s == kSvTypeGic ? kSvTypeGic : (s == kSvTypeGlonass ? kSvTypeGlonass : kSvTypeGps);
}

}  // namespace orv
