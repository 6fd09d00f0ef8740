// The sub-pixel outline of a ball: along rays from its blob's centre, where the picture's
// profile crosses half-way from the ball's own level just inside the edge to the water's level
// just outside it. Both levels are measured on each ray, so shading and a brightness gradient
// of the water do not move the crossing.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "blob.hpp"
#include "parameters.hpp"

namespace Orvanta::pose {

// Outline points in picture pixels (pixel centres at whole numbers), at most one per ray; rays
// that leave the picture near the edge, or cross no clear edge, give none.
std::vector<cv::Point2d> rimPoints(const cv::Mat& bgr, const Blob& blob,
                                   const PoseParameters::Outline& p);

}  // namespace Orvanta::pose
