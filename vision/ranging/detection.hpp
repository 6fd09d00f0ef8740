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

struct WorkImages;

// The stages of a colour pass that can be computed in more than one way to the same images and
// circles. The program's own (fastStages) score and filter only around the ball and vote for
// circles only where the mask is; tests and benchmarks compare whole runs against a plain way.
class DetectionStages {
 public:
  virtual ~DetectionStages() = default;
  // The similarity and mask of the ball (its colour in the global hsv) inside window.
  virtual void score(const cv::Mat& frame, cv::Rect window, const circles& ball,
                     WorkImages& work) const = 0;
  // The median of mask, the part at `area` of the whole mask, into out.
  virtual void median(const cv::Mat& mask, cv::Mat& out, int aperture, WorkImages& work,
                      cv::Rect area) const = 0;
  // The circles of work.smoothed, which is zero outside area; strongest first.
  virtual std::vector<cv::Vec3f> findCircles(WorkImages& work, cv::Rect area,
                                             const CircleSearch& search) const = 0;
  // True: the filters run over the whole picture, and the whole picture is undistorted.
  virtual bool wholePicture() const = 0;
};
const DetectionStages& fastStages();

// The work images of a tracking run, shared by the four colour passes; 8-bit, frame-sized.
// Each is zero outside the area its last writer wrote, so clearing one clears just that area.
struct WorkImages {
  cv::Mat similarity, mask, median, edges, smoothed;
  cv::Mat ones, counts;     // the fast median's buffers
  SimilarityScorer scorer;  // keeps the four balls' score tables for the run
  CircleDetector circles;   // keeps its buffers for the run
  const DetectionStages* stages = &fastStages();
  // The range constant's scale for the run's camera and balls (see rangeScale).
  double rangeScale = 1;
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

// Second half: draws every circle on display, records the strongest (the first) in ball and its
// boxes, then shows the six windows (opening the work windows on the first pass of a frame).
void recordBallCircles(circles& ball, const std::vector<cv::Vec3f>& found, cv::Mat& display,
                       const BallBoxes& boxes, const WorkImages& work, Host& host, bool firstPass);

// Both halves, for the colour passes after the first.
void detect_ball(circles& ball, const cv::Mat& frame, cv::Mat& display, WorkImages& work,
                 const BallBoxes& boxes, Host& host);

}  // namespace Orvanta
