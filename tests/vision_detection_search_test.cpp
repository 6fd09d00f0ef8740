#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "detection.hpp"
#include "similarity_reference.hpp"

using namespace Orvanta;

namespace {

circles trackedAt(int x, int y, int radius) {
  circles ball;
  ball.found = true;
  ball.x = x;
  ball.y = y;
  ball.radius = radius;
  return ball;
}

// The seven trackbar copies, restored after each test.
class TrackbarCopies : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = {IntMedian, lowInt, highInt, lowIntFilt, highIntFilt, lowIntHough, highIntHough};
  }
  void TearDown() override {
    IntMedian = saved_[0], lowInt = saved_[1], highInt = saved_[2], lowIntFilt = saved_[3];
    highIntFilt = saved_[4], lowIntHough = saved_[5], highIntHough = saved_[6];
  }

 private:
  std::array<int, 7> saved_{};
};

}  // namespace

TEST(SearchWindow, LostBallSearchesTheWholeFrame) {
  circles ball = trackedAt(10, 10, 20);
  ball.found = false;
  EXPECT_EQ(searchWindow(ball, {320, 240}), cv::Rect(0, 0, 320, 240));
}

TEST(SearchWindow, TrackedBallNearTheCornerIsClippedAtZero) {
  // 10 -/+ 32: rows and columns 0 to 42, end exclusive.
  EXPECT_EQ(searchWindow(trackedAt(10, 10, 20), {320, 240}), cv::Rect(0, 0, 42, 42));
}

TEST(SearchWindow, TrackedBallNearTheFarEdgeIsClippedAtTheFrameSize) {
  // Columns 300 -/+ 40 -> 260..320, rows 200 -/+ 40 -> 160..240.
  EXPECT_EQ(searchWindow(trackedAt(300, 200, 25), {320, 240}), cv::Rect(260, 160, 60, 80));
}

TEST(SearchWindow, BoundsAreTruncatedNotRounded) {
  // 1.6 * 7 = 11.2: 100 - 11.2 = 88.8 -> 88 and 100 + 11.2 = 111.2 -> 111.
  EXPECT_EQ(searchWindow(trackedAt(100, 100, 7), {320, 240}), cv::Rect(88, 88, 23, 23));
}

TEST(SearchWindow, ZeroRadiusGivesAnEmptyWindow) {
  EXPECT_TRUE(searchWindow(trackedAt(100, 100, 0), {320, 240}).empty());
}

TEST(CircleDetection, MinimumCentreDistanceIsAQuarterOfTheRowsRoundedDown) {
  EXPECT_EQ(minCentreDistance(240), 60);
  EXPECT_EQ(minCentreDistance(241), 60);
  EXPECT_EQ(minCentreDistance(243), 60);
  EXPECT_EQ(minCentreDistance(244), 61);
  EXPECT_EQ(minCentreDistance(480), 120);
}

TEST_F(TrackbarCopies, PositionsSelectTableValues) {
  IntMedian = lowInt = highInt = lowIntFilt = highIntFilt = lowIntHough = highIntHough = 0;
  const DetectionParams p = currentParams();
  EXPECT_EQ(p.medianAperture, 1);
  EXPECT_EQ(p.cannyLower, 0);
  EXPECT_EQ(p.cannyUpper, 50);
  EXPECT_EQ(p.gaussianWidth, 1);
  EXPECT_EQ(p.gaussianHeight, 1);
  EXPECT_EQ(p.houghParam1, 10);
  EXPECT_EQ(p.houghParam2, 10);
  switch_callback_l(7);  // "Low" on "Canny"
  EXPECT_EQ(currentParams().cannyLower, 200);
  EXPECT_EQ(currentParams().cannyUpper, 50);
}

TEST(ThresholdMask, ScoreEqualToTheThresholdCounts) {
  cv::Mat similarity = (cv::Mat_<uchar>(1, 4) << 99, 100, 101, 255);
  cv::Mat mask = cv::Mat::zeros(1, 4, CV_8UC1);
  thresholdMask(similarity, cv::Rect(0, 0, 4, 1), 100, mask);
  EXPECT_EQ(mask.at<uchar>(0, 0), 0);
  EXPECT_EQ(mask.at<uchar>(0, 1), 255);
  EXPECT_EQ(mask.at<uchar>(0, 2), 255);
  EXPECT_EQ(mask.at<uchar>(0, 3), 255);
}

TEST(Similarity, UncalibratedReferenceMasksTheWholeWindow) {
  cv::Mat frame(6, 8, CV_8UC3, cv::Scalar(10, 200, 30));
  cv::Mat similarity = cv::Mat::zeros(6, 8, CV_8UC1), mask = similarity.clone();
  const cv::Rect window(2, 1, 4, 3);
  computeSimilarity(frame, window, hsv_color{}, 0, similarity);
  thresholdMask(similarity, window, 0, mask);
  EXPECT_EQ(cv::countNonZero(similarity), 0);
  EXPECT_EQ(cv::countNonZero(mask), 12);
  EXPECT_EQ(cv::countNonZero(mask(window)), 12);
}

TEST(Similarity, ScoresEachWindowPixelAgainstTheReference) {
  cv::Mat frame(2, 2, CV_8UC3, cv::Scalar(128, 128, 128));  // grey: (0, 0, 128)
  frame.at<cv::Vec3b>(0, 0) = cv::Vec3b(0, 200, 0);         // BGR of the reference green
  cv::Mat similarity = cv::Mat::zeros(2, 2, CV_8UC1);
  const hsv_color green{85, 255, 200};
  computeSimilarity(frame, cv::Rect(0, 0, 2, 1), green, hsvNormOf(green), similarity);
  EXPECT_EQ(similarity.at<uchar>(0, 0), 255);
  EXPECT_EQ(similarity.at<uchar>(0, 1), 43);
  EXPECT_EQ(similarity.at<uchar>(1, 0), 0);  // outside the window
}
