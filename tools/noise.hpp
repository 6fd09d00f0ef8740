// The camera sensor's noise on a rendered frame, and the camera's JPEG.
#pragma once

#include <opencv2/core.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

// Adds the options' noise to a floating-point frame; the same for the same seed and frame index.
void addSensorNoise(cv::Mat& image, const SceneOptions& options, int frameIndex);

// The frame as a camera that delivers JPEG (MJPG) gives it: encoded at that quality with the
// colour at half resolution both ways (4:2:0), and decoded.
void throughCameraJpeg(cv::Mat& frame, int quality);

}  // namespace Orvanta::scene
