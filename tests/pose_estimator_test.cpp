// The precise estimate on generated MJPG video, as a camera delivers it: millimetres over a
// survey from 2.5 to 1.3 m in both waters, three balls seen from low and close, and the pictures
// that must give no pose.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <random>

#include "camera_model.hpp"
#include "estimator.hpp"
#include "scene.hpp"
#include "support/scratch.hpp"

using namespace Orvanta;

namespace {

struct Errors {
  std::vector<double> position, heading;  // metres, degrees
  int withoutPose = 0;
  double median() const { return sorted(position)[position.size() / 2]; }
  double worst() const { return sorted(position).back(); }
  double worstHeading() const { return sorted(heading).back(); }
  static std::vector<double> sorted(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
};

// The estimator for the scene's camera, calibrated on the colours at the balls' centres in a
// view from above, as an operator's clicks would be.
pose::EstimatorSettings settingsFor(const scene::SceneOptions& options) {
  pose::EstimatorSettings settings;
  settings.camera = scene::sceneCamera(options);
  settings.layout = options.layout;
  const scene::Pose above = scene::lookAt({0.35, -0.255, 1.8}, {0.35, -0.255, 0});
  const cv::Mat picture = scene::render(above, options, 1);
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const cv::Vec3b bgr = scene::sampleBall(picture, above, ball, options);
    settings.colours[ball - 1] = cv::Vec3d(bgr[2], bgr[1], bgr[0]);
  }
  return settings;
}

// How many balls lie wholly inside the picture, and how many wholly outside it.
std::pair<int, int> ballsInView(const scene::Pose& pose, const scene::SceneOptions& options) {
  int inside = 0, outside = 0;
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const cv::Point2d at = scene::projectBall(pose, ball, options);
    const double r = 1 + scene::sceneCamera(options).intrinsics(0, 0) * options.layout.ballRadius /
                             cv::norm(pose.position - scene::ballCentre(ball, options.layout));
    const cv::Size s = options.size;
    if (at.x > r && at.y > r && at.x < s.width - 1 - r && at.y < s.height - 1 - r) ++inside;
    if (!(at.x > -r && at.y > -r && at.x < s.width + r && at.y < s.height + r)) ++outside;
  }
  return {inside, outside};
}

// A video's pictures follow one another; unrelated views are each estimated as a run's first.
enum class Views { continuous, unrelated };

// Renders the poses as MJPG video, reads it back and estimates every picture: what each gives
// for its picture's truth.
void estimateEachPicture(
    const std::vector<scene::Pose>& poses, const scene::SceneOptions& options,
    const std::string& path,
    const std::function<void(const scene::Pose&, const pose::PictureEstimate&)>& take,
    Views views = Views::continuous) {
  std::string error;
  EXPECT_TRUE(scene::writeVideo(path, poses, options, &error)) << error;
  cv::VideoCapture video(path);
  auto estimator = std::make_unique<pose::PoseEstimator>(settingsFor(options));
  cv::Mat picture;
  for (const scene::Pose& truth : poses) {
    if (!video.read(picture)) break;
    if (views == Views::unrelated)
      estimator = std::make_unique<pose::PoseEstimator>(settingsFor(options));
    take(truth, estimator->estimate(picture));
  }
}

Errors estimateVideo(const std::vector<scene::Pose>& poses, const scene::SceneOptions& options,
                     const std::string& path, Views views = Views::continuous) {
  Errors errors;
  estimateEachPicture(
      poses, options, path,
      [&](const scene::Pose& truth, const auto& estimate) {
        const pose::CameraPose& pose = estimate.pose;
        if (!pose.valid) {
          ++errors.withoutPose;
          return;
        }
        errors.position.push_back(cv::norm(pose.position - truth.position));
        const double heading = pose.headingDegrees - scene::cameraHeadingDegrees(truth);
        errors.heading.push_back(std::abs(std::remainder(heading, 360.0)));
      },
      views);
  return errors;
}

// Pictures of the video in which a ball wholly in view was not measured.
int picturesWithABallLost(const std::vector<scene::Pose>& poses, const scene::SceneOptions& options,
                          const std::string& path) {
  int lost = 0;
  estimateEachPicture(poses, options, path, [&](const scene::Pose& truth, const auto& estimate) {
    const bool allFour = ballsInView(truth, options).first == 4;
    lost += allFour && !std::all_of(estimate.balls.begin(), estimate.balls.end(),
                                    [](const auto& ball) { return ball.has_value(); });
  });
  return lost;
}

// The errors over a survey's pictures that show all four balls (more than 100 of 120).
Errors surveyErrors(const scene::SceneOptions& options) {
  std::vector<scene::Pose> poses;
  for (const scene::Pose& pose : scene::survey(120))
    if (ballsInView(pose, options).first == 4) poses.push_back(pose);
  EXPECT_GT(poses.size(), 100u);
  return estimateVideo(poses, options, (OrvantaTest::scratchFolder() / "survey.avi").string());
}

class PoseOnVideo : public ::testing::TestWithParam<scene::Water> {};

}  // namespace

TEST_P(PoseOnVideo, SurveyFourBallsToMillimetres) {
  // Shaded balls: the rim lit at about half the brightness of the middle.
  const Errors errors = surveyErrors({.water = GetParam(), .shading = 0.5, .mjpgQuality = 90});
  EXPECT_EQ(errors.withoutPose, 0);
  ASSERT_FALSE(errors.position.empty());
  EXPECT_LE(errors.median(), 0.005);
  EXPECT_LE(errors.worst(), 0.020);
  EXPECT_LE(errors.worstHeading(), 0.1);
  RecordProperty("median_mm", std::to_string(errors.median() * 1000));
  RecordProperty("worst_mm", std::to_string(errors.worst() * 1000));
  RecordProperty("worst_heading_deg", std::to_string(errors.worstHeading()));
}

TEST(PoseInSunlight, ShadowsBesideTheBallsLeaveOutlinesToMeasure) {
  // The sun from above casts each ball's shadow on a sand floor beside its dark underside; the
  // rays through a shadow see no outline, the others do. Far from every picture is posed yet.
  const Errors errors = surveyErrors({.shading = 0.7, .sun = true, .floor = true});
  EXPECT_GE(errors.position.size(), 15u);
  ASSERT_FALSE(errors.position.empty());
  EXPECT_LE(errors.worst(), 0.030);
  RecordProperty("posed", std::to_string(errors.position.size()) + " of " +
                              std::to_string(errors.position.size() + errors.withoutPose));
  RecordProperty("median_mm", std::to_string(errors.median() * 1000));
  RecordProperty("worst_mm", std::to_string(errors.worst() * 1000));
}

TEST(PoseOnUsersCamera, AnotherCameraAndLandmarkToMillimetres) {
  // 640x480 with a strong barrel lens, a 1.0 m x 0.6 m frame whose blue ball sits 5 mm off.
  scene::SceneOptions options{.size = {640, 480}, .shading = 0.5, .mjpgQuality = 90};
  options.camera = site::CameraModel{
      {600, 0, 320, 0, 600, 240, 0, 0, 1}, site::Distortion(-0.3, 0.1), {640, 480}};
  options.layout.centres = {{{0, 0, 0}, {1.0, 0, 0}, {1.005, -0.6, 0}, {0, -0.6, 0}}};
  const Errors errors = surveyErrors(options);
  EXPECT_EQ(errors.withoutPose, 0);
  ASSERT_FALSE(errors.position.empty());
  EXPECT_LE(errors.median(), 0.003);
  EXPECT_LE(errors.worst(), 0.012);
  RecordProperty("median_mm", std::to_string(errors.median() * 1000));
  RecordProperty("worst_mm", std::to_string(errors.worst() * 1000));
}

INSTANTIATE_TEST_SUITE_P(Waters, PoseOnVideo,
                         ::testing::Values(scene::Water::murky, scene::Water::dark));

TEST(PoseOnHardVideo, EveryBallInViewIsMeasured) {
  // Where the ball's luma at its rim is close to the water's and only the chroma, at half
  // resolution and spread by JPEG, marks the outline; and heavy noise.
  struct Case {
    const char* what;
    std::vector<scene::Pose> poses;
    scene::SceneOptions options;
  };
  const scene::Pose close = scene::lookAt({0.78, -0.255, 1.45}, {0.35, -0.255, 0});
  const std::vector<Case> cases = {
      {"dark water, noise 8", scene::survey(60), {.noise = 8, .water = scene::Water::dark}},
      {"quality 50, noise 3", scene::survey(60), {.noise = 3, .mjpgQuality = 50}},
      {"close, dark water, noise 8",
       std::vector<scene::Pose>(20, close),
       {.noise = 8, .water = scene::Water::dark}},
  };
  for (const Case& c : cases) {
    const auto path = OrvantaTest::scratchFolder() / "hard.avi";
    EXPECT_EQ(picturesWithABallLost(c.poses, c.options, path.string()), 0) << c.what;
  }
}

TEST(PoseThroughHighlights, ABallWithAHoleInItsColourIsMeasured) {
  // A highlight: whitish pixels where the ball faces the light, a hole in its colour's blob that
  // covers the blob's centre.
  const scene::SceneOptions options;
  pose::PoseEstimator estimator(settingsFor(options));
  for (const scene::Pose& truth : scene::survey(10)) {
    cv::Mat picture = scene::render(truth, options, 1);
    for (int ball = 1; ball <= site::kBallCount; ++ball)
      cv::circle(picture, scene::projectBall(truth, ball, options), 3, cv::Scalar::all(235),
                 cv::FILLED);
    const pose::PictureEstimate estimate = estimator.estimate(picture);
    ASSERT_TRUE(estimate.pose.valid) << pose::describe(estimate.pose.status);
    EXPECT_LT(cv::norm(estimate.pose.position - truth.position), 0.02);
  }
}

TEST(PoseOnVideoClose, ThreeBallsFromLowAndClose) {
  // Closer than about 1.3 m the camera cannot hold all four. From low beside the rectangle,
  // looking across it: three balls 0.9 to 1.2 m away, the fourth out of the picture.
  const scene::SceneOptions options{.shading = 0.5};
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<scene::Pose> poses;
  for (int i = 0; poses.size() < 30 && i < 100000; ++i) {
    const cv::Vec3d from(0.35 + 2 * (u(rng) - 0.5), -0.255 + 2 * (u(rng) - 0.5), 0.2 + u(rng));
    const cv::Vec3d towards(0.35 + (u(rng) - 0.5), -0.255 + (u(rng) - 0.5), 0);
    const scene::Pose pose = scene::lookAt(from, towards, 360 * u(rng));
    if (ballsInView(pose, options) != std::pair{3, 1}) continue;
    double sum = 0;
    for (int ball = 1; ball <= 4; ++ball) {
      const cv::Point2d at = scene::projectBall(pose, ball, options);
      if (at.x >= 0 && at.y >= 0 && at.x < 320 && at.y < 240)
        sum += cv::norm(from - scene::ballCentre(ball));
    }
    if (sum / 3 > 0.9 && sum / 3 < 1.2) poses.push_back(pose);
  }
  ASSERT_EQ(poses.size(), 30u);
  // Unrelated views: a video that jumped like this would lose a ball it had not seen for a while
  // until the next whole-picture search.
  const Errors errors = estimateVideo(
      poses, options, (OrvantaTest::scratchFolder() / "close.avi").string(), Views::unrelated);
  EXPECT_EQ(errors.withoutPose, 0);
  ASSERT_FALSE(errors.position.empty());
  EXPECT_LE(errors.median(), 0.02);
  RecordProperty("median_mm", std::to_string(errors.median() * 1000));
  RecordProperty("worst_mm", std::to_string(errors.worst() * 1000));
}

TEST(PoseWithoutAnswer, PicturesThatHoldNoPose) {
  const scene::SceneOptions options;
  pose::EstimatorSettings settings = settingsFor(options);
  cv::Mat noise(options.size, CV_8UC3);
  cv::randu(noise, 0, 256);
  const scene::Pose close = scene::lookAt({0.0, 0.0, 0.5}, {0.0, 0.0, 0.0});   // green only
  const scene::Pose pair = scene::lookAt({0.35, 0.0, 0.9}, {0.35, 0.0, 0.0});  // green and red
  pose::EstimatorSettings purple = settings;
  purple.colours[2] = cv::Vec3d(160, 30, 200);  // "blue" calibrated to a colour not in the water
  struct Case {
    const char* what;
    cv::Mat picture;
    pose::EstimatorSettings settings;
    pose::Refusal refusal;
  };
  // A ball-coloured streak along the picture's last row: its outline rays must not read below.
  pose::EstimatorSettings greenOnly;
  greenOnly.colours[0] = cv::Vec3d(13, 155, 47);
  cv::Mat lastRow(options.size, CV_8UC3, cv::Scalar(87, 86, 69));
  lastRow(cv::Rect(100, 239, 24, 1)).setTo(cv::Scalar(47, 155, 13));
  const std::vector<Case> cases = {
      {"one ball", scene::render(close, options, 1), settings, pose::Refusal::tooFewBalls},
      {"two balls", scene::render(pair, options, 1), settings, pose::Refusal::tooFewBalls},
      {"noise", noise, settings, pose::Refusal::tooFewBalls},
      {"grey picture", cv::Mat(options.size, CV_8UC3, cv::Scalar::all(90)), settings,
       pose::Refusal::tooFewBalls},
      {"smaller picture", cv::Mat(120, 160, CV_8UC3, cv::Scalar::all(90)), settings,
       pose::Refusal::pictureSize},
      {"a streak in the last row", lastRow, greenOnly, pose::Refusal::tooFewBalls},
  };
  for (const Case& c : cases) {
    pose::PoseEstimator estimator(c.settings);
    const pose::CameraPose pose = estimator.estimate(c.picture).pose;
    EXPECT_FALSE(pose.valid) << c.what;
    EXPECT_EQ(pose.status.refusal, c.refusal) << c.what << ": " << pose::describe(pose.status);
  }
  // A colour absent from the picture leaves three balls: still a pose, which says so, from an
  // oblique view far from the cylinder through the three balls' circle.
  pose::PoseEstimator withPurple(purple);
  const scene::Pose oblique = scene::lookAt({0.35, -1.3, 1.2}, {0.35, -0.255, 0});
  const pose::CameraPose three = withPurple.estimate(scene::render(oblique, options, 1)).pose;
  EXPECT_TRUE(three.valid);
  EXPECT_EQ(pose::describe(three.status), "ok: blue not found");
}

// The survey's last 40 pictures (1.6 to 1.3 m) with green covered by the water's colour in the
// middle 20.
std::vector<cv::Mat> coveredGreen(const scene::SceneOptions& options) {
  const std::vector<scene::Pose> poses = scene::survey(120);
  const double focal = scene::sceneCamera(options).intrinsics(0, 0);
  std::vector<cv::Mat> pictures;
  for (int i = 80; i < 120; ++i) {
    cv::Mat picture = scene::render(poses[i], options, i);
    const double distance = cv::norm(poses[i].position - scene::ballCentre(1));
    if (i >= 90 && i < 110)
      cv::circle(picture, scene::projectBall(poses[i], 1, options),
                 int(1.3 * focal * options.layout.ballRadius / distance) + 3,
                 cv::Scalar(picture.at<cv::Vec3b>(5, 5)), cv::FILLED);
    pictures.push_back(picture);
  }
  return pictures;
}

TEST(LostBall, FoundAgainWhenUncovered) {
  // With three balls posed, green is looked for where the pose puts it and found at once; with
  // no pose, by the whole-picture search, run on every fourth picture once green has been lost
  // for a while.
  struct Case {
    const char* what;
    cv::Size size;
    int calibrated;  // the first balls
    int latest;      // pictures after the cover went before green is found
  };
  const std::vector<Case> cases = {{"the others posed", {320, 240}, 4, 0},
                                   {"no pose", {320, 240}, 3, 3},
                                   {"no pose, reduced search", {1280, 720}, 3, 3}};
  for (const Case& c : cases) {
    const scene::SceneOptions options{.size = c.size, .shading = 0.5};
    pose::EstimatorSettings settings = settingsFor(options);
    std::fill(settings.colours.begin() + c.calibrated, settings.colours.end(), std::nullopt);
    pose::PoseEstimator estimator(settings);
    const std::vector<cv::Mat> pictures = coveredGreen(options);
    int again = -1;  // the first picture after the cover in which green is found
    for (int i = 0; i < int(pictures.size()); ++i) {
      const bool green = estimator.estimate(pictures[i]).balls[0].has_value();
      const bool expected = i < 10 || again >= 0, covered = i >= 10 && i < 30;
      EXPECT_TRUE(green || !expected) << c.what << ", picture " << i;
      EXPECT_FALSE(green && covered) << c.what << ", picture " << i;
      if (i >= 30 && green && again < 0) again = i;
    }
    EXPECT_GE(again, 30) << c.what;
    EXPECT_LE(again - 30, c.latest) << c.what;
  }
}

TEST(LostBall, TheReducedWholeSearchFindsWhatTheFullOneFinds) {
  // A run's first pictures at the sizes real cameras deliver, the balls from 2.5 m (smallest)
  // down to 1.3 m: the same balls, measured to the same centres.
  for (const cv::Size size : {cv::Size(1280, 720), cv::Size(1920, 1080)}) {
    const scene::SceneOptions options{.size = size, .shading = 0.5};
    pose::EstimatorSettings reduced = settingsFor(options), full = reduced;
    full.parameters.blobs.wholeSearchWidthPx = size.width;
    for (const scene::Pose& truth : scene::survey(4)) {
      const cv::Mat picture = scene::render(truth, options, 1);
      const pose::PictureEstimate a = pose::PoseEstimator(reduced).estimate(picture),
                                  b = pose::PoseEstimator(full).estimate(picture);
      for (int ball = 0; ball < site::kBallCount; ++ball) {
        ASSERT_TRUE(a.balls[ball] && b.balls[ball]) << size << ", ball " << ball + 1;
        EXPECT_LT(cv::norm(a.balls[ball]->pixel - b.balls[ball]->pixel), 1e-6)
            << size << ", ball " << ball + 1;
      }
    }
  }
}

TEST(PoseCovariance, PositionErrorsFitTheirCovariance) {
  // The normalised estimation error squared of position over the survey, against the truth:
  // chi-square with three degrees of freedom when the covariance is honest (mean 3, 95 % of the
  // pictures within 7.81). Overconfident it would mislead the autopilot's filter, so at least 90 %
  // must lie within; overcautious it would make the pose worthless, so the mean must stay near 3.
  struct Case {
    const char* what;
    scene::SceneOptions options;
  };
  const std::vector<Case> cases = {
      {"320x240", {.shading = 0.5, .mjpgQuality = 90}},
      {"640x480", {.size = {640, 480}, .shading = 0.5, .mjpgQuality = 90}},
      {"320x240 q50 noise 3", {.noise = 3, .shading = 0.5, .mjpgQuality = 50}},
      {"320x240 dark noise 8", {.noise = 8, .water = scene::Water::dark, .shading = 0.5}},
      {"640x480 q50 noise 3", {.size = {640, 480}, .noise = 3, .shading = 0.5, .mjpgQuality = 50}},
  };
  for (const Case& c : cases) {
    std::vector<double> nees;
    estimateEachPicture(scene::survey(200), c.options,
                        (OrvantaTest::scratchFolder() / "nees.avi").string(),
                        [&](const scene::Pose& truth, const pose::PictureEstimate& estimate) {
                          if (!estimate.pose.valid) return;
                          const cv::Vec3d e = estimate.pose.position - truth.position;
                          const cv::Matx33d p = estimate.pose.covariance.get_minor<3, 3>(0, 0);
                          nees.push_back((e.t() * p.inv() * e)[0]);
                        });
    ASSERT_GT(nees.size(), 180u) << c.what;
    double mean = 0;
    int inside = 0;
    for (double n : nees) mean += n / double(nees.size()), inside += n <= 7.815;
    const double share = double(inside) / double(nees.size());
    EXPECT_GE(share, 0.9) << c.what;
    EXPECT_GT(mean, 0.5) << c.what;
    EXPECT_LT(mean, 3.5) << c.what;
    RecordProperty(std::string(c.what) + " mean NEES", std::to_string(mean));
    RecordProperty(std::string(c.what) + " within 95 % bound", std::to_string(share));
  }
}
