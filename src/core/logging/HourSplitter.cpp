// Times of frames and sentences, file names of the periods, and the cut itself.
#include "logging/HourSplitter.h"

#include <fcntl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

#include "util/ByteIo.h"
#include "util/CivilDate.h"
#include "util/Format.h"

namespace orv {

namespace {
constexpr double kSecondsPerWeek = 604800.0;

const int64_t kGpsEpochDays = DaysFromCivil(1980, 1, 6);

std::optional<StreamTime> FromCivil(int year, int month, int day, int hour, int minute, double second) {
  if (year < 1980 || year > 2200 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || !(second >= 0 && second < 61)) {
    return std::nullopt;
  }
  const int64_t days = DaysFromCivil(year, month, day) - kGpsEpochDays;
  if (days < 0) return std::nullopt;
  return StreamTime{static_cast<double>(days) * 86400 + hour * 3600 + minute * 60 + second, 1};
}

// The n-th comma-separated field of a sentence (field 0 is the address, "$GPRMC").
std::string Field(const std::string& s, int n) {
  std::size_t start = 0;
  for (int i = 0; i < n; ++i) {
    start = s.find(',', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  const std::size_t end = s.find_first_of(",*", start);
  return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool AllDigits(const std::string& s, std::size_t from, std::size_t n) {
  if (s.size() < from + n) return false;
  for (std::size_t i = from; i < from + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}
int Number(const std::string& s, std::size_t from, std::size_t n) { return std::atoi(s.substr(from, n).c_str()); }
}  // namespace

std::optional<StreamTime> FrameTime(const uint8_t* frame, int length) {
  if (frame == nullptr || length < 6) return std::nullopt;
  const int id = frame[1] & 0x7F;
  const std::span<const uint8_t> p(frame + 4, static_cast<std::size_t>(frame[3]));
  if (static_cast<int>(p.size()) + 6 > length) return std::nullopt;
  if (id == 21 && p.size() >= 10) {
    const double sow = ReadLe<double>(p, 0);
    const uint16_t week = ReadLe<uint16_t>(p, 8);
    if (!(sow >= 0 && sow < kSecondsPerWeek)) return std::nullopt;
    return StreamTime{week * kSecondsPerWeek + sow, 2};
  }
  if (id == 20 && p.size() >= 14) {
    return FromCivil(ReadLe<uint16_t>(p, 12), p[11], p[10], p[0] & 0x1F, p[1], ReadLe<double>(p, 2));
  }
  return std::nullopt;
}

std::optional<StreamTime> SentenceTime(const char* sentence, int length) {
  if (sentence == nullptr || length < 7) return std::nullopt;
  const std::string s(sentence, static_cast<std::size_t>(length));
  const std::string type = s.substr(3, 3);
  const std::string hms = Field(s, 1);
  if (!AllDigits(hms, 0, 6)) return std::nullopt;
  const double seconds = std::atof(hms.substr(4).c_str());
  if (type == "RMC") {
    const std::string date = Field(s, 9);
    if (!AllDigits(date, 0, 6)) return std::nullopt;
    return FromCivil(2000 + Number(date, 4, 2), Number(date, 2, 2), Number(date, 0, 2), Number(hms, 0, 2),
                     Number(hms, 2, 2), seconds);
  }
  if (type == "ZDA") {
    const std::string day = Field(s, 2), month = Field(s, 3), year = Field(s, 4);
    if (!AllDigits(day, 0, 2) || !AllDigits(month, 0, 2) || !AllDigits(year, 0, 4)) return std::nullopt;
    return FromCivil(Number(year, 0, 4), Number(month, 0, 2), Number(day, 0, 2), Number(hms, 0, 2), Number(hms, 2, 2),
                     seconds);
  }
  return std::nullopt;
}

std::string SplitFileName(const std::string& path, double seconds) {
  const int64_t whole = static_cast<int64_t>(std::floor(seconds));
  const int64_t days = whole / 86400 + kGpsEpochDays;
  // Civil date from days since 1970-01-01.
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
  const int hour = static_cast<int>((whole % 86400) / 3600);

  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  const std::string stem = hasExtension ? path.substr(0, dot) : path;
  const std::string extension = hasExtension ? path.substr(dot) : std::string();
  return stem + Format("_%04d%02u%02u_%02d", static_cast<int>(y), m, d, hour) + extension;
}

bool HourSplitter::PendingFile::Send(const uint8_t* bytes, uint32_t count) {
  this->bytes.insert(this->bytes.end(), bytes, bytes + count);
  return true;
}

HourSplitter::HourSplitter(TimedRecorder& recorder, std::string path, int splitHours)
    : recorder_(recorder), path_(std::move(path)), splitHours_(splitHours < 0 ? 0 : splitHours) {}

HourSplitter::~HourSplitter() { recorder_.SetFile(nullptr); }

bool HourSplitter::Start() {
  if (splitHours_ == 0) return OpenFile(path_);
  holding_ = true;
  recorder_.SetFile(&pending_);
  return true;
}

bool HourSplitter::OpenFile(const std::string& name) {
  // Truncated rather than removed first: a name that is not a regular file (a device, a
  // pipe) is written to, never unlinked.
  auto file = std::make_unique<LogFile>();
  if (!file->Create(name, O_CREAT | O_RDWR | O_TRUNC, 0644)) {
    failed_ = true;
    recorder_.SetFile(nullptr);
    file_.reset();
    return false;
  }
  recorder_.SetFile(file.get());
  file_ = std::move(file);
  files_.push_back(name);
  return true;
}

// Held bytes passed the gate already: they go to the file as they are.
bool HourSplitter::FlushPending() {
  holding_ = false;
  const bool ok = pending_.bytes.empty() || file_->Send(pending_.bytes.data(), static_cast<uint32_t>(pending_.bytes.size()));
  pending_.bytes.clear();
  pending_.bytes.shrink_to_fit();
  if (!ok) failed_ = true;
  return ok;
}

void HourSplitter::OnTime(uint64_t offset, const std::optional<StreamTime>& time) {
  if (splitHours_ == 0 || !time || time->rank < rank_) return;
  rank_ = time->rank;
  const double span = 3600.0 * splitHours_;
  const int64_t period = static_cast<int64_t>(std::floor(time->seconds / span));
  if (period <= period_) return;
  // The first time names the first file; the bytes before it belong there too.
  if (period_ < 0 && holding_) offset = tailStart_;
  period_ = period;
  cuts_.push_back({offset, period});
}

void HourSplitter::OnFrame(uint64_t offset, const uint8_t* frame, int length) {
  lastEnd_ = std::max(lastEnd_, offset + static_cast<uint64_t>(length));
  OnTime(offset, FrameTime(frame, length));
}

void HourSplitter::OnSentence(uint64_t offset, const char* sentence, int length, int slot) {
  (void)slot;
  lastEnd_ = std::max(lastEnd_, offset + static_cast<uint64_t>(length));
  OnTime(offset, SentenceTime(sentence, length));
}

// Bytes are passed on up to the end of the last complete frame or sentence: a frame that a
// block boundary cuts in two may turn out to be the first of a new period, and it must start
// the new file whole.
bool HourSplitter::WriteBlock(const uint8_t* bytes, uint32_t count) {
  if (failed_) return false;
  position_ += count;
  if (splitHours_ == 0) return recorder_.WriteBlock(bytes, count);
  tail_.insert(tail_.end(), bytes, bytes + count);
  // Noise without a frame in it is not held for ever.
  const uint64_t upTo = position_ - tailStart_ > kMaxTailBytes ? position_ : std::max(lastEnd_, tailStart_);
  const bool ok = Release(upTo);
  return ok && recorder_.gateOpen();
}

bool HourSplitter::Release(uint64_t upTo) {
  const double span = 3600.0 * splitHours_;
  bool ok = true;
  for (;;) {
    while (!cuts_.empty() && cuts_.front().offset <= tailStart_) {
      const Cut cut = cuts_.front();
      cuts_.pop_front();
      if (!OpenFile(SplitFileName(path_, static_cast<double>(cut.period) * span))) return false;
      if (holding_ && !FlushPending()) return false;
    }
    if (tailStart_ >= upTo) break;
    uint64_t end = upTo;
    if (!cuts_.empty() && cuts_.front().offset < end) end = cuts_.front().offset;
    const std::size_t n = static_cast<std::size_t>(end - tailStart_);
    ok = recorder_.WriteBlock(tail_.data(), static_cast<uint32_t>(n)) && ok;
    tail_.erase(tail_.begin(), tail_.begin() + static_cast<std::ptrdiff_t>(n));
    tailStart_ = end;
  }
  if (holding_ && pending_.bytes.size() > kMaxPendingBytes) {
    // No time in sight: the recording goes on under its own name.
    if (!OpenFile(path_) || !FlushPending()) return false;
  }
  return ok && !failed_;
}

bool HourSplitter::Finish() {
  if (!failed_ && splitHours_ != 0) Release(position_);
  if (holding_ && !failed_ && (!OpenFile(path_) || !FlushPending())) return false;
  recorder_.SetFile(nullptr);
  if (file_) file_->Close();
  return !failed_;
}

}  // namespace orv
