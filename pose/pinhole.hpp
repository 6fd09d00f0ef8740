// The camera as the precise estimate sees it: intrinsics and OpenCV's lens distortion at the
// picture's own size, and the exact mapping between raw pixels and viewing directions.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "camera_model.hpp"

namespace Orvanta::pose {

struct PinholeCamera {
  cv::Matx33d matrix;  // fx, 0, cx; 0, fy, cy; 0, 0, 1
  site::Distortion distortion;
  // The geometric mean focal length: pixels per unit of normalised image plane.
  double focal() const;
};

// Normalised, undistorted image coordinates of a point of the raw picture: the lens model
// inverted by Newton's method until the step is below 1e-12 (far below a thousandth of a pixel).
cv::Point2d undistortPixel(const PinholeCamera& camera, cv::Point2d pixel);

// Where the normalised, undistorted point appears in the raw picture.
cv::Point2d distortToPixel(const PinholeCamera& camera, cv::Point2d normalised);

// The area in the normalised, undistorted image plane that one raw pixel covers at the
// normalised point.
double pixelArea(const PinholeCamera& camera, cv::Point2d normalised);

// undistortPixel and pixelArea of the pixel centres of a picture, each computed once, when a
// region that holds it is first asked for: a large picture's balls cover little of it, and the
// whole table would take seconds to fill. Like the estimator that owns it, for one thread.
class UndistortionTable {
 public:
  UndistortionTable(const PinholeCamera& camera, cv::Size size);
  // Fills what box (inside the picture) still lacks; at() and area() read only filled pixels.
  void prepare(const cv::Rect& box) const;
  const cv::Vec2f& at(int x, int y) const { return points_.at<cv::Vec2f>(y, x); }
  float area(int x, int y) const { return areas_.at<float>(y, x); }

 private:
  static constexpr int kTile = 16;  // pixels filled together, on each side
  PinholeCamera camera_;
  int tilesAcross_;
  mutable cv::Mat points_;            // CV_32FC2
  mutable cv::Mat areas_;             // CV_32F
  mutable std::vector<bool> filled_;  // per tile, row by row

  void fill(int tileX, int tileY) const;
  std::size_t tileIndex(int tileX, int tileY) const;  // into filled_
};

}  // namespace Orvanta::pose
