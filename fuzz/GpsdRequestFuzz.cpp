// The gpsd-protocol request parser on any line: it must end, and an error stops the list.
#include <string_view>

#include "FuzzSupport.h"
#include "share/GpsdRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto requests = orv::ParseGpsdLine(line);
  for (std::size_t i = 0; i + 1 < requests.size(); ++i) {
    FUZZ_CHECK(requests[i].command != orv::GpsdCommand::kError, "parsing went on after an error (%zu of %zu)", i,
               requests.size());
  }
  return 0;
}
