// The menu bar as data: popups, items with command identifiers, texts and status-bar prompts.
// The frame builds it for the protocol it talks, applies the rules that hide items and keeps
// the top-level "&Stop" item in step with the inputs; the desktop only renders it.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace orv {

inline constexpr int kProtocolNmea = 0;
inline constexpr int kProtocolKtx = 1;

struct MenuItem {
  enum class Kind { Command, Popup, Separator };
  Kind kind = Kind::Command;
  int id = 0;  // the command of a Command item; 0 otherwise
  std::string text;
  // Status-bar text, then after a newline the short tip a toolbar button shows (either part
  // may be empty).
  std::string prompt;
  std::vector<MenuItem> items;  // the content of a Popup

  bool isSeparator() const { return kind == Kind::Separator; }
  bool isPopup() const { return kind == Kind::Popup; }
};

using MenuItems = std::vector<MenuItem>;

MenuItem MenuCommand(int id, std::string text, std::string prompt = {});
MenuItem MenuPopup(std::string text, MenuItems items);
MenuItem MenuSeparator();

// "File/&Port", "&View" and "&Help", before any protocol popup is inserted.
MenuItems BaseMenu();
// "&Window", "Tool &Setting" and "Xmit &Msg" of a protocol as they are defined, hidden items
// and Quenmarsh additions not yet applied.
MenuItems ProtocolPopups(int protocolSelector);
// The whole bar for a protocol: the base menu with the three popups inserted before its last
// item, the Quenmarsh items in binary mode only, and the hiding rules applied.
MenuItems BuildMenuBar(int protocolSelector);

// Items that are never shown.
std::span<const int> HiddenCommands();
// Removes every Command item with one of `ids`, at any depth.
void RemoveCommands(MenuItems& items, std::span<const int> ids);
// Removes separators left last in a popup, at any depth (repeatedly, so none is left last).
void RemoveTrailingSeparators(MenuItems& items);

// The top-level "&Stop" item: added (at the end) while something Stop would close is open and
// the bar has fewer than 8 items, removed when nothing is. Returns true when the bar changed.
bool ApplyStopItem(MenuItems& bar, bool anyStoppableActive);

// Depth-first search; null when absent.
const MenuItem* FindCommand(const MenuItems& items, int id);
const MenuItem* FindPopup(const MenuItems& items, const std::string& text);
// Every command identifier in the tree, depth first.
std::vector<int> AllCommands(const MenuItems& items);

// The text without its mnemonic marks ("File/&Port" -> "File/Port"; "&&" stays one "&").
std::string PlainMenuText(const std::string& text);
// The status-bar part and the tip part of a prompt.
std::string PromptStatusText(const std::string& prompt);
std::string PromptTip(const std::string& prompt);

}  // namespace orv
