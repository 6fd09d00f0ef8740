#include "camera_model.hpp"

#include <cmath>

namespace Orvanta::site {

CameraModel CameraModel::at(cv::Size pictureSize) const {
  const double sx = double(pictureSize.width) / size.width;
  const double sy = double(pictureSize.height) / size.height;
  const cv::Matx33d& K = intrinsics;
  return {{K(0, 0) * sx, K(0, 1) * sx, K(0, 2) * sx, 0, K(1, 1) * sy, K(1, 2) * sy, 0, 0, 1},
          distortion,
          pictureSize};
}

double CameraModel::focal() const {
  return std::sqrt(intrinsics(0, 0) * intrinsics(1, 1));
}

const CameraModel& defaultCamera() {
  static const CameraModel camera{{489.55087, 0, 145.82162, 0, 491.43384, 126.79248, 0, 0, 1},
                                  Distortion(-0.21652, 0.02175, -0.00155, 0.00162),
                                  {320, 240}};
  return camera;
}

}  // namespace Orvanta::site
