#include "histogram.hpp"

#include <opencv2/imgproc.hpp>

#include "camera.hpp"
#include "colour.hpp"
#include "detection.hpp"
#include "histogram_suggestion.hpp"
#include "histogram_view.hpp"
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
  return colourIndex >= 1 && colourIndex <= site::kBallCount ? &ballRecord(colourIndex) : nullptr;
}

// Where the pointer is over the view, and the column of a valid click on it (x and y above 0 in
// the plain histogram's coordinates). Only a click here chooses the threshold: the calibration
// picture's clicks go to the shared click slot, where a column would be taken for a threshold.
struct Pointer {
  int column = -1;
  int clicked = -1;
};

void onViewMouse(int event, int x, int y, int, void* param) {
  auto* pointer = static_cast<Pointer*>(param);
  const auto at = HistogramView::histogramPointAt({x, y});
  if (event == cv::EVENT_MOUSEMOVE) pointer->column = at ? at->x : -1;
  if (event == cv::EVENT_LBUTTONDOWN && at && at->x > 0 && at->y > 0) pointer->clicked = at->x;
}

// Waits until a click on the histogram, which sets threshold, or "n". A click on the
// calibration picture meanwhile is dropped: it is neither a threshold nor the next ball.
void waitForThresholdClick(const HistogramView& view, Host& host, int& threshold) {
  Pointer pointer;
  for (;;) {
    host.windows.show(kWindow, view.draw(pointer.column));
    host.windows.setMouseCallback(kWindow, onViewMouse, &pointer);
    waitKey(host, 33);
    if (pointer.clicked > 0) threshold = pointer.clicked;
    if (c == kEndKey || pointer.clicked > 0) break;
  }
  box.x = box.y = -1;
  izmjena = false;
}

// The live frame to score. A source that has ended (a file the preview ran to its end) is
// opened once more from its start.
bool histogramFrame(Host& host, PictureProblem& problem) {
  if (queryFrame(frame, &problem)) return true;
  return !problem && openCamera(host.cameraSource) && queryFrame(frame, &problem);
}

// The scores the other calibrated balls' colours get against the reference colour hsv.
std::vector<int> otherColourScores(int colourIndex, double norm) {
  std::vector<int> scores;
  for (int other = 1; other <= site::kBallCount; ++other) {
    const circles& record = ballRecord(other);
    if (other != colourIndex && calibrated(record))
      scores.push_back(colourScore(record, hsv, norm));
  }
  return scores;
}

}  // namespace

int colourScore(const circles& colour, hsv_color reference, double norm) {
  const cv::Mat pixel(1, 1, CV_8UC3, cv::Scalar(colour.b, colour.g, colour.r));
  cv::Mat score(1, 1, CV_8UC1, cv::Scalar(0));
  SimilarityScorer().score(pixel, {0, 0, 1, 1}, reference, norm, score);
  return score.at<uchar>(0, 0);
}

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

int histogram(int colourIndex, Host& host, bool* refused, cv::Point sampled, const cv::Mat& still) {
  circles* ball = selectedBall(colourIndex);
  int threshold = ball ? ball->threshold : 0;
  // The norm always belongs to the record's own colour, whatever the frame does.
  const double norm = hsvNormOf(hsv);
  if (ball) ball->hsvNorm = norm;
  PictureProblem problem;
  if (refused) *refused = false;
  if (!still.empty()) {
    frame = still.clone();
  } else if (!histogramFrame(host, problem)) {
    host.texts.setText("textBox7",
                       problem ? problem.window : "Kamera ne daje sliku: prag nije odabran.");
    if (refused) *refused = true;
    return threshold;
  }

  cv::Mat similarity = cv::Mat::zeros(frame.size(), CV_8UC1);
  SimilarityScorer().score(frame, cv::Rect({0, 0}, frame.size()), hsv, norm, similarity);

  host.windows.namedWindow(kWindow);
  const cv::Scalar colour = ball ? cv::Scalar(ball->b, ball->g, ball->r) : cv::Scalar::all(0);
  const int suggested =
      suggestedThreshold(similarity, sampled, otherColourScores(colourIndex, norm));
  waitForThresholdClick(HistogramView(similarity, sampled, colour, suggested), host, threshold);

  if (ball) ball->threshold = threshold;
  host.windows.destroyWindow(kWindow);
  return threshold;
}

}  // namespace Orvanta
