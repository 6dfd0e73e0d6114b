// The "Automatic Log Summary" window: the port and protocol being recorded, the file, the
// elapsed time and one line per message number counted while automatic logging runs.
#pragma once

#include <span>

#include "logging/TimedRecorder.h"
#include "platform/Links.h"
#include "windows/MessageWindows.h"
#include "windows/Page.h"

namespace orv {

class CAutoLogSummaryWnd : public Page, public AutoLogLink, public ElapsedTimeLink {
 public:
  explicit CAutoLogSummaryWnd(const PageContext& context);

  bool hasRecord() const override { return true; }
  void OnLoggedCounts(const uint32_t* loggedCountById, uint8_t highestLoggedId) override;
  void OnElapsedSeconds(uint32_t seconds) override;
  void Refresh() override { InvalidateAll(); }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override {}

 private:
  std::array<uint32_t, kCounterSlots> counts_{};
  int highest_ = 0;
  uint32_t elapsedSeconds_ = 0;
};

// The logging layer's window kinds.
std::span<const PageKind> LoggingPageKinds();

}  // namespace orv
