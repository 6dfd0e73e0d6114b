// The receiver service dialogs that no menu shows: the ESN (92), wrap around (44), the
// configuration option bits (90 and 64), "Set Configuration" (70/4), specific messages logging
// (70/10), the FPU memory dump request (114/4), the LED / buzzer (114/2) and the A/D (114/1 and
// 114/5). Their fields carry no meaning the console knows beyond their place in the payload,
// so each field is typed as the payload holds it: hexadecimal where the receiver takes a word
// or a block of bytes, decimal where it takes a count or a message number. Every edit is read
// whole or refused; none sends by itself.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forms/Form.h"

namespace orv {

// Pairs of hexadecimal digits, blanks and tabs between the pairs allowed; nullopt unless every
// character belongs to a pair and there are minCount to maxCount bytes.
std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string& text, std::size_t minCount, std::size_t maxCount);

// "ESN Entry" and "Set Customer ESN" (message 92): the ESN and the customer serial number,
// each a 32-bit hexadecimal word, the customer's three-character prefix, and the customer flag,
// checked at first for "Set Customer ESN".
class EsnForm {
 public:
  static constexpr int kEsn = 1901;
  static constexpr int kCustomerNumber = 1902;
  static constexpr int kPrefix = 1903;
  static constexpr int kCustomer = 1904;

  struct Entry {
    std::string esnHex, customerHex, prefix;  // the words as upper-case hexadecimal text
    bool customer = false;
  };
  EsnForm(std::string caption, bool customer);
  Form& form() { return form_; }
  const std::optional<Entry>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<Entry> accepted_;
};

// "Wrap Around" (message 44): one 32-bit hexadecimal word.
class WrapAroundForm {
 public:
  static constexpr int kValue = 1911;

  WrapAroundForm();
  Form& form() { return form_; }
  const std::optional<std::string>& accepted() const { return accepted_; }  // upper-case hexadecimal

 private:
  Form form_;
  std::optional<std::string> accepted_;
};

// "Configuration": the receiver's option bits, either the 32 bits of message 90 (sent once
// with the general key, or once per group with each group's own key) or the 16 bits of
// message 64. The bits go out little-endian, bit 0 first.
class ConfigurationForm {
 public:
  static constexpr int kTarget = 1921;  // "Option groups (Msg 90)", "Option bits (Msg 64)"
  static constexpr int kBits = 1922;
  static constexpr int kSplit = 1923;

  struct Bits {
    bool groups = true;  // message 90, else 64
    uint32_t bits = 0;
    bool split = false;
  };
  ConfigurationForm();
  Form& form() { return form_; }
  const std::optional<Bits>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<Bits> accepted_;
};

// "Set Configuration" (message 70 sub-ID 4): its 17 bytes as the payload holds them, a 32-bit
// word, six bytes, a 16-bit word, a 32-bit word and a byte, all hexadecimal, little-endian on
// the wire.
class SetConfigurationForm {
 public:
  static constexpr int kWord1 = 1931;
  static constexpr int kBytes = 1932;
  static constexpr int kHalfWord = 1933;
  static constexpr int kWord2 = 1934;
  static constexpr int kLastByte = 1935;
  static constexpr std::size_t kSize = 17;

  SetConfigurationForm();
  Form& form() { return form_; }
  const std::optional<std::array<uint8_t, kSize>>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<std::array<uint8_t, kSize>> accepted_;
};

// "Enable specific messages logging" (message 70 sub-ID 10, behind the general key): the
// message number (0 to 127) and sub-ID (0 to 255) to log, and a 32-bit value.
class LogSpecificMessagesForm {
 public:
  static constexpr int kMessage = 1941;
  static constexpr int kSubId = 1942;
  static constexpr int kValue = 1943;

  struct Selection {
    uint8_t message = 0, subId = 0;
    uint32_t value = 0;
  };
  LogSpecificMessagesForm();
  Form& form() { return form_; }
  const std::optional<Selection>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<Selection> accepted_;
};

// "FPU Memory Dump (114-4)": the first location (a hexadecimal byte), how many bytes (1 to 255)
// and the mode, One Shot at first.
class FpuMemoryDumpForm {
 public:
  static constexpr int kStart = 1951;
  static constexpr int kCount = 1952;
  static constexpr int kMode = 1953;  // "One Shot", "Continuous"

  struct Request {
    std::string startHex, countText;  // canonical texts: upper-case hexadecimal, decimal
    bool continuous = false;
  };
  FpuMemoryDumpForm();
  Form& form() { return form_; }
  const std::optional<Request>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<Request> accepted_;
};

// "LED / Buzzer" (message 114 sub-ID 2): a setting byte, up to kMaxBytes pattern bytes and
// the "Last block" mark (the leading byte 1).
class LedBuzzerForm {
 public:
  static constexpr int kSetting = 1961;
  static constexpr int kPattern = 1962;
  static constexpr int kLast = 1963;
  static constexpr std::size_t kMaxBytes = 64;

  struct Config {
    uint8_t setting = 0;
    std::vector<uint8_t> pattern;
    bool last = true;
  };
  LedBuzzerForm();
  Form& form() { return form_; }
  const std::optional<Config>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<Config> accepted_;
};

// "A/D Config" (message 114 sub-ID 1): three channel bytes, a 16-bit output period (0: once;
// any other value makes it continuous A/D data, ID 114 + 128) and a 32-bit word; the 9-byte
// record goes to SendSubIdCommand as it packs it.
class AdConfigForm {
 public:
  static constexpr int kChannels = 1971;
  static constexpr int kPeriod = 1972;
  static constexpr int kWord = 1973;
  static constexpr std::size_t kSize = 9;

  AdConfigForm();
  Form& form() { return form_; }
  const std::optional<std::array<uint8_t, kSize>>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<std::array<uint8_t, kSize>> accepted_;
};

// "A/D Command" (message 114 sub-ID 5): 1 to kMaxBytes command bytes.
class AdCommandForm {
 public:
  static constexpr int kBytes = 1981;
  static constexpr std::size_t kMaxBytes = 64;

  AdCommandForm();
  Form& form() { return form_; }
  const std::optional<std::vector<uint8_t>>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<std::vector<uint8_t>> accepted_;
};

}  // namespace orv
