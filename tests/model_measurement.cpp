#include <gtest/gtest.h>

#include <cmath>

#include "measurement.hpp"
#include "model_data.hpp"

using namespace Orvanta;

namespace {

constexpr double kNearly = 1e-12;

class Measurement : public ::testing::Test {
 protected:
  void SetUp() override { setUpModelData(); }

  static cv::Mat stateAt(double x, double y, double z, double psi) {
    cv::Mat s = cv::Mat::zeros(12, 1, CV_64FC1);
    s.at<double>(6, 0) = x;
    s.at<double>(7, 0) = y;
    s.at<double>(8, 0) = z;
    s.at<double>(11, 0) = psi;
    return s;
  }

  static cv::Mat noiseOf(std::initializer_list<double> rows) { return cv::Mat_<double>(rows); }

  static cv::Vec3d fix() {
    return {measurement.at<double>(0, 0), measurement.at<double>(1, 0),
            measurement.at<double>(2, 0)};
  }

  static void expectFixAt(const cv::Vec3d& expected) {
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(fix()[i], expected[i], kNearly) << "row " << i;
    }
  }

  static cv::Mat landmark(int k) { return landmarks.col(k - 1).clone(); }
};

}  // namespace

TEST_F(Measurement, TrueRangesToTheFourLandmarks) {
  landmarkRanges(stateAt(0, 0, 0, 0));
  EXPECT_EQ(rangeVector.at<double>(0, 0), 0.0);
  EXPECT_DOUBLE_EQ(rangeVector.at<double>(1, 0), 0.7);
  EXPECT_DOUBLE_EQ(rangeVector.at<double>(2, 0), std::sqrt(0.7 * 0.7 + 0.51 * 0.51));
  EXPECT_DOUBLE_EQ(rangeVector.at<double>(3, 0), 0.51);

  landmarkRanges(stateAt(2, -1.7, 7, 0));
  EXPECT_DOUBLE_EQ(rangeVector.at<double>(1, 0), 7.319836063738039);
}

TEST_F(Measurement, OneLandmarkMovesTheFixAlongTheLineOfSight) {
  simulateMeasurement1(stateAt(2, -1.7, 7, 45), noiseOf({0.1, 0.1}), landmark(2));
  EXPECT_EQ(measurement.at<double>(0, 0), 2.0177599605876435);
  EXPECT_EQ(measurement.at<double>(1, 0), -1.72322456384538);
  EXPECT_EQ(measurement.at<double>(2, 0), 7.095630557010389);
  EXPECT_EQ(measurement.at<double>(3, 0), 45.1);
}

TEST_F(Measurement, OneLandmarkWithoutNoiseGivesTheTruePosition) {
  simulateMeasurement1(stateAt(-0.4, 1.1, 2.5, -0.3), noiseOf({0, 0.02}), landmark(3));
  expectFixAt({-0.4, 1.1, 2.5});
  EXPECT_DOUBLE_EQ(measurement.at<double>(3, 0), -0.28);
}

TEST_F(Measurement, OneLandmarkAtThePositionGivesNoFix) {
  simulateMeasurement1(stateAt(0.7, 0, 0, 0), noiseOf({0.1, 0}), landmark(2));
  EXPECT_TRUE(std::isnan(fix()[0]));
}

TEST_F(Measurement, TwoLandmarksWithoutNoiseGiveTheTruePosition) {
  simulateMeasurement2(stateAt(1.2, -0.8, 2.0, 1.0), noiseOf({0, 0, 0.5}), landmarks);
  expectFixAt({1.2, -0.8, 2.0});
  EXPECT_EQ(measurement.at<double>(3, 0), 1.5);
}

TEST_F(Measurement, TwoLandmarksFixLiesOnBothNoisySpheres) {
  const cv::Vec3d truth(0.3, 0.9, 1.5);
  simulateMeasurement2(stateAt(truth[0], truth[1], truth[2], 0), noiseOf({0.05, -0.03, 0}),
                       landmarks);
  const cv::Vec3d p1(0, 0, 0), p2(0.7, 0, 0);
  EXPECT_NEAR(cv::norm(fix() - p1), cv::norm(truth - p1) + 0.05, kNearly);
  EXPECT_NEAR(cv::norm(fix() - p2), cv::norm(truth - p2) - 0.03, kNearly);
  // On the side of the baseline where the vehicle is.
  EXPECT_GT(fix()[1], 0.0);
  EXPECT_GT(fix()[2], 0.0);
}

TEST_F(Measurement, ThreeLandmarksWithoutNoiseGiveTheTruePositionAboveOrBelow) {
  for (double z : {1.3, -1.3}) {
    simulateMeasurement3(stateAt(0.2, -0.9, z, 2.0), noiseOf({0, 0, 0, -0.1}), landmarks);
    expectFixAt({0.2, -0.9, z});
    EXPECT_EQ(measurement.at<double>(3, 0), 1.9);
  }
}

TEST_F(Measurement, ThreeLandmarksWithRangeNoiseMeetAtTheSpheresCrossing) {
  const cv::Vec3d truth(0.5, 0.4, 2.0);
  const double n[3] = {0.01, -0.01, 0.02};
  simulateMeasurement3(stateAt(truth[0], truth[1], truth[2], 0), noiseOf({n[0], n[1], n[2], 0}),
                       landmarks);
  // Every pair builds with the remaining landmark, so all three candidates are the crossing of
  // the same three noisy spheres: landmarks (0, 0, 0), (d, 0, 0), (d, j, 0).
  const double d = 0.7, j = -0.51;
  const double r1 = cv::norm(truth) + n[0];
  const double r2 = cv::norm(truth - cv::Vec3d(d, 0, 0)) + n[1];
  const double r3 = cv::norm(truth - cv::Vec3d(d, j, 0)) + n[2];
  const double x = (r1 * r1 - r2 * r2 + d * d) / (2 * d);
  const double y = (r2 * r2 - r3 * r3 + j * j) / (2 * j);
  expectFixAt({x, y, std::sqrt(r1 * r1 - x * x - y * y)});
}

TEST_F(Measurement, FourLandmarksWithoutNoiseGiveTheTruePosition) {
  simulateMeasurement4(stateAt(1.5, -2.0, 3.0, 0.7), noiseOf({0, 0, 0, 0, 0.1}), landmarks);
  expectFixAt({1.5, -2.0, 3.0});
  EXPECT_DOUBLE_EQ(measurement.at<double>(3, 0), 0.8);
}

TEST_F(Measurement, FourLandmarksWithRangesNoPointFitsGiveNoFix) {
  simulateMeasurement4(stateAt(0.35, -0.255, 1.0, 0), noiseOf({-1, -1, -1, -1, 0}), landmarks);
  EXPECT_TRUE(std::isnan(fix()[0]));
  EXPECT_EQ(measurement.at<double>(3, 0), 0.0);
}
