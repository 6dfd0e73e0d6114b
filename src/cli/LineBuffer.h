// Output lines gathered into one buffer and written in large blocks: a decode of a large log
// prints millions of lines, and a write call per line would cost more than building them.
#pragma once

#include <cstdio>
#include <string>

#include "JsonText.h"

namespace orv::cli {

class LineBuffer {
 public:
  explicit LineBuffer(std::FILE* out) : out_(out), text_(kFlushAt + 4096) {}
  ~LineBuffer() { Flush(); }
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;

  // The text to append lines to; call Done() after each line.
  JsonText& text() { return text_; }
  void Done() {
    if (text_.size() >= kFlushAt) Flush();
  }
  void Flush() {
    if (!text_.empty()) std::fwrite(text_.data(), 1, text_.size(), out_);
    text_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 256 * 1024;
  std::FILE* out_;
  JsonText text_;
};

}  // namespace orv::cli
