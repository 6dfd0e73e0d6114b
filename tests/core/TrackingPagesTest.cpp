// The measurement, ephemeris and channel assignment pages on a recording canvas: positions,
// formats, blanked rows, the ruled table and its row colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/PageScreen.h"
#include "support/RecordingPageView.h"
#include "util/ByteIo.h"
#include "windows/TrackingWindows.h"

namespace orv {
namespace {

using test::At;
using test::ColourAt;
using test::MakeRecord;
using test::RecordingPageView;
using test::TextAt;

// A block of `n` entries (the count byte says `countByte` when given), satellite byte
// 0x40 | i, C/N0 170 (42.5 dB-Hz).
MeasurementBlockRecord Block(int n, int countByte = -1) {
  std::vector<uint8_t> p(11 + 11 * 12, 0);
  p[2] = static_cast<uint8_t>(countByte >= 0 ? countByte : n);
  WriteLe(p, 3, 302412.5);
  for (int i = 0; i < 12; ++i) {
    const std::size_t at = 11 + 11 * static_cast<std::size_t>(i);
    if (i >= n) continue;
    p[at] = static_cast<uint8_t>(0x40 | i);
    p[at + 1] = 170;
    WriteLe<uint32_t>(p, at + 2, 4000000000u);
    WriteLe<uint32_t>(p, at + 6, 123456789u);
  }
  return MakeRecord<MeasurementBlockRecord>(p);
}

int RowY(int i) { return 40 + 13 * i; }

TEST(MeasurementPageTest, EntriesAtTheirColumnsAndAShorterBlockBlanksEveryCellOfTheRest) {
  CMeasWnd page(PageContext{}, false);
  RecordingPageView view(page);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("bitmap 1 1"));
  EXPECT_TRUE(view.screen.Has(At(20, 1, "Predicted GPS Time: ")));
  EXPECT_TRUE(view.screen.Has(At(1, 20, "CH  SV  CN        Code           Carrier")));
  EXPECT_TRUE(view.screen.Has("moveto 1 35"));
  EXPECT_TRUE(view.screen.Has("lineto 240 35"));

  const auto eight = Block(8);
  page.ShowRecord(eight);
  EXPECT_TRUE(view.screen.Has(At(140, 1, "302412.500000")));
  EXPECT_TRUE(view.screen.Has(At(1, RowY(7), "08 ")));
  EXPECT_TRUE(view.screen.Has(At(25, RowY(7), " 8 ")));
  EXPECT_TRUE(view.screen.Has(At(45, RowY(7), "42.50  ")));
  EXPECT_TRUE(view.screen.Has(At(85, RowY(7), "4000000000   ")));
  EXPECT_TRUE(view.screen.Has(At(165, RowY(7), " 123456789   ")));

  const auto three = Block(3);
  page.ShowRecord(three);
  EXPECT_EQ(TextAt(view.screen, 25, RowY(2)), " 3");
  for (int i = 3; i < 12; ++i) {
    EXPECT_EQ(test::RawTextAt(view.screen, 1, RowY(i)), std::string(59, ' ')) << i;
    for (int x : {25, 45, 85, 165}) EXPECT_EQ(TextAt(view.screen, x, RowY(i)), "") << i << " " << x;
  }
}

TEST(MeasurementPageTest, CountSatelliteAndSignalBytesAtTheirLimits) {
  CMeasWnd page(PageContext{}, false);
  RecordingPageView view(page);
  std::vector<uint8_t> p(11 + 11 * 12, 0);
  p[2] = 200;  // more than the block holds: all twelve rows
  p[11] = 0x45;  // satellite 6: only the low bits count
  p[12] = 255;
  p[11 + 11] = 0x3F;  // filed under satellite 32
  const auto r = MakeRecord<MeasurementBlockRecord>(p);
  page.ShowRecord(r);
  EXPECT_EQ(TextAt(view.screen, 25, RowY(0)), " 6");
  EXPECT_EQ(TextAt(view.screen, 45, RowY(0)), "63.75");
  EXPECT_EQ(TextAt(view.screen, 25, RowY(1)), "32");
  EXPECT_EQ(TextAt(view.screen, 1, RowY(11)), "12");
  EXPECT_FALSE(view.screen.Has(At(1, RowY(11), std::string(59, ' '))));
}

TEST(MeasurementPageTest, TheBaseWindowDrawsNoBitmap) {
  CMeasWnd base(PageContext{}, true);
  RecordingPageView view(base);
  view.Repaint();
  EXPECT_FALSE(view.screen.Has("bitmap 1 1"));
  EXPECT_TRUE(view.screen.Has(At(20, 1, "Predicted GPS Time: ")));
}

TEST(EphemerisPageTest, ThreeWordsARowAfterTheBlankLine) {
  CEphemWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<uint8_t> p(73, 0);
  p[0] = 4;
  for (std::size_t i = 1; i < 73; ++i) p[i] = static_cast<uint8_t>(i);
  const auto r = MakeRecord<EphemerisRecord>(p);
  page.ShowRecord(r);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has(At(20, 10, "SV:  ")));
  EXPECT_TRUE(view.screen.Has(At(40, 10, " 5 ")));
  EXPECT_TRUE(view.screen.Has(At(1, 30, "010203 ")));
  EXPECT_TRUE(view.screen.Has(At(66, 30, "040506 ")));
  EXPECT_TRUE(view.screen.Has(At(131, 30, "070809 ")));
  EXPECT_TRUE(view.screen.Has(At(131, 30 + 15 * 7, "464748 ")));
  // The blank line comes first on each row.
  const auto texts = view.screen.Texts();
  const auto blank = std::find(texts.begin(), texts.end(), At(1, 45, std::string(59, ' ')));
  const auto word = std::find(texts.begin(), texts.end(), At(1, 45, "0A0B0C "));
  ASSERT_NE(blank, texts.end());
  EXPECT_LT(blank, word);
}

std::vector<uint8_t> ChannelBytes() { return std::vector<uint8_t>(12 * 14, 0); }
void SetChannel(std::vector<uint8_t>& b, int ch, uint8_t sv, uint32_t counter, float snr, uint8_t status) {
  const std::size_t at = 14 * static_cast<std::size_t>(ch);
  b[at] = sv;
  WriteLe(b, at + 1, counter);
  WriteLe(b, at + 5, snr);
  WriteLe<int16_t>(b, at + 9, -7);
  b[at + 11] = static_cast<uint8_t>(-3);
  b[at + 12] = 9;
  b[at + 13] = status;
}

// Header widths with the recording canvas's 7-pixel characters: "" 0, "Ch#" 21, "Sv#" 21,
// " SNR " 35, " Rsrvd" 42, "Carr. Freq" 70, " Tk Status " 77, "Loc Status" 70, "Chan Mode" 63,
// "Reserved" 56, "Parity" 42.
constexpr int kChX[] = {2, 7, 33, 59, 99, 146, 221, 303, 378, 446, 507, 554};

TEST(ChannelAssignmentPageTest, TheRuledTableFollowsTheHeaderWidths) {
  CChanAssWnd page(PageContext{});
  RecordingPageView view(page);
  view.Repaint();
  const auto& s = view.screen;
  EXPECT_TRUE(s.Has("font FixedSys 8 0"));
  EXPECT_TRUE(s.Has(At(200, 5, "Current Status")));
  EXPECT_TRUE(s.Has("rect 2 20 554 196"));
  EXPECT_TRUE(s.Has("moveto 2 37"));
  EXPECT_TRUE(s.Has("lineto 554 37"));
  for (int k = 1; k <= 9; ++k) EXPECT_TRUE(s.Has("moveto " + std::to_string(kChX[k + 1] - 2) + " 20")) << k;
  EXPECT_FALSE(s.Has("moveto 552 20"));  // none after the last column
  EXPECT_FALSE(s.Has("moveto 5 20"));    // nor after the empty first one
  EXPECT_TRUE(s.Has(At(7, 22, "Ch#")));
  EXPECT_TRUE(s.Has(At(33, 22, "Sv#")));
  EXPECT_TRUE(s.Has(At(507, 22, "Parity")));
  EXPECT_TRUE(s.Texts().size() == 11u);  // caption and ten headers, no rows without a record
}

TEST(ChannelAssignmentPageTest, RowsInTheColourOfTheirTrackingStatus) {
  CChanAssWnd page(PageContext{});
  RecordingPageView view(page);
  auto b = ChannelBytes();
  SetChannel(b, 0, 0x22, 140539, 43.3f, 0x17);  // WAAS 122; " Failed ", "Location", "  Auto   "
  SetChannel(b, 1, 0x02, 140640, 38.0f, 0x0A);   // SV 3; "Measready", "Tracking", " Manual "
  SetChannel(b, 2, 0x05, 140540, 20.0f, 0x01);   // "Bit Ready", "  Idle  "
  SetChannel(b, 3, 0x06, 140540, 20.0f, 0x0C);   // "Not Ready", location 3: empty
  ChannelAssignmentRecord r;
  r.AssignHalf(0, [&] { std::vector<uint8_t> p(1, 0); p.insert(p.end(), b.begin(), b.begin() + 84); return p; }());
  r.AssignHalf(6, [&] { std::vector<uint8_t> p(1, 0); p.insert(p.end(), b.begin() + 84, b.end()); return p; }());
  page.ShowRecord(r);
  const auto& s = view.screen;
  const int y0 = 38, y1 = 51, y2 = 64, y3 = 77;
  EXPECT_EQ(TextAt(s, kChX[1], y0), "01");
  EXPECT_EQ(TextAt(s, kChX[2], y0), "122");
  EXPECT_EQ(TextAt(s, kChX[3], y0), "43.3");
  EXPECT_EQ(TextAt(s, kChX[4], y0), "  9");
  EXPECT_EQ(TextAt(s, kChX[5], y0), "      -5");
  EXPECT_TRUE(s.Has(At(kChX[6], y0, " Failed ")));
  EXPECT_TRUE(s.Has(At(kChX[7], y0, "Location")));
  EXPECT_TRUE(s.Has(At(kChX[8], y0, "  Auto   ")));
  EXPECT_EQ(TextAt(s, kChX[9], y0), "   -7");
  EXPECT_EQ(TextAt(s, kChX[10], y0), " -3");
  for (int c = 1; c <= 10; ++c) EXPECT_EQ(ColourAt(s, kChX[c], y0), 0x008080) << c;
  EXPECT_EQ(TextAt(s, kChX[2], y1), "03");
  EXPECT_EQ(TextAt(s, kChX[5], y1), "    1005");
  EXPECT_TRUE(s.Has(At(kChX[6], y1, "Measready")));
  EXPECT_TRUE(s.Has(At(kChX[7], y1, "Tracking")));
  EXPECT_TRUE(s.Has(At(kChX[8], y1, " Manual ")));
  EXPECT_EQ(ColourAt(s, kChX[1], y1), 0x800000);
  EXPECT_TRUE(s.Has(At(kChX[6], y2, "Bit Ready")));
  EXPECT_TRUE(s.Has(At(kChX[7], y2, "  Idle  ")));
  EXPECT_EQ(ColourAt(s, kChX[1], y2), 0x008000);
  EXPECT_TRUE(s.Has(At(kChX[6], y3, "Not Ready")));
  EXPECT_TRUE(s.Has(At(kChX[7], y3, "")));
  EXPECT_EQ(ColourAt(s, kChX[1], y3), 0x808080);
  EXPECT_EQ(s.calls.back(), "textcolour 0");  // black again after each row
  EXPECT_TRUE(s.Has(At(kChX[1], 38 + 13 * 11, "12")));

  page.OnCommand(32966);
  EXPECT_TRUE(view.screen.Has("rect 2 20 554 196"));
  EXPECT_EQ(TextAt(view.screen, kChX[1], y0), "");
}

}  // namespace
}  // namespace orv
