#include <gtest/gtest.h>

#include <cmath>

#include "scene.hpp"

using namespace Orvanta::scene;

TEST(SceneTruth, DistancesToTheFourBalls) {
  const auto d = trueDistances({0, 0, 0.6});
  EXPECT_NEAR(d[0], 0.6, 1e-12);
  EXPECT_NEAR(d[1], std::sqrt(0.49 + 0.36), 1e-12);
  EXPECT_NEAR(d[2], std::sqrt(0.49 + 0.2601 + 0.36), 1e-12);
  EXPECT_NEAR(d[3], std::sqrt(0.2601 + 0.36), 1e-12);
  // Above the rectangle's centre every ball is equally far.
  for (double distance : trueDistances({0.35, -0.255, 1.0}))
    EXPECT_NEAR(distance, std::sqrt(0.35 * 0.35 + 0.255 * 0.255 + 1.0), 1e-12);
}

TEST(SceneView, FromAboveGreenAndRedAreAtTheTop) {
  const Pose pose{{0.35, -0.255, 1.8}, {0.35, -0.255, 0}};
  const SceneOptions options;
  const cv::Point2d green = projectBall(pose, 1, options), red = projectBall(pose, 2, options),
                    blue = projectBall(pose, 3, options), yellow = projectBall(pose, 4, options);
  EXPECT_LT(green.x, red.x);
  EXPECT_LT(yellow.x, blue.x);
  EXPECT_LT(green.y, yellow.y);
  EXPECT_LT(red.y, blue.y);
}

TEST(SceneView, LookingAlongYKeepsTheWorldUpright) {
  // +y gives no image direction here; the balls on the floor must then appear low in the frame.
  const Pose pose{{0.35, -3.0, 0.3}, {0.35, 1.0, 0.3}};
  const cv::Point2d green = projectBall(pose, 1, SceneOptions{});
  ASSERT_TRUE(std::isfinite(green.y));
  EXPECT_GT(green.y, 126.8);
  EXPECT_LT(green.x, 145.8);  // x = 0 lies left of the camera's x = 0.35 when facing +y
}

TEST(SceneDive, KeepsAllBallsInViewWithinRange) {
  const std::vector<Pose> poses = dive(120);
  ASSERT_EQ(poses.size(), 120u);
  const SceneOptions options;
  for (const Pose& pose : poses) {
    EXPECT_GT(pose.position[2], 0);
    for (double distance : trueDistances(pose.position)) {
      EXPECT_GE(distance, 1.3);
      EXPECT_LE(distance, 2.2);
    }
    for (int ball = 1; ball <= kBallCount; ++ball) {
      // A whole ball in view: its centre is at least its apparent radius (under 20 px at
      // 1.3 m or more) from every edge.
      const cv::Point2d at = projectBall(pose, ball, options);
      EXPECT_GT(std::min({at.x, at.y, 320 - at.x, 240 - at.y}), 20) << ball;
    }
  }
}

TEST(SceneDive, MovesAndHandlesShortLengths) {
  const std::vector<Pose> poses = dive(50);
  EXPECT_GT(cv::norm(poses.front().position - poses[25].position), 0.1);
  EXPECT_TRUE(dive(0).empty());
  EXPECT_EQ(dive(1).size(), 1u);
}
