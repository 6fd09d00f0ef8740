// The position step of the tracking loop: four filtered ranges to the camera position.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

// ranges 4x1 and landmarks 3x4, CV_64FC1, ball order. Writes kamera (not-a-number when no
// point fits the ranges); neither input is changed.
void NonlinearObservation(const cv::Mat& ranges, const cv::Mat& landmarks);

}  // namespace Orvanta
