// The scene's balls where a landmark layout puts them, and the camera that sees them.
#include <limits>

#include "scene.hpp"

namespace Orvanta::scene {

cv::Vec3d ballCentre(int ball, const site::LandmarkLayout& layout) {
  if (ball < 1 || ball > site::kBallCount)
    return cv::Vec3d::all(std::numeric_limits<double>::quiet_NaN());
  const cv::Point3d& c = layout.centres[ball - 1];
  return {c.x, c.y, c.z};
}

std::array<double, site::kBallCount> trueDistances(const cv::Vec3d& position,
                                                   const site::LandmarkLayout& layout) {
  std::array<double, site::kBallCount> distances{};
  for (int ball = 1; ball <= site::kBallCount; ++ball)
    distances[ball - 1] = cv::norm(position - ballCentre(ball, layout));
  return distances;
}

site::CameraModel sceneCamera(const SceneOptions& options) {
  site::CameraModel camera = options.camera.value_or(site::defaultCamera()).at(options.size);
  if (!options.distort) camera.distortion = site::Distortion::zeros();
  return camera;
}

}  // namespace Orvanta::scene
