// The precise estimate's geometry: the lens model's inversion, attitude conversions, the sphere's
// viewing cone and the camera pose from exact and perturbed ball directions.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <opencv2/calib3d.hpp>
#include <random>

#include "camera_model.hpp"
#include "camera_pose.hpp"
#include "cone.hpp"
#include "pinhole.hpp"
#include "pose_quality.hpp"
#include "prediction.hpp"
#include "rotation.hpp"
#include "silhouette.hpp"

using namespace Orvanta;
using namespace Orvanta::pose;

namespace {

const PinholeCamera kCamera{site::defaultCamera().intrinsics, site::defaultCamera().distortion};
const std::array<cv::Point3d, site::kBallCount> kLandmarks = {
    {{0, 0, 0}, {0.7, 0, 0}, {0.7, -0.51, 0}, {0, -0.51, 0}}};

// A camera at `position` looking at the rectangle's centre, rolled by `roll` radians: the
// landmark-to-camera rotation.
cv::Matx33d lookingAtCentre(const cv::Vec3d& position, double roll) {
  const cv::Vec3d forward = cv::normalize(cv::Vec3d(0.35, -0.255, 0) - position);
  const cv::Vec3d right0 = cv::normalize(forward.cross(cv::Vec3d(0, 1, 0)));
  const cv::Vec3d down0 = forward.cross(right0);
  const cv::Vec3d right = std::cos(roll) * right0 + std::sin(roll) * down0;
  const cv::Vec3d down = forward.cross(right);
  return {right[0], right[1],   right[2],   down[0],   down[1],
          down[2],  forward[0], forward[1], forward[2]};
}

std::array<std::optional<BallView>, site::kBallCount> viewsFrom(const cv::Vec3d& position,
                                                                const cv::Matx33d& rotation) {
  std::array<std::optional<BallView>, site::kBallCount> views;
  for (int i = 0; i < site::kBallCount; ++i) {
    const cv::Vec3d c = rotation * (cv::Vec3d(kLandmarks[i]) - position);
    views[i] = BallView{cv::normalize(c), cv::norm(c)};
  }
  return views;
}

}  // namespace

TEST(PoseLens, UndistortionInvertsTheLensEverywhereInThePicture) {
  // The default camera, and one with every term of the lens model OpenCV calibrates: rational
  // and thin-prism terms.
  site::CameraModel full{
      {600, 0, 330, 0, 610, 235, 0, 0, 1},
      {-0.3, 0.1, 0.001, -0.002, -0.02, 0.05, 0.01, 0.002, 0.001, -0.0005, 0.0008, 0.0003},
      {640, 480}};
  for (const site::CameraModel& camera : {site::defaultCamera(), full}) {
    const PinholeCamera pinhole{camera.intrinsics, camera.distortion};
    const double w = camera.size.width - 1, h = camera.size.height - 1;
    for (const cv::Point2d pixel :
         {cv::Point2d(0, 0), cv::Point2d(w, 0), cv::Point2d(0, h), cv::Point2d(w, h),
          cv::Point2d(w * 0.46, h * 0.53), cv::Point2d(w * 0.63 + 0.25, h * 0.13 + 0.75)}) {
      const cv::Point2d n = undistortPixel(pinhole, pixel);
      const cv::Point2d back = distortToPixel(pinhole, n);
      EXPECT_NEAR(back.x, pixel.x, 1e-9) << pixel;
      EXPECT_NEAR(back.y, pixel.y, 1e-9) << pixel;
      // The same point as OpenCV's own inversion, run to convergence, and its own projection.
      std::vector<cv::Point2d> in{pixel}, out;
      cv::undistortPoints(in, out, camera.intrinsics, camera.distortion, cv::noArray(),
                          cv::noArray(), cv::TermCriteria(cv::TermCriteria::COUNT, 100, 0));
      EXPECT_NEAR(n.x, out[0].x, 1e-9);
      EXPECT_NEAR(n.y, out[0].y, 1e-9);
      std::vector<cv::Point2d> projected;
      cv::projectPoints(std::vector<cv::Point3d>{{n.x, n.y, 1}}, cv::Vec3d(), cv::Vec3d(),
                        camera.intrinsics, camera.distortion, projected);
      EXPECT_NEAR(projected[0].x, pixel.x, 1e-6) << pixel;
      EXPECT_NEAR(projected[0].y, pixel.y, 1e-6) << pixel;
      // A pixel's area in the normalised plane, against a finite difference of the inversion.
      const cv::Point2d dx = undistortPixel(pinhole, pixel + cv::Point2d(0.5, 0)) -
                             undistortPixel(pinhole, pixel - cv::Point2d(0.5, 0));
      const cv::Point2d dy = undistortPixel(pinhole, pixel + cv::Point2d(0, 0.5)) -
                             undistortPixel(pinhole, pixel - cv::Point2d(0, 0.5));
      const double area = std::abs(dx.x * dy.y - dx.y * dy.x);
      EXPECT_NEAR(pixelArea(pinhole, n), area, 1e-5 * area) << pixel;
    }
  }
}

// The table fills a region when asked: every pixel of it, on both sides of the tiles' seams and
// up to the picture's odd-sized edges, holds the exact inversion.
TEST(PoseLens, TheUndistortionTableHoldsEveryPixelOfTheRegionsAskedFor) {
  const site::CameraModel camera = site::defaultCamera().at({333, 250});
  const PinholeCamera pinhole{camera.intrinsics, camera.distortion};
  const UndistortionTable table(pinhole, camera.size);
  for (const cv::Rect& box : {cv::Rect(60, 60, 10, 10), cv::Rect(320, 190, 13, 60)}) {
    table.prepare(box);
    for (int y = box.y; y < box.br().y; ++y)
      for (int x = box.x; x < box.br().x; ++x) {
        const cv::Point2d n = undistortPixel(pinhole, cv::Point2d(x, y));
        ASSERT_EQ(table.at(x, y), cv::Vec2f(float(n.x), float(n.y))) << x << "," << y;
        ASSERT_EQ(table.area(x, y), float(pixelArea(pinhole, n))) << x << "," << y;
      }
  }
}

TEST(PoseAttitude, QuaternionAndHeadingOfKnownRotations) {
  struct Case {
    cv::Vec3d axisAngle;
    double heading;  // of the camera x axis, degrees
  };
  const double pi = CV_PI;
  for (const Case& c : std::vector<Case>{{{0, 0, 0}, 0},
                                         {{0, 0, pi / 2}, 90},
                                         {{0, 0, pi}, 180},  // never -180
                                         {{0, 0, -pi / 2}, -90},
                                         {{pi, 0, 0}, 0},
                                         {{0, pi, 0}, 180},
                                         {{0.3, -1.1, 2.0}, NAN}}) {
    cv::Matx33d m;
    cv::Rodrigues(c.axisAngle, m);
    const cv::Vec4d q = quaternionOf(m);
    const double angle = cv::norm(c.axisAngle);
    const cv::Vec3d axis = angle > 0 ? c.axisAngle / angle : cv::Vec3d(1, 0, 0);
    cv::Vec4d expected(std::cos(angle / 2), axis[0] * std::sin(angle / 2),
                       axis[1] * std::sin(angle / 2), axis[2] * std::sin(angle / 2));
    if (expected[0] < 0) expected = -expected;
    EXPECT_NEAR(cv::norm(q - expected), 0, 1e-12) << c.axisAngle;
    if (!std::isnan(c.heading)) {
      EXPECT_NEAR(headingDegrees(m), c.heading, 1e-9) << c.axisAngle;
    }
  }
}

TEST(PoseCone, FitsTheSpheresConeThroughNoiseAndOutliers) {
  // A ball 2 m away, 0.2 rad off the optical axis; 48 outline rays with 0.05 px of noise and
  // five rays pulled 2 px outwards.
  const cv::Vec3d axis = cv::normalize(cv::Vec3d(std::sin(0.2), 0.05, std::cos(0.2)));
  const double halfAngle = std::asin(0.05 / 2), focal = 490;
  const cv::Vec3d e1 = cv::normalize(axis.cross(cv::Vec3d(0, 0, 1))), e2 = axis.cross(e1);
  std::mt19937 rng(4);
  std::normal_distribution<double> noise(0, 0.05 / focal);
  std::vector<cv::Vec3d> rays;
  for (int k = 0; k < 48; ++k) {
    const double phi = 2 * CV_PI * k / 48;
    const double a = halfAngle + noise(rng) + (k % 10 == 3 ? 2 / focal : 0);
    rays.push_back(std::cos(a) * axis + std::sin(a) * (std::cos(phi) * e1 + std::sin(phi) * e2));
  }
  const std::optional<Cone> cone = fitCone(rays, 0.25 / focal, 16);
  ASSERT_TRUE(cone);
  EXPECT_LT(std::acos(std::min(1.0, cone->axis.dot(axis))) * focal, 0.03);
  EXPECT_NEAR(cone->halfAngle, halfAngle, 0.02 / focal);
  EXPECT_EQ(cone->kept, 43);
  EXPECT_FALSE(fitCone(std::vector<cv::Vec3d>(rays.begin(), rays.begin() + 10), 0.25 / focal, 16));
}

TEST(PoseSolve, ExactDirectionsGiveTheExactPose) {
  for (const auto& [position, roll] :
       std::vector<std::pair<cv::Vec3d, double>>{{{0.35, -0.255, 1.5}, 0.0},
                                                 {{0.1, -0.4, 2.4}, 0.7},
                                                 {{0.6, 0.05, 1.3}, -2.5},
                                                 {{-0.4, -0.9, 0.8}, 1.2}}) {
    const cv::Matx33d rotation = lookingAtCentre(position, roll);
    const CameraPose pose = solveCameraPose(viewsFrom(position, rotation), kLandmarks, 490);
    ASSERT_TRUE(pose.valid) << describe(pose.status);
    EXPECT_EQ(pose.balls, 4);
    EXPECT_LT(cv::norm(pose.position - position), 1e-7) << position;
    EXPECT_LT(cv::norm(pose.quaternion - quaternionOf(rotation.t())), 1e-7);
    EXPECT_NEAR(pose.headingDegrees, headingDegrees(rotation.t()), 1e-5);
    EXPECT_LT(pose.rmsPx, 1e-4);
    EXPECT_EQ(describe(pose.status), "ok");
  }
}

TEST(PoseSolve, ThreeBallsAndTheirRangesChooseAmongTheCandidates) {
  const cv::Vec3d position(-0.5, -0.3, 0.3);
  const cv::Matx33d rotation = lookingAtCentre(position, 0.4);
  for (int left = 0; left < site::kBallCount; ++left) {
    auto views = viewsFrom(position, rotation);
    views[left].reset();
    const CameraPose pose = solveCameraPose(views, kLandmarks, 490);
    ASSERT_TRUE(pose.valid) << describe(pose.status);
    EXPECT_EQ(pose.balls, 3);
    EXPECT_LT(cv::norm(pose.position - position), 1e-6);
    EXPECT_EQ(describe(pose.status), std::string("ok: ") + ballName(left + 1) + " not found");
  }
}

TEST(PoseSolve, RefusesWhatDoesNotFitTheLayout) {
  const cv::Vec3d position(0.3, -0.2, 1.8);
  const cv::Matx33d rotation = lookingAtCentre(position, 0.3);
  struct Case {
    const char* what;
    std::function<void(std::array<std::optional<BallView>, site::kBallCount>&)> spoil;
    Refusal refusal;
    std::string status;
  };
  const std::vector<Case> cases = {
      {"two balls", [](auto& v) { v[1].reset(), v[3].reset(); }, Refusal::tooFewBalls,
       "red and yellow not found"},
      {"none", [](auto& v) { v.fill(std::nullopt); }, Refusal::tooFewBalls,
       "green and red and blue and yellow not found"},
      {"green and blue swapped", [](auto& v) { std::swap(v[0], v[2]); }, Refusal::reprojection, ""},
      {"ranges 10% long",
       [](auto& v) {
         for (auto& b : v) b->range *= 1.1;
       },
       Refusal::ranges, ""},
  };
  for (const Case& c : cases) {
    auto views = viewsFrom(position, rotation);
    c.spoil(views);
    const CameraPose pose = solveCameraPose(views, kLandmarks, 490);
    EXPECT_FALSE(pose.valid) << c.what;
    EXPECT_EQ(pose.status.refusal, c.refusal) << c.what;
    if (!c.status.empty()) {
      EXPECT_EQ(describe(pose.status), c.status) << c.what;
    }
    EXPECT_EQ(describe(pose.status).find(','), std::string::npos) << c.what;
  }
}

TEST(PoseSolve, ThreeBallsNearTheirCriticalCylinderAreRefusedNotGuessed) {
  // Green, red and blue lie on a circle of radius 0.433 m about the rectangle's centre. From a
  // point over that circle the three-point pose is degenerate; from over the centre it is well
  // conditioned, unless the outlines scatter so much that their centres are not to be trusted.
  // Yellow is not seen.
  const double r = std::hypot(0.35, 0.255);
  struct Case {
    const char* what;
    cv::Vec3d position;
    double scatterPx;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"over the centre", {0.35, -0.255, 1.2}, 0, true},
      {"over the centre, outlines as a glossy ball's", {0.35, -0.255, 1.2}, 0.5, true},
      {"over the centre, ragged outlines", {0.35, -0.255, 1.2}, 3, false},
      {"over the circle", {0.35 + r * std::cos(2.6), -0.255 + r * std::sin(2.6), 1.2}, 0, false},
      {"just off the circle",
       {0.35 + 1.02 * r * std::cos(2.6), -0.255 + 1.02 * r * std::sin(2.6), 1.2},
       0,
       false},
  };
  for (const Case& c : cases) {
    auto views = viewsFrom(c.position, lookingAtCentre(c.position, 0.2));
    views[3].reset();
    for (auto& view : views)
      if (view) view->scatterPx = c.scatterPx;
    const CameraPose pose = solveCameraPose(views, kLandmarks, 490);
    EXPECT_EQ(pose.valid, c.valid) << c.what << ": " << describe(pose.status);
    EXPECT_EQ(pose.balls, 3) << c.what;
    // Refused or not, the status says which ball was missing.
    EXPECT_NE(describe(pose.status).find("yellow not found"), std::string::npos) << c.what;
  }
}

TEST(PoseSilhouette, AConeNearlyAcrossTheViewIsNoBall) {
  // Its outline lies in front of the camera but projects towards infinity: no box of pixels.
  const site::CameraModel& camera = site::defaultCamera();
  const pose::PinholeCamera pinhole{camera.intrinsics, camera.distortion};
  const pose::UndistortionTable table(pinhole, camera.size);
  const cv::Mat water(camera.size, CV_8UC3, cv::Scalar(87, 86, 69));
  for (const double z : {0.01, 0.02, 0.1}) {
    const pose::Cone guess{cv::normalize(cv::Vec3d(1, 0, z)), 1e-4, 0, 0};
    EXPECT_FALSE(pose::coneFromSilhouette(water, guess, pinhole, table, {})) << z;
  }
}

TEST(PosePrediction, ABallIsPredictedWhereTheLensShowsItOrNowhere) {
  // k1 alone, as many camera files have it: the lens model folds far off-axis points back into
  // the picture.
  const PinholeCamera foldingLens{kCamera.matrix, site::Distortion(-0.3, 0)};
  const cv::Matx33d down(1, 0, 0, 0, -1, 0, 0, 0, -1), up = cv::Matx33d::eye();
  const auto project = [](const PinholeCamera& camera, const cv::Vec3d& inCamera) {
    std::vector<cv::Point2d> projected;
    cv::projectPoints(std::vector<cv::Point3d>{cv::Point3d(inCamera)}, cv::Vec3d(), cv::Vec3d(),
                      camera.matrix, camera.distortion, projected);
    return projected[0];
  };
  struct Case {
    const char* what;
    PinholeCamera camera;
    cv::Vec3d position;
    cv::Matx33d rotation;  // landmarks to camera
    int ball;
    bool shown;
  };
  const std::vector<Case> cases = {
      {"above, green",
       kCamera,
       {0.35, -0.255, 2},
       lookingAtCentre({0.35, -0.255, 2}, 0.3),
       1,
       true},
      {"above, blue", kCamera, {0.35, -0.255, 2}, lookingAtCentre({0.35, -0.255, 2}, 0.3), 3, true},
      {"oblique, yellow",
       kCamera,
       {0.9, 0.3, 1.2},
       lookingAtCentre({0.9, 0.3, 1.2}, -0.5),
       4,
       true},
      {"green beside the picture", kCamera, {0.5, -0.255, 0.8}, down, 1, false},
      {"behind the camera", kCamera, {0.35, -0.255, 1}, up, 2, false},
      {"folded back by the lens", foldingLens, {0.57, 0, 0.3}, down, 1, false},
  };
  for (const Case& c : cases) {
    CameraPose pose;
    pose.valid = true;
    pose.position = c.position;
    pose.quaternion = quaternionOf(c.rotation.t());
    const cv::Point3d centre = kLandmarks[c.ball - 1];
    const std::optional<PredictedBall> predicted =
        predictBall(pose, centre, 0.05, c.camera, {320, 240});
    ASSERT_EQ(predicted.has_value(), c.shown) << c.what;
    if (!predicted) continue;
    const cv::Vec3d inCamera = c.rotation * (cv::Vec3d(centre) - c.position);
    EXPECT_LT(cv::norm(predicted->pixel - project(c.camera, inCamera)), 1e-6) << c.what;
    EXPECT_NEAR(predicted->radiusPx, kCamera.focal() * 0.05 / cv::norm(inCamera), 0.05) << c.what;
  }
  // Where the lens model alone would have put the folded ball: inside the picture.
  EXPECT_TRUE(cv::Rect(0, 0, 320, 240).contains(project(foldingLens, {-0.57, 0, 0.3})));

  const CameraPose none;  // no pose: nothing predicted
  EXPECT_FALSE(predictBall(none, kLandmarks[0], 0.05, kCamera, {320, 240}));
}

TEST(PoseSolve, AViewStraightDownFromAfarIsFlaggedAndRatedLow) {
  // Four coplanar balls seen straight down: the planar solution and its mirror fit alike, and the
  // pose may flip between them. Seen obliquely the mirror fits far worse.
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0, 0.1 / kCamera.focal());  // 0.1 px centres
  struct Case {
    const char* what;
    cv::Vec3d position;
    bool flagged;
  };
  const std::vector<Case> cases = {{"straight down, 3 m", {0.35, -0.255, 3}, true},
                                   {"straight down, 1.5 m", {0.35, -0.255, 1.5}, true},
                                   {"oblique, 1.5 m", {0.9, 0.2, 1.3}, false},
                                   {"oblique, 2.5 m", {1.3, 0.5, 2.2}, false}};
  const PoseParameters::Quality quality;
  for (const Case& c : cases)
    for (int k = 0; k < 3; ++k) {
      auto views = viewsFrom(c.position, lookingAtCentre(c.position, 0.2));
      for (auto& v : views) {
        const cv::Vec3d d = v->direction / v->direction[2];
        v->direction = cv::normalize(cv::Vec3d(d[0] + noise(rng), d[1] + noise(rng), 1));
        v->centreSigmaPx = 0.1;
      }
      const CameraPose pose = solveCameraPose(views, kLandmarks, kCamera.focal());
      ASSERT_TRUE(pose.valid) << c.what;
      EXPECT_EQ(pose.rivalCostRatio < quality.clearRivalRatio, c.flagged) << c.what;
      if (c.flagged)
        EXPECT_LE(poseQuality(pose), 20) << c.what;
      else
        EXPECT_GE(poseQuality(pose), 40) << c.what;
    }
  CameraPose none;
  EXPECT_EQ(poseQuality(none), -1);
}
