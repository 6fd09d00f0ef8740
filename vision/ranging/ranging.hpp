// Range from a ball's apparent radius, the circle overlay, and the six windows that show the
// stages of a detection pass.
#pragma once

#include <opencv2/core.hpp>

#include "host.hpp"

namespace Orvanta {

struct WorkImages;

// Range in metres of a ball seen with the given radius in pixels; +inf for radius 0.
double udaljenostPredmeta(int radius);

// The range constant of pictures of `size` against that of 320 x 240: the design's camera
// delivering other sizes is scaled per axis, so a ball's radius in pixels grows with the
// geometric mean of the two scales. Exactly 1 at 320 x 240.
double rangeScale(cv::Size size);

// Green centre mark (filled, radius 3) and red outline (thickness 3), at the rounded centre.
void drawBallCircle(cv::Mat& display, const cv::Vec3f& circle);

// "Hough Detection" then the five work images. createWindows (the green pass) opens each of the
// five work windows before showing it.
void showDetectionWindows(ImageWindows& windows, const cv::Mat& display, const WorkImages& work,
                          bool createWindows);

}  // namespace Orvanta
