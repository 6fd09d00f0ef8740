#include "ray_table.hpp"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <opencv2/calib3d.hpp>
#include <vector>

namespace Orvanta::scene {

RayTable::RayTable(const site::CameraModel& camera) {
  const cv::Size size = camera.size;
  cv::Mat pixels(size.height + 2, size.width + 2, CV_64FC2);
  for (int row = 0; row < pixels.rows; ++row)
    for (int col = 0; col < pixels.cols; ++col)
      pixels.at<cv::Vec2d>(row, col) = cv::Vec2d(col - 1, row - 1);
  const cv::Mat flat = pixels.reshape(2, 1);
  cv::Mat rays;
  const cv::TermCriteria exact(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 50, 1e-12);
  cv::undistortPoints(flat, rays, camera.intrinsics, camera.distortion, cv::noArray(),
                      cv::noArray(), exact);
  rays_.create(pixels.size(), CV_64FC3);
  const auto* normalised = rays.ptr<cv::Vec2d>();
  for (auto it = rays_.begin<cv::Vec3d>(); it != rays_.end<cv::Vec3d>(); ++it, ++normalised)
    *it = cv::normalize(cv::Vec3d((*normalised)[0], (*normalised)[1], 1.0));
}

cv::Vec3d RayTable::at(double u, double v) const {
  const double x = std::clamp(u + 1, 0.0, rays_.cols - 1.0);
  const double y = std::clamp(v + 1, 0.0, rays_.rows - 1.0);
  const int x0 = std::min(int(x), rays_.cols - 2), y0 = std::min(int(y), rays_.rows - 2);
  const double fx = x - x0, fy = y - y0;
  const auto ray = [&](int dy, int dx) { return rays_.at<cv::Vec3d>(y0 + dy, x0 + dx); };
  return cv::normalize((1 - fy) * ((1 - fx) * ray(0, 0) + fx * ray(0, 1)) +
                       fy * ((1 - fx) * ray(1, 0) + fx * ray(1, 1)));
}

const RayTable& rayTable(const site::CameraModel& camera) {
  static std::mutex mutex;
  static std::map<std::vector<double>, std::unique_ptr<RayTable>> tables;
  std::vector<double> key{double(camera.size.width), double(camera.size.height)};
  key.insert(key.end(), camera.intrinsics.val, camera.intrinsics.val + 9);
  key.insert(key.end(), camera.distortion.val, camera.distortion.val + camera.distortion.rows);
  const std::lock_guard lock(mutex);
  auto& table = tables[key];
  if (!table) table = std::make_unique<RayTable>(camera);
  return *table;
}

}  // namespace Orvanta::scene
