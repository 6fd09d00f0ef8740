// Where a ball appears in a frame, for tests and calibration that click on it.
#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/calib3d.hpp>
#include <vector>

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

namespace {

// Per channel, the median of the pixels within `radius` of the centre (and in the frame).
cv::Vec3b discMedian(const cv::Mat& frame, cv::Point centre, int radius) {
  std::array<std::vector<uchar>, 3> channels;
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      const cv::Point p = centre + cv::Point(dx, dy);
      if (dx * dx + dy * dy > radius * radius || !cv::Rect({}, frame.size()).contains(p)) continue;
      for (int c = 0; c < 3; ++c) channels[c].push_back(frame.at<cv::Vec3b>(p)[c]);
    }
  cv::Vec3b median;
  for (int c = 0; c < 3; ++c) {
    auto middle = channels[c].begin() + channels[c].size() / 2;
    std::nth_element(channels[c].begin(), middle, channels[c].end());
    median[c] = *middle;
  }
  return median;
}

}  // namespace

cv::Vec3b sampleBall(const cv::Mat& frame, const Pose& pose, int ball,
                     const SceneOptions& options) {
  const cv::Point2d at = projectBall(pose, ball, options);
  const double x = std::round(at.x), y = std::round(at.y);
  // Written so that a not-a-number position also falls outside.
  if (frame.type() != CV_8UC3 || !(x >= 0 && x < frame.cols && y >= 0 && y < frame.rows)) return {};
  const cv::Point centre{static_cast<int>(x), static_cast<int>(y)};
  if (options.gloss <= 0 && !options.sun) return frame.at<cv::Vec3b>(centre);
  // A glossy or sunlit ball has no one colour: as a careful operator would take it, the median
  // of its inner half.
  const double depth = (pose.rotation * (ballCentre(ball, options.layout) - pose.position))[2];
  const double focal = sceneCamera(options).intrinsics(0, 0);
  return discMedian(frame, centre,
                    std::max(1, int(0.5 * focal * options.layout.ballRadius / depth)));
}

}  // namespace Orvanta::scene
