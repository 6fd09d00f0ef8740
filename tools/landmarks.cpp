// The scene's balls where the default landmark layout puts them.
#include <limits>

#include "scene.hpp"

namespace Orvanta::scene {

cv::Vec3d ballCentre(int ball) {
  if (ball < 1 || ball > site::kBallCount)
    return cv::Vec3d::all(std::numeric_limits<double>::quiet_NaN());
  const cv::Point3d& c = site::defaultLayout().centres[ball - 1];
  return {c.x, c.y, c.z};
}

std::array<double, site::kBallCount> trueDistances(const cv::Vec3d& position) {
  std::array<double, site::kBallCount> distances{};
  for (int ball = 1; ball <= site::kBallCount; ++ball)
    distances[ball - 1] = cv::norm(position - ballCentre(ball));
  return distances;
}

}  // namespace Orvanta::scene
