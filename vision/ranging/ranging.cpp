#include "ranging.hpp"

#include <cmath>
#include <opencv2/imgproc.hpp>

#include "detection.hpp"
#include "state.hpp"

namespace Orvanta {

double udaljenostPredmeta(int radius) {
  const double centimetres = rPredmeta * dPredmeta / radius;
  return centimetres / 100;
}

double rangeScale(const site::CameraModel& camera, double ballRadius) {
  return camera.focal() / site::defaultCamera().focal() * (ballRadius / site::kDefaultBallRadius);
}

void drawBallCircle(cv::Mat& display, const cv::Vec3f& circle) {
  const cv::Point centre(cvRound(circle[0]), cvRound(circle[1]));
  cv::circle(display, centre, 3, cv::Scalar(0, 255, 0), cv::FILLED, cv::LINE_8, 0);
  cv::circle(display, centre, cvRound(circle[2]), cv::Scalar(0, 0, 255), 3, cv::LINE_8, 0);
}

void showDetectionWindows(ImageWindows& windows, const cv::Mat& display, const WorkImages& work,
                          bool createWindows) {
  windows.show("Hough Detection", display);
  const std::pair<const char*, const cv::Mat*> stages[] = {{"grey manuel", &work.similarity},
                                                           {"grey", &work.mask},
                                                           {"Median", &work.median},
                                                           {"Canny", &work.edges},
                                                           {"Canny & Gaus", &work.smoothed}};
  for (const auto& [window, picture] : stages) {
    if (createWindows) windows.namedWindow(window);
    windows.show(window, *picture);
  }
}

}  // namespace Orvanta
