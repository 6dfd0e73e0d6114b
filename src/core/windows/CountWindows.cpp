// The received-message counts and the raw data display.
#include "windows/CountWindows.h"

#include <algorithm>

#include "ids/CommandIds.h"
#include "nmea/NmeaEncoder.h"
#include "nmea/ReceiverDecoder.h"
#include "protocol/FrameEncoder.h"
#include "util/Format.h"
#include "windows/PageText.h"

namespace orv {

namespace {

// The largest block Decode accepts: the buffer-read share is of this.
constexpr double kLargestBlock = 65535.0;

constexpr int kLineX = 10;
constexpr int kSecondColumnX = 200;
constexpr int kFirstLineY = 8;
constexpr int kLineStep = 14;
// The grid: message numbers top to bottom, then left to right.
constexpr int kGridY = kFirstLineY + 2 * kLineStep + 6;
constexpr int kGridRowStep = 13;
constexpr int kGridColumnStep = 54;
constexpr int kGridCountOffset = 28;
constexpr std::size_t kCountWidth = 6;

constexpr PageSpec kMsgSpec{cmd::kWndReceivedMessages, nullptr, {kFaceSansSerif, 10, 400}, false, {}, {}, 560,
                            kGridY + CMsgWnd::kGridRows * kGridRowStep + 6};

constexpr int kTitleX = 10;
constexpr int kRawFirstY = 6;
constexpr int kRawBlockStep = (RawFrameRows::kRows + 1) * CDisplayMsgWnd::kRowStep + 8;
constexpr PageSpec kRawSpec{cmd::kWndDisplayMessages, nullptr, {kFaceSansSerif, 10, 400}, false, {}, {}, 470,
                            kRawFirstY + 2 * kRawBlockStep};

}  // namespace

CMsgWnd::CMsgWnd(const PageContext& context) : Page(kMsgSpec, context) {}

std::string CMsgWnd::BufferReadText(uint32_t bytesReadLastCall) {
  return orv::Format("Buffer read: %1d (%3.1f%%)", static_cast<int>(bytesReadLastCall),
                     bytesReadLastCall * 100.0 / kLargestBlock);
}

uint32_t CMsgWnd::ValidTotal(const uint32_t* messageCountById) {
  uint32_t total = 0;
  for (int id = 0; id < kShownIds; ++id) total += messageCountById[id];
  return total;
}

// The figure counts the updates at which the decoder's error count had risen. The decoder's
// count goes back to zero when a new input opens; a lower value is only remembered, so that
// the reset is not taken for new errors.
void CMsgWnd::OnCounts(uint32_t baseFileFlag, const uint32_t* messageCountById) {
  if (messageCountById == nullptr) return;
  baseFileFlag_ = baseFileFlag;
  counts_ = messageCountById;
  validTotal_ = ValidTotal(messageCountById);
  if (counters_ != nullptr) {
    const uint32_t now = counters_->protocolErrorCount;
    if (now > lastErrorCount_) ++errorFigure_;
    lastErrorCount_ = now;
  }
  NotifyValues();
}

void CMsgWnd::DrawValues(Canvas& canvas) {
  if (counts_ == nullptr) return;
  const uint32_t bytesRead = counters_ != nullptr ? counters_->bytesReadLastCall : 0;
  // Buffer read and the log file on the first line, the totals on the second.
  ValueOut(canvas, kLineX, kFirstLineY, BufferReadText(bytesRead), 32);
  const FrameStatus* status = context().status;
  const bool logging = status != nullptr && status->mainRecording();
  ValueOut(canvas, kSecondColumnX, kFirstLineY,
           logging ? orv::Format("Log file:      %s", status->mainRecordingPath().c_str()) : std::string(), 64);
  ValueOut(canvas, kLineX, kFirstLineY + kLineStep, orv::Format("Valid msg:      %1d", static_cast<int>(validTotal_)), 32);
  ValueOut(canvas, kSecondColumnX, kFirstLineY + kLineStep, orv::Format("Protocol error: %d", errorFigure_), 32);
  if (baseFileFlag_ != 0) return;
  for (int id = 0; id < kShownIds; ++id) {
    const int x = kLineX + (id / kGridRows) * kGridColumnStep;
    const int y = kGridY + (id % kGridRows) * kGridRowStep;
    canvas.TextOut(x, y, orv::Format("%3d:", id));
    ValueOut(canvas, x + kGridCountOffset, y, orv::Format("%1d", static_cast<int>(counts_[id])), kCountWidth);
  }
}

void RawFrameRows::Format(const uint8_t* frame, int frameLength) {
  length = frame != nullptr ? std::max(frameLength, 0) : 0;
  idByte = length >= 2 ? frame[1] : 0;
  const int shown = std::min(length, kMaxShown);
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int r = 0; r < kRows; ++r) {
    // Each byte as "HH ", three blanks past the frame's end: every row is as wide as a full one.
    std::string& row = rows[static_cast<std::size_t>(r)];
    row.assign(3 * kBytesPerRow, ' ');
    for (int c = 0; c < kBytesPerRow; ++c) {
      const int i = r * kBytesPerRow + c;
      if (i >= shown) break;
      row[3 * c] = kHex[frame[i] >> 4];
      row[3 * c + 1] = kHex[frame[i] & 0xF];
    }
  }
}

CDisplayMsgWnd::CDisplayMsgWnd(const PageContext& context) : Page(kRawSpec, context) { ClearRecord(); }

void CDisplayMsgWnd::ClearRecord() {
  received_.Format(nullptr, 0);
  transmitted_.Format(nullptr, 0);
}

void CDisplayMsgWnd::OnReceived(const uint8_t* frame, int length) {
  received_.Format(frame, length);
  NotifyValues();
}

void CDisplayMsgWnd::OnTransmitted(const uint8_t* frame, int length) {
  transmitted_.Format(frame, length);
  NotifyValues();
}

std::string CDisplayMsgWnd::ReceivedTitle(const RawFrameRows& side) {
  return orv::Format("Received: %i Bytes , ID#%i", side.length, static_cast<int>(static_cast<int8_t>(side.idByte)));
}

std::string CDisplayMsgWnd::TransmittedTitle(const RawFrameRows& side) {
  std::string title = orv::Format("Transmitted: %i Bytes , ID#%i", side.length, side.idByte & 0x7F);
  if (side.idByte == 0) return title + "             ";
  return title + ((side.idByte & 0x80) != 0 ? " (Continuous)" : " (One Shot)  ");
}

void CDisplayMsgWnd::DrawValues(Canvas& canvas) {
  const RawFrameRows* sides[] = {&received_, &transmitted_};
  for (int s = 0; s < 2; ++s) {
    const RawFrameRows& side = *sides[s];
    if (side.length <= 0) continue;
    const int y = kRawFirstY + s * kRawBlockStep;
    ValueOut(canvas, kTitleX, y, s == 0 ? ReceivedTitle(side) : TransmittedTitle(side), 48);
    for (int r = 0; r < RawFrameRows::kRows; ++r) {
      canvas.TextOut(kTitleX, y + (r + 1) * kRowStep, side.rows[static_cast<std::size_t>(r)]);
    }
  }
}

void LinkCountWindow(const PageLinkTargets& targets, Page* page) {
  auto* window = dynamic_cast<CMsgWnd*>(page);
  if (window != nullptr) window->WatchCounters(&targets.decoder.counters());
  targets.decoder.SetBinaryCountLink(window);
}

void LinkRawDisplay(const PageLinkTargets& targets, Page* page) {
  auto* window = dynamic_cast<CDisplayMsgWnd*>(page);
  targets.decoder.SetRawDisplay(window);
  if (targets.encoder != nullptr) targets.encoder->AttachRawDisplay(window);
  if (targets.nmeaEncoder != nullptr) targets.nmeaEncoder->AttachRawDisplay(window);
}

namespace {
constexpr PageKind kLinkKinds[] = {
    {cmd::kWndReceivedMessages, MakePage<CMsgWnd>, LinkCountWindow, false},
    {cmd::kWndDisplayMessages, MakePage<CDisplayMsgWnd>, LinkRawDisplay, false},
};
}  // namespace

std::span<const PageKind> LinkPageKinds() { return kLinkKinds; }

}  // namespace orv
