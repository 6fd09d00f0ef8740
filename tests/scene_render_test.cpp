#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>

#include "scene.hpp"
#include "seabed.hpp"

using namespace Orvanta::scene;
namespace site = Orvanta::site;

namespace {

// The vehicle camera as calibrated at 320x240.
const cv::Matx33d kCamera(489.55087, 0, 145.82162, 0, 491.43384, 126.79248, 0, 0, 1);
const cv::Vec4d kDistortion(-0.21652, 0.02175, -0.00155, 0.00162);

// Pixels whose green clearly dominates: the green ball, whatever its shading, and not the
// grey-green water (whose green exceeds the mean of red and blue by under 10).
cv::Mat greenMask(const cv::Mat& frame) {
  cv::Mat mask(frame.size(), CV_8UC1);
  for (int y = 0; y < frame.rows; ++y)
    for (int x = 0; x < frame.cols; ++x) {
      const cv::Vec3b p = frame.at<cv::Vec3b>(y, x);
      mask.at<uchar>(y, x) = p[1] - (p[0] + p[2]) / 2.0 > 60 ? 255 : 0;
    }
  return mask;
}

cv::Point2d centroid(const cv::Mat& mask) {
  const cv::Moments m = cv::moments(mask, true);
  return {m.m10 / m.m00, m.m01 / m.m00};
}

double equivalentRadius(const cv::Mat& mask) {
  return std::sqrt(cv::countNonZero(mask) / std::numbers::pi);
}

cv::Mat undistorted(const cv::Mat& frame) {
  cv::Mat out;
  cv::undistort(frame, out, kCamera, kDistortion);
  return out;
}

// Silhouette of a sphere (camera-frame centre c) through a pinhole camera: the projection of
// the circle where the viewing cone touches the sphere.
std::vector<cv::Point2f> pinholeSilhouette(const cv::Vec3d& c, double radius) {
  const double d = cv::norm(c);
  const cv::Vec3d axis = c / d;
  const cv::Vec3d e1 = cv::normalize(axis.cross(cv::Vec3d(0, 0, 1)));
  const cv::Vec3d e2 = axis.cross(e1);
  const double rho = radius * std::sqrt(d * d - radius * radius) / d;
  std::vector<cv::Point2f> outline;
  for (int i = 0; i < 720; ++i) {
    const double a = i * std::numbers::pi / 360;
    const cv::Vec3d p =
        axis * (d - radius * radius / d) + rho * (std::cos(a) * e1 + std::sin(a) * e2);
    outline.emplace_back(kCamera(0, 0) * p[0] / p[2] + kCamera(0, 2),
                         kCamera(1, 1) * p[1] / p[2] + kCamera(1, 2));
  }
  return outline;
}

}  // namespace

TEST(SceneBallSize, BallAtSixtyCentimetresHasRadiusFortyOnePixelsOnceUndistorted) {
  // Straight down onto the green ball from 0.6 m: only that ball is in view. Its silhouette
  // is an ellipse with semi-axes fx tan(asin(0.05 / 0.6)) = 40.94 and fy tan(...) = 41.10.
  const Pose pose = lookAt({0, 0, 0.6}, {0, 0, 0});
  const cv::Mat mask = greenMask(undistorted(render(pose, SceneOptions{})));
  EXPECT_NEAR(equivalentRadius(mask), std::sqrt(40.94 * 41.10), 0.6);
  const cv::Point2d centre = centroid(mask);
  EXPECT_NEAR(centre.x, 145.82, 0.5);
  EXPECT_NEAR(centre.y, 126.79, 0.5);
}

TEST(SceneLens, UndistortingAnOffAxisBallRestoresThePinholeView) {
  // From 1 m above (0.2, 0.15) looking straight down, the green ball sits 0.25 normalised
  // units off the axis, where the lens moves it by about 1.7 pixels.
  const Pose pose = lookAt({0.2, 0.15, 1.0}, {0.2, 0.15, 0});
  const std::vector<cv::Point2f> outline =
      pinholeSilhouette({-0.2, 0.15, 1.0}, site::kDefaultBallRadius);
  const cv::Moments expected = cv::moments(outline);
  const cv::Point2d expectedCentre(expected.m10 / expected.m00, expected.m01 / expected.m00);

  const cv::Mat frame = render(pose, SceneOptions{});
  const cv::Point2d restored = centroid(greenMask(undistorted(frame)));
  EXPECT_NEAR(restored.x, expectedCentre.x, 0.5);
  EXPECT_NEAR(restored.y, expectedCentre.y, 0.5);
  EXPECT_NEAR(equivalentRadius(greenMask(undistorted(frame))),
              std::sqrt(expected.m00 / std::numbers::pi), 0.5);

  // The raw frame shows the barrel distortion: the ball is pulled towards the centre.
  const cv::Point2d principal(145.82162, 126.79248);
  const cv::Point2d raw = centroid(greenMask(frame));
  EXPECT_LT(cv::norm(raw - principal), cv::norm(expectedCentre - principal) - 1.0);
}

TEST(SceneProjection, ProjectedCentresLandOnTheirBallsColours) {
  const Pose pose = dive(30)[10];
  const SceneOptions options;
  cv::Mat hsv;
  cv::cvtColor(render(pose, options), hsv, cv::COLOR_BGR2HSV);  // hue 0..179
  // Hue ranges of green, red (around 0), blue and yellow; all well saturated.
  const int hueLow[] = {45, -12, 108, 18}, hueHigh[] = {80, 10, 130, 35};
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const cv::Point2d at = projectBall(pose, ball, options);
    const cv::Vec3b p = hsv.at<cv::Vec3b>(int(std::lround(at.y)), int(std::lround(at.x)));
    const int hue = p[0] > 150 ? p[0] - 180 : p[0];
    EXPECT_GE(hue, hueLow[ball - 1]) << "ball " << ball;
    EXPECT_LE(hue, hueHigh[ball - 1]) << "ball " << ball;
    EXPECT_GT(p[1], 120) << "ball " << ball;
  }
  // The water is a pale grey-green.
  for (const cv::Point corner : {cv::Point(2, 2), cv::Point(317, 237)})
    EXPECT_LT(hsv.at<cv::Vec3b>(corner)[1], 90);
  // Only the green ball is in view from 0.6 m above it; the others sample as black.
  const Pose close = lookAt({0, 0, 0.6}, {0, 0, 0});
  EXPECT_EQ(sampleBall(render(close, options), close, 2, options), cv::Vec3b(0, 0, 0));
}

TEST(SceneProjection, LargerFramesShowTheSameView) {
  const Pose pose = dive(30)[20];
  const double smallArea = cv::countNonZero(greenMask(render(pose, SceneOptions{})));
  const double largeArea = cv::countNonZero(greenMask(render(pose, {.size = {640, 480}})));
  EXPECT_NEAR(largeArea / smallArea, 4.0, 0.2);
}

TEST(SceneNoise, SameSeedAndFrameRenderIdenticalFrames) {
  const Pose pose = dive(10)[3];
  const SceneOptions options{.seed = 7};
  const cv::Mat a = render(pose, options, 4);
  EXPECT_EQ(cv::norm(a, render(pose, options, 4), cv::NORM_INF), 0);
  EXPECT_GT(cv::norm(a, render(pose, {.seed = 8}, 4), cv::NORM_INF), 0);
  EXPECT_GT(cv::norm(a, render(pose, options, 5), cv::NORM_INF), 0);
  // The noise is a couple of grey levels.
  cv::Mat difference;
  cv::absdiff(a, render(pose, {.noise = 0}, 4), difference);
  const double meanAbs = cv::mean(difference.reshape(1))[0];
  EXPECT_GT(meanAbs, 0.5);
  EXPECT_LT(meanAbs, 3.0);
}

TEST(SceneWater, DarkWaterAndTheBrightnessGradient) {
  const Pose pose = dive(1).front();
  const auto corner = [&](const SceneOptions& options, int row) {
    return cv::Vec3d(render(pose, options, 1).at<cv::Vec3b>(row, 2));
  };
  const SceneOptions murky{.noise = 0}, dark{.noise = 0, .water = Water::dark},
      flat{.noise = 0, .gradient = 0};
  // Dark green-blue: darker than the murky water, with blue and green well above red.
  const cv::Vec3d d = corner(dark, 2);
  EXPECT_LT(cv::norm(d), cv::norm(corner(murky, 2)) * 0.7);
  EXPECT_GT(d[0], 2 * d[2]);
  EXPECT_GT(d[1], 2 * d[2]);
  // Lighter at the top, unless flat.
  EXPECT_GT(cv::sum(corner(murky, 2))[0], cv::sum(corner(murky, 237))[0] + 40);
  EXPECT_NEAR(cv::sum(corner(flat, 2))[0], cv::sum(corner(flat, 237))[0], 1.0);
}

namespace {

// Where a landmark-frame point appears, in pixels.
cv::Point imageOf(const Pose& pose, const cv::Vec3d& point, const SceneOptions& options) {
  const std::vector<cv::Point3d> points{cv::Point3d(pose.rotation * (point - pose.position))};
  std::vector<cv::Point2d> image;
  const site::CameraModel camera = sceneCamera(options);
  cv::projectPoints(points, cv::Vec3d::zeros(), cv::Vec3d::zeros(), camera.intrinsics,
                    camera.distortion, image);
  return {int(std::lround(image[0].x)), int(std::lround(image[0].y))};
}

double brightness(const cv::Mat& frame, cv::Point at, int half = 2) {
  return cv::mean(cv::mean(
      frame(cv::Rect(at - cv::Point(half, half), cv::Size(2 * half + 1, 2 * half + 1)))))[0];
}

}  // namespace

TEST(SceneRealism, EachEffectOfARealDiveShowsWhereItShould) {
  const Pose pose = lookAt({0.35, -0.255, 1.4}, {0.35, -0.255, 0});
  SceneOptions plain;
  plain.noise = 0;
  const double r = plain.layout.ballRadius;
  const cv::Vec3d middle(0.35, -0.255, -r);  // the floor between the balls
  const cv::Vec3d sun = sunDirection();
  // Green's shadow on the floor where it reaches out beside the ball, in the camera's sight.
  const cv::Vec3d shadow =
      ballCentre(1) + cv::Vec3d(0, 0, -r) - 1.3 * r * cv::normalize(cv::Vec3d(sun[0], sun[1], 0));
  const cv::Point red = imageOf(pose, ballCentre(2), plain);
  const int ballPixels = int(0.5 * 490 * r / 1.4);

  struct Case {
    const char* effect;
    std::function<void(SceneOptions&)> set;
    std::function<bool(const cv::Mat& seen, const cv::Mat& without)> shows;
  };
  const std::vector<Case> cases = {
      {"a textured sand floor instead of the water", [](SceneOptions& o) { o.floor = true; },
       [&](const cv::Mat& seen, const cv::Mat& without) {
         const cv::Point at = imageOf(pose, middle, plain);
         cv::Scalar mean, deviation;
         cv::meanStdDev(seen(cv::Rect(at - cv::Point(10, 10), cv::Size(20, 20))), mean, deviation);
         return cv::norm(seen.at<cv::Vec3b>(at), without.at<cv::Vec3b>(at)) > 30 &&
                deviation[1] > 3;
       }},
      {"a ball's shadow on the floor in sunlight",
       [](SceneOptions& o) { o.floor = o.sun = true, o.shading = 0.7; },
       [&](const cv::Mat& seen, const cv::Mat&) {
         return brightness(seen, imageOf(pose, shadow, plain), 1) <
                0.6 * brightness(seen, imageOf(pose, middle, plain));
       }},
      {"a near-white highlight on a glossy ball", [](SceneOptions& o) { o.gloss = 0.8; },
       [&](const cv::Mat& seen, const cv::Mat& without) {
         const cv::Rect disc(red - cv::Point(ballPixels, ballPixels), cv::Size(2, 2) * ballPixels);
         // The largest of the pixels' least channels: high only where every channel is.
         const auto whitest = [&](const cv::Mat& frame) {
           std::vector<cv::Mat> channels;
           cv::split(frame(disc), channels);
           double top = 0;
           cv::minMaxLoc(cv::min(cv::min(channels[0], channels[1]), channels[2]), nullptr, &top);
           return top;
         };
         return whitest(seen) > 200 && whitest(without) < 100;
       }},
      {"a ball's colour fading towards the water's with distance",
       [](SceneOptions& o) { o.turbidity = 1; },
       [&](const cv::Mat& seen, const cv::Mat& without) {
         const cv::Vec3b water = without.at<cv::Vec3b>(imageOf(pose, middle, plain));
         return cv::norm(seen.at<cv::Vec3b>(red), water) <
                0.6 * cv::norm(without.at<cv::Vec3b>(red), water);
       }},
      {"a camera's JPEG: blocks and colour at half resolution, close to the picture",
       [](SceneOptions& o) { o.jpegQuality = 50; },
       [&](const cv::Mat& seen, const cv::Mat& without) {
         const double change = cv::norm(seen, without, cv::NORM_L1) / seen.total() / 3;
         return change > 0.3 && change < 6;
       }},
  };
  const cv::Mat without = render(pose, plain);
  for (const Case& c : cases) {
    SceneOptions options = plain;
    c.set(options);
    EXPECT_TRUE(c.shows(render(pose, options), without)) << c.effect;
  }
}
