// The sub-pixel outline of a ball: along rays from its blob's centre, where the picture's
// profile falls fastest from the ball's own colour just inside the edge to its surroundings'
// just outside it. Both colours are measured on each ray, so shading and a brightness gradient
// of the water do not move the edge.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "blob.hpp"
#include "parameters.hpp"

namespace Orvanta::pose {

// How a ray's colours are read as the ball's share: by the step from the ball's colour to the
// surroundings' (except across a limb darker than both), or by splitting each colour into the
// two, which no shading moves but noise and coarse chroma move more.
enum class EdgeReading { step, split };

// Outline points in picture pixels (pixel centres at whole numbers), at most one per ray; rays
// that leave the picture near the edge, or cross no clear edge, give none.
std::vector<cv::Point2d> rimPoints(const cv::Mat& bgr, const Blob& blob, EdgeReading reading,
                                   const PoseParameters::Outline& p);

}  // namespace Orvanta::pose
