// The satellite status table, the sky plot and the satellite health grids on a recording
// canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "protocol/FrameEncoder.h"
#include "support/PageScreen.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "util/ByteIo.h"
#include "windows/SatelliteWindows.h"

namespace orv {
namespace {

using test::At;
using test::ColourAt;
using test::IndexOf;
using test::MakeRecord;
using test::RecordingCanvas;
using test::RecordingPageView;
using test::TextAt;

struct Sv {
  int sv;  // GPS SV number, or the WAAS PRN when waas is set
  int status;
  int elevation;
  int azimuth;
  int snr = 40;
  bool waas = false;
};

SvStatusRecord Svs(const std::vector<Sv>& list) {
  std::vector<uint8_t> p(61, 0);
  p[0] = static_cast<uint8_t>(list.size());
  for (std::size_t i = 0; i < list.size() && i < 12; ++i) {
    const Sv& s = list[i];
    const std::size_t at = 1 + 5 * i;
    p[at] = static_cast<uint8_t>((s.waas ? 0 : (s.sv - 1) & 31) | s.status << 5);
    p[at + 1] = static_cast<uint8_t>(static_cast<int8_t>(s.elevation));
    const int code = s.waas ? s.sv - 88 : 0;
    WriteLe<uint16_t>(p, at + 2, static_cast<uint16_t>(code << 9 | (s.azimuth & 0x1FF)));
    p[at + 4] = static_cast<uint8_t>(s.snr);
  }
  return MakeRecord<SvStatusRecord>(p);
}

ReceiverStatusRecord Mask(uint16_t hundredths) {
  std::vector<uint8_t> p(40, 0);
  WriteLe<uint16_t>(p, 19, hundredths);
  return MakeRecord<ReceiverStatusRecord>(p);
}

// Column starts with 7-pixel characters: "" 0, "SV#" 21, "   Status   " 84, "Azi(deg)" 56,
// "Ele(deg)" 56, "SNR" 21.
constexpr int kSvX[] = {2, 7, 33, 122, 183, 244, 270};

TEST(SvStatusPageTest, RuledTableTitleAndRowsInTheirStatusColour) {
  CSVsStatusWnd page(PageContext{});
  RecordingPageView view(page);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("font MS Sans Serif 10 400"));
  EXPECT_TRUE(view.screen.Has("rect 2 20 270 210"));
  EXPECT_TRUE(view.screen.Has("lineto 270 37"));
  for (int k = 2; k <= 5; ++k) EXPECT_TRUE(view.screen.Has("moveto " + std::to_string(kSvX[k] - 2) + " 20")) << k;
  EXPECT_FALSE(view.screen.Has("moveto 268 20"));
  EXPECT_TRUE(view.screen.Has(At(33, 22, "   Status   ")));
  EXPECT_TRUE(view.screen.Has(At(106, 5, "SVs visible =")));

  const auto r = Svs({{5, 3, 45, 270, 44}, {122, 2, 30, 200, 38, true}, {7, 0, -3, 10, 20}, {9, 1, 12, 99, 31}});
  page.ShowRecord(r);
  const auto& s = view.screen;
  EXPECT_TRUE(s.Has(At(106, 5, "SVs visible =  4 ")));
  EXPECT_TRUE(s.Has(At(7, 38, std::string(5, ' '))));
  EXPECT_TRUE(s.Has(At(33, 38, std::string(17, ' '))));
  EXPECT_TRUE(s.Has(At(7, 38, " 5")));
  EXPECT_TRUE(s.Has(At(33, 38, "Use Nav  ")));
  EXPECT_TRUE(s.Has(At(122, 38, "270")));
  EXPECT_TRUE(s.Has(At(183, 38, "45")));
  EXPECT_TRUE(s.Has(At(244, 38, "44")));
  EXPECT_EQ(ColourAt(s, 7, 38), 0xFF0000);
  EXPECT_TRUE(s.Has(At(7, 51, "122")));
  EXPECT_TRUE(s.Has(At(33, 51, "Meas Rdy ")));
  EXPECT_EQ(ColourAt(s, 33, 51), 0x0000FF);
  EXPECT_TRUE(s.Has(At(183, 64, "-3")));  // below the horizon: the row stays
  EXPECT_EQ(ColourAt(s, 7, 64), 0x808080);
  EXPECT_EQ(ColourAt(s, 7, 77), 0x349E2B);
  EXPECT_EQ(s.calls.back(), "textcolour 0");

  const auto one = Svs({{5, 3, 45, 270, 44}});
  page.ShowRecord(one);
  EXPECT_TRUE(view.screen.Has(At(106, 5, "SVs visible =  1 ")));
  for (int x : {7, 33, 122, 183, 244}) EXPECT_EQ(TextAt(view.screen, x, 51), "") << x;
}

TEST(SkyPlotPageTest, PlotPositions) {
  using W = CShowSVsPositionWnd;
  EXPECT_EQ(W::PlotPoint(90, 123), (SkyPoint{205, 200}));
  EXPECT_EQ(W::PlotPoint(0, 90), (SkyPoint{385, 200}));
  EXPECT_EQ(W::PlotPoint(45, 0), (SkyPoint{205, 110}));
  EXPECT_EQ(W::PlotPoint(0, 180), (SkyPoint{205, 380}));
  EXPECT_EQ(W::PlotPoint(0, 270), (SkyPoint{25, 200}));
  EXPECT_FALSE(W::PlotPoint(-1, 90));
  EXPECT_FALSE(W::PlotPoint(91, 90));
}

TEST(SkyPlotPageTest, RingsCompassAndElevationLabels) {
  CShowSVsPositionWnd page(PageContext{});
  RecordingPageView view(page);
  view.Repaint();
  const auto& s = view.screen;
  EXPECT_TRUE(s.Has("font MS Sans Serif 10 800"));
  const long pen = IndexOf(s, "pen solid 2 0");
  ASSERT_GE(pen, 0);
  long at = pen;
  for (const char* e : {"ellipse 25 20 385 380", "ellipse 85 80 325 320", "ellipse 145 140 265 260",
                        "ellipse 203 198 207 202"}) {
    const long i = IndexOf(s, e, static_cast<std::size_t>(at));
    ASSERT_GT(i, at) << e;
    EXPECT_EQ(s.calls[static_cast<std::size_t>(i - 1)], "brush 16777215") << e;
    at = i;
  }
  EXPECT_FALSE(s.Has("brush 8454016"));  // no mask asked for
  for (auto [x, y, t] : {std::tuple{205, 20, "0"}, {385, 200, " 90"}, {205, 383, "180"}, {25, 200, "270 "}}) {
    EXPECT_TRUE(s.Has(At(x, y, t))) << t;
    EXPECT_EQ(ColourAt(s, x, y), 0x3535AA) << t;
  }
  for (auto [y, t] : {std::pair{380, "0"}, {320, "30"}, {260, "60"}, {200, "90"}}) {
    EXPECT_TRUE(s.Has(At(205, y, t))) << t;
    EXPECT_EQ(ColourAt(s, 205, y), 0) << t;
  }
}

TEST(SkyPlotPageTest, DotsInTheirStatusColourBuildUpTracksAndKeepTheirFirstLabel) {
  CShowSVsPositionWnd page(PageContext{});
  RecordingPageView view(page);
  view.Repaint();
  const auto first = Svs({{5, 3, 45, 0}, {122, 1, 0, 90, 30, true}, {7, 0, -5, 90}, {8, 2, 91, 0}});
  page.ShowRecord(first);
  const auto& s = view.screen;
  // Pen and fill alike in the status colour.
  const long dot = IndexOf(s, "ellipse 203 108 207 112");
  ASSERT_GE(dot, 2);
  EXPECT_EQ(s.calls[static_cast<std::size_t>(dot - 2)], "pen solid 1 16711680");
  EXPECT_EQ(s.calls[static_cast<std::size_t>(dot - 1)], "brush 16711680");
  const long waas = IndexOf(s, "ellipse 383 198 387 202");
  ASSERT_GE(waas, 2);
  EXPECT_EQ(s.calls[static_cast<std::size_t>(waas - 1)], "brush 3448363");
  EXPECT_TRUE(s.Has(At(205, 110, " 5")));
  EXPECT_TRUE(s.Has(At(385, 200, "122")));
  EXPECT_TRUE(s.Has("align right bottom"));
  // Below the horizon or past the zenith: no dot, no label.
  EXPECT_FALSE(s.Has(At(385, 200, " 7")));
  EXPECT_FALSE(s.Has(At(205, 200, " 8")));
  EXPECT_EQ(IndexOf(s, "ellipse 203 198 207 202", static_cast<std::size_t>(dot)), -1);
  EXPECT_EQ(page.labelCount(), 2u);

  const auto second = Svs({{5, 3, 30, 0}, {122, 1, 0, 90, 30, true}});
  page.ShowRecord(second);
  // The first dots stay (updates draw over them); the new dot is at the new place, its label
  // where the satellite was first plotted.
  EXPECT_TRUE(s.Has("ellipse 203 78 207 82"));
  EXPECT_FALSE(s.Has(At(205, 80, " 5")));
  EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), At(205, 110, " 5")), 2);
  // A satellite that has not moved is not drawn over itself again; one that has is.
  const std::size_t before = s.calls.size();
  const auto same = Svs({{5, 3, 30, 0}, {122, 2, 0, 90, 30, true}});
  page.ShowRecord(same);
  EXPECT_EQ(IndexOf(s, "ellipse 203 78 207 82", before), -1);
  EXPECT_GE(IndexOf(s, "ellipse 383 198 387 202", before), 0);  // its colour changed

  // Two records between two paints of the host both leave their dots.
  page.AttachView(nullptr);
  const auto third = Svs({{5, 3, 20, 0}});
  const auto fourth = Svs({{5, 3, 10, 0}});
  page.ShowRecord(third);
  page.ShowRecord(fourth);
  RecordingCanvas merged;
  page.PaintValues(merged);
  EXPECT_TRUE(merged.Has("ellipse 203 58 207 62"));
  EXPECT_TRUE(merged.Has("ellipse 203 38 207 42"));
  // A whole paint shows the last record's satellites only.
  RecordingCanvas whole;
  page.Paint(whole);
  EXPECT_TRUE(whole.Has("ellipse 203 38 207 42"));
  EXPECT_FALSE(whole.Has("ellipse 203 58 207 62"));
}

TEST(SkyPlotPageTest, TheLabelCacheHoldsThirtyTwoAndClearDataEmptiesIt) {
  CShowSVsPositionWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<SvStatusRecord> records;
  records.reserve(4);
  // 33 GPS satellites and WAAS PRNs, twelve at a time, all distinct.
  int prn = 0;
  for (int batch = 0; batch < 3; ++batch) {
    std::vector<Sv> list;
    for (int i = 0; i < 12 && prn < 33; ++i, ++prn) {
      list.push_back(prn < 32 ? Sv{prn + 1, 1, 20 + prn, 10 * prn} : Sv{122, 1, 60, 5, 30, true});
    }
    records.push_back(Svs(list));
  }
  for (const auto& r : records) page.ShowRecord(r);
  EXPECT_EQ(page.labelCount(), 32u);
  // The 33rd keeps its label by its dot, and so does it when it moves.
  const auto moved = Svs({{122, 1, 50, 5, 30, true}, {1, 1, 80, 0}});
  page.ShowRecord(moved);
  const auto at = CShowSVsPositionWnd::PlotPoint(50, 5);
  EXPECT_TRUE(view.screen.Has(At(at->x, at->y, "122")));
  const auto first = CShowSVsPositionWnd::PlotPoint(20, 0);
  EXPECT_EQ(TextAt(view.screen, first->x, first->y), " 1");  // satellite 1 keeps its first place
  EXPECT_EQ(page.labelCount(), 32u);

  page.OnCommand(32966);
  EXPECT_EQ(page.labelCount(), 0u);
  const auto again = Svs({{1, 1, 80, 0}});
  page.ShowRecord(again);
  const auto now = CShowSVsPositionWnd::PlotPoint(80, 0);
  EXPECT_TRUE(view.screen.Has(At(now->x, now->y, " 1")));
}

TEST(SkyPlotPageTest, MaskAngleOnlyAfterItsOwnRequestAndWithoutSatellites) {
  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  CShowSVsPositionWnd page(PageContext{&encoder, nullptr});
  RecordingPageView view(page);
  const auto rs = Mask(1000);
  page.ShowMaskAngle(rs);  // not asked for: ignored
  EXPECT_TRUE(view.events.empty());
  EXPECT_EQ(page.maskAngle(), 0);

  page.OnCommand(CShowSVsPositionWnd::kShowMaskAngleCommand);
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0][1], 49);
  EXPECT_TRUE(page.showMask());
  EXPECT_TRUE(page.maskRequestPending());
  // No message 33 yet: rings and mask only.
  page.ShowMaskAngle(rs);
  EXPECT_FALSE(page.maskRequestPending());
  EXPECT_EQ(page.maskAngle(), 10);
  EXPECT_EQ(page.maskRecord(), &rs);
  const auto& s = view.screen;
  const long horizon = IndexOf(s, "ellipse 25 20 385 380");
  ASSERT_GT(horizon, 0);
  EXPECT_EQ(s.calls[static_cast<std::size_t>(horizon - 1)], "brush 8454016");
  const long mask = IndexOf(s, "ellipse 45 40 365 360");
  ASSERT_GT(mask, horizon);
  EXPECT_EQ(s.calls[static_cast<std::size_t>(mask - 1)], "brush 16777215");
  EXPECT_GT(IndexOf(s, "ellipse 85 80 325 320"), mask);
  EXPECT_FALSE(s.Has("pen solid 1 16711680"));  // no dots

  // Clear Data: plain rings, and a later answer without a new request changes nothing.
  page.OnCommand(32966);
  EXPECT_FALSE(page.showMask());
  EXPECT_EQ(page.maskRecord(), nullptr);
  EXPECT_FALSE(view.screen.Has("brush 8454016"));
  page.OnCommand(CShowSVsPositionWnd::kShowMaskAngleCommand);
  page.OnCommand(32966);  // cleared before the answer: the answer draws rings and mask only
  page.ShowMaskAngle(rs);
  EXPECT_FALSE(page.hasRecord());
}

TEST(SkyPlotPageTest, TheMaskBandStaysGreenAcrossTheInnerRings) {
  CShowSVsPositionWnd page(PageContext{});
  RecordingPageView view(page);
  const auto svs = Svs({{5, 3, 40, 90}});
  page.ShowRecord(svs);
  page.OnCommand(CShowSVsPositionWnd::kShowMaskAngleCommand);
  const auto rs = Mask(4500);
  page.ShowMaskAngle(rs);
  const auto& s = view.screen;
  // The 30 ring lies in the band: an outline only, drawn on the green and before the mask.
  const long ring30 = IndexOf(s, "ellipse 85 80 325 320");
  const long mask = IndexOf(s, "ellipse 115 110 295 290");
  ASSERT_GT(ring30, 0);
  EXPECT_EQ(s.calls[static_cast<std::size_t>(ring30 - 1)], "nobrush");
  ASSERT_GT(mask, ring30);
  EXPECT_EQ(s.calls[static_cast<std::size_t>(mask - 1)], "brush 16777215");
  const long ring60 = IndexOf(s, "ellipse 145 140 265 260");
  ASSERT_GT(ring60, mask);
  EXPECT_EQ(s.calls[static_cast<std::size_t>(ring60 - 1)], "brush 16777215");
  // The satellites of the last message 33 are drawn on it.
  const auto dot = CShowSVsPositionWnd::PlotPoint(40, 90);
  EXPECT_TRUE(s.Has("ellipse " + std::to_string(dot->x - 2) + " " + std::to_string(dot->y - 2) + " " +
                    std::to_string(dot->x + 2) + " " + std::to_string(dot->y + 2)));
}

SatelliteHealthRecord Health(std::vector<uint8_t> bytes) {
  bytes.resize(8, 0);
  return MakeRecord<SatelliteHealthRecord>(bytes);
}

TEST(SatelliteHealthPageTest, TwoRuledGridsAndTheCodesOfEachSatellite) {
  CSatelliteHealthWnd page(PageContext{});
  RecordingPageView view(page);
  view.Repaint();
  const auto& s = view.screen;
  EXPECT_TRUE(s.Has("font MS Sans Serif 10 800"));
  EXPECT_TRUE(s.Has("align center bottom"));
  EXPECT_TRUE(s.Has("rect 20 20 420 95"));
  EXPECT_TRUE(s.Has("rect 20 120 420 195"));
  for (int y : {45, 70, 145, 170}) EXPECT_TRUE(s.Has("moveto 20 " + std::to_string(y))) << y;
  int verticals = 0;
  for (const std::string& c : s.calls) verticals += c.rfind("lineto ", 0) == 0 && (c.ends_with(" 95") || c.ends_with(" 195"));
  EXPECT_EQ(verticals, 2 * 15);
  EXPECT_TRUE(s.Has("moveto 395 20"));
  EXPECT_FALSE(s.Has("moveto 420 20"));
  EXPECT_TRUE(s.Has(At(32, 40, " 1")));
  EXPECT_TRUE(s.Has(At(32 + 25 * 15, 40, "16")));
  EXPECT_TRUE(s.Has(At(32, 140, "17")));
  EXPECT_TRUE(s.Has(At(32 + 25 * 15, 140, "32")));

  const auto r = Health({0x1B, 0, 0, 0, 0xC0, 0, 0, 0x01});
  page.ShowRecord(r);
  const std::pair<const char*, const char*> expected[] = {{"00", "H"}, {"01", "U"}, {"10", "U"}, {"11", "U"}};
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(TextAt(view.screen, 32 + 25 * j, 65), expected[j].first) << j;
    EXPECT_EQ(TextAt(view.screen, 32 + 25 * j, 90), expected[j].second) << j;
  }
  EXPECT_EQ(TextAt(view.screen, 32 + 25 * 5, 65), "00");
  EXPECT_EQ(TextAt(view.screen, 32, 165), "11");  // satellite 17: bits 7-6 of byte 4
  EXPECT_EQ(TextAt(view.screen, 32, 190), "U");
  EXPECT_EQ(TextAt(view.screen, 32 + 25 * 15, 165), "01");  // satellite 32
  EXPECT_EQ(TextAt(view.screen, 32 + 25 * 14, 190), "H");

  page.OnCommand(32966);
  EXPECT_TRUE(view.screen.Has("rect 20 20 420 95"));
  EXPECT_TRUE(view.screen.Has(At(32, 140, "17")));
  EXPECT_EQ(TextAt(view.screen, 32, 65), "");
}

}  // namespace
}  // namespace orv
