#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "pair_geometry.hpp"
#include "trilateration.hpp"

using Orvanta::trilaterate;

namespace {

// The balls' layout as the vision program holds it: single-precision values widened.
cv::Mat builtInLandmarks() {
  const float x = 0.7f, y = -0.51f;
  return (cv::Mat_<double>(3, 4) << 0, x, x, 0, 0, 0, y, y, 0, 0, 0, 0);
}

cv::Mat exactRanges(const cv::Vec3d& p, const cv::Mat& landmarks) {
  cv::Mat r(4, 1, CV_64FC1);
  for (int k = 0; k < 4; ++k) r.at<double>(k) = cv::norm(p - cv::Vec3d(landmarks.col(k)));
  return r;
}

void expectNear(const cv::Vec3d& actual, const cv::Vec3d& expected, double tolerance) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "axis " << i;
}

}  // namespace

TEST(Solver, NonCoplanarLandmarksRecoverThePoint) {
  const cv::Mat landmarks =
      (cv::Mat_<double>(3, 4) << 0, 0.7, 0.7, 0, 0, 0, -0.51, -0.51, 0, 0.2, 0, 0.4);
  const cv::Vec3d truth(1.5, -2.0, 3.0);
  expectNear(trilaterate(exactRanges(truth, landmarks), landmarks), truth, 1e-9);
}

TEST(Solver, CoplanarLandmarksMirrorCandidatesResolveToTheCameraSide) {
  const cv::Mat landmarks = builtInLandmarks();
  const cv::Vec3d truth(0.3, -0.2, 1.2);
  const cv::Vec3d p = trilaterate(exactRanges(truth, landmarks), landmarks);
  expectNear(p, truth, 1e-9);
  EXPECT_GT(p[2], 0);
}

TEST(Solver, CoplanarLandmarksOverManyPositions) {
  const cv::Mat landmarks = builtInLandmarks();
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> xy(-1.0, 1.7), z(0.2, 3.0);
  for (int n = 0; n < 200; ++n) {
    const cv::Vec3d truth(xy(rng), xy(rng) - 0.5, z(rng));
    expectNear(trilaterate(exactRanges(truth, landmarks), landmarks), truth, 1e-8);
  }
}

TEST(Solver, NoisyRangesGiveCentimetreErrors) {
  // 1 % range noise at 1.5 m: about 1.5 cm per range; the small baseline (0.7 m) amplifies it.
  const cv::Mat landmarks = builtInLandmarks();
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 0.01);
  const cv::Vec3d truth(0.35, -0.25, 1.5);
  std::vector<double> errors;
  for (int n = 0; n < 200; ++n) {
    cv::Mat r = exactRanges(truth, landmarks);
    for (int k = 0; k < 4; ++k) r.at<double>(k) *= 1.0 + noise(rng);
    const cv::Vec3d p = trilaterate(r, landmarks);
    ASSERT_FALSE(std::isnan(p[0]));
    EXPECT_GT(p[2], 0);
    errors.push_back(cv::norm(p - truth));
  }
  std::sort(errors.begin(), errors.end());
  EXPECT_LT(errors[errors.size() / 2], 0.07);
  EXPECT_LT(errors.back(), 0.25);
}

TEST(Solver, RangesNoPointSatisfiesGiveNaN) {
  const cv::Mat landmarks = builtInLandmarks();
  const cv::Mat ranges = (cv::Mat_<double>(4, 1) << 0.1, 0.1, 0.1, 0.1);
  const cv::Vec3d p = trilaterate(ranges, landmarks);
  EXPECT_TRUE(std::isnan(p[0]) && std::isnan(p[1]) && std::isnan(p[2]));
}

TEST(Solver, InputsUnchangedAndNoStateBetweenCalls) {
  const cv::Mat landmarks = builtInLandmarks();
  const cv::Mat ranges = exactRanges({0.1, 0.4, 0.9}, landmarks);
  const cv::Mat rangesBefore = ranges.clone(), landmarksBefore = landmarks.clone();
  const cv::Vec3d first = trilaterate(ranges, landmarks);
  trilaterate((cv::Mat_<double>(4, 1) << 0.1, 0.1, 0.1, 0.1), landmarks);
  const cv::Vec3d second = trilaterate(ranges, landmarks);
  EXPECT_EQ(cv::norm(ranges, rangesBefore, cv::NORM_INF), 0.0);
  EXPECT_EQ(cv::norm(landmarks, landmarksBefore, cv::NORM_INF), 0.0);
  EXPECT_EQ(first, second);
}

TEST(PairGeometry, OtherLandmarksFollowTheBaselineCyclically) {
  // (c, d) for the six pairs of four landmarks, and the third landmark of three.
  const int pairs[6][4] = {{1, 2, 3, 4}, {1, 3, 4, 2}, {1, 4, 2, 3},
                           {2, 3, 4, 1}, {2, 4, 1, 3}, {3, 4, 1, 2}};
  for (const auto& [a, b, c, d] : pairs) {
    EXPECT_EQ(Orvanta::otherLandmark(a, b, 4, 1), c) << a << b;
    EXPECT_EQ(Orvanta::otherLandmark(a, b, 4, 2), d) << a << b;
  }
  EXPECT_EQ(Orvanta::otherLandmark(1, 2, 3, 1), 3);
  EXPECT_EQ(Orvanta::otherLandmark(1, 3, 3, 1), 2);
  EXPECT_EQ(Orvanta::otherLandmark(2, 3, 3, 1), 1);
}
