// The form model: building fields, changing values under the enabling rules, and the data
// exchange with the platform's standard validation messages.
#include "forms/Form.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "util/Format.h"

namespace orv {

namespace {

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool ParseInteger(const std::string& text, bool allowNegative, int64_t& out) {
  const std::string t = Trimmed(text);
  if (t.empty() || (!allowNegative && t[0] == '-')) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(t.c_str(), &end, 10);
  if (errno == ERANGE || end == t.c_str() || *end != '\0') return false;
  out = v;
  return true;
}

bool ParseReal(const std::string& text, double& out) {
  const std::string t = Trimmed(text);
  if (t.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (errno == ERANGE || end == t.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// The data exchange of one edit box; the message is empty when the text passes.
std::string Exchange(const FormField& f) {
  if (f.maxChars > 0 && f.text.size() > f.maxChars) {
    return Format("Please enter no more than %zu characters.", f.maxChars);
  }
  switch (f.editKind) {
    case EditKind::Text: return {};
    case EditKind::Integer:
    case EditKind::Unsigned: {
      int64_t v = 0;
      if (!ParseInteger(f.text, f.editKind == EditKind::Integer, v)) {
        return f.editKind == EditKind::Integer ? "Please enter an integer." : "Please enter a positive integer.";
      }
      if (f.hasRange && (static_cast<double>(v) < f.min || static_cast<double>(v) > f.max)) {
        return Format("Please enter an integer between %lld and %lld.", static_cast<long long>(f.min),
                      static_cast<long long>(f.max));
      }
      return {};
    }
    case EditKind::Real: {
      double v = 0;
      if (!ParseReal(f.text, v)) return "Please enter a number.";
      if (f.hasRange && (v < f.min || v > f.max)) {
        return Format("Please enter a number between %.15g and %.15g.", f.min, f.max);
      }
      return {};
    }
  }
  return {};
}

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

void Form::Changed(int id) {
  if (onChange_) onChange_(*this, id);
  if (rules_) rules_(*this);
}

void Form::SetText(int id, std::string text) {
  FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Edit) return;
  if (f->maxChars > 0 && text.size() > f->maxChars) text.resize(f->maxChars);
  f->text = std::move(text);
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

void Form::SetEnabled(int id, bool enabled) {
  if (FormField* f = field(id)) f->enabled = enabled;
}

bool Form::Enabled(int id) const {
  const FormField* f = field(id);
  return f != nullptr && f->enabled;
}

void Form::SetOptionEnabled(int id, int index, bool enabled) {
  FormField* f = field(id);
  if (f == nullptr || index < 0 || index >= static_cast<int>(f->options.size())) return;
  if (f->optionEnabled.size() != f->options.size()) f->optionEnabled.assign(f->options.size(), true);
  f->optionEnabled[static_cast<std::size_t>(index)] = enabled;
}

bool Form::OptionEnabled(int id, int index) const {
  const FormField* f = field(id);
  if (f == nullptr || index < 0 || index >= static_cast<int>(f->options.size())) return false;
  const auto i = static_cast<std::size_t>(index);
  return i >= f->optionEnabled.size() || f->optionEnabled[i];
}

void Form::SetLabel(int id, std::string text) {
  if (FormField* f = field(id)) f->label = std::move(text);
}

std::string Form::Label(int id) const {
  const FormField* f = field(id);
  return f != nullptr ? f->label : std::string();
}

void Form::SetTimer(int id, uint32_t periodMs) { timers_[id] = periodMs; }

void Form::KillTimer(int id) { timers_.erase(id); }

void Form::FireTimer(int id) {
  if (TimerArmed(id) && onTimer_) onTimer_(*this, id);
}

void Form::SetRules(std::function<void(Form&)> rules) {
  rules_ = std::move(rules);
  if (rules_) rules_(*this);
}

void Form::OnButton(int id, std::function<FormAction(Form&)> handler) {
  buttonHandlers_.emplace_back(id, std::move(handler));
}

FormAction Form::Press(int id, MessageBoxes* boxes) {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Button || !f->enabled || !f->visible) return FormAction::None;
  FormAction action = f->action;
  if (action == FormAction::Ok) {
    if (const auto error = Validate()) {
      if (boxes != nullptr) boxes->MessageBox(error->text, messageCaption_, MessageIcon::Exclamation);
      return FormAction::None;
    }
  }
  for (auto& [buttonId, handler] : buttonHandlers_) {
    if (buttonId == id && handler) action = handler(*this);
  }
  if (action == FormAction::Ok && onOk_) onOk_(*this);
  return action;
}

std::optional<FormError> Form::Validate() const {
  for (const FormField& f : fields_) {
    if (f.kind != FieldKind::Edit || !f.enabled || !f.visible) continue;
    std::string message = Exchange(f);
    if (!message.empty()) return FormError{f.id, std::move(message)};
  }
  return std::nullopt;
}

std::optional<int64_t> Form::IntValue(int id) const {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Edit || !Exchange(*f).empty()) return std::nullopt;
  int64_t v = 0;
  if (!ParseInteger(f->text, f->editKind != EditKind::Unsigned, v)) return std::nullopt;
  return v;
}

std::optional<double> Form::RealValue(int id) const {
  const FormField* f = field(id);
  if (f == nullptr || f->kind != FieldKind::Edit || !Exchange(*f).empty()) return std::nullopt;
  double v = 0;
  if (!ParseReal(f->text, v)) return std::nullopt;
  return v;
}

}  // namespace orv
