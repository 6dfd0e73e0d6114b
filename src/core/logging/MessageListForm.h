// The "KTX Binary Messages list" dialog of a main-port recording: one check box per message
// number, and the requests a selection sends. Only messages the receiver sends can be asked
// for: requesting a command number (2, 63, 99, 100, 110 ...) would run that command.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "forms/Form.h"
#include "protocol/Frame.h"

namespace orv {

struct RecordingRequest {
  int code;
  RequestMode mode;
  bool operator==(const RecordingRequest&) const = default;
};

using MessageSelection = std::array<uint8_t, 128>;

// The box label of message n: the catalogue's name, or "Msg n".
std::string MessageListLabel(int n);
// Whether a request for message n asks the receiver for data (and so may be sent).
bool IsRequestableMessage(int n);
// The requests of a selection, in increasing message order: 23 as 3023 Continuous, 45 and 47
// One Shot, 57 as 41 Continuous, 7 skipped after 6, any other message Continuous.
std::vector<RecordingRequest> SelectionRequests(const MessageSelection& selection);
// Automatic logging in KTX Binary: 20, 21, 22, 33, 45 and 49, Continuous.
std::vector<RecordingRequest> AutomaticLogRequests();

class MessageListForm {
 public:
  static constexpr int kMessages = 1001;  // box i is message i + 1
  static constexpr int kColumns = 8;

  explicit MessageListForm(const MessageSelection& selection);
  MessageListForm(const MessageListForm&) = delete;
  MessageListForm& operator=(const MessageListForm&) = delete;

  Form& form() { return form_; }
  MessageSelection Selection() const;

 private:
  Form form_;
};

}  // namespace orv
