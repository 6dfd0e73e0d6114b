// The menu bar of each protocol: popups in place, hidden items gone, Quenmarsh items in binary
// mode only, no separator left last, and the top-level "&Stop" rule.
#include <gtest/gtest.h>

#include <algorithm>

#include "ids/CommandIds.h"
#include "app/MenuModel.h"
#include "app/ToolbarModel.h"
#include "app/WindowCommands.h"

namespace orv {
namespace {

std::vector<std::string> TopTexts(const MenuItems& bar) {
  std::vector<std::string> out;
  for (const auto& m : bar) out.push_back(m.text);
  return out;
}

bool AnyTextAnywhere(const MenuItems& items, const std::string& text) {
  for (const auto& m : items) {
    if (m.text == text) return true;
    if (m.isPopup() && AnyTextAnywhere(m.items, text)) return true;
  }
  return false;
}

void ExpectNoSeparatorLast(const MenuItems& items, const std::string& where) {
  if (!items.empty()) {
    EXPECT_FALSE(items.back().isSeparator()) << where;
  }
  for (const auto& m : items) {
    if (m.isPopup()) ExpectNoSeparatorLast(m.items, m.text);
  }
}

TEST(MenuModelTest, ProtocolPopupsGoBeforeHelpInBothModes) {
  const std::vector<std::string> expected = {"File/&Port", "&View", "&Window", "Tool &Setting", "Xmit &Msg", "&Help"};
  EXPECT_EQ(TopTexts(BuildMenuBar(kProtocolKtx)), expected);
  EXPECT_EQ(TopTexts(BuildMenuBar(kProtocolNmea)), expected);
}

TEST(MenuModelTest, HiddenItemsAreDefinedButNeverBuiltIntoTheBar) {
  // The source popups carry them, so the rule has something to remove.
  MenuItems raw = BaseMenu();
  for (int p : {kProtocolKtx, kProtocolNmea}) {
    MenuItems popups = ProtocolPopups(p);
    raw.insert(raw.end(), popups.begin(), popups.end());
  }
  for (int id : {cmd::kSuperUserSetting, cmd::kSuperUserXmit, cmd::kSuperUserNmea, cmd::kProgrammingUtility,
                 cmd::kHelpTopics}) {
    EXPECT_NE(FindCommand(raw, id), nullptr) << id;
  }
  for (int p : {kProtocolKtx, kProtocolNmea}) {
    const MenuItems bar = BuildMenuBar(p);
    EXPECT_FALSE(AnyTextAnywhere(bar, "Super User"));
    EXPECT_FALSE(AnyTextAnywhere(bar, "&Programming Utility"));
    EXPECT_EQ(FindCommand(bar, cmd::kHelpTopics), nullptr);
    EXPECT_NE(FindCommand(bar, cmd::kAbout), nullptr);  // Help keeps its other item
    ExpectNoSeparatorLast(bar, "bar");
  }
}

TEST(MenuModelTest, QuenmarshItemsOnlyInBinaryMode) {
  const MenuItems ktx = BuildMenuBar(kProtocolKtx);
  const MenuItem* tools = FindPopup(ktx, "Tool &Setting");
  const MenuItem* windows = FindPopup(ktx, "&Window");
  ASSERT_NE(tools, nullptr);
  ASSERT_NE(windows, nullptr);
  EXPECT_NE(FindPopup(tools->items, "Quenmarsh"), nullptr);
  EXPECT_NE(FindPopup(windows->items, "Quenmarsh"), nullptr);
  EXPECT_NE(FindCommand(ktx, cmd::kViewQuenmarshBar), nullptr);
  EXPECT_NE(FindCommand(ktx, cmd::kDownloadFile), nullptr);
  EXPECT_NE(FindCommand(ktx, cmd::kWndFileHeader), nullptr);

  const MenuItems nmea = BuildMenuBar(kProtocolNmea);
  EXPECT_FALSE(AnyTextAnywhere(nmea, "Quenmarsh"));
  EXPECT_EQ(FindCommand(nmea, cmd::kViewQuenmarshBar), nullptr);
  EXPECT_NE(FindCommand(nmea, cmd::kViewWindowBar), nullptr);
}

TEST(MenuModelTest, EachModeHasItsOwnWindowsAndRequests) {
  const MenuItems ktx = BuildMenuBar(kProtocolKtx);
  const MenuItems nmea = BuildMenuBar(kProtocolNmea);
  EXPECT_NE(FindCommand(ktx, cmd::kWndLlh), nullptr);
  EXPECT_NE(FindCommand(ktx, cmd::kRequestAll), nullptr);
  EXPECT_EQ(FindCommand(ktx, cmd::kWndNmeaGga), nullptr);
  EXPECT_NE(FindCommand(ktx, cmd::kSwitchToNmea), nullptr);

  EXPECT_NE(FindCommand(nmea, cmd::kWndNmeaGga), nullptr);
  EXPECT_NE(FindCommand(nmea, cmd::kNmeaSelfTest), nullptr);
  EXPECT_EQ(FindCommand(nmea, cmd::kWndLlh), nullptr);
  EXPECT_EQ(FindCommand(nmea, cmd::kRequestAll), nullptr);
  EXPECT_NE(FindCommand(nmea, cmd::kSwitchToKtx), nullptr);
  // The binary link windows stay reachable from the "KTX Window" popup.
  const MenuItem* ktxWindow = FindPopup(nmea, "KTX Window");
  ASSERT_NE(ktxWindow, nullptr);
  EXPECT_EQ(AllCommands(ktxWindow->items),
            (std::vector<int>{cmd::kWndDisplayMessages, cmd::kWndTerminal, cmd::kWndTerminalAux}));
  const MenuItem* request = FindCommand(ktx, cmd::kRequestAll);
  EXPECT_EQ(request->text, "&Request All (ID20,22,23, 65)");
}

TEST(MenuModelTest, EveryWindowCommandIsReachableInOneModeOrTheOther) {
  const std::vector<int> ktx = AllCommands(BuildMenuBar(kProtocolKtx));
  const std::vector<int> nmea = AllCommands(BuildMenuBar(kProtocolNmea));
  for (const auto& w : WindowCommandTable()) {
    const bool found = std::count(ktx.begin(), ktx.end(), w.command) + std::count(nmea.begin(), nmea.end(), w.command);
    EXPECT_TRUE(found) << w.command;
  }
}

// Main-port recording is the one command with two items ("Save Incomming &Data" and
// "Save &Data" > "&Main Port"); every other command has one.
TEST(MenuModelTest, CommandIdentifiersAreUniqueWithinABar) {
  for (int p : {kProtocolKtx, kProtocolNmea}) {
    std::vector<int> ids = AllCommands(BuildMenuBar(p));
    EXPECT_EQ(std::count(ids.begin(), ids.end(), cmd::kSaveMainPortData), 2) << "protocol " << p;
    ids.erase(std::remove(ids.begin(), ids.end(), cmd::kSaveMainPortData), ids.end());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "protocol " << p;
  }
}

TEST(MenuModelTest, StopItemFollowsTheInputsAndTheEightItemLimit) {
  MenuItems bar = BuildMenuBar(kProtocolKtx);
  const std::size_t base = bar.size();
  EXPECT_FALSE(ApplyStopItem(bar, false));
  EXPECT_TRUE(ApplyStopItem(bar, true));
  ASSERT_EQ(bar.size(), base + 1);
  EXPECT_EQ(bar.back().text, "&Stop");
  EXPECT_EQ(bar.back().id, cmd::kStop);
  EXPECT_FALSE(ApplyStopItem(bar, true));  // never twice
  EXPECT_TRUE(ApplyStopItem(bar, false));
  EXPECT_EQ(bar.size(), base);
  EXPECT_EQ(FindCommand(bar, cmd::kStop)->text, "&Stop");  // the File menu's own item stays

  bar.push_back(MenuPopup("x", {}));
  bar.push_back(MenuPopup("y", {}));
  ASSERT_EQ(bar.size(), 8u);
  EXPECT_FALSE(ApplyStopItem(bar, true));
}

TEST(MenuModelTest, TrailingSeparatorsGoAtEveryDepth) {
  MenuItems items = {MenuPopup("a", {MenuCommand(1, "one"), MenuSeparator(), MenuSeparator()}), MenuSeparator()};
  RemoveTrailingSeparators(items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].items.size(), 1u);
}

TEST(MenuModelTest, TextsWithoutMnemonicsAndPromptParts) {
  EXPECT_EQ(PlainMenuText("File/&Port"), "File/Port");
  EXPECT_EQ(PlainMenuText("DOP && Active SVs"), "DOP & Active SVs");
  EXPECT_EQ(PromptStatusText("Quenmarsh Download File\nDownload File"), "Quenmarsh Download File");
  EXPECT_EQ(PromptTip("Quenmarsh Download File\nDownload File"), "Download File");
  EXPECT_EQ(PromptTip("no tip"), "");
}

TEST(ToolbarModelTest, SixBarsInCreationOrderWithTheirTitlesAndCommands) {
  const auto bars = Toolbars();
  ASSERT_EQ(bars.size(), 6u);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Help", 32868}, {"Tool/Setting", 32870}, {"Window", 32869}, {"File/Port utilities", 32871}, {"Utility", 33069}, {"Quenmarsh", 32872}};
  for (std::size_t i = 0; i < bars.size(); ++i) {
    EXPECT_EQ(bars[i].title, expected[i].first);
    EXPECT_EQ(bars[i].viewCommand, expected[i].second);
  }
  EXPECT_FALSE(bars[0].initiallyVisible);
  EXPECT_FALSE(bars[1].initiallyVisible);
  EXPECT_TRUE(bars[2].initiallyVisible);
  EXPECT_TRUE(bars[3].initiallyVisible);
  EXPECT_FALSE(bars[4].initiallyVisible);
  EXPECT_TRUE(bars[5].initiallyVisible);
  // Each button of a baud bar sets the rate it shows.
  EXPECT_EQ(BaudButtonRate(cmd::kBaud2400), 2400);
  EXPECT_EQ(BaudButtonRate(cmd::kBaud115200), 115200);
  EXPECT_EQ(BaudButtonRate(cmd::kBaud4800), 4800);
  EXPECT_EQ(BaudButtonRate(cmd::kStop), 0);
}

}  // namespace
}  // namespace orv

#include "forms/FileFilter.h"

namespace orv {
namespace {

TEST(FileFilterTest, PairsOfDescriptionAndPatternsUpToTheClosingBars) {
  const auto f = ParseFileFilter("Log Files (*.log) |*.log|All Files (*.*) |*.*||");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].description, "Log Files (*.log)");
  EXPECT_EQ(f[0].patterns, std::vector<std::string>{"*.log"});
  EXPECT_EQ(f[1].description, "All Files (*.*)");
  EXPECT_EQ(f[1].patterns, std::vector<std::string>{"*.*"});
  EXPECT_EQ(ParseFileFilter("Almanac (*.alm;*.txt)|*.alm;*.txt||")[0].patterns,
            (std::vector<std::string>{"*.alm", "*.txt"}));
  EXPECT_TRUE(ParseFileFilter("").empty());
  EXPECT_TRUE(ParseFileFilter("Dangling description").empty());
  EXPECT_EQ(ParseFileFilter("A|*.a|B").size(), 1u);
}

}  // namespace
}  // namespace orv
