// The input scanner works at the head of its buffer: a frame or sentence that checks out is
// taken whole, anything else loses one byte and the scan goes on from the next.
#include "sim/SimInput.h"

#include "protocol/Frame.h"

namespace orv::sim {

namespace {
constexpr std::size_t kMaxSentence = 200;

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::vector<InputItem> InputScanner::Feed(const uint8_t* bytes, std::size_t n) {
  buffer_.insert(buffer_.end(), bytes, bytes + n);
  std::vector<InputItem> out;
  while (head_ < buffer_.size()) {
    const uint8_t b = buffer_[head_];
    int r = -1;
    if (b == kFrameStart) r = TakeBinary(out);
    if (b == '$') r = TakeSentence(out);
    if (r == 0) break;
    if (r < 0) ++head_;
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
  head_ = 0;
  return out;
}

int InputScanner::TakeBinary(std::vector<InputItem>& out) {
  const std::size_t avail = buffer_.size() - head_;
  const uint8_t* p = buffer_.data() + head_;
  if (avail < 3) return 0;
  if (p[2] != static_cast<uint8_t>(~p[1])) return -1;
  if (avail < 4) return 0;
  const std::size_t total = std::size_t{p[3]} + kFrameOverhead;
  if (avail < total) return 0;
  const uint16_t sum = FrameChecksum(p, total - 2);
  if (p[total - 2] != (sum & 0xFF) || p[total - 1] != (sum >> 8)) return -1;
  InputItem item;
  item.binary = true;
  item.idByte = p[1];
  item.payload.assign(p + 4, p + total - 2);
  out.push_back(std::move(item));
  head_ += total;
  return 1;
}

int InputScanner::TakeSentence(std::vector<InputItem>& out) {
  const std::size_t avail = buffer_.size() - head_;
  const uint8_t* p = buffer_.data() + head_;
  uint8_t sum = 0;
  for (std::size_t i = 1; i < avail && i < kMaxSentence; ++i) {
    const uint8_t c = p[i];
    if (c == '$' || c == '\r' || c == '\n' || c < 0x20) return -1;
    if (c != '*') {
      sum ^= c;
      continue;
    }
    if (avail < i + 3) return 0;
    const int hi = HexValue(p[i + 1]), lo = HexValue(p[i + 2]);
    if (hi < 0 || lo < 0 || (hi << 4 | lo) != sum) return -1;
    InputItem item;
    item.sentence.assign(reinterpret_cast<const char*>(p + 1), i - 1);
    out.push_back(std::move(item));
    head_ += i + 3;
    return 1;
  }
  return avail >= kMaxSentence ? -1 : 0;
}

}  // namespace orv::sim
