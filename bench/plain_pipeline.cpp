#include "plain_pipeline.hpp"

#include <opencv2/imgproc.hpp>
#include <vector>

namespace OrvantaBench {

namespace {
constexpr int kHueReach = 10;
}

PlainPipeline::PlainPipeline(const std::array<cv::Vec3b, 4>& rgb) {
  for (int i = 0; i < 4; ++i) {
    cv::Mat pixel(1, 1, CV_8UC3, cv::Scalar(rgb[i][2], rgb[i][1], rgb[i][0])), hsv;
    cv::cvtColor(pixel, hsv, cv::COLOR_BGR2HSV);
    const cv::Vec3b c = hsv.at<cv::Vec3b>(0, 0);
    const int hue = c[0];
    ranges_[i] = {cv::Scalar(hue - kHueReach, c[1] / 2, c[2] / 2),
                  cv::Scalar(hue + kHueReach, 255, 255)};
    wraps_[i] = hue - kHueReach < 0 || hue + kHueReach > 179;
  }
}

std::array<std::optional<PlainCircle>, 4> PlainPipeline::find(const cv::Mat& bgr) {
  cv::cvtColor(bgr, hsv_, cv::COLOR_BGR2HSV);
  std::array<std::optional<PlainCircle>, 4> found;
  for (int i = 0; i < 4; ++i) {
    const auto& [low, high] = ranges_[i];
    cv::inRange(hsv_, low, high, mask_);
    if (wraps_[i]) {  // the hue circle: the range's other end
      const double shift = low[0] < 0 ? 180 : -180;
      cv::inRange(hsv_, low + cv::Scalar(shift, 0, 0), high + cv::Scalar(shift, 0, 0), upper_);
      mask_ |= upper_;
    }
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(mask_, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    const std::vector<cv::Point>* largest = nullptr;
    double area = 0;
    for (const auto& contour : contours) {
      const double a = cv::contourArea(contour);
      if (a > area) area = a, largest = &contour;
    }
    if (!largest) continue;
    PlainCircle circle;
    cv::minEnclosingCircle(*largest, circle.centre, circle.radius);
    found[i] = circle;
  }
  return found;
}

}  // namespace OrvantaBench
