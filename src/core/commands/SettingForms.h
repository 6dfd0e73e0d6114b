// The receiver setting dialogs whose controls are this console's own design, each built from
// the payload of its message: "Set Mask Angle" (81), "Track SV Request" (95), "Set
// Differential messages" (91), "Set DGPS Config" (83), the MSL and troposphere models (86, 84)
// and "Operating Mode Setting" (80).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/PositionForm.h"
#include "forms/Form.h"
#include "geodesy/Angles.h"
#include "platform/Desktop.h"
#include "protocol/FrameEncoder.h"

namespace orv {

// "Set Mask Angle": the angle with its unit, "Degree" or "Radian"; switching the unit converts
// the value (and a value that is no mask angle in the new unit becomes 0).
class MaskAngleForm {
 public:
  static constexpr int kAngle = 1801;
  static constexpr int kUnit = 1802;       // "Degree", "Radian"
  static constexpr int kUnitLabel = 1803;  // "Degree" or "Radian" beside the field

  explicit MaskAngleForm(double degrees = 5.0);
  Form& form() { return form_; }
  // The mask in degrees, whatever unit the dialog showed.
  const std::optional<float>& accepted() const { return accepted_; }

 private:
  void SwitchUnit(AngleUnit to);

  AngleUnit unit_ = AngleUnit::Degree;
  Form form_;
  std::optional<float> accepted_;
};

// "Track SV Request": a GPS SV (1 to 32) or a WAAS PRN (120 to 138), and the channel to track
// it on (0: the receiver chooses). The request's other fields go out as 0.
class TrackSvForm {
 public:
  static constexpr int kSystem = 1811;  // "GPS", "WAAS"
  static constexpr int kNumber = 1812;
  static constexpr int kChannel = 1813;

  TrackSvForm();
  Form& form() { return form_; }
  const std::optional<TrackSvRequest>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<TrackSvRequest> accepted_;
};

// "Set Differential messages". Message 91's two bytes: byte 0 bit 7 the format (set: RTCA,
// clear: RTCM), bits 0-2 message types 1, 3 and 59; byte 1 the rate in seconds. "Stop
// Encoding" sends the format with no type and rate 0, and closes the dialog.
class DiffMessageForm {
 public:
  static constexpr int kFormat = 1821;  // "RTCM", "RTCA"
  static constexpr int kType1 = 1822;
  static constexpr int kType3 = 1823;
  static constexpr int kType59 = 1824;
  static constexpr int kRate = 1825;
  static constexpr int kStop = 1826;

  DiffMessageForm();
  Form& form() { return form_; }
  const std::optional<std::array<uint8_t, 2>>& accepted() const { return accepted_; }

 private:
  uint8_t FormatBit() const;

  Form form_;
  std::optional<std::array<uint8_t, 2>> accepted_;
};

// "Set DGPS Config": message 83's 21 bytes, typed as hexadecimal byte pairs (blanks between
// bytes allowed), since the receiver's documentation gives them as a block.
class DgpsConfigForm {
 public:
  static constexpr int kBytes = 1831;
  static constexpr std::size_t kSize = 21;

  DgpsConfigForm();
  Form& form() { return form_; }
  const std::optional<std::array<uint8_t, kSize>>& accepted() const { return accepted_; }
  // The bytes of `text`: pairs of hexadecimal digits, blanks between them; nullopt unless
  // exactly kSize bytes.
  static std::optional<std::array<uint8_t, kSize>> ParseBytes(const std::string& text);

 private:
  Form form_;
  std::optional<std::array<uint8_t, kSize>> accepted_;
};

// "MSL Model" and "Troposphere Model": use the model or not (bit 7 of the message's ID).
class ModelForm {
 public:
  static constexpr int kUse = 1841;  // "Use the model", "Do not use the model"

  explicit ModelForm(std::string caption);
  Form& form() { return form_; }
  const std::optional<bool>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<bool> accepted_;
};

// "Operating Mode Setting": rover, base with a surveyed position, or base surveying its own
// position for a time; a base's station ID and health. Each message 80 frame carries the key
// of its mode text and 24 bytes:
//   "Rover", "Base Self Survey": 24 zero bytes
//   "Base Manual":   latitude, longitude (radians), height (m): three little-endian doubles
//   "Survey Time":   uint32 seconds, 20 zero bytes
//   "Station ID":    uint16 station ID (0 to 1023), uint8 health (0 to 7), 21 zero bytes
// A base mode also sends its station frame, a self survey its survey time first.
class OperatingModeForm {
 public:
  static constexpr int kMode = 1851;  // "Rover", "Base Manual", "Base Self Survey"
  static constexpr int kSurveyMinutes = 1852;
  static constexpr int kStationId = 1853;
  static constexpr int kHealth = 1854;
  static constexpr int kPositionText = 1855;
  static constexpr int kPosition = 1856;  // "Position..." opens the position entry
  static constexpr int kCoordinates = 1857;  // "LLH", "XYZ"
  static constexpr int kX = 1858;            // kX, kX + 1, kX + 2: X, Y, Z in metres

  struct Frame {
    std::string modeText;
    std::array<uint8_t, 24> fields{};
  };

  explicit OperatingModeForm(FormRunner& runner, GeodeticPosition base = {});
  Form& form() { return form_; }
  // The frames OK sends, in order.
  const std::vector<Frame>& accepted() const { return accepted_; }
  const GeodeticPosition& basePosition() const { return base_; }

 private:
  void ShowPosition();
  std::vector<Frame> Frames() const;

  FormRunner& runner_;
  GeodeticPosition base_;
  Form form_;
  std::vector<Frame> accepted_;
};

}  // namespace orv

namespace orv {

// "Set Date and Time": the UTC date and time message 103 sets (and forces one 1PPS pulse
// with), opened on the clock's time when there is a clock, else on 1 January 2000.
class DateTimeForm {
 public:
  static constexpr int kYear = 1861;
  static constexpr int kMonth = 1862;
  static constexpr int kDay = 1863;
  static constexpr int kHour = 1864;
  static constexpr int kMinute = 1865;
  static constexpr int kSecond = 1866;

  explicit DateTimeForm(std::optional<int64_t> utcNow);
  Form& form() { return form_; }
  // As SendDateTime takes it: month 0-based, years since 1900.
  const std::optional<CalendarRecord>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<CalendarRecord> accepted_;
};

// "Default Message List" ("Select default KTX messages"): the messages the receiver sends by
// itself from its start, one box each.
class DefaultMessageListForm {
 public:
  static constexpr int kMessages = 1871;

  DefaultMessageListForm();
  Form& form() { return form_; }
  static const std::vector<int>& MessageNumbers();
  const std::optional<std::vector<int>>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<std::vector<int>> accepted_;
};

}  // namespace orv
