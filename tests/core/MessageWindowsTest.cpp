// The life cycle of the message windows through the frame's commands: a page per open window,
// linked into its decoder while the frame delivers to it, gone when the frame forgets the
// window; and the catalogue of windows with their captions, fonts and popup items.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "ids/CommandIds.h"
#include "app/ConsolePages.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "windows/MessageWindows.h"
#include "windows/NavWindows.h"

namespace orv {
namespace {

class MessageWindowsTest : public ::testing::Test {
 protected:
  MessageWindowsTest()
      : frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); }),
        commands(frame, host),
        windows(frame, commands.windows(), host) {
    frame.encoder().AttachRawDisplay(&sent);
    // As while an input is open.
    frame.mainDecoder().SetTimeGateOpen(1);
  }

  void Feed(ReceiverDecoder& decoder, uint8_t id, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes = test::Frame(id, payload);
    decoder.Decode(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  // The ID bytes of the frames the encoder sent.
  std::vector<int> SentIds() const {
    std::vector<int> ids;
    for (const auto& f : sent.transmitted) ids.push_back(f[1]);
    return ids;
  }

  test::FakeDesktop desk;
  CMainFrame frame;
  test::FakeShellHost host;
  FrameCommands commands;
  ConsolePages windows;
  test::RecordingRawDisplay sent;
};

TEST_F(MessageWindowsTest, TheCommandOpensALinkedPageAndTheSecondCommandDestroysIt) {
  commands.OnCommand(cmd::kWndLlh);
  Page* page = windows.page(cmd::kWndLlh);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(windows.linked(cmd::kWndLlh));
  EXPECT_EQ(page->caption(), "Navigation Window (User Coor) - Msg 20");
  test::RecordingPageView view(*page);

  // The first record repaints the window whole (its waiting note goes); later ones take the
  // update path.
  Feed(frame.mainDecoder(), 20, std::vector<uint8_t>(71, 0));
  EXPECT_TRUE(page->hasRecord());
  Feed(frame.mainDecoder(), 20, std::vector<uint8_t>(71, 0));
  EXPECT_EQ(view.events, (std::vector<std::string>{"invalidate", "values"}));

  commands.OnCommand(cmd::kWndLlh);
  EXPECT_EQ(windows.page(cmd::kWndLlh), nullptr);
  EXPECT_FALSE(windows.linked(cmd::kWndLlh));
  EXPECT_EQ(frame.mainDecoder().store().links().navigation, nullptr);
  EXPECT_FALSE(view.attached());  // the host was told before the page went
  EXPECT_EQ(view.events.back(), "gone");
  Feed(frame.mainDecoder(), 20, std::vector<uint8_t>(71, 0));  // nobody is told
  EXPECT_FALSE(frame.config().windowOpen(cmd::kWndLlh));
}

TEST_F(MessageWindowsTest, ClosingByTheCloseBoxThenReopeningGivesAFreshPage) {
  commands.OnCommand(cmd::kWndLlh);
  auto* nav = dynamic_cast<CNavWnd*>(windows.page(cmd::kWndLlh));
  ASSERT_NE(nav, nullptr);
  nav->OnCommand(CNavWnd::kRtkModeCommand);
  ASSERT_TRUE(nav->rtkPage());

  // The user closes the window: its host is gone, its command is posted.
  host.hosts.erase(cmd::kWndLlh);
  commands.windows().OnHostClosed(cmd::kWndLlh);
  ASSERT_EQ(host.posted, std::vector<int>{cmd::kWndLlh});
  EXPECT_FALSE(frame.config().windowOpen(cmd::kWndLlh));
  // Until the posted command runs, records still reach the page harmlessly.
  Feed(frame.mainDecoder(), 20, std::vector<uint8_t>(71, 0));

  commands.OnCommand(host.posted.back());
  EXPECT_EQ(windows.page(cmd::kWndLlh), nullptr);
  EXPECT_EQ(frame.mainDecoder().store().links().navigation, nullptr);
  EXPECT_EQ(host.log, std::vector<std::string>{"create 32776"});  // not destroyed twice

  commands.OnCommand(cmd::kWndLlh);
  auto* fresh = dynamic_cast<CNavWnd*>(windows.page(cmd::kWndLlh));
  ASSERT_NE(fresh, nullptr);
  EXPECT_FALSE(fresh->rtkPage());
  EXPECT_FALSE(fresh->hasRecord());
  EXPECT_EQ(fresh->caption(), "Navigation Window (User Coor) - Msg 20");
  EXPECT_TRUE(frame.config().windowOpen(cmd::kWndLlh));
}

TEST_F(MessageWindowsTest, TheHostMayAskForThePageBeforeTheFrameLinksIt) {
  Page* early = windows.Open(cmd::kWndTiming, "Timing Information - Msg 113");
  ASSERT_NE(early, nullptr);
  EXPECT_EQ(early->caption(), "Timing Information (ID113)");
  EXPECT_FALSE(windows.linked(cmd::kWndTiming));
  commands.OnCommand(cmd::kWndTiming);
  EXPECT_EQ(windows.page(cmd::kWndTiming), early);
  EXPECT_TRUE(windows.linked(cmd::kWndTiming));
  EXPECT_EQ(windows.Open(cmd::kWndTerminal, "Terminal"), nullptr);  // no page of this framework
}

TEST_F(MessageWindowsTest, BaseMeasurementsAreLinkedIntoTheBaseDecoderAndSendNothing) {
  commands.OnCommand(cmd::kWndBaseMeasurements);
  commands.OnCommand(cmd::kWndMeasurements);
  Page* base = windows.page(cmd::kWndBaseMeasurements);
  Page* main = windows.page(cmd::kWndMeasurements);
  ASSERT_NE(base, nullptr);
  EXPECT_FALSE(base->hasBitmap());
  EXPECT_TRUE(main->hasBitmap());

  frame.secondDecoder().SetBaseFileFlag(1);
  std::vector<uint8_t> block(11 + 11, 0);
  block[2] = 1;
  Feed(frame.secondDecoder(), 23, block);
  EXPECT_TRUE(base->hasRecord());
  EXPECT_FALSE(main->hasRecord());
  Feed(frame.mainDecoder(), 23, block);
  EXPECT_TRUE(main->hasRecord());

  for (int item : {129, 32967, 32968, 32969, 32965}) base->OnCommand(item);
  EXPECT_TRUE(sent.transmitted.empty());
  for (int item : {129, 32967, 32968, 32969, 32965}) main->OnCommand(item);
  EXPECT_EQ(SentIds(), (std::vector<int>{23 + 128, 23 + 128, 23 + 128, 23 + 128, 23}));
  // The rate rides in the payload's first byte.
  EXPECT_EQ(sent.transmitted[3][4], 3);
}

TEST_F(MessageWindowsTest, DialogItemsPostTheFrameCommandWhichTheFrameAccepts) {
  commands.OnCommand(cmd::kWndTiming);
  commands.OnCommand(cmd::kWndBaseStatus);
  commands.OnCommand(cmd::kWndChannelAssignment);
  windows.page(cmd::kWndTiming)->OnCommand(32967);
  windows.page(cmd::kWndBaseStatus)->OnCommand(32967);
  windows.page(cmd::kWndBaseStatus)->OnCommand(32968);
  windows.page(cmd::kWndChannelAssignment)->OnCommand(32967);
  windows.page(cmd::kWndChannelAssignment)->OnCommand(32968);
  const std::vector<int> expected{cmd::kTimingParameters, cmd::kOperatingMode, cmd::kDiffMessageRate,
                                  cmd::kChannelDeselection, cmd::kTrackSvRequest};
  ASSERT_EQ(host.posted, expected);
  for (int posted : host.posted) EXPECT_TRUE(commands.OnCommand(posted)) << posted;
  for (int posted : {cmd::kSvDeselection, cmd::kMaskAngle, cmd::kDgpsConfiguration}) {
    EXPECT_TRUE(commands.OnCommand(posted)) << posted;
  }
  EXPECT_TRUE(sent.transmitted.empty());
}

TEST_F(MessageWindowsTest, DestroyingTheSetUnlinksEveryPage) {
  for (int c : {cmd::kWndLlh, cmd::kWndSvPosition, cmd::kWndBaseMeasurements}) commands.OnCommand(c);
  {
    ConsolePages other(frame, commands.windows(), host);
    commands.OnCommand(cmd::kWndXyz);
    EXPECT_NE(frame.mainDecoder().store().links().navigationXyz, nullptr);
  }
  EXPECT_EQ(frame.mainDecoder().store().links().navigationXyz, nullptr);
  Feed(frame.mainDecoder(), 21, std::vector<uint8_t>(79, 0));
}

// Every window of the framework: caption as the user sees it, font, corner bitmap, popup
// items in order, and the message its Continuous and One Shot items ask for.
struct Expected {
  int command;
  const char* caption;
  FontSpec font;
  bool bitmap;
  std::vector<std::string> popup;
  int request;  // -1: none
};

const std::vector<Expected>& Catalogue() {
  const FontSpec bold{kFaceSansSerif, 10, 700}, normal{kFaceSansSerif, 10, 400}, heavy{kFaceSansSerif, 10, 800};
  const FontSpec fixed{kFaceFixed, 8, 0};
  static const std::vector<Expected> all = {
      {32776, "Navigation Window (User Coor) - Msg 20", bold, true, {"Continuous", "One Shot", "RTK Mode", "Clear Data"}, 20},
      {32829, "Navigation GPS Solution (ID21)", bold, true, {"Continuous", "One Shot", "Clear Data"}, 21},
      {32777, "Ephemeris Window - Msg 22", bold, true, {"Continuous", "One Shot", "Clear Data"}, 22},
      {32778, "Measurements Window - Msg 23", bold, true, {"1 Hz", "2 Hz", "5 Hz", "10Hz", "One Shot", "Clear Data"}, 23},
      {32806, "Base Measurements Window - Msg 23", bold, false, {"1 Hz", "2 Hz", "5 Hz", "10Hz", "One Shot", "Clear Data"}, -1},
      {32824, "Channel Assignment Window - Msg 6 & 7", fixed, true,
       {"Continuous", "One Shot", "Deselect Channels", "Track SV", "Clear Data"}, 6},
      {32934, "SVs Status - Msg 33", normal, true,
       {"Continuous", "One Shot", "Deselect SVs", "Set Mask Angle", "Track SV", "Clear Data"}, 33},
      {32988, "SVs Position - Msg 33", heavy, true,
       {"Continuous", "One Shot", "Deselect SVs", "Set Mask Angle", "Show Mask Angle", "Track SV", "Clear Data"}, 33},
      {32989, "Satellites Health - Msg 50", heavy, true, {"Continuous", "One Shot", "Deselect SVs", "Clear Data"}, 50},
      {32899, "Base Status - Msg 47", bold, true,
       {"One Shot", "Continuous", "Set Operating Mode", "Set Diff. msg rate", "Clear Data"}, 47},
      {32834, "DGPS Status - Msg 48", normal, true, {"Continuous", "One Shot", "Clear Counters"}, 48},
      {33043, "DGPS Configuration Window - Msg 43", heavy, true,
       {"Continuous", "One Shot", "Set DGPS Config", "Clear Data"}, 43},
      {33047, "RTCM data message retransmission Window - Msg 83", heavy, true, {"Set DGPS Config", "Clear Data"}, -1},
      {32905, "WAAS Status - Msg 68", normal, true, {"Continuous", "One Shot", "Clear Counters"}, 68},
      {32947, "Receiver Status (ID49)", normal, true, {"Continuous", "One Shot", "Clear Data"}, 49},
      {32935, "Timing Information (ID113)", bold, true, {"Continuous", "One Shot", "Set Parameters", "Clear Data"}, 113},
      {32945, "System Profile (ID111)", normal, true, {"Continuous", "One Shot", "Clear Data"}, 111},
      {32910, "Fault Log - Msg 57", normal, false, {}, -1},
      {32839, "Predicted Solution Data - Msg 18", bold, true, {"Continuous", "One Shot", "Clear Data"}, 18},
      {32840, "Matched Solution Data - Msg 19", bold, true, {"Continuous", "One Shot", "Clear Data"}, 19},
      {32831, "HW/SW Configuration - Msg 45", fixed, true, {"One Shot", "Clear Data"}, 45},
  };
  return all;
}

TEST_F(MessageWindowsTest, EveryWindowOfTheFramework) {
  for (const Expected& e : Catalogue()) {
    SCOPED_TRACE(e.command);
    ASSERT_TRUE(windows.HasPage(e.command));
    commands.OnCommand(e.command);
    Page* page = windows.page(e.command);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(windows.linked(e.command));
    EXPECT_EQ(page->caption(), e.caption);
    EXPECT_EQ(page->font(), e.font);
    EXPECT_EQ(page->hasBitmap(), e.bitmap);
    std::vector<std::string> texts;
    for (const PopupItem& item : page->PopupItems()) texts.push_back(item.text);
    EXPECT_EQ(texts, e.popup);

    sent.transmitted.clear();
    page->OnCommand(129);
    page->OnCommand(32965);
    if (e.request < 0) {
      EXPECT_TRUE(sent.transmitted.empty());
    } else if (e.request == 45) {
      EXPECT_EQ(SentIds(), std::vector<int>{45});  // one shot only
    } else {
      EXPECT_EQ(SentIds(), (std::vector<int>{e.request + 128, e.request}));
    }
    // Without a record a paint shows labels only and never fails.
    test::RecordingPageView view(*page);
    view.Repaint();
    EXPECT_FALSE(view.screen.Has("bk opaque"));
  }
  EXPECT_EQ(Catalogue().size(), 21u);
}

// Every window open while frames of every message number arrive with random payloads of every
// length, extreme values and bad floating-point numbers included: each page draws each record
// it is told of and a full paint afterwards, and nothing reads or writes outside its buffers
// (the sanitizer build watches).
TEST_F(MessageWindowsTest, RandomFramesOfEveryKindNeverBreakAPage) {
  std::vector<std::unique_ptr<test::RecordingPageView>> views;
  for (const Expected& e : Catalogue()) {
    commands.OnCommand(e.command);
    ASSERT_NE(windows.page(e.command), nullptr) << e.command;
    views.push_back(std::make_unique<test::RecordingPageView>(*windows.page(e.command)));
  }
  frame.secondDecoder().SetTimeGateOpen(1);
  std::mt19937 rng(8122026);
  const uint8_t extremes[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, 0xFE};
  for (int round = 0; round < 6; ++round) {
    for (int id = 0; id < 128; ++id) {
      std::vector<uint8_t> payload(rng() % 256);
      for (uint8_t& b : payload) b = (rng() % 3 == 0) ? extremes[rng() % sizeof extremes] : static_cast<uint8_t>(rng());
      // The sub-ID routed messages mostly get a sub-ID they know.
      if (!payload.empty() && (id == 2 || id == 70 || id == 114) && rng() % 4 != 0) payload[0] = static_cast<uint8_t>(rng() % 12);
      Feed(frame.mainDecoder(), static_cast<uint8_t>(id), payload);
      Feed(frame.secondDecoder(), static_cast<uint8_t>(id), payload);
    }
    for (auto& view : views) view->Repaint();
  }
  EXPECT_GT(frame.mainDecoder().counters().validMessageCount, 700u);
  for (auto& view : views) EXPECT_FALSE(view->screen.calls.empty());
}

TEST_F(MessageWindowsTest, FaultLogHasAMenuBarInsteadOfAPopup) {
  commands.OnCommand(cmd::kWndFaultLog);
  Page* page = windows.page(cmd::kWndFaultLog);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->MenuBarItems(),
            (std::vector<PopupItem>{{32967, "Fault Data"}, {32968, "Clear Fault"}, {32966, "Clear Data"}}));
  page->OnCommand(32967);
  page->OnCommand(32968);
  ASSERT_EQ(SentIds(), (std::vector<int>{41 + 128, 100}));
  EXPECT_EQ(sent.transmitted[1].size(), 6u + 8u);  // the erase carries the command key
}

}  // namespace
}  // namespace orv
