// The memory dump window: the last 16-, 32- and 64-byte blocks of receiver memory (messages 60,
// 61 and 62) side by side in hexadecimal or decimal, the dump requests that ask for them and
// the loads (messages 120 and 122) that write a byte or a word.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "forms/Form.h"
#include "windows/Page.h"

namespace orv {

// "Memory Dump": One Shot or Continuous and the address, 1 to 8 hexadecimal digits.
class MemoryDumpForm {
 public:
  static constexpr int kMode = 2301;     // "One Shot", "Continuous"
  static constexpr int kAddress = 2302;  // "Dump Address (HEX):"

  MemoryDumpForm();
  Form& form() { return form_; }
  struct Request {
    std::string hexAddress;
    bool continuous = false;
  };
  const std::optional<Request>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<Request> accepted_;
};

class CMemoryDumpWnd : public Page, public MemoryDumpWindowLink {
 public:
  // Popup commands (the window's own; no frame command shares them).
  static constexpr int kHexFormat = 34001;
  static constexpr int kDecFormat = 34002;
  static constexpr int kDump16 = 34003;
  static constexpr int kDump32 = 34004;
  static constexpr int kDump64 = 34005;
  static constexpr int kLoadByte = 34006;
  static constexpr int kLoadWord = 34007;

  explicit CMemoryDumpWnd(const PageContext& context);

  void ShowRecord(const MemoryDumpRecord16& record) override;
  void ShowRecord(const MemoryDumpRecord32& record) override;
  void ShowRecord(const MemoryDumpRecord64& record) override;
  bool hasRecord() const override { return block16_ || block32_ || block64_; }
  bool decimal() const { return decimal_; }

  // The text of one value place: "  %02X" or " %03d"; a place the block has not received (no
  // block yet: "  00" / " 000"; beyond a short answer: "  --" / " ---").
  static std::string ValueText(std::optional<uint8_t> value, bool known, bool decimal);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override;
  void OnPageCommand(int command) override;
  bool IsChecked(int command) const override;

 private:
  // What one frame shows: the block's bytes (those received) and its start address.
  struct Block {
    uint32_t address = 0;
    std::span<const uint8_t> data;
    std::size_t received = 0;
  };
  template <typename Record>
  static Block BlockOf(const Record& record);
  void DrawBlock(Canvas& canvas, const std::optional<Block>& block, std::size_t size, std::span<const int> rows);
  void RunDump(int size);
  void RunLoad(bool word);

  std::optional<Block> block16_, block32_, block64_;
  bool decimal_ = false;
};

}  // namespace orv
