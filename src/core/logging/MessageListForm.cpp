// The message list's labels, the messages that may be requested and the requests sent.
#include "logging/MessageListForm.h"

#include <algorithm>
#include <iterator>

namespace orv {

namespace {
struct NamedMessage {
  int number;
  const char* name;
};
constexpr NamedMessage kNames[] = {
    {2, "2, ATE Controller Data"},        {6, "6, Assignment data (ch1-6)"},
    {7, "7, Assignment data (ch7-12)"},   {20, "20, Navigation data (user coor)"},
    {21, "21, Navigation data (XYZ coor)"}, {22, "22, Ephemeris (ICD-GPS200)"},
    {23, "23, Measurement 10Hz"},         {33, "33, Satellites Status"},
    {43, "43, DGPS Configuration"},       {45, "45, HW/SW PArt Number"},
    {47, "47, Base Station Status"},      {48, "48, DGPS Status"},
    {49, "49, Receiver Status"},          {50, "50, Satellites health summary"},
    {51, "51, Initiated BIT result"},     {57, "57, Fault Log"},
    {60, "60, Memory dump (16 bytes)"},   {61, "61, Memory dump (32 bytes)"},
    {62, "62, Memory dump (64 bytes)"},   {65, "65, Raw DGPS"},
    {68, "68, WAAS Status"},              {76, "76, Almanac Data"},
    {78, "78, Almanac reception Status"}, {83, "83, RTCM Msg retrans."},
    {85, "85, Beacon Receiver Status"},   {111, "111, Complete System Profile"},
    {113, "113, Timing Information"},     {124, "124, Profiler"},
    {125, "125, Link overload"},          {126, "126, Acknoledge"},
};

// Messages only the receiver sends. The numbers the console also sends (2, 70, 76, 78, 83,
// 114) and the requests that start something (51 a built-in test, 60-62 a memory dump) are
// left out, as are the acknowledgement 126 and every command number.
constexpr int kRequestable[] = {6,  7,  18, 19, 20, 21, 22,  23,  33,  43,  45,  47, 48,
                                49, 50, 57, 65, 66, 67, 68, 75, 85, 111, 113, 124, 125};
}  // namespace

std::string MessageListLabel(int n) {
  for (const NamedMessage& m : kNames) {
    if (m.number == n) return m.name;
  }
  return "Msg " + std::to_string(n);
}

bool IsRequestableMessage(int n) {
  return std::find(std::begin(kRequestable), std::end(kRequestable), n) != std::end(kRequestable);
}

std::vector<RecordingRequest> SelectionRequests(const MessageSelection& selection) {
  std::vector<RecordingRequest> out;
  for (int n = 1; n <= 127; ++n) {
    if (selection[static_cast<std::size_t>(n)] == 0 || !IsRequestableMessage(n)) continue;
    // Message 6 brings 7 with it.
    if (n == 7 && selection[6] != 0) continue;
    switch (n) {
      case 23: out.push_back({3023, kContinuous}); break;
      case 45:
      case 47: out.push_back({n, kOneShot}); break;
      case 57: out.push_back({41, kContinuous}); break;
      default: out.push_back({n, kContinuous}); break;
    }
  }
  return out;
}

std::vector<RecordingRequest> AutomaticLogRequests() {
  return {{20, kContinuous}, {21, kContinuous}, {22, kContinuous},
          {33, kContinuous}, {45, kContinuous}, {49, kContinuous}};
}

MessageListForm::MessageListForm(const MessageSelection& selection) : form_("KTX Binary Messages list") {
  std::vector<std::string> labels;
  for (int n = 1; n <= 127; ++n) labels.push_back(MessageListLabel(n));
  FormField& grid = form_.AddCheckGrid(kMessages, "", std::move(labels), kColumns);
  grid.optionEnabled.assign(127, false);
  for (int n = 1; n <= 127; ++n) {
    const std::size_t i = static_cast<std::size_t>(n - 1);
    grid.optionEnabled[i] = IsRequestableMessage(n);
    grid.optionChecked[i] = IsRequestableMessage(n) && selection[static_cast<std::size_t>(n)] != 0;
  }
  form_.AddOkCancel();
}

MessageSelection MessageListForm::Selection() const {
  MessageSelection s{};
  for (int i : form_.CheckedBoxes(kMessages)) {
    if (i >= 0 && i < 127 && IsRequestableMessage(i + 1)) s[static_cast<std::size_t>(i + 1)] = 1;
  }
  return s;
}

}  // namespace orv
