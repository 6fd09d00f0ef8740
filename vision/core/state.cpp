// The globals of the vision program with their values at start.
#include "state.hpp"

#include <array>

#include "landmark_layout.hpp"

namespace Orvanta {

circles zelena, crvena, plava, zuta;
camera kamera;

circles& ballRecord(int ball) {
  static const std::array<circles*, site::kBallCount> records = {&zelena, &crvena, &plava, &zuta};
  return *records.at(ball - 1);
}

// The default layout in single precision as installed: the matrix sees 0.699999988079071 for 0.7.
namespace {
constexpr float coordinate(int ball, int axis) {
  return float(site::kDefaultCentres[ball - 1][axis]);
}
}  // namespace
float dx1 = coordinate(1, 0), dx2 = coordinate(2, 0), dx3 = coordinate(3, 0),
      dx4 = coordinate(4, 0);
float dy1 = coordinate(1, 1), dy2 = coordinate(2, 1), dy3 = coordinate(3, 1),
      dy4 = coordinate(4, 1);
float dz1 = coordinate(1, 2), dz2 = coordinate(2, 2), dz3 = coordinate(3, 2),
      dz4 = coordinate(4, 2);
// Defined after the floats so that their values are in place when these are built.
double landmarkpos[12] = {dx1, dx2, dx3, dx4, dy1, dy2, dy3, dy4, dz1, dz2, dz3, dz4};
cv::Mat landMarkPos(3, 4, CV_64FC1);

void bindLandmarks(const site::LandmarkLayout& layout) {
  const bool installed = layout.centres == site::defaultLayout().centres;
  const float single[12] = {dx1, dx2, dx3, dx4, dy1, dy2, dy3, dy4, dz1, dz2, dz3, dz4};
  for (int k = 0; k < site::kBallCount; ++k) {
    const cv::Point3d& c = layout.centres[k];
    landmarkpos[k] = installed ? single[k] : c.x;
    landmarkpos[4 + k] = installed ? single[4 + k] : c.y;
    landmarkpos[8 + k] = installed ? single[8 + k] : c.z;
  }
  landMarkPos = cv::Mat(3, 4, CV_64FC1, landmarkpos);
}

const double rPredmeta = 41.0;
const double dPredmeta = 60.0;

int high_switch_value = 0, low_switch_value = 0, high_switch_value_filt = 0,
    low_switch_value_filt = 0, high_switch_value_hough = 0, low_switch_value_hough = 0,
    switch_value_median = 0;
int highInt = 0, lowInt = 0, highIntFilt = 0, lowIntFilt = 0, highIntHough = 0, lowIntHough = 0,
    IntMedian = 0;

void switch_callback_h(int position) {
  highInt = position;
}
void switch_callback_l(int position) {
  lowInt = position;
}
void switch_filt_callback_h(int position) {
  highIntFilt = position;
}
void switch_filt_callback_l(int position) {
  lowIntFilt = position;
}
void hough_switch_callback_h(int position) {
  highIntHough = position;
}
void hough_switch_callback_l(int position) {
  lowIntHough = position;
}
void median_switch_callback_h(int position) {
  IntMedian = position;
}

// The camera is opened by the program itself (its source is a command-line choice), not here.
cv::VideoCapture capture;
cv::Mat frame;
cv::Mat image;
const char* const name = "RGB prikaz slike";
const char* const name_video = "Video";
char c = 0;

bool odabran_piksel = false;
int brojOdabranihBoja = 0;
cv::Rect box;
bool izmjena = false;

}  // namespace Orvanta
