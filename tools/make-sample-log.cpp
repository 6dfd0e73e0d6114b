// Writes a small binary log to play with: twenty one-second epochs of a receiver's messages
// (navigation solution, position, status, measurement block), the console's own requests as
// the frame encoder builds them, and a little line noise between the frames.
#include <fcntl.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "logging/LogFile.h"
#include "protocol/Frame.h"
#include "protocol/FrameEncoder.h"
#include "util/ByteIo.h"
#include "ToolOptions.h"

namespace {

using orv::ByteWriter;

void Append(std::vector<uint8_t>& out, uint8_t id, const std::vector<uint8_t>& payload) {
  uint8_t frame[orv::kMaxFrameLength];
  const std::size_t n = orv::BuildFrame(id, payload, frame);
  out.insert(out.end(), frame, frame + n);
}

std::vector<uint8_t> NavLlh(int epoch) {
  std::vector<uint8_t> p(71);
  ByteWriter w(p);
  const double angle = epoch * 2 * std::numbers::pi / 600.0;
  const double lat = (45.2942232 + 0.00045 * std::sin(angle)) * std::numbers::pi / 180.0;
  const double lon = (-73.4136473 + 0.00064 * std::cos(angle)) * std::numbers::pi / 180.0;
  w.Put<uint8_t>(14).Put<uint8_t>(30).Put(12.0 + epoch).Put<uint8_t>(8).Put<uint8_t>(12).Put<uint16_t>(2026);
  w.Put(lat).Put(lon).Put(30.0f).Put(0.52f).Put(static_cast<float>(angle));
  w.Put(0.3f).Put(-0.4f).Put(0.01f).Put(2.5f).Put(3.75f);
  w.Put<int16_t>(9).Put<int16_t>(14).Put<uint8_t>(2).Put<uint8_t>(0x88).Put<uint8_t>(3).Put<uint16_t>(0);
  return p;
}

std::vector<uint8_t> NavXyz(int epoch) {
  std::vector<uint8_t> p(79);
  ByteWriter w(p);
  w.Put(302412.0 + epoch).Put<uint16_t>(2396).Put(1257493.294).Put(-4298358.224).Put(4526111.821);
  w.Put(0.1f).Put(0.2f).Put(-0.1f).Put(1.2e-4).Put(0.03).Put(2.5f).Put(3.75f);
  w.Put<uint16_t>(9).Put<uint16_t>(14).Put<uint8_t>(2).Put<uint8_t>(8);
  return p;
}

std::vector<uint8_t> Measurement(int epoch) {
  std::vector<uint8_t> p(11 + 8 * 11);
  ByteWriter w(p);
  w.Put<uint16_t>(0).Put<uint8_t>(8).Put(302412.0 + epoch);
  for (uint8_t ch = 0; ch < 8; ++ch) {
    w.Put<uint8_t>(static_cast<uint8_t>(ch * 3)).Put<uint8_t>(static_cast<uint8_t>(160 + ch));
    w.Put<uint32_t>(1000000u * ch + static_cast<uint32_t>(epoch)).Put<uint32_t>(5000u * ch).Put<uint8_t>(0);
  }
  return p;
}

// Writes what the frame encoder sends into the log too.
class VectorChannel : public orv::DataChannel {
 public:
  explicit VectorChannel(std::vector<uint8_t>& out) : out_(out) {}
  uint32_t Receive(uint32_t) override { return 0; }
  bool Send(const uint8_t* bytes, uint32_t count) override {
    out_.insert(out_.end(), bytes, bytes + count);
    return true;
  }

 private:
  std::vector<uint8_t>& out_;
};

}  // namespace

int main(int argc, char** argv) {
  constexpr char kUsage[] = "usage: make-sample-log FILE\nwrites a small KTX Binary log of twenty epochs to FILE\n";
  const orv::tools::StandardOutcome standard = orv::tools::HandleStandardOptions(argc, argv, "make-sample-log", kUsage);
  if (!standard.run) return standard.status;
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<uint8_t> log = {0x55, 0x01, 0x33};  // the recording started mid-line
  VectorChannel channel(log);
  orv::FrameEncoder encoder(&channel);
  encoder.SendRequestAll();
  for (int epoch = 0; epoch < 20; ++epoch) {
    Append(log, 20, NavLlh(epoch));
    Append(log, 21, NavXyz(epoch));
    Append(log, 23, Measurement(epoch));
    if (epoch % 5 == 0) Append(log, 49, std::vector<uint8_t>(40, static_cast<uint8_t>(epoch)));
    log.push_back(static_cast<uint8_t>(0xA0 + epoch));  // noise between epochs
  }
  encoder.SendRequest(45, orv::kOneShot);
  orv::LogFile out;
  orv::LogFile::Delete(argv[1]);
  if (!out.Create(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644) ||
      !out.Send(log.data(), static_cast<uint32_t>(log.size()))) {
    std::fprintf(stderr, "make-sample-log: cannot write '%s'\n", argv[1]);
    return 1;
  }
  return 0;
}
