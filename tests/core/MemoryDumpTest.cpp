// The memory dump window: the three frames in hexadecimal and decimal, short answers, the
// popup's check marks, the dump requests (One Shot and Continuous) and the loads with the dump
// that follows them.
#include <gtest/gtest.h>

#include "commands/RequestForms.h"
#include "maintenance/MemoryDumpWindow.h"
#include "protocol/FrameEncoder.h"
#include "support/FakeDesktop.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "util/Format.h"

namespace orv {
namespace {

using W = CMemoryDumpWnd;

std::string At(int x, int y, const std::string& text) {
  return "text " + std::to_string(x) + " " + std::to_string(y) + " " + text;
}

template <typename Record>
Record Block(uint32_t address, std::size_t carried, uint8_t first = 0) {
  std::vector<uint8_t> p(4 + carried);
  p[0] = static_cast<uint8_t>(address);
  p[1] = static_cast<uint8_t>(address >> 8);
  p[2] = static_cast<uint8_t>(address >> 16);
  p[3] = static_cast<uint8_t>(address >> 24);
  for (std::size_t i = 0; i < carried; ++i) p[4 + i] = static_cast<uint8_t>(first + i);
  Record r;
  r.Assign(p);
  return r;
}

class MemoryDumpTest : public ::testing::Test {
 protected:
  MemoryDumpTest() : page(context()), view(page) { page.OnCreate("Memory Dump Window - Msg 60, 61 and 62"); }
  PageContext context() {
    PageContext c;
    c.encoder = &encoder;
    c.forms = &desk;
    return c;
  }
  test::RecordingChannel port;
  FrameEncoder encoder{&port};
  test::FakeDesktop desk;
  W page;
  test::RecordingPageView view;
};

TEST_F(MemoryDumpTest, TheFourthRowOfThe64ByteBlockShowsBytes48To63InBothFormats) {
  const MemoryDumpRecord64 r = Block<MemoryDumpRecord64>(0x00001000, 64, 0xC0);
  page.ShowRecord(r);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has(At(71, 250, "00001030:")));
  EXPECT_TRUE(view.screen.Has(At(71, 205, "00001000:")));
  for (int k = 0; k < 16; ++k) {
    EXPECT_TRUE(view.screen.Has(At(77 + 30 * k, 250, Format("  %02X", 0xC0 + 48 + k)))) << k;
  }
  ASSERT_TRUE(page.OnCommand(W::kDecFormat));
  EXPECT_TRUE(page.decimal());
  EXPECT_EQ(view.events.back(), "invalidate");
  for (int k = 0; k < 16; ++k) {
    EXPECT_TRUE(view.screen.Has(At(77 + 30 * k, 250, Format(" %03d", 0xC0 + 48 + k)))) << k;
  }
  EXPECT_TRUE(view.screen.Has(At(71, 250, "00001030:")));
  EXPECT_TRUE(port.sent.empty());  // redrawn from what the window holds
  // The others, not received, show zeros under address 0.
  EXPECT_TRUE(view.screen.Has(At(71, 65, "00000000:")));
  EXPECT_TRUE(view.screen.Has(At(77, 65, " 000")));
  EXPECT_TRUE(view.screen.Has(At(71, 140, "00000010:")));
}

TEST_F(MemoryDumpTest, AnEmptyWindowShowsItsFramesAndZeros) {
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("rect 75 50 555 70"));
  EXPECT_TRUE(view.screen.Has("rect 75 110 555 145"));
  EXPECT_TRUE(view.screen.Has("rect 75 190 555 255"));
  EXPECT_TRUE(view.screen.Has(At(527, 250, "  00")));
  EXPECT_TRUE(view.screen.Has("align right bottom"));
}

TEST_F(MemoryDumpTest, AShortAnswerIsNotShownAsZeros) {
  // The window reads the record where it lives, as it does the data store's.
  const MemoryDumpRecord16 shortAnswer = Block<MemoryDumpRecord16>(0x20000000, 10, 1);
  page.ShowRecord(shortAnswer);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has(At(77 + 30 * 9, 65, "  0A")));
  for (int k = 10; k < 16; ++k) EXPECT_TRUE(view.screen.Has(At(77 + 30 * k, 65, "  --"))) << k;
  // A longer answer afterwards fills them.
  const MemoryDumpRecord16 whole = Block<MemoryDumpRecord16>(0x20000000, 16, 1);
  page.ShowRecord(whole);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has(At(77 + 30 * 15, 65, "  10")));
}

TEST_F(MemoryDumpTest, ThePopupInOrderWithTheFormatChecked) {
  std::vector<PopupItem> items = page.PopupItems();
  ASSERT_EQ(items.size(), 8u);
  const char* texts[] = {"Hex Data Format",  "Dec Data Format", "16 Bytes Block Memory Dump",
                         "32 Bytes Block Memory Dump", "64 Bytes Block Memory Dump", "Load Byte",
                         "Load Word", "Clear All Data"};
  for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].text, texts[i]);
  EXPECT_TRUE(items[0].checked);
  EXPECT_FALSE(items[1].checked);
  page.OnCommand(W::kDecFormat);
  items = page.PopupItems();
  EXPECT_FALSE(items[0].checked);
  EXPECT_TRUE(items[1].checked);
  const MemoryDumpRecord32 r = Block<MemoryDumpRecord32>(0x40, 32);
  page.ShowRecord(r);
  ASSERT_TRUE(page.OnCommand(pagecmd::kClearData));
  EXPECT_FALSE(page.hasRecord());
}

TEST_F(MemoryDumpTest, DumpRequestsCarryTheAddressAndTheContinuousFlag) {
  bool continuous = true;
  std::string address = "1000";
  desk.formDriver = [&](Form& f) {
    EXPECT_EQ(f.caption(), "Memory Dump");
    f.Select(MemoryDumpForm::kMode, continuous ? 1 : 0);
    f.SetText(MemoryDumpForm::kAddress, address);
    return f.Press(kFormOk) == FormAction::Ok;
  };
  page.OnCommand(W::kDump16);
  page.OnCommand(W::kDump32);
  page.OnCommand(W::kDump64);
  continuous = false;
  address = "2000ABCD";
  page.OnCommand(W::kDump64);
  ASSERT_EQ(port.sent.size(), 4u);
  EXPECT_EQ(port.sent[0][1], 0xBC);
  EXPECT_EQ(port.sent[1][1], 0xBD);
  EXPECT_EQ(port.sent[2][1], 0xBE);
  EXPECT_EQ(port.sent[3][1], 62);
  EXPECT_EQ(std::vector<uint8_t>(port.sent[0].begin() + 4, port.sent[0].begin() + 8),
            (std::vector<uint8_t>{0x00, 0x10, 0x00, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(port.sent[3].begin() + 4, port.sent[3].begin() + 8),
            (std::vector<uint8_t>{0xCD, 0xAB, 0x00, 0x20}));
}

TEST_F(MemoryDumpTest, AddressesAreOneToEightHexadecimalDigits) {
  test::FakeDesktop boxes;
  MemoryDumpForm dump;
  dump.form().SetText(MemoryDumpForm::kAddress, "");
  EXPECT_EQ(dump.form().Press(kFormOk, &boxes), FormAction::None);
  dump.form().SetText(MemoryDumpForm::kAddress, "12G");
  EXPECT_EQ(dump.form().Press(kFormOk, &boxes), FormAction::None);
  dump.form().SetText(MemoryDumpForm::kAddress, "123456789");
  EXPECT_EQ(dump.form().Text(MemoryDumpForm::kAddress), "12345678");
  LoadMemoryForm load("Load memory", false);
  load.form().SetText(LoadMemoryForm::kAddress, "");
  EXPECT_EQ(load.form().Press(kFormOk, &boxes), FormAction::None);
  EXPECT_FALSE(load.accepted().has_value());
}

TEST_F(MemoryDumpTest, LoadByteRefusesValuesAboveFF) {
  test::FakeDesktop boxes;
  LoadMemoryForm load("Load memory", false);
  load.form().SetText(LoadMemoryForm::kAddress, "20000010");
  load.form().SetText(LoadMemoryForm::kValue, "100");
  EXPECT_EQ(load.form().Press(kFormOk, &boxes), FormAction::None);
  load.form().Select(LoadMemoryForm::kRadix, 1);
  load.form().SetText(LoadMemoryForm::kValue, "256");
  EXPECT_EQ(load.form().Press(kFormOk, &boxes), FormAction::None);
  load.form().SetText(LoadMemoryForm::kValue, "255");
  EXPECT_EQ(load.form().Press(kFormOk, &boxes), FormAction::Ok);
}

TEST_F(MemoryDumpTest, ALoadIsFollowedByADumpOfItsAddress) {
  desk.formDriver = [](Form& f) {
    EXPECT_EQ(f.caption(), "Load memory");
    f.SetText(LoadMemoryForm::kAddress, "20000100");
    f.SetText(LoadMemoryForm::kValue, "12345678");
    return f.Press(kFormOk) == FormAction::Ok;
  };
  page.OnCommand(W::kLoadWord);
  ASSERT_EQ(port.sent.size(), 2u);
  const std::vector<uint8_t>& load = port.sent[0];
  ASSERT_EQ(load.size(), 22u);
  EXPECT_EQ(load[1], 122);
  EXPECT_EQ(std::string(load.begin() + 4, load.begin() + 12), "ZKQW-731");
  EXPECT_EQ(std::vector<uint8_t>(load.begin() + 12, load.begin() + 20),
            (std::vector<uint8_t>{0x00, 0x01, 0x00, 0x20, 0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(port.sent[1][1], 60);
  EXPECT_EQ(std::vector<uint8_t>(port.sent[1].begin() + 4, port.sent[1].begin() + 8),
            (std::vector<uint8_t>{0x00, 0x01, 0x00, 0x20}));
  // Cancelled: nothing at all.
  desk.formDriver = [](Form&) { return false; };
  page.OnCommand(W::kLoadByte);
  EXPECT_EQ(port.sent.size(), 2u);
}

}  // namespace
}  // namespace orv
