// The threshold histogram as the operator sees it: the score histogram enlarged three times,
// under it the same counts on a logarithmic height (the ball's few pixels beside the
// background's mass), the scores of the sampled ball's own neighbourhood, a scale of 0 to 255,
// the column under the pointer and a suggested threshold. A click anywhere on the strips
// chooses its column, as a click on the plain histogram would.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

namespace Orvanta {

class HistogramView {
 public:
  // similarity: the 8-bit scores of a frame; sampled: where the ball was clicked (-1, -1:
  // unknown); ball: its colour (BGR); suggested: a column to mark, -1 for none.
  HistogramView(const cv::Mat& similarity, cv::Point sampled, cv::Scalar ball, int suggested);

  // The view with the column under the pointer marked (-1: the pointer is elsewhere).
  cv::Mat draw(int pointer) const;

  // The point of the plain histogram picture (256 x 50) a click on the view stands for; none
  // off the strips. The top row of the enlarged histogram is its row 0; the strips below it
  // stand for its bottom row.
  static std::optional<cv::Point> histogramPointAt(cv::Point view);
  // The middle of that histogram point's place in the view.
  static cv::Point viewPointOf(cv::Point histogram);

 private:
  cv::Mat plain_;                // the plain histogram picture
  cv::Mat counts_, nearCounts_;  // 256 counts each, of the frame and of the neighbourhood
  cv::Scalar ball_;
  int suggested_;
};

// The neighbourhood of the sampled ball: pixels this close to the click, for a frame this wide.
int neighbourhoodRadius(int frameWidth);

}  // namespace Orvanta
