// NavUtility: the WGS-84 conversions at the places that break naive formulas (the poles, the
// Earth's centre, input that is not a number), the local frame and the local sigmas.
#include "geodesy/NavUtility.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geodesy/Angles.h"

namespace orv {
namespace {

constexpr double kB = 6356752.314245179;  // WGS-84 semi-minor axis
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

TEST(NavUtilityTest, KnownPointsAndARoundTrip) {
  NavUtility nav;
  auto g = nav.CartesianToGeodetic(6378137, 0, 0);
  EXPECT_EQ(g.latitude, 0.0);
  EXPECT_EQ(g.longitude, 0.0);
  EXPECT_NEAR(g.height, 0.0, 1e-9);
  g = nav.CartesianToGeodetic(0, 6378137, 0);
  EXPECT_DOUBLE_EQ(g.longitude, kPi / 2);
  EXPECT_NEAR(g.height, 0.0, 1e-9);

  const auto c = NavUtility::GeodeticToCartesian(DegreesToRadians(45), 0, 100);
  g = nav.CartesianToGeodetic(c.x, c.y, c.z);
  EXPECT_TRUE(g.converged);
  EXPECT_NEAR(g.latitude, DegreesToRadians(45), 1e-9);
  EXPECT_NEAR(g.longitude, 0, 1e-9);
  EXPECT_NEAR(g.height, 100, 1e-3);
}

TEST(NavUtilityTest, HeightHoldsAtAndNearThePoles) {
  NavUtility nav;
  for (double sign : {1.0, -1.0}) {
    for (double h : {0.0, -400.0, 1000.0}) {
      const auto g = nav.CartesianToGeodetic(0, 0, sign * (kB + h));
      EXPECT_DOUBLE_EQ(g.latitude, sign * kPi / 2);
      EXPECT_NEAR(g.height, h, 1e-6) << sign << " " << h;
      // A millimetre off the axis.
      const auto near = nav.CartesianToGeodetic(0.0007, 0.0007, sign * (kB + h));
      EXPECT_NEAR(near.height, h, 1e-6) << sign << " " << h;
    }
  }
}

TEST(NavUtilityTest, HeightAwayFromThePolesIsThatOfTheDividingForm) {
  NavUtility nav;
  for (double latDeg = -80; latDeg <= 80; latDeg += 10) {
    for (double h : {-400.0, 0.0, 8848.0, 2.02e7}) {
      const auto c = NavUtility::GeodeticToCartesian(DegreesToRadians(latDeg), DegreesToRadians(33), h);
      const auto g = nav.CartesianToGeodetic(c.x, c.y, c.z);
      const double s = std::sin(g.latitude);
      const double n = NavUtility::kSemiMajorAxis / std::sqrt(1 - NavUtility::kEccentricitySquared * s * s);
      const double dividing = std::hypot(c.x, c.y) / std::cos(g.latitude) - n;
      EXPECT_NEAR(g.height, dividing, 1e-6) << latDeg << " " << h;
    }
  }
}

TEST(NavUtilityTest, InputThatIsNotANumberLeavesNoTraceOnLaterConversions) {
  NavUtility nav;
  const auto c = NavUtility::GeodeticToCartesian(DegreesToRadians(60), 0.2, 50);
  nav.CartesianToGeodetic(c.x, c.y, c.z);
  EXPECT_NE(nav.latitudeSeed(), 0.0);
  for (double bad : {kNan, std::numeric_limits<double>::infinity()}) {
    const auto g = nav.CartesianToGeodetic(bad, 1e6, 1e6);
    EXPECT_FALSE(g.converged);
    EXPECT_TRUE(std::isnan(g.latitude) && std::isnan(g.longitude) && std::isnan(g.height));
    EXPECT_EQ(nav.latitudeSeed(), 0.0);
  }
  // The next conversion is exactly what a fresh component gives.
  NavUtility fresh;
  const auto after = nav.CartesianToGeodetic(c.x, c.y, c.z);
  const auto expected = fresh.CartesianToGeodetic(c.x, c.y, c.z);
  EXPECT_EQ(after.latitude, expected.latitude);
  EXPECT_EQ(after.height, expected.height);
  EXPECT_NEAR(after.height, 50, 1e-6);
}

TEST(NavUtilityTest, TheCentreAndPointsNearItReturnFiniteValues) {
  NavUtility nav;
  auto g = nav.CartesianToGeodetic(0, 0, 0);
  EXPECT_TRUE(std::isfinite(g.latitude) && std::isfinite(g.height));
  int unsettled = 0;
  for (double r : {1e-9, 0.5, 30.0, 1000.0, 20000.0, 42000.0}) {
    for (double angle = -1.5; angle <= 1.5; angle += 0.25) {
      g = nav.CartesianToGeodetic(r * std::cos(angle), r * 0.1, r * std::sin(angle));
      EXPECT_TRUE(std::isfinite(g.latitude) && std::isfinite(g.longitude) && std::isfinite(g.height)) << r;
      EXPECT_LE(std::fabs(g.latitude), kPi / 2);
      if (!g.converged) {
        ++unsettled;
        EXPECT_EQ(nav.latitudeSeed(), 0.0);
      }
    }
  }
  // Some of these never settle; the round limit is what ends them.
  EXPECT_GT(unsettled, 0);
  // And a point on the surface afterwards is right again.
  const auto c = NavUtility::GeodeticToCartesian(-0.7, 2.0, 10);
  g = nav.CartesianToGeodetic(c.x, c.y, c.z);
  EXPECT_NEAR(g.latitude, -0.7, 1e-12);
  EXPECT_NEAR(g.height, 10, 1e-6);
}

// A small step along the surface, as a Cartesian difference, rotated into the local frame.
LocalVector Step(NavUtility& nav, double lat, double lon, double dLat, double dLon, double dH) {
  const auto a = NavUtility::GeodeticToCartesian(lat, lon, 0);
  const auto b = NavUtility::GeodeticToCartesian(lat + dLat, lon + dLon, dH);
  const double d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
  const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  return *nav.RotateToLocal({d[0] / len, d[1] / len, d[2] / len});
}

TEST(NavUtilityTest, LocalFrameIsNorthEastUpAtTheReference) {
  NavUtility nav;
  EXPECT_FALSE(nav.IsReferenceSet());
  EXPECT_FALSE(nav.RotateToLocal({1, 0, 0}).has_value());
  const double lat = DegreesToRadians(-33.9), lon = DegreesToRadians(151.2);
  nav.SetReference(lat, lon);
  EXPECT_TRUE(nav.IsReferenceSet());

  const LocalVector north = Step(nav, lat, lon, 1e-7, 0, 0);
  EXPECT_NEAR(north.north, 1, 1e-6);
  EXPECT_NEAR(north.east, 0, 1e-6);
  EXPECT_NEAR(north.up, 0, 1e-6);
  EXPECT_NEAR(Step(nav, lat, lon, 0, 1e-7, 0).east, 1, 1e-6);
  EXPECT_NEAR(Step(nav, lat, lon, 0, 0, 1).up, 1, 1e-9);
}

TEST(NavUtilityTest, SigmasFromVariancesAndFromACovariance) {
  NavUtility nav;
  EXPECT_FALSE(nav.SigmasFromVariances({1, 1, 1}).horizontal);
  EXPECT_FALSE(nav.SigmasFromCovariance({}).has_value());

  // At latitude 0, longitude 0: up is X, east is Y, north is Z.
  nav.SetReference(0, 0);
  const LocalSigmas s = nav.SigmasFromVariances({1, 4, 9});
  EXPECT_NEAR(*s.horizontal, std::sqrt(13.0), 1e-12);
  EXPECT_NEAR(*s.vertical, 1.0, 1e-12);

  nav.SetReference(0.8, -2.1);
  const Vector3 v = {2.5, 0.7, 9.1};
  const auto fromVariances = nav.SigmasFromVariances(v);
  const auto fromCovariance = nav.SigmasFromCovariance({Vector3{v[0], 0, 0}, Vector3{0, v[1], 0}, Vector3{0, 0, v[2]}});
  ASSERT_TRUE(fromCovariance.has_value());
  EXPECT_NEAR(fromCovariance->horizontal, *fromVariances.horizontal, 1e-12);
  EXPECT_NEAR(fromCovariance->vertical, *fromVariances.vertical, 1e-12);

  // At latitude 45 north is (-X + Z) / sqrt 2 and up (X + Z) / sqrt 2: a covariance between X
  // and Z moves variance from north to up, which the variances alone cannot tell.
  nav.SetReference(kPi / 4, 0);
  const auto correlated = nav.SigmasFromCovariance({Vector3{2, 0, 1}, Vector3{0, 0, 0}, Vector3{1, 0, 2}});
  ASSERT_TRUE(correlated.has_value());
  EXPECT_NEAR(correlated->horizontal, 1.0, 1e-12);
  EXPECT_NEAR(correlated->vertical, std::sqrt(3.0), 1e-12);
  // Fully correlated: nothing is left north, and rounding must not make that a refusal.
  const auto degenerate = nav.SigmasFromCovariance({Vector3{1, 0, 1}, Vector3{0, 0, 0}, Vector3{1, 0, 1}});
  ASSERT_TRUE(degenerate.has_value());
  EXPECT_NEAR(degenerate->horizontal, 0.0, 1e-7);

  // Variances that are not variances give no deviation.
  const LocalSigmas bad = nav.SigmasFromVariances({-5, -5, -5});
  EXPECT_FALSE(bad.horizontal);
  EXPECT_FALSE(bad.vertical);
  EXPECT_FALSE(nav.SigmasFromCovariance({Vector3{kNan, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}}).has_value());
}

}  // namespace
}  // namespace orv
