// The default camera path: a slow descending circle above the middle of the rectangle.
#include <cmath>
#include <numbers>

#include "scene.hpp"

namespace Orvanta::scene {

namespace {
const cv::Vec3d kRectangleCentre(0.35, -0.255, 0.0);
constexpr double kStartHeight = 2.0, kEndHeight = 1.65;
constexpr double kCircleX = 0.12, kCircleY = 0.08;  // half-axes of the circle, metres
constexpr double kAimWander = 0.03;                 // how far the aim strays from the centre
}  // namespace

std::vector<Pose> dive(int frames) {
  std::vector<Pose> poses;
  for (int i = 0; i < frames; ++i) {
    const double s = frames > 1 ? double(i) / (frames - 1) : 0.0;
    const double angle = 2 * std::numbers::pi * s;
    const double height = kStartHeight + (kEndHeight - kStartHeight) * s;
    const cv::Vec3d offset(kCircleX * std::cos(angle), kCircleY * std::sin(angle), height);
    const cv::Vec3d aim(kAimWander * std::sin(angle), -kAimWander * std::cos(angle), 0.0);
    poses.push_back({kRectangleCentre + offset, kRectangleCentre + aim});
  }
  return poses;
}

}  // namespace Orvanta::scene
