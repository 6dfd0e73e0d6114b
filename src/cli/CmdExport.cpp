// `export`: writes the track of a log file, one point per epoch with a position, as GPX, KML,
// CSV or GeoJSON.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "Command.h"
#include "Options.h"
#include "track/TrackExport.h"

namespace orv::cli {
namespace {

constexpr const char* kUsage =
    "usage: orvantis-cli export --format gpx|kml|csv|geojson [--protocol ktx|nmea|auto] [--from 20|21] LOG [OUT]\n";

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int RunExport(const std::vector<std::string>& args) {
  // --format and --from take a value; the rest is the protocol parser's.
  std::optional<TrackFormat> format;
  EpochMessage from = EpochMessage::kFirstSeen;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string name, value;
    if (a == "--format" || a == "--from") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "orvantis-cli export: %s needs a value\n%s", a.c_str(), kUsage);
        return 2;
      }
      name = a;
      value = args[++i];
    } else if (a.rfind("--format=", 0) == 0 || a.rfind("--from=", 0) == 0) {
      const std::size_t eq = a.find('=');
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    } else {
      rest.push_back(a);
      continue;
    }
    if (name == "--format") {
      format = ParseTrackFormat(value);
      if (!format) {
        std::fprintf(stderr, "orvantis-cli export: unknown format '%s' (gpx, kml, csv or geojson)\n", value.c_str());
        return 2;
      }
    } else if (value == "20") {
      from = EpochMessage::kNavLlh;
    } else if (value == "21") {
      from = EpochMessage::kNavXyz;
    } else {
      std::fprintf(stderr, "orvantis-cli export: --from takes 20 or 21, not '%s'\n", value.c_str());
      return 2;
    }
  }
  auto parsed = ParseProtocolArgs(rest, "export");
  if (!parsed) return 2;
  if (!parsed->flags.empty()) {
    std::fprintf(stderr, "orvantis-cli export: unknown option '%s'\n%s", parsed->flags[0].c_str(), kUsage);
    return 2;
  }
  if (!format || parsed->positional.empty() || parsed->positional.size() > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  ResolveProtocol(*parsed, parsed->positional[0], "export");
  if (parsed->protocolSelector == 0 && from != EpochMessage::kFirstSeen) {
    std::fprintf(stderr, "orvantis-cli export: --from applies to KTX Binary logs only\n");
    return 2;
  }
  const std::string& path = parsed->positional[0];
  if (!CheckReadableFile(path, "export")) return 2;
  std::FILE* log = std::fopen(path.c_str(), "rb");
  if (log == nullptr) {
    std::fprintf(stderr, "orvantis-cli export: cannot read '%s': %s\n", path.c_str(), std::strerror(errno));
    return 2;
  }
  std::FILE* out = stdout;
  std::string outPath;
  if (parsed->positional.size() == 2) {
    outPath = parsed->positional[1];
    out = std::fopen(outPath.c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "orvantis-cli export: cannot write '%s'\n", outPath.c_str());
      std::fclose(log);
      return 2;
    }
  }
  EpochOptions options;
  options.protocolSelector = parsed->protocolSelector;
  options.from = from;
  const TrackExportResult r = ExportTrack(log, options, *format, out, BaseName(path));
  std::fclose(log);
  bool writeError = r.writeError;
  if (out != stdout && std::fclose(out) != 0) writeError = true;
  std::fprintf(stderr, "orvantis-cli export: %llu points in %llu segments; %llu epochs without a valid position skipped",
               static_cast<unsigned long long>(r.points), static_cast<unsigned long long>(r.segments),
               static_cast<unsigned long long>(r.skipped));
  if (r.read.untimedEpochs > 0) {
    std::fprintf(stderr, ", %llu without a time", static_cast<unsigned long long>(r.read.untimedEpochs));
  }
  std::fputc('\n', stderr);
  if (r.read.readError) {
    std::fprintf(stderr, "orvantis-cli export: reading '%s' failed\n", path.c_str());
    return 1;
  }
  if (writeError) {
    std::fprintf(stderr, "orvantis-cli export: writing %s failed\n", outPath.empty() ? "standard output" : outPath.c_str());
    return 1;
  }
  return 0;
}

const Register kExport({"export", "export --format gpx|kml|csv|geojson [--protocol ktx|nmea|auto] [--from 20|21] LOG [OUT]",
                        "write the track of a log file as GPX, KML, CSV or GeoJSON", RunExport});

}  // namespace
}  // namespace orv::cli
