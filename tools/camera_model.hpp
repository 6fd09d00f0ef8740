// The vehicle camera's model: intrinsics calibrated at 320x240, scaled to other frame sizes.
#pragma once

#include <opencv2/core.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

// Camera matrix scaled from 320x240 to `size`.
cv::Matx33d cameraMatrix(cv::Size size);

// k1, k2, p1, p2; they act on normalised coordinates, so they do not scale with the size.
cv::Vec4d distortionCoefficients();

}  // namespace Orvanta::scene
