// The pages of the status, differential, tracking, satellite and solution windows on a
// recording canvas: the fields they show, counters, hexadecimal rows, blanked rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "protocol/FrameEncoder.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "util/ByteIo.h"
#include "windows/DgpsWindows.h"
#include "windows/PageText.h"
#include "windows/SatelliteWindows.h"
#include "windows/SolutionWindows.h"
#include "windows/StatusWindows.h"
#include "windows/TrackingWindows.h"

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

TEST(MeasurementPageTest, ShorterBlockBlanksTheRowsOfALongerOne) {
  CMeasWnd page(PageContext{}, false);
  RecordingPageView view(page);
  auto block = [](int n) {
    std::vector<uint8_t> p(11 + 11 * static_cast<std::size_t>(n), 0);
    p[2] = static_cast<uint8_t>(n);
    WriteLe(p, 3, 302412.5);
    for (int i = 0; i < n; ++i) {
      p[11 + 11 * static_cast<std::size_t>(i)] = static_cast<uint8_t>(0x40 | i);  // only 6 bits count
      p[12 + 11 * static_cast<std::size_t>(i)] = 170;
    }
    return Make<MeasurementBlockRecord>(p);
  };
  const auto eight = block(8);
  page.ShowRecord(eight);
  EXPECT_EQ(TextAt(view.screen, 20, 55 + 13 * 7), "08");
  EXPECT_EQ(TextAt(view.screen, 45, 55 + 13 * 7), "8");
  EXPECT_EQ(TextAt(view.screen, 70, 55 + 13 * 7), "42.50");
  const auto three = block(3);
  page.ShowRecord(three);
  EXPECT_EQ(TextAt(view.screen, 45, 55), "1");
  for (int i = 3; i < 12; ++i) {
    for (int x : {20, 45, 70, 120, 200}) EXPECT_EQ(TextAt(view.screen, x, 55 + 13 * i), "") << i << " " << x;
  }
  EXPECT_TRUE(view.screen.Has(At(120, 55 + 13 * 11, std::string(12, ' '))));
  EXPECT_EQ(TextAt(view.screen, 100, 5), "302412.500000");
}

TEST(SvPositionPageTest, MaskAngleOnlyAfterItsOwnRequest) {
  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  CShowSVsPositionWnd page(PageContext{&encoder, nullptr});
  RecordingPageView view(page);
  std::vector<uint8_t> status(40, 0);
  WriteLe<uint16_t>(status, 19, 1000);
  const auto rs = Make<ReceiverStatusRecord>(status);

  page.ShowMaskAngle(rs);  // not asked for: ignored
  EXPECT_TRUE(view.events.empty());
  page.OnCommand(CShowSVsPositionWnd::kShowMaskAngleCommand);
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0][1], 49);
  EXPECT_TRUE(page.maskRequestPending());
  page.ShowMaskAngle(rs);
  EXPECT_FALSE(page.maskRequestPending());
  EXPECT_EQ(TextAt(view.screen, 110, 215), "10 deg");

  std::vector<uint8_t> sv(61, 0);
  sv[0] = 1;
  sv[1] = 0x60 | 4;  // "Use Nav", SV 5
  sv[2] = 45;
  WriteLe<uint16_t>(sv, 3, static_cast<uint16_t>(34 << 9 | 270));  // WAAS code 34: PRN 122
  sv[5] = 44;
  const auto svs = Make<SvStatusRecord>(sv);
  page.ShowRecord(svs);
  EXPECT_EQ(TextAt(view.screen, 16, 50), "122");
  EXPECT_EQ(TextAt(view.screen, 45, 50), "Use Nav");
  EXPECT_EQ(TextAt(view.screen, 110, 50), "270");
  EXPECT_EQ(TextAt(view.screen, 140, 50), "45");
  EXPECT_EQ(TextAt(view.screen, 170, 50), "44");

  page.OnCommand(32966);
  EXPECT_FALSE(page.showMask());
  EXPECT_FALSE(page.hasRecord());
  EXPECT_EQ(TextAt(view.screen, 110, 215), "");
}

TEST(SolutionPagesTest, SvListsAndTheCepLabelOfEachTwin) {
  CPredictedSolutionWnd predicted(PageContext{});
  CMatchedSolutionWnd matched(PageContext{});
  RecordingPageView pv(predicted), mv(matched);
  std::vector<uint8_t> s(41, 0);
  WriteLe<uint32_t>(s, 32, 0x00000005u);
  const auto pr = Make<PredictedSolutionRecord>(s);
  const auto mr = Make<MatchedSolutionRecord>(s);
  predicted.ShowRecord(pr);
  matched.ShowRecord(mr);
  pv.Repaint();
  mv.Repaint();
  EXPECT_EQ(TextAt(pv.screen, 115, 155), "1, 3");
  EXPECT_EQ(TextAt(pv.screen, 115, 190), "1");
  EXPECT_TRUE(pv.screen.Has(At(16, 85, "Predicted CEP:")));
  EXPECT_TRUE(mv.screen.Has(At(16, 85, "Matched CEP:")));
}

}  // namespace
}  // namespace orv
