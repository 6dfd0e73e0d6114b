// The ESN, wrap around, configuration, logging, FPU dump, LED / buzzer and A/D dialogs.
#include "commands/ServiceForms.h"

#include <cctype>

#include "forms/EditExchange.h"
#include "util/ByteIo.h"
#include "util/Format.h"

namespace orv {

namespace {
// A hexadecimal edit of at most `digits` digits (a 32-bit word takes 8).
FormField& AddHex(Form& form, int id, std::string label, std::size_t digits, std::string text = "0") {
  FormField& f = form.AddEdit(id, std::move(label), EditKind::Hex, std::move(text));
  f.maxChars = digits;
  return f;
}
std::string HexText(uint64_t v) { return Format("%llX", static_cast<unsigned long long>(v)); }
// A block of hexadecimal byte pairs, checked whole with `message`.
FormField& AddHexBytes(Form& form, int id, std::string label, std::size_t minCount, std::size_t maxCount,
                       std::string message, std::string text = {}) {
  FormField& f = form.AddEdit(id, std::move(label), EditKind::Text, std::move(text));
  f.check = [id, minCount, maxCount, message](const Form& fm) {
    return ParseHexBytes(fm.Text(id), minCount, maxCount) ? std::string() : message;
  };
  return f;
}
}  // namespace

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string& text, std::size_t minCount, std::size_t maxCount) {
  std::vector<uint8_t> out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || out.size() == maxCount) return std::nullopt;
    const auto v = ParseHex(std::string_view(text).substr(i, 2));
    if (!v || text[i + 1] == ' ' || text[i + 1] == '\t') return std::nullopt;
    out.push_back(static_cast<uint8_t>(*v));
    i += 2;
  }
  if (out.size() < minCount) return std::nullopt;
  return out;
}

EsnForm::EsnForm(std::string caption, bool customer) : form_(std::move(caption)) {
  AddHex(form_, kEsn, "ESN (HEX):", 8);
  AddHex(form_, kCustomerNumber, "Customer SN (HEX):", 8);
  FormField& p = form_.AddEdit(kPrefix, "Customer Prefix:", EditKind::Text, "AAA");
  p.maxChars = 3;
  // The part number window shows the prefix before the number as three characters.
  p.check = [](const Form& f) {
    const std::string& t = f.Text(kPrefix);
    bool fine = t.size() == 3;
    for (char c : t) fine = fine && std::isalnum(static_cast<unsigned char>(c)) != 0;
    return fine ? std::string() : std::string("Please enter a prefix of three letters or digits.");
  };
  form_.AddCheckBox(kCustomer, "Customer ESN", customer);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    accepted_ = Entry{HexText(*f.HexValue(kEsn)), HexText(*f.HexValue(kCustomerNumber)), f.Text(kPrefix),
                      f.Checked(kCustomer)};
  });
}

WrapAroundForm::WrapAroundForm() : form_("Wrap Around") {
  AddHex(form_, kValue, "Value (HEX):", 8);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) { accepted_ = HexText(*f.HexValue(kValue)); });
}

ConfigurationForm::ConfigurationForm() : form_("Configuration") {
  form_.AddRadioGroup(kTarget, "", {"Option groups (Msg 90)", "Option bits (Msg 64)"}, 0);
  FormField& b = AddHex(form_, kBits, "Option bits (HEX):", 8, "0");
  b.hasRange = true;
  b.hexMax = 0xFFFFFFFFu;
  form_.AddCheckBox(kSplit, "Send each group with its own key");
  form_.AddOkCancel();
  form_.SetRules([](Form& f) {
    const bool groups = f.Selected(kTarget) == 0;
    f.SetEnabled(kSplit, groups);
    f.field(kBits)->hexMax = groups ? 0xFFFFFFFFu : 0xFFFFu;
  });
  form_.OnOk([this](Form& f) {
    const bool groups = f.Selected(kTarget) == 0;
    accepted_ = Bits{groups, static_cast<uint32_t>(*f.HexValue(kBits)), groups && f.Checked(kSplit)};
  });
}

SetConfigurationForm::SetConfigurationForm() : form_("Set Configuration") {
  AddHex(form_, kWord1, "Word 1 (32 bits, HEX):", 8);
  AddHexBytes(form_, kBytes, "Bytes (6, HEX):", 6, 6, "Please enter 6 hexadecimal bytes.", "00 00 00 00 00 00");
  AddHex(form_, kHalfWord, "Half word (16 bits, HEX):", 4);
  AddHex(form_, kWord2, "Word 2 (32 bits, HEX):", 8);
  AddHex(form_, kLastByte, "Byte (HEX):", 2);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    std::array<uint8_t, kSize> out{};
    const auto bytes = *ParseHexBytes(f.Text(kBytes), 6, 6);
    ByteWriter(out)
        .Put(static_cast<uint32_t>(*f.HexValue(kWord1)))
        .PutBytes(bytes.data(), bytes.size())
        .Put(static_cast<uint16_t>(*f.HexValue(kHalfWord)))
        .Put(static_cast<uint32_t>(*f.HexValue(kWord2)))
        .Put(static_cast<uint8_t>(*f.HexValue(kLastByte)));
    accepted_ = out;
  });
}

LogSpecificMessagesForm::LogSpecificMessagesForm() : form_("Enable specific messages logging") {
  Limit(form_.AddEdit(kMessage, "Message Number:", EditKind::Unsigned, "20"), 0, 127);
  Limit(form_.AddEdit(kSubId, "Sub ID:", EditKind::Unsigned, "0"), 0, 255);
  Limit(form_.AddEdit(kValue, "Value:", EditKind::Unsigned, "0"), 0, 4294967295.0);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    accepted_ = Selection{static_cast<uint8_t>(*f.IntValue(kMessage)), static_cast<uint8_t>(*f.IntValue(kSubId)),
                          static_cast<uint32_t>(*f.IntValue(kValue))};
  });
}

FpuMemoryDumpForm::FpuMemoryDumpForm() : form_("FPU Memory Dump (114-4)") {
  AddHex(form_, kStart, "Start (HEX):", 2);
  Limit(form_.AddEdit(kCount, "Number of bytes:", EditKind::Unsigned, "16"), 1, 255);
  form_.AddRadioGroup(kMode, "", {"One Shot", "Continuous"}, 0);
  form_.AddOkCancel();
  // The builder reads the texts leniently; it is handed the values as canonical texts.
  form_.OnOk([this](Form& f) {
    accepted_ = Request{HexText(*f.HexValue(kStart)), Format("%lld", static_cast<long long>(*f.IntValue(kCount))),
                        f.Selected(kMode) == 1};
  });
}

LedBuzzerForm::LedBuzzerForm() : form_("LED / Buzzer") {
  AddHex(form_, kSetting, "Setting (HEX):", 2);
  AddHexBytes(form_, kPattern, "Pattern bytes (HEX):", 0, kMaxBytes, "Please enter up to 64 hexadecimal bytes.");
  form_.AddCheckBox(kLast, "Last block", true);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    accepted_ = Config{static_cast<uint8_t>(*f.HexValue(kSetting)), *ParseHexBytes(f.Text(kPattern), 0, kMaxBytes),
                       f.Checked(kLast)};
  });
}

AdConfigForm::AdConfigForm() : form_("A/D Config") {
  AddHexBytes(form_, kChannels, "Channels (3 bytes, HEX):", 3, 3, "Please enter 3 hexadecimal bytes.", "00 00 00");
  Limit(form_.AddEdit(kPeriod, "Output period (0: once):", EditKind::Unsigned, "0"), 0, 65535);
  AddHex(form_, kWord, "Word (32 bits, HEX):", 8);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    std::array<uint8_t, kSize> out{};
    const auto channels = *ParseHexBytes(f.Text(kChannels), 3, 3);
    ByteWriter(out)
        .PutBytes(channels.data(), channels.size())
        .Put(static_cast<uint16_t>(*f.IntValue(kPeriod)))
        .Put(static_cast<uint32_t>(*f.HexValue(kWord)));
    accepted_ = out;
  });
}

AdCommandForm::AdCommandForm() : form_("A/D Command") {
  AddHexBytes(form_, kBytes, "Command bytes (HEX):", 1, kMaxBytes, "Please enter 1 to 64 hexadecimal bytes.");
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) { accepted_ = *ParseHexBytes(f.Text(kBytes), 1, kMaxBytes); });
}

}  // namespace orv
