// The circle detection against cv::HoughCircles itself, the oracle: the same circles, in the
// same order, with the same floats, on the smoothed edge images of generated dives under every
// trackbar position, on random pictures, and the refusal of content that would take seconds.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "circle_detection.hpp"
#include "detection.hpp"
#include "scene.hpp"
#include "similarity_reference.hpp"
#include "support/vision_state.hpp"

using namespace Orvanta;

namespace {

std::vector<cv::Vec4f> oracle(const cv::Mat& image, const CircleSearch& s) {
  std::vector<cv::Vec4f> circles;
  cv::HoughCircles(image, circles, cv::HOUGH_GRADIENT, 1.0, s.minDist, s.param1, s.param2, 0, 0);
  return circles;
}

// Compares on one image; the area is where it differs from 0.
void expectSameAsOracle(const cv::Mat& image, const CircleSearch& search, const std::string& what,
                        const CircleBudget& budget = {}) {
  static CircleDetector detector;
  const DetectedCircles ours = detector.detect(image, cv::boundingRect(image), search, budget);
  ASSERT_FALSE(ours.overBudget) << what;
  const std::vector<cv::Vec4f> expected = oracle(image, search);
  ASSERT_EQ(ours.circles.size(), expected.size()) << what;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(ours.circles[i], expected[i]) << what << " circle " << i;
    if (i > 0) {
      EXPECT_GE(expected[i - 1][3], expected[i][3]) << "strongest first: " << what;
    }
  }
}

// The smoothed edge image of one ball's colour pass over a whole frame, as the pipeline makes it.
cv::Mat smoothedEdges(const cv::Mat& frame, int ball, const DetectionParams& p) {
  const circles& record = ballRecord(ball);
  const hsv_color reference{std::uint8_t(record.h), std::uint8_t(record.s), std::uint8_t(record.v)};
  cv::Mat similarity = cv::Mat::zeros(frame.size(), CV_8UC1), mask = similarity.clone();
  const cv::Rect whole({0, 0}, frame.size());
  computeSimilarity(frame, whole, reference, record.hsvNorm, similarity);
  thresholdMask(similarity, whole, record.threshold, mask);
  cv::Mat median, edges, smoothed;
  cv::medianBlur(mask, median, p.medianAperture);
  cv::Canny(median, edges, p.cannyLower, p.cannyUpper, 3);
  cv::GaussianBlur(edges, smoothed, cv::Size(p.gaussianWidth, p.gaussianHeight), 0, 0,
                   cv::BORDER_REPLICATE);
  return smoothed;
}

void calibrateTo(const scene::Pose& pose, const scene::SceneOptions& options) {
  const cv::Mat picture = scene::render(pose, options, 1);
  for (int ball = 1; ball <= 4; ++ball) {
    const cv::Vec3b bgr = scene::sampleBall(picture, pose, ball, options);
    circles& record = ballRecord(ball);
    record.r = bgr[2], record.g = bgr[1], record.b = bgr[0];
    const hsv_color hsv = rgb_to_hsv({bgr[2], bgr[1], bgr[0]});
    record.h = hsv.h, record.s = hsv.s, record.v = hsv.v;
    record.hsvNorm = hsvNormOf(hsv);
    record.threshold = 200;
  }
}

}  // namespace

TEST(CircleIdentity, SameAsTheLibraryOnDivesUnderEveryTrackbarPosition) {
  OrvantaTest::resetVisionState();
  const scene::SceneOptions options;
  const std::vector<scene::Pose> views = {scene::dive(3)[1], scene::survey(5)[1],
                                          scene::lookAt({0.1, -0.1, 0.7}, {0.1, -0.2, 0})};
  calibrateTo(views[0], options);
  // Each trackbar through each of its positions, the others at 0; then a few together.
  std::vector<std::array<int, 7>> settings;  // IntMedian, lowInt, highInt, lowIntFilt,
                                             // highIntFilt, lowIntHough, highIntHough
  for (int trackbar = 0; trackbar < 7; ++trackbar)
    for (int position = 1; position <= (trackbar == 0 ? 9 : 10); ++position) {
      std::array<int, 7> s{};
      s[trackbar] = position;
      settings.push_back(s);
    }
  settings.push_back({2, 3, 2, 1, 2, 1, 0});
  settings.push_back({4, 0, 5, 4, 3, 2, 3});
  for (const scene::Pose& view : views) {
    const cv::Mat frame = scene::render(view, options, 1);
    for (const std::array<int, 7>& s : settings) {
      IntMedian = s[0], lowInt = s[1], highInt = s[2], lowIntFilt = s[3], highIntFilt = s[4];
      lowIntHough = s[5], highIntHough = s[6];
      const DetectionParams p = currentParams();
      for (int ball = 1; ball <= 4; ++ball)
        expectSameAsOracle(smoothedEdges(frame, ball, p),
                           {minCentreDistance(frame.rows), p.houghParam1, p.houghParam2},
                           "ball " + std::to_string(ball));
    }
  }
  OrvantaTest::resetVisionState();
}

TEST(CircleIdentity, SameAsTheLibraryOnRandomPictures) {
  // Some of these are beyond what a pass may spend; the comparison is of the method.
  const CircleBudget unlimited{1LL << 50, 1LL << 50, 1LL << 50};
  cv::RNG rng(12);
  for (int k = 0; k < 40; ++k) {
    const cv::Size size = k % 3 ? cv::Size(320, 240) : cv::Size(640, 480);
    cv::Mat image = cv::Mat::zeros(size, CV_8UC1);
    // Discs, rings and lines somewhere, some at the border, some blurred.
    for (int n = rng.uniform(1, 8); n > 0; --n) {
      const cv::Point c(rng.uniform(-20, size.width + 20), rng.uniform(-20, size.height + 20));
      const int r = rng.uniform(3, 60), shade = rng.uniform(60, 256);
      if (n % 3 == 0)
        cv::line(image, c, c + cv::Point(rng.uniform(-80, 80), rng.uniform(-80, 80)), shade, 1);
      else
        cv::circle(image, c, r, shade, n % 2 ? 1 : cv::FILLED);
    }
    if (k % 4 == 1) cv::GaussianBlur(image, image, cv::Size(5, 5), 0);
    for (const auto& [p1, p2] : {std::pair{10.0, 10.0}, {50.0, 20.0}, {150.0, 30.0}})
      expectSameAsOracle(image, {double(size.height / 4), p1, p2}, "picture " + std::to_string(k),
                         unlimited);
  }
}

TEST(CircleBudgetBySize, ABallTakesTheSameShareOfTheBudgetAtEverySize) {
  // A clean ball's smoothed edges under each trackbar through its positions: what the budget of
  // the picture's size takes and refuses is what it takes and refuses at 320 x 240, and a wider
  // picture takes at least that.
  OrvantaTest::resetVisionState();
  int* const trackbars[] = {&IntMedian,   &lowInt,      &highInt,     &lowIntFilt,
                            &highIntFilt, &lowIntHough, &highIntHough};
  const auto takenUnderEachSetting = [&](cv::Size size, double share) {
    cv::Mat mask = cv::Mat::zeros(size, CV_8UC1);
    cv::circle(mask, {size.width / 2, size.height / 3}, int(share * size.height), 255, cv::FILLED);
    CircleDetector detector;
    std::vector<bool> taken;
    for (int t = 0; t < 7; ++t)
      for (int position = 0; position <= (t == 0 ? 9 : 10); position += 3) {
        OrvantaTest::resetVisionState();
        *trackbars[t] = position;
        const DetectionParams p = currentParams();
        cv::Mat median, edges, smoothed;
        cv::medianBlur(mask, median, p.medianAperture);
        cv::Canny(median, edges, p.cannyLower, p.cannyUpper, 3);
        cv::GaussianBlur(edges, smoothed, cv::Size(p.gaussianWidth, p.gaussianHeight), 0, 0,
                         cv::BORDER_REPLICATE);
        const CircleSearch search{minCentreDistance(size.height), p.houghParam1, p.houghParam2};
        taken.push_back(
            !detector.detect(smoothed, {{0, 0}, size}, search, circleBudgetFor(size)).overBudget);
      }
    return taken;
  };
  for (const double share : {0.1, 0.2}) {
    const std::vector<bool> atBase = takenUnderEachSetting({320, 240}, share);
    EXPECT_TRUE(atBase[0]) << share << ": the trackbars at 0";
    for (const cv::Size size : {cv::Size(640, 480), cv::Size(1280, 960)})
      EXPECT_EQ(takenUnderEachSetting(size, share), atBase) << share << " at " << size;
    const std::vector<bool> wide = takenUnderEachSetting({1920, 1080}, share);
    for (std::size_t k = 0; k < atBase.size(); ++k)
      EXPECT_TRUE(wide[k] || !atBase[k]) << share << " at 1920x1080, setting " << k;
  }
  OrvantaTest::resetVisionState();
}

TEST(CircleIdentity, HardContentIsRefusedOrTheSame) {
  // Long thin structures in the balls' colours at threshold 200: the edges of a whole picture.
  // What the detection takes on it does as the library does; the rest it refuses.
  OrvantaTest::resetVisionState();
  const scene::SceneOptions options;
  calibrateTo(scene::dive(1).front(), options);
  CircleDetector detector;
  int refused = 0;
  for (const cv::Size size : {cv::Size(320, 240), cv::Size(640, 480)})
    for (const scene::Stress kind : {scene::Stress::stripes, scene::Stress::rings,
                                     scene::Stress::checkerboard, scene::Stress::blobs}) {
      const cv::Mat picture = scene::stressPicture(kind, size);
      for (int ball = 1; ball <= 4; ++ball) {
        const cv::Mat smoothed = smoothedEdges(picture, ball, currentParams());
        const CircleSearch search{minCentreDistance(size.height), 10, 10};
        const DetectedCircles found = detector.detect(smoothed, cv::boundingRect(smoothed), search);
        if (found.overBudget) {
          ++refused;
          EXPECT_TRUE(found.circles.empty());
        } else {
          EXPECT_EQ(found.circles, oracle(smoothed, search)) << int(kind) << " ball " << ball;
        }
      }
    }
  EXPECT_GE(refused, 16);
  OrvantaTest::resetVisionState();
}
