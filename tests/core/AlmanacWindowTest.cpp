// The almanac window of message 76: which row a report fills, the table as drawn, the requests
// of its popup and Clear Data.
#include <gtest/gtest.h>

#include "maintenance/AlmanacWindow.h"
#include "protocol/FrameEncoder.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "util/ByteIo.h"
#include "windows/PageText.h"

namespace orv {
namespace {

using test::RecordingPageView;

AlmanacRecord Report(int type, int prn, uint16_t week = 2425) {
  std::vector<uint8_t> p(79);
  ByteWriter w(p);
  w.Put(static_cast<uint8_t>((type << 6) | (prn & 0x3F))).Put<uint32_t>(319488);
  for (double v : {8.964538574e-05, 3.637978807e-12, 0.4668447322, -1.781409342, -0.5644326501, 5153.683594,
                   -7.508884204e-09, 0.9893061549, 0.006597995758}) {
    w.Put(v);
  }
  w.Put(week);
  AlmanacRecord r;
  r.Assign(p);
  return r;
}

std::string At(int x, int y, const std::string& text) {
  return "text " + std::to_string(x) + " " + std::to_string(y) + " " + text;
}

class AlmanacWindowTest : public ::testing::Test {
 protected:
  AlmanacWindowTest() : page(PageContext{&encoder, nullptr}), view(page) {
    page.OnCreate("Quenmarsh Almanac Window - Msg 76");
  }
  test::RecordingChannel port;
  FrameEncoder encoder{&port};
  CQuenmarshAlmanacWnd page;
  RecordingPageView view;
};

TEST_F(AlmanacWindowTest, EachReportFillsTheRowOfItsSatellite) {
  page.ShowRecord(Report(1, 1));
  EXPECT_FALSE(CQuenmarshAlmanacWnd::RowEmpty(page.row(0)));
  EXPECT_EQ(page.row(0).prn(), 1);
  page.ShowRecord(Report(0, 5));  // GLONASS: the PRN field itself
  EXPECT_EQ(page.row(5).svType(), 0);
  page.ShowRecord(Report(1, 32, 7));
  EXPECT_EQ(page.row(31).week(), 7);
  // Reports that name no row are dropped: GPS PRN 0 and 33, and GIC, whose field minus 120
  // never lies in 0-31.
  page.ShowRecord(Report(1, 0));
  page.ShowRecord(Report(1, 33 & 0x3F));
  page.ShowRecord(Report(2, 40));
  int filled = 0;
  for (int i = 0; i < CQuenmarshAlmanacWnd::kRows; ++i) filled += CQuenmarshAlmanacWnd::RowEmpty(page.row(i)) ? 0 : 1;
  EXPECT_EQ(filled, 3);
  // A report of a satellite already shown replaces its row, not another.
  page.ShowRecord(Report(1, 1, 99));
  EXPECT_EQ(page.row(0).week(), 99);
}

TEST_F(AlmanacWindowTest, TableTitlesRowsAndTypeLineAreDrawnWhereTheLayoutSays) {
  view.Repaint();
  const auto& calls = view.screen.calls;
  EXPECT_TRUE(view.screen.Has(At(20, 40, "#SV")));
  EXPECT_TRUE(view.screen.Has(At(82, 40, "toa")));
  EXPECT_TRUE(view.screen.Has(At(702, 40, "Week")));
  EXPECT_TRUE(view.screen.Has(At(640, 40, "e")));
  // The Greek titles go out in the Symbol font, the others in the window's.
  const auto omega = std::find(calls.begin(), calls.end(), At(330, 40, "w"));
  ASSERT_NE(omega, calls.end());
  EXPECT_EQ(*(omega - 1), "font Symbol 16 700");
  EXPECT_EQ(*(omega + 1), "font MS Sans Serif 10 800");
  EXPECT_TRUE(view.screen.Has(At(392, 40, "W0")));
  EXPECT_TRUE(view.screen.Has(At(454, 40, "dW")));
  EXPECT_TRUE(view.screen.Has(At(516, 40, "\xD6" "A")));
  EXPECT_FALSE(view.screen.Has(At(20, 2, "Satellites type: GPS            ")));  // no row yet

  page.ShowRecord(Report(1, 3));
  view.Repaint();
  const int y = 55 + 15 * 2;
  const auto cell = [](const std::string& s) { return PadRight(s, 9); };
  EXPECT_TRUE(view.screen.Has(At(20, y, cell("3"))));
  EXPECT_TRUE(view.screen.Has(At(82, y, cell("319488"))));
  EXPECT_TRUE(view.screen.Has(At(144, y, cell("9E-05"))));
  EXPECT_TRUE(view.screen.Has(At(206, y, cell("3.6E-12"))));
  EXPECT_TRUE(view.screen.Has(At(268, y, cell("0.47"))));
  EXPECT_TRUE(view.screen.Has(At(330, y, cell("-1.781"))));
  EXPECT_TRUE(view.screen.Has(At(392, y, cell("-0.56"))));
  EXPECT_TRUE(view.screen.Has(At(454, y, cell("-7.5E-09"))));  // omega-dot
  EXPECT_TRUE(view.screen.Has(At(516, y, cell("5.2E+03"))));   // root A
  EXPECT_TRUE(view.screen.Has(At(578, y, cell("0.989"))));
  EXPECT_TRUE(view.screen.Has(At(640, y, cell("0.0066"))));
  EXPECT_TRUE(view.screen.Has(At(702, y, cell("2425"))));
  EXPECT_TRUE(view.screen.Has(At(20, 2, "Satellites type: GPS            ")));
}

TEST_F(AlmanacWindowTest, PopupRequestsTheAlmanacAndClearsTheTable) {
  const std::vector<PopupItem> items = page.PopupItems();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].text, "GPS Request One Shot");
  EXPECT_EQ(items[1].text, "GPS Request Continuous");
  EXPECT_EQ(items[2].text, "GIC Request");
  EXPECT_EQ(items[3].text, "Clear Data");
  for (const PopupItem& item : items) page.OnCommand(item.command);
  ASSERT_EQ(port.sent.size(), 3u);
  const std::vector<std::pair<int, int>> expected = {{76, 1}, {204, 1}, {76, 2}};
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(port.sent[i].size(), 7u);
    EXPECT_EQ(port.sent[i][1], expected[i].first);
    EXPECT_EQ(port.sent[i][4], expected[i].second);
  }
  page.ShowRecord(Report(1, 1));
  ASSERT_TRUE(page.hasRecord());
  page.OnCommand(items[3].command);
  EXPECT_FALSE(page.hasRecord());
  EXPECT_TRUE(CQuenmarshAlmanacWnd::RowEmpty(page.row(0)));
  view.Repaint();
  EXPECT_FALSE(view.screen.Has(At(20, 55, PadRight("1", 9))));
}

}  // namespace
}  // namespace orv
