// The viewing cone of a sphere: every ray that grazes a sphere makes the same angle with the ray
// through its centre. Fitted to a ball's outline rays, its axis is the direction of the ball's
// centre and its half-angle a gives the range, R / sin(a) for a ball of radius R.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <vector>

namespace Orvanta::pose {

struct Cone {
  cv::Vec3d axis;    // unit, camera frame
  double halfAngle;  // radians
  double rms;        // angle of the kept rays from the cone, radians
  int kept = 0;      // rays kept after the outliers were rejected
};

// Least squares over unit rays: the cone through them, with the rays farther from it than three
// robust deviations (at least `floorAngle`) rejected, twice. Nothing for fewer than `least`
// rays kept or a degenerate set.
std::optional<Cone> fitCone(const std::vector<cv::Vec3d>& rays, double floorAngle, int least);

}  // namespace Orvanta::pose
