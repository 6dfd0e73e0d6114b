// The SV and channel deselection dialogs.
#include "commands/DeselectionForms.h"

#include <string>
#include <vector>

#include "util/Format.h"

namespace orv {

namespace {
std::vector<std::string> Labels(const char* format, int first, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(Format(format, first + i));
  return out;
}
}  // namespace

SvDeselectionForm::SvDeselectionForm(FrameEncoder& encoder) : encoder_(encoder), form_("SV Deselection") {
  form_.AddRadioGroup(kGroup, "", {"GPS SVs", "WAAS SVs"}, 0);
  form_.AddCheckGrid(kGpsBoxes, "GPS SVs", Labels("SV %d", 1, kGpsCount), 8);
  form_.AddCheckGrid(kWaasBoxes, "WAAS SVs", Labels("PRN %d", kWaasFirstPrn, kWaasCount), 5);
  form_.AddButton(kClear, "Clear");
  form_.AddButton(kDeselectAll, "Deselect ALL");
  form_.AddButton(kSend, "Send");
  form_.AddButton(kExit, "Exit", FormAction::Cancel);
  Enable();
  form_.OnChange([this](Form&, int id) {
    if (id == kGroup) Enable();
  });
  // Both buttons work on both groups, whichever is chosen.
  form_.OnButton(kClear, [](Form& f) {
    f.SetAllBoxes(kGpsBoxes, false);
    f.SetAllBoxes(kWaasBoxes, false);
    return FormAction::None;
  });
  form_.OnButton(kDeselectAll, [](Form& f) {
    f.SetAllBoxes(kGpsBoxes, true);
    f.SetAllBoxes(kWaasBoxes, true);
    return FormAction::None;
  });
  form_.OnButton(kSend, [this](Form& f) {
    encoder_.SendSvDeselection(static_cast<uint8_t>(f.Selected(kGroup) == 1 ? 1 : 0), Mask());
    return FormAction::None;
  });
}

void SvDeselectionForm::Enable() {
  const bool waas = form_.Selected(kGroup) == 1;
  form_.SetEnabled(kGpsBoxes, !waas);
  form_.SetEnabled(kWaasBoxes, waas);
}

uint32_t SvDeselectionForm::Mask() const {
  const int grid = form_.Selected(kGroup) == 1 ? kWaasBoxes : kGpsBoxes;
  uint32_t mask = 0;
  for (int i : form_.CheckedBoxes(grid)) {
    if (i >= 0 && i < 32) mask |= 1u << i;
  }
  return mask;
}

ChannelDeselectForm::ChannelDeselectForm() : form_("Channel Deselect") {
  form_.AddCheckGrid(kChannels, "Channels not to use", Labels("Channel %d", 1, kChannelCount), 4);
  form_.AddButton(kClear, "Clear");
  form_.AddButton(kDeselectAll, "Deselect ALL");
  form_.AddOkCancel();
  form_.OnButton(kClear, [](Form& f) {
    f.SetAllBoxes(kChannels, false);
    return FormAction::None;
  });
  form_.OnButton(kDeselectAll, [](Form& f) {
    f.SetAllBoxes(kChannels, true);
    return FormAction::None;
  });
  form_.OnOk([this](Form& f) {
    uint16_t mask = 0;
    for (int i : f.CheckedBoxes(kChannels)) {
      if (i >= 0 && i < kChannelCount) mask = static_cast<uint16_t>(mask | (1u << i));
    }
    accepted_ = mask;
  });
}

}  // namespace orv
