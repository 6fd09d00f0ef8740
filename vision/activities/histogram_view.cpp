#include "histogram_view.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <string>

#include "histogram.hpp"

namespace Orvanta {
namespace {

constexpr int kColumns = 256, kPlainHeight = 50;
constexpr int kScale = 3, kLeft = 12;
constexpr int kTextRow = 18;  // baseline of the instruction
constexpr int kTop = 28;      // the enlarged histogram
constexpr int kLogTop = kTop + kPlainHeight * kScale + 6, kLogHeight = 60;
constexpr int kNearTop = kLogTop + kLogHeight + 6, kNearHeight = 40;
constexpr int kScaleTop = kNearTop + kNearHeight + 2, kScaleHeight = 22;
constexpr int kMarksRow = kScaleTop + kScaleHeight + 16;  // baseline of the marks' values
constexpr int kWidth = kLeft * 2 + kColumns * kScale, kHeight = kMarksRow + 8;
constexpr int kStripsBottom = kNearTop + kNearHeight;

const cv::Scalar kInk(0, 0, 0), kPaper(255, 255, 255), kLogInk(90, 90, 90);
const cv::Scalar kPointer(0, 0, 220), kSuggested(200, 110, 0), kFaint(225, 225, 225);
constexpr int kFont = cv::FONT_HERSHEY_SIMPLEX;

cv::Mat countsOf(const cv::Mat& scores, const cv::Mat& mask) {
  const int channels[] = {0}, bins[] = {kColumns};
  const float range[] = {0, 256};
  const float* ranges[] = {range};
  cv::Mat counts;
  cv::calcHist(&scores, 1, channels, mask, counts, 1, bins, ranges);
  return counts;
}

int columnLeft(int column) {
  return kLeft + column * kScale;
}

void text(cv::Mat& view, const std::string& words, cv::Point at, cv::Scalar ink,
          double size = 0.45) {
  cv::putText(view, words, at, kFont, size, ink, 1, cv::LINE_AA);
}

// Bars of counts in a strip, their heights by height(count, largest) in 0..1.
template <typename Height>
void drawBars(cv::Mat& view, const cv::Mat& counts, int top, int stripHeight, cv::Scalar ink,
              Height height) {
  double largest = 0;
  cv::minMaxLoc(counts, nullptr, &largest);
  cv::rectangle(view, {kLeft, top, kColumns * kScale, stripHeight}, kFaint, 1);
  if (largest <= 0) return;
  for (int i = 0; i < kColumns; ++i) {
    const int bar = int(std::lround(height(counts.at<float>(i), largest) * stripHeight));
    if (bar > 0)
      cv::rectangle(view, cv::Rect(columnLeft(i), top + stripHeight - bar, kScale, bar), ink,
                    cv::FILLED);
  }
}

void drawScale(cv::Mat& view) {
  for (int score = 0; score < kColumns; score += 16) {
    const int x = columnLeft(score) + kScale / 2, tick = score % 64 == 0 ? 6 : 3;
    cv::line(view, {x, kScaleTop}, {x, kScaleTop + tick}, kInk);
    if (score % 64 == 0) text(view, std::to_string(score), {x - 4, kScaleTop + 18}, kInk, 0.4);
  }
  const int last = columnLeft(255) + kScale / 2;
  cv::line(view, {last, kScaleTop}, {last, kScaleTop + 6}, kInk);
  text(view, "255", {last - 22, kScaleTop + 18}, kInk, 0.4);
}

void drawMark(cv::Mat& view, int column, cv::Scalar ink) {
  const int x = columnLeft(column) + kScale / 2;
  cv::line(view, {x, kTop}, {x, kStripsBottom}, ink, 1);
}

}  // namespace

int neighbourhoodRadius(int frameWidth) {
  return std::max(3, frameWidth / 64);
}

HistogramView::HistogramView(const cv::Mat& similarity, cv::Point sampled, cv::Scalar ball,
                             int suggested)
    : plain_(histogramPicture(similarity)),
      counts_(countsOf(similarity, cv::Mat())),
      ball_(ball),
      suggested_(suggested) {
  cv::Mat near = cv::Mat::zeros(similarity.size(), CV_8UC1);
  if (sampled.x >= 0 && sampled.y >= 0)
    cv::circle(near, sampled, neighbourhoodRadius(similarity.cols), cv::Scalar(255), cv::FILLED);
  nearCounts_ = countsOf(similarity, near);
}

cv::Mat HistogramView::draw(int pointer) const {
  cv::Mat view(kHeight, kWidth, CV_8UC3, kPaper);
  text(view, "Klikni na stupac od kojeg piksel pripada kugli (n: prag ostaje).", {kLeft, kTextRow},
       kInk);
  cv::Mat plain;
  cv::cvtColor(plain_, plain, cv::COLOR_GRAY2BGR);
  cv::resize(plain, view(cv::Rect(kLeft, kTop, kColumns * kScale, kPlainHeight * kScale)),
             {kColumns * kScale, kPlainHeight * kScale}, 0, 0, cv::INTER_NEAREST);
  drawBars(view, counts_, kLogTop, kLogHeight, kLogInk,
           [](double n, double most) { return std::log1p(n) / std::log1p(most); });
  drawBars(view, nearCounts_, kNearTop, kNearHeight, ball_,
           [](double n, double most) { return n / most; });
  text(view, "log", {kWidth - kLeft - 28, kLogTop + 14}, kLogInk, 0.4);
  drawScale(view);
  std::string marks;
  if (suggested_ >= 0) {
    drawMark(view, suggested_, kSuggested);
    text(view, "prijedlog " + std::to_string(suggested_), {kLeft, kMarksRow}, kSuggested);
  }
  if (pointer >= 0 && pointer < kColumns) {
    drawMark(view, pointer, kPointer);
    text(view, "stupac " + std::to_string(pointer), {kLeft + 200, kMarksRow}, kPointer);
  }
  return view;
}

std::optional<cv::Point> HistogramView::histogramPointAt(cv::Point view) {
  const int column = (view.x - kLeft) / kScale;
  if (view.x < kLeft || column >= kColumns || view.y < kTop || view.y >= kStripsBottom)
    return std::nullopt;
  const int row = std::min((view.y - kTop) / kScale, kPlainHeight - 1);
  return cv::Point(column, row);
}

cv::Point HistogramView::viewPointOf(cv::Point histogram) {
  return {columnLeft(histogram.x) + kScale / 2, kTop + histogram.y * kScale + kScale / 2};
}

}  // namespace Orvanta
