// The camera that takes the pictures: intrinsics, lens distortion and the picture size they
// were calibrated at. The default is the vehicle camera's calibration at 320x240.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta::site {

// OpenCV's lens model: k1, k2, p1, p2, k3, k4, k5, k6, s1, s2, s3, s4 (radial, tangential,
// rational and thin-prism terms), the unused ones zero. It acts on normalised coordinates, so it
// does not depend on the picture size. Give the leading terms in parentheses,
// Distortion(k1, k2, p1, p2), and the others are zero; a braced list of fewer than twelve leaves
// them unset.
using Distortion = cv::Vec<double, 12>;

struct CameraModel {
  cv::Matx33d intrinsics;  // fx, s, cx; 0, fy, cy; 0, 0, 1 (pixels)
  Distortion distortion;
  cv::Size size;  // the picture size the intrinsics are for

  // The same camera delivering pictures of another size (the sensor binned or scaled): focal
  // lengths and principal point scale with the width and the height.
  CameraModel at(cv::Size pictureSize) const;
  // The geometric mean focal length, pixels.
  double focal() const;
};

// The vehicle camera at 320x240: fx 489.55, fy 491.43, centre (145.82, 126.79).
const CameraModel& defaultCamera();

}  // namespace Orvanta::site
