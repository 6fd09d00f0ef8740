// The similarity step pixel by pixel, exactly as the detection describes it: rgb_to_hsv and
// hsv_similarity per pixel, then a second sweep for the mask. Kept as the oracle that the fast
// scorer (similarity.hpp) is tested against and as the benchmark's baseline.
#pragma once

#include <opencv2/core.hpp>

#include "colour.hpp"

namespace Orvanta {

// Per-pixel score of frame against reference, written inside window only.
void computeSimilarity(const cv::Mat& frame, cv::Rect window, hsv_color reference, double norm,
                       cv::Mat& similarity);
// 255 where the score reaches threshold (equal counts), else 0, inside window only.
void thresholdMask(const cv::Mat& similarity, cv::Rect window, int threshold, cv::Mat& mask);

}  // namespace Orvanta
