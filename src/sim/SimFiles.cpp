// The simulated receiver's file table and its side of the download.
#include "sim/SimFiles.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/PosixSerialDevice.h"
#include "util/ByteIo.h"

namespace orv::sim {

namespace {
constexpr uint8_t kSubIdDownload = 6;
constexpr uint8_t kStopAck = 0, kBlock = 1, kInitiated = 2, kCompletedAck = 3, kFailure = 4;
constexpr uint8_t kActionStop = 0, kActionStart = 1, kActionInitiate = 2, kActionCompleted = 3, kActionRetransmit = 4;
constexpr std::size_t kRequestSize = 21;
constexpr std::size_t kInfoSize = 67;
}  // namespace

std::vector<uint8_t> SimFile::Block(uint32_t number) const {
  std::vector<uint8_t> out;
  if (number < 1 || number > BlockCount()) return out;
  const uint64_t start = uint64_t{number - 1} * blockSize;
  const uint64_t end = std::min<uint64_t>(start + blockSize, size);
  for (uint64_t at = start; at < end;) {
    char piece[48];
    const int n = std::snprintf(piece, sizeof piece, "%s#%u@%llu|", name.c_str(), number,
                                static_cast<unsigned long long>(at));
    for (int i = 0; i < n && at < end; ++i, ++at) out.push_back(static_cast<uint8_t>(piece[i]));
  }
  return out;
}

std::vector<uint8_t> SimFile::Content() const {
  std::vector<uint8_t> out;
  out.reserve(size);
  for (uint32_t b = 1; b <= BlockCount(); ++b) {
    const std::vector<uint8_t> block = Block(b);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

SimFileTable SimFileTable::Defaults() {
  SimFileTable t;
  t.Add({1, "SURVEY01", 99 * 200 + 77, 200});  // 100 blocks, the last of 77 bytes
  t.Add({2, "TINY", 2 * 128 + 5, 128});        // 3 blocks, the last of 5 bytes
  t.Add({123, "LOG123", 4 * 100 + 50, 100});   // a three-digit number
  t.Add({7, "SLOW9600", 11 * 64 + 3, 64});     // small enough for 9600 bit/s
  return t;
}

const SimFile* SimFileTable::Find(std::string_view name) const {
  for (const SimFile& f : files_) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

bool SimFileTable::Add(SimFile file) {
  if (file.name.empty() || file.name.size() > 8 || Find(file.name) != nullptr) return false;
  if (std::any_of(files_.begin(), files_.end(), [&](const SimFile& f) { return f.number == file.number; })) return false;
  files_.push_back(std::move(file));
  return true;
}

bool SimFileTable::Remove(std::string_view name) {
  const auto it = std::find_if(files_.begin(), files_.end(), [&](const SimFile& f) { return f.name == name; });
  if (it == files_.end()) return false;
  files_.erase(it);
  return true;
}

Payload SimFileTable::InfoRecord(const SimFile& file, std::size_t index) {
  Payload p(kInfoSize, 0);
  p[0] = static_cast<uint8_t>(index);
  p[1] = file.number;
  for (std::size_t i = 0; i < file.name.size() && i < 8; ++i) p[3 + i] = static_cast<uint8_t>(file.name[i]);
  WriteLe<uint32_t>(std::span<uint8_t>(p), 11, file.size);
  WriteLe<uint32_t>(std::span<uint8_t>(p), 15, file.BlockCount());
  p[19] = file.blockSize;
  return p;
}

void SimDownload::Answer(uint8_t status, std::vector<SimDownloadFrame>& out, const Payload& extra) {
  Payload p{kSubIdDownload, status};
  p.insert(p.end(), extra.begin(), extra.end());
  out.push_back({std::move(p), false});
}

void SimDownload::End(uint32_t backTo) {
  state_ = State::Idle;
  file_.reset();
  if (backTo != 0) rateChange_ = backTo;
}

void SimDownload::OnRequest(const std::vector<uint8_t>& payload, const SimFileTable& files, uint32_t lineRate,
                            double now, std::vector<SimDownloadFrame>& out) {
  if (silent_ || payload.size() != kRequestSize + 1) return;
  const std::span<const uint8_t> r(payload.data() + 1, kRequestSize);
  const uint8_t action = r[0] & 7;
  const uint32_t block = ReadLe<uint32_t>(r, 1);
  std::string name;
  for (std::size_t i = 7; i < 15 && r[i] != 0; ++i) name += static_cast<char>(r[i]);
  const uint32_t rate = ReadLe<uint32_t>(r, 15);
  lastHeard_ = now;
  switch (action) {
    case kActionInitiate: {
      const SimFile* f = files.Find(name);
      if (f == nullptr || options_.failInitiate || f->BlockCount() == 0) {
        Answer(kFailure, out);
        End(0);
        return;
      }
      file_ = *f;
      state_ = State::Initiated;
      entryRate_ = lineRate;
      Payload extra(5, 0);
      WriteLe<uint32_t>(std::span<uint8_t>(extra), 0, f->BlockCount());
      extra[4] = f->blockSize;
      Answer(kInitiated, out, extra);
      // The answer goes at the entry rate; the line moves once it has gone.
      if (!options_.refuseSwitch && rate != 0 && rate != lineRate && PosixSerialDevice::SpeedFor(rate)) rateChange_ = rate;
      return;
    }
    case kActionStart:
    case kActionRetransmit:
      if (state_ == State::Idle) return;
      state_ = State::Sending;
      next_ = std::max<uint32_t>(block, 1);
      return;
    case kActionStop:
    case kActionCompleted:
      if (state_ == State::Idle && action == kActionCompleted) return;
      Answer(action == kActionStop ? kStopAck : kCompletedAck, out);
      End(entryRate_ != 0 && entryRate_ != lineRate ? entryRate_ : 0);
      return;
    default:  // the keep-alive only keeps the watchdog quiet
      return;
  }
}

void SimDownload::Pump(std::size_t queued, std::size_t room, double now, std::vector<SimDownloadFrame>& out) {
  if (silent_ || state_ == State::Idle) return;
  if (now - lastHeard_ > kWatchdogSeconds) {
    // The console has gone: the receiver gives up and returns to its entry rate.
    End(entryRate_);
    return;
  }
  if (state_ != State::Sending || !file_) return;
  while (queued < room && next_ <= file_->BlockCount()) {
    const uint32_t n = next_++;
    Payload extra(4, 0);
    WriteLe<uint32_t>(std::span<uint8_t>(extra), 0, n);
    const std::vector<uint8_t> data = file_->Block(n);
    extra.insert(extra.end(), data.begin(), data.end());
    const std::size_t before = out.size();
    if (n == options_.dropBlock && !dropped_) {
      dropped_ = true;
    } else {
      const int copies = n == options_.repeatBlock ? 2 : 1;
      for (int c = 0; c < copies; ++c) Answer(kBlock, out, extra);
      if (n == options_.corruptBlock && !corrupted_) {
        corrupted_ = true;
        out.back().corrupt = true;
      }
      ++blocksSent_;
    }
    for (std::size_t i = before; i < out.size(); ++i) queued += out[i].payload.size() + 7;
    if (n == options_.silentAfter) {
      silent_ = true;
      return;
    }
  }
  if (next_ > file_->BlockCount()) state_ = State::Initiated;
}

std::optional<uint32_t> SimDownload::TakeRateChange() { return std::exchange(rateChange_, std::nullopt); }

}  // namespace orv::sim
