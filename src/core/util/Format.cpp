// printf formats into a string. The pages format every value they show at each update, and
// vsnprintf's general machinery was a measurable part of drawing them: the conversions the
// console's texts use (d i u x X c s f %, with flags - + space 0, a width, a precision and the
// integer length modifiers) are written here directly, numbers by std::to_chars, which gives
// the digits printf gives. Anything else (another conversion, '#', '*', a long double, a
// number that is not finite, a null string) sends the whole format to vsnprintf.
#include "util/Format.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace orv {

namespace {

// What a % directive asks for: its flags, width and precision.
struct Directive {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  int width = 0;
  int precision = -1;
};

// The field: sign, then zeros (from the '0' flag, for numbers), then the body, padded with
// spaces on the left or, with '-', on the right.
void Field(std::string& out, const Directive& s, std::string_view sign, std::string_view body, bool zeroPad) {
  const auto length = static_cast<int>(sign.size() + body.size());
  const int pad = s.width > length ? s.width - length : 0;
  if (pad > 0 && !s.left && !zeroPad) out.append(static_cast<std::size_t>(pad), ' ');
  out.append(sign);
  if (pad > 0 && !s.left && zeroPad) out.append(static_cast<std::size_t>(pad), '0');
  out.append(body);
  if (pad > 0 && s.left) out.append(static_cast<std::size_t>(pad), ' ');
}

void Integer(std::string& out, const Directive& s, bool negative, uint64_t magnitude, int base, bool upper) {
  char digits[64];
  char* end = digits;
  // "%.0d" of zero has no digits at all.
  if (!(s.precision == 0 && magnitude == 0)) end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
  if (upper) {
    for (char* p = digits; p < end; ++p) {
      if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
    }
  }
  const auto count = static_cast<int>(end - digits);
  const std::string_view sign = negative ? "-" : s.plus ? "+" : s.space ? " " : "";
  char body[128];
  int zeros = s.precision > count ? s.precision - count : 0;
  if (zeros > static_cast<int>(sizeof body) - count) zeros = static_cast<int>(sizeof body) - count;
  std::memset(body, '0', static_cast<std::size_t>(zeros));
  std::memcpy(body + zeros, digits, static_cast<std::size_t>(count));
  Field(out, s, sign, std::string_view(body, static_cast<std::size_t>(zeros + count)), s.zero && s.precision < 0);
}

// False where the format is not one of the conversions written here; `out` is then to be
// thrown away.
bool FormatDirect(std::string& out, const char* fmt, va_list args) {
  for (const char* p = fmt; *p != 0;) {
    if (*p != '%') {
      const char* next = std::strchr(p, '%');
      const std::size_t n = next == nullptr ? std::strlen(p) : static_cast<std::size_t>(next - p);
      out.append(p, n);
      p += n;
      continue;
    }
    ++p;
    if (*p == '%') {
      out.push_back('%');
      ++p;
      continue;
    }
    Directive s;
    for (;; ++p) {
      if (*p == '-') {
        s.left = true;
      } else if (*p == '+') {
        s.plus = true;
      } else if (*p == ' ') {
        s.space = true;
      } else if (*p == '0') {
        s.zero = true;
      } else {
        break;
      }
    }
    // Widths and precisions past what any text needs are left to vsnprintf.
    for (; *p >= '0' && *p <= '9'; ++p) {
      s.width = s.width * 10 + (*p - '0');
      if (s.width > 100) return false;
    }
    if (*p == '.') {
      ++p;
      s.precision = 0;
      for (; *p >= '0' && *p <= '9'; ++p) {
        s.precision = s.precision * 10 + (*p - '0');
        if (s.precision > 60) return false;
      }
    }
    // The length: 0 int, 1 char, 2 short, 3 long, 4 long long, 5 size_t, 6 intmax_t, 7 ptrdiff_t.
    int length = 0;
    if (p[0] == 'h' && p[1] == 'h') {
      length = 1, p += 2;
    } else if (p[0] == 'h') {
      length = 2, ++p;
    } else if (p[0] == 'l' && p[1] == 'l') {
      length = 4, p += 2;
    } else if (p[0] == 'l') {
      length = 3, ++p;
    } else if (p[0] == 'z') {
      length = 5, ++p;
    } else if (p[0] == 'j') {
      length = 6, ++p;
    } else if (p[0] == 't') {
      length = 7, ++p;
    }
    const char conversion = *p++;
    switch (conversion) {
      case 'd':
      case 'i': {
        int64_t v = 0;
        switch (length) {
          case 0: v = va_arg(args, int); break;
          case 1: v = static_cast<signed char>(va_arg(args, int)); break;
          case 2: v = static_cast<short>(va_arg(args, int)); break;
          case 3: v = va_arg(args, long); break;
          case 4: v = va_arg(args, long long); break;
          case 5: v = static_cast<int64_t>(va_arg(args, std::make_signed_t<std::size_t>)); break;
          case 6: v = va_arg(args, intmax_t); break;
          default: v = va_arg(args, std::ptrdiff_t); break;
        }
        const uint64_t magnitude = v < 0 ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        Integer(out, s, v < 0, magnitude, 10, false);
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        uint64_t v = 0;
        switch (length) {
          case 0: v = va_arg(args, unsigned); break;
          case 1: v = static_cast<unsigned char>(va_arg(args, unsigned)); break;
          case 2: v = static_cast<unsigned short>(va_arg(args, unsigned)); break;
          case 3: v = va_arg(args, unsigned long); break;
          case 4: v = va_arg(args, unsigned long long); break;
          case 5: v = va_arg(args, std::size_t); break;
          case 6: v = va_arg(args, uintmax_t); break;
          default: v = static_cast<uint64_t>(va_arg(args, std::ptrdiff_t)); break;
        }
        // An unsigned conversion has no sign, whatever the flags.
        Directive unsignedDirective = s;
        unsignedDirective.plus = unsignedDirective.space = false;
        Integer(out, unsignedDirective, false, v, conversion == 'u' ? 10 : 16, conversion == 'X');
        break;
      }
      case 'f': {
        if (length != 0 && length != 3) return false;
        const double v = va_arg(args, double);
        if (!std::isfinite(v)) return false;
        char text[400];
        const auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed,
                                     s.precision < 0 ? 6 : s.precision);
        if (r.ec != std::errc()) return false;
        std::string_view body(text, static_cast<std::size_t>(r.ptr - text));
        const bool negative = !body.empty() && body[0] == '-';
        if (negative) body.remove_prefix(1);
        const std::string_view sign = negative ? "-" : s.plus ? "+" : s.space ? " " : "";
        Field(out, s, sign, body, s.zero);
        break;
      }
      case 'c': {
        if (length != 0 || s.zero) return false;
        const char c = static_cast<char>(va_arg(args, int));
        Field(out, s, "", std::string_view(&c, 1), false);
        break;
      }
      case 's': {
        if (length != 0 || s.zero) return false;
        const char* text = va_arg(args, const char*);
        if (text == nullptr) return false;
        const std::size_t n =
            s.precision < 0 ? std::strlen(text) : strnlen(text, static_cast<std::size_t>(s.precision));
        Field(out, s, "", std::string_view(text, n), false);
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

std::string Format(const char* fmt, ...) {
  std::string out;
  if (fmt == nullptr) return out;
  va_list args;
  va_start(args, fmt);
  va_list direct;
  va_copy(direct, args);
  const bool done = FormatDirect(out, fmt, direct);
  va_end(direct);
  if (done) {
    va_end(args);
    return out;
  }
  // One pass into a buffer on the stack for the usual short texts, a second into the string
  // sized by the first only for a longer one.
  out.clear();
  va_list copy;
  va_copy(copy, args);
  char shortText[256];
  const int n = std::vsnprintf(shortText, sizeof shortText, fmt, copy);
  va_end(copy);
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
