#include "histogram.hpp"

#include <opencv2/imgproc.hpp>

#include "camera.hpp"
#include "click_slot.hpp"
#include "colour.hpp"
#include "detection.hpp"
#include "key_wait.hpp"
#include "similarity.hpp"
#include "state.hpp"

namespace Orvanta {
namespace {

constexpr const char* kWindow = "Histogram";
constexpr int kWidth = 256;
constexpr int kHeight = 50;
constexpr char kEndKey = 'n';

circles* selectedBall(int colourIndex) {
  return colourIndex >= 1 && colourIndex <= 4 ? &ballRecord(colourIndex) : nullptr;
}

// Waits until a valid click (x and y above 0), which sets threshold, or "n".
void waitForThresholdClick(cv::Mat& picture, Host& host, int& threshold) {
  for (;;) {
    host.windows.show(kWindow, picture);
    host.windows.setMouseCallback(kWindow, mouseClick, &picture);
    bool chosen = false;
    if (box.x > 0 && box.y > 0 && izmjena) {
      izmjena = false;
      threshold = box.x;
      chosen = true;
      box.x = box.y = -1;
    }
    waitKey(host, 33);
    if (c == kEndKey || chosen) return;
  }
}

// The live frame to score. A source that has ended (a file the preview ran to its end) is
// opened once more from its start.
bool histogramFrame(Host& host, PictureProblem& problem) {
  if (queryFrame(frame, &problem)) return true;
  return !problem && openCamera(host.cameraSource) && queryFrame(frame, &problem);
}

}  // namespace

cv::Mat histogramPicture(const cv::Mat& similarity) {
  const int channels[] = {0};
  const int bins[] = {256};
  const float range[] = {0, 256};
  const float* ranges[] = {range};
  cv::Mat counts;
  cv::calcHist(&similarity, 1, channels, cv::Mat(), counts, 1, bins, ranges);
  double largest = 0;
  cv::minMaxLoc(counts, nullptr, &largest);

  cv::Mat picture(kHeight, kWidth, CV_8UC1, cv::Scalar(255));
  for (int i = 0; i < kWidth; ++i) {
    // In double precision: a single-precision product loses the exact halves of large frames.
    const int bar = largest > 0 ? cvRound(double(counts.at<float>(i)) * kHeight / largest) : 0;
    cv::line(picture, {i, kHeight}, {i, kHeight - bar}, cv::Scalar(0), 1, cv::LINE_8);
  }
  return picture;
}

int histogram(int colourIndex, Host& host, bool* refused) {
  circles* ball = selectedBall(colourIndex);
  int threshold = ball ? ball->threshold : 0;
  // The norm always belongs to the record's own colour, whatever the frame does.
  const double norm = hsvNormOf(hsv);
  if (ball) ball->hsvNorm = norm;
  PictureProblem problem;
  if (refused) *refused = false;
  if (!histogramFrame(host, problem)) {
    host.texts.setText("textBox7",
                       problem ? problem.window : "Kamera ne daje sliku: prag nije odabran.");
    if (refused) *refused = true;
    return threshold;
  }

  cv::Mat similarity = cv::Mat::zeros(frame.size(), CV_8UC1);
  SimilarityScorer().score(frame, cv::Rect({0, 0}, frame.size()), hsv, norm, similarity);

  host.windows.namedWindow(kWindow);
  cv::Mat picture = histogramPicture(similarity);
  waitForThresholdClick(picture, host, threshold);

  if (ball) ball->threshold = threshold;
  host.windows.destroyWindow(kWindow);
  return threshold;
}

}  // namespace Orvanta
