// The binary decoder and the data store behind it, fed in blocks the input chooses. Every frame
// reported must be the bytes at the offset reported, whole and with a good checksum, and the
// counters must agree with what was reported.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "nmea/ReceiverDecoder.h"

namespace {

using namespace orv;

class Checker : public DecodeObserver {
 public:
  explicit Checker(const std::vector<uint8_t>& stream) : stream_(stream) {}
  void OnFrame(uint64_t offset, const uint8_t* frame, int length) override {
    const auto n = static_cast<std::size_t>(length);
    FUZZ_CHECK(offset + n <= stream_.size(), "frame at %llu, %d bytes, past the end", (unsigned long long)offset, length);
    FUZZ_CHECK(std::memcmp(stream_.data() + offset, frame, n) == 0, "frame at %llu is not the bytes there",
               (unsigned long long)offset);
    FUZZ_CHECK(fuzz::IsWholeFrame(frame, n), "frame at %llu is not a whole frame", (unsigned long long)offset);
    FUZZ_CHECK(offset >= lastEnd_, "frame at %llu overlaps the one before", (unsigned long long)offset);
    lastEnd_ = offset + n;
    ++frames;
  }
  void OnSentence(uint64_t, const char*, int, int) override { ++sentences; }
  uint32_t frames = 0, sentences = 0;

 private:
  const std::vector<uint8_t>& stream_;
  uint64_t lastEnd_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first byte chooses the splits and whether the decoder stops after each measurement.
  const uint8_t control = data[0];
  const std::vector<uint8_t> stream(data + 1, data + size);
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(1);
  decoder.SetTimeGateOpen(1);
  decoder.SetBaseFileFlag(control & 0x40 ? 1 : 0);
  const bool stopEach = (control & 0x80) != 0;
  decoder.SetStopAfterMeasurement(stopEach ? 1 : 0);
  Checker checker(stream);
  decoder.SetObserver(&checker);
  fuzz::Splits splits(control, 1u + (control & 0x3F) * 16u);
  std::vector<uint8_t> block;
  std::size_t at = 0;
  while (at < stream.size()) {
    const std::size_t n = std::min<std::size_t>(splits.Next(), stream.size() - at);
    block.assign(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + n));
    block.push_back(0);  // the spare byte the decoder may write
    std::size_t used = 0;
    while (used < n) {
      const uint32_t got = decoder.Decode(block.data() + used, static_cast<uint32_t>(n - used));
      FUZZ_CHECK(got <= n - used, "Decode consumed %u of %zu", got, n - used);
      FUZZ_CHECK(got == n - used || stopEach, "Decode stopped early without being asked to");
      used += got;
      decoder.Resume();
    }
    at += n;
  }
  FUZZ_CHECK(decoder.counters().validMessageCount == checker.frames, "%u frames counted, %u reported",
             decoder.counters().validMessageCount, checker.frames);
  return 0;
}
