// The part number, base status and relative solution pages on a recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/PageScreen.h"
#include "support/RecordingPageView.h"
#include "util/ByteIo.h"
#include "windows/SolutionWindows.h"

namespace orv {
namespace {

using test::At;
using test::MakeRecord;
using test::RawTextAt;
using test::RecordingPageView;
using test::TextAt;

void PutText(std::vector<uint8_t>& p, std::size_t at, const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) p[at + i] = static_cast<uint8_t>(s[i]);
}

TEST(PartNumberPageTest, FrameLabelsPartNumbersChecksumsAndSerial) {
  CPartNumberWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<uint8_t> p(95, 0);
  PutText(p, 0, "OP7701-0042A05");
  PutText(p, 14, "ABCDEFGHIJK-01");
  WriteLe<uint32_t>(p, 28, 0x5A3C19E7u);
  PutText(p, 32, "BT7700");
  PutText(p, 47 + 3, "-05");  // configuration #3
  WriteLe<uint32_t>(p, 73, 0x1Fu);
  PutText(p, 77, "AB");
  WriteLe<uint32_t>(p, 86, 0xABCu);
  WriteLe<uint32_t>(p, 90, 0xDEADBEEFu);
  const auto r = MakeRecord<PartNumberRecord>(p);
  page.ShowRecord(r);
  view.Repaint();
  const auto& s = view.screen;
  EXPECT_TRUE(s.Has("font FixedSys 8 0"));
  EXPECT_TRUE(s.Has("rect 20 20 330 228"));
  EXPECT_TRUE(s.Has(At(25, 27, "Oper. SW  Part No :")));
  EXPECT_TRUE(s.Has(At(25, 79, "Config #3 Part No :")));
  EXPECT_TRUE(s.Has(At(25, 144, "Config #8 Part No :")));
  EXPECT_TRUE(s.Has(At(25, 209, "Customer SN       :")));
  EXPECT_TRUE(s.Has(At(190, 27, "OP7701-0042A05 ")));
  EXPECT_TRUE(s.Has(At(190, 40, "BT7700         ")));
  EXPECT_TRUE(s.Has(At(190, 53, "ABCDEFGHIJK-01 ")));
  EXPECT_TRUE(s.Has(At(190, 79, "ABCDEFGHIJK-05 ")));
  for (int k : {2, 4, 5, 6, 7, 8}) EXPECT_EQ(TextAt(s, 190, 66 + 13 * (k - 2)), "") << k;
  EXPECT_TRUE(s.Has(At(190, 170, "00000ABC")));
  EXPECT_TRUE(s.Has(At(190, 183, "DEADBEEF")));
  EXPECT_TRUE(s.Has(At(190, 196, "5A3C19E7")));
  EXPECT_TRUE(s.Has(At(190, 209, " AB0000001F")));
}

TEST(PartNumberPageTest, ASuffixThatDisappearsBlanksItsLineAndOddBytesShowAsDots) {
  CPartNumberWnd page(PageContext{});
  RecordingPageView view(page);
  std::vector<uint8_t> p(95, 0);
  PutText(p, 14, "CF7702-0013A01");
  PutText(p, 47 + 3, "B05");
  const auto with = MakeRecord<PartNumberRecord>(p);
  page.ShowRecord(with);
  EXPECT_TRUE(view.screen.Has(At(190, 79, "CF7702-0013B05 ")));
  std::vector<uint8_t> q(95, 0);
  PutText(q, 0, "AB\tCD\x7F" "E\xE9");
  PutText(q, 14, "CF7702-0013A01");
  PutText(q, 77, "\x01Z");
  const auto without = MakeRecord<PartNumberRecord>(q);
  page.ShowRecord(without);
  EXPECT_EQ(RawTextAt(view.screen, 190, 79), std::string(15, ' '));
  EXPECT_TRUE(view.screen.Has(At(190, 27, "AB.CD.E.       ")));
  EXPECT_TRUE(view.screen.Has(At(190, 209, " .Z00000000")));
}

std::vector<uint8_t> BaseBytes(uint8_t status, double lat, double lon, int entries) {
  std::vector<uint8_t> p(42 + 2 * static_cast<std::size_t>(entries), 0);
  p[0] = status;
  WriteLe(p, 1, 1.5);
  WriteLe(p, 9, 0.75f);
  WriteLe(p, 13, lat);
  WriteLe(p, 21, lon);
  WriteLe(p, 29, 30.25);
  p[41] = static_cast<uint8_t>(entries);
  for (int k = 0; k < entries; ++k) {
    p[42 + 2 * static_cast<std::size_t>(k)] = static_cast<uint8_t>(k + 1);
    p[43 + 2 * static_cast<std::size_t>(k)] = static_cast<uint8_t>(10 * (k + 1));
  }
  return p;
}

int EntryY(int k) { return 190 + 15 * k; }

TEST(BaseStatusPageTest, StatusBaudSurveyAndPosition) {
  CBaseStatusWnd page(PageContext{});
  RecordingPageView view(page);
  const auto r = MakeRecord<BaseStatusRecord>(BaseBytes(0x16, -0.5, 0.5, 2));
  page.ShowRecord(r);
  view.Repaint();
  const auto& s = view.screen;
  EXPECT_TRUE(s.Has(At(16, 60, "Time Survey Remaining: ")));
  EXPECT_TRUE(s.Has(At(16, 175, "Nbr Diff Msg: ")));
  EXPECT_EQ(RawTextAt(s, 155, 15), "Position Initialized" + std::string(22, ' '));
  EXPECT_EQ(RawTextAt(s, 155, 30), "9600     ");
  EXPECT_TRUE(s.Has(At(155, 60, "1.50 hr(s)         ")));
  EXPECT_TRUE(s.Has(At(155, 90, "0.75 m             ")));
  EXPECT_EQ(RawTextAt(s, 155, 120), "S 028 38'52.403\" (Deg)" + std::string(10, ' '));
  EXPECT_EQ(RawTextAt(s, 155, 135), "E 028 38'52.403\" (Deg)" + std::string(14, ' '));
  EXPECT_TRUE(s.Has(At(155, 150, "30.25 m               ")));
  EXPECT_TRUE(s.Has(At(155, 175, "2                    ")));
  EXPECT_TRUE(s.Has(At(155, EntryY(0), "Type : 1    ")));
  EXPECT_TRUE(s.Has(At(220, EntryY(1), "Rate : 20 s  ")));
  for (int k = 2; k < 6; ++k) EXPECT_EQ(RawTextAt(s, 155, EntryY(k)), std::string(39, ' ')) << k;
  EXPECT_EQ(RawTextAt(s, 155, EntryY(6)), "");
}

TEST(BaseStatusPageTest, SecondsThatRoundToSixtyCarry) {
  constexpr double kPi = 3.141592653589793;
  const double degrees = 10 + 59 / 60.0 + 59.9996 / 3600;
  EXPECT_EQ(BaseLatitudeText(degrees * kPi / 180), "N 011 00'00.000\" (Deg)" + std::string(10, ' '));
  EXPECT_EQ(BaseLongitudeText(-degrees * kPi / 180), "W 011 00'00.000\" (Deg)" + std::string(14, ' '));
}

TEST(BaseStatusPageTest, EveryRowOfALongerEarlierListIsBlanked) {
  CBaseStatusWnd page(PageContext{});
  RecordingPageView view(page);
  const auto nine = MakeRecord<BaseStatusRecord>(BaseBytes(0, 0, 0, 9));
  page.ShowRecord(nine);
  EXPECT_TRUE(view.screen.Has(At(155, EntryY(8), "Type : 9    ")));
  EXPECT_TRUE(view.screen.Has(At(220, EntryY(8), "Rate : 90 s  ")));
  const auto none = MakeRecord<BaseStatusRecord>(BaseBytes(0, 0, 0, 0));
  page.ShowRecord(none);
  EXPECT_TRUE(view.screen.Has(At(155, 175, "0                    ")));
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(RawTextAt(view.screen, 155, EntryY(k)), std::string(39, ' ')) << k;
    EXPECT_EQ(RawTextAt(view.screen, 220, EntryY(k)), "") << k;
  }
  page.OnCommand(32966);
  EXPECT_EQ(TextAt(view.screen, 155, 15), "");
  EXPECT_TRUE(view.screen.Has(At(16, 15, "Base Status: ")));
}

std::vector<uint8_t> SolutionBytes(uint32_t used, uint32_t rejected, uint8_t reference) {
  std::vector<uint8_t> s(41, 0);
  WriteLe(s, 0, 302400.25f);
  WriteLe(s, 4, -1.5f);
  WriteLe(s, 16, 0.35f);
  WriteLe(s, 20, 0.13f);
  WriteLe(s, 24, -2.5f);
  WriteLe<uint32_t>(s, 32, used);
  WriteLe<uint32_t>(s, 36, rejected);
  s[40] = reference;
  return s;
}

TEST(SolutionPagesTest, ValuesAtTheirPlacesAndTheCepLabelOfEachTwin) {
  CPredictedSolutionWnd predicted(PageContext{});
  CMatchedSolutionWnd matched(PageContext{});
  RecordingPageView pv(predicted), mv(matched);
  const auto pr = MakeRecord<PredictedSolutionRecord>(SolutionBytes(0x5, 0, 255));
  const auto mr = MakeRecord<MatchedSolutionRecord>(SolutionBytes(0x5, 0, 255));
  predicted.ShowRecord(pr);
  matched.ShowRecord(mr);
  pv.Repaint();
  mv.Repaint();
  const auto& s = pv.screen;
  EXPECT_TRUE(s.Has(At(16, 105, "Predicted CEP:")));
  EXPECT_TRUE(mv.screen.Has(At(16, 105, "Matched CEP:")));
  EXPECT_FALSE(mv.screen.Has(At(16, 105, "Predicted CEP:")));
  EXPECT_TRUE(s.Has(At(16, 270, "Reference SV:")));
  EXPECT_TRUE(s.Has(At(115, 15, "302400.250000           ")));
  EXPECT_TRUE(s.Has(At(115, 45, " -1.500          ")));
  EXPECT_TRUE(s.Has(At(115, 60, " +0.000          ")));
  EXPECT_TRUE(s.Has(At(115, 105, "  0.350           ")));
  EXPECT_TRUE(s.Has(At(115, 135, "   0.13           ")));
  EXPECT_TRUE(s.Has(At(115, 150, "  -2.50            ")));
  EXPECT_TRUE(s.Has(At(115, 270, "256")));
  // "1" at x = 15, ", 3" right after it (7-pixel characters), then the blanks.
  EXPECT_TRUE(s.Has(At(15, 210, "1")));
  EXPECT_TRUE(s.Has(At(22, 210, ", 3")));
  EXPECT_TRUE(s.Has(At(43, 210, std::string(12, ' '))));
  EXPECT_TRUE(s.Has(At(15, 240, std::string(12, ' '))));  // nothing rejected
}

TEST(SolutionPagesTest, ListsOfEitherKindAndTheirShorterSuccessorsErasedToThePageEdge) {
  CPredictedSolutionWnd page(PageContext{});
  RecordingPageView view(page);
  const auto wide = MakeRecord<PredictedSolutionRecord>(SolutionBytes(0x80000000u, 0x3u, 0));
  page.ShowRecord(wide);
  EXPECT_TRUE(view.screen.Has(At(15, 210, "32")));
  EXPECT_TRUE(view.screen.Has(At(15, 240, "1")));
  EXPECT_TRUE(view.screen.Has(At(22, 240, ", 2")));  // the same separator as the used list
  EXPECT_TRUE(view.screen.Has(At(115, 270, "1")));
  const auto many = MakeRecord<PredictedSolutionRecord>(SolutionBytes(0x1Fu, 0, 0));
  page.ShowRecord(many);
  const auto one = MakeRecord<PredictedSolutionRecord>(SolutionBytes(0x1u, 0, 0));
  page.ShowRecord(one);
  // After "1" and its blanks (7 + 84 pixels) the line is cleared to the page's edge.
  EXPECT_TRUE(view.screen.Has("fill 106 210 300 220 16777215"));
}

}  // namespace
}  // namespace orv
