#include "reference_stages.hpp"

#include <opencv2/imgproc.hpp>

#include "similarity_reference.hpp"

namespace OrvantaTest {

using namespace Orvanta;

namespace {

class ReferenceStages : public DetectionStages {
 public:
  void score(const cv::Mat& frame, cv::Rect window, const circles& ball,
             WorkImages& work) const override {
    computeSimilarity(frame, window, hsv, ball.hsvNorm, work.similarity);
    thresholdMask(work.similarity, window, ball.threshold, work.mask);
  }
  void median(const cv::Mat& mask, cv::Mat& out, int aperture, WorkImages&,
              cv::Rect) const override {
    cv::medianBlur(mask, out, aperture);
  }
  std::vector<cv::Vec3f> findCircles(WorkImages& work, cv::Rect,
                                     const CircleSearch& search) const override {
    std::vector<cv::Vec3f> found;
    cv::HoughCircles(work.smoothed, found, cv::HOUGH_GRADIENT, 1.0, search.minDist, search.param1,
                     search.param2, 0, 0);
    return found;
  }
  bool wholePicture() const override { return true; }
};

}  // namespace

const DetectionStages& referenceStages() {
  static const ReferenceStages stages;
  return stages;
}

}  // namespace OrvantaTest
