// A dialog described as data: its caption, its fields (edit boxes with limits, radio groups,
// check boxes and grids of them, combo boxes, sliders, progress bars, buttons), the rules that
// enable and disable them, and the data exchange that checks edit boxes on OK, on change or
// when they lose the focus. The desktop draws any form with one renderer; tests drive it by
// setting values and pressing buttons.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Desktop.h"

namespace orv {

enum class FieldKind { Label, Edit, RadioGroup, CheckBox, Combo, Slider, Button, Progress, CheckGrid };
// How an edit box's text is read by the data exchange. Hex takes digits 0-9, A-F and a-f only.
enum class EditKind { Text, Integer, Unsigned, Real, Hex };
// When an edit box is checked besides OK: never, after every change of its text, or when it
// loses the focus.
enum class CheckTime { OnOk, OnChange, OnLeave };
// What pressing a button does to the dialog.
enum class FormAction { None, Ok, Cancel };
enum class SliderMove { LineUp, LineDown, PageUp, PageDown, Top, Bottom };

// The standard button identifiers.
inline constexpr int kFormOk = 1;
inline constexpr int kFormCancel = 2;

class Form;

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
  // The range of a hexadecimal edit (with hasRange): 64-bit limits, which doubles cannot hold.
  uint64_t hexMin = 0, hexMax = UINT64_MAX;
  // The dialog's own check, run once the standard exchange has passed: the message to show,
  // empty when the value is fine. It runs on OK, and also at checkTime.
  CheckTime checkTime = CheckTime::OnOk;
  std::function<std::string(const Form&)> check;
  // Put back when a change-time or leave-time check fails; none: the refused text stays.
  std::optional<std::string> resetText;
  // Label: the lines it keeps room for, so that the dialog does not jump as the text changes
  // (0: as many as the text has).
  int lines = 0;
  // Radio group and combo box: the choices and the selected one (-1: none).
  std::vector<std::string> options;
  int selected = -1;
  // Radio group and check grid: per choice, whether its button can be clicked (empty: all can).
  std::vector<bool> optionEnabled;
  // Radio group: per choice, whether its button is left off the screen (empty: none is).
  std::vector<bool> optionHidden;
  // Check grid: the boxes' labels are the options; per box, whether it is checked. Boxes
  // fill the columns top to bottom, then left to right.
  std::vector<bool> optionChecked;
  int columns = 1;
  // Check box.
  bool checked = false;
  // Slider.
  int rangeMin = 0, rangeMax = 100, lineStep = 1, pageStep = 10, position = 0;
  std::vector<int> ticks;
  // Progress bar: the range and the position within it.
  uint32_t progressMin = 0, progressMax = 100, progress = 0;
  // Button.
  FormAction action = FormAction::None;
  // A button that belongs to the field just before it (a file edit's "Browse") sits beside
  // that field instead of in the dialog's row of buttons.
  bool besideField = false;
};

// Gives an edit its range: the standard exchange refuses a value outside min to max.
inline void Limit(FormField& field, double min, double max) {
  field.hasRange = true;
  field.min = min;
  field.max = max;
}

// A failed data exchange: the field to go back to and the platform's standard message.
struct FormError {
  int fieldId = 0;
  std::string text;
};

class Form {
 public:
  explicit Form(std::string caption = {}) : caption_(std::move(caption)) {}

  const std::string& caption() const { return caption_; }
  void SetCaption(std::string caption);
  // Caption of the data-exchange message boxes (the application's title).
  void SetMessageCaption(std::string caption) { messageCaption_ = std::move(caption); }

  // Fields are added before the form is shown; the renderer builds its widgets once.
  FormField& AddLabel(int id, std::string text);
  FormField& AddEdit(int id, std::string label, EditKind kind, std::string text = {});
  FormField& AddRadioGroup(int id, std::string caption, std::vector<std::string> options, int selected);
  FormField& AddCheckBox(int id, std::string text, bool checked = false);
  FormField& AddCombo(int id, std::string label, std::vector<std::string> options, int selected = -1);
  FormField& AddSlider(int id, std::string label, int rangeMin, int rangeMax, int position);
  FormField& AddButton(int id, std::string text, FormAction action = FormAction::None);
  FormField& AddProgress(int id, std::string label, uint32_t rangeMin, uint32_t rangeMax, uint32_t position = 0);
  // A captioned group of check boxes, all unchecked, laid out in `columns` columns.
  FormField& AddCheckGrid(int id, std::string caption, std::vector<std::string> labels, int columns);
  // OK and Cancel with their standard identifiers.
  void AddOkCancel();

  const std::vector<FormField>& fields() const { return fields_; }
  // For building: a change made through the pointer tells nobody, so a shown form does not
  // follow it until the next change made through the setters below.
  FormField* field(int id);
  const FormField* field(int id) const;

  // Values, as the user or a test sets them. Each change runs the change handler and the
  // enabling rules. Edit text is cut to the box's character limit, as the control does;
  // slider positions are kept within the range; selections outside the choices are ignored.
  // An edit box checked on change is checked before the handler runs.
  void SetText(int id, std::string text);
  std::string Text(int id) const;
  void Select(int id, int index);
  int Selected(int id) const;
  void SetChecked(int id, bool checked);
  bool Checked(int id) const;
  void SetPosition(int id, int position);
  int Position(int id) const;
  void MoveSlider(int id, SliderMove move);
  // One box of a check grid, or all of them (indices outside the grid are ignored).
  void SetBoxChecked(int id, int index, bool checked);
  void SetAllBoxes(int id, bool checked);
  bool BoxChecked(int id, int index) const;
  std::vector<int> CheckedBoxes(int id) const;

  // States the dialog's own code changes; they do not run the change handler.
  void SetEnabled(int id, bool enabled);
  bool Enabled(int id) const;
  void SetVisible(int id, bool visible);
  bool Visible(int id) const;
  // One radio button of a group or box of a grid; the user cannot select a disabled one.
  void SetOptionEnabled(int id, int index, bool enabled);
  bool OptionEnabled(int id, int index) const;
  // The form's own label and caption texts, which a dialog may change while it is shown.
  void SetLabel(int id, std::string text);
  std::string Label(int id) const;
  // A label's text as lines: "\n\r", "\r\n", "\n" and "\r" each end a line.
  std::vector<std::string> LabelLines(int id) const;
  // Replaces a combo box's choices; the selection stays when it is still one of them.
  void SetOptions(int id, std::vector<std::string> options);
  // A progress bar's range (the maximum is never below the minimum) and position, which is
  // kept within the range.
  void SetProgressRange(int id, uint32_t rangeMin, uint32_t rangeMax);
  void SetProgress(int id, uint32_t position);
  uint32_t Progress(int id) const;

  // The dialog's own window timers (not the main frame's). While the form is shown the host
  // fires every armed timer with FireTimer at its period, and follows the set of armed timers
  // as it changes.
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
  // Runs when a field has lost the focus, after its leave-time check.
  void OnLeave(std::function<void(Form&, int id)> handler) { onLeave_ = std::move(handler); }

  // Where messages go while the form is shown (the host attaches its boxes; null: nowhere).
  void AttachMessageBoxes(MessageBoxes* boxes) { boxes_ = boxes; }
  MessageBoxes* messageBoxes() const { return boxes_; }
  // A message box with the form's message caption, for handlers.
  void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::Exclamation);

  // Presses a button. An OK action first runs the data exchange; when it fails the message
  // goes to `boxes` (exclamation icon), the focus to the field, and the form stays open
  // (None). Null boxes: the attached ones. Handlers' messages go to the same boxes.
  FormAction Press(int id, MessageBoxes* boxes);
  FormAction Press(int id) { return Press(id, nullptr); }
  // The user has left field `id`: its leave-time check runs, then the leave handler.
  void LeaveField(int id);
  // The OK data exchange on demand (a Send button that needs its fields): on failure shows
  // the message, asks for the focus on the field and returns false.
  bool CheckFields();
  // Checks every enabled edit box in order against its kind, limits, length and own check.
  std::optional<FormError> Validate() const;
  // An edit box's value, once it passes the standard data exchange (IntValue and RealValue
  // read decimal edits, HexValue hexadecimal ones).
  std::optional<int64_t> IntValue(int id) const;
  std::optional<double> RealValue(int id) const;
  std::optional<uint64_t> HexValue(int id) const;

  // Requests the host carries out while the form is shown: move the focus to a field; close
  // the form as a button of that action would, without the data exchange or the handlers
  // (for code outside the dialog's events, such as the serial poll). The host takes each
  // request once; a close asked for while the form is not shown is dropped when it opens.
  void SetFocus(int id);
  int TakeFocusRequest() { return std::exchange(focusRequest_, 0); }
  void RequestClose(FormAction action);
  std::optional<FormAction> closeRequest() const { return closeRequest_; }
  std::optional<FormAction> TakeCloseRequest() { return std::exchange(closeRequest_, std::nullopt); }

  // Called once after every change made through this interface (changes that handlers and
  // rules make inside it are folded into the one call), so that a renderer can follow
  // changes that come from outside its own events. Null: none.
  void SetObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  struct Mutation;
  FormField& Add(int id, FieldKind kind, std::string label);
  void Changed(int id);
  void Touch() { dirty_ = true; }
  bool CheckField(int id);

  std::string caption_;
  std::string messageCaption_;
  std::vector<FormField> fields_;
  std::function<void(Form&)> rules_;
  std::function<void(Form&, int)> onChange_;
  std::function<void(Form&)> onOk_;
  std::function<void(Form&, int)> onTimer_;
  std::function<void(Form&, int)> onLeave_;
  std::function<void()> observer_;
  std::map<int, uint32_t> timers_;
  std::vector<std::pair<int, std::function<FormAction(Form&)>>> buttonHandlers_;
  MessageBoxes* boxes_ = nullptr;
  int focusRequest_ = 0;
  std::optional<FormAction> closeRequest_;
  int depth_ = 0;         // nesting of changes in progress
  bool dirty_ = false;    // something changed since the observer was last called
  bool checking_ = false; // a check's message is up: what it causes is not the user's
};

}  // namespace orv
