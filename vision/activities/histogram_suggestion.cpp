#include "histogram_suggestion.hpp"

#include <algorithm>
#include <opencv2/imgproc.hpp>

#include "histogram_view.hpp"

namespace Orvanta {
namespace {

constexpr double kStrayShare = 0.001;  // background pixels allowed above the threshold
constexpr int kBallReach = 8;          // the ball's pixels lie this many neighbourhoods out

}  // namespace

int suggestedThreshold(const cv::Mat& similarity, cv::Point sampled,
                       const std::vector<int>& otherColours) {
  cv::Mat background(similarity.size(), CV_8UC1, cv::Scalar(255));
  if (sampled.x >= 0 && sampled.y >= 0)
    cv::circle(background, sampled, kBallReach * neighbourhoodRadius(similarity.cols),
               cv::Scalar(0), cv::FILLED);
  std::vector<int> counts(256, 0);
  int pixels = 0;
  for (int y = 0; y < similarity.rows; ++y) {
    const uchar* score = similarity.ptr<uchar>(y);
    const uchar* keep = background.ptr<uchar>(y);
    for (int x = 0; x < similarity.cols; ++x)
      if (keep[x]) ++counts[score[x]], ++pixels;
  }
  // The highest background score once the strays are left out.
  int highest = -1;
  for (int score = 255, above = 0; score >= 0; --score) {
    above += counts[score];
    if (above > kStrayShare * pixels) {
      highest = score;
      break;
    }
  }
  for (int other : otherColours) highest = std::max(highest, other);
  return highest < 255 ? highest + 1 : -1;
}

}  // namespace Orvanta
