// vsnprintf into a string: one pass into a buffer on the stack for the usual short texts, a
// second into the string sized by the first only for a longer one.
#include "util/Format.h"

#include <cstdarg>
#include <cstdio>

namespace orv {

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  char shortText[256];
  const int n = std::vsnprintf(shortText, sizeof shortText, fmt, copy);
  va_end(copy);
  std::string out;
  if (n > 0 && static_cast<std::size_t>(n) < sizeof shortText) {
    out.assign(shortText, static_cast<std::size_t>(n));
  } else if (n > 0) {
    out.resize(static_cast<std::size_t>(n));
    std::vsnprintf(out.data(), out.size() + 1, fmt, args);
  }
  va_end(args);
  return out;
}

}  // namespace orv
