// The small command dialogs of the Xmit Msg and Tool Setting menus: "Request I/O Message",
// "Clear NVM", "Power Control" and "Load memory". Each holds its form and, after OK, what the
// frame is to send; none sends by itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "forms/Form.h"
#include "protocol/Frame.h"

namespace orv {

// "Request I/O Message": a message number (0 to 127) and the mode.
class RequestIoForm {
 public:
  static constexpr int kNumber = 1401;
  static constexpr int kMode = 1402;  // "One Shot", "Continuous"

  RequestIoForm();
  Form& form() { return form_; }
  struct Request {
    int number = 0;
    RequestMode mode = kContinuous;
  };
  const std::optional<Request>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<Request> accepted_;
};

// What a request of `number` does to the receiver beyond asking it for data (a restart, an
// InitLink, an NVM clear, the fault log's erase, a protocol switch); empty for plain requests.
std::string RequestSideEffect(int number);
// The confirmation asked before such a request: its text and OK / Cancel.
inline constexpr int kConfirmText = 1409;
Form MakeConfirmForm(const std::string& caption, const std::string& text);

// "Clear NVM": the element (0 to 15), checked as it is typed.
class ClearNvmForm {
 public:
  static constexpr int kElement = 1411;
  static constexpr const char* kRangeMessage = "Error! The value should be between (0 to 15).";

  ClearNvmForm();
  Form& form() { return form_; }
  const std::optional<int>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<int> accepted_;
};

// "Power Control": "Power off" (P_OFF) or "Restore Config" (R_CFG).
class PowerControlForm {
 public:
  static constexpr int kCommand = 1421;

  PowerControlForm();
  Form& form() { return form_; }
  const std::optional<std::string>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<std::string> accepted_;
};

// "Load memory" under the caption of its menu item: a hexadecimal address and a value read as
// hexadecimal or decimal, at most 0xFF for a byte and 0xFFFFFFFF for a word.
class LoadMemoryForm {
 public:
  static constexpr int kAddress = 1431;
  static constexpr int kValue = 1432;
  static constexpr int kRadix = 1433;  // "Hex", "Dec"

  LoadMemoryForm(std::string caption, bool word);
  Form& form() { return form_; }
  struct Load {
    std::string hexAddress;  // the address text as typed, checked as hexadecimal
    uint32_t value = 0;
  };
  const std::optional<Load>& accepted() const { return accepted_; }

 private:
  std::optional<uint32_t> Value() const;

  bool word_;
  Form form_;
  std::optional<Load> accepted_;
};

}  // namespace orv
