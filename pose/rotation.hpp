// Attitude conversions of the pose estimate: rotation matrix to unit quaternion, and heading.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta::pose {

// Unit quaternion (w, x, y, z) of a proper rotation matrix, with w >= 0.
cv::Vec4d quaternionOf(const cv::Matx33d& rotation);

// Heading of a camera whose attitude is cameraToLandmark (camera frame x right, y down, z
// forward): the direction of its x axis in the landmark x-y plane, degrees from +x towards +y,
// in (-180, 180].
double headingDegrees(const cv::Matx33d& cameraToLandmark);

}  // namespace Orvanta::pose
