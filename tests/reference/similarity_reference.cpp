#include "similarity_reference.hpp"

namespace Orvanta {

void computeSimilarity(const cv::Mat& frame, cv::Rect window, hsv_color reference, double norm,
                       cv::Mat& similarity) {
  for (int row = window.y; row < window.y + window.height; ++row) {
    for (int col = window.x; col < window.x + window.width; ++col) {
      const hsv_color pixel = rgb_to_hsv(pixelToRgb(frame.at<cv::Vec3b>(row, col)));
      similarity.at<uchar>(row, col) = static_cast<uchar>(hsv_similarity(pixel, reference, norm));
    }
  }
}

void thresholdMask(const cv::Mat& similarity, cv::Rect window, int threshold, cv::Mat& mask) {
  for (int row = window.y; row < window.y + window.height; ++row) {
    for (int col = window.x; col < window.x + window.width; ++col)
      mask.at<uchar>(row, col) = similarity.at<uchar>(row, col) >= threshold ? 255 : 0;
  }
}

}  // namespace Orvanta
