#include "logging/SyncPlaybackForm.h"

#include <cstdio>

namespace orv {

namespace {
constexpr char kAllFilesFilter[] = "All Files (*.*) |*.*||";

std::string TriggerText(double t) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", t);
  return text;
}

// A longer path would be cut by the record and name another file.
std::string PathCheck(const Form& form, int id) {
  return form.Text(id).size() > SyncPlaybackForm::kMaxPathChars ? "Invalid filename." : "";
}
}  // namespace

SyncPlaybackForm::SyncPlaybackForm(Configuration& config, Desktop* dialogs)
    : config_(config), form_("Synchronized Playback Setup") {
  const int stored = ClampSyncSlot(config.syncSelectedSlot());
  form_.AddRadioGroup(kSlot, "", {"1", "2", "3"}, stored);
  form_.AddEdit(kUserPath, "", EditKind::Text).check = [](const Form& f) { return PathCheck(f, kUserPath); };
  form_.AddButton(kUserButton, "User File").besideField = true;
  form_.AddEdit(kBasePath, "", EditKind::Text).check = [](const Form& f) { return PathCheck(f, kBasePath); };
  form_.AddButton(kBaseButton, "Base File").besideField = true;
  FormField& delay = form_.AddSlider(kDelay, "User vs Base delay (sec.)", 0, kSyncMaxDelaySeconds,
                                     ClampSyncDelay(config.syncUserBaseDelay()));
  delay.lineStep = 1;
  delay.pageStep = 5;
  for (int i = 0; i <= kSyncMaxDelaySeconds; ++i) delay.ticks.push_back(i);
  FormField& trigger = form_.AddEdit(kTrigger, "Trigger Time", EditKind::Real);
  trigger.hasRange = true;
  trigger.min = 0.0;
  trigger.max = kMaxTrigger;
  form_.AddCheckBox(kLoopOn, "Loop On", config.syncLoopOn() != 0);
  form_.AddOkCancel();
  ShowSlot(stored);

  for (const auto& [button, edit] : {std::pair{kUserButton, kUserPath}, std::pair{kBaseButton, kBasePath}}) {
    form_.OnButton(button, [dialogs, edit = edit](Form& f) {
      if (dialogs == nullptr) return FormAction::None;
      const std::optional<std::string> chosen = dialogs->AskOpenFileName({"", kAllFilesFilter, f.Text(edit)});
      if (chosen && !chosen->empty()) f.SetText(edit, *chosen);
      return FormAction::None;
    });
  }
  form_.OnChange([this](Form&, int id) {
    if (id == kSlot) ShowSlot(form_.Selected(kSlot));
  });
  form_.OnOk([this](Form&) {
    const int s = slot();
    config_.SetSyncSelectedSlot(s);
    config_.SetSyncUserFilePath(s, userPath());
    config_.SetSyncBaseFilePath(s, basePath());
    const SyncPlaybackSettings chosen = settings();
    config_.SetSyncTriggerTime(s, chosen.triggerTime);
    config_.SetSyncUserBaseDelay(chosen.delaySeconds);
    config_.SetSyncLoopOn(chosen.loopOn ? 1 : 0);
  });
}

void SyncPlaybackForm::ShowSlot(int slot) {
  slot = ClampSyncSlot(slot);
  form_.SetText(kUserPath, config_.syncUserFilePath(slot));
  form_.SetText(kBasePath, config_.syncBaseFilePath(slot));
  double trigger = config_.syncTriggerTime(slot);
  if (!(trigger >= 0.0 && trigger <= kMaxTrigger)) trigger = 0.0;
  form_.SetText(kTrigger, TriggerText(trigger));
}

int SyncPlaybackForm::slot() const { return ClampSyncSlot(form_.Selected(kSlot)); }

SyncPlaybackSettings SyncPlaybackForm::settings() const {
  SyncPlaybackSettings s;
  const std::optional<double> trigger = form_.RealValue(kTrigger);
  s.triggerTime = trigger && *trigger >= 0.0 && *trigger <= kMaxTrigger ? *trigger : 0.0;
  s.delaySeconds = ClampSyncDelay(form_.Position(kDelay));
  s.loopOn = form_.Checked(kLoopOn);
  return s;
}

}  // namespace orv
