// "Set Timing Parameters": seven groups, each with a "Modified" box that enables its controls.
// OK gives the record of message 69 with the modified groups marked; the groups left alone
// are neither checked nor sent as values.
#pragma once

#include <optional>

#include "forms/Form.h"
#include "protocol/FrameEncoder.h"

namespace orv {

class TimingForm {
 public:
  // Group g (0 to 6) has its "Modified" box at kModified + g and its control at kValue + g.
  static constexpr int kModified = 1600;
  static constexpr int kValue = 1610;
  static constexpr int kNote = 1620;
  enum Group { kCableDelay, kPpsOffset, kPulseLength, kMode, kOutputControl, kTraimLimit, kIntrinsicDelay, kGroupCount };

  TimingForm();
  Form& form() { return form_; }
  const std::optional<TimingParameters>& accepted() const { return accepted_; }

 private:
  TimingParameters Read() const;

  Form form_;
  std::optional<TimingParameters> accepted_;
};

}  // namespace orv
