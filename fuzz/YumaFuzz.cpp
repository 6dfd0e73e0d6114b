// The Yuma almanac reader on any text: at most 32 records, each with an ID from 1 to 32.
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "maintenance/YumaAlmanac.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  const orv::YumaReadResult r = orv::ReadYuma(in, size > 0 ? data[0] % 3 : 0);
  FUZZ_CHECK(r.records.size() <= 32, "%zu records", r.records.size());
  for (const auto& e : r.records) FUZZ_CHECK(e.prnIndex >= 0 && e.prnIndex < 32, "ID index %d", e.prnIndex);
  FUZZ_CHECK(r.unhealthy >= 0 && r.badId >= 0 && r.overflow >= 0, "negative counts");
  return 0;
}
