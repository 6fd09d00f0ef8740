// Viewing rays of a frame's pixels, computed once per camera.
#pragma once

#include <opencv2/core.hpp>

#include "camera_model.hpp"

namespace Orvanta::scene {

// Unit camera-frame viewing ray of every pixel centre, with a one-pixel border so that rays
// through any point of the frame can be interpolated.
class RayTable {
 public:
  explicit RayTable(const site::CameraModel& camera);  // at the frames' size

  // Ray through the pixel centre (u, v).
  const cv::Vec3d& at(int u, int v) const { return rays_.at<cv::Vec3d>(v + 1, u + 1); }
  // Ray through the image point (u, v), bilinear between pixel centres; the lens distortion
  // is smooth enough that this matches the exact inversion to far below a pixel.
  cv::Vec3d at(double u, double v) const;

 private:
  cv::Mat rays_;  // CV_64FC3, (height + 2) x (width + 2), entry (v + 1, u + 1)
};

// Shared table for this camera; built on first use, then reused (thread-safe).
const RayTable& rayTable(const site::CameraModel& camera);

}  // namespace Orvanta::scene
