// The catalogue of pages (which class shows which window, and where it is linked) and the
// life cycle of the open ones.
#include "windows/MessageWindows.h"

#include <type_traits>

#include "app/CommandIds.h"
#include "windows/DgpsWindows.h"
#include "windows/NavWindows.h"
#include "windows/SatelliteWindows.h"
#include "windows/SolutionWindows.h"
#include "windows/StatusWindows.h"
#include "windows/TrackingWindows.h"

namespace orv {

namespace {

struct PageKind {
  int command;
  std::unique_ptr<Page> (*make)(const PageContext& context);
  // Sets the store's link to the page, or clears it for null.
  void (*link)(WindowLinks& links, Page* page);
  bool baseDecoder;  // linked into the base station's decoder; sends nothing
};

template <auto Member>
void LinkAs(WindowLinks& links, Page* page) {
  using Link = std::remove_pointer_t<std::remove_reference_t<decltype(links.*Member)>>;
  links.*Member = dynamic_cast<Link*>(page);
}

template <typename P>
std::unique_ptr<Page> Make(const PageContext& context) {
  return std::make_unique<P>(context);
}

std::unique_ptr<Page> MakeMeasurement(const PageContext& context) { return std::make_unique<CMeasWnd>(context, false); }
std::unique_ptr<Page> MakeBaseMeasurement(const PageContext& context) {
  return std::make_unique<CMeasWnd>(context, true);
}

using L = WindowLinks;
constexpr PageKind kKinds[] = {
    {cmd::kWndLlh, Make<CNavWnd>, LinkAs<&L::navigation>, false},
    {cmd::kWndXyz, Make<CNavGPSWnd>, LinkAs<&L::navigationXyz>, false},
    {cmd::kWndEphemeris, Make<CEphemWnd>, LinkAs<&L::ephemeris>, false},
    {cmd::kWndMeasurements, MakeMeasurement, LinkAs<&L::measurement>, false},
    {cmd::kWndBaseMeasurements, MakeBaseMeasurement, LinkAs<&L::baseMeasurement>, true},
    {cmd::kWndChannelAssignment, Make<CChanAssWnd>, LinkAs<&L::channelAssignment>, false},
    {cmd::kWndSvStatus, Make<CSVsStatusWnd>, LinkAs<&L::svStatus>, false},
    {cmd::kWndSvPosition, Make<CShowSVsPositionWnd>, LinkAs<&L::svPosition>, false},
    {cmd::kWndSatelliteHealth, Make<CSatelliteHealthWnd>, LinkAs<&L::satelliteHealth>, false},
    {cmd::kWndBaseStatus, Make<CBaseStatusWnd>, LinkAs<&L::baseStatus>, false},
    {cmd::kWndDgpsStatus, Make<CDGPSStatWnd>, LinkAs<&L::dgpsStatus>, false},
    {cmd::kWndDgpsConfiguration, Make<CDGPSConfigWnd>, LinkAs<&L::dgpsConfig>, false},
    {cmd::kWndDgpsData, Make<CDGPSDataWnd>, LinkAs<&L::dgpsData>, false},
    {cmd::kWndWaasStatus, Make<CWAASStatusWnd>, LinkAs<&L::waasStatus>, false},
    {cmd::kWndReceiverStatus, Make<CReceiverStatusWnd>, LinkAs<&L::receiverStatus>, false},
    {cmd::kWndTiming, Make<CTimingInformationWnd>, LinkAs<&L::timingInfo>, false},
    {cmd::kWndSystemProfile, Make<CSystemProfileWnd>, LinkAs<&L::systemProfile>, false},
    {cmd::kWndFaultLog, Make<CFaultLogWnd>, LinkAs<&L::faultLog>, false},
    {cmd::kWndPredicted, Make<CPredictedSolutionWnd>, LinkAs<&L::predictedSolution>, false},
    {cmd::kWndMatched, Make<CMatchedSolutionWnd>, LinkAs<&L::matchedSolution>, false},
    {cmd::kWndPartNumber, Make<CPartNumberWnd>, LinkAs<&L::partNumber>, false},
};

const PageKind* FindKind(int command) {
  for (const PageKind& k : kKinds) {
    if (k.command == command) return &k;
  }
  return nullptr;
}

}  // namespace

MessageWindows::MessageWindows(WindowToggles& toggles, MessageDecoder& main, MessageDecoder& base,
                               FrameEncoder& encoder, CommandSink& frame)
    : toggles_(toggles), main_(main), base_(base), encoder_(encoder), frame_(frame) {
  toggles_.SetDeliveryHook([this](int command, bool on) { Deliver(command, on); });
}

MessageWindows::~MessageWindows() {
  toggles_.SetDeliveryHook(nullptr);
  for (auto& [command, open] : open_) {
    if (open.linked) Link(command, nullptr);
  }
}

bool MessageWindows::HasPage(int command) { return FindKind(command) != nullptr; }

Page* MessageWindows::Open(int command, const std::string& title) {
  const PageKind* kind = FindKind(command);
  if (kind == nullptr) return nullptr;
  OpenPage& open = open_[command];
  if (!open.page) {
    open.page = kind->make(PageContext{kind->baseDecoder ? nullptr : &encoder_, &frame_});
    open.page->OnCreate(title);
  }
  return open.page.get();
}

Page* MessageWindows::page(int command) const {
  const auto it = open_.find(command);
  return it == open_.end() ? nullptr : it->second.page.get();
}

bool MessageWindows::linked(int command) const {
  const auto it = open_.find(command);
  return it != open_.end() && it->second.linked;
}

// The frame delivers to a window from its creation until it forgets it. A page forgotten is
// destroyed: its host, if still there, is told and shows nothing more.
void MessageWindows::Deliver(int command, bool on) {
  if (!HasPage(command)) return;
  if (on) {
    const WindowCommandInfo* info = FindWindowCommand(command);
    Page* page = Open(command, info != nullptr ? info->caption : "");
    Link(command, page);
    open_[command].linked = true;
    return;
  }
  const auto it = open_.find(command);
  if (it == open_.end()) return;
  if (it->second.linked) Link(command, nullptr);
  open_.erase(it);
}

void MessageWindows::Link(int command, Page* page) {
  const PageKind* kind = FindKind(command);
  if (kind == nullptr) return;
  MessageDecoder& decoder = kind->baseDecoder ? base_ : main_;
  kind->link(decoder.store().links(), page);
}

}  // namespace orv
