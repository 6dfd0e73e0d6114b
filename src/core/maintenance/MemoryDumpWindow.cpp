// The memory dump window's frames, formats, dump requests and loads.
#include "maintenance/MemoryDumpWindow.h"

#include <array>

#include "commands/RequestForms.h"
#include "ids/CommandIds.h"
#include "protocol/FrameEncoder.h"
#include "util/Format.h"

namespace orv {

namespace {

constexpr PopupEntry kPopup[] = {
    ChoiceItem(CMemoryDumpWnd::kHexFormat, "Hex Data Format", 1),
    ChoiceItem(CMemoryDumpWnd::kDecFormat, "Dec Data Format", 1),
    PageItem(CMemoryDumpWnd::kDump16, "16 Bytes Block Memory Dump"),
    PageItem(CMemoryDumpWnd::kDump32, "32 Bytes Block Memory Dump"),
    PageItem(CMemoryDumpWnd::kDump64, "64 Bytes Block Memory Dump"),
    PageItem(CMemoryDumpWnd::kLoadByte, "Load Byte"),
    PageItem(CMemoryDumpWnd::kLoadWord, "Load Word"),
    {pagecmd::kClearData, "Clear All Data", PopupAction::ClearData},
};

constexpr PageSpec kSpec{cmd::kWndMemoryDump, nullptr, {kFaceSansSerif, 8, 400}, true, kPopup, {}, 575, 275};

const FontSpec kValueFont{kFaceSansSerif, 8, 400};
const FontSpec kAddressFont{kFaceSansSerif, 10, 400};

// The three frames and their rows (text baselines).
constexpr int kFrameLeft = 75, kFrameRight = 555;
constexpr int kFrameTop[] = {50, 110, 190};
constexpr int kFrameBottom[] = {70, 145, 255};
constexpr int kRows16[] = {65};
constexpr int kRows32[] = {125, 140};
constexpr int kRows64[] = {205, 220, 235, 250};
constexpr int kAddressX = 71;
constexpr int kValueX = 77;
constexpr int kValueStep = 30;
constexpr std::size_t kPerRow = 16;

}  // namespace

// ---------------------------------------------------------------------------------------------
// "Memory Dump"

MemoryDumpForm::MemoryDumpForm() : form_("Memory Dump") {
  form_.AddRadioGroup(kMode, "", {"One Shot", "Continuous"}, 0);
  FormField& address = form_.AddEdit(kAddress, "Dump Address (HEX):", EditKind::Hex, "0");
  address.maxChars = 8;
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    const std::string& text = f.Text(kAddress);
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    accepted_ = Request{text.substr(first, last - first + 1), f.Selected(kMode) == 1};
  });
}

// ---------------------------------------------------------------------------------------------
// The window

CMemoryDumpWnd::CMemoryDumpWnd(const PageContext& context) : Page(kSpec, context) {}

template <typename Record>
CMemoryDumpWnd::Block CMemoryDumpWnd::BlockOf(const Record& record) {
  return Block{record.addressReceived() ? record.address() : 0u, record.data(), record.dataReceived()};
}

void CMemoryDumpWnd::ShowRecord(const MemoryDumpRecord16& record) {
  block16_ = BlockOf(record);
  NotifyValues();
}
void CMemoryDumpWnd::ShowRecord(const MemoryDumpRecord32& record) {
  block32_ = BlockOf(record);
  NotifyValues();
}
void CMemoryDumpWnd::ShowRecord(const MemoryDumpRecord64& record) {
  block64_ = BlockOf(record);
  NotifyValues();
}

void CMemoryDumpWnd::ClearRecord() {
  block16_.reset();
  block32_.reset();
  block64_.reset();
}

std::string CMemoryDumpWnd::ValueText(std::optional<uint8_t> value, bool known, bool decimal) {
  if (!known) return decimal ? " ---" : "  --";
  const unsigned v = value.value_or(0);
  return decimal ? Format(" %03d", v) : Format("  %02X", v);
}

void CMemoryDumpWnd::DrawBlock(Canvas& canvas, const std::optional<Block>& block, std::size_t size,
                               std::span<const int> rows) {
  const uint32_t start = block ? block->address : 0;
  canvas.SetTextAlign(TextAlign::Right, TextVAlign::Bottom);
  canvas.SetFont(kAddressFont);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    canvas.TextOut(kAddressX, rows[r], Format("%08X:", static_cast<unsigned>(start + 16 * r)));
  }
  canvas.SetTextAlign(TextAlign::Left, TextVAlign::Bottom);
  canvas.SetFont(kValueFont);
  for (std::size_t i = 0; i < size; ++i) {
    const int x = kValueX + kValueStep * static_cast<int>(i % kPerRow);
    const int y = rows[i / kPerRow];
    const bool known = !block || i < block->received;
    const std::optional<uint8_t> value = block && known ? std::optional<uint8_t>(block->data[i]) : std::nullopt;
    canvas.TextOut(x, y, ValueText(value, known, decimal_));
  }
  canvas.SetTextAlign(TextAlign::Left, TextVAlign::Top);
  canvas.SetFont(font());
}

void CMemoryDumpWnd::DrawLabels(Canvas& canvas) {
  canvas.SetNoBrush();
  canvas.SetPen(PenStyle::Solid, 1, canvas.WindowTextColour());
  for (int f = 0; f < 3; ++f) canvas.Rectangle(kFrameLeft, kFrameTop[f], kFrameRight, kFrameBottom[f]);
  // Until a block arrives its frame shows zeros under address 0.
  if (!hasRecord()) DrawValues(canvas);
}

void CMemoryDumpWnd::DrawValues(Canvas& canvas) {
  DrawBlock(canvas, block16_, 16, kRows16);
  DrawBlock(canvas, block32_, 32, kRows32);
  DrawBlock(canvas, block64_, 64, kRows64);
}

bool CMemoryDumpWnd::IsChecked(int command) const {
  if (command == kHexFormat) return !decimal_;
  if (command == kDecFormat) return decimal_;
  return false;
}

void CMemoryDumpWnd::OnPageCommand(int command) {
  switch (command) {
    case kHexFormat:
    case kDecFormat:
      decimal_ = command == kDecFormat;
      InvalidateAll();
      return;
    case kDump16: RunDump(16); return;
    case kDump32: RunDump(32); return;
    case kDump64: RunDump(64); return;
    case kLoadByte: RunLoad(false); return;
    case kLoadWord: RunLoad(true); return;
    default: return;
  }
}

void CMemoryDumpWnd::RunDump(int size) {
  MemoryDumpForm dialog;
  if (!RunForm(dialog.form()) || !dialog.accepted() || encoder() == nullptr) return;
  encoder()->SendMemoryDumpRequest(size, dialog.accepted()->continuous, dialog.accepted()->hexAddress);
}

// After a load the 16 bytes from its address are asked for once, so the window shows what the
// memory holds now.
void CMemoryDumpWnd::RunLoad(bool word) {
  LoadMemoryForm dialog("Load memory", word);
  if (!RunForm(dialog.form()) || !dialog.accepted() || encoder() == nullptr) return;
  const LoadMemoryForm::Load& load = *dialog.accepted();
  if (word) {
    encoder()->SendLoadWord(load.hexAddress, load.value);
  } else {
    encoder()->SendLoadByte(load.hexAddress, static_cast<uint8_t>(load.value));
  }
  encoder()->SendMemoryDumpRequest(16, false, load.hexAddress);
}

}  // namespace orv
