// The request, NVM, power and memory-load dialogs.
#include "commands/RequestForms.h"

#include "forms/EditExchange.h"
#include "util/Format.h"

namespace orv {

RequestIoForm::RequestIoForm() : form_("Request I/O Message") {
  FormField& n = form_.AddEdit(kNumber, "Message Number:", EditKind::Unsigned, "20");
  n.maxChars = 3;
  n.hasRange = true;
  n.min = 0;
  n.max = 127;
  form_.AddRadioGroup(kMode, "", {"One Shot", "Continuous"}, 1);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    accepted_ = Request{static_cast<int>(f.IntValue(kNumber).value_or(0)),
                        f.Selected(kMode) == 0 ? kOneShot : kContinuous};
  });
}

std::string RequestSideEffect(int number) {
  switch (number) {
    case 2: return "Message 2 restarts the receiver.";
    case 63: return "Message 63 is an InitLink with the old password.";
    case 99: return "Message 99 clears the receiver's NVM.";
    case 100: return "Message 100 erases the receiver's fault log.";
    case 110: return "Message 110 switches the receiver's protocol and baud rate.";
    default: return {};
  }
}

Form MakeConfirmForm(const std::string& caption, const std::string& text) {
  Form f(caption);
  f.AddLabel(kConfirmText, text);
  f.AddOkCancel();
  return f;
}

namespace {
// The element as typed: a decimal number of 0 to 15, or nothing yet.
bool NvmElementFine(const std::string& text) {
  if (text.empty()) return true;
  const auto v = ParseDecimal(text, false);
  return v && *v <= 15;
}
}  // namespace

ClearNvmForm::ClearNvmForm() : form_("Clear NVM") {
  FormField& e = form_.AddEdit(kElement, "NVM Element:", EditKind::Text, "0");
  e.maxChars = 2;
  e.checkTime = CheckTime::OnChange;
  e.resetText = "0";
  e.check = [](const Form& f) { return NvmElementFine(f.Text(kElement)) ? std::string() : std::string(kRangeMessage); };
  form_.AddOkCancel();
  // An empty box is left alone while the user types, but is not an element to clear.
  form_.OnButton(kFormOk, [](Form& f) {
    if (!ParseDecimal(f.Text(kElement), false)) {
      f.ShowMessage(kRangeMessage);
      f.SetFocus(kElement);
      return FormAction::None;
    }
    return FormAction::Ok;
  });
  form_.OnOk([this](Form& f) { accepted_ = static_cast<int>(*ParseDecimal(f.Text(kElement), false)); });
}

PowerControlForm::PowerControlForm() : form_("Power Control") {
  form_.AddRadioGroup(kCommand, "", {"Power off", "Restore Config"}, 0);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) { accepted_ = f.Selected(kCommand) == 1 ? "R_CFG" : "P_OFF"; });
}

LoadMemoryForm::LoadMemoryForm(std::string caption, bool word) : word_(word), form_(std::move(caption)) {
  FormField& a = form_.AddEdit(kAddress, "Load Address (HEX) :", EditKind::Hex, "0");
  a.maxChars = 8;
  form_.AddEdit(kValue, "Value :", EditKind::Text, "0").check = [this](const Form&) {
    if (Value()) return std::string();
    const bool hex = form_.Selected(kRadix) == 0;
    if (word_) {
      return hex ? std::string("Please enter a hexadecimal number between 0 and FFFFFFFF.")
                 : std::string("Please enter an integer between 0 and 4294967295.");
    }
    return hex ? std::string("Please enter a hexadecimal number between 0 and FF.")
               : std::string("Please enter an integer between 0 and 255.");
  };
  form_.AddRadioGroup(kRadix, "", {"Hex", "Dec"}, 0);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    const std::string& text = f.Text(kAddress);
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    accepted_ = Load{text.substr(first, last - first + 1), *Value()};
  });
}

// The value as the radio buttons say to read it, within the size of what is loaded; a text
// that does not parse whole, or a value too large, is none.
std::optional<uint32_t> LoadMemoryForm::Value() const {
  const std::string& text = form_.Text(kValue);
  std::optional<uint64_t> v;
  if (form_.Selected(kRadix) == 0) {
    v = ParseHex(text);
  } else if (const auto d = ParseDecimal(text, false)) {
    v = static_cast<uint64_t>(*d);
  }
  const uint64_t max = word_ ? 0xFFFFFFFFu : 0xFFu;
  if (!v || *v > max) return std::nullopt;
  return static_cast<uint32_t>(*v);
}

}  // namespace orv
