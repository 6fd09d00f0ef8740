// The fast similarity step against the pixel-by-pixel reference: identical scores and masks,
// inside the window only, for every kind of pixel and reference.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <vector>

#include "similarity.hpp"
#include "similarity_reference.hpp"

using namespace Orvanta;

namespace {

constexpr uchar untouched = 77;  // outside the window both images must keep this

// A frame holding the given pixels row by row (BGR), width 41 so rows end mid-block.
cv::Mat frameOf(const std::vector<cv::Vec3b>& pixels) {
  const int width = 41;
  cv::Mat frame((int(pixels.size()) + width - 1) / width, width, CV_8UC3, cv::Scalar(0, 0, 0));
  for (std::size_t i = 0; i < pixels.size(); ++i)
    frame.at<cv::Vec3b>(int(i) / width, int(i) % width) = pixels[i];
  return frame;
}

cv::Vec3b bgr(int r, int g, int b) {
  return cv::Vec3b(uchar(b), uchar(g), uchar(r));
}

// Every hue of the six saturated edges of the colour cube, at full and at half value.
cv::Mat saturatedFrame() {
  std::vector<cv::Vec3b> pixels;
  for (int value : {255, 128})
    for (int x = 0; x <= value; ++x)
      for (const cv::Vec3b& p : {bgr(value, x, 0), bgr(x, value, 0), bgr(0, value, x),
                                 bgr(0, x, value), bgr(x, 0, value), bgr(value, 0, x)})
        pixels.push_back(p);
  return frameOf(pixels);
}

// Greys, black, near-greys and ties between channels.
cv::Mat greyFrame() {
  std::vector<cv::Vec3b> pixels;
  for (int k = 0; k < 256; ++k)
    for (const cv::Vec3b& p :
         {bgr(k, k, k), bgr(k, k, k / 2), bgr(k, k / 2, k), bgr(k / 2, k, k), bgr(k, k, 255 - k)})
      pixels.push_back(p);
  return frameOf(pixels);
}

// Hues around red, where the 256-step circle wraps: negative hue formulas land on 255, 254...
cv::Mat wrapFrame() {
  std::vector<cv::Vec3b> pixels;
  for (int x = 0; x < 256; x += 3)
    for (int y = 0; y < 256; y += 17) pixels.push_back(bgr(255 - y / 4, y / 8, x));
  return frameOf(pixels);
}

cv::Mat randomFrame() {
  cv::Mat frame(97, 131, CV_8UC3);
  cv::RNG rng(20240611);
  rng.fill(frame, cv::RNG::UNIFORM, 0, 256);
  return frame;
}

// A coarse walk through the whole colour cube.
cv::Mat cubeFrame() {
  std::vector<cv::Vec3b> pixels;
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 15)
      for (int b = 0; b < 256; b += 15) pixels.push_back(bgr(r, g, b));
  return frameOf(pixels);
}

struct Reference {
  hsv_color hsv;
  double norm;
};

Reference referenceOf(int r, int g, int b) {
  const hsv_color hsv = rgb_to_hsv({uchar(r), uchar(g), uchar(b)});
  return {hsv, hsvNormOf(hsv)};
}

// The four ball colours as the scene shows them, and the awkward ones.
std::vector<Reference> references() {
  return {referenceOf(0, 200, 0),
          referenceOf(200, 0, 0),
          referenceOf(0, 0, 200),
          referenceOf(220, 220, 0),
          referenceOf(40, 150, 60),
          referenceOf(255, 0, 10),
          referenceOf(255, 10, 0),
          referenceOf(128, 128, 128),
          referenceOf(0, 0, 0),
          {hsv_color{}, 0},
          {hsv_color{250, 200, 90}, hsvNormOf({250, 200, 90})}};
}

struct Images {
  cv::Mat similarity, mask;
};

Images blank(cv::Size size) {
  return {cv::Mat(size, CV_8UC1, cv::Scalar(untouched)),
          cv::Mat(size, CV_8UC1, cv::Scalar(untouched))};
}

Images referenceImages(const cv::Mat& frame, cv::Rect window, const Reference& ref, int threshold) {
  Images out = blank(frame.size());
  computeSimilarity(frame, window, ref.hsv, ref.norm, out.similarity);
  thresholdMask(out.similarity, window, threshold, out.mask);
  return out;
}

Images fastImages(SimilarityScorer& scorer, const cv::Mat& frame, cv::Rect window,
                  const Reference& ref, int threshold) {
  Images out = blank(frame.size());
  scorer.score(frame, window, ref.hsv, ref.norm, out.similarity, &out.mask, threshold);
  return out;
}

int differences(const cv::Mat& a, const cv::Mat& b) {
  return cv::countNonZero(a != b);
}

void expectSameAsReference(SimilarityScorer& scorer, const cv::Mat& frame, cv::Rect window,
                           int threshold) {
  for (const Reference& ref : references()) {
    SCOPED_TRACE(testing::Message() << "reference hsv " << int(ref.hsv.h) << ' ' << int(ref.hsv.s)
                                    << ' ' << int(ref.hsv.v) << ", threshold " << threshold);
    const Images expected = referenceImages(frame, window, ref, threshold);
    const Images got = fastImages(scorer, frame, window, ref, threshold);
    EXPECT_EQ(differences(got.similarity, expected.similarity), 0);
    EXPECT_EQ(differences(got.mask, expected.mask), 0);
  }
}

class FastSimilarity : public testing::TestWithParam<cv::Mat (*)()> {};

}  // namespace

TEST_P(FastSimilarity, WholeFrameMatchesTheReference) {
  const cv::Mat frame = GetParam()();
  SimilarityScorer scorer;
  for (int threshold : {0, 1, 128, 210, 255})
    expectSameAsReference(scorer, frame, cv::Rect({0, 0}, frame.size()), threshold);
}

TEST_P(FastSimilarity, WindowsOfEveryWidthMatchAndLeaveTheRestAlone) {
  const cv::Mat frame = GetParam()();
  SimilarityScorer scorer;
  for (int width = 0; width <= 35 && width <= frame.cols - 3; ++width)
    expectSameAsReference(scorer, frame, cv::Rect(3, frame.rows / 3, width, frame.rows / 2), 200);
}

INSTANTIATE_TEST_SUITE_P(Frames, FastSimilarity,
                         testing::Values(saturatedFrame, greyFrame, wrapFrame, randomFrame,
                                         cubeFrame));

TEST(FastSimilarityMask, ThresholdsOutsideTheScoreRange) {
  const cv::Mat frame = randomFrame();
  const cv::Rect window({0, 0}, frame.size());
  SimilarityScorer scorer;
  const Reference green = referenceOf(0, 200, 0);
  EXPECT_EQ(cv::countNonZero(fastImages(scorer, frame, window, green, -5).mask == 255),
            int(frame.total()));
  EXPECT_EQ(cv::countNonZero(fastImages(scorer, frame, window, green, 256).mask), 0);
  EXPECT_EQ(cv::countNonZero(fastImages(scorer, frame, window, green, 0).mask == 255),
            int(frame.total()));
}

TEST(FastSimilarityMask, BlackReferenceScoresZeroAndMasksAllAtThresholdZero) {
  const cv::Mat frame = cubeFrame();
  const cv::Rect window(5, 2, 30, 4);
  SimilarityScorer scorer;
  const Images got = fastImages(scorer, frame, window, {hsv_color{}, 0}, 0);
  EXPECT_EQ(cv::countNonZero(got.similarity(window)), 0);
  EXPECT_EQ(cv::countNonZero(got.mask(window) == 255), window.area());
  EXPECT_EQ(cv::countNonZero(got.mask == untouched), int(frame.total()) - window.area());
}

TEST(FastSimilarityTables, MoreReferencesThanTablesStillScoreRight) {
  // Five references in turn through four cached tables: each turn evicts one.
  const cv::Mat frame = randomFrame();
  const cv::Rect window({0, 0}, frame.size());
  SimilarityScorer scorer;
  const std::vector<Reference> all = references();
  const std::vector<Reference> five(all.begin(), all.begin() + 5);
  for (int round = 0; round < 3; ++round)
    for (const Reference& ref : five) {
      const Images expected = referenceImages(frame, window, ref, 150);
      const Images got = fastImages(scorer, frame, window, ref, 150);
      EXPECT_EQ(differences(got.similarity, expected.similarity), 0);
    }
}

TEST(FastSimilarityTables, SameColourWithAnotherNormGetsItsOwnTable) {
  // A norm stored by an earlier calibration need not match the colour; the score follows it.
  const cv::Mat frame = randomFrame();
  const cv::Rect window({0, 0}, frame.size());
  SimilarityScorer scorer;
  const Reference green = referenceOf(0, 200, 0);
  for (double norm : {green.norm, green.norm / 2, green.norm})
    EXPECT_EQ(differences(fastImages(scorer, frame, window, {green.hsv, norm}, 100).similarity,
                          referenceImages(frame, window, {green.hsv, norm}, 100).similarity),
              0);
}

TEST(FastSimilarity, ScoresWorkedByHand) {
  // Reference green (0, 200, 0) = (85, 255, 200), N = sqrt(112250) = 335.04.
  // Magenta (255, 0, 255) = (213, 255, 255): dH 128, dV 55, D = 139.32, score 148.
  // Black: D = N exactly, score 0.
  const cv::Mat frame = frameOf({bgr(0, 200, 0), bgr(255, 0, 255), bgr(0, 0, 0)});
  SimilarityScorer scorer;
  const Images got = fastImages(scorer, frame, cv::Rect(0, 0, 3, 1), referenceOf(0, 200, 0), 149);
  EXPECT_EQ(got.similarity.at<uchar>(0, 0), 255);
  EXPECT_EQ(got.similarity.at<uchar>(0, 1), 148);
  EXPECT_EQ(got.similarity.at<uchar>(0, 2), 0);
  EXPECT_EQ(got.mask.at<uchar>(0, 0), 255);
  EXPECT_EQ(got.mask.at<uchar>(0, 1), 0);
}
