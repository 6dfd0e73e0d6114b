// Which NMEA Tool Setting command opens which dialog, and the sentence its OK sends.
#include "commands/NmeaCommandDialogs.h"

#include "commands/RequestForms.h"
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

bool IsNmeaCommandDialog(int command) {
  return command == cmd::kNmeaClearNvm || command == cmd::kNmeaRadiobeacon || command == cmd::kNmeaReceiverParameters;
}

bool RunNmeaCommandDialog(int command, Desktop& runner, NmeaEncoder& encoder, const NmeaRxParamRecord* last) {
  switch (command) {
    case cmd::kNmeaClearNvm: {
      // The element as two digits, as the binary command carries it.
      ClearNvmForm d;
      if (runner.RunForm(d.form()) && d.accepted()) encoder.SendSentence(kNmeaClearNvm, Format(",%02d", *d.accepted()));
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
