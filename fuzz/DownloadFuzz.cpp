// The file download's handling of the receiver's answers (message 70, sub-ID 6): an INITIATE
// for a file, a START, then answers the input makes up, each a length byte and its bytes. Any
// announcement and any block, however wrong, must leave the output within the file announced.
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "maintenance/FileDownload.h"
#include "protocol/FrameEncoder.h"
#include "support/FakeDesktop.h"
#include "support/RecordingChannel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace orv;
  using D = FileDownloadDialog;
  test::FakeDesktop desk;
  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  std::string folder;
  uint32_t rate = 9600;
  const std::string out = fuzz::ScratchPath("download.bin");
  desk.saveFileAnswer = out;
  {
    D dialog(&encoder, DownloadPort{[&rate](uint32_t baud) { rate = baud; return true; }, [&rate] { return rate; }},
             9600, desk, desk, folder);
    dialog.form().SetText(D::kFileName, "F");
    dialog.form().Press(D::kSend);  // INITIATE
    std::size_t at = 0;
    bool started = false;
    while (at < size) {
      const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
      DownloadBlockRecord r;
      r.Assign(std::span<const uint8_t>(data + at + 1, n));
      dialog.OnDownloadBlock(r, r.length());
      at += 1 + n;
      // After the first answer the user presses Send once more: START.
      if (!started) {
        dialog.form().Press(D::kSend);
        started = true;
      }
      const DownloadOutput& o = dialog.output();
      FUZZ_CHECK(o.arrived() <= o.count(), "%u of %u blocks arrived", o.arrived(), o.count());
      FUZZ_CHECK(o.expectedLength() <= uint64_t{o.count()} * o.blockSize(), "length %llu for %u blocks of %u",
                 (unsigned long long)o.expectedLength(), o.count(), o.blockSize());
      struct stat st{};
      if (!o.currentPath().empty() && ::stat(o.currentPath().c_str(), &st) == 0) {
        FUZZ_CHECK(static_cast<uint64_t>(st.st_size) <= uint64_t{o.count()} * o.blockSize(),
                   "the file has %lld bytes for %u blocks of %u", (long long)st.st_size, o.count(), o.blockSize());
      }
    }
  }
  std::remove(out.c_str());
  std::remove((out + ".part").c_str());
  return 0;
}
