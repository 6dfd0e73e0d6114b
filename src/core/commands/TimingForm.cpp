// The timing parameter dialog's groups, limits and record.
#include "commands/TimingForm.h"

#include <cmath>
#include <cstdint>

namespace orv {

namespace {
struct Limits {
  const char* caption;
  EditKind kind;
  double min, max;
};
constexpr Limits kEdits[] = {
    {"Cable Propagation Delay", EditKind::Integer, -1000000, 1000000},
    {"1 PPS Offset", EditKind::Unsigned, 0, 1000000000},
    {"1 PPS Pulse Length", EditKind::Unsigned, 0, 900000000},
};
constexpr Limits kTraim{"TRAIM Alarm Limit", EditKind::Unsigned, 0, 2550};
constexpr Limits kIntrinsic{"Intrinsic Delay", EditKind::Unsigned, 0, 65534};

void AddLimitedEdit(Form& form, int id, const Limits& l) {
  FormField& f = form.AddEdit(id, std::string(l.caption) + " (ns)", l.kind, "0");
  f.hasRange = true;
  f.min = l.min;
  f.max = l.max;
}

// Rounds to the nearest multiple of `unit`, halves away from zero.
int64_t RoundTo(int64_t value, int64_t unit) { return (value + unit / 2) / unit * unit; }
}  // namespace

TimingForm::TimingForm() : form_("Set Timing Parameters") {
  auto modified = [&](int g) { form_.AddCheckBox(kModified + g, "Modified"); };
  for (int g = kCableDelay; g <= kPulseLength; ++g) {
    modified(g);
    AddLimitedEdit(form_, kValue + g, kEdits[g]);
  }
  form_.AddLabel(kNote + kPulseLength, "Note: value rounded to the nearest 100 ns.");
  modified(kMode);
  form_.AddRadioGroup(kValue + kMode, "Mode", {"Standard Alignment", "One Shot Alignment", "Constant Alignment"}, 0);
  modified(kOutputControl);
  form_.AddRadioGroup(kValue + kOutputControl, "1PPS Output Control",
                      {"Countinuously", "Only when tracking at least 1 GPS SV", "Only when an alarm not raised by TRAIM",
                       "Combination (1SV and not alarm by TRAIM)"},
                      0);
  modified(kTraimLimit);
  AddLimitedEdit(form_, kValue + kTraimLimit, kTraim);
  form_.AddLabel(kNote + kTraimLimit, "Value rounded to the nearest 10 ns");
  modified(kIntrinsicDelay);
  AddLimitedEdit(form_, kValue + kIntrinsicDelay, kIntrinsic);
  form_.AddOkCancel();
  form_.SetRules([](Form& f) {
    for (int g = 0; g < kGroupCount; ++g) f.SetEnabled(kValue + g, f.Checked(kModified + g));
  });
  form_.OnOk([this](Form&) { accepted_ = Read(); });
}

// The exchange has checked every enabled (modified) edit; the others are sent as 0.
TimingParameters TimingForm::Read() const {
  TimingParameters t;
  auto value = [&](int g) -> int64_t {
    return form_.Checked(kModified + g) ? form_.IntValue(kValue + g).value_or(0) : 0;
  };
  auto choice = [&](int g) -> uint8_t {
    return form_.Checked(kModified + g) ? static_cast<uint8_t>(form_.Selected(kValue + g)) : 0;
  };
  t.a = static_cast<uint32_t>(static_cast<int32_t>(value(kCableDelay)));
  t.b = static_cast<uint32_t>(value(kPpsOffset));
  // 900000000 rounds to itself, so the rounded length stays within the limit.
  t.c = static_cast<uint32_t>(RoundTo(value(kPulseLength), 100));
  t.d = choice(kMode);
  t.e = choice(kOutputControl);
  t.f = static_cast<uint8_t>(RoundTo(value(kTraimLimit), 10) / 10);  // 2550 -> 255
  t.g = static_cast<uint16_t>(value(kIntrinsicDelay));
  for (int g = 0; g < kGroupCount; ++g) {
    if (form_.Checked(kModified + g)) t.modified = static_cast<uint8_t>(t.modified | (1u << g));
  }
  return t;
}

}  // namespace orv
