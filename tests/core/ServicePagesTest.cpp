// The service windows: every window of the menus opens with a page, the memory-information and
// file-header answers are stored only while their windows are open, and the hexadecimal pages
// show what their messages carried.
#include <gtest/gtest.h>

#include "app/ConsolePages.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "app/WindowCommands.h"
#include "ids/CommandIds.h"
#include "maintenance/InfoWindows.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"
#include "support/RecordingPageView.h"

namespace orv {
namespace {

class ServicePagesTest : public ::testing::Test {
 protected:
  ServicePagesTest()
      : frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); }),
        commands(frame, host),
        windows(frame, commands.windows(), host) {
    frame.mainDecoder().SetTimeGateOpen(1);
  }
  void Feed(uint8_t id, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes = test::Frame(id, payload);
    frame.mainDecoder().Decode(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  static std::vector<uint8_t> Counting(uint8_t first, std::size_t n) {
    std::vector<uint8_t> p(n);
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(first + i);
    return p;
  }

  test::FakeDesktop desk;
  CMainFrame frame;
  test::FakeShellHost host;
  FrameCommands commands;
  ConsolePages windows;
};

// The two terminals show text, not a page: the desktop gives them a text view of their own.
TEST_F(ServicePagesTest, EveryWindowOfTheMenusHasAPage) {
  std::vector<std::string> blank;
  for (const WindowCommandInfo& w : WindowCommandTable()) {
    if (w.command == cmd::kWndTerminal || w.command == cmd::kWndTerminalAux) continue;
    if (!windows.HasPage(w.command)) blank.push_back(w.caption);
  }
  EXPECT_EQ(blank, std::vector<std::string>{});
  for (const PageKind& kind : ServicePageKinds()) {
    const WindowCommandInfo* info = FindWindowCommand(kind.command);
    ASSERT_NE(info, nullptr) << kind.command;
    commands.OnCommand(kind.command);
    Page* page = windows.page(kind.command);
    ASSERT_NE(page, nullptr) << info->caption;
    EXPECT_TRUE(windows.linked(kind.command)) << info->caption;
    test::RecordingPageView view(*page);
    view.Repaint();  // labels only, nothing received
    EXPECT_FALSE(page->hasRecord());
    commands.OnCommand(kind.command);
  }
}

TEST_F(ServicePagesTest, MemoryInformationAndFileHeaderAreStoredOnlyWhileTheirWindowsAreOpen) {
  Feed(70, [] { auto p = Counting(0x10, 18); p[0] = 7; return p; }());
  Feed(70, [] { auto p = Counting(0x40, 130); p[0] = 8; return p; }());
  EXPECT_EQ(frame.mainDecoder().store().memoryInfo().bytes()[0], 0);
  EXPECT_EQ(frame.mainDecoder().store().fileHeader().bytes()[0], 0);
  commands.OnCommand(cmd::kWndMemoryInformation);
  commands.OnCommand(cmd::kWndFileHeader);
  Feed(70, [] { auto p = Counting(0x10, 18); p[0] = 7; return p; }());
  Feed(70, [] { auto p = Counting(0x40, 130); p[0] = 8; return p; }());
  EXPECT_EQ(frame.mainDecoder().store().memoryInfo().bytes()[0], 0x11);
  EXPECT_EQ(frame.mainDecoder().store().fileHeader().bytes()[128], static_cast<uint8_t>(0x41 + 128));
  EXPECT_TRUE(windows.page(cmd::kWndMemoryInformation)->hasRecord());
  EXPECT_TRUE(windows.page(cmd::kWndFileHeader)->hasRecord());
  commands.OnCommand(cmd::kWndMemoryInformation);
  commands.OnCommand(cmd::kWndFileHeader);
  Feed(70, [] { auto p = Counting(0x90, 18); p[0] = 7; return p; }());
  EXPECT_EQ(frame.mainDecoder().store().memoryInfo().bytes()[0], 0x11);  // closed: not stored
}

TEST_F(ServicePagesTest, IonoUtcShowsItsBytesInHexadecimalRows) {
  commands.OnCommand(cmd::kWndIonoUtc);
  Page* page = windows.page(cmd::kWndIonoUtc);
  ASSERT_NE(page, nullptr);
  test::RecordingPageView view(*page);
  Feed(75, Counting(0xA0, 40));
  ASSERT_TRUE(page->hasRecord());
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("text 16 40 00:"));
  EXPECT_TRUE(view.screen.Has("text 16 100 20:"));
  bool row = false;
  for (const std::string& t : view.screen.Texts()) row = row || t.find("A0A1 A2A3 A4A5 A6A7") != std::string::npos;
  EXPECT_TRUE(row);
}

TEST_F(ServicePagesTest, VariableBlocksFollowTheirLengthAndStayInBounds) {
  commands.OnCommand(cmd::kWndVelmoraAte);
  auto* ate = dynamic_cast<CVelmoraAteWnd*>(windows.page(cmd::kWndVelmoraAte));
  ASSERT_NE(ate, nullptr);
  std::vector<uint8_t> p = Counting(0, 255);
  p[0] = 10;
  Feed(2, p);
  EXPECT_EQ(ate->data().size(), 254u);
  test::RecordingPageView view(*ate);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("text 16 280 F0:   "));
  p.resize(4);
  Feed(2, p);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has("text 16 280       "));  // a shorter message leaves no old rows

  commands.OnCommand(cmd::kWndFpuMemoryDump);
  Page* fpu = windows.page(cmd::kWndFpuMemoryDump);
  ASSERT_NE(fpu, nullptr);
  test::RecordingPageView fpuView(*fpu);
  Feed(114, {4, 0x3C, 20, 1, 2, 3});  // 20 claimed, 3 carried
  fpuView.Repaint();
  EXPECT_TRUE(fpuView.screen.Has("text 120 15 0x3C                "));
  bool zeros = false;
  for (const std::string& t : fpuView.screen.Texts()) zeros = zeros || t.find("0102 0300 0000") != std::string::npos;
  EXPECT_TRUE(zeros);
}

}  // namespace
}  // namespace orv
