#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "camera_model.hpp"
#include "scene.hpp"

using namespace Orvanta::scene;
namespace site = Orvanta::site;

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
  const Pose pose = lookAt({0.35, -0.255, 1.8}, {0.35, -0.255, 0});
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
  const Pose pose = lookAt({0.35, -3.0, 0.3}, {0.35, 1.0, 0.3});
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
    for (int ball = 1; ball <= site::kBallCount; ++ball) {
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

TEST(SceneView, RollTurnsThePictureAboutTheViewingDirection) {
  // Rolled by 90 degrees the image's right is the unrolled image's down: a ball's normalised
  // image point (x, y) moves to (y, -x).
  const SceneOptions pinhole{.distort = false};
  const cv::Vec3d from(0.2, -0.1, 1.6), to(0.35, -0.255, 0);
  const cv::Matx33d k = site::defaultCamera().at(pinhole.size).intrinsics;
  const auto normalised = [&](const Pose& pose, int ball) {
    const cv::Point2d p = projectBall(pose, ball, pinhole);
    return cv::Point2d((p.x - k(0, 2)) / k(0, 0), (p.y - k(1, 2)) / k(1, 1));
  };
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const cv::Point2d plain = normalised(lookAt(from, to), ball);
    const cv::Point2d rolled = normalised(lookAt(from, to, 90), ball);
    EXPECT_NEAR(rolled.x, plain.y, 1e-9) << ball;
    EXPECT_NEAR(rolled.y, -plain.x, 1e-9) << ball;
  }
  EXPECT_NEAR(cameraHeadingDegrees(lookAt(from, to, 90)) - cameraHeadingDegrees(lookAt(from, to)),
              -90, 1.0);  // nearly straight down: the image's right turns with the roll
}

TEST(SceneSurvey, ObliqueRollingDescentWithTheBallsInView) {
  const std::vector<Pose> poses = survey(100);
  int allInView = 0;
  double nearest = 10, farthest = 0, mostRoll = 0;
  for (const Pose& pose : poses) {
    for (double d : trueDistances(pose.position))
      nearest = std::min(nearest, d), farthest = std::max(farthest, d);
    const Pose upright = lookAt(
        pose.position,
        pose.position + cv::Vec3d(pose.rotation(2, 0), pose.rotation(2, 1), pose.rotation(2, 2)));
    mostRoll = std::max(
        mostRoll,
        std::acos(std::clamp(upright.rotation.row(0).dot(pose.rotation.row(0)), -1.0, 1.0)) * 180 /
            CV_PI);
    bool all = true;
    for (int ball = 1; ball <= site::kBallCount; ++ball) {
      // Wholly in view: the centre an apparent radius and a pixel from every edge.
      const cv::Point2d at = projectBall(pose, ball, SceneOptions{});
      const double radius =
          490 * site::kDefaultBallRadius / cv::norm(pose.position - ballCentre(ball)) + 1;
      all = all && std::min({at.x, at.y, 319 - at.x, 239 - at.y}) > radius;
    }
    allInView += all ? 1 : 0;
  }
  EXPECT_GT(allInView, 90);
  EXPECT_NEAR(nearest, 1.35, 0.1);
  EXPECT_NEAR(farthest, 2.55, 0.1);
  EXPECT_GT(mostRoll, 20);
}
