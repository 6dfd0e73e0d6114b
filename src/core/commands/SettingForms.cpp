// The mask angle, track SV, differential message, DGPS configuration, model and operating
// mode dialogs.
#include "commands/SettingForms.h"

#include <algorithm>
#include <cmath>

#include "forms/EditExchange.h"
#include "geodesy/AngleText.h"
#include "util/ByteIo.h"
#include "util/CivilDate.h"
#include "util/Format.h"

namespace orv {

namespace {
constexpr double kHalfPiLimit = 1.5707963267948966;
}  // namespace

MaskAngleForm::MaskAngleForm(double degrees) : form_("Set Mask Angle") {
  Limit(form_.AddEdit(kAngle, "Mask Angle:", EditKind::Real, Format("%g", degrees)), 0, 90);
  form_.AddLabel(kUnitLabel, AngleUnitLabel(AngleUnit::Degree));
  form_.AddRadioGroup(kUnit, "", {"Degree", "Radian"}, 0);
  form_.AddOkCancel();
  form_.OnChange([this](Form& f, int id) {
    if (id == kUnit) SwitchUnit(f.Selected(kUnit) == 1 ? AngleUnit::Radian : AngleUnit::Degree);
  });
  // The receiver takes the mask in degrees (and reports it in hundredths of a degree): sent
  // as radians, a 10 degree mask would become 0.17 degrees.
  form_.OnOk([this](Form& f) {
    accepted_ = static_cast<float>(SwitchAngleUnit(*f.RealValue(kAngle), unit_, AngleUnit::Degree));
  });
}

void MaskAngleForm::SwitchUnit(AngleUnit to) {
  if (to == unit_) return;
  const double value = ParseReal(form_.Text(kAngle)).value_or(0.0);
  const double converted = SwitchAngleUnit(value, unit_, to);
  unit_ = to;
  FormField* f = form_.field(kAngle);
  f->max = to == AngleUnit::Degree ? 90.0 : kHalfPiLimit;
  form_.SetText(kAngle, Format("%.10g", converted));
  form_.SetLabel(kUnitLabel, AngleUnitLabel(to));
}

TrackSvForm::TrackSvForm() : form_("Track SV Request") {
  form_.AddRadioGroup(kSystem, "", {"GPS", "WAAS"}, 0);
  Limit(form_.AddEdit(kNumber, "SV Number:", EditKind::Unsigned, "1"), 1, 32);
  Limit(form_.AddEdit(kChannel, "Channel (0: any):", EditKind::Unsigned, "0"), 0, 12);
  form_.AddOkCancel();
  form_.OnChange([](Form& f, int id) {
    if (id != kSystem) return;
    const bool waas = f.Selected(kSystem) == 1;
    FormField* n = f.field(kNumber);
    n->min = waas ? 120 : 1;
    n->max = waas ? 138 : 32;
    f.SetText(kNumber, waas ? "120" : "1");
  });
  form_.OnOk([this](Form& f) {
    TrackSvRequest r;
    r.selector = f.Selected(kSystem) == 1 ? 2 : 1;
    r.svNumber = static_cast<int>(*f.IntValue(kNumber));
    r.byte1 = static_cast<uint8_t>(*f.IntValue(kChannel));
    accepted_ = r;
  });
}

DiffMessageForm::DiffMessageForm() : form_("Set Differential messages") {
  form_.AddRadioGroup(kFormat, "", {"RTCM", "RTCA"}, 0);
  form_.AddCheckBox(kType1, "Type 1", true);
  form_.AddCheckBox(kType3, "Type 3", true);
  form_.AddCheckBox(kType59, "Type 59");
  Limit(form_.AddEdit(kRate, "Rate (s):", EditKind::Unsigned, "1"), 1, 255);
  form_.AddButton(kStop, "Stop Encoding");  // closes through its handler, without the exchange
  form_.AddOkCancel();
  form_.OnButton(kStop, [this](Form&) {
    accepted_ = std::array<uint8_t, 2>{FormatBit(), 0};
    return FormAction::Ok;
  });
  form_.OnButton(kFormOk, [this](Form& f) {
    uint8_t types = 0;
    if (f.Checked(kType1)) types |= 1;
    if (f.Checked(kType3)) types |= 2;
    if (f.Checked(kType59)) types |= 4;
    accepted_ = std::array<uint8_t, 2>{static_cast<uint8_t>(FormatBit() | types),
                                       static_cast<uint8_t>(*f.IntValue(kRate))};
    return FormAction::Ok;
  });
}

uint8_t DiffMessageForm::FormatBit() const { return form_.Selected(kFormat) == 1 ? 0x80 : 0; }

DgpsConfigForm::DgpsConfigForm() : form_("Set DGPS Config") {
  std::string zeros;
  for (std::size_t i = 0; i < kSize; ++i) zeros += i == 0 ? "00" : " 00";
  FormField& f = form_.AddEdit(kBytes, "Settings (21 bytes, hex):", EditKind::Text, zeros);
  f.check = [](const Form& form) {
    return ParseBytes(form.Text(kBytes)) ? std::string() : std::string("Please enter 21 hexadecimal bytes.");
  };
  form_.AddOkCancel();
  form_.OnOk([this](Form& form) { accepted_ = ParseBytes(form.Text(kBytes)); });
}

std::optional<std::array<uint8_t, DgpsConfigForm::kSize>> DgpsConfigForm::ParseBytes(const std::string& text) {
  std::array<uint8_t, kSize> out{};
  std::size_t n = 0, i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || n == kSize) return std::nullopt;
    const auto v = ParseHex(std::string_view(text).substr(i, 2));
    if (!v || text[i + 1] == ' ' || text[i + 1] == '\t') return std::nullopt;
    out[n++] = static_cast<uint8_t>(*v);
    i += 2;
  }
  if (n != kSize) return std::nullopt;
  return out;
}

ModelForm::ModelForm(std::string caption) : form_(std::move(caption)) {
  form_.AddRadioGroup(kUse, "", {"Use the model", "Do not use the model"}, 0);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) { accepted_ = f.Selected(kUse) == 0; });
}

OperatingModeForm::OperatingModeForm(FormRunner& runner, GeodeticPosition base)
    : runner_(runner), base_(base), form_("Operating Mode Setting") {
  form_.AddRadioGroup(kMode, "Mode", {"Rover", "Base Manual", "Base Self Survey"}, 0);
  Limit(form_.AddEdit(kSurveyMinutes, "Survey Time (min):", EditKind::Unsigned, "10"), 1, 1440);
  Limit(form_.AddEdit(kStationId, "Station ID:", EditKind::Unsigned, "0"), 0, 1023);
  Limit(form_.AddEdit(kHealth, "Station Health:", EditKind::Unsigned, "0"), 0, 7);
  form_.AddRadioGroup(kCoordinates, "Base position", {"LLH", "XYZ"}, 0);
  form_.AddLabel(kPositionText, "").lines = 3;
  form_.AddButton(kPosition, "Position...");
  const CartesianPosition xyz = NavUtility::GeodeticToCartesian(base_.latitude, base_.longitude, base_.height);
  const double start[3] = {xyz.x, xyz.y, xyz.z};
  const char* names[3] = {"X (m):", "Y (m):", "Z (m):"};
  for (int i = 0; i < 3; ++i) {
    Limit(form_.AddEdit(kX + i, names[i], EditKind::Real, Format("%.3f", start[i])), -1e8, 1e8);
  }
  form_.AddOkCancel();
  ShowPosition();
  form_.SetRules([](Form& f) {
    const int mode = f.Selected(kMode);
    const bool base = mode != 0, manual = mode == 1, xyz = f.Selected(kCoordinates) == 1;
    f.SetEnabled(kSurveyMinutes, mode == 2);
    f.SetEnabled(kStationId, base);
    f.SetEnabled(kHealth, base);
    f.SetEnabled(kCoordinates, manual);
    f.SetEnabled(kPosition, manual && !xyz);
    for (int i = 0; i < 3; ++i) f.SetEnabled(kX + i, manual && xyz);
  });
  form_.OnButton(kPosition, [this](Form&) {
    PositionForm position(base_);
    if (runner_.RunForm(position.form()) && position.accepted()) {
      base_ = *position.accepted();
      ShowPosition();
    }
    return FormAction::None;
  });
  form_.OnOk([this](Form& f) {
    if (f.Selected(kMode) == 1 && f.Selected(kCoordinates) == 1) {
      NavUtility nav;
      const GeodeticPosition p = nav.CartesianToGeodetic(*f.RealValue(kX), *f.RealValue(kX + 1), *f.RealValue(kX + 2));
      if (p.converged) base_ = p;
    }
    accepted_ = Frames();
  });
}

void OperatingModeForm::ShowPosition() {
  form_.SetLabel(kPositionText, Format("Latitude: %s\nLongitude: %s\nAltitude: %.3f m",
                                       LatitudeText(base_.latitude).c_str(), LongitudeText(base_.longitude).c_str(),
                                       base_.height));
}

std::vector<OperatingModeForm::Frame> OperatingModeForm::Frames() const {
  std::vector<Frame> out;
  const int mode = form_.Selected(kMode);
  if (mode == 2) {
    Frame survey{"Survey Time", {}};
    ByteWriter(survey.fields).Put(static_cast<uint32_t>(*form_.IntValue(kSurveyMinutes) * 60));
    out.push_back(survey);
  }
  Frame m{mode == 0 ? "Rover" : mode == 1 ? "Base Manual" : "Base Self Survey", {}};
  if (mode == 1) ByteWriter(m.fields).Put(base_.latitude).Put(base_.longitude).Put(base_.height);
  out.push_back(m);
  if (mode != 0) {
    Frame station{"Station ID", {}};
    ByteWriter(station.fields)
        .Put(static_cast<uint16_t>(*form_.IntValue(kStationId)))
        .Put(static_cast<uint8_t>(*form_.IntValue(kHealth)));
    out.push_back(station);
  }
  return out;
}

}  // namespace orv

namespace orv {

DateTimeForm::DateTimeForm(std::optional<int64_t> utcNow) : form_("Set Date and Time") {
  int y = 2000, mo = 1, d = 1, h = 0, mi = 0, s = 0;
  if (utcNow) {
    const int64_t days = (*utcNow >= 0 ? *utcNow : *utcNow - 86399) / 86400;
    const int64_t sod = *utcNow - days * 86400;
    const CivilDate date = CivilFromDays(days);
    y = date.year;
    mo = date.month;
    d = date.day;
    h = static_cast<int>(sod / 3600);
    mi = static_cast<int>(sod / 60 % 60);
    s = static_cast<int>(sod % 60);
  }
  // The year goes out in 16 bits; GPS time starts in 1980.
  y = std::clamp(y, 1980, 2099);
  struct Entry {
    int id;
    const char* label;
    int value, min, max;
  };
  const Entry entries[] = {{kYear, "Year:", y, 1980, 2099}, {kMonth, "Month:", mo, 1, 12}, {kDay, "Day:", d, 1, 31},
                           {kHour, "Hour (UTC):", h, 0, 23}, {kMinute, "Minute:", mi, 0, 59}, {kSecond, "Second:", s, 0, 59}};
  for (const Entry& e : entries) Limit(form_.AddEdit(e.id, e.label, EditKind::Unsigned, Format("%d", e.value)), e.min, e.max);
  form_.field(kDay)->check = [](const Form& f) {
    const auto yy = f.IntValue(kYear), mm = f.IntValue(kMonth), dd = f.IntValue(kDay);
    if (!yy || !mm || !dd || *dd <= DaysInMonth(static_cast<int>(*yy), static_cast<int>(*mm))) return std::string();
    return Format("Please enter a day between 1 and %d.", DaysInMonth(static_cast<int>(*yy), static_cast<int>(*mm)));
  };
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    CalendarRecord c;
    c.year = static_cast<int>(*f.IntValue(kYear)) - 1900;
    c.month = static_cast<int>(*f.IntValue(kMonth)) - 1;
    c.dayOfMonth = static_cast<int>(*f.IntValue(kDay));
    c.hour = static_cast<int>(*f.IntValue(kHour));
    c.minute = static_cast<int>(*f.IntValue(kMinute));
    c.second = static_cast<int>(*f.IntValue(kSecond));
    accepted_ = c;
  });
}

const std::vector<int>& DefaultMessageListForm::MessageNumbers() {
  // The messages the console shows; 57 (the fault log) is asked for as 41.
  static const std::vector<int> kNumbers = {6,  18, 19, 20, 21, 22, 23, 33, 43, 45,  47,
                                            48, 49, 50, 57, 65, 68, 76, 83, 85, 111, 113};
  return kNumbers;
}

DefaultMessageListForm::DefaultMessageListForm() : form_("Default Message List") {
  std::vector<std::string> labels;
  for (int n : MessageNumbers()) labels.push_back(Format("Msg %d", n));
  form_.AddCheckGrid(kMessages, "Select default KTX messages", std::move(labels), 4);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    std::vector<int> chosen;
    for (int i : f.CheckedBoxes(kMessages)) chosen.push_back(MessageNumbers()[static_cast<std::size_t>(i)]);
    accepted_ = std::move(chosen);
  });
}

}  // namespace orv
