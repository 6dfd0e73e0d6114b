// The navigation windows on a recording canvas: where each label and value is drawn, the
// mode and source texts, both pages of the geodetic window and the caption of its RTK page.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ids/CommandIds.h"
#include "protocol/FrameEncoder.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "util/ByteIo.h"
#include "windows/NavWindows.h"
#include "windows/PageText.h"

namespace orv {
namespace {

using test::RecordingCanvas;
using test::RecordingPageView;

double Rad(double degrees) { return degrees * 3.141592653589793 / 180.0; }

// A message 20 payload with plain values; tests change what they look at.
struct Llh {
  double latDeg = 45.50343, lonDeg = -73.4136473;
  float altitude = 30.5f, speed = 0.52f, track = 1.25f;
  float vn = 0.3f, ve = -0.4f, vu = 0.01f, hfom = 2.5f, vfom = 3.75f;
  int16_t hdop = 9, vdop = 14;
  uint8_t mode = 2, sv = 0x38, status = 0x13;
  uint16_t reserved = 7;

  NavLlhRecord Record() const {
    std::vector<uint8_t> p(71);
    ByteWriter w(p);
    w.Put<uint8_t>(0xE0 | 14).Put<uint8_t>(5).Put(9.25).Put<uint8_t>(8).Put<uint8_t>(12).Put<uint16_t>(2026);
    w.Put(Rad(latDeg)).Put(Rad(lonDeg)).Put(altitude).Put(speed).Put(track).Put(vn).Put(ve).Put(vu).Put(hfom).Put(vfom);
    w.Put(hdop).Put(vdop).Put(mode).Put(sv).Put(status).Put(reserved);
    NavLlhRecord r;
    r.Assign(p);
    return r;
  }
};

std::string Value(const std::string& text) { return PadRight(text, 30); }
std::string At(int x, int y, const std::string& text) {
  return "text " + std::to_string(x) + " " + std::to_string(y) + " " + text;
}
// The value text drawn at (145, y), blanks removed; "" when nothing was drawn there.
std::string NavValue(const RecordingCanvas& c, int y) {
  const std::string prefix = At(145, y, "");
  std::string found;
  for (const std::string& t : c.Texts()) {
    if (t.rfind(prefix, 0) == 0) found = t.substr(prefix.size());
  }
  while (!found.empty() && found.back() == ' ') found.pop_back();
  return found;
}

class NavWindowTest : public ::testing::Test {
 protected:
  NavWindowTest() : page(PageContext{&encoder, nullptr}), view(page) { page.OnCreate("Navigation Window (User Coor) - Msg 20"); }
  std::string ShowAndRead(const Llh& fields, int y) {
    record = fields.Record();
    page.ShowRecord(record);
    view.Repaint();
    return NavValue(view.screen, y);
  }

  test::RecordingChannel port;
  FrameEncoder encoder{&port};
  CNavWnd page;
  RecordingPageView view;
  NavLlhRecord record;
};

TEST_F(NavWindowTest, PaintDrawsBitmapThenLabelsInTheWindowFontAndNoValuesWithoutARecord) {
  view.Repaint();
  const auto& calls = view.screen.calls;
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls[0], "bitmap 1 1");
  EXPECT_EQ(calls[1], "font MS Sans Serif 10 700");
  EXPECT_TRUE(view.screen.Has("bk transparent"));
  EXPECT_FALSE(view.screen.Has("bk opaque"));
  EXPECT_TRUE(view.screen.Has(At(16, 15, "Lat:                ")));
  EXPECT_TRUE(view.screen.Has(At(16, 435, "Tracking Mode:      ")));
  EXPECT_TRUE(view.screen.Has(At(16, 255, "HDOP:               ")));
  // Labels only, and the framework's note that nothing has come yet.
  for (const std::string& t : view.screen.Texts()) {
    if (t.find("waiting for message 20") == std::string::npos) {
      EXPECT_EQ(t.rfind("text 16 ", 0), 0u) << t;
    }
  }
}

TEST_F(NavWindowTest, ValuesAtTheirRowsInTheirFormats) {
  record = Llh{}.Record();
  page.ShowRecord(record);
  view.Repaint();
  const RecordingCanvas& c = view.screen;
  EXPECT_TRUE(c.Has(At(145, 15, Value("N  045 30'12.348\" (Deg)"))));
  EXPECT_TRUE(c.Has(At(145, 30, Value("W 073 24'49.130\" (Deg)"))));
  EXPECT_EQ(NavValue(c, 45), "30.50 m");
  EXPECT_EQ(NavValue(c, 75), "0.30 m/s");
  EXPECT_EQ(NavValue(c, 90), "-0.40 m/s");
  EXPECT_EQ(NavValue(c, 135), "2.50 m");
  EXPECT_EQ(NavValue(c, 165), "0.52 m/sec");
  EXPECT_EQ(NavValue(c, 180), "1.25 rad");
  EXPECT_EQ(NavValue(c, 210), "Nav 3-D");
  EXPECT_EQ(NavValue(c, 225), "None");
  EXPECT_EQ(NavValue(c, 255), "0.9");
  EXPECT_EQ(NavValue(c, 270), "1.4");
  EXPECT_EQ(NavValue(c, 300), "2026-12-08");
  EXPECT_EQ(NavValue(c, 330), "14:05:09.250000000");
  EXPECT_EQ(NavValue(c, 345), "8");         // low half of 0x38
  EXPECT_EQ(NavValue(c, 360), "7");
  EXPECT_EQ(NavValue(c, 375), "19");        // 0x38 >> 4 = 3, OR 0x13 & 0x30 = 0x10
  EXPECT_EQ(NavValue(c, 390), "Normal");
  EXPECT_EQ(NavValue(c, 405), "Disable");
  EXPECT_EQ(NavValue(c, 420), "Navigation");
  EXPECT_EQ(NavValue(c, 435), "All SVs in View");
  // A full paint draws the values after the labels, all transparent on the erased window;
  // a new record redraws the values alone, opaque, so their trailing blanks erase.
  EXPECT_LT(std::find(c.calls.begin(), c.calls.end(), At(16, 435, "Tracking Mode:      ")),
            std::find(c.calls.begin(), c.calls.end(), At(145, 15, Value("N  045 30'12.348\" (Deg)"))));
  EXPECT_FALSE(c.Has("bk opaque"));
  view.screen = RecordingCanvas{};
  page.ShowRecord(record);
  EXPECT_EQ(view.screen.calls.front().rfind("font ", 0), 0u);
  EXPECT_TRUE(view.screen.Has("bk opaque"));
  EXPECT_FALSE(view.screen.Has(At(16, 15, "Lat:                ")));
  EXPECT_TRUE(view.screen.Has(At(145, 15, Value("N  045 30'12.348\" (Deg)"))));
}

TEST_F(NavWindowTest, ModeNamesAndTheDifferentialSource) {
  Llh f;
  f.mode = 7;
  EXPECT_EQ(ShowAndRead(f, 210), "Invalid Mode 7");
  f.mode = 12;
  EXPECT_EQ(ShowAndRead(f, 210), "Invalid Mode  12");
  f.mode = 4 | 0x40;
  EXPECT_EQ(ShowAndRead(f, 225), "Beacon");
  f.mode = 5 | 0x40;
  EXPECT_EQ(ShowAndRead(f, 225), "Beacon");
  f.mode = 4;
  EXPECT_EQ(ShowAndRead(f, 225), "WAAS");
  f.mode = 2 | 0x40;
  EXPECT_EQ(ShowAndRead(f, 225), "None");
  f.mode = 6 | 0x40;
  EXPECT_EQ(ShowAndRead(f, 225), "None");
  f.mode = 2 | 0x20 | 0x80;
  EXPECT_EQ(ShowAndRead(f, 390), "High");
  EXPECT_EQ(ShowAndRead(f, 405), "Enable");
}

TEST_F(NavWindowTest, SignedDopAndSystemModesWithoutAName) {
  Llh f;
  f.hdop = static_cast<int16_t>(0xFFF6);
  EXPECT_EQ(ShowAndRead(f, 255), "-1.0");
  f.status = 0x45;  // system mode 5, sky search
  EXPECT_EQ(ShowAndRead(f, 420), "");
  EXPECT_TRUE(view.screen.Has(At(16, 420, "System Mode:        ")));
  EXPECT_EQ(NavValue(view.screen, 435), "Sky Search");
  f.status = 7;
  EXPECT_EQ(ShowAndRead(f, 420), "");
  f.status = 4;
  EXPECT_EQ(ShowAndRead(f, 420), "Fault");
}

TEST_F(NavWindowTest, SouthernLatitudes) {
  Llh f;
  f.latDeg = -0.5;
  EXPECT_EQ(ShowAndRead(f, 15), "S  000 30'00.000\" (Deg)");
  f.latDeg = -12.5;
  EXPECT_EQ(ShowAndRead(f, 15), "S  012 30'00.000\" (Deg)");
}

TEST_F(NavWindowTest, TheUpdateDrawsOnlyTheValuesAndEachCoversALongerPreviousOne) {
  Llh f;
  f.altitude = -12345.25f;
  record = f.Record();
  page.ShowRecord(record);  // the first record: the whole page, without the waiting note
  view.screen = RecordingCanvas{};
  page.ShowRecord(record);  // then the host draws the values at once
  const std::string longAlt = At(145, 45, Value("-12345.25 m"));
  EXPECT_TRUE(view.screen.Has(longAlt));
  EXPECT_FALSE(view.screen.Has("bitmap 1 1"));
  EXPECT_FALSE(view.screen.Has(At(16, 15, "Lat:                ")));

  f.altitude = 1.5f;
  NavLlhRecord shorter = f.Record();
  page.ShowRecord(shorter);
  // The same field, the same width: the shorter text ends in blanks over the old one's end.
  EXPECT_TRUE(view.screen.Has(At(145, 45, Value("1.50 m"))));
  EXPECT_EQ(Value("1.50 m").size(), Value("-12345.25 m").size());
}

TEST_F(NavWindowTest, RtkPageTogglesLabelsCaptionAndCheckMark) {
  const std::string caption = page.caption();
  ASSERT_EQ(page.PopupItems(), (std::vector<PopupItem>{{129, "Continuous"}, {32965, "One Shot"},
                                                       {32967, "RTK Mode"}, {32966, "Clear Data"}}));
  Llh f;
  f.hdop = 0;
  f.vdop = 0x4120;  // the float 10.0 spans both halves
  f.reserved = 2417;
  record = f.Record();
  page.ShowRecord(record);

  ASSERT_TRUE(page.OnCommand(32967));
  EXPECT_TRUE(page.rtkPage());
  EXPECT_EQ(page.caption(), "RTK " + caption);
  EXPECT_TRUE(page.PopupItems()[2].checked);
  EXPECT_EQ(view.events, (std::vector<std::string>{"invalidate", "caption RTK " + caption, "invalidate"}));
  const RecordingCanvas& c = view.screen;
  EXPECT_TRUE(c.Has(At(16, 165, "Clock Bias:         ")));
  EXPECT_TRUE(c.Has(At(16, 285, "Week Number:        ")));
  EXPECT_FALSE(c.Has(At(16, 270, "VDOP:               ")));
  EXPECT_FALSE(c.Has(At(16, 375, "Datum Number:       ")));
  EXPECT_EQ(NavValue(c, 165), "0.52 msec");
  EXPECT_EQ(NavValue(c, 180), "1.25 ppm");
  EXPECT_EQ(NavValue(c, 255), "10.00 sec");
  EXPECT_EQ(NavValue(c, 285), "2417");
  EXPECT_EQ(NavValue(c, 345), "56");  // the whole satellite byte
  EXPECT_EQ(NavValue(c, 360), "19");  // the status byte
  EXPECT_EQ(NavValue(c, 420), "");

  page.OnCommand(32967);
  EXPECT_FALSE(page.rtkPage());
  EXPECT_EQ(page.caption(), caption);
  EXPECT_FALSE(page.PopupItems()[2].checked);
  page.OnCommand(32967);
  page.OnCommand(32967);
  EXPECT_EQ(page.caption(), caption);
  EXPECT_TRUE(view.screen.Has(At(16, 165, "Ground Speed:       ")));
}

TEST_F(NavWindowTest, ClearDataKeepsThePageAndTheNextRecordShowsAtOnce) {
  record = Llh{}.Record();
  page.ShowRecord(record);
  page.OnCommand(32967);
  ASSERT_TRUE(page.OnCommand(32966));
  EXPECT_FALSE(page.hasRecord());
  EXPECT_TRUE(page.rtkPage());
  EXPECT_EQ(view.events.back(), "invalidate");
  EXPECT_EQ(NavValue(view.screen, 15), "");  // labels only
  EXPECT_TRUE(view.screen.Has(At(16, 15, "Lat:                ")));

  Llh f;
  f.latDeg = -12.5;
  NavLlhRecord next = f.Record();
  page.ShowRecord(next);
  EXPECT_EQ(view.events.back(), "values");
  EXPECT_TRUE(view.screen.Has(At(145, 15, Value("S  012 30'00.000\" (Deg)"))));
}

TEST_F(NavWindowTest, RequestItemsSendMessage20) {
  page.OnCommand(129);
  page.OnCommand(32965);
  ASSERT_EQ(port.sent.size(), 2u);
  EXPECT_EQ(port.sent[0][1], 20 + 128);
  EXPECT_EQ(port.sent[1][1], 20);
  EXPECT_FALSE(page.OnCommand(32968));  // not an item of this window
}

TEST(NavGpsWindowTest, CaptionLayoutAndValues) {
  CNavGPSWnd page(PageContext{});
  page.OnCreate("Navigation GPS Solution - Msg 21");
  EXPECT_EQ(page.caption(), "Navigation GPS Solution (ID21)");
  RecordingPageView view(page);

  std::vector<uint8_t> p(79);
  ByteWriter w(p);
  w.Put(302412.125).Put<uint16_t>(2396).Put(1257493.294).Put(-4298358.224).Put(4526111.821);
  w.Put(0.1f).Put(0.25f).Put(-0.5f).Put(1.25e-4).Put(0.03).Put(2.5f).Put(3.75f);
  w.Put<uint16_t>(9).Put<uint16_t>(65535).Put<uint8_t>(0x20 | 12).Put<uint8_t>(8);
  NavXyzRecord r;
  r.Assign(p);
  page.ShowRecord(r);
  view.Repaint();
  const RecordingCanvas& c = view.screen;
  auto has = [&](int x, int y, const std::string& t) { return c.Has(At(x, y, Value(t))); };
  EXPECT_TRUE(c.Has(At(16, 30, "Pos X(m):")));
  EXPECT_TRUE(has(105, 30, "1257493.29"));
  EXPECT_TRUE(has(105, 45, "-4298358.22"));
  EXPECT_TRUE(has(105, 105, "-0.50"));
  EXPECT_TRUE(has(105, 120, "0.000125000"));
  EXPECT_TRUE(has(105, 135, "0.030000000"));
  EXPECT_TRUE(has(105, 180, "0.9"));
  EXPECT_TRUE(has(105, 195, "6553.5"));  // unsigned in this message
  EXPECT_TRUE(has(105, 210, "Invalid Mode  12"));
  EXPECT_TRUE(has(16, 225, "GPS Week: 2396 Sec:302412.125000000"));
  EXPECT_TRUE(has(105, 240, "8"));
  EXPECT_EQ(page.PopupItems(), (std::vector<PopupItem>{{129, "Continuous"}, {32965, "One Shot"}, {32966, "Clear Data"}}));
}

}  // namespace
}  // namespace orv
