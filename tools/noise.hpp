// The camera sensor's noise on a rendered frame.
#pragma once

#include <opencv2/core.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

// Adds the options' noise to a floating-point frame; the same for the same seed and frame index.
void addSensorNoise(cv::Mat& image, const SceneOptions& options, int frameIndex);

}  // namespace Orvanta::scene
