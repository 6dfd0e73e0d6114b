// The Playback Rate dialog: a slider of bytes per playback tick and a divisor chosen by three
// radio buttons; OK gives the new number of bytes read per 10 ms tick.
#pragma once

#include <cstdint>

#include "forms/Form.h"

namespace orv {

class PlaybackRateForm {
 public:
  static constexpr int kSlider = 1001;
  static constexpr int kDivisor = 1002;  // "Rate", "Rate/10", "Rate/100"
  static constexpr int kSliderMax = 5000;

  // Opens on the current bytes per tick with "Rate" selected.
  explicit PlaybackRateForm(uint32_t bytesPerTick);
  PlaybackRateForm(const PlaybackRateForm&) = delete;
  PlaybackRateForm& operator=(const PlaybackRateForm&) = delete;

  Form& form() { return form_; }
  // The bytes per tick OK sets: the slider divided by the chosen divisor, at least 1.
  uint32_t BytesPerTick() const;

 private:
  Form form_;
};

}  // namespace orv
