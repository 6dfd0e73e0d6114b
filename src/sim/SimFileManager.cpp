// The simulated receiver's file manager: message 70 sub-ID 1 creates, closes, deletes and
// modifies files of the file table and reports the active file, answering with the result
// codes a receiver gives.
#include <algorithm>

#include "sim/SimFiles.h"
#include "util/ByteIo.h"

namespace orv::sim {

namespace {

constexpr std::size_t kRecordSize = 53;
constexpr uint8_t kCreate = 0, kClose = 1, kDelete = 2, kModify = 3, kInfo = 4;
constexpr uint8_t kSuccessful = 0, kFileManagerError = 3, kInvalidParameters = 4, kNoActiveFile = 6;

std::string TextAt(std::span<const uint8_t> r, std::size_t at, std::size_t width) {
  std::string out;
  for (std::size_t i = 0; i < width && at + i < r.size() && r[at + i] != 0; ++i) out += static_cast<char>(r[at + i]);
  return out;
}

void PutText(Payload& p, std::size_t at, std::size_t width, const std::string& text) {
  for (std::size_t i = 0; i < width && i < text.size(); ++i) p[at + i] = static_cast<uint8_t>(text[i]);
}

// The change mask: bit 0 point name, 1 point code, 2 antenna height, 3 method, 4 operator.
void ApplyAttributes(SimFile& f, std::span<const uint8_t> r, uint8_t mask) {
  if (mask & 0x01) f.pointName = TextAt(r, 9, 16);
  if (mask & 0x02) f.pointCode = TextAt(r, 25, 16);
  if (mask & 0x04) f.antennaHeight = ReadLe<int16_t>(r, 41);
  if (mask & 0x08) f.antennaMethod = r[43];
  if (mask & 0x10) f.operatorName = TextAt(r, 44, 3);
}

Payload Answer(uint8_t action, uint8_t result, bool active, const SimFile* f) {
  Payload p(kRecordSize, 0);
  p[0] = action;
  p[1] = result;
  p[2] = active ? 1 : 0;
  if (f != nullptr) {
    PutText(p, 3, 8, f->name);
    PutText(p, 11, 16, f->pointName);
    PutText(p, 27, 16, f->pointCode);
    WriteLe<int16_t>(std::span<uint8_t>(p), 43, f->antennaHeight);
    p[45] = f->antennaMethod;
    PutText(p, 46, 3, f->operatorName);
  }
  return p;
}

}  // namespace

SimFile* SimFileTable::FindMutable(std::string_view name) {
  for (SimFile& f : files_) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

uint8_t SimFileTable::FreeNumber() const {
  for (int n = 1; n <= 255; ++n) {
    if (std::none_of(files_.begin(), files_.end(), [n](const SimFile& f) { return f.number == n; })) {
      return static_cast<uint8_t>(n);
    }
  }
  return 0;
}

Payload SimFileTable::OnFileManager(std::span<const uint8_t> r) {
  if (r.size() < kRecordSize) return Answer(0, kInvalidParameters, false, nullptr);
  const uint8_t action = r[0] & 7;
  const std::string name = TextAt(r, 1, 8);
  switch (action) {
    case kCreate: {
      if (!active_.empty()) return Answer(action, kFileManagerError, true, active());
      const uint8_t number = FreeNumber();
      SimFile file{number, name, 0, 200};
      ApplyAttributes(file, r, 0x1F);
      if (number == 0 || !Add(file)) return Answer(action, kInvalidParameters, false, nullptr);
      active_ = name;
      return Answer(action, kSuccessful, true, active());
    }
    case kClose: {
      const SimFile* f = active();
      if (f == nullptr) return Answer(action, kNoActiveFile, false, nullptr);
      active_.clear();
      return Answer(action, kSuccessful, false, f);
    }
    case kDelete: {
      const SimFile* f = Find(name);
      if (name.empty() || f == nullptr) return Answer(action, kInvalidParameters, !active_.empty(), nullptr);
      const Payload answer = Answer(action, kSuccessful, false, f);
      if (active_ == name) active_.clear();
      Remove(name);
      return answer;
    }
    case kModify: {
      SimFile* f = name.empty() ? FindMutable(active_) : FindMutable(name);
      if (f == nullptr) {
        return name.empty() ? Answer(action, kNoActiveFile, false, nullptr)
                            : Answer(action, kInvalidParameters, !active_.empty(), nullptr);
      }
      ApplyAttributes(*f, r, r[47] & 0x1F);
      return Answer(action, kSuccessful, f->name == active_, f);
    }
    case kInfo: {
      const SimFile* f = active();
      return Answer(action, f != nullptr ? kSuccessful : kNoActiveFile, f != nullptr, f);
    }
    default: return Answer(action, kInvalidParameters, !active_.empty(), nullptr);
  }
}

constexpr uint32_t kMemoryBytes = 4u << 20;

Payload SimFileTable::StatusRecord() const {
  Payload p(31, 0);
  p[0] = static_cast<uint8_t>(std::min<std::size_t>(files_.size(), 255));
  p[1] = active_.empty() ? 0 : 1;
  PutText(p, 2, 8, active_);
  return p;
}

Payload SimFileTable::MemoryRecord() const {
  uint64_t used = 0;
  for (const SimFile& f : files_) used += f.size;
  const uint32_t u = static_cast<uint32_t>(std::min<uint64_t>(used, kMemoryBytes));
  Payload p(17, 0);
  WriteLe<uint32_t>(std::span<uint8_t>(p), 0, kMemoryBytes);
  WriteLe<uint32_t>(std::span<uint8_t>(p), 4, u);
  WriteLe<uint32_t>(std::span<uint8_t>(p), 8, kMemoryBytes - u);
  p[12] = static_cast<uint8_t>(std::min<std::size_t>(files_.size(), 255));
  return p;
}

Payload SimFileTable::HeaderRecord() const {
  Payload p(129, 0);
  const SimFile* f = active() != nullptr ? active() : files_.empty() ? nullptr : &files_.front();
  if (f == nullptr) return p;
  PutText(p, 0, 8, f->name);
  PutText(p, 8, 16, f->pointName);
  PutText(p, 24, 16, f->pointCode);
  WriteLe<int16_t>(std::span<uint8_t>(p), 40, f->antennaHeight);
  p[42] = f->antennaMethod;
  PutText(p, 43, 3, f->operatorName);
  WriteLe<uint32_t>(std::span<uint8_t>(p), 46, f->size);
  return p;
}

}  // namespace orv::sim
