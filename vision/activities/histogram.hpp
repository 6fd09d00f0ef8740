// The threshold histogram: scores a live frame against the reference colour in hsv, shows
// how the scores are spread and lets the operator click the threshold.
#pragma once

#include <opencv2/core.hpp>

#include "colour.hpp"
#include "host.hpp"
#include "state.hpp"

namespace Orvanta {

// 256 x 50 picture of the score histogram of an 8-bit similarity image: a black bar per
// score growing up from the bottom edge, the fullest score reaching the top.
cv::Mat histogramPicture(const cv::Mat& similarity);

// Scores the still picture the ball was clicked in (or, without one, grabs a frame), shows the
// histogram in "Histogram" (enlarged, with the scores around sampled,
// where the ball was clicked, and a suggested threshold) and waits (33 ms key waits) for a
// click on it: the column is the threshold. Stores threshold and hsvNorm in ball colourIndex
// (1..4; any other index stores nothing) and returns the threshold. "n" before a valid
// click keeps the ball's previous threshold. Without a still picture a source that has ended is
// opened again; without a frame it refuses with a status text (*refused set), stores only the
// norm of the reference colour and returns the previous threshold (0 outside 1..4).
// The score a calibrated ball's colour gets against a reference colour of that norm.
int colourScore(const circles& colour, hsv_color reference, double norm);

int histogram(int colourIndex, Host& host, bool* refused = nullptr, cv::Point sampled = {-1, -1},
              const cv::Mat& still = cv::Mat());

}  // namespace Orvanta
