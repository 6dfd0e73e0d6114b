// `plot`: the navigation position plot of a log, drawn headless by the window's own page code
// on a PDF page or a PNG image, for reports.
#include <sys/stat.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "Command.h"
#include "Options.h"
#include "desktop/PictureOutput.h"
#include "geodesy/Angles.h"
#include "plot/NavPlotWnd.h"
#include "plot/PlotFixes.h"
#include "plot/PlotStatistics.h"

namespace orv::cli {
namespace {

constexpr const char* kUsage =
    "usage: orvantis-cli plot LOG [--protocol ktx|nmea] [--scale M] [--centre LAT,LON|--centre-first] [--grid]\n"
    "                         [--coordinates] (--pdf OUT | --png OUT)\n";
constexpr AreaSize kImageSize{800, 800};

// Remembers the first fix on its way to the plot.
class FirstFix : public NavPlotLink {
 public:
  explicit FirstFix(NavPlotLink& plot) : plot_(plot) {}
  void AddPoint(double latitude, double longitude, int navMode) override {
    if (!first) first = PlotFix{latitude, longitude, static_cast<uint32_t>(navMode)};
    plot_.AddPoint(latitude, longitude, navMode);
  }
  std::optional<PlotFix> first;

 private:
  NavPlotLink& plot_;
};

std::optional<PlotCentre> ParseCentre(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const std::string a = text.substr(0, comma);
  const std::string b = text.substr(comma + 1);
  char* end = nullptr;
  const double lat = std::strtod(a.c_str(), &end);
  if (a.empty() || *end != '\0') return std::nullopt;
  const double lon = std::strtod(b.c_str(), &end);
  if (b.empty() || *end != '\0') return std::nullopt;
  if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 360) return std::nullopt;
  return PlotCentre{DegreesToRadians(lat), DegreesToRadians(lon)};
}

struct PlotArgs {
  std::optional<int> scale;
  std::optional<PlotCentre> centre;
  bool centreFirst = false;
  bool grid = false;
  bool coordinates = false;
  std::string pdf;
  std::string png;
  int protocolSelector = 1;
  std::string log;
};

// nullopt after a message on stderr.
std::optional<PlotArgs> ParseArgs(const std::vector<std::string>& args) {
  PlotArgs out;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--grid") {
      out.grid = true;
    } else if (a == "--coordinates") {
      out.coordinates = true;
    } else if (a == "--centre-first") {
      out.centreFirst = true;
    } else if (a == "--scale" || a == "--centre" || a == "--pdf" || a == "--png") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "orvantis-cli plot: %s needs a value\n%s", a.c_str(), kUsage);
        return std::nullopt;
      }
      const std::string& v = args[++i];
      if (a == "--scale") {
        char* end = nullptr;
        const long s = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || s < kPlotMinScale || s > kPlotMaxScale) {
          std::fprintf(stderr, "orvantis-cli plot: --scale takes whole metres from 1 to 1000, not '%s'\n", v.c_str());
          return std::nullopt;
        }
        out.scale = static_cast<int>(s);
      } else if (a == "--centre") {
        out.centre = ParseCentre(v);
        if (!out.centre) {
          std::fprintf(stderr, "orvantis-cli plot: --centre takes LAT,LON in degrees, not '%s'\n", v.c_str());
          return std::nullopt;
        }
      } else if (a == "--pdf") {
        out.pdf = v;
      } else {
        out.png = v;
      }
    } else {
      rest.push_back(a);
    }
  }
  auto parsed = ParseProtocolArgs(rest, "plot");
  if (!parsed) return std::nullopt;
  if (!parsed->flags.empty()) {
    std::fprintf(stderr, "orvantis-cli plot: unknown option '%s'\n%s", parsed->flags[0].c_str(), kUsage);
    return std::nullopt;
  }
  if (parsed->positional.size() != 1 || out.pdf.empty() == out.png.empty() || (out.centre && out.centreFirst)) {
    std::fputs(kUsage, stderr);
    return std::nullopt;
  }
  out.protocolSelector = parsed->protocolSelector;
  out.log = parsed->positional[0];
  return out;
}

int RunPlot(const std::vector<std::string>& args) {
  const auto a = ParseArgs(args);
  if (!a) return 2;
  struct stat st{};
  std::FILE* log = nullptr;
  if (::stat(a->log.c_str(), &st) == 0 && S_ISREG(st.st_mode)) log = std::fopen(a->log.c_str(), "rb");
  if (log == nullptr) {
    std::fprintf(stderr, "orvantis-cli plot: cannot read '%s': not a readable file\n", a->log.c_str());
    return 1;
  }
  CNavPlotWnd plot(PageContext{});
  plot.OnCreate("Navigation Position Window - Msg 20");
  FirstFix first(plot);
  const PlotLogRead read = ReadPlotFixes(log, a->protocolSelector, first);
  std::fclose(log);
  if (read.readError) {
    std::fprintf(stderr, "orvantis-cli plot: read error in '%s'\n", a->log.c_str());
    return 1;
  }

  // The centre: as asked, else the first fix, else the fixes' mean, else the default centre.
  PlotSettings s = plot.settings();
  s.showGrid = a->grid;
  s.showCoordinates = a->coordinates;
  if (a->scale) s.scale = *a->scale;
  const auto statistics = ComputePlotStatistics(plot.ring());
  if (a->centre) {
    s.centreLatitude = a->centre->latitude;
    s.centreLongitude = a->centre->longitude;
  } else if (a->centreFirst && first.first) {
    s.centreLatitude = first.first->latitude;
    s.centreLongitude = first.first->longitude;
  } else if (statistics) {
    s.centreLatitude = statistics->meanLatitude;
    s.centreLongitude = statistics->meanLongitude;
  }
  plot.ApplySettings(s);

  // Fonts and images need a GUI application, which needs no screen on the offscreen platform.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "orvantis-cli";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  const PagePicture picture = [&plot](Canvas& c) { plot.DrawPicture(c); };
  const std::string& out = a->pdf.empty() ? a->png : a->pdf;
  if (!a->pdf.empty()) {
    const PrintResult r = WritePicturePdf(a->pdf, plot.caption(), picture);
    if (r.outcome != PrintOutcome::Printed) {
      std::fprintf(stderr, "orvantis-cli plot: %s\n", r.error.c_str());
      return 1;
    }
  } else if (!RenderPictureImage(kImageSize, picture).save(QString::fromStdString(a->png), "PNG")) {
    std::fprintf(stderr, "orvantis-cli plot: unable to write '%s'\n", a->png.c_str());
    return 1;
  }
  std::printf("%s: %llu fixes, scale %d m; %s\n", out.c_str(), static_cast<unsigned long long>(read.fixes),
              plot.settings().scale, PlotStatisticsText(statistics).c_str());
  return 0;
}

const Register kPlot({"plot",
                      "plot LOG [--protocol ktx|nmea] [--scale M] [--centre LAT,LON|--centre-first] [--grid] "
                      "[--coordinates] (--pdf OUT | --png OUT)",
                      "draws the navigation position plot of a log's fixes (message 20 or GGA) as a PDF page or PNG",
                      RunPlot});

}  // namespace
}  // namespace orv::cli
