// The whole tracking loop on rendered views of the landmark balls: the position it publishes
// against the camera's true position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "calibration_file.hpp"
#include "no_windows.hpp"
#include "scene.hpp"
#include "support/range_tolerance.hpp"
#include "support/recording_texts.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"
#include "trilateration.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

// The settings the demo ships: reliable detection from 1.3 to 2.2 m.
constexpr int demoThreshold = 210;
constexpr const char* demoTrackbars = "IntMedian=2";

class EndToEnd : public ::testing::TestWithParam<cv::Vec3d> {
 protected:
  void SetUp() override { resetVisionState(); }
  void TearDown() override { resetVisionState(); }
};

// The windows a tracking run over 22 pictures of the view from `truth` closes.
std::vector<PassReport> trackedWindows(const cv::Vec3d& truth, cv::Size size) {
  const scene::Pose pose = scene::lookAt(truth, {0.35, -0.255, 0});
  scene::SceneOptions options;
  options.size = size;
  const auto dir =
      scratchFolder() / (std::to_string(size.width) + "x" + std::to_string(size.height));
  std::string error;
  // Set-up takes one picture and each pass two: 22 pictures give two windows of five passes.
  EXPECT_TRUE(
      scene::writeSequence(dir.string(), std::vector<scene::Pose>(22, pose), options, &error))
      << error;
  const std::string calibration = (dir / "calibration.json").string();
  EXPECT_TRUE(scene::writeCalibration(calibration, scene::render(pose, options, 1), pose, options,
                                      demoThreshold, &error))
      << error;
  EXPECT_TRUE(loadCalibration(calibration, &error)) << error;
  EXPECT_TRUE(parseTrackbarAssignments(demoTrackbars, &error)) << error;

  RecordingTexts texts;
  ScriptedKeyWait keys;
  NoWindows windows;
  Host host{(dir / "frame_%05d.png").string(), texts, keys, windows};
  TrackingRun run(host);
  std::vector<PassReport> windowsClosed;
  if (run.start() != StartResult::started) return windowsClosed;
  for (PassReport report = run.pass(); !report.endedLoop; report = run.pass())
    if (report.closedWindow) windowsClosed.push_back(report);
  run.finish();
  return windowsClosed;
}

void expectTheTruth(const std::vector<PassReport>& windowsClosed, const cv::Vec3d& truth) {
  const std::array<double, 4> trueRange = scene::trueDistances(truth);
  const cv::Vec3d tolerance = positionTolerance(truth);
  ASSERT_EQ(windowsClosed.size(), 2u);
  for (const PassReport& report : windowsClosed) {
    for (int ball = 0; ball < 4; ++ball) {
      EXPECT_GE(report.filtered[ball], rangeBounds(trueRange[ball])[0]) << "ball " << ball + 1;
      EXPECT_LE(report.filtered[ball], rangeBounds(trueRange[ball])[1]) << "ball " << ball + 1;
    }
    ASSERT_TRUE(report.solved);
    EXPECT_NEAR(report.position.x, truth[0], tolerance[0]);
    EXPECT_NEAR(report.position.y, truth[1], tolerance[1]);
    EXPECT_GT(report.position.z, 0);
    EXPECT_NEAR(report.position.z, truth[2], tolerance[2]);
  }
}

}  // namespace

TEST_P(EndToEnd, TrackedPositionMatchesTheTruth) {
  expectTheTruth(trackedWindows(GetParam(), {320, 240}), GetParam());
}

TEST_F(EndToEnd, OtherPictureSizesGiveTheSameRanges) {
  // The camera scaled to the picture: its undistortion and its range constant alike. (Scaled to
  // another aspect ratio it would see the balls as ellipses: such a camera needs its own model.)
  const cv::Vec3d truth(0.35, -0.255, 1.3);
  for (const cv::Size size : {cv::Size(640, 480), cv::Size(1280, 960)}) {
    SCOPED_TRACE(testing::Message() << size);
    resetVisionState();
    expectTheTruth(trackedWindows(truth, size), truth);
  }
}

// Over the rectangle's centre and off it, 1.3 to 1.6 m from the balls.
INSTANTIATE_TEST_SUITE_P(Views, EndToEnd,
                         ::testing::Values(cv::Vec3d(0.35, -0.255, 1.3),
                                           cv::Vec3d(0.5, -0.155, 1.3),
                                           cv::Vec3d(0.65, -0.455, 1.3),
                                           cv::Vec3d(0.15, -0.405, 1.5)));
