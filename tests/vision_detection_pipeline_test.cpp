#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <opencv2/imgproc.hpp>

#include "calibration_file.hpp"
#include "detection.hpp"
#include "no_windows.hpp"
#include "number_format.hpp"
#include "scene.hpp"
#include "support/recording_texts.hpp"
#include "support/recording_windows.hpp"
#include "support/scripted_key_wait.hpp"

using namespace Orvanta;

namespace {

// Detection passes with all trackbars at 0; the ball records and trackbar copies are restored
// after each test.
class Detection : public ::testing::Test {
 protected:
  void SetUp() override {
    savedBalls_ = {zelena, crvena, plava, zuta};
    savedCopies_ = {IntMedian, lowInt, highInt, lowIntFilt, highIntFilt, lowIntHough, highIntHough};
    IntMedian = lowInt = highInt = lowIntFilt = highIntFilt = lowIntHough = highIntHough = 0;
    work.create({320, 240});
  }
  void TearDown() override {
    zelena = savedBalls_[0], crvena = savedBalls_[1], plava = savedBalls_[2];
    zuta = savedBalls_[3];
    IntMedian = savedCopies_[0], lowInt = savedCopies_[1], highInt = savedCopies_[2];
    lowIntFilt = savedCopies_[3], highIntFilt = savedCopies_[4];
    lowIntHough = savedCopies_[5], highIntHough = savedCopies_[6];
  }

  // The colour passes of one frame, as the tracking loop runs them.
  void detect(const cv::Mat& frame, int balls = 1) {
    display = frame.clone();
    for (int ball = 1; ball <= balls; ++ball) {
      work.clearSimilarityAndMask();
      detect_ball(ballRecord(ball), frame, display, work, ballBoxes(ball), host);
    }
  }

  WorkImages work;
  cv::Mat display;
  OrvantaTest::RecordingTexts texts;
  OrvantaTest::ScriptedKeyWait keys;
  OrvantaTest::RecordingWindows windows;
  Host host{"0", texts, keys, windows};

 private:
  std::array<circles, 4> savedBalls_;
  std::array<int, 7> savedCopies_{};
};

// A green disc of (0, 200, 0) on grey, and the green ball calibrated on that colour.
class DiscDetection : public Detection {
 protected:
  void SetUp() override {
    Detection::SetUp();
    zelena = circles{};
    zelena.g = 200;
    zelena.h = 85, zelena.s = 255, zelena.v = 200;
    zelena.hsvNorm = hsvNormOf({85, 255, 200});
    zelena.threshold = 200;
  }
  static cv::Mat disc(cv::Point centre, int radius) {
    cv::Mat frame(240, 320, CV_8UC3, cv::Scalar::all(128));
    cv::circle(frame, centre, radius, cv::Scalar(0, 200, 0), cv::FILLED);
    return frame;
  }
};

}  // namespace

TEST_F(DiscDetection, FindsTheDiscAndRecordsItsCircle) {
  const cv::Mat frame = disc({160, 120}, 40);
  const cv::Mat untouched = frame.clone();
  detect(frame);
  ASSERT_TRUE(zelena.found);
  EXPECT_NEAR(zelena.x, 160, 3);
  EXPECT_NEAR(zelena.y, 120, 3);
  EXPECT_NEAR(zelena.radius, 40, 2);
  EXPECT_DOUBLE_EQ(zelena.distance, 24.6 / zelena.radius);
  EXPECT_EQ(texts.text("textBox14"), formatNumber(zelena.radius));
  EXPECT_EQ(texts.text("textBox15"), formatNumber(24.6 / zelena.radius));
  EXPECT_EQ(cv::norm(frame, untouched, cv::NORM_INF), 0);  // only the display is drawn on
  EXPECT_EQ(display.at<cv::Vec3b>(zelena.y, zelena.x), cv::Vec3b(0, 255, 0));
  EXPECT_EQ(hsv.h, 85);  // the pass's reference colour
}

TEST_F(DiscDetection, TrackedBallIsScoredOnlyNearItsLastCircle) {
  const cv::Mat frame = disc({160, 120}, 40);
  detect(frame);
  ASSERT_TRUE(zelena.found);
  const cv::Rect window = searchWindow(zelena, frame.size());
  detect(frame);
  EXPECT_TRUE(zelena.found);
  EXPECT_EQ(work.similarity.at<uchar>(0, 0), 0);                         // outside
  EXPECT_EQ(work.similarity.at<uchar>(window.y + 1, window.x + 1), 43);  // grey, inside
}

TEST_F(DiscDetection, BallThatLeftItsWindowIsLostThenFoundInTheWholeFrame) {
  detect(disc({160, 120}, 40));
  ASSERT_TRUE(zelena.found);
  const int x = zelena.x, y = zelena.y;

  const cv::Mat moved = disc({270, 40}, 25);  // beyond 1.6 radii of the last circle
  detect(moved);
  EXPECT_FALSE(zelena.found);
  EXPECT_EQ(zelena.x, x);  // the last detection is kept
  EXPECT_EQ(zelena.y, y);

  detect(moved);
  ASSERT_TRUE(zelena.found);
  EXPECT_NEAR(zelena.x, 270, 3);
  EXPECT_NEAR(zelena.y, 40, 3);
  EXPECT_NEAR(zelena.radius, 25, 2);
}

TEST_F(DiscDetection, ZeroRadiusTrackedBallIsLost) {
  zelena.found = true;
  zelena.x = 160, zelena.y = 120, zelena.radius = 0;
  detect(disc({160, 120}, 40));
  EXPECT_FALSE(zelena.found);
  EXPECT_EQ(cv::countNonZero(work.mask), 0);
}

TEST_F(Detection, EveryCircleIsDrawnAndTheStrongestIsRecorded) {
  // The detection lists its circles strongest first.
  display = cv::Mat(240, 320, CV_8UC3, cv::Scalar::all(128));
  const std::vector<cv::Vec3f> found = {{250.4f, 180.6f, 10.4f}, {60, 60, 20}};
  recordBallCircles(crvena, found, display, ballBoxes(2), work, host, true);
  EXPECT_TRUE(crvena.found);
  EXPECT_EQ(crvena.x, 250);
  EXPECT_EQ(crvena.y, 181);
  EXPECT_EQ(crvena.radius, 10);
  EXPECT_EQ(texts.textsOf("textBox9"), (std::vector<std::string>{"10."}));
  EXPECT_EQ(texts.textsOf("textBox8"), (std::vector<std::string>{"2.46"}));
  EXPECT_EQ(display.at<cv::Vec3b>(60, 80), cv::Vec3b(0, 0, 255));
  EXPECT_EQ(display.at<cv::Vec3b>(181, 250), cv::Vec3b(0, 255, 0));
  // Without windows nothing is drawn; the record is the same.
  NoWindows none;
  Host headless{"0", texts, keys, none};
  display.setTo(cv::Scalar::all(128));
  crvena = circles{};
  recordBallCircles(crvena, found, display, ballBoxes(2), work, headless, true);
  EXPECT_EQ(cv::countNonZero(display.reshape(1) != 128), 0);
  EXPECT_EQ(crvena.radius, 10);
}

TEST_F(Detection, NoCircleLeavesRecordAndBoxesAlone) {
  zelena.found = false, zelena.distance = 1.5, zelena.x = 7, zelena.radius = 16;
  display = cv::Mat(240, 320, CV_8UC3, cv::Scalar::all(128));
  recordBallCircles(zelena, {}, display, ballBoxes(1), work, host, false);
  EXPECT_FALSE(zelena.found);
  EXPECT_EQ(zelena.distance, 1.5);
  EXPECT_EQ(zelena.x, 7);
  EXPECT_EQ(zelena.radius, 16);
  EXPECT_TRUE(texts.history().empty());
}

TEST_F(Detection, RenderedBallsAreFoundAndRangedThenTracked) {
  scene::SceneOptions options;
  options.distort = false;  // the tracking loop undistorts before detecting
  const std::vector<scene::Pose> poses = scene::dive(100);  // a small step per frame
  const cv::Mat first = scene::render(poses[0], options, 0);
  const std::string path =
      (std::filesystem::temp_directory_path() / "orvanta_scene_detection.json").string();
  std::string error;
  ASSERT_TRUE(scene::writeCalibration(path, first, poses[0], options, 200, &error)) << error;
  ASSERT_TRUE(loadCalibration(path, &error)) << error;
  std::filesystem::remove(path);
  for (int ball = 1; ball <= 4; ++ball) ballRecord(ball).found = false;

  for (int frame = 0; frame < 2; ++frame) {
    detect(scene::render(poses[frame], options, frame), 4);
    const std::array<double, 4> truth = scene::trueDistances(poses[frame].position);
    for (int ball = 1; ball <= 4; ++ball) {
      SCOPED_TRACE(testing::Message() << "frame " << frame << " ball " << ball);
      const circles& record = ballRecord(ball);
      const cv::Point2d centre = scene::projectBall(poses[frame], ball, options);
      ASSERT_TRUE(record.found);
      EXPECT_NEAR(record.x, centre.x, 2);
      EXPECT_NEAR(record.y, centre.y, 2);
      // About 12 pixels of radius: one pixel of rounding is 8 % of the range.
      EXPECT_NEAR(record.distance, truth[ball - 1], 0.15 * truth[ball - 1]);
    }
  }
}

TEST(Landmarks, HeldInSinglePrecisionAndWidened) {
  EXPECT_EQ(landmarkpos[1], 0.699999988079071);
  EXPECT_EQ(landmarkpos[6], -0.5099999904632568);
  EXPECT_EQ(landmarkpos[0], 0);
  bindLandmarks();
  EXPECT_EQ(landMarkPos.ptr<double>(), landmarkpos);  // a header, not a copy
  EXPECT_EQ(landMarkPos.at<double>(1, 2), double(dy3));
}
