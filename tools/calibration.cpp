// The calibration file the vision program reads instead of an operator's clicks.
#include <fstream>
#include <nlohmann/json.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

bool writeCalibration(const std::string& path, const cv::Mat& frame, const Pose& pose,
                      const SceneOptions& options, int threshold, std::string* error) {
  nlohmann::ordered_json file;  // keeps the balls in their order
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    // A ball out of the picture has no colour to click: it stays uncalibrated.
    const cv::Point2d at = projectBall(pose, ball, options);
    if (!cv::Rect2d(-0.5, -0.5, frame.cols, frame.rows).contains(at)) continue;
    const cv::Vec3b bgr = sampleBall(frame, pose, ball, options);
    file[site::kBallNames[ball - 1]] = {{"rgb", {bgr[2], bgr[1], bgr[0]}},
                                        {"threshold", threshold}};
  }
  if (file.empty()) {
    if (error) *error = "no ball is in the calibration picture";
    return false;
  }
  std::ofstream out(path);
  out << file.dump(2) << '\n';
  out.flush();
  if (!out) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace Orvanta::scene
