#include "share/GpsdRequest.h"

#include <cctype>

namespace orv {

namespace {

// What an error message quotes of a bad request: printable, and short.
std::string Quote(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 40)) out += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
  if (text.size() > 40) out += "...";
  return out;
}

class Cursor {
 public:
  explicit Cursor(std::string_view text) : t_(text) {}
  void SkipSpace() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\r')) ++i_;
  }
  bool AtEnd() const { return i_ >= t_.size(); }
  char Peek() const { return AtEnd() ? '\0' : t_[i_]; }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  std::string_view Rest() const { return t_.substr(i_ < t_.size() ? i_ : t_.size()); }
  std::string_view Word() {
    const std::size_t start = i_;
    while (i_ < t_.size() && std::isalpha(static_cast<unsigned char>(t_[i_]))) ++i_;
    return t_.substr(start, i_ - start);
  }
  // A JSON string without escapes beyond \" and \\ (the protocol's names and values).
  bool String(std::string& out) {
    if (!Take('"')) return false;
    out.clear();
    while (!AtEnd()) {
      char c = t_[i_++];
      if (c == '"') return true;
      if (c == '\\') {
        if (AtEnd()) return false;
        c = t_[i_++];
      }
      out += c;
    }
    return false;
  }
  // A scalar value: true, false, null, a number or a string. Sets `flag` for true and false.
  bool Scalar(std::optional<bool>& flag) {
    flag.reset();
    if (Peek() == '"') {
      std::string ignored;
      return String(ignored);
    }
    const std::string_view rest = Rest();
    for (std::string_view word : {std::string_view("true"), std::string_view("false"), std::string_view("null")}) {
      if (rest.substr(0, word.size()) == word) {
        i_ += word.size();
        if (word != "null") flag = word == "true";
        return true;
      }
    }
    const std::size_t start = i_;
    while (i_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[i_])) || t_[i_] == '-' || t_[i_] == '+' ||
                              t_[i_] == '.' || t_[i_] == 'e' || t_[i_] == 'E')) {
      ++i_;
    }
    return i_ > start;
  }

 private:
  std::string_view t_;
  std::size_t i_ = 0;
};

// {"name":value,...}; the switches of WATCH are kept, other members are read and ignored.
bool ParseObject(Cursor& c, GpsdRequest& r) {
  c.SkipSpace();
  if (!c.Take('{')) return false;
  c.SkipSpace();
  if (c.Take('}')) return true;
  for (;;) {
    c.SkipSpace();
    std::string name;
    if (!c.String(name)) return false;
    c.SkipSpace();
    if (!c.Take(':')) return false;
    c.SkipSpace();
    std::optional<bool> flag;
    if (!c.Scalar(flag)) return false;
    if (name == "enable") r.enable = flag;
    if (name == "json") r.json = flag;
    if (name == "nmea") r.nmea = flag;
    c.SkipSpace();
    if (c.Take('}')) return true;
    if (!c.Take(',')) return false;
  }
}

GpsdRequest Error(std::string message) {
  GpsdRequest r;
  r.error = std::move(message);
  return r;
}

}  // namespace

std::vector<GpsdRequest> ParseGpsdLine(std::string_view line) {
  std::vector<GpsdRequest> out;
  Cursor c(line);
  c.SkipSpace();
  while (!c.AtEnd()) {
    if (!c.Take('?')) {
      out.push_back(Error("Unrecognized request '" + Quote(c.Rest()) + "'"));
      return out;
    }
    const std::string_view word = c.Word();
    GpsdRequest r;
    if (word == "VERSION") {
      r.command = GpsdCommand::kVersion;
    } else if (word == "WATCH") {
      r.command = GpsdCommand::kWatch;
    } else if (word == "DEVICES") {
      r.command = GpsdCommand::kDevices;
    } else if (word == "DEVICE") {
      r.command = GpsdCommand::kDevice;
    } else if (word == "POLL") {
      r.command = GpsdCommand::kPoll;
    } else {
      out.push_back(Error("Unrecognized request '" + Quote(word) + "'"));
      return out;
    }
    if (c.Take('=')) {
      if (!ParseObject(c, r)) {
        out.push_back(Error("Invalid " + std::string(word) + ": '" + Quote(line) + "'"));
        return out;
      }
    }
    out.push_back(r);
    c.SkipSpace();
    while (c.Take(';') || c.Take('\n')) c.SkipSpace();
  }
  return out;
}

}  // namespace orv
