// Finding one landmark ball in a frame: colour similarity in a search window, threshold mask,
// median, Canny, Gaussian and circle detection; then recording, drawing and showing the result.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <vector>

#include "circle_detection.hpp"
#include "colour.hpp"
#include "host.hpp"
#include "similarity.hpp"
#include "similarity_reference.hpp"
#include "state.hpp"

namespace Orvanta {

// What each trackbar position selects. The median trackbar has one position fewer.
constexpr std::array<double, 10> medianApertures = {1, 3, 5, 7, 9, 11, 13, 15, 17, 19};
constexpr std::array<double, 11> cannyUpperThresholds = {50,  100, 150, 200, 250, 300,
                                                         350, 400, 500, 600, 1000};
constexpr std::array<double, 11> cannyLowerThresholds = {0,   5,   10,  20,  50,  100,
                                                         150, 200, 300, 500, 1000};
constexpr std::array<double, 11> gaussianKernelSizes = {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21};
constexpr std::array<double, 11> houghParameters = {10,  20,  30,  50,  70, 100,
                                                    150, 200, 250, 300, 350};

struct DetectionParams {
  int medianAperture = 1;
  double cannyLower = 0, cannyUpper = 0;
  int gaussianWidth = 1, gaussianHeight = 1;
  double houghParam1 = 0, houghParam2 = 0;
};
// The values selected by the trackbar copies (IntMedian, lowInt, highInt, ...) right now.
DetectionParams currentParams();

// How the colour passes compute their work images. The reference is the plain way: similarity
// pixel by pixel (similarity_reference.hpp) and every filter over the whole image. The fast way
// gives the same images; the reference is kept to compare whole runs against.
enum class DetectionPath { fast, reference };

// The work images of a tracking run, shared by the four colour passes; 8-bit, frame-sized.
// Each is zero outside the area its last writer wrote, so clearing one clears just that area.
struct WorkImages {
  cv::Mat similarity, mask, median, edges, smoothed;
  cv::Mat ones, counts;     // the fast median's buffers
  SimilarityScorer scorer;  // keeps the four balls' score tables for the run
  CircleDetector circles;   // keeps its buffers for the run
  DetectionPath path = DetectionPath::fast;
  // Where similarity and mask, median, edges and smoothed may differ from zero.
  cv::Rect scored, medianWritten, edgesWritten, smoothedWritten;
  void create(cv::Size size);     // all zero
  void clearSimilarityAndMask();  // before each colour pass
};

// Rows and columns searched for the ball: 1.6 radii around its last circle while it is
// tracked (bounds truncated toward zero, clipped to the frame), the whole frame otherwise.
cv::Rect searchWindow(const circles& ball, cv::Size frameSize);

// Minimum distance between detected centres: a quarter of the rows, in whole pixels.
double minCentreDistance(int rows);

// First half of a colour pass: clears ball.found, sets the global hsv to the ball's colour,
// fills the work images and returns the circles found (x, y, radius).
std::vector<cv::Vec3f> findBallCircles(circles& ball, const cv::Mat& frame, WorkImages& work);

// The operator window's radius and range boxes of one ball.
struct BallBoxes {
  const char* radius;
  const char* range;
};
const BallBoxes& ballBoxes(int ball /* 1..4 */);
// zelena, crvena, plava, zuta.
circles& ballRecord(int ball /* 1..4 */);

// Second half: draws every circle on display, records the strongest (the first) in ball and its
// boxes, then shows the six windows (opening the work windows on the first pass of a frame).
void recordBallCircles(circles& ball, const std::vector<cv::Vec3f>& found, cv::Mat& display,
                       const BallBoxes& boxes, const WorkImages& work, Host& host, bool firstPass);

// Both halves, for the colour passes after the first.
void detect_ball(circles& ball, const cv::Mat& frame, cv::Mat& display, WorkImages& work,
                 const BallBoxes& boxes, Host& host);

}  // namespace Orvanta
