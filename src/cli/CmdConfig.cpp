// `config`: shows every named field of a configuration file as JSON, or writes a file of
// defaults. A file that is not exactly one record long is reported, never guessed at.
#include <fcntl.h>
#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "Command.h"
#include "Options.h"
#include "config/Configuration.h"
#include "config/ConfigurationFile.h"
#include "util/Format.h"

namespace orv::cli {
namespace {

constexpr const char* kUsage = "config show FILE | config defaults FILE";

std::string Number(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("null");
}

std::string Element(const Configuration& c, const ConfigField& f, std::size_t i) {
  const std::size_t off = f.offset + i * f.width;
  switch (f.type) {
    case FieldType::Byte: return Format("%u", static_cast<unsigned>(c.U8(off)));
    case FieldType::Int16: return Format("%d", static_cast<int>(c.I16(off)));
    case FieldType::Int32: return Format("%d", static_cast<int>(c.I32(off)));
    case FieldType::Double: return Number(c.F64(off));
    case FieldType::Text: return JsonString(c.Text(off, f.width));
  }
  return "null";
}

std::string Value(const Configuration& c, const ConfigField& f) {
  if (f.count == 1) return Element(c, f, 0);
  std::string s = "[";
  for (std::size_t i = 0; i < f.count; ++i) {
    if (i > 0) s += ',';
    s += Element(c, f, i);
  }
  return s + "]";
}

std::string Windows(const Configuration& c, bool rects) {
  std::string s = "{";
  bool first = true;
  for (const auto& w : WindowTable()) {
    s += Format("%s\"%d\":", first ? "" : ",", w.command);
    first = false;
    if (!rects) {
      s += Format("%d", static_cast<int>(c.I32(w.flagOffset)));
      continue;
    }
    const ScreenRect r = c.windowRect(w.command);
    s += Format("{\"left\":%d,\"top\":%d,\"right\":%d,\"bottom\":%d}", r.left, r.top, r.right, r.bottom);
  }
  return s + "}";
}

// Rows named "group.member" are gathered into one object named after the group.
std::string ToJson(const Configuration& c) {
  std::string s = "{\n  \"windowOpenFlags\": " + Windows(c, false);
  std::string group;
  for (const auto& f : ConfigurationFields()) {
    const std::string_view name(f.name);
    const auto dot = name.find('.');
    const std::string rowGroup(dot == std::string_view::npos ? std::string_view() : name.substr(0, dot));
    if (!group.empty() && rowGroup != group) s += "}";
    if (rowGroup.empty()) {
      s += ",\n  " + JsonString(std::string(name)) + ": " + Value(c, f);
    } else {
      s += rowGroup != group ? ",\n  " + JsonString(rowGroup) + ": {" : std::string(",");
      s += JsonString(std::string(name.substr(dot + 1))) + ":" + Value(c, f);
    }
    group = rowGroup;
    if (name == "mainWindow.height") {
      s += "},\n  \"windowRects\": " + Windows(c, true);
      group.clear();
    }
  }
  if (!group.empty()) s += "}";
  return s + "\n}\n";
}

int Show(const std::string& path) {
  if (!CheckReadableFile(path, "config")) return 2;
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) {
    std::fprintf(stderr, "orvantis-cli config: cannot read '%s'\n", path.c_str());
    return 2;
  }
  if (static_cast<uint64_t>(st.st_size) != kConfigurationSize) {
    std::fprintf(stderr, "orvantis-cli config: '%s' is %lld bytes long, not %zu: not a configuration file\n",
                 path.c_str(), static_cast<long long>(st.st_size), kConfigurationSize);
    return 2;
  }
  Configuration config;
  const auto got = ReadConfigurationImage(path, O_RDONLY, config.image());
  if (!got || *got != kConfigurationSize) {
    std::fprintf(stderr, "orvantis-cli config: cannot read '%s'\n", path.c_str());
    return 2;
  }
  std::fputs(ToJson(config).c_str(), stdout);
  return 0;
}

int WriteDefaults(const std::string& path) {
  Configuration config;
  config.SetDefaults();
  ConfigurationFile file(config);
  file.SetPath(path);
  if (!file.SaveConfiguration(nullptr, false)) {
    std::fprintf(stderr, "orvantis-cli config: cannot write '%s'\n", path.c_str());
    return 1;
  }
  return 0;
}

int RunConfig(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "show") return Show(args[1]);
  if (args.size() == 2 && args[0] == "defaults") return WriteDefaults(args[1]);
  std::fprintf(stderr, "usage: orvantis-cli %s\n", kUsage);
  return 2;
}

const Register kConfig({"config", kUsage, "print a configuration file as JSON, or write one holding the defaults",
                        RunConfig});

}  // namespace
}  // namespace orv::cli
