// The vehicle camera's model: intrinsics calibrated at 320x240 and the pose's orientation.
#pragma once

#include <opencv2/core.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

// Camera matrix scaled from 320x240 to `size`.
cv::Matx33d cameraMatrix(cv::Size size);

// k1, k2, p1, p2; they act on normalised coordinates, so they do not scale with the size.
cv::Vec4d distortionCoefficients();

// Rows: image right, image down and viewing direction, in the landmark frame. Maps landmark
// directions to camera directions.
cv::Matx33d viewRotation(const Pose& pose);

}  // namespace Orvanta::scene
