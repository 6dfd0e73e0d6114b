// WGS-84 conversions and the local north/east/up frame.
#include "geodesy/NavUtility.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orv {

namespace {

constexpr double kA = NavUtility::kSemiMajorAxis;
constexpr double kE2 = NavUtility::kEccentricitySquared;

// Prime vertical radius of curvature.
double RadiusN(double sinPhi) { return kA / std::sqrt(1 - kE2 * sinPhi * sinPhi); }

// A local variance is a sum of products that may cancel; what rounding leaves below zero, at
// the scale of the variances it came from, is a zero one. Anything further below is not a
// variance at all.
std::optional<double> Deviation(double variance, double scale) {
  if (!std::isfinite(variance) || variance < -1e-12 * scale) return std::nullopt;
  return std::sqrt(std::max(variance, 0.0));
}

}  // namespace

GeodeticPosition NavUtility::CartesianToGeodetic(double x, double y, double z) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
    seed_ = 0;
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    return {kNan, kNan, kNan, false};
  }
  const double p = std::hypot(x, y);
  double phi = seed_;
  bool settled = false;
  for (int round = 0; round < kMaxRounds && !settled; ++round) {
    const double phi0 = phi;
    const double s = std::sin(phi0);
    phi = std::atan2(z + RadiusN(s) * kE2 * s, p);
    settled = std::fabs(phi0 - phi) <= kConvergence;
  }
  seed_ = settled ? phi : 0;
  // The distance from the ellipsoid along the normal. Unlike p / cos(phi) - N it does not
  // divide by cos(phi), which vanishes at the poles, and an error in phi barely moves it.
  const double s = std::sin(phi);
  const double c = std::cos(phi);
  const double height = p * c + z * s - kA * kA / RadiusN(s);
  return {phi, std::atan2(y, x), height, settled};
}

CartesianPosition NavUtility::GeodeticToCartesian(double latitude, double longitude, double height) {
  const double s = std::sin(latitude);
  const double c = std::cos(latitude);
  const double n = RadiusN(s);
  return {(n + height) * c * std::cos(longitude), (n + height) * c * std::sin(longitude),
          (n * kOneMinusE2 + height) * s};
}

void NavUtility::SetReference(double latitude, double longitude) {
  const double sp = std::sin(latitude), cp = std::cos(latitude);
  const double sl = std::sin(longitude), cl = std::cos(longitude);
  rotation_ = {Vector3{-sp * cl, -sp * sl, cp}, Vector3{-sl, cl, 0.0}, Vector3{cp * cl, cp * sl, sp}};
  referenceSet_ = true;
}

std::optional<LocalVector> NavUtility::RotateToLocal(const Vector3& v) const {
  if (!referenceSet_) return std::nullopt;
  double out[3];
  for (int i = 0; i < 3; ++i) out[i] = rotation_[i][0] * v[0] + rotation_[i][1] * v[1] + rotation_[i][2] * v[2];
  return LocalVector{out[0], out[1], out[2]};
}

LocalSigmas NavUtility::SigmasFromVariances(const Vector3& variances) const {
  if (!referenceSet_) return {};
  double local[3] = {};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) local[i] += rotation_[i][j] * rotation_[i][j] * variances[j];
  }
  const double scale = std::fabs(variances[0]) + std::fabs(variances[1]) + std::fabs(variances[2]);
  return {Deviation(local[0] + local[1], scale), Deviation(local[2], scale)};
}

std::optional<Sigmas> NavUtility::SigmasFromCovariance(const Matrix3& covariance) const {
  if (!referenceSet_) return std::nullopt;
  // Only the diagonal of R C R^T is needed.
  double local[3] = {};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) local[i] += rotation_[i][j] * covariance[j][k] * rotation_[i][k];
    }
  }
  const double scale = std::fabs(covariance[0][0]) + std::fabs(covariance[1][1]) + std::fabs(covariance[2][2]);
  const auto horizontal = Deviation(local[0] + local[1], scale);
  const auto vertical = Deviation(local[2], scale);
  if (!horizontal || !vertical) return std::nullopt;
  return Sigmas{*horizontal, *vertical};
}

}  // namespace orv
