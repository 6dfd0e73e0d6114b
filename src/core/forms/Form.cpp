// The form model: building fields, changing values under the enabling rules, the checks of
// edit boxes on OK, on change and on leaving, and the one notification per change that lets
// a renderer follow the form.
#include "forms/Form.h"

#include <algorithm>

#include "forms/EditExchange.h"

namespace orv {

// Wraps every change made through the interface. Only the outermost one calls the observer,
// so that a change whose rules touch twenty fields costs the renderer one pass.
struct Form::Mutation {
  explicit Mutation(Form& form) : f(form) { ++f.depth_; }
  ~Mutation() {
    if (--f.depth_ == 0 && f.dirty_) {
      f.dirty_ = false;
      if (f.observer_) f.observer_();
    }
  }
  Mutation(const Mutation&) = delete;
  Mutation& operator=(const Mutation&) = delete;
  Form& f;
};

namespace {
bool InOptions(const FormField& f, int index) { return index >= 0 && index < static_cast<int>(f.options.size()); }
}  // namespace

FormField& Form::Add(int id, FieldKind kind, std::string label) {
  FormField f;
  f.id = id;
  f.kind = kind;
  f.label = std::move(label);
  fields_.push_back(std::move(f));
  return fields_.back();
}

FormField& Form::AddLabel(int id, std::string text) { return Add(id, FieldKind::Label, std::move(text)); }

FormField& Form::AddEdit(int id, std::string label, EditKind kind, std::string text) {
  FormField& f = Add(id, FieldKind::Edit, std::move(label));
  f.editKind = kind;
  f.text = std::move(text);
  return f;
}

FormField& Form::AddRadioGroup(int id, std::string caption, std::vector<std::string> options, int selected) {
  FormField& f = Add(id, FieldKind::RadioGroup, std::move(caption));
  f.options = std::move(options);
  f.selected = selected;
  return f;
}

FormField& Form::AddCheckBox(int id, std::string text, bool checked) {
  FormField& f = Add(id, FieldKind::CheckBox, std::move(text));
  f.checked = checked;
  return f;
}

FormField& Form::AddCombo(int id, std::string label, std::vector<std::string> options, int selected) {
  FormField& f = Add(id, FieldKind::Combo, std::move(label));
  f.options = std::move(options);
  f.selected = selected;
  return f;
}

FormField& Form::AddSlider(int id, std::string label, int rangeMin, int rangeMax, int position) {
  FormField& f = Add(id, FieldKind::Slider, std::move(label));
  f.rangeMin = rangeMin;
  f.rangeMax = std::max(rangeMin, rangeMax);
  f.position = std::clamp(position, f.rangeMin, f.rangeMax);
  return f;
}

FormField& Form::AddButton(int id, std::string text, FormAction action) {
  FormField& f = Add(id, FieldKind::Button, std::move(text));
  f.action = action;
  return f;
}

FormField& Form::AddProgress(int id, std::string label, uint32_t rangeMin, uint32_t rangeMax, uint32_t position) {
  FormField& f = Add(id, FieldKind::Progress, std::move(label));
  f.progressMin = rangeMin;
  f.progressMax = std::max(rangeMin, rangeMax);
  f.progress = std::clamp(position, f.progressMin, f.progressMax);
  return f;
}

FormField& Form::AddCheckGrid(int id, std::string caption, std::vector<std::string> labels, int columns) {
  FormField& f = Add(id, FieldKind::CheckGrid, std::move(caption));
  f.optionChecked.assign(labels.size(), false);
  f.options = std::move(labels);
  f.columns = std::max(1, columns);
  return f;
}

void Form::AddOkCancel() {
  AddButton(kFormOk, "OK", FormAction::Ok);
  AddButton(kFormCancel, "Cancel", FormAction::Cancel);
}

FormField* Form::field(int id) {
  for (FormField& f : fields_) {
    if (f.id == id) return &f;
  }
  return nullptr;
}

const FormField* Form::field(int id) const { return const_cast<Form*>(this)->field(id); }

void Form::SetCaption(std::string caption) {
  Mutation m(*this);
  caption_ = std::move(caption);
  Touch();
}

void Form::Changed(int id) {
  Touch();
  if (onChange_) onChange_(*this, id);
  if (rules_) rules_(*this);
}

void Form::SetText(int id, std::string text) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Edit) return;
  Mutation m(*this);
  if (f->maxChars > 0 && text.size() > f->maxChars) text.resize(f->maxChars);
  f->text = std::move(text);
  if (f->checkTime == CheckTime::OnChange) CheckField(id);
  Changed(id);
}

std::string Form::Text(int id) const {
  const FormField* f = field(id);
  return f != nullptr ? f->text : std::string();
}

void Form::Select(int id, int index) {
  FormField* f = field(id);
  if (f == nullptr || (f->kind != FieldKind::RadioGroup && f->kind != FieldKind::Combo)) return;
  if (index < -1 || index >= static_cast<int>(f->options.size())) return;
  if (index >= 0 && !OptionEnabled(id, index)) return;
  Mutation m(*this);
  f->selected = index;
  Changed(id);
}

int Form::Selected(int id) const {
  const FormField* f = field(id);
  return f != nullptr ? f->selected : -1;
}

void Form::SetChecked(int id, bool checked) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::CheckBox) return;
  Mutation m(*this);
  f->checked = checked;
  Changed(id);
}

bool Form::Checked(int id) const {
  const FormField* f = field(id);
  return f != nullptr && f->checked;
}

void Form::SetPosition(int id, int position) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Slider) return;
  Mutation m(*this);
  f->position = std::clamp(position, f->rangeMin, f->rangeMax);
  Changed(id);
}

int Form::Position(int id) const {
  const FormField* f = field(id);
  return f != nullptr ? f->position : 0;
}

void Form::MoveSlider(int id, SliderMove move) {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Slider) return;
  // Positions are ints within the range, so these sums cannot overflow for sane steps;
  // they are done in 64 bits anyway.
  int64_t p = f->position;
  switch (move) {
    case SliderMove::LineUp: p -= f->lineStep; break;
    case SliderMove::LineDown: p += f->lineStep; break;
    case SliderMove::PageUp: p -= f->pageStep; break;
    case SliderMove::PageDown: p += f->pageStep; break;
    case SliderMove::Top: p = f->rangeMin; break;
    case SliderMove::Bottom: p = f->rangeMax; break;
  }
  SetPosition(id, static_cast<int>(std::clamp<int64_t>(p, f->rangeMin, f->rangeMax)));
}

void Form::SetBoxChecked(int id, int index, bool checked) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::CheckGrid || !InOptions(*f, index)) return;
  Mutation m(*this);
  f->optionChecked[static_cast<std::size_t>(index)] = checked;
  Changed(id);
}

void Form::SetAllBoxes(int id, bool checked) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::CheckGrid) return;
  Mutation m(*this);
  f->optionChecked.assign(f->options.size(), checked);
  Changed(id);
}

bool Form::BoxChecked(int id, int index) const {
  const FormField* f = field(id);
  return f != nullptr && f->kind == FieldKind::CheckGrid && InOptions(*f, index) &&
         f->optionChecked[static_cast<std::size_t>(index)];
}

std::vector<int> Form::CheckedBoxes(int id) const {
  std::vector<int> checked;
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::CheckGrid) return checked;
  for (std::size_t i = 0; i < f->optionChecked.size(); ++i) {
    if (f->optionChecked[i]) checked.push_back(static_cast<int>(i));
  }
  return checked;
}

void Form::SetEnabled(int id, bool enabled) {
  FormField* f = field(id);
  if (f == nullptr) return;
  Mutation m(*this);
  f->enabled = enabled;
  Touch();
}

bool Form::Enabled(int id) const {
  const FormField* f = field(id);
  return f != nullptr && f->enabled;
}

void Form::SetVisible(int id, bool visible) {
  FormField* f = field(id);
  if (f == nullptr) return;
  Mutation m(*this);
  f->visible = visible;
  Touch();
}

bool Form::Visible(int id) const {
  const FormField* f = field(id);
  return f != nullptr && f->visible;
}

void Form::SetOptionEnabled(int id, int index, bool enabled) {
  FormField* f = field(id);
  if (f == nullptr || !InOptions(*f, index)) return;
  Mutation m(*this);
  if (f->optionEnabled.size() != f->options.size()) f->optionEnabled.resize(f->options.size(), true);
  f->optionEnabled[static_cast<std::size_t>(index)] = enabled;
  Touch();
}

bool Form::OptionEnabled(int id, int index) const {
  const FormField* f = field(id);
  if (f == nullptr || !InOptions(*f, index)) return false;
  const auto i = static_cast<std::size_t>(index);
  return i >= f->optionEnabled.size() || f->optionEnabled[i];
}

void Form::SetLabel(int id, std::string text) {
  FormField* f = field(id);
  if (f == nullptr) return;
  Mutation m(*this);
  f->label = std::move(text);
  Touch();
}

std::string Form::Label(int id) const {
  const FormField* f = field(id);
  return f != nullptr ? f->label : std::string();
}

std::vector<std::string> Form::LabelLines(int id) const {
  const std::string text = Label(id);
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\n' && c != '\r') {
      lines.back() += c;
      continue;
    }
    // A pair of different break characters is one break, in either order.
    if (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r') && text[i + 1] != c) ++i;
    lines.emplace_back();
  }
  return lines;
}

void Form::SetOptions(int id, std::vector<std::string> options) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Combo) return;
  Mutation m(*this);
  f->options = std::move(options);
  if (!f->optionEnabled.empty()) f->optionEnabled.resize(f->options.size(), true);
  if (f->selected >= static_cast<int>(f->options.size())) f->selected = -1;
  Touch();
}

void Form::SetProgressRange(int id, uint32_t rangeMin, uint32_t rangeMax) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Progress) return;
  Mutation m(*this);
  f->progressMin = rangeMin;
  f->progressMax = std::max(rangeMin, rangeMax);
  f->progress = std::clamp(f->progress, f->progressMin, f->progressMax);
  Touch();
}

void Form::SetProgress(int id, uint32_t position) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Progress) return;
  Mutation m(*this);
  f->progress = std::clamp(position, f->progressMin, f->progressMax);
  Touch();
}

uint32_t Form::Progress(int id) const {
  const FormField* f = field(id);
  return f != nullptr ? f->progress : 0;
}

void Form::SetTimer(int id, uint32_t periodMs) {
  Mutation m(*this);
  timers_[id] = periodMs;
  Touch();
}

void Form::KillTimer(int id) {
  Mutation m(*this);
  if (timers_.erase(id) != 0) Touch();
}

void Form::FireTimer(int id) {
  if (!TimerArmed(id) || !onTimer_) return;
  Mutation m(*this);
  onTimer_(*this, id);
}

void Form::SetRules(std::function<void(Form&)> rules) {
  Mutation m(*this);
  rules_ = std::move(rules);
  if (rules_) rules_(*this);
}

void Form::OnButton(int id, std::function<FormAction(Form&)> handler) {
  buttonHandlers_.emplace_back(id, std::move(handler));
}

void Form::ShowMessage(const std::string& text, MessageIcon icon) {
  if (boxes_ != nullptr) boxes_->MessageBox(text, messageCaption_, icon);
}

FormAction Form::Press(int id, MessageBoxes* boxes) {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Button || !f->enabled || !f->visible) return FormAction::None;
  Mutation m(*this);
  MessageBoxes* const attached = boxes_;
  if (boxes != nullptr) boxes_ = boxes;
  FormAction action = f->action;
  if (action == FormAction::Ok && !CheckFields()) {
    action = FormAction::None;
  } else {
    // By index: a handler may add handlers.
    for (std::size_t i = 0; i < buttonHandlers_.size(); ++i) {
      if (buttonHandlers_[i].first == id && buttonHandlers_[i].second) action = buttonHandlers_[i].second(*this);
    }
    if (action == FormAction::Ok && onOk_) onOk_(*this);
  }
  boxes_ = attached;
  return action;
}

bool Form::CheckFields() {
  const auto error = Validate();
  if (!error) return true;
  ShowMessage(error->text);
  SetFocus(error->fieldId);
  return false;
}

// A check at change or leave time: its message, then the reset text. While its message is up
// the checks it would set off (the box takes the focus, a poll changes a field) are skipped,
// so one refusal never stacks a second box over the first.
bool Form::CheckField(int id) {
  const FormField* f = field(id);
  if (checking_ || f == nullptr || f->kind != FieldKind::Edit || !f->enabled || !f->visible) return true;
  std::string message = ExchangeMessage(*f);
  if (message.empty() && f->check) message = f->check(*this);
  if (message.empty()) return true;
  checking_ = true;
  ShowMessage(message);
  checking_ = false;
  if (FormField* g = field(id); g != nullptr && g->resetText) {
    g->text = *g->resetText;
    Touch();
  }
  return false;
}

void Form::LeaveField(int id) {
  if (checking_) return;
  Mutation m(*this);
  const FormField* f = field(id);
  if (f != nullptr && f->kind == FieldKind::Edit && f->checkTime == CheckTime::OnLeave) {
    const std::string before = f->text;
    if (!CheckField(id) && Text(id) != before) Changed(id);
  }
  if (onLeave_) onLeave_(*this, id);
}

std::optional<FormError> Form::Validate() const {
  for (const FormField& f : fields_) {
    if (f.kind != FieldKind::Edit || !f.enabled || !f.visible) continue;
    std::string message = ExchangeMessage(f);
    if (message.empty() && f.check) message = f.check(*this);
    if (!message.empty()) return FormError{f.id, std::move(message)};
  }
  return std::nullopt;
}

std::optional<int64_t> Form::IntValue(int id) const {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Edit || f->editKind == EditKind::Hex || !ExchangeMessage(*f).empty()) {
    return std::nullopt;
  }
  return ParseDecimal(f->text, f->editKind != EditKind::Unsigned);
}

std::optional<double> Form::RealValue(int id) const {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Edit || f->editKind == EditKind::Hex || !ExchangeMessage(*f).empty()) {
    return std::nullopt;
  }
  return ParseReal(f->text);
}

std::optional<uint64_t> Form::HexValue(int id) const {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Edit || f->editKind != EditKind::Hex || !ExchangeMessage(*f).empty()) {
    return std::nullopt;
  }
  return ParseHex(f->text);
}

void Form::SetFocus(int id) {
  Mutation m(*this);
  focusRequest_ = id;
  Touch();
}

void Form::RequestClose(FormAction action) {
  if (action == FormAction::None) return;
  Mutation m(*this);
  closeRequest_ = action;
  Touch();
}

}  // namespace orv
