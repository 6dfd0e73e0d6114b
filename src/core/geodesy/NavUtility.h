// The console's one geodesy component: WGS-84 Cartesian and geodetic conversions, rotation of
// Earth-centred vectors and covariances into the local north/east/up frame of a reference
// point, and the horizontal and vertical standard deviations that follow from them.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace orv {

using Vector3 = std::array<double, 3>;
using Matrix3 = std::array<Vector3, 3>;

struct GeodeticPosition {
  double latitude = 0;   // radians
  double longitude = 0;  // radians
  double height = 0;     // metres above the ellipsoid
  // False when the input was not finite (then every value is NaN) or the latitude did not
  // settle within the round limit (then the values are those of the last round).
  bool converged = true;
};

struct CartesianPosition {
  double x = 0, y = 0, z = 0;  // metres, Earth-centred
};

struct LocalVector {
  double north = 0, east = 0, up = 0;
};

// Standard deviations in the local frame, metres.
struct Sigmas {
  double horizontal = 0;
  double vertical = 0;
};

// Each deviation comes with its own flag: absent without a reference, or when the variances
// it is made of do not add up to a real one (negative or not a number).
struct LocalSigmas {
  std::optional<double> horizontal;
  std::optional<double> vertical;
};

class NavUtility {
 public:
  static constexpr std::string_view kName = "Nav Utility";

  // WGS-84.
  static constexpr double kSemiMajorAxis = 6378137.0;
  static constexpr double kEccentricitySquared = 0.006694379990141316;
  static constexpr double kOneMinusE2 = 0.9933056200098587;
  static constexpr double kConvergence = 1e-12;  // radians
  // Far more than any point outside the Earth's core needs (a handful); points within some
  // tens of kilometres of the centre may never settle, and the limit ends them.
  static constexpr int kMaxRounds = 100;

  // 1. Each conversion starts from the latitude of the previous one, so a track of nearby
  // points settles in a round or two. Input that is not finite, or a point that does not
  // settle, sets the seed back to 0 so that it leaves no trace on the next conversion.
  GeodeticPosition CartesianToGeodetic(double x, double y, double z);
  // 2.
  static CartesianPosition GeodeticToCartesian(double latitude, double longitude, double height);
  // 3. nullopt until a reference is set.
  std::optional<LocalVector> RotateToLocal(const Vector3& v) const;
  // 4. Replaces the reference (radians).
  void SetReference(double latitude, double longitude);
  // 5.
  bool IsReferenceSet() const { return referenceSet_; }
  // 6. From the variances of X, Y and Z (m2); covariances between them are left out.
  LocalSigmas SigmasFromVariances(const Vector3& variances) const;
  // 7. From the full covariance of X, Y and Z: C' = R C R^T. nullopt without a reference, or
  // when either deviation is not a real number.
  std::optional<Sigmas> SigmasFromCovariance(const Matrix3& covariance) const;

  // Rows north, east, up.
  const Matrix3& rotation() const { return rotation_; }
  double latitudeSeed() const { return seed_; }

 private:
  Matrix3 rotation_{};
  bool referenceSet_ = false;
  double seed_ = 0;
};

}  // namespace orv
