// The NMEA side of the decoder and the sentence store, fed in blocks the input chooses. Every
// sentence reported must be the text at the offset reported, '$' to the two checksum digits,
// with the checksum right.
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
  void OnFrame(uint64_t, const uint8_t*, int) override { FUZZ_CHECK(false, "a frame in NMEA mode"); }
  void OnSentence(uint64_t offset, const char* sentence, int length, int) override {
    const auto n = static_cast<std::size_t>(length);
    FUZZ_CHECK(n >= 4 && offset + n <= stream_.size(), "sentence at %llu, %d bytes", (unsigned long long)offset, length);
    FUZZ_CHECK(std::memcmp(stream_.data() + offset, sentence, n) == 0, "sentence at %llu is not the text there",
               (unsigned long long)offset);
    FUZZ_CHECK(sentence[0] == '$' && sentence[n - 3] == '*', "sentence at %llu is not framed", (unsigned long long)offset);
    uint8_t x = 0;
    for (std::size_t i = 1; i + 3 < n; ++i) x = static_cast<uint8_t>(x ^ static_cast<uint8_t>(sentence[i]));
    static const char kHex[] = "0123456789ABCDEF";
    FUZZ_CHECK(sentence[n - 2] == kHex[x >> 4] && sentence[n - 1] == kHex[x & 15], "checksum of the sentence at %llu",
               (unsigned long long)offset);
    ++sentences;
  }
  uint32_t sentences = 0;

 private:
  const std::vector<uint8_t>& stream_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const uint8_t control = data[0];
  const std::vector<uint8_t> stream(data + 1, data + size);
  ReceiverDecoder decoder;
  decoder.SetProtocolSelector(0);
  decoder.SetTimeGateOpen(1);
  Checker checker(stream);
  decoder.SetObserver(&checker);
  fuzz::Splits splits(control, 1u + control * 8u);
  std::vector<uint8_t> block;
  std::size_t at = 0;
  while (at < stream.size()) {
    const std::size_t n = std::min<std::size_t>(splits.Next(), stream.size() - at);
    block.assign(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + n));
    block.push_back(0);
    FUZZ_CHECK(decoder.Decode(block.data(), static_cast<uint32_t>(n)) == n, "Decode stopped early");
    at += n;
  }
  FUZZ_CHECK(decoder.counters().nmeaSentenceCount == checker.sentences, "%u counted, %u reported",
             decoder.counters().nmeaSentenceCount, checker.sentences);
  return 0;
}
