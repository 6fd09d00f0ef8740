#include <gtest/gtest.h>

#include <cmath>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "detection.hpp"
#include "ranging.hpp"

using namespace Orvanta;

TEST(RangeModel, RangeIsInverseToApparentRadius) {
  EXPECT_DOUBLE_EQ(udaljenostPredmeta(41), 0.6);
  EXPECT_DOUBLE_EQ(udaljenostPredmeta(20), 1.23);
  EXPECT_DOUBLE_EQ(udaljenostPredmeta(82), 0.3);
  EXPECT_DOUBLE_EQ(udaljenostPredmeta(10), 2.46);
  EXPECT_EQ(udaljenostPredmeta(100), 2460.0 / 100 / 100);
}

TEST(RangeModel, ZeroRadiusIsInfinitelyFar) {
  EXPECT_TRUE(std::isinf(udaljenostPredmeta(0)));
  EXPECT_GT(udaljenostPredmeta(0), 0);
}

TEST(BallOverlay, GreenCentreMarkAndRedOutlineAtRoundedCentre) {
  const cv::Vec3b grey(128, 128, 128), green(0, 255, 0), red(0, 0, 255);
  cv::Mat display(120, 120, CV_8UC3, cv::Scalar::all(128));
  drawBallCircle(display, cv::Vec3f(50.4f, 60.6f, 20.2f));  // centre (50, 61), radius 20
  EXPECT_EQ(display.at<cv::Vec3b>(61, 50), green);
  EXPECT_EQ(display.at<cv::Vec3b>(61, 52), green);
  EXPECT_EQ(display.at<cv::Vec3b>(61, 70), red);
  EXPECT_EQ(display.at<cv::Vec3b>(41, 50), red);
  EXPECT_EQ(display.at<cv::Vec3b>(61, 60), grey);  // the outline is not filled
  EXPECT_EQ(display.at<cv::Vec3b>(61, 76), grey);  // nor wider than 3
}

namespace {

// Records every window call as "open name" or "show name".
class RecordingWindows : public ImageWindows {
 public:
  std::vector<std::string> calls;
  void namedWindow(const std::string& name) override { calls.push_back("open " + name); }
  void show(const std::string& name, const cv::Mat&) override { calls.push_back("show " + name); }
  void destroyWindow(const std::string&) override {}
  void createTrackbar(const std::string&, const std::string&, int*, int, void (*)(int)) override {}
  void setMouseCallback(const std::string&, cv::MouseCallback, void*) override {}
};

}  // namespace

TEST(DetectionWindows, FirstPassOfAFrameOpensTheWorkWindowsBeforeShowingThem) {
  RecordingWindows first, later;
  WorkImages work;
  work.create({8, 8});
  showDetectionWindows(first, cv::Mat(8, 8, CV_8UC3), work, true);
  showDetectionWindows(later, cv::Mat(8, 8, CV_8UC3), work, false);
  const std::vector<std::string> expected = {"show Hough Detection",
                                             "open grey manuel",
                                             "show grey manuel",
                                             "open grey",
                                             "show grey",
                                             "open Median",
                                             "show Median",
                                             "open Canny",
                                             "show Canny",
                                             "open Canny & Gaus",
                                             "show Canny & Gaus"};
  EXPECT_EQ(first.calls, expected);
  std::vector<std::string> shows;
  for (const std::string& call : expected)
    if (call.starts_with("show")) shows.push_back(call);
  EXPECT_EQ(later.calls, shows);
}
