// The automatic log summary's page and its catalogue entry.
#include "windows/AutoLogSummaryWnd.h"

#include <algorithm>

#include "ids/CommandIds.h"
#include "util/Format.h"

namespace orv {

namespace {
constexpr int kLabelX = 15;
constexpr int kValueX = 115;
constexpr int kFirstMessageY = 80;
constexpr int kLineStep = 15;
constexpr PageSpec kSummarySpec{cmd::kWndAutoLogSummary, nullptr, {kFaceSansSerif, 10, 400}, false, {}, {}, 320, 420};

constexpr PageKind kKinds[] = {
    {cmd::kWndAutoLogSummary, MakePage<CAutoLogSummaryWnd>, DecoderLink<AutoLogLink, &MessageDecoder::SetAutoLogLink>,
     false},
};
}  // namespace

std::span<const PageKind> LoggingPageKinds() { return kKinds; }

CAutoLogSummaryWnd::CAutoLogSummaryWnd(const PageContext& context) : Page(kSummarySpec, context) {}

void CAutoLogSummaryWnd::OnLoggedCounts(const uint32_t* loggedCountById, uint8_t highestLoggedId) {
  highest_ = std::min<int>(highestLoggedId, kCounterSlots - 1);
  std::copy(loggedCountById, loggedCountById + kCounterSlots, counts_.begin());
  NotifyValues();
}

void CAutoLogSummaryWnd::OnElapsedSeconds(uint32_t seconds) {
  elapsedSeconds_ = seconds;
  NotifyValues();
}

void CAutoLogSummaryWnd::DrawLabels(Canvas& canvas) {
  canvas.TextOut(kLabelX, 20, "Comm Parameter:");
  canvas.TextOut(kLabelX, 35, "Protocol:");
  canvas.TextOut(kLabelX, 50, "Log File:");
  canvas.TextOut(kLabelX, 65, "Elapsed Time:");
}

void CAutoLogSummaryWnd::DrawValues(Canvas& canvas) {
  if (const FrameStatus* status = context().status) {
    canvas.TextOut(kValueX, 20,
                   status->mainPortName() + " " + Format("%5d", static_cast<int>(status->mainBaudRate())));
    canvas.TextOut(kValueX, 35, status->protocolSelector() != 0 ? "KTX Binary" : "NMEA");
    canvas.TextOut(kValueX, 50, status->mainRecordingPath());
  }
  canvas.TextOut(kValueX, 65,
                 Format("%2d:%02d     ", static_cast<int>(elapsedSeconds_ / 60), static_cast<int>(elapsedSeconds_ % 60)));
  int line = 0;
  for (int n = 0; n <= highest_; ++n) {
    if (counts_[static_cast<std::size_t>(n)] == 0) continue;
    canvas.TextOut(kLabelX, kFirstMessageY + kLineStep * line,
                   Format("Msg %3d :   %1u     ", n, counts_[static_cast<std::size_t>(n)]));
    ++line;
  }
}

}  // namespace orv
