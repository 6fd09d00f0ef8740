// The landmark layout: four balls at the corners of a 0.7 m x 0.51 m rectangle in z = 0.
#include <limits>

#include "scene.hpp"

namespace Orvanta::scene {

cv::Vec3d ballCentre(int ball) {
  switch (ball) {
    case 1:
      return {0.0, 0.0, 0.0};
    case 2:
      return {0.7, 0.0, 0.0};
    case 3:
      return {0.7, -0.51, 0.0};
    case 4:
      return {0.0, -0.51, 0.0};
    default:
      return cv::Vec3d::all(std::numeric_limits<double>::quiet_NaN());
  }
}

std::array<double, kBallCount> trueDistances(const cv::Vec3d& position) {
  std::array<double, kBallCount> distances{};
  for (int ball = 1; ball <= kBallCount; ++ball)
    distances[ball - 1] = cv::norm(position - ballCentre(ball));
  return distances;
}

}  // namespace Orvanta::scene
