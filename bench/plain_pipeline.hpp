// The plain OpenCV pipeline a user would write to find the balls: one HSV conversion, then per
// ball a colour range, its outer contours, and the enclosing circle of the largest. The
// benchmark's yardstick for the precise estimate's cost.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>

namespace OrvantaBench {

struct PlainCircle {
  cv::Point2f centre;
  float radius = 0;
};

class PlainPipeline {
 public:
  // Ball colours as RGB; each ball's range is its hue +-10 (OpenCV's 0..179) with saturation
  // and value down to half of the calibrated ones.
  explicit PlainPipeline(const std::array<cv::Vec3b, 4>& rgb);
  std::array<std::optional<PlainCircle>, 4> find(const cv::Mat& bgr);

 private:
  std::array<std::array<cv::Scalar, 2>, 4> ranges_;  // low, high; red may wrap
  std::array<bool, 4> wraps_{};
  cv::Mat hsv_, mask_, upper_;
};

}  // namespace OrvantaBench
