// Camera paths over the rectangle: the default dive and the survey.
#include <cmath>
#include <numbers>

#include "scene.hpp"

namespace Orvanta::scene {

namespace {
const cv::Vec3d kRectangleCentre(0.35, -0.255, 0.0);
constexpr double kStartHeight = 2.0, kEndHeight = 1.65;
constexpr double kCircleX = 0.12, kCircleY = 0.08;  // half-axes of the circle, metres
constexpr double kAimWander = 0.03;                 // how far the aim strays from the centre
// The survey: down from 2.5 to 1.3 m, circling off the centre, looking obliquely and rolling.
constexpr double kSurveyTop = 2.5, kSurveyBottom = 1.3;
constexpr double kSurveyCircle = 0.15, kSurveyAim = 0.08, kSurveyRoll = 40;  // m, m, degrees
}  // namespace

std::vector<Pose> dive(int frames) {
  std::vector<Pose> poses;
  for (int i = 0; i < frames; ++i) {
    const double s = frames > 1 ? double(i) / (frames - 1) : 0.0;
    const double angle = 2 * std::numbers::pi * s;
    const double height = kStartHeight + (kEndHeight - kStartHeight) * s;
    const cv::Vec3d offset(kCircleX * std::cos(angle), kCircleY * std::sin(angle), height);
    const cv::Vec3d aim(kAimWander * std::sin(angle), -kAimWander * std::cos(angle), 0.0);
    poses.push_back(lookAt(kRectangleCentre + offset, kRectangleCentre + aim));
  }
  return poses;
}

std::vector<Pose> survey(int frames) {
  std::vector<Pose> poses;
  for (int i = 0; i < frames; ++i) {
    const double s = frames > 1 ? double(i) / (frames - 1) : 0.0;
    const double angle = 3 * std::numbers::pi * s;
    const double height = kSurveyTop + (kSurveyBottom - kSurveyTop) * s;
    // Wandering and rolling less on the way down, where the rectangle fills the picture.
    const double freedom = 1 - s;
    const double circle = kSurveyCircle * freedom, wander = kSurveyAim * freedom;
    const cv::Vec3d offset(circle * std::cos(angle), circle * std::sin(angle), height);
    const cv::Vec3d aim(wander * std::sin(2 * angle), -wander * std::cos(3 * angle), 0.0);
    const double roll = kSurveyRoll * std::sin(2 * std::numbers::pi * s) * freedom;
    poses.push_back(lookAt(kRectangleCentre + offset, kRectangleCentre + aim, roll));
  }
  return poses;
}

}  // namespace Orvanta::scene
