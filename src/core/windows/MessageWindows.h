// The pages of the open message windows and their links into the decoders. The frame's window
// commands create and forget windows and tell this set so (Deliver); it keeps one page per open
// window, links it into its decoder while the frame delivers to it, and destroys it when the
// frame forgets the window, so the next open starts afresh. Which page class shows which window
// comes from catalogues: each layer that has pages lists its own.
#pragma once

#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "nmea/NmeaEncoder.h"
#include "nmea/ReceiverDecoder.h"
#include "platform/WindowGeometry.h"
#include "protocol/FrameEncoder.h"
#include "windows/Page.h"

namespace orv {

// What a page can be linked into: its decoder (the data store's links, the NMEA store's links
// and the decoder's own count, raw display and log summary links) and the encoders that show
// what they send. The encoders are null for a page of the base station's decoder.
struct PageLinkTargets {
  ReceiverDecoder& decoder;
  FrameEncoder* encoder;
  NmeaEncoder* nmeaEncoder;
};

// One window kind of a catalogue.
struct PageKind {
  int command;
  std::unique_ptr<Page> (*make)(const PageContext& context);
  // Links the page into the targets, or unlinks it for null.
  void (*link)(const PageLinkTargets& targets, Page* page);
  bool baseDecoder;  // linked into the base station's decoder; sends nothing
};

// The usual link functions: a data store link, an NMEA store link, a decoder link.
template <auto Member>
void StoreLink(const PageLinkTargets& targets, Page* page) {
  using Link = std::remove_pointer_t<std::remove_reference_t<decltype(targets.decoder.store().links().*Member)>>;
  targets.decoder.store().links().*Member = dynamic_cast<Link*>(page);
}
template <typename Record>
void NmeaStoreLink(const PageLinkTargets& targets, Page* page) {
  targets.decoder.nmea().SetLink<Record>(dynamic_cast<NmeaRecordLink<Record>*>(page));
}
template <typename Link, void (MessageDecoder::*Setter)(Link*)>
void DecoderLink(const PageLinkTargets& targets, Page* page) {
  (targets.decoder.*Setter)(dynamic_cast<Link*>(page));
}
template <typename P>
std::unique_ptr<Page> MakePage(const PageContext& context) {
  return std::make_unique<P>(context);
}

// A window of a default rectangle smaller than its page opens large enough to show the page;
// a rectangle the user chose is kept.
ScreenRect FitDefaultRectToPage(const ScreenRect& rect, const ScreenRect& defaultRect, PageExtent page);

class MessageWindows {
 public:
  // `context` is what every page of the main decoder gets; pages of the base decoder get it
  // without encoders.
  MessageWindows(std::vector<std::span<const PageKind>> catalogues, ReceiverDecoder& main, ReceiverDecoder& base,
                 const PageContext& context);
  MessageWindows(const MessageWindows&) = delete;
  MessageWindows& operator=(const MessageWindows&) = delete;
  // Unlinks every page from the decoders before the pages go.
  virtual ~MessageWindows();

  // Whether the window that `command` toggles shows a page of one of the catalogues.
  bool HasPage(int command) const { return FindKind(command) != nullptr; }

  // The page of a window the frame is creating with `title`: a new one unless the window
  // already has one. Null for a window without a page.
  Page* Open(int command, const std::string& title);
  Page* page(int command) const;
  // The page is linked into its decoder: it is told of every new record.
  bool linked(int command) const;
  // The frame delivers to the window from its creation (on) until it forgets it (off): the
  // page is linked, then unlinked and destroyed.
  void Deliver(int command, bool on, const std::string& title);

 private:
  struct OpenPage {
    std::unique_ptr<Page> page;
    bool linked = false;
  };
  const PageKind* FindKind(int command) const;
  void Link(const PageKind& kind, Page* page);

  std::vector<std::span<const PageKind>> catalogues_;
  ReceiverDecoder& main_;
  ReceiverDecoder& base_;
  PageContext context_;
  std::map<int, OpenPage> open_;
};

}  // namespace orv
