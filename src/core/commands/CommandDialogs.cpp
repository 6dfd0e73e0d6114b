// Which command opens which dialog, and what its OK sends.
#include "commands/CommandDialogs.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "commands/DeselectionForms.h"
#include "commands/RequestForms.h"
#include "commands/ServiceForms.h"
#include "commands/SettingForms.h"
#include "commands/TimingForm.h"
#include "ids/CommandIds.h"
#include "util/ByteIo.h"

namespace orv {

namespace {
using namespace cmd;

constexpr int kDialogCommands[] = {kRequestIoMessage, kClearNvm,         kSvDeselection, kChannelDeselection,
                                   kTimingParameters, kPowerControl,     kLoadByte,      kLoadWord,
                                   kMaskAngle,        kTrackSvRequest,   kDiffMessageRate, kDgpsConfiguration,
                                   kMslModel,         kTropoModel,       kOperatingMode, kRestartSystem,
                                   kOnePpsEnable,     kOnePpsDisable,    kSetDateTime,   kDefaultMessageList,
                                   // The service dialogs without a menu item.
                                   kEsnEntry, kCustomerEsn, kWrapAround, kConfigurationBits, kSetConfiguration,
                                   kLogSpecificMessages, kFpuMemoryDumpRequest, kLedBuzzer, kAdConfig, kAdCommand};

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

// The service dialogs that no menu shows; false for any other command.
bool RunServiceDialog(int command, FormRunner& runner, FrameEncoder& encoder) {
  switch (command) {
    case kEsnEntry:
    case kCustomerEsn: {
      const bool customer = command == kCustomerEsn;
      EsnForm d(customer ? "Set Customer ESN" : "ESN Entry", customer);
      RunSimple(runner, d, [&](const EsnForm::Entry& e) {
        encoder.SendEsn(e.esnHex, e.customerHex, e.prefix, e.customer);
      });
      return true;
    }
    case kWrapAround: {
      WrapAroundForm d;
      RunSimple(runner, d, [&](const std::string& hex) { encoder.SendWrapAround(hex); });
      return true;
    }
    case kConfigurationBits: {
      ConfigurationForm d;
      RunSimple(runner, d, [&](const ConfigurationForm::Bits& b) {
        std::array<uint8_t, 4> bytes{};
        ByteWriter(bytes).Put(b.bits);
        if (b.groups) {
          encoder.SendConfigGroups(bytes, b.split);
        } else {
          encoder.SendConfigBits(std::span<const uint8_t, 2>(bytes.data(), 2));
        }
      });
      return true;
    }
    case kSetConfiguration: {
      SetConfigurationForm d;
      RunSimple(runner, d, [&](const std::array<uint8_t, 17>& b) { encoder.SendSetConfiguration(b); });
      return true;
    }
    case kLogSpecificMessages: {
      LogSpecificMessagesForm d;
      RunSimple(runner, d, [&](const LogSpecificMessagesForm::Selection& s) {
        encoder.SendLogSpecificMessages(s.message, s.subId, s.value);
      });
      return true;
    }
    case kFpuMemoryDumpRequest: {
      FpuMemoryDumpForm d;
      RunSimple(runner, d, [&](const FpuMemoryDumpForm::Request& r) {
        encoder.SendFpuMemoryDumpRequest(r.startHex, r.countText, r.continuous);
      });
      return true;
    }
    case kLedBuzzer: {
      LedBuzzerForm d;
      RunSimple(runner, d, [&](const LedBuzzerForm::Config& c) {
        encoder.SendLedBuzzerConfig(c.setting, c.pattern, c.last ? 1 : 0);
      });
      return true;
    }
    case kAdConfig: {
      AdConfigForm d;
      RunSimple(runner, d, [&](const std::array<uint8_t, AdConfigForm::kSize>& r) { encoder.SendSubIdCommand(114, 1, r); });
      return true;
    }
    case kAdCommand: {
      AdCommandForm d;
      RunSimple(runner, d, [&](const std::vector<uint8_t>& b) { encoder.SendAdCommand(b); });
      return true;
    }
    default:
      return false;
  }
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
      return RunServiceDialog(command, runner, encoder);
  }
}

}  // namespace orv
