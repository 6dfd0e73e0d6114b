// The generic form model and the Playback Rate dialog built on it: the data exchange of every
// edit kind, checks on change and on leaving, check grids, progress bars and the notification
// a renderer follows.
#include <gtest/gtest.h>

#include "forms/Form.h"
#include "logging/PlaybackRateForm.h"
#include "support/FakeDesktop.h"

namespace orv {
namespace {

TEST(PlaybackRateFormTest, OpensOnTheCurrentRateWithTheSliderLimits) {
  PlaybackRateForm dialog(1000);
  const FormField* slider = dialog.form().field(PlaybackRateForm::kSlider);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->rangeMin, 0);
  EXPECT_EQ(slider->rangeMax, 5000);
  EXPECT_EQ(slider->lineStep, 1);
  EXPECT_EQ(slider->pageStep, 100);
  EXPECT_EQ(slider->ticks, (std::vector<int>{500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500}));
  EXPECT_EQ(slider->position, 1000);
  EXPECT_EQ(dialog.form().Selected(PlaybackRateForm::kDivisor), 0);
  EXPECT_EQ(dialog.form().field(PlaybackRateForm::kDivisor)->options,
            (std::vector<std::string>{"Rate", "Rate/10", "Rate/100"}));
  EXPECT_EQ(dialog.form().Press(kFormCancel, nullptr), FormAction::Cancel);
}

TEST(PlaybackRateFormTest, DividesAndNeverGivesZero) {
  struct Case {
    int position, divisor;
    uint32_t expected;
  };
  for (const Case c : {Case{2345, 2, 23}, Case{50, 2, 1}, Case{2345, 1, 234}, Case{2345, 0, 2345},
                       Case{0, 0, 1}, Case{5000, 0, 5000}}) {
    PlaybackRateForm dialog(1000);
    dialog.form().SetPosition(PlaybackRateForm::kSlider, c.position);
    dialog.form().Select(PlaybackRateForm::kDivisor, c.divisor);
    EXPECT_EQ(dialog.form().Press(kFormOk, nullptr), FormAction::Ok);
    EXPECT_EQ(dialog.BytesPerTick(), c.expected) << c.position << " / choice " << c.divisor;
  }
  // A stored rate beyond the slider opens at its end.
  EXPECT_EQ(PlaybackRateForm(9000).form().Position(PlaybackRateForm::kSlider), 5000);
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() {
    form.SetMessageCaption("Orvantis");
    form.AddCheckBox(10, "Modified");
    form.AddEdit(11, "Cable Propagation Delay", EditKind::Integer, "0");
    FormField& delay = *form.field(11);
    delay.hasRange = true;
    delay.min = -1000000;
    delay.max = 1000000;
    form.AddEdit(12, "Trigger Time", EditKind::Real, "0.0");
    form.field(12)->hasRange = true;
    form.field(12)->max = 604800.0;
    form.AddEdit(13, "File name:", EditKind::Text).maxChars = 8;
    form.AddOkCancel();
    form.SetRules([](Form& f) { f.SetEnabled(11, f.Checked(10)); });
    form.OnOk([this](Form&) { ++oks; });
  }
  Form form{"Set Timing Parameters"};
  test::FakeDesktop desktop;
  int oks = 0;
};

TEST_F(FormTest, DataExchangeUsesTheStandardMessagesAndKeepsTheFormOpen) {
  EXPECT_FALSE(form.Enabled(11));
  form.SetText(11, "-1000001");  // disabled: not exchanged
  EXPECT_EQ(form.Press(kFormOk, &desktop), FormAction::Ok);
  EXPECT_EQ(oks, 1);

  form.SetChecked(10, true);
  EXPECT_TRUE(form.Enabled(11));
  EXPECT_EQ(form.Press(kFormOk, &desktop), FormAction::None);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "Please enter an integer between -1000000 and 1000000.");
  EXPECT_EQ(desktop.boxes[0].caption, "Orvantis");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(form.Validate()->fieldId, 11);
  form.SetText(11, " -1000000 ");
  EXPECT_EQ(form.IntValue(11), -1000000);

  form.SetText(12, "604800.5");
  EXPECT_EQ(form.Validate()->text, "Please enter a number between 0 and 604800.");
  form.SetText(12, "abc");
  EXPECT_EQ(form.Validate()->text, "Please enter a number.");
  form.SetText(12, "12.25");
  EXPECT_EQ(form.RealValue(12), 12.25);
  form.SetText(11, "12x");
  EXPECT_EQ(form.Validate()->text, "Please enter an integer.");
  EXPECT_FALSE(form.IntValue(11).has_value());
  form.SetText(11, "99999999999999999999");
  EXPECT_EQ(form.Validate()->text, "Please enter an integer.");
  form.SetText(11, "5");
  EXPECT_EQ(form.Press(kFormOk, &desktop), FormAction::Ok);
  EXPECT_EQ(oks, 2);
}

TEST_F(FormTest, ControlsKeepTheirLimits) {
  form.SetText(13, "TOOLONGNAME");
  EXPECT_EQ(form.Text(13), "TOOLONGN");
  form.field(13)->text = "NINECHARS";  // set behind the control's back
  EXPECT_EQ(form.Validate()->text, "Please enter no more than 8 characters.");

  Form f;
  f.AddSlider(1, "delay", 0, 9, 5).pageStep = 5;
  f.MoveSlider(1, SliderMove::PageDown);
  EXPECT_EQ(f.Position(1), 9);
  f.MoveSlider(1, SliderMove::LineUp);
  EXPECT_EQ(f.Position(1), 8);
  f.SetPosition(1, -3);
  EXPECT_EQ(f.Position(1), 0);
  f.AddRadioGroup(2, "SV type", {"GLONASS", "GPS", "GIC"}, 1).visible = true;
  f.Select(2, 3);
  EXPECT_EQ(f.Selected(2), 1);
  f.Select(2, 2);
  EXPECT_EQ(f.Selected(2), 2);
}

TEST_F(FormTest, ButtonHandlersDecideWhetherTheFormCloses) {
  int sends = 0;
  form.AddButton(20, "Send");
  form.AddButton(21, "Exit", FormAction::Cancel);
  form.OnButton(20, [&](Form&) {
    ++sends;
    return FormAction::None;
  });
  EXPECT_EQ(form.Press(20, &desktop), FormAction::None);
  EXPECT_EQ(sends, 1);
  EXPECT_EQ(form.Press(21, &desktop), FormAction::Cancel);
  form.SetEnabled(20, false);
  EXPECT_EQ(form.Press(20, &desktop), FormAction::None);
  EXPECT_EQ(sends, 1);
  EXPECT_EQ(form.Press(11, &desktop), FormAction::None);  // not a button
  EXPECT_EQ(oks, 0);
}


// Texts that do not parse whole are refused with the kind's message, whatever prefix of them
// would parse; the values read are exact.
TEST(FormExchangeTest, EveryNumericKindRefusesWhatDoesNotParseWhole) {
  const char* kInt = "Please enter an integer.";
  const char* kReal = "Please enter a number.";
  const char* kHex = "Please enter a hexadecimal number.";
  const struct {
    EditKind kind;
    const char* text;
    const char* message;  // empty: accepted
  } cases[] = {
      {EditKind::Integer, "12G4", kInt}, {EditKind::Integer, "12 4", kInt}, {EditKind::Integer, "1e3", kInt},
      {EditKind::Integer, "", kInt}, {EditKind::Integer, "-", kInt}, {EditKind::Integer, "0x10", kInt},
      {EditKind::Integer, "+-5", kInt}, {EditKind::Integer, "9223372036854775808", kInt},
      {EditKind::Integer, " +42\t", ""}, {EditKind::Unsigned, "-0", "Please enter a positive integer."},
      {EditKind::Real, "inf", kReal}, {EditKind::Real, "nan", kReal}, {EditKind::Real, "1e400", kReal},
      {EditKind::Real, "0x1p3", kReal}, {EditKind::Real, "1,5", kReal}, {EditKind::Real, ".", kReal},
      {EditKind::Real, "1e3", ""}, {EditKind::Real, "+.5", ""},
      {EditKind::Hex, "12G4", kHex}, {EditKind::Hex, "12 4", kHex}, {EditKind::Hex, "", kHex}, {EditKind::Hex, "-", kHex},
      {EditKind::Hex, "+1", kHex}, {EditKind::Hex, "0x10", kHex}, {EditKind::Hex, "10000000000000000", kHex},
      {EditKind::Hex, " 00fF ", ""},
  };
  for (const auto& c : cases) {
    Form form;
    form.AddEdit(1, "", c.kind, c.text);
    const auto error = form.Validate();
    EXPECT_EQ(error ? error->text : "", c.message) << '"' << c.text << '"';
    if (error) {
      EXPECT_FALSE(form.IntValue(1) || form.RealValue(1) || form.HexValue(1)) << '"' << c.text << '"';
    }
  }
  Form form;
  form.AddEdit(1, "", EditKind::Integer, "-9223372036854775808");
  form.AddEdit(2, "", EditKind::Hex, "ffffFFFFffffFFFF").maxChars = 8;
  EXPECT_EQ(form.IntValue(1), INT64_MIN);
  EXPECT_EQ(form.Validate()->text, "Please enter no more than 8 characters.");
  form.SetText(2, "FFFFFFFF0");  // cut to eight digits, as the control does
  EXPECT_EQ(form.HexValue(2), 0xFFFFFFFFu);
  EXPECT_FALSE(form.IntValue(2));  // not read as a decimal
  FormField& word = *form.field(2);
  word.hasRange = true;
  word.hexMax = 0xFFFF;
  EXPECT_EQ(form.Validate()->text, "Please enter a hexadecimal number between 0 and FFFF.");
}

// A parameter dialog: the mask angle is checked on every change, the aux rate when the user
// leaves it; both put a good value back when they refuse one.
class FieldCheckTest : public ::testing::Test {
 protected:
  FieldCheckTest() {
    form.SetMessageCaption("Orvantis");
    FormField& mask = form.AddEdit(11, "Mask angle", EditKind::Integer, "5");
    mask.checkTime = CheckTime::OnChange;
    mask.resetText = "0";
    mask.check = [](const Form& f) {
      return *f.IntValue(11) > 15 ? std::string("Error! The value should be between (0 to 15).") : std::string();
    };
    FormField& aux = form.AddEdit(12, "Aux baud", EditKind::Unsigned, "9600");
    aux.checkTime = CheckTime::OnLeave;
    aux.resetText = "9600";
    aux.check = [](const Form& f) {
      return *f.IntValue(12) % 300 != 0 ? std::string("Auxiliary Baud Rate should be a multiple of 300.") : std::string();
    };
    form.AddOkCancel();
    form.OnChange([this](Form& f, int id) { events.push_back(std::to_string(id) + "=" + f.Text(id)); });
    form.OnLeave([this](Form&, int id) { events.push_back("left " + std::to_string(id)); });
    form.AttachMessageBoxes(&desktop);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& b : desktop.boxes) texts.push_back(b.text);
    return texts;
  }
  Form form;
  test::FakeDesktop desktop;
  std::vector<std::string> events;
};

TEST_F(FieldCheckTest, AChangeTimeCheckRefusesAtOnceAndPutsTheResetTextBack) {
  form.SetText(11, "12");
  form.SetText(11, "16");
  form.SetText(11, "1x");  // the standard exchange comes first
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Error! The value should be between (0 to 15).", "Please enter an integer."}));
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(desktop.boxes[0].caption, "Orvantis");
  EXPECT_EQ(events, (std::vector<std::string>{"11=12", "11=0", "11=0"}));  // the handler sees the reset text
}

TEST_F(FieldCheckTest, ALeaveTimeCheckWaitsForTheFocusToGo) {
  form.SetText(12, "9601");
  EXPECT_TRUE(desktop.boxes.empty());
  form.LeaveField(12);
  form.LeaveField(11);  // checked on change only
  EXPECT_EQ(Texts(), std::vector<std::string>{"Auxiliary Baud Rate should be a multiple of 300."});
  EXPECT_EQ(events, (std::vector<std::string>{"12=9601", "12=9600", "left 12", "left 11"}));
  form.SetEnabled(12, false);
  form.SetText(12, "1");
  form.LeaveField(12);  // a disabled box is not checked
  EXPECT_EQ(desktop.boxes.size(), 1u);
}

TEST_F(FieldCheckTest, OkRunsTheOwnChecksOfEveryFieldAndFocusesTheFirstFailing) {
  form.field(12)->text = "1234";  // never left
  EXPECT_EQ(form.Press(kFormOk), FormAction::None);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Auxiliary Baud Rate should be a multiple of 300."});
  EXPECT_EQ(form.Text(12), "1234");  // OK puts nothing back
  EXPECT_EQ(form.TakeFocusRequest(), 12);
  EXPECT_EQ(form.TakeFocusRequest(), 0);
  form.SetText(12, "1200");
  EXPECT_EQ(form.Press(kFormOk), FormAction::Ok);
}

TEST(CheckGridTest, BoxesAreCheckedOneByOneOrAllAndEnabledByTheRules) {
  Form form;
  form.AddCheckBox(1, "Deselect");
  form.AddCheckGrid(2, "GPS", std::vector<std::string>(32, "SV"), 4);
  form.SetRules([](Form& f) { f.SetEnabled(2, f.Checked(1)); });
  EXPECT_FALSE(form.Enabled(2));
  form.SetChecked(1, true);
  EXPECT_TRUE(form.Enabled(2));
  for (int i : {0, 31, 32, -1}) form.SetBoxChecked(2, i, true);  // the last two are not boxes
  EXPECT_EQ(form.CheckedBoxes(2), (std::vector<int>{0, 31}));
  EXPECT_FALSE(form.BoxChecked(2, 32));
  form.SetAllBoxes(2, true);
  form.SetBoxChecked(2, 4, false);
  EXPECT_EQ(form.CheckedBoxes(2).size(), 31u);
  form.SetAllBoxes(2, false);
  EXPECT_TRUE(form.CheckedBoxes(2).empty());
  form.SetOptionEnabled(2, 7, false);
  EXPECT_FALSE(form.OptionEnabled(2, 7));
  EXPECT_TRUE(form.OptionEnabled(2, 8));
}

TEST(ProgressTest, ThePositionStaysWithinTheRangeAsEitherChanges) {
  Form form;
  form.AddProgress(1, "", 1, 70000);
  EXPECT_EQ(form.Progress(1), 1u);
  form.SetProgress(1, 70001);
  EXPECT_EQ(form.Progress(1), 70000u);
  form.SetProgressRange(1, 0, 65535);
  EXPECT_EQ(form.Progress(1), 65535u);
  form.SetProgressRange(1, 100, 50);  // never upside down
  EXPECT_EQ(form.Progress(1), 100u);
}

TEST(FormLabelTest, EveryKindOfLineBreakIsOneBreak) {
  Form form;
  form.AddLabel(1, "Download Initiated\n\rSelect start and click send to begin download");
  EXPECT_EQ(form.LabelLines(1),
            (std::vector<std::string>{"Download Initiated", "Select start and click send to begin download"}));
  form.SetLabel(1, "a\r\nb\nc\rd\n\n\re");
  EXPECT_EQ(form.LabelLines(1), (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
}

// What a renderer relies on to follow changes made by the poll while the dialog is open.
TEST(FormObserverTest, EveryChangeFromOutsideNotifiesOnceAndReadsNever) {
  Form form("Download");
  form.AddCheckBox(1, "Erase");
  form.AddLabel(2, "");
  form.AddCombo(3, "Files", {"A.LOG", "B.LOG"}, 1);
  form.AddProgress(4, "", 0, 65535);
  form.SetRules([](Form& f) {
    for (int id : {2, 3, 4}) f.SetEnabled(id, !f.Checked(1));
  });
  int notes = 0;
  form.SetObserver([&] { ++notes; });
  const std::function<void()> changes[] = {
      [&] { form.SetChecked(1, true); },  // with three rule changes inside: one call
      [&] { form.SetLabel(2, "Downloading"); },
      [&] { form.SetProgress(4, 512); },
      [&] { form.SetOptions(3, {"A.LOG", "B.LOG", "C.LOG"}); },
      [&] { form.SetVisible(2, false); },
      [&] { form.SetTimer(54, 1000); },
      [&] { form.RequestClose(FormAction::Cancel); },
  };
  for (const auto& change : changes) {
    const int before = notes;
    change();
    EXPECT_EQ(notes, before + 1) << "change " << (&change - changes);
  }
  EXPECT_EQ(form.Selected(3), 1);  // the selection outlives the new list
  const int before = notes;
  (void)form.Validate();
  form.KillTimer(99);  // nothing armed: nothing changed
  form.RequestClose(FormAction::None);  // no request
  EXPECT_EQ(notes, before);
  EXPECT_EQ(form.TakeCloseRequest(), FormAction::Cancel);
  EXPECT_FALSE(form.TakeCloseRequest());
}

}  // namespace
}  // namespace orv
