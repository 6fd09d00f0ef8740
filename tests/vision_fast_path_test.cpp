// The fast detection path against the reference path (similarity pixel by pixel, every filter
// over the whole image): the same work images, circles and whole tracking runs.
#include <gtest/gtest.h>
#include <opencv2/imgproc/imgproc_c.h>

#include <algorithm>
#include <opencv2/calib3d.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <utility>
#include <vector>

#include "calibration_file.hpp"
#include "camera_model.hpp"
#include "detection.hpp"
#include "no_windows.hpp"
#include "reference_stages.hpp"
#include "scene.hpp"
#include "similarity_reference.hpp"
#include "support/recording_texts.hpp"
#include "support/scratch.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

class FastPath : public testing::Test {
 protected:
  void SetUp() override { resetVisionState(); }
  void TearDown() override { resetVisionState(); }

  // Calibrates the balls to a generated view, with the demo's median aperture 5.
  static void calibrateTo(const cv::Mat& frame, const scene::Pose& pose, int threshold) {
    const auto file = scratchFolder() / "calibration.json";
    std::string error;
    ASSERT_TRUE(scene::writeCalibration(file.string(), frame, pose, {}, threshold, &error));
    ASSERT_TRUE(loadCalibration(file.string(), &error)) << error;
    IntMedian = 2;
  }
};

struct Detection {
  std::vector<cv::Vec3f> circles;
  WorkImages work;
};

Detection detectOn(const cv::Mat& frame, circles ball, const DetectionStages& path) {
  Detection out;
  out.work.create(frame.size());
  out.work.stages = &path;
  out.circles = findBallCircles(ball, frame, out.work);
  return out;
}

void expectSameDetection(const cv::Mat& frame, const circles& ball) {
  const Detection fast = detectOn(frame, ball, fastStages());
  const Detection reference = detectOn(frame, ball, OrvantaTest::referenceStages());
  const std::pair<const char*, cv::Mat WorkImages::*> stages[] = {
      {"similarity", &WorkImages::similarity},
      {"mask", &WorkImages::mask},
      {"median", &WorkImages::median},
      {"edges", &WorkImages::edges},
      {"smoothed", &WorkImages::smoothed}};
  for (const auto& [name, image] : stages)
    EXPECT_EQ(cv::countNonZero(fast.work.*image != reference.work.*image), 0) << name;
  EXPECT_EQ(fast.circles, reference.circles);
}

// The ball tracked where the reference path finds it in frame (its strongest circle), or lost
// when it finds nothing.
circles trackedIn(const cv::Mat& frame, circles ball) {
  const Detection found = detectOn(frame, ball, OrvantaTest::referenceStages());
  ball.found = !found.circles.empty();
  if (ball.found) {
    ball.x = cvRound(found.circles.front()[0]);
    ball.y = cvRound(found.circles.front()[1]);
    ball.radius = cvRound(found.circles.front()[2]);
  }
  return ball;
}

}  // namespace

TEST_F(FastPath, WorkImagesAndCirclesMatchForEveryApertureAndWindow) {
  const std::vector<scene::Pose> poses = scene::dive(40);
  const cv::Mat first = scene::render(poses[0], {}, 1);
  calibrateTo(first, poses[0], 190);
  // Apertures from 1 to 19 and Gaussians up to 21 wide, with balls tracked and lost.
  const int settings[][4] = {
      {0, 0, 0, 0}, {2, 0, 0, 0}, {4, 3, 2, 5}, {9, 10, 7, 1}, {6, 5, 10, 3}};
  for (const auto& [median, gaussW, gaussH, cannyLow] : settings) {
    IntMedian = median, highIntFilt = gaussW, lowIntFilt = gaussH, lowInt = cannyLow;
    for (int k : {5, 23, 39}) {
      const cv::Mat frame = scene::render(poses[k], {}, k);
      for (int ball = 1; ball <= 4; ++ball) {
        SCOPED_TRACE(testing::Message()
                     << "median " << median << ", frame " << k << ", ball " << ball);
        circles lost = ballRecord(ball);
        lost.found = false;
        expectSameDetection(frame, lost);
        expectSameDetection(frame, trackedIn(frame, lost));
      }
    }
  }
}

TEST_F(FastPath, WindowsAtTheFrameBorderMatch) {
  const scene::Pose pose = scene::dive(1).front();
  calibrateTo(scene::render(pose, {}, 1), pose, 150);
  // A noisier view, so that masks reach the frame's edges and corners.
  scene::SceneOptions grainy;
  grainy.noise = 12;
  const cv::Mat frame = scene::render(pose, grainy, 3);
  IntMedian = 3, highIntFilt = 4, lowIntFilt = 1;
  for (const cv::Point& centre : {cv::Point(0, 0), cv::Point(319, 239), cv::Point(5, 200)}) {
    circles ball = zelena;
    ball.found = true, ball.x = centre.x, ball.y = centre.y, ball.radius = 30;
    SCOPED_TRACE(testing::Message() << "window around " << centre);
    expectSameDetection(frame, ball);
  }
}

TEST_F(FastPath, SmoothingReplicatesTheBorderAsTheLegacyCall) {
  // The green ball cut by the frame's left edge: its outline meets the edge, so the smoothing's
  // border decides pixels there.
  const scene::Pose pose = scene::dive(1).front();
  calibrateTo(scene::render(pose, {}, 1), pose, 200);
  const cv::Mat frame = scene::render(scene::lookAt({0.28, -0.1, 1.0}, {0.28, -0.1, 0}), {}, 3);
  for (const auto& [width, height] : {std::pair{1, 2}, {2, 0}, {0, 3}, {4, 2}, {10, 10}}) {
    highIntFilt = width, lowIntFilt = height;
    for (const DetectionStages* path : {&fastStages(), &OrvantaTest::referenceStages()}) {
      const Detection d = detectOn(frame, zelena, *path);
      cv::Mat legacy(frame.size(), CV_8UC1);
      IplImage in = cvIplImage(d.work.edges), out = cvIplImage(legacy);
      const DetectionParams p = currentParams();
      cvSmooth(&in, &out, CV_GAUSSIAN, p.gaussianWidth, p.gaussianHeight, 0, 0);
      EXPECT_EQ(cv::countNonZero(d.work.smoothed != legacy), 0)
          << width << " x " << height << (path == &fastStages() ? " fast" : " reference");
    }
  }
}

TEST_F(FastPath, WholeRunsGiveTheSameRecordsTextsRangesAndPositions) {
  const auto dir = scratchFolder();
  const std::vector<scene::Pose> poses = scene::dive(31);
  std::string error;
  ASSERT_TRUE(scene::writeSequence(dir.string(), poses, {}, &error)) << error;
  calibrateTo(scene::render(poses[0], {}, 1), poses[0], 210);

  struct Run {
    std::vector<PassReport> reports;
    std::vector<std::array<circles, 4>> balls;
    std::vector<std::pair<std::string, std::string>> texts;
  };
  const auto track = [&](const DetectionStages& path) {
    const std::array<circles, 4> calibrated{zelena, crvena, plava, zuta};
    Run out;
    RecordingTexts texts;
    ScriptedKeyWait keys;
    NoWindows windows;
    Host host{(dir / "frame_%05d.png").string(), texts, keys, windows};
    TrackingRun run(host, path);
    EXPECT_EQ(run.start(), StartResult::started);
    for (PassReport report = run.pass(); !report.endedLoop; report = run.pass()) {
      out.reports.push_back(report);
      out.balls.push_back({zelena, crvena, plava, zuta});
    }
    run.finish();
    // The frame time is the one text that may differ.
    for (const auto& entry : texts.history())
      if (entry.first != "textBox38") out.texts.push_back(entry);
    zelena = calibrated[0], crvena = calibrated[1], plava = calibrated[2], zuta = calibrated[3];
    kamera = camera{};
    return out;
  };
  const Run fast = track(fastStages());
  const Run reference = track(OrvantaTest::referenceStages());

  ASSERT_EQ(fast.reports.size(), 15u);
  ASSERT_EQ(reference.reports.size(), fast.reports.size());
  int solved = 0;
  for (std::size_t i = 0; i < fast.reports.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "pass " << i + 1);
    const PassReport& f = fast.reports[i];
    const PassReport& r = reference.reports[i];
    EXPECT_EQ(f.closedWindow, r.closedWindow);
    EXPECT_EQ(f.filtered, r.filtered);
    EXPECT_EQ(f.solved, r.solved);
    EXPECT_EQ(f.position.x, r.position.x);
    EXPECT_EQ(f.position.y, r.position.y);
    EXPECT_EQ(f.position.z, r.position.z);
    solved += f.solved ? 1 : 0;
    for (int ball = 0; ball < 4; ++ball) {
      const circles& a = fast.balls[i][ball];
      const circles& b = reference.balls[i][ball];
      EXPECT_EQ(std::tie(a.found, a.x, a.y, a.radius, a.distance),
                std::tie(b.found, b.x, b.y, b.radius, b.distance))
          << "ball " << ball + 1;
    }
  }
  EXPECT_EQ(solved, 3);  // every window of the dive closes with all four balls in view
  EXPECT_EQ(fast.texts, reference.texts);
}

TEST_F(FastPath, SearchedPictureIsTheUndistortedFrameWhereverItIsSearched) {
  // The run's precomputed maps must give exactly what undistorting each frame afresh gives: on
  // the whole picture while a ball is lost, in the search windows once all are tracked.
  const auto dir = scratchFolder();
  const std::vector<scene::Pose> poses = scene::dive(5);
  std::string error;
  ASSERT_TRUE(scene::writeSequence(dir.string(), poses, {}, &error)) << error;
  calibrateTo(scene::render(poses[0], {}, 1), poses[0], 210);
  RecordingTexts texts;
  ScriptedKeyWait keys;
  NoWindows windows;
  Host host{(dir / "frame_%05d.png").string(), texts, keys, windows};
  TrackingRun run(host);
  ASSERT_EQ(run.start(), StartResult::started);
  const auto undistorted = [&](const char* file) {
    cv::Mat expected;
    cv::undistort(cv::imread((dir / file).string()), expected, site::defaultCamera().intrinsics,
                  site::defaultCamera().distortion);
    return expected;
  };
  run.pass();  // searches picture 2, every ball lost
  const cv::Mat whole = undistorted("frame_00002.png");
  ASSERT_EQ(frame.size(), whole.size());
  EXPECT_EQ(cv::norm(frame, whole, cv::NORM_INF), 0);
  std::vector<cv::Rect> searched;
  for (int ball = 1; ball <= 4; ++ball) {
    ASSERT_TRUE(ballRecord(ball).found) << ball;
    searched.push_back(searchWindow(ballRecord(ball), frame.size()));
  }
  run.pass();  // searches picture 4, every ball tracked
  const cv::Mat expected = undistorted("frame_00004.png");
  for (const cv::Rect& window : searched)
    EXPECT_EQ(cv::norm(frame(window), expected(window), cv::NORM_INF), 0) << window;
}

TEST_F(FastPath, SpeckledMaskFindsNoBallAndSkipsCircleDetection) {
  // Grain everywhere and a threshold that a third of the pixels reach: only scattered specks.
  const scene::Pose pose = scene::dive(1).front();
  calibrateTo(scene::render(pose, {}, 1), pose, 0);
  scene::SceneOptions grainy;
  grainy.noise = 40;
  const cv::Mat frame = scene::render(pose, grainy, 2);
  circles ball = zelena;
  const hsv_color reference{uchar(ball.h), uchar(ball.s), uchar(ball.v)};
  cv::Mat similarity = cv::Mat::zeros(frame.size(), CV_8UC1);
  computeSimilarity(frame, cv::Rect({0, 0}, frame.size()), reference, ball.hsvNorm, similarity);
  std::vector<uchar> scores(similarity.begin<uchar>(), similarity.end<uchar>());
  std::nth_element(scores.begin(), scores.begin() + scores.size() * 2 / 3, scores.end());
  ball.threshold = scores[scores.size() * 2 / 3];

  WorkImages work;
  work.create(frame.size());
  ball.found = true;  // tracked last frame, with a window that covers the whole frame
  ball.x = 160, ball.y = 120, ball.radius = 200;
  EXPECT_TRUE(findBallCircles(ball, frame, work).empty());
  EXPECT_FALSE(ball.found);
  EXPECT_GT(cv::countNonZero(work.mask), int(frame.total()) / 4);
  EXPECT_GT(cv::countNonZero(work.edges), 1000);
}
