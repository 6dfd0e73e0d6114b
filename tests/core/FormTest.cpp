// The generic form model and the Playback Rate dialog built on it.
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

}  // namespace
}  // namespace orv
