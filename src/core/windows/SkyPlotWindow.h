// The sky plot of message 33: a polar plot of azimuth and elevation on which every update
// leaves a dot per satellite, so that the satellites' tracks build up, with the part of the
// sky below the receiver's elevation mask (message 49) shaded on request.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "windows/Page.h"

namespace orv {

// The colour of a satellite status (0 "View" to 3 "Use Nav"), for table rows and plot dots.
Colour SvStatusColour(int status);

struct SkyPoint {
  int x = 0;
  int y = 0;
  bool operator==(const SkyPoint&) const = default;
};

class CShowSVsPositionWnd : public LinkedPage<SvStatusRecord, SvPositionWindowLink> {
 public:
  static constexpr int kShowMaskAngleCommand = pagecmd::kSpecific4;
  static constexpr std::size_t kLabelCacheSize = 32;
  // Updates kept for the next value paint; more and the whole page is painted again.
  static constexpr std::size_t kQueuedUpdates = 256;

  explicit CShowSVsPositionWnd(const PageContext& context);

  void ShowRecord(const SvStatusRecord& record) override;
  void ShowMaskAngle(const ReceiverStatusRecord& record) override;

  // Where a satellite at `elevation` and `azimuth` (degrees) is plotted; none for an
  // elevation outside 0 to 90 degrees, which has no place on the plot.
  static std::optional<SkyPoint> PlotPoint(int elevation, int azimuth);

  bool showMask() const { return showMask_; }
  bool maskRequestPending() const { return maskRequestPending_; }
  int maskAngle() const { return maskAngle_; }
  // The receiver status message that answered the last mask request; null after "Clear Data".
  const ReceiverStatusRecord* maskRecord() const { return mask_; }
  std::size_t labelCount() const { return labelCount_; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override;
  void OnPageCommand(int command) override;

 private:
  struct Dot {
    int number = 0;
    SkyPoint at;
    Colour colour = 0;
  };
  // The dots one record adds.
  struct Dots {
    std::array<Dot, SvStatusRecord::kMaxEntries> dots{};
    int count = 0;
  };
  static Dots DotsOf(const SvStatusRecord& record);
  void DrawDots(Canvas& canvas, const Dots& dots);
  // Where the satellite's label goes: where it was first plotted, while the cache has room.
  SkyPoint LabelPosition(int number, SkyPoint at);

  // What each satellite (by its number, below 256) last drew since the last whole paint: a dot
  // and label that would come out the same over themselves are not drawn again, which is most
  // of them while a receiver streams, as satellites move slowly.
  struct Drawn {
    bool valid = false;
    SkyPoint at;
    SkyPoint label;
    Colour colour = 0;
  };
  std::array<Drawn, 256> drawn_{};

  const ReceiverStatusRecord* mask_ = nullptr;
  uint16_t maskAngle_ = 0;  // whole degrees
  bool showMask_ = false;
  bool maskRequestPending_ = false;
  std::array<SkyPoint, kLabelCacheSize> labelAt_{};
  std::array<int, kLabelCacheSize> labelNumber_{};
  std::size_t labelCount_ = 0;
  UpdateQueue<Dots> pending_{kQueuedUpdates};
};

}  // namespace orv
