// Which NMEA Tool Setting command opens which dialog, and the sentence its OK sends.
#include "commands/NmeaCommandDialogs.h"

#include <cmath>

#include "commands/PositionForm.h"
#include "commands/RequestForms.h"
#include "commands/SettingForms.h"
#include "ids/CommandIds.h"
#include "util/Format.h"
#include "windows/NmeaWindows.h"

namespace orv {

namespace {
constexpr const char* kBitRates[] = {"25", "50", "100", "200"};
}  // namespace

RadiobeaconForm::RadiobeaconForm() : form_("Radiobeacon Command") {
  FormField& f = form_.AddEdit(kFrequency, "Frequency (kHz):", EditKind::Real, "300.0");
  f.hasRange = true;  // the maritime radiobeacon band
  f.min = 283.5;
  f.max = 325.0;
  form_.AddRadioGroup(kFrequencyMode, "Frequency", {"Auto", "Manual"}, 0);
  form_.AddCombo(kBitRate, "Bit Rate (bit/s):", {kBitRates[0], kBitRates[1], kBitRates[2], kBitRates[3]}, 3);
  form_.AddRadioGroup(kBitRateMode, "Bit Rate", {"Auto", "Manual"}, 0);
  FormField& i = form_.AddEdit(kInterval, "Status interval (s):", EditKind::Unsigned, "0");
  i.hasRange = true;
  i.min = 0;
  i.max = 100;
  form_.AddOkCancel();
  form_.OnOk([this](Form& form) {
    const int rate = form.Selected(kBitRate);
    accepted_ = Format(",%.1f,%c,%s,%c,%d", *form.RealValue(kFrequency), form.Selected(kFrequencyMode) == 1 ? 'M' : 'A',
                       kBitRates[rate >= 0 && rate < 4 ? rate : 3], form.Selected(kBitRateMode) == 1 ? 'M' : 'A',
                       static_cast<int>(*form.IntValue(kInterval)));
  });
}

namespace {
// ddmm.mmmm (or dddmm.mmmm) of an absolute angle in radians; minutes that would print as
// 60.0000 carry into the degrees.
std::string NmeaAngle(double radians, int degreeDigits) {
  double a = std::fabs(radians) * 180.0 / 3.141592653589793;
  int d = static_cast<int>(a);
  double m = (a - d) * 60.0;
  if (m >= 59.99995) {
    m = 0;
    ++d;
  }
  return Format("%0*d%07.4f", degreeDigits, d, m);
}
}  // namespace

std::string InitializationData(const CalendarRecord& c, const GeodeticPosition& p) {
  return Format(",%02d%02d%02d,%02d,%02d,%04d,%s,%c,%s,%c,%.1f", c.hour, c.minute, c.second, c.dayOfMonth, c.month + 1,
                c.year + 1900, NmeaAngle(p.latitude, 2).c_str(), p.latitude < 0 ? 'S' : 'N',
                NmeaAngle(p.longitude, 3).c_str(), p.longitude < 0 ? 'W' : 'E', p.height);
}

bool IsNmeaCommandDialog(int command) {
  return command == cmd::kNmeaInitialization || command == cmd::kNmeaClearNvm || command == cmd::kNmeaRadiobeacon || command == cmd::kNmeaReceiverParameters;
}

bool RunNmeaCommandDialog(int command, Desktop& runner, NmeaEncoder& encoder, const NmeaRxParamRecord* last) {
  switch (command) {
    case cmd::kNmeaClearNvm: {
      // The element as two digits, as the binary command carries it.
      ClearNvmForm d;
      if (runner.RunForm(d.form()) && d.accepted()) encoder.SendSentence(kNmeaClearNvm, Format(",%02d", *d.accepted()));
      return true;
    }
    case cmd::kNmeaInitialization: {
      DateTimeForm date(runner.UtcNow());
      date.form().SetCaption("Initialization Data");
      if (!runner.RunForm(date.form()) || !date.accepted()) return true;
      PositionForm position;
      if (!runner.RunForm(position.form()) || !position.accepted()) return true;
      encoder.SendSentence(kNmeaInitialization, InitializationData(*date.accepted(), *position.accepted()));
      return true;
    }
    case cmd::kNmeaRadiobeacon: {
      RadiobeaconForm d;
      if (runner.RunForm(d.form()) && d.accepted()) encoder.SendSentence(kNmeaBeaconConfiguration, *d.accepted());
      return true;
    }
    case cmd::kNmeaReceiverParameters: {
      Form form = ReceiverParameterForm(last);
      if (runner.RunForm(form)) encoder.SendSentence(kNmeaReceiverParameters, ReceiverParameterData(form));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace orv
