// printf-style formatting into std::string: the console's texts are defined as C formats
// ("%s %u bytes", "%1.2lf m"), so they are produced with exactly those formats.
#pragma once

#include <string>

namespace orv {

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace orv
