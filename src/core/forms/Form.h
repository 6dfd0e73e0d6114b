// A dialog described as data: its caption, its fields (edit boxes with limits, radio groups,
// check boxes, combo boxes, sliders, buttons), the rules that enable and disable them, and
// the data exchange that checks edit boxes when OK is pressed. The desktop draws any form with
// one renderer; tests drive it by setting values and pressing buttons.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace orv {

enum class FieldKind { Label, Edit, RadioGroup, CheckBox, Combo, Slider, Button };
// How an edit box's text is read by the data exchange.
enum class EditKind { Text, Integer, Unsigned, Real };
// What pressing a button does to the dialog.
enum class FormAction { None, Ok, Cancel };
enum class SliderMove { LineUp, LineDown, PageUp, PageDown, Top, Bottom };

// The standard button identifiers.
inline constexpr int kFormOk = 1;
inline constexpr int kFormCancel = 2;

struct FormField {
  int id = 0;
  FieldKind kind = FieldKind::Label;
  std::string label;  // static text, group caption, check box or button text
  bool enabled = true;
  bool visible = true;
  // Edit box.
  EditKind editKind = EditKind::Text;
  std::string text;
  std::size_t maxChars = 0;  // 0: no limit
  bool hasRange = false;
  double min = 0, max = 0;
  // Radio group and combo box: the choices and the selected one (-1: none).
  std::vector<std::string> options;
  int selected = -1;
  // Radio group: per choice, whether its button can be clicked (empty: all can).
  std::vector<bool> optionEnabled;
  // Check box.
  bool checked = false;
  // Slider.
  int rangeMin = 0, rangeMax = 100, lineStep = 1, pageStep = 10, position = 0;
  std::vector<int> ticks;
  // Button.
  FormAction action = FormAction::None;
};

// A failed data exchange: the field to go back to and the platform's standard message.
struct FormError {
  int fieldId = 0;
  std::string text;
};

class Form {
 public:
  explicit Form(std::string caption = {}) : caption_(std::move(caption)) {}

  const std::string& caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // Caption of the data-exchange message boxes (the application's title).
  void SetMessageCaption(std::string caption) { messageCaption_ = std::move(caption); }

  FormField& AddLabel(int id, std::string text);
  FormField& AddEdit(int id, std::string label, EditKind kind, std::string text = {});
  FormField& AddRadioGroup(int id, std::string caption, std::vector<std::string> options, int selected);
  FormField& AddCheckBox(int id, std::string text, bool checked = false);
  FormField& AddCombo(int id, std::string label, std::vector<std::string> options, int selected = -1);
  FormField& AddSlider(int id, std::string label, int rangeMin, int rangeMax, int position);
  FormField& AddButton(int id, std::string text, FormAction action = FormAction::None);
  // OK and Cancel with their standard identifiers.
  void AddOkCancel();

  const std::vector<FormField>& fields() const { return fields_; }
  FormField* field(int id);
  const FormField* field(int id) const;

  // Values, as the user or a test sets them. Each change runs the change handler and the
  // enabling rules. Edit text is cut to the box's character limit, as the control does;
  // slider positions are kept within the range; selections outside the choices are ignored.
  void SetText(int id, std::string text);
  std::string Text(int id) const;
  void Select(int id, int index);
  int Selected(int id) const;
  void SetChecked(int id, bool checked);
  bool Checked(int id) const;
  void SetPosition(int id, int position);
  int Position(int id) const;
  void MoveSlider(int id, SliderMove move);
  void SetEnabled(int id, bool enabled);
  bool Enabled(int id) const;
  // One radio button of a group; the user cannot select a disabled one.
  void SetOptionEnabled(int id, int index, bool enabled);
  bool OptionEnabled(int id, int index) const;
  // The form's own label and caption texts, which a dialog may change while it is shown.
  void SetLabel(int id, std::string text);
  std::string Label(int id) const;

  // The dialog's own window timers (not the main frame's). While the form is shown the host
  // fires every armed timer with FireTimer at its period; the set of armed timers only
  // changes inside a button press, a value change or a timer event, so the host looks at
  // timers() again after each of those.
  void SetTimer(int id, uint32_t periodMs);
  void KillTimer(int id);
  bool TimerArmed(int id) const { return timers_.count(id) != 0; }
  const std::map<int, uint32_t>& timers() const { return timers_; }
  void OnTimer(std::function<void(Form&, int id)> handler) { onTimer_ = std::move(handler); }
  // Runs the timer handler when timer `id` is armed; otherwise nothing happens.
  void FireTimer(int id);

  void SetRules(std::function<void(Form&)> rules);
  void OnChange(std::function<void(Form&, int id)> handler) { onChange_ = std::move(handler); }
  // A button's own work. Its result replaces the button's action (None keeps the form open).
  void OnButton(int id, std::function<FormAction(Form&)> handler);
  // Runs when OK has passed the data exchange, before the form closes.
  void OnOk(std::function<void(Form&)> handler) { onOk_ = std::move(handler); }

  // Presses a button. An OK action first runs the data exchange; when it fails the message
  // goes to `boxes` (exclamation icon) and the form stays open (None).
  FormAction Press(int id, MessageBoxes* boxes);
  // Checks every enabled edit box in order against its kind, limits and length.
  std::optional<FormError> Validate() const;
  // An edit box's value, once it passes the data exchange.
  std::optional<int64_t> IntValue(int id) const;
  std::optional<double> RealValue(int id) const;

 private:
  FormField& Add(int id, FieldKind kind, std::string label);
  void Changed(int id);

  std::string caption_;
  std::string messageCaption_;
  std::vector<FormField> fields_;
  std::function<void(Form&)> rules_;
  std::function<void(Form&, int)> onChange_;
  std::function<void(Form&)> onOk_;
  std::function<void(Form&, int)> onTimer_;
  std::map<int, uint32_t> timers_;
  std::vector<std::pair<int, std::function<FormAction(Form&)>>> buttonHandlers_;
};

}  // namespace orv
