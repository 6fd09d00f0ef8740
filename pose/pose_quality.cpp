#include "pose_quality.hpp"

#include <algorithm>
#include <cmath>

namespace Orvanta::pose {

int poseQuality(const CameraPose& pose, const PoseParameters::Quality& p) {
  if (!pose.valid) return -1;
  const double sigma =
      std::sqrt(pose.covariance(0, 0) + pose.covariance(1, 1) + pose.covariance(2, 2));
  if (!std::isfinite(sigma)) return 1;
  const double precision = 100 / (1 + sigma / p.halfQualitySigmaM);
  const double clear = std::clamp(
      std::log(std::max(1.0, pose.rivalCostRatio)) / std::log(p.clearRivalRatio), 0.0, 1.0);
  return std::clamp(int(std::lround(precision * clear)), 1, 100);
}

}  // namespace Orvanta::pose
