// A camera model from the views of a chessboard, and what tells whether to trust it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "camera_model.hpp"
#include "view_collector.hpp"

namespace Orvanta {

struct CameraCalibration {
  site::CameraModel camera;
  double rmsPx = 0;                   // reprojection error over every corner of every view
  std::vector<double> viewRmsPx;      // per view, in the collector's order
  double coverage = 0;                // as ViewCollector::coverage
  double largestTiltDegrees = 0;      // of the board against the viewing direction
  std::vector<std::string> warnings;  // why the model may not be trustworthy; empty when it is
};

// The least number of views a calibration is made from.
inline constexpr int kLeastViews = 6;

// cv::calibrateCamera over the collected views (k1, k2, p1, p2, k3). Nothing with fewer than
// kLeastViews views.
std::optional<CameraCalibration> calibrateCamera(const ViewCollector& views);

// The camera file as OpenCV's own calibration writes it (YAML), with the rms error and the
// number of views.
std::string cameraFileText(const CameraCalibration& calibration, int views);

}  // namespace Orvanta
