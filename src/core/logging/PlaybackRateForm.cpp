// The Playback Rate dialog's fields and its result.
#include "logging/PlaybackRateForm.h"

#include <algorithm>

namespace orv {

PlaybackRateForm::PlaybackRateForm(uint32_t bytesPerTick) : form_("Playback Rate") {
  const int position = static_cast<int>(std::min<uint32_t>(bytesPerTick, kSliderMax));
  FormField& slider = form_.AddSlider(kSlider, "", 0, kSliderMax, position);
  slider.lineStep = 1;
  slider.pageStep = 100;
  for (int tick = 500; tick < kSliderMax; tick += 500) slider.ticks.push_back(tick);
  form_.AddRadioGroup(kDivisor, "", {"Rate", "Rate/10", "Rate/100"}, 0);
  form_.AddOkCancel();
}

uint32_t PlaybackRateForm::BytesPerTick() const {
  static constexpr int kDivisors[] = {1, 10, 100};
  const int choice = std::clamp(form_.Selected(kDivisor), 0, 2);
  const int rate = form_.Position(kSlider) / kDivisors[choice];
  return rate < 1 ? 1u : static_cast<uint32_t>(rate);
}

}  // namespace orv
