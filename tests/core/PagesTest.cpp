// The pages of the status and differential windows on a recording canvas: the fields they
// show, counters, hexadecimal rows, blanked rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "protocol/FrameEncoder.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "util/ByteIo.h"
#include "windows/DgpsWindows.h"
#include "windows/PageText.h"
#include "windows/StatusWindows.h"

namespace orv {
namespace {

using test::RecordingCanvas;
using test::RecordingPageView;

std::string At(int x, int y, const std::string& text) {
  return "text " + std::to_string(x) + " " + std::to_string(y) + " " + text;
}
// The last text drawn at (x, y), trailing blanks removed; "" when none.
std::string TextAt(const RecordingCanvas& c, int x, int y) {
  const std::string prefix = At(x, y, "");
  std::string found;
  for (const std::string& t : c.Texts()) {
    if (t.rfind(prefix, 0) == 0) found = t.substr(prefix.size());
  }
  while (!found.empty() && found.back() == ' ') found.pop_back();
  return found;
}

template <typename R>
R Make(const std::vector<uint8_t>& bytes) {
  R r;
  r.Assign(bytes);
  return r;
}

TEST(ReceiverStatusPageTest, NamedFieldsDeselectionInRedAndTheRestInHexadecimal) {
  CReceiverStatusWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<uint8_t> p(40);
  ByteWriter w(p);
  w.Put<uint8_t>(0x80 | 0x40 | 6).Put<uint8_t>(0x01 | 0x08 | 0x40).Put<uint16_t>(2395).Put<uint16_t>(2396);
  w.Put<uint32_t>(0x80000005u).Put<uint16_t>(0x0802);
  w.PutBytes("\x11\x22\x33\x44\x55\x66\x77", 7);
  w.Put<uint16_t>(1250).Put<uint8_t>(0x5A).Put<int16_t>(-12).Put<uint8_t>(25).Put(41.5f).Put<uint8_t>(7);
  const auto r = Make<ReceiverStatusRecord>(p);
  page.ShowRecord(r);
  view.Repaint();
  const RecordingCanvas& c = view.screen;
  EXPECT_EQ(TextAt(c, 135, 15), "Unknow Mode");
  EXPECT_EQ(TextAt(c, 135, 30), "Invalid Mode 7");
  EXPECT_EQ(TextAt(c, 135, 45), "Sky Search");
  EXPECT_EQ(TextAt(c, 135, 75), "Enabled");
  EXPECT_EQ(TextAt(c, 135, 165), "12.50 deg");
  EXPECT_EQ(TextAt(c, 135, 180), "0x5a");
  EXPECT_EQ(TextAt(c, 135, 210), "2.5");
  EXPECT_EQ(TextAt(c, 135, 225), "41.500");
  EXPECT_EQ(TextAt(c, 135, 330), "1122 3344 5566 77");
  // SVs 1, 3 and 32 and channels 2 and 12 in red; the colour goes back after each number.
  const auto& calls = c.calls;
  auto colourBefore = [&](const std::string& text) {
    auto it = std::find(calls.rbegin(), calls.rend(), text);
    EXPECT_NE(it, calls.rend()) << text;
    it = std::find_if(it, calls.rend(), [](const std::string& s) { return s.rfind("textcolour ", 0) == 0; });
    return it == calls.rend() ? std::string() : *it;
  };
  const std::string red = "textcolour " + std::to_string(Rgb(255, 0, 0));
  const std::string black = "textcolour " + std::to_string(Rgb(0, 0, 0));
  EXPECT_EQ(colourBefore(At(16, 260, " 1")), red);
  EXPECT_EQ(colourBefore(At(16 + 19, 260, " 2")), black);
  EXPECT_EQ(colourBefore(At(16 + 2 * 19, 260, " 3")), red);
  EXPECT_EQ(colourBefore(At(16 + 15 * 19, 275, "32")), red);
  EXPECT_EQ(colourBefore(At(16 + 19, 310, " 2")), red);
  EXPECT_EQ(colourBefore(At(16 + 11 * 19, 310, "12")), red);
  EXPECT_EQ(colourBefore(At(16 + 10 * 19, 310, "11")), black);
  EXPECT_EQ(calls.back(), black);
}

TEST(CountingPagesTest, CountersGrowPerMessageAndClearCountersKeepsTheRecord) {
  CDGPSStatWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<uint8_t> p(24);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i);
  const auto r = Make<DgpsStatusRecord>(p);
  page.ShowRecord(r);
  page.ShowRecord(r);
  EXPECT_EQ(TextAt(view.screen, 145, 15), "2");
  EXPECT_EQ(TextAt(view.screen, 50, 50), "0001 0203 0405 0607");
  EXPECT_EQ(TextAt(view.screen, 50, 80), "1011 1213 1415 1617");

  ASSERT_TRUE(page.OnCommand(32966));
  EXPECT_TRUE(page.hasRecord());
  EXPECT_EQ(view.events.back(), "invalidate");
  EXPECT_EQ(TextAt(view.screen, 145, 15), "0");
  EXPECT_TRUE(view.screen.Has(At(16, 15, "Messages received:")));
  page.ShowRecord(r);
  EXPECT_EQ(TextAt(view.screen, 145, 15), "1");

  CWAASStatusWnd waas(PageContext{});
  RecordingPageView waasView(waas);
  const auto wr = Make<WaasStatusRecord>({0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3});
  waas.ShowRecord(wr);
  EXPECT_EQ(TextAt(waasView.screen, 50, 50), "DEAD BEEF 0102 03");
  EXPECT_EQ(waas.PopupItems().back().text, "Clear Counters");
}

TEST(DgpsDataPageTest, AShorterAccumulationBlanksTheRowsOfALongerOne) {
  CDGPSDataWnd page(PageContext{});
  RecordingPageView view(page);
  DgpsDataRecord data;
  std::vector<uint8_t> payload(1 + 40, 0xAB);
  payload[0] = 0;
  data.Append(payload);
  page.ShowRecord(data);
  EXPECT_EQ(TextAt(view.screen, 100, 15), "40 bytes");
  EXPECT_EQ(TextAt(view.screen, 55, 35 + 2 * 15), "ABAB ABAB ABAB ABAB");
  EXPECT_EQ(TextAt(view.screen, 16, 35 + 2 * 15), "20:");  // rows with data carry their offset
  data.Append(std::vector<uint8_t>{DgpsDataRecord::kClearFlag, 1, 2});
  page.ShowRecord(data);
  EXPECT_EQ(TextAt(view.screen, 100, 15), "2 bytes");
  EXPECT_EQ(TextAt(view.screen, 55, 35), "0102");
  EXPECT_EQ(TextAt(view.screen, 55, 35 + 2 * 15), "");
  EXPECT_EQ(TextAt(view.screen, 16, 35 + 2 * 15), "");
  // The blank row is as wide as a full one.
  EXPECT_TRUE(view.screen.Has(At(55, 35 + 15, std::string(42, ' '))));
}

TEST(SystemProfilePageTest, EntriesInColumnsAndAShorterProfileBlanksTheRest) {
  CSystemProfileWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<uint8_t> p(4 * 25, 0);
  for (int i = 0; i < 25; ++i) WriteLe<uint32_t>(p, 4 * static_cast<std::size_t>(i), 0x00010000u + i);
  SystemProfileRecord r;
  r.Assign(p);
  page.ShowRecord(r);
  EXPECT_EQ(TextAt(view.screen, 96, 15), "25");
  EXPECT_EQ(TextAt(view.screen, 16, 35), " 1: 00010000");
  EXPECT_EQ(TextAt(view.screen, 96, 35 + 3 * 13), "25: 00010018");
  r.Assign(std::vector<uint8_t>(4, 0xFF));
  page.ShowRecord(r);
  EXPECT_EQ(TextAt(view.screen, 16, 35), " 1: FFFFFFFF");
  EXPECT_EQ(TextAt(view.screen, 96, 35 + 3 * 13), "");
}

TEST(FaultLogPageTest, NoBitmapAndTheRecordInHexadecimal) {
  CFaultLogWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<uint8_t> p(80, 0);
  p[79] = 0x5C;
  const auto r = Make<FaultLogRecord>(p);
  page.ShowRecord(r);
  view.Repaint();
  EXPECT_FALSE(view.screen.Has("bitmap 1 1"));
  EXPECT_TRUE(view.screen.Has(At(8, 25 + 9 * 15, "48:")));
  EXPECT_EQ(TextAt(view.screen, 40, 25 + 9 * 15), "0000 0000 0000 005C");
  EXPECT_TRUE(page.PopupItems().empty());
}

}  // namespace
}  // namespace orv
