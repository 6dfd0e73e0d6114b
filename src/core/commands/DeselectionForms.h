// "SV Deselection" and "Channel Deselect": check boxes of the satellites (GPS SV 1 to 32 or
// WAAS PRN 120 to 138) or of the twelve channels the receiver is not to use.
#pragma once

#include <cstdint>
#include <optional>

#include "forms/Form.h"
#include "protocol/FrameEncoder.h"

namespace orv {

// "SV Deselection": the group's radio button enables its boxes; "Send" sends the chosen
// group's boxes and keeps the dialog open; "Exit" closes it and sends nothing more.
class SvDeselectionForm {
 public:
  static constexpr int kGroup = 1501;  // "GPS SVs", "WAAS SVs"
  static constexpr int kGpsBoxes = 1502;
  static constexpr int kWaasBoxes = 1503;
  static constexpr int kClear = 1504;
  static constexpr int kDeselectAll = 1505;
  static constexpr int kSend = 1506;
  static constexpr int kExit = 1507;
  static constexpr int kGpsCount = 32;
  static constexpr int kWaasFirstPrn = 120;
  static constexpr int kWaasCount = 19;  // PRN 120 to 138

  explicit SvDeselectionForm(FrameEncoder& encoder);
  Form& form() { return form_; }
  // The chosen group's boxes as the mask of message 82 (bit n: SV n + 1, or PRN 120 + n).
  uint32_t Mask() const;

 private:
  void Enable();

  FrameEncoder& encoder_;
  Form form_;
};

// "Channel Deselect": twelve boxes, "Clear", "Deselect ALL"; OK gives the mask of message 87.
class ChannelDeselectForm {
 public:
  static constexpr int kChannels = 1511;
  static constexpr int kClear = 1512;
  static constexpr int kDeselectAll = 1513;
  static constexpr int kChannelCount = 12;

  ChannelDeselectForm();
  Form& form() { return form_; }
  const std::optional<uint16_t>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<uint16_t> accepted_;
};

}  // namespace orv
