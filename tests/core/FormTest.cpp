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
  struct Case {
    EditKind kind;
    const char* text;
    const char* message;  // empty: accepted
  };
  const char* kInt = "Please enter an integer.";
  const char* kPos = "Please enter a positive integer.";
  const char* kReal = "Please enter a number.";
  const char* kHex = "Please enter a hexadecimal number.";
  const Case cases[] = {
      {EditKind::Integer, "12G4", kInt}, {EditKind::Integer, "12 4", kInt}, {EditKind::Integer, "1e3", kInt},
      {EditKind::Integer, "", kInt}, {EditKind::Integer, "-", kInt}, {EditKind::Integer, "0x10", kInt},
      {EditKind::Integer, "+-5", kInt}, {EditKind::Integer, "1.0", kInt}, {EditKind::Integer, "9223372036854775808", kInt},
      {EditKind::Integer, "-9223372036854775808", ""}, {EditKind::Integer, " +42\t", ""},
      {EditKind::Unsigned, "-0", kPos}, {EditKind::Unsigned, "18446744073709551616", kPos}, {EditKind::Unsigned, "7", ""},
      {EditKind::Real, "inf", kReal}, {EditKind::Real, "nan", kReal}, {EditKind::Real, "-infinity", kReal},
      {EditKind::Real, "1e400", kReal}, {EditKind::Real, "0x1p3", kReal}, {EditKind::Real, "1,5", kReal},
      {EditKind::Real, "", kReal}, {EditKind::Real, ".", kReal}, {EditKind::Real, "2.5.1", kReal},
      {EditKind::Real, "1e3", ""}, {EditKind::Real, "+.5", ""},
      {EditKind::Hex, "12G4", kHex}, {EditKind::Hex, "12 4", kHex}, {EditKind::Hex, "", kHex}, {EditKind::Hex, "-", kHex},
      {EditKind::Hex, "-1", kHex}, {EditKind::Hex, "+1", kHex}, {EditKind::Hex, "0x10", kHex},
      {EditKind::Hex, "10000000000000000", kHex}, {EditKind::Hex, "ffffFFFFffffFFFF", ""}, {EditKind::Hex, " 0010 ", ""},
  };
  for (const Case& c : cases) {
    Form form;
    form.AddEdit(1, "", c.kind, c.text);
    const auto error = form.Validate();
    EXPECT_EQ(error ? error->text : "", c.message) << '"' << c.text << '"';
    if (*c.message != '\0') {
      EXPECT_FALSE(form.IntValue(1) || form.RealValue(1) || form.HexValue(1)) << '"' << c.text << '"';
    }
  }
  Form form;
  form.AddEdit(1, "", EditKind::Integer, "-9223372036854775808");
  EXPECT_EQ(form.IntValue(1), INT64_MIN);
  form.AddEdit(2, "", EditKind::Real, "1e3");
  EXPECT_EQ(form.RealValue(2), 1000.0);
  form.AddEdit(3, "", EditKind::Hex, "ffffFFFFffffFFFF");
  EXPECT_EQ(form.HexValue(3), UINT64_MAX);
  EXPECT_FALSE(form.IntValue(3));  // not read as a decimal
  EXPECT_FALSE(form.HexValue(1));
}

TEST(FormExchangeTest, HexadecimalEditsKeepTheirLengthAndRange) {
  Form form;
  form.SetMessageCaption("Orvantis");
  form.AddEdit(11, "Address", EditKind::Hex, "0").maxChars = 8;
  FormField& word = form.AddEdit(12, "Word", EditKind::Hex, "0");
  word.hasRange = true;
  word.hexMax = 0xFFFF;
  form.AddOkCancel();
  test::FakeDesktop desktop;

  form.SetText(11, "12G4");
  EXPECT_EQ(form.Press(kFormOk, &desktop), FormAction::None);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "Please enter a hexadecimal number.");
  EXPECT_EQ(form.TakeFocusRequest(), 11);
  EXPECT_FALSE(form.HexValue(11));

  form.SetText(11, "FFFFFFFF0");  // cut to eight digits, as the control does
  EXPECT_EQ(form.HexValue(11), 0xFFFFFFFFu);
  form.field(11)->text = "FFFFFFFF0";
  EXPECT_EQ(form.Validate()->text, "Please enter no more than 8 characters.");
  form.SetText(11, "8000");
  form.SetText(12, "10000");
  EXPECT_EQ(form.Validate()->text, "Please enter a hexadecimal number between 0 and FFFF.");
  form.SetText(12, "fffe");
  EXPECT_EQ(form.Press(kFormOk, &desktop), FormAction::Ok);
  EXPECT_EQ(form.HexValue(12), 0xFFFEu);
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
      const int64_t v = *f.IntValue(11);
      return v < 0 || v > 15 ? std::string("Error! The value should be between (0 to 15).") : std::string();
    };
    FormField& aux = form.AddEdit(12, "Aux baud", EditKind::Unsigned, "9600");
    aux.checkTime = CheckTime::OnLeave;
    aux.resetText = "9600";
    aux.check = [](const Form& f) {
      return *f.IntValue(12) % 300 != 0 ? std::string("Auxiliary Baud Rate should be a multiple of 300.") : std::string();
    };
    form.AddOkCancel();
    form.OnChange([this](Form& f, int id) { changes.push_back(std::to_string(id) + "=" + f.Text(id)); });
    form.OnLeave([this](Form&, int id) { leaves.push_back(id); });
    form.AttachMessageBoxes(&desktop);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& b : desktop.boxes) texts.push_back(b.text);
    return texts;
  }
  Form form;
  test::FakeDesktop desktop;
  std::vector<std::string> changes;
  std::vector<int> leaves;
};

TEST_F(FieldCheckTest, AChangeTimeCheckRefusesAtOnceAndPutsTheResetTextBack) {
  form.SetText(11, "12");
  form.SetText(11, "16");
  EXPECT_EQ(form.Text(11), "0");
  form.SetText(11, "1x");  // the standard exchange comes first
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Error! The value should be between (0 to 15).", "Please enter an integer."}));
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(desktop.boxes[0].caption, "Orvantis");
  EXPECT_EQ(changes, (std::vector<std::string>{"11=12", "11=0", "11=0"}));  // the handler sees the reset text
  form.SetEnabled(11, false);
  form.SetText(11, "99");  // a disabled box is not checked
  EXPECT_EQ(desktop.boxes.size(), 2u);
}

TEST_F(FieldCheckTest, ALeaveTimeCheckWaitsForTheFocusToGo) {
  form.SetText(12, "9601");
  EXPECT_TRUE(desktop.boxes.empty());
  form.LeaveField(12);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Auxiliary Baud Rate should be a multiple of 300."});
  EXPECT_EQ(form.Text(12), "9600");
  form.SetText(12, "4800");
  form.LeaveField(12);
  form.LeaveField(11);  // checked on change only
  EXPECT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(leaves, (std::vector<int>{12, 12, 11}));
  EXPECT_EQ(changes, (std::vector<std::string>{"12=9601", "12=9600", "12=4800"}));
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
  std::vector<std::string> svs;
  for (int sv = 1; sv <= 32; ++sv) svs.push_back(std::to_string(sv));
  Form form;
  form.AddCheckBox(1, "Deselect");
  form.AddCheckGrid(2, "GPS", svs, 4);
  int gridChanges = 0;
  form.OnChange([&](Form&, int id) { gridChanges += id == 2; });
  form.SetRules([](Form& f) { f.SetEnabled(2, f.Checked(1)); });
  EXPECT_FALSE(form.Enabled(2));
  form.SetChecked(1, true);
  EXPECT_TRUE(form.Enabled(2));

  form.SetBoxChecked(2, 0, true);
  form.SetBoxChecked(2, 31, true);
  form.SetBoxChecked(2, 32, true);  // beyond the grid
  form.SetBoxChecked(2, -1, true);
  EXPECT_EQ(form.CheckedBoxes(2), (std::vector<int>{0, 31}));
  EXPECT_TRUE(form.BoxChecked(2, 31));
  EXPECT_FALSE(form.BoxChecked(2, 32));
  form.SetAllBoxes(2, true);
  EXPECT_EQ(form.CheckedBoxes(2).size(), 32u);
  form.SetBoxChecked(2, 4, false);
  EXPECT_FALSE(form.BoxChecked(2, 4));
  form.SetAllBoxes(2, false);
  EXPECT_TRUE(form.CheckedBoxes(2).empty());
  EXPECT_EQ(gridChanges, 5);

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
  EXPECT_EQ(form.field(1)->progressMax, 100u);
  EXPECT_EQ(form.Progress(1), 100u);
  form.SetProgressRange(1, 0, UINT32_MAX);
  form.SetProgress(1, UINT32_MAX);
  EXPECT_EQ(form.Progress(1), UINT32_MAX);
}

TEST(FormLabelTest, EveryKindOfLineBreakIsOneBreak) {
  Form form;
  form.AddLabel(1, "Download Initiated\n\rSelect start and click send to begin download");
  EXPECT_EQ(form.LabelLines(1),
            (std::vector<std::string>{"Download Initiated", "Select start and click send to begin download"}));
  form.SetLabel(1, "a\r\nb\nc\rd\n\n\re");
  EXPECT_EQ(form.LabelLines(1), (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
  form.SetLabel(1, "");
  EXPECT_EQ(form.LabelLines(1), std::vector<std::string>{""});
}

// What a renderer relies on to follow changes made by the poll while the dialog is open.
TEST(FormObserverTest, EveryChangeFromOutsideNotifiesOnceAndReadsNever) {
  Form form("Download");
  form.AddCheckBox(1, "Erase");
  form.AddLabel(2, "");
  form.AddCombo(3, "Files", {"A.LOG", "B.LOG"}, 1);
  form.AddProgress(4, "", 0, 65535);
  form.AddEdit(5, "Name", EditKind::Text);
  form.SetRules([](Form& f) {
    for (int id : {2, 3, 4, 5}) f.SetEnabled(id, !f.Checked(1));
  });
  int notes = 0;
  form.SetObserver([&] { ++notes; });
  const std::function<void()> changes[] = {
      [&] { form.SetChecked(1, true); },  // with four rule changes inside: one call
      [&] { form.SetLabel(2, "Downloading"); },
      [&] { form.SetProgress(4, 512); },
      [&] { form.SetProgressRange(4, 1, 70000); },
      [&] { form.SetOptions(3, {"A.LOG", "B.LOG", "C.LOG"}); },
      [&] { form.SetVisible(5, false); },
      [&] { form.SetCaption("Download (2)"); },
      [&] { form.SetTimer(54, 1000); },
      [&] { form.SetFocus(5); },
      [&] { form.RequestClose(FormAction::Cancel); },
  };
  for (const auto& change : changes) {
    const int before = notes;
    change();
    EXPECT_EQ(notes, before + 1) << "change " << (&change - changes);
  }
  EXPECT_EQ(form.Selected(3), 1);  // the selection outlives the new list
  form.SetOptions(3, {"A.LOG"});
  EXPECT_EQ(form.Selected(3), -1);
  const int before = notes;
  (void)form.Text(5);
  (void)form.CheckedBoxes(3);
  (void)form.Validate();
  form.KillTimer(99);  // nothing armed: nothing changed
  EXPECT_EQ(notes, before);
}

TEST(FormObserverTest, ACloseRequestIsTakenOnceAndNoneIsNoRequest) {
  Form form;
  form.AddOkCancel();
  form.RequestClose(FormAction::None);
  EXPECT_FALSE(form.closeRequest());
  form.RequestClose(FormAction::Ok);
  EXPECT_EQ(form.closeRequest(), FormAction::Ok);
  EXPECT_EQ(form.TakeCloseRequest(), FormAction::Ok);
  EXPECT_FALSE(form.TakeCloseRequest());
}

// A Send button keeps the form open and may check the fields first; its messages go to the
// boxes it was pressed with, or else to the attached ones.
TEST(FormButtonTest, SendChecksTheFieldsOnDemandAndKeepsTheFormOpen) {
  Form form;
  form.AddEdit(11, "Start", EditKind::Hex, "zz");
  form.AddButton(12, "Send");
  int sent = 0;
  form.OnButton(12, [&](Form& f) {
    if (f.CheckFields()) ++sent;
    f.ShowMessage("sent?", MessageIcon::Information);
    return FormAction::None;
  });
  test::FakeDesktop pressedWith, attached;
  form.AttachMessageBoxes(&attached);
  EXPECT_EQ(form.Press(12, &pressedWith), FormAction::None);
  EXPECT_EQ(pressedWith.boxes.size(), 2u);
  EXPECT_EQ(form.messageBoxes(), &attached);
  form.SetText(11, "1F");
  EXPECT_EQ(form.Press(12), FormAction::None);
  EXPECT_EQ(sent, 1);
  ASSERT_EQ(attached.boxes.size(), 1u);
  EXPECT_EQ(attached.boxes[0].icon, MessageIcon::Information);
}

}  // namespace
}  // namespace orv
