// A log's fixes for the plot.
#include "plot/PlotFixes.h"

#include <cmath>
#include <vector>

#include "geodesy/Angles.h"
#include "nmea/ReceiverDecoder.h"
#include "track/EpochReader.h"

namespace orv {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

// Counts what passes on to the plot.
class CountingLink : public NavPlotLink {
 public:
  explicit CountingLink(NavPlotLink& plot) : plot_(plot) {}
  void AddPoint(double latitude, double longitude, int navMode) override {
    ++count;
    plot_.AddPoint(latitude, longitude, navMode);
  }
  uint64_t count = 0;

 private:
  NavPlotLink& plot_;
};

class GgaFixes : public EpochSink {
 public:
  explicit GgaFixes(NavPlotLink& plot) : plot_(plot) {}
  void OnEpoch(const Epoch& e, uint64_t offset) override {
    (void)offset;
    if (!e.positionValid || !std::isfinite(e.latitude) || !std::isfinite(e.longitude)) return;
    plot_.AddPoint(DegreesToRadians(e.latitude), DegreesToRadians(e.longitude), ModeOfGgaQuality(e.mode.value_or(0)));
  }

 private:
  NavPlotLink& plot_;
};

}  // namespace

int ModeOfGgaQuality(int quality) {
  switch (quality) {
    case 1: return 2;
    case 2: return 4;
    case 4:
    case 5: return 10;
    case 6: return 6;
    default: return 0;
  }
}

PlotLogRead ReadPlotFixes(std::FILE* log, int protocolSelector, NavPlotLink& plot) {
  CountingLink counted(plot);
  PlotLogRead out;
  if (protocolSelector == 0) {
    GgaFixes sink(counted);
    const LogReadResult r = ReadLogEpochs(log, EpochOptions{0, EpochMessage::kFirstSeen}, sink);
    out.bytes = r.bytes;
    out.readError = r.readError;
    out.fixes = counted.count;
    return out;
  }
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(1);
  decoder.SetTimeGateOpen(1);
  decoder.store().links().navigationPlot = &counted;
  // One spare byte: the decoder may terminate a block it shows as text.
  std::vector<uint8_t> block(kBlock + 1);
  for (;;) {
    const std::size_t n = std::fread(block.data(), 1, kBlock, log);
    if (n > 0) {
      decoder.Decode(block.data(), static_cast<uint32_t>(n));
      out.bytes += n;
    }
    if (n < kBlock) {
      out.readError = std::ferror(log) != 0;
      break;
    }
  }
  decoder.store().links().navigationPlot = nullptr;
  out.fixes = counted.count;
  return out;
}

}  // namespace orv
