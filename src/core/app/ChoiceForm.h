// A small modal form of radio-button groups and buttons, with read-only lines above them: the
// request mode dialog and the protocol dialog. The desktop renders it; tests fill it in.
#pragma once

#include <string>
#include <vector>

namespace orv {

struct ChoiceGroup {
  std::string title;
  std::vector<std::string> options;
  int selected = 0;
};

class ChoiceForm {
 public:
  std::string caption;
  std::vector<std::string> notes;
  std::vector<ChoiceGroup> groups;
  // Button texts; the first is the default button.
  std::vector<std::string> buttons;
  // The button that Escape or the close box stands for; -1: none.
  int cancelButton = -1;

  // Selects an option; out-of-range indices leave the form unchanged.
  void Select(std::size_t group, int option) {
    if (group < groups.size() && option >= 0 && static_cast<std::size_t>(option) < groups[group].options.size()) {
      groups[group].selected = option;
    }
  }
  int selected(std::size_t group) const { return group < groups.size() ? groups[group].selected : -1; }
};

}  // namespace orv
