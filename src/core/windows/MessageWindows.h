// The pages of the open message windows and their links into the decoders. The frame's window
// commands create and forget windows; this keeps one page per open window, links it into the
// data store of its decoder while the frame delivers to it, and destroys it when the frame
// forgets the window, so the next open starts afresh.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "app/WindowCommands.h"
#include "platform/CommandSink.h"
#include "protocol/FrameEncoder.h"
#include "protocol/MessageDecoder.h"
#include "windows/Page.h"

namespace orv {

class MessageWindows {
 public:
  // `base` is the decoder of the base station file of synchronized playback; `frame` receives
  // the commands the pages post.
  MessageWindows(WindowToggles& toggles, MessageDecoder& main, MessageDecoder& base, FrameEncoder& encoder,
                 CommandSink& frame);
  MessageWindows(const MessageWindows&) = delete;
  MessageWindows& operator=(const MessageWindows&) = delete;
  // Unlinks every page from the decoders before the pages go.
  ~MessageWindows();

  // Whether the window that `command` toggles shows a page of this framework.
  static bool HasPage(int command);

  // The page of a window the frame is creating with `title`: a new one unless the window
  // already has one. Null for a window without a page.
  Page* Open(int command, const std::string& title);
  Page* page(int command) const;
  // The page is linked into its decoder: it is told of every new record.
  bool linked(int command) const;

 private:
  struct OpenPage {
    std::unique_ptr<Page> page;
    bool linked = false;
  };
  void Deliver(int command, bool on);
  void Link(int command, Page* page);

  WindowToggles& toggles_;
  MessageDecoder& main_;
  MessageDecoder& base_;
  FrameEncoder& encoder_;
  CommandSink& frame_;
  std::map<int, OpenPage> open_;
};

}  // namespace orv
