// NavUtility against GeographicLib's CartConvert (Debian geographiclib-tools, which
// scripts/install-deps installs), an independent implementation of the same WGS-84
// conversions, in both directions over the places where conversions go wrong: the equator,
// both hemispheres, within a millimetre of the poles, the antimeridian, from below sea level
// to beyond the geostationary orbit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "geodesy/Angles.h"
#include "geodesy/NavUtility.h"
#include "support/Frames.h"
#include "support/RunCommand.h"

namespace orv {
namespace {

struct Geodetic {
  double latDeg, lonDeg, h;
};
struct Xyz {
  double x, y, z;
};

// 8e-9 degree from a pole is 0.9 mm from the axis.
constexpr double kNearPole = 89.999999992;
const Geodetic kPoints[] = {
    {0, 0, 0},           {0, 90, 100},           {0, -90, -400},         {0, 180, 0},
    {0, -180, 36.0e6},   {45, 10, 100},          {-45, -60, 2500},       {37.5, 139.7, 35786.0e3},
    {-33.9, 151.2, -400}, {kNearPole, 30, 0},    {-kNearPole, -150, 0},  {60, -179.9999999, 8848},
    {-60, 179.9999999, 20.2e6}, {kNearPole, 180, 36.0e6}, {-kNearPole, 0, -400}, {10, 179.5, 36.0e6},
    {80, 30, 1.0e6},     {-80, -100, 0},         {1e-9, -1e-9, 0},       {-12.5, -73.4, 120.25},
};
// The poles themselves, and points a millimetre off, only as Cartesian input.
const Xyz kPoleXyz[] = {
    {0, 0, 6356752.314245179},          {0, 0, -6356752.314245179 - 400}, {0.0007, -0.0005, 6356752.314245179 + 1e5},
    {-0.0006, 0.0007, -6356752.314245179}, {0, 0, 4.2e7},
};

bool HaveCartConvert() { return test::RunCommand("command -v CartConvert >/dev/null 2>&1").status == 0; }

// Runs CartConvert over one line per input, returning three numbers per line.
std::vector<std::array<double, 3>> CartConvert(const std::vector<std::string>& lines, bool reverse) {
  const std::string path = test::TempDir() + "/cartconvert.in";
  {
    std::ofstream in(path);
    for (const std::string& l : lines) in << l << '\n';
  }
  const auto r = test::RunCommand(std::string("CartConvert -p 10 ") + (reverse ? "-r " : "") + "< " +
                                  test::ShellQuote(path));
  std::remove(path.c_str());
  std::vector<std::array<double, 3>> out;
  std::istringstream text(r.out);
  std::array<double, 3> v;
  while (text >> v[0] >> v[1] >> v[2]) out.push_back(v);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(out.size(), lines.size()) << r.out;
  return out;
}

std::string Line(double a, double b, double c, int decimals) {
  char text[160];
  std::snprintf(text, sizeof text, "%.*f %.*f %.10f", decimals, a, decimals, b, c);
  return text;
}

struct Worst {
  double lat = 0, lon = 0, h = 0, xyz = 0;
  void Print(const char* what) const {
    std::printf("%s: worst latitude %.3g rad, longitude %.3g rad, height %.3g m, X/Y/Z %.3g m\n", what, lat, lon, h,
                xyz);
  }
};

// Compares a geodetic result with the reference's, in radians and metres. `p` is the distance
// from the axis: on it the longitude is anything, and just off it the longitude is only as
// fine as the Cartesian text it was read from (CartConvert prints 10 decimals of a metre).
void ExpectSameGeodetic(const GeodeticPosition& g, const std::array<double, 3>& ref, double p, Worst& w,
                        const std::string& where) {
  const double dLat = std::fabs(g.latitude - DegreesToRadians(ref[0]));
  const double dLon = p > 1e-6 ? std::fabs(std::remainder(g.longitude - DegreesToRadians(ref[1]), 2 * kPi)) : 0.0;
  const double dH = std::fabs(g.height - ref[2]);
  EXPECT_LE(dLat, 1e-11) << where;
  EXPECT_LE(dLon, std::max(1e-11, 2e-10 / p)) << where;
  EXPECT_LE(dH, 1e-4) << where;
  EXPECT_TRUE(g.converged) << where;
  w.lat = std::max(w.lat, dLat);
  if (p >= 20) w.lon = std::max(w.lon, dLon);  // where the text resolves 1e-11 rad
  w.h = std::max(w.h, dH);
}

TEST(GeodesyReferenceTest, ConversionsAgreeWithCartConvertBothWays) {
  if (!HaveCartConvert()) GTEST_SKIP() << "CartConvert is not installed (scripts/install-deps installs geographiclib-tools)";
  std::vector<std::string> geodetic;
  for (const Geodetic& g : kPoints) geodetic.push_back(Line(g.latDeg, g.lonDeg, g.h, 15));
  const auto refXyz = CartConvert(geodetic, false);
  ASSERT_EQ(refXyz.size(), std::size(kPoints));

  // Geodetic to Cartesian: our X, Y, Z beside the reference's, and read back by the reference.
  Worst toCartesian;
  std::vector<Xyz> ours;
  std::vector<std::string> oursText;
  for (std::size_t i = 0; i < std::size(kPoints); ++i) {
    const Geodetic& g = kPoints[i];
    const auto c = NavUtility::GeodeticToCartesian(DegreesToRadians(g.latDeg), DegreesToRadians(g.lonDeg), g.h);
    const double d = std::max({std::fabs(c.x - refXyz[i][0]), std::fabs(c.y - refXyz[i][1]), std::fabs(c.z - refXyz[i][2])});
    EXPECT_LE(d, 1e-4) << geodetic[i];
    toCartesian.xyz = std::max(toCartesian.xyz, d);
    ours.push_back({c.x, c.y, c.z});
    oursText.push_back(Line(c.x, c.y, c.z, 10));
  }
  const auto oursBack = CartConvert(oursText, true);
  ASSERT_EQ(oursBack.size(), ours.size());
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const Geodetic& g = kPoints[i];
    const GeodeticPosition input{DegreesToRadians(g.latDeg), DegreesToRadians(g.lonDeg), g.h, true};
    ExpectSameGeodetic(input, oursBack[i], std::hypot(ours[i].x, ours[i].y), toCartesian, geodetic[i]);
  }
  toCartesian.Print("geodetic to Cartesian");

  // Cartesian to geodetic, one component throughout so that every conversion starts from the
  // latitude of the one before, as on a live track.
  std::vector<Xyz> cartesian;
  for (const auto& v : refXyz) cartesian.push_back({v[0], v[1], v[2]});
  cartesian.insert(cartesian.end(), std::begin(kPoleXyz), std::end(kPoleXyz));
  std::vector<std::string> cartesianText;
  for (const Xyz& c : cartesian) cartesianText.push_back(Line(c.x, c.y, c.z, 10));
  const auto refGeodetic = CartConvert(cartesianText, true);
  ASSERT_EQ(refGeodetic.size(), cartesian.size());
  NavUtility nav;
  Worst toGeodetic;
  for (std::size_t i = 0; i < cartesian.size(); ++i) {
    // The reference read the coordinates as printed; so do we.
    double x, y, z;
    std::sscanf(cartesianText[i].c_str(), "%lf %lf %lf", &x, &y, &z);
    ExpectSameGeodetic(nav.CartesianToGeodetic(x, y, z), refGeodetic[i], std::hypot(x, y), toGeodetic,
                       cartesianText[i]);
  }
  toGeodetic.Print("Cartesian to geodetic");
}

}  // namespace
}  // namespace orv
