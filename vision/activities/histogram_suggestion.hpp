// A threshold to suggest on the histogram: the lowest score that keeps the background and the
// other calibrated colours out of the ball's mask.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace Orvanta {

// One above the highest score of the background (the frame away from the sampled ball, all
// but its highest 0.1 % of pixels) and above each of otherColours (the scores the other
// calibrated colours get); -1 when nothing up to 255 keeps them out. sampled (-1, -1: unknown)
// is where the ball was clicked.
int suggestedThreshold(const cv::Mat& similarity, cv::Point sampled,
                       const std::vector<int>& otherColours);

}  // namespace Orvanta
