#include "rotation.hpp"

#include <cmath>
#include <numbers>

namespace Orvanta::pose {

cv::Vec4d quaternionOf(const cv::Matx33d& m) {
  // Shepperd: work from the largest of the four squared components, so no division is by a
  // small number.
  const double trace = m(0, 0) + m(1, 1) + m(2, 2);
  cv::Vec4d q;
  if (trace >= m(0, 0) && trace >= m(1, 1) && trace >= m(2, 2)) {
    const double s = 2 * std::sqrt(1 + trace);
    q = {s / 4, (m(2, 1) - m(1, 2)) / s, (m(0, 2) - m(2, 0)) / s, (m(1, 0) - m(0, 1)) / s};
  } else if (m(0, 0) >= m(1, 1) && m(0, 0) >= m(2, 2)) {
    const double s = 2 * std::sqrt(1 + m(0, 0) - m(1, 1) - m(2, 2));
    q = {(m(2, 1) - m(1, 2)) / s, s / 4, (m(0, 1) + m(1, 0)) / s, (m(0, 2) + m(2, 0)) / s};
  } else if (m(1, 1) >= m(2, 2)) {
    const double s = 2 * std::sqrt(1 + m(1, 1) - m(0, 0) - m(2, 2));
    q = {(m(0, 2) - m(2, 0)) / s, (m(0, 1) + m(1, 0)) / s, s / 4, (m(1, 2) + m(2, 1)) / s};
  } else {
    const double s = 2 * std::sqrt(1 + m(2, 2) - m(0, 0) - m(1, 1));
    q = {(m(1, 0) - m(0, 1)) / s, (m(0, 2) + m(2, 0)) / s, (m(1, 2) + m(2, 1)) / s, s / 4};
  }
  q = cv::normalize(q);
  return q[0] < 0 ? -q : q;
}

double headingDegrees(const cv::Matx33d& cameraToLandmark) {
  const double degrees =
      std::atan2(cameraToLandmark(1, 0), cameraToLandmark(0, 0)) * 180 / std::numbers::pi;
  return degrees <= -180 ? degrees + 360 : degrees;
}

}  // namespace Orvanta::pose
