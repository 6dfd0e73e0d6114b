// The two windows that watch the link rather than the receiver's data: the received-message
// counts of the binary decoder (CMsgWnd) and the last received and transmitted frames in
// hexadecimal (CDisplayMsgWnd).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/Links.h"
#include "protocol/DecoderState.h"
#include "windows/MessageWindows.h"
#include "windows/Page.h"

namespace orv {

// Counts of the binary frames by message number, the fill of the last block read, the log
// file being written and a figure of protocol errors.
class CMsgWnd : public Page, public BinaryCountLink {
 public:
  // Message numbers shown and added up: 0 to 126.
  static constexpr int kShownIds = 127;
  static constexpr int kGridRows = 13;

  explicit CMsgWnd(const PageContext& context);

  // The decoder's counters, read at every paint (the counter block next to messageCountById).
  void WatchCounters(const DecoderCounters* counters) { counters_ = counters; }
  void OnCounts(uint32_t baseFileFlag, const uint32_t* messageCountById) override;

  bool hasRecord() const override { return counts_ != nullptr; }
  int protocolErrorFigure() const { return errorFigure_; }
  uint32_t validTotal() const { return validTotal_; }

  // The lines as drawn, for a counter block.
  static std::string BufferReadText(uint32_t bytesReadLastCall);
  static uint32_t ValidTotal(const uint32_t* messageCountById);

 protected:
  void DrawLabels(Canvas& canvas) override { (void)canvas; }
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override {}

 private:
  const DecoderCounters* counters_ = nullptr;
  const uint32_t* counts_ = nullptr;
  uint32_t baseFileFlag_ = 0;
  uint32_t validTotal_ = 0;
  int errorFigure_ = 0;
  uint32_t lastErrorCount_ = 0;
};

// One direction of the raw display: the length of the last frame (0: none yet), its ID byte
// and seven rows of twenty bytes, "%02X " each.
struct RawFrameRows {
  static constexpr int kRows = 7;
  static constexpr int kBytesPerRow = 20;
  static constexpr int kMaxShown = kRows * kBytesPerRow;  // 140
  int32_t length = 0;
  uint8_t idByte = 0;
  std::array<std::string, kRows> rows{};

  // Formats the bytes the frame has, at most 140; the rest of the rows are blank.
  void Format(const uint8_t* frame, int frameLength);
};

class CDisplayMsgWnd : public Page, public RawDisplayLink {
 public:
  static constexpr int kRowStep = 13;

  explicit CDisplayMsgWnd(const PageContext& context);

  void OnReceived(const uint8_t* frame, int length) override;
  void OnTransmitted(const uint8_t* frame, int length) override;
  bool hasRecord() const override { return received_.length > 0 || transmitted_.length > 0; }

  const RawFrameRows& received() const { return received_; }
  const RawFrameRows& transmitted() const { return transmitted_; }
  static std::string ReceivedTitle(const RawFrameRows& side);
  static std::string TransmittedTitle(const RawFrameRows& side);

 protected:
  void DrawLabels(Canvas& canvas) override { (void)canvas; }
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override;

 private:
  RawFrameRows received_;
  RawFrameRows transmitted_;
};

// The link functions of the two windows: the count window into its decoder's count link and
// counters, the raw display into the decoder and both encoders.
void LinkCountWindow(const PageLinkTargets& targets, Page* page);
void LinkRawDisplay(const PageLinkTargets& targets, Page* page);

// The catalogue of the link windows (counts, raw data, NMEA counts).
std::span<const PageKind> LinkPageKinds();

}  // namespace orv
