// Process-wide state of the vision program: the ball records, the estimated position, the
// landmark coordinates, the range-model constants, the trackbar state, the camera and the
// calibration globals. Activities and callbacks communicate only through these.
#pragma once

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include "landmark_layout.hpp"

namespace Orvanta {

// One landmark ball: calibrated colour and last detection.
struct circles {
  int r = 0, g = 0, b = 0;
  int h = 0, s = 0, v = 0;
  int threshold = 0;
  double hsvNorm = 0;
  double distance = 0;  // metres
  int x = 0, y = 0;     // centre, pixels
  int radius = 0;       // pixels
  bool found = false;
};

// A ball whose colour has been chosen (a threshold, or a colour with a norm).
inline bool calibrated(const circles& ball) {
  return ball.hsvNorm > 0 || ball.threshold > 0;
}

// Estimated camera position in the landmark frame, metres.
struct camera {
  double x = 0, y = 0, z = 0;
};

// Balls in their fixed order: 1 green, 2 red, 3 blue, 4 yellow.
extern circles zelena, crvena, plava, zuta;
// zelena, crvena, plava, zuta for ball 1..4.
circles& ballRecord(int ball);
extern camera kamera;

// Landmark coordinates, single precision as installed; widened when landmarkpos is built.
extern float dx1, dx2, dx3, dx4, dy1, dy2, dy3, dy4, dz1, dz2, dz3, dz4;
extern double landmarkpos[12];  // row by row: dx1..dx4, dy1..dy4, dz1..dz4
extern cv::Mat landMarkPos;     // 3x4 CV_64FC1; a header over landmarkpos once tracking starts
// Fills landmarkpos with the layout's centres (the design's rectangle as installed, in single
// precision) and makes landMarkPos a header over it; the tracking loop calls it at each start.
void bindLandmarks(const site::LandmarkLayout& layout = site::defaultLayout());

// Range model: a ball seen with radius rPredmeta pixels stands dPredmeta centimetres away.
extern const double rPredmeta, dPredmeta;

// Trackbar positions (updated by the trackbar itself) and their copies (read by detection).
extern int high_switch_value, low_switch_value, high_switch_value_filt, low_switch_value_filt,
    high_switch_value_hough, low_switch_value_hough, switch_value_median;
extern int highInt, lowInt, highIntFilt, lowIntFilt, highIntHough, lowIntHough, IntMedian;
void switch_callback_h(int position);
void switch_callback_l(int position);
void switch_filt_callback_h(int position);
void switch_filt_callback_l(int position);
void hough_switch_callback_h(int position);
void hough_switch_callback_l(int position);
void median_switch_callback_h(int position);

// Camera and pictures.
extern cv::VideoCapture capture;
extern cv::Mat frame;                 // last frame queried
extern cv::Mat image;                 // still picture kept by the preview for the calibration
extern const char* const name;        // "RGB prikaz slike"
extern const char* const name_video;  // "Video"
extern char c;                        // last key of any key wait

// Calibration.
extern bool odabran_piksel;    // a colour has been sampled; tracking refuses to run before
extern int brojOdabranihBoja;  // colours sampled in the current calibration, 0..4
extern cv::Rect box;           // click slot: x, y of the last left press; -1 once taken
extern bool izmjena;           // a press arrived and has not been taken yet

}  // namespace Orvanta
