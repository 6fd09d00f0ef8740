// Where a ball appears in a frame, for tests and calibration that click on it.
#include <cmath>
#include <opencv2/calib3d.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

cv::Point2d projectBall(const Pose& pose, int ball, const SceneOptions& options) {
  const cv::Vec3d centre = pose.rotation * (ballCentre(ball, options.layout) - pose.position);
  // A ball behind the camera has no image; the projection would mirror it into the frame.
  if (!(centre[2] > 0)) return {NAN, NAN};
  const std::vector<cv::Point3d> points{cv::Point3d(centre)};
  std::vector<cv::Point2d> image;
  const site::CameraModel camera = sceneCamera(options);
  cv::projectPoints(points, cv::Vec3d::zeros(), cv::Vec3d::zeros(), camera.intrinsics,
                    camera.distortion, image);
  return image.front();
}

cv::Vec3b sampleBall(const cv::Mat& frame, const Pose& pose, int ball,
                     const SceneOptions& options) {
  const cv::Point2d at = projectBall(pose, ball, options);
  const double x = std::round(at.x), y = std::round(at.y);
  // Written so that a not-a-number position also falls outside.
  if (frame.type() != CV_8UC3 || !(x >= 0 && x < frame.cols && y >= 0 && y < frame.rows)) return {};
  return frame.at<cv::Vec3b>(int(y), int(x));
}

}  // namespace Orvanta::scene
