// Range from a ball's apparent radius, the circle overlay, and the six windows that show the
// stages of a detection pass.
#pragma once

#include <opencv2/core.hpp>

#include "host.hpp"

namespace Orvanta {

struct WorkImages;

// Range in metres of a ball seen with the given radius in pixels; +inf for radius 0.
double udaljenostPredmeta(int radius);

// The range constant of a camera (at the pictures' size) and balls against the design's camera
// at 320 x 240 and 5 cm balls: a ball's radius in pixels grows with the geometric mean focal
// length and with the ball. Exactly 1 for the design's camera at 320 x 240 and 5 cm balls.
double rangeScale(const site::CameraModel& camera, double ballRadius);

// Green centre mark (filled, radius 3) and red outline (thickness 3), at the rounded centre.
void drawBallCircle(cv::Mat& display, const cv::Vec3f& circle);

// "Hough Detection" then the five work images. createWindows (the green pass) opens each of the
// five work windows before showing it.
void showDetectionWindows(ImageWindows& windows, const cv::Mat& display, const WorkImages& work,
                          bool createWindows);

}  // namespace Orvanta
