// The receiver command dialogs through the frame's menu commands: what each dialog's OK sends,
// byte for byte against the builder layouts, and what a refused value or Cancel does.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "app/MenuModel.h"
#include "commands/DeselectionForms.h"
#include "commands/NmeaCommandDialogs.h"
#include "commands/RequestForms.h"
#include "commands/ServiceForms.h"
#include "commands/SettingForms.h"
#include "commands/TimingForm.h"
#include "geodesy/Angles.h"
#include "ids/CommandIds.h"
#include "protocol/CommandKeys.h"
#include "util/ByteIo.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"

namespace orv {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Key() { return {'Z', 'K', 'Q', 'W', '-', '7', '3', '1'}; }
Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes KeyOf(const CommandKey& k) { return Bytes(k.begin(), k.end()); }
Bytes Zeros(std::size_t n) { return Bytes(n, 0); }
template <typename T>
Bytes Le(T v) {
  Bytes b(sizeof(T));
  WriteLe(std::span<uint8_t>(b), 0, v);
  return b;
}
Bytes Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

class CommandDialogsTest : public ::testing::Test {
 protected:
  CommandDialogsTest() {
    frame.config().SetMainPortName("COM1");
    frame.ChangeMainBaud(9600);
    port().sent.clear();
    desk.utcNow = 1796803805;  // 2026-12-09 08:10:05 UTC
  }
  test::FakePort& port() { return *ports[0]; }
  void Run(int command, std::function<bool(Form&)> user) {
    desk.formDriver = std::move(user);
    EXPECT_TRUE(commands.OnCommand(command)) << command;
  }

  test::FakeDesktop desk;
  std::vector<test::FakePort*> ports;
  CMainFrame frame{desk, [this](StreamDecoder* sink) {
                     auto p = std::make_unique<test::FakePort>(sink);
                     ports.push_back(p.get());
                     return p;
                   }};
  test::FakeShellHost host;
  FrameCommands commands{frame, host};
};

struct DialogCase {
  const char* name;
  int command;
  std::function<bool(Form&)> user;  // plays the dialog, returns whether OK closed it
  std::vector<Bytes> frames;        // what goes out, in order
};

bool PressOk(Form& f) { return f.Press(kFormOk) == FormAction::Ok; }

std::vector<DialogCase> Cases() {
  using R = RequestIoForm;
  using T = TimingForm;
  using S = SvDeselectionForm;
  return {
      {"Request Msg at once is Continuous", cmd::kRequestLlh, PressOk, {test::Frame(0x94, {})}},
      {"Request I/O Message One Shot", cmd::kRequestIoMessage,
       [](Form& f) {
         f.SetText(R::kNumber, "45");
         f.Select(R::kMode, 0);
         return PressOk(f);
       },
       {test::Frame(45, {})}},
      {"Request I/O Message restart, confirmed", cmd::kRequestIoMessage,
       [](Form& f) {
         if (f.field(R::kNumber) != nullptr) f.SetText(R::kNumber, "2");
         return PressOk(f);  // the request, then its confirmation
       },
       {test::Frame(0x82, Key())}},
      {"Clear NVM", cmd::kClearNvm,
       [](Form& f) {
         f.SetText(ClearNvmForm::kElement, "7");
         return PressOk(f);
       },
       {test::Frame(99, {'Z', 'K', 'Q', 'W', '-', '7', '0', '7'})}},
      {"SV Deselection, WAAS all", cmd::kSvDeselection,
       [](Form& f) {
         f.Select(S::kGroup, 1);
         f.Press(S::kDeselectAll);
         f.Press(S::kSend);
         f.Select(S::kGroup, 0);
         f.SetAllBoxes(S::kGpsBoxes, false);
         f.SetBoxChecked(S::kGpsBoxes, 4, true);  // SV 5
         f.Press(S::kSend);
         return f.Press(S::kExit) == FormAction::Ok;
       },
       {test::Frame(82, {1, 0xFF, 0xFF, 0x07, 0x00}), test::Frame(82, {0, 0x10, 0, 0, 0})}},
      {"Channel Deselect", cmd::kChannelDeselection,
       [](Form& f) {
         f.SetBoxChecked(ChannelDeselectForm::kChannels, 2, true);
         f.SetBoxChecked(ChannelDeselectForm::kChannels, 11, true);
         return PressOk(f);
       },
       {test::Frame(87, {0x04, 0x08})}},
      {"Set Timing Parameters", cmd::kTimingParameters,
       [](Form& f) {
         f.SetChecked(T::kModified + T::kCableDelay, true);
         f.SetText(T::kValue + T::kCableDelay, "-1000");
         f.SetChecked(T::kModified + T::kPulseLength, true);
         f.SetText(T::kValue + T::kPulseLength, "150");
         f.SetChecked(T::kModified + T::kOutputControl, true);
         f.Select(T::kValue + T::kOutputControl, 3);
         f.SetChecked(T::kModified + T::kTraimLimit, true);
         f.SetText(T::kValue + T::kTraimLimit, "2545");
         f.SetText(T::kValue + T::kIntrinsicDelay, "99999");  // not modified: neither checked nor sent
         return PressOk(f);
       },
       {test::Frame(69, Cat(Cat(Cat(Le32(0xFFFFFC18), Le32(0)), Le32(200)),
                            {0, 3, 255, 0, 0, 0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}))}},  // modified: bits 0, 2, 4, 5
      {"Power Control", cmd::kPowerControl,
       [](Form& f) {
         f.Select(PowerControlForm::kCommand, 1);
         return PressOk(f);
       },
       {test::Frame(70, {5, 'R', '_', 'C', 'F', 'G', 0, 0})}},
      {"Power Control default", cmd::kPowerControl, PressOk, {test::Frame(70, {5, 'P', '_', 'O', 'F', 'F', 0, 0})}},
      {"Load Byte", cmd::kLoadByte,
       [](Form& f) {
         EXPECT_EQ(f.caption(), "Load Byte");
         f.SetText(LoadMemoryForm::kAddress, "1a2B");
         f.SetText(LoadMemoryForm::kValue, "ff");
         return PressOk(f);
       },
       {test::Frame(120, Cat(Cat(Key(), Le32(0x1A2B)), {0xFF}))}},
      {"Load Word in decimal", cmd::kLoadWord,
       [](Form& f) {
         EXPECT_EQ(f.caption(), "Load 32 Bits Word");
         f.SetText(LoadMemoryForm::kAddress, "FFFF0010");
         f.Select(LoadMemoryForm::kRadix, 1);
         f.SetText(LoadMemoryForm::kValue, "4294967295");
         return PressOk(f);
       },
       {test::Frame(122, Cat(Cat(Key(), Le32(0xFFFF0010)), Le32(0xFFFFFFFF)))}},
      {"Set Mask Angle in degrees", cmd::kMaskAngle,
       [](Form& f) {
         f.SetText(MaskAngleForm::kAngle, "12");
         return PressOk(f);
       },
       {test::Frame(81, Cat(Le(12.0f), {1, 2, 3, 4, 5, 6, 7, 8}))}},
      {"Set Mask Angle typed in radians goes out in degrees", cmd::kMaskAngle,
       [](Form& f) {
         f.Select(MaskAngleForm::kUnit, 1);
         f.SetText(MaskAngleForm::kAngle, "0.20943951023931953");
         return PressOk(f);
       },
       {test::Frame(81, Cat(Le(12.0f), {1, 2, 3, 4, 5, 6, 7, 8}))}},
      {"Track SV Request, WAAS", cmd::kTrackSvRequest,
       [](Form& f) {
         f.Select(TrackSvForm::kSystem, 1);
         f.SetText(TrackSvForm::kNumber, "122");
         f.SetText(TrackSvForm::kChannel, "3");
         return PressOk(f);
       },
       {test::Frame(95, {0xA3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0})}},
      {"Set Differential messages", cmd::kDiffMessageRate,
       [](Form& f) {
         f.Select(DiffMessageForm::kFormat, 1);
         f.SetChecked(DiffMessageForm::kType1, false);
         f.SetChecked(DiffMessageForm::kType3, false);
         f.SetChecked(DiffMessageForm::kType59, true);
         f.SetText(DiffMessageForm::kRate, "5");
         return PressOk(f);
       },
       {test::Frame(91, {0x84, 5})}},
      {"Stop Encoding", cmd::kDiffMessageRate,
       [](Form& f) {
         f.SetText(DiffMessageForm::kRate, "x");  // not read
         return f.Press(DiffMessageForm::kStop) == FormAction::Ok;
       },
       {test::Frame(91, {0, 0})}},
      {"Set DGPS Config", cmd::kDgpsConfiguration,
       [](Form& f) {
         f.SetText(DgpsConfigForm::kBytes, "0102030405060708090a0B 0c 0d 0e 0f 10 11 12 13 14 15");
         return PressOk(f);
       },
       {test::Frame(83, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21})}},
      {"MSL Model off", cmd::kMslModel,
       [](Form& f) {
         f.Select(ModelForm::kUse, 1);
         return PressOk(f);
       },
       {test::Frame(86, Key())}},
      {"Troposphere Model on", cmd::kTropoModel, PressOk, {test::Frame(84 + 128, Key())}},
      {"Operating Mode, rover", cmd::kOperatingMode, PressOk,
       {test::Frame(80, Cat(KeyOf(OperatingModeKey("Rover")), Zeros(24)))}},
      {"Operating Mode, base self survey", cmd::kOperatingMode,
       [](Form& f) {
         f.Select(OperatingModeForm::kMode, 2);
         f.SetText(OperatingModeForm::kSurveyMinutes, "5");
         f.SetText(OperatingModeForm::kStationId, "12");
         f.SetText(OperatingModeForm::kHealth, "2");
         return PressOk(f);
       },
       {test::Frame(80, Cat(Cat(KeyOf(OperatingModeKey("Survey Time")), Le32(300)), Zeros(20))),
        test::Frame(80, Cat(KeyOf(OperatingModeKey("Base Self Survey")), Zeros(24))),
        test::Frame(80, Cat(KeyOf(OperatingModeKey("Station ID")), Cat({12, 0, 2}, Zeros(21))))}},
      {"Operating Mode, base at X Y Z", cmd::kOperatingMode,
       [](Form& f) {
         f.Select(OperatingModeForm::kMode, 1);
         f.Select(OperatingModeForm::kCoordinates, 1);
         f.SetText(OperatingModeForm::kX, "0");
         f.SetText(OperatingModeForm::kX + 1, "6378137");
         f.SetText(OperatingModeForm::kX + 2, "0");
         return PressOk(f);
       },
       {test::Frame(80, Cat(KeyOf(OperatingModeKey("Base Manual")), Cat(Cat(Le(0.0), Le(kPi / 2)), Le(0.0)))),
        test::Frame(80, Cat(KeyOf(OperatingModeKey("Station ID")), Zeros(24)))}},
      {"Restart System, confirmed", cmd::kRestartSystem, PressOk, {test::Frame(2, Key())}},
      {"1PPS Enable", cmd::kOnePpsEnable, PressOk, {test::Frame(103, Cat(KeyOf(DateTimeKey(1)), Zeros(7)))}},
      {"Set Date and Time, from the clock", cmd::kSetDateTime, PressOk,
       {test::Frame(103, Cat(Key(), Cat({8, 10, 5, 9, 12}, Le<uint16_t>(2026))))}},
      {"Default Message List", cmd::kDefaultMessageList,
       [](Form& f) {
         const auto& n = DefaultMessageListForm::MessageNumbers();
         for (int msg : {20, 57, 113}) {
           f.SetBoxChecked(DefaultMessageListForm::kMessages,
                           static_cast<int>(std::find(n.begin(), n.end(), msg) - n.begin()), true);
         }
         return PressOk(f);
       },
       {test::Frame(105, [] {
          Bytes p(24, 0);
          p[2] = 0x10;  // 20
          p[5] = 0x02;  // 41, for the fault log
          p[14] = 0x02; // 113
          return p;
        }())}},
      {"1PPS Disable", cmd::kOnePpsDisable, PressOk, {test::Frame(103, Cat(KeyOf(DateTimeKey(2)), Zeros(7)))}},
      {"ESN Entry", cmd::kEsnEntry,
       [](Form& f) {
         EXPECT_EQ(f.caption(), "ESN Entry");
         f.SetText(EsnForm::kEsn, "1a2b3c4d");
         f.SetText(EsnForm::kCustomerNumber, "1F");
         f.SetText(EsnForm::kPrefix, "ABC");
         return PressOk(f);
       },
       {test::Frame(92, Cat(Cat(Cat(Le32(0x1A2B3C4D), Le32(0x1F)), Zeros(8)), {'A', 'B', 'C', 0}))}},
      {"Set Customer ESN is a customer ESN at first", cmd::kCustomerEsn, PressOk,
       {test::Frame(92, Cat(Zeros(16), {'A', 'A', 'A', 1}))}},
      {"Wrap Around", cmd::kWrapAround,
       [](Form& f) {
         f.SetText(WrapAroundForm::kValue, "deadBEEF");
         return PressOk(f);
       },
       {test::Frame(44, Le32(0xDEADBEEF))}},
      {"Configuration, each group with its key", cmd::kConfigurationBits,
       [](Form& f) {
         f.SetText(ConfigurationForm::kBits, "80000001");
         f.SetChecked(ConfigurationForm::kSplit, true);
         return PressOk(f);
       },
       {test::Frame(90, Cat(KeyOf(ConfigGroupKey(0)), {0x01, 0, 0, 0x80})),
        test::Frame(90, Cat(KeyOf(ConfigGroupKey(1)), {0x01, 0, 0, 0x80}))}},
      {"Configuration, message 64", cmd::kConfigurationBits,
       [](Form& f) {
         f.SetChecked(ConfigurationForm::kSplit, true);  // not for message 64
         f.Select(ConfigurationForm::kTarget, 1);
         f.SetText(ConfigurationForm::kBits, "A55A");
         return PressOk(f);
       },
       {test::Frame(64, Cat(Key(), {0x5A, 0xA5}))}},
      {"Set Configuration", cmd::kSetConfiguration,
       [](Form& f) {
         using C = SetConfigurationForm;
         f.SetText(C::kWord1, "01020304");
         f.SetText(C::kBytes, "0a0B 0c 0d0e 0f");
         f.SetText(C::kHalfWord, "BEEF");
         f.SetText(C::kWord2, "FFFFFFFF");
         f.SetText(C::kLastByte, "7f");
         return PressOk(f);
       },
       {test::Frame(70, {4, 4, 3, 2, 1, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0xEF, 0xBE, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})}},
      {"Enable specific messages logging", cmd::kLogSpecificMessages,
       [](Form& f) {
         f.SetText(LogSpecificMessagesForm::kMessage, "49");
         f.SetText(LogSpecificMessagesForm::kSubId, "3");
         f.SetText(LogSpecificMessagesForm::kValue, "100000");
         return PressOk(f);
       },
       {test::Frame(70, Cat(Cat(Cat({10}, Key()), {49, 3}), Le32(100000)))}},
      {"FPU Memory Dump, Continuous", cmd::kFpuMemoryDumpRequest,
       [](Form& f) {
         f.SetText(FpuMemoryDumpForm::kStart, "1f");
         f.SetText(FpuMemoryDumpForm::kCount, "200");
         f.Select(FpuMemoryDumpForm::kMode, 1);
         return PressOk(f);
       },
       {test::Frame(114 + 128, {4, 0x1F, 200})}},
      {"FPU Memory Dump at once is One Shot", cmd::kFpuMemoryDumpRequest, PressOk, {test::Frame(114, {4, 0, 16})}},
      {"LED / Buzzer", cmd::kLedBuzzer,
       [](Form& f) {
         f.SetText(LedBuzzerForm::kSetting, "33");
         f.SetText(LedBuzzerForm::kPattern, "01 02 03");
         return PressOk(f);
       },
       {test::Frame(114, {2, 1, 0x33, 3, 1, 2, 3})}},
      {"LED / Buzzer, not the last block, no pattern", cmd::kLedBuzzer,
       [](Form& f) {
         f.SetChecked(LedBuzzerForm::kLast, false);
         return PressOk(f);
       },
       {test::Frame(114, {2, 0, 0, 0})}},
      {"A/D Config with a period is continuous", cmd::kAdConfig,
       [](Form& f) {
         f.SetText(AdConfigForm::kChannels, "010203");
         f.SetText(AdConfigForm::kPeriod, "10");
         f.SetText(AdConfigForm::kWord, "AABBCCDD");
         return PressOk(f);
       },
       {test::Frame(114 + 128, {1, 1, 2, 3, 10, 0, 0xDD, 0xCC, 0xBB, 0xAA})}},
      {"A/D Config once", cmd::kAdConfig, PressOk, {test::Frame(114, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0})}},
      {"A/D Command", cmd::kAdCommand,
       [](Form& f) {
         f.SetText(AdCommandForm::kBytes, "05 06");
         return PressOk(f);
       },
       {test::Frame(114, {5, 5, 6})}},
  };
}

TEST_F(CommandDialogsTest, EveryDialogsOkSendsTheBuildersBytes) {
  for (const DialogCase& c : Cases()) {
    port().sent.clear();
    desk.boxes.clear();
    Run(c.command, c.user);
    EXPECT_EQ(port().sent, c.frames) << c.name;
    EXPECT_TRUE(desk.boxes.empty()) << c.name << ": " << (desk.boxes.empty() ? "" : desk.boxes[0].text);
  }
}

TEST_F(CommandDialogsTest, EveryDialogCommandHasAHandlerAndCancelSendsNothing) {
  for (const DialogCase& c : Cases()) {
    EXPECT_TRUE(commands.State(c.command).enabled) << c.name;
    port().sent.clear();
    const int before = desk.formsRun;
    Run(c.command, [](Form& f) { return f.Press(f.field(kFormCancel) ? kFormCancel : SvDeselectionForm::kExit) == FormAction::Ok; });
    // The 1PPS items are commands without a dialog.
    EXPECT_EQ(port().sent.empty(), desk.formsRun > before) << c.name;
  }
}

TEST_F(CommandDialogsTest, RequestIoRefusesNumbersBeyond127AndAsksBeforeAChange) {
  using R = RequestIoForm;
  std::vector<std::string> asked;
  bool confirm = false;
  auto user = [&](Form& f) {
    if (f.field(R::kNumber) == nullptr) {  // the confirmation
      asked.push_back(f.Label(kConfirmText));
      return f.Press(confirm ? kFormOk : kFormCancel) == FormAction::Ok;
    }
    for (const char* bad : {"128", "-1", "2x", "", "1e2"}) {
      f.SetText(R::kNumber, bad);
      EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None) << bad;
    }
    EXPECT_EQ(desk.boxes.size(), 5u);
    f.SetText(R::kNumber, "110");
    return PressOk(f);
  };
  Run(cmd::kRequestIoMessage, user);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "Message 110 switches the receiver's protocol and baud rate.\nSend it?");
  EXPECT_TRUE(port().sent.empty());
  confirm = true;
  desk.boxes.clear();
  Run(cmd::kRequestIoMessage, user);
  EXPECT_EQ(port().sent, std::vector<Bytes>{test::Frame(110 + 128, {0})});
  for (int code : {2, 63, 99, 100, 110}) EXPECT_FALSE(RequestSideEffect(code).empty()) << code;
  for (int code : {0, 20, 49, 127}) EXPECT_TRUE(RequestSideEffect(code).empty()) << code;
}

TEST_F(CommandDialogsTest, NvmElementOutsideItsRangeIsRefusedAsItIsTyped) {
  using N = ClearNvmForm;
  Run(cmd::kClearNvm, [&](Form& f) {
    f.AttachMessageBoxes(&desk);
    EXPECT_EQ(f.field(N::kElement)->maxChars, 2u);
    f.SetText(N::kElement, "16");
    EXPECT_EQ(f.Text(N::kElement), "0");
    f.SetText(N::kElement, "1");
    f.SetText(N::kElement, "1x");
    EXPECT_EQ(f.Text(N::kElement), "0");
    EXPECT_EQ(desk.boxes.size(), 2u);
    for (const auto& b : desk.boxes) EXPECT_EQ(b.text, "Error! The value should be between (0 to 15).");
    f.SetText(N::kElement, "");  // being retyped: left alone, but no element to clear
    EXPECT_EQ(desk.boxes.size(), 2u);
    EXPECT_EQ(f.Press(kFormOk), FormAction::None);
    EXPECT_EQ(desk.boxes.size(), 3u);
    f.SetText(N::kElement, "15");
    return PressOk(f);
  });
  EXPECT_EQ(port().sent, std::vector<Bytes>{test::Frame(99, {'Z', 'K', 'Q', 'W', '-', '7', '1', '5'})});
}

TEST_F(CommandDialogsTest, TimingLimitsStopTheExchangeOnlyInModifiedGroups) {
  using T = TimingForm;
  Run(cmd::kTimingParameters, [&](Form& f) {
    for (int g = 0; g < T::kGroupCount; ++g) EXPECT_FALSE(f.Enabled(T::kValue + g)) << g;
    f.SetChecked(T::kModified + T::kCableDelay, true);
    EXPECT_TRUE(f.Enabled(T::kValue + T::kCableDelay));
    f.SetText(T::kValue + T::kCableDelay, "-1000001");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(T::kValue + T::kCableDelay, "-1000000");
    f.SetChecked(T::kModified + T::kIntrinsicDelay, true);
    f.SetText(T::kValue + T::kIntrinsicDelay, "65535");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(T::kValue + T::kIntrinsicDelay, "12abc");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    return false;  // Cancel
  });
  EXPECT_EQ(desk.boxes.size(), 3u);
  EXPECT_TRUE(port().sent.empty());
}

TEST_F(CommandDialogsTest, LoadMemoryRefusesWhatDoesNotParseOrFit) {
  using L = LoadMemoryForm;
  Run(cmd::kLoadByte, [&](Form& f) {
    f.SetText(L::kAddress, "12G4");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(L::kAddress, "123456789");  // cut to the box's 8 characters
    EXPECT_EQ(f.Text(L::kAddress), "12345678");
    f.SetText(L::kValue, "100");  // 0x100: more than a byte
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.Select(L::kRadix, 1);
    f.SetText(L::kValue, "256");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(L::kValue, "0x1");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(L::kValue, "255");
    return PressOk(f);
  });
  EXPECT_EQ(desk.boxes.size(), 4u);
  EXPECT_EQ(port().sent, std::vector<Bytes>{test::Frame(120, Cat(Cat(Key(), Le32(0x12345678)), {0xFF}))});
}

TEST_F(CommandDialogsTest, SvDeselectionGroupsEnableTheirBoxesAndClearEmptiesBoth) {
  using S = SvDeselectionForm;
  Run(cmd::kSvDeselection, [&](Form& f) {
    EXPECT_TRUE(f.Enabled(S::kGpsBoxes));
    EXPECT_FALSE(f.Enabled(S::kWaasBoxes));
    EXPECT_EQ(f.field(S::kGpsBoxes)->options.front(), "SV 1");
    EXPECT_EQ(f.field(S::kWaasBoxes)->options.back(), "PRN 138");
    f.Select(S::kGroup, 1);
    EXPECT_FALSE(f.Enabled(S::kGpsBoxes));
    EXPECT_TRUE(f.Enabled(S::kWaasBoxes));
    f.Press(S::kDeselectAll);
    EXPECT_EQ(f.CheckedBoxes(S::kGpsBoxes).size(), 32u);
    f.Press(S::kClear);
    EXPECT_TRUE(f.CheckedBoxes(S::kGpsBoxes).empty());
    EXPECT_TRUE(f.CheckedBoxes(S::kWaasBoxes).empty());
    EXPECT_EQ(f.Press(S::kSend), FormAction::None);  // stays open
    return f.Press(S::kExit) == FormAction::Ok;
  });
  EXPECT_EQ(port().sent, std::vector<Bytes>{test::Frame(82, {1, 0, 0, 0, 0})});
}

TEST_F(CommandDialogsTest, OperatingModeTakesTheBasePositionFromThePositionDialog) {
  using O = OperatingModeForm;
  using P = PositionForm;
  Run(cmd::kOperatingMode, [&](Form& f) {
    if (f.caption() == "Position") {
      EXPECT_EQ(f.Text(P::kLatDegrees), "0");
      f.SetText(P::kLatDegrees, "91");
      EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
      f.SetText(P::kLatDegrees, "-90");
      f.SetText(P::kLatMinutes, "30");  // past the pole
      EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
      EXPECT_EQ(desk.boxes.back().text, "Please enter a latitude between -90 and 90 degrees.");
      f.SetText(P::kLatMinutes, "0");
      f.SetText(P::kLatDegrees, "45");
      f.SetText(P::kLonDegrees, "-0");
      f.SetText(P::kLonMinutes, "30");
      f.SetText(P::kLonMinutes + 1, "0");
      f.SetText(P::kAltitude, "100");
      return PressOk(f);
    }
    EXPECT_FALSE(f.Enabled(O::kPosition));  // rover
    f.Select(O::kMode, 1);
    EXPECT_TRUE(f.Enabled(O::kPosition));
    EXPECT_FALSE(f.Enabled(O::kX));
    EXPECT_EQ(f.Press(O::kPosition), FormAction::None);
    EXPECT_EQ(f.LabelLines(O::kPositionText)[1], "Longitude: W 000 30'00.000\" (Deg)");
    f.SetText(O::kStationId, "1024");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(O::kStationId, "1023");
    return PressOk(f);
  });
  EXPECT_EQ(desk.boxes.size(), 3u);
  ASSERT_EQ(port().sent.size(), 2u);
  const Bytes& base = port().sent[0];
  ASSERT_EQ(base.size(), 38u);
  const std::span<const uint8_t> fields(base.data() + 12, 24);
  EXPECT_NEAR(ReadLe<double>(fields, 0), DegreesToRadians(45), 1e-12);
  EXPECT_NEAR(ReadLe<double>(fields, 8), DegreesToRadians(-0.5), 1e-12);
  EXPECT_DOUBLE_EQ(ReadLe<double>(fields, 16), 100.0);
  EXPECT_EQ(port().sent[1], test::Frame(80, Cat(KeyOf(OperatingModeKey("Station ID")), Cat({0xFF, 3, 0}, Zeros(21)))));
}

TEST_F(CommandDialogsTest, MaskAngleUnitSwitchFollowsTheDegreeRadianRule) {
  using M = MaskAngleForm;
  Run(cmd::kMaskAngle, [&](Form& f) {
    EXPECT_EQ(f.Label(M::kUnitLabel), "Degree");
    f.SetText(M::kAngle, "90");
    f.Select(M::kUnit, 1);
    EXPECT_EQ(f.Label(M::kUnitLabel), "Radian");
    EXPECT_EQ(f.Text(M::kAngle), "1.570796327");
    f.SetText(M::kAngle, "1.6");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);  // beyond the zenith
    f.Select(M::kUnit, 0);
    EXPECT_EQ(f.Text(M::kAngle), "0");  // 91.67 degrees is no mask angle
    f.SetText(M::kAngle, "abc");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    return false;
  });
  EXPECT_EQ(desk.boxes.size(), 2u);
  EXPECT_TRUE(port().sent.empty());
}

TEST_F(CommandDialogsTest, DateTimeWithoutAClockAndDaysBeyondTheMonth) {
  using D = DateTimeForm;
  desk.utcNow.reset();
  Run(cmd::kSetDateTime, [&](Form& f) {
    EXPECT_EQ(f.Text(D::kYear) + "-" + f.Text(D::kMonth) + "-" + f.Text(D::kDay), "2000-1-1");
    f.SetText(D::kYear, "2100");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(D::kYear, "2023");
    f.SetText(D::kMonth, "2");
    f.SetText(D::kDay, "29");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(D::kYear, "2024");  // a leap year
    return PressOk(f);
  });
  ASSERT_EQ(desk.boxes.size(), 2u);
  EXPECT_EQ(desk.boxes[1].text, "Please enter a day between 1 and 28.");
  EXPECT_EQ(port().sent, std::vector<Bytes>{test::Frame(103, Cat(Key(), Cat({0, 0, 0, 29, 2}, Le<uint16_t>(2024))))});
}

TEST_F(CommandDialogsTest, NmeaToolSettingDialogsSendTheirSentences) {
  auto sent = [&] {
    std::vector<std::string> out;
    for (const Bytes& b : port().sent) out.emplace_back(b.begin(), b.end());
    port().sent.clear();
    return out;
  };
  for (int id : {cmd::kNmeaClearNvm, cmd::kNmeaRadiobeacon, cmd::kNmeaReceiverParameters}) {
    EXPECT_TRUE(commands.State(id).enabled) << id;
  }
  Run(cmd::kNmeaClearNvm, [](Form& f) {
    f.SetText(ClearNvmForm::kElement, "5");
    return PressOk(f);
  });
  EXPECT_EQ(sent(), std::vector<std::string>{test::Sentence("PQTLG,007,05")});
  Run(cmd::kNmeaRadiobeacon, [&](Form& f) {
    f.SetText(RadiobeaconForm::kFrequency, "325.5");  // above the band
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(RadiobeaconForm::kFrequency, "310.5");
    f.Select(RadiobeaconForm::kFrequencyMode, 1);
    f.Select(RadiobeaconForm::kBitRate, 2);
    f.SetText(RadiobeaconForm::kInterval, "10");
    return PressOk(f);
  });
  EXPECT_EQ(sent(), std::vector<std::string>{test::Sentence("GPMSK,310.5,M,100,A,10")});
  Run(cmd::kNmeaInitialization, [](Form& f) {
    if (f.caption() == "Position") {
      f.SetText(PositionForm::kLatDegrees, "-0");
      f.SetText(PositionForm::kLatMinutes, "30");
      f.SetText(PositionForm::kLonDegrees, "-73");
      f.SetText(PositionForm::kLonMinutes, "24");
      f.SetText(PositionForm::kLonMinutes + 1, "49.13");
      f.SetText(PositionForm::kAltitude, "30.25");
    } else {
      EXPECT_EQ(f.caption(), "Initialization Data");
    }
    return PressOk(f);
  });
  EXPECT_EQ(sent(), std::vector<std::string>{test::Sentence(
                        "PQTLG,001,081005,09,12,2026,0030.0000,S,07324.8188,W,30.2")});
  Run(cmd::kNmeaReceiverParameters, [](Form& f) {
    EXPECT_EQ(f.caption(), "Set receiver parameter");
    return false;
  });
  EXPECT_TRUE(sent().empty());
}

// What is left without a handler in the two menus, in both protocols: the file manager and
// download (maintenance tools), time alignment (no message carries it) and the NMEA waypoints.
TEST_F(CommandDialogsTest, ToolSettingAndXmitItemsWithoutAHandler) {
  std::vector<int> missing;
  for (int protocol : {kProtocolKtx, kProtocolNmea}) {
    const MenuItems bar = BuildMenuBar(protocol);
    for (const char* popup : {"Tool &Setting", "Xmit &Msg"}) {
      for (int id : AllCommands(FindPopup(bar, popup)->items)) {
        if (!commands.HasHandler(id)) missing.push_back(id);
      }
    }
  }
  std::sort(missing.begin(), missing.end());
  EXPECT_EQ(missing, (std::vector<int>{cmd::kTimeAlignmentEnable, cmd::kTimeAlignmentDisable,
                                       cmd::kNmeaDefineWaypoint, cmd::kNmeaSelectWaypoint}));
}

// Every edit of the service dialogs is read whole: a text that does not parse, or a value past
// what its payload field holds, is refused with a message and nothing goes out.
TEST_F(CommandDialogsTest, ServiceDialogsRefuseWhatDoesNotParseOrFit) {
  struct Refusal {
    int command;
    int field;
    std::string text;
  };
  const Refusal refusals[] = {
      {cmd::kEsnEntry, EsnForm::kEsn, "12G4"},
      {cmd::kEsnEntry, EsnForm::kEsn, ""},
      {cmd::kCustomerEsn, EsnForm::kPrefix, "AB"},
      {cmd::kCustomerEsn, EsnForm::kPrefix, "A-C"},
      {cmd::kWrapAround, WrapAroundForm::kValue, "0x10"},
      {cmd::kWrapAround, WrapAroundForm::kValue, "-1"},
      {cmd::kSetConfiguration, SetConfigurationForm::kBytes, "00 00 00 00 00"},
      {cmd::kSetConfiguration, SetConfigurationForm::kBytes, "00 00 00 00 00 00 00"},
      {cmd::kSetConfiguration, SetConfigurationForm::kHalfWord, "12x"},
      {cmd::kLogSpecificMessages, LogSpecificMessagesForm::kMessage, "128"},
      {cmd::kLogSpecificMessages, LogSpecificMessagesForm::kValue, "4294967296"},
      {cmd::kLogSpecificMessages, LogSpecificMessagesForm::kSubId, "1e2"},
      {cmd::kFpuMemoryDumpRequest, FpuMemoryDumpForm::kCount, "256"},
      {cmd::kFpuMemoryDumpRequest, FpuMemoryDumpForm::kCount, "0"},
      {cmd::kFpuMemoryDumpRequest, FpuMemoryDumpForm::kCount, "20x"},
      {cmd::kFpuMemoryDumpRequest, FpuMemoryDumpForm::kStart, "g"},
      {cmd::kLedBuzzer, LedBuzzerForm::kPattern, "1 23"},
      {cmd::kLedBuzzer, LedBuzzerForm::kPattern, std::string(130, '0')},  // 65 bytes
      {cmd::kAdConfig, AdConfigForm::kPeriod, "65536"},
      {cmd::kAdConfig, AdConfigForm::kChannels, "01 02"},
      {cmd::kAdCommand, AdCommandForm::kBytes, ""},
  };
  for (const Refusal& r : refusals) {
    desk.boxes.clear();
    port().sent.clear();
    const std::string& text = r.text;
    Run(r.command, [&](Form& f) {
      f.SetText(r.field, text);
      EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None) << r.command << " " << text;
      return false;
    });
    EXPECT_EQ(desk.boxes.size(), 1u) << r.command << " " << text;
    EXPECT_TRUE(port().sent.empty()) << r.command << " " << text;
  }
  // A 32-bit word's edit holds 8 digits; message 64's option bits are 16 bits.
  Run(cmd::kConfigurationBits, [&](Form& f) {
    f.SetText(ConfigurationForm::kBits, "123456789");
    EXPECT_EQ(f.Text(ConfigurationForm::kBits), "12345678");
    f.Select(ConfigurationForm::kTarget, 1);
    EXPECT_FALSE(f.Enabled(ConfigurationForm::kSplit));
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(ConfigurationForm::kBits, "FFFF");
    return PressOk(f);
  });
  EXPECT_EQ(port().sent, std::vector<Bytes>{test::Frame(64, Cat(Key(), {0xFF, 0xFF}))});
}

TEST_F(CommandDialogsTest, DgpsBytesMustBeExactlyTwentyOnePairs) {
  EXPECT_TRUE(DgpsConfigForm::ParseBytes(std::string(42, 'f')));
  EXPECT_FALSE(DgpsConfigForm::ParseBytes(std::string(40, '0')));
  EXPECT_FALSE(DgpsConfigForm::ParseBytes(std::string(44, '0')));
  EXPECT_FALSE(DgpsConfigForm::ParseBytes("0" + std::string(40, '1')));       // an odd digit at the end
  EXPECT_FALSE(DgpsConfigForm::ParseBytes("0 " + std::string(41, '1')));      // a pair split by a blank
  EXPECT_FALSE(DgpsConfigForm::ParseBytes("0g" + std::string(40, '1')));
}

}  // namespace
}  // namespace orv
