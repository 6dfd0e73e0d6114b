// Which command opens which dialog, and what its OK sends.
#include "commands/CommandDialogs.h"

#include <algorithm>
#include <iterator>

#include "commands/DeselectionForms.h"
#include "commands/RequestForms.h"
#include "commands/SettingForms.h"
#include "commands/TimingForm.h"
#include "ids/CommandIds.h"

namespace orv {

namespace {
using namespace cmd;

constexpr int kDialogCommands[] = {kRequestIoMessage, kClearNvm,         kSvDeselection, kChannelDeselection,
                                   kTimingParameters, kPowerControl,     kLoadByte,      kLoadWord,
                                   kMaskAngle,        kTrackSvRequest,   kDiffMessageRate, kDgpsConfiguration,
                                   kMslModel,         kTropoModel,       kOperatingMode, kRestartSystem,
                                   kOnePpsEnable,     kOnePpsDisable,    kSetDateTime,   kDefaultMessageList};

void RunRequestIo(FormRunner& runner, FrameEncoder& encoder) {
  RequestIoForm dialog;
  if (!runner.RunForm(dialog.form()) || !dialog.accepted()) return;
  const auto [number, mode] = *dialog.accepted();
  // Codes that change the receiver go out only once the user has said so a second time.
  const std::string effect = RequestSideEffect(number);
  if (!effect.empty()) {
    Form confirm = MakeConfirmForm("Request I/O Message", effect + "\nSend it?");
    if (!runner.RunForm(confirm)) return;
  }
  encoder.SendRequest(number, mode);
}

template <typename Dialog, typename Send>
void RunSimple(FormRunner& runner, Dialog& dialog, Send send) {
  if (runner.RunForm(dialog.form()) && dialog.accepted()) send(*dialog.accepted());
}
}  // namespace

bool IsCommandDialog(int command) {
  return std::find(std::begin(kDialogCommands), std::end(kDialogCommands), command) != std::end(kDialogCommands);
}

bool RunCommandDialog(int command, Desktop& runner, FrameEncoder& encoder) {
  switch (command) {
    case kRequestIoMessage:
      RunRequestIo(runner, encoder);
      return true;
    case kClearNvm: {
      ClearNvmForm d;
      RunSimple(runner, d, [&](int element) { encoder.SendClearNvm(element); });
      return true;
    }
    case kSvDeselection: {
      SvDeselectionForm d(encoder);  // sends at each "Send"
      runner.RunForm(d.form());
      return true;
    }
    case kChannelDeselection: {
      ChannelDeselectForm d;
      RunSimple(runner, d, [&](uint16_t mask) { encoder.SendChannelDeselection(mask); });
      return true;
    }
    case kTimingParameters: {
      TimingForm d;
      RunSimple(runner, d, [&](const TimingParameters& t) { encoder.SendTimingParameters(t); });
      return true;
    }
    case kPowerControl: {
      PowerControlForm d;
      RunSimple(runner, d, [&](const std::string& text) { encoder.SendPowerControl(text); });
      return true;
    }
    case kLoadByte:
    case kLoadWord: {
      const bool word = command == kLoadWord;
      LoadMemoryForm d(word ? "Load 32 Bits Word" : "Load Byte", word);
      RunSimple(runner, d, [&](const LoadMemoryForm::Load& l) {
        if (word) {
          encoder.SendLoadWord(l.hexAddress, l.value);
        } else {
          encoder.SendLoadByte(l.hexAddress, static_cast<uint8_t>(l.value));
        }
      });
      return true;
    }
    case kMaskAngle: {
      MaskAngleForm d;
      RunSimple(runner, d, [&](float degrees) { encoder.SendMaskAngle(degrees); });
      return true;
    }
    case kTrackSvRequest: {
      TrackSvForm d;
      RunSimple(runner, d, [&](const TrackSvRequest& r) { encoder.SendTrackSvRequest(r); });
      return true;
    }
    case kDiffMessageRate: {
      DiffMessageForm d;
      RunSimple(runner, d, [&](const std::array<uint8_t, 2>& b) { encoder.SendDiffMessageSelection(b[0], b[1]); });
      return true;
    }
    case kDgpsConfiguration: {
      DgpsConfigForm d;
      RunSimple(runner, d, [&](const std::array<uint8_t, DgpsConfigForm::kSize>& b) { encoder.SendDgpsConfiguration(b); });
      return true;
    }
    case kMslModel:
    case kTropoModel: {
      const bool msl = command == kMslModel;
      ModelForm d(msl ? "MSL Model" : "Troposphere Model");
      RunSimple(runner, d, [&](bool on) {
        if (msl) {
          encoder.SendMslModel(on);
        } else {
          encoder.SendTropoModel(on);
        }
      });
      return true;
    }
    case kOperatingMode: {
      OperatingModeForm d(runner);
      if (runner.RunForm(d.form())) {
        for (const auto& f : d.accepted()) encoder.SendKeyedRecord(f.modeText, f.fields);
      }
      return true;
    }
    case kRestartSystem: {
      Form confirm = MakeConfirmForm("Restart System", "Restart the receiver?");
      if (runner.RunForm(confirm)) encoder.SendRequest(2, kOneShot);
      return true;
    }
    // Message 103 with the keys of its modes 1 and 2, which carry no date.
    case kOnePpsEnable:
    case kOnePpsDisable:
      encoder.SendDateTime(command == kOnePpsEnable ? 1 : 2, {});
      return true;
    case kSetDateTime: {
      DateTimeForm d(runner.UtcNow());
      RunSimple(runner, d, [&](const CalendarRecord& c) { encoder.SendDateTime(0, c); });
      return true;
    }
    case kDefaultMessageList: {
      DefaultMessageListForm d;
      RunSimple(runner, d, [&](const std::vector<int>& numbers) { encoder.SendDefaultMessageSelection(numbers); });
      return true;
    }
    default:
      return false;
  }
}

}  // namespace orv
