#include "camera_calibration.hpp"

#include <cmath>
#include <cstdio>
#include <opencv2/calib3d.hpp>

namespace Orvanta {

namespace {

constexpr double kLeastCoverage = 0.5;    // share of the picture the corners should reach
constexpr double kLeastTiltDegrees = 20;  // without tilt the focal length is poorly fixed
constexpr int kEnoughViews = 15;

std::vector<cv::Point3f> boardPoints(const BoardSpec& board) {
  std::vector<cv::Point3f> points;
  for (int row = 0; row < board.corners.height; ++row)
    for (int column = 0; column < board.corners.width; ++column)
      points.emplace_back(float(column * board.square), float(row * board.square), 0.0f);
  return points;
}

std::string percent(double share) {
  return std::to_string(int(std::lround(100 * share))) + " %";
}

std::vector<std::string> warningsFor(const CameraCalibration& c, int views) {
  std::vector<std::string> warnings;
  if (views < kEnoughViews)
    warnings.push_back("only " + std::to_string(views) + " different views: take at least " +
                       std::to_string(kEnoughViews));
  if (c.coverage < kLeastCoverage)
    warnings.push_back("the board reached only " + percent(c.coverage) +
                       " of the picture: move it into the corners and along the edges");
  if (c.largestTiltDegrees < kLeastTiltDegrees)
    warnings.push_back("the board was never tilted more than " +
                       std::to_string(int(c.largestTiltDegrees)) +
                       " degrees: tilt it 30 to 45 degrees, in turn about both axes");
  return warnings;
}

}  // namespace

std::optional<CameraCalibration> calibrateCamera(const ViewCollector& collector) {
  const std::vector<BoardView>& views = collector.views();
  if (int(views.size()) < kLeastViews) return std::nullopt;
  const std::vector<std::vector<cv::Point3f>> objects(views.size(), boardPoints(collector.board()));
  std::vector<std::vector<cv::Point2f>> images;
  for (const BoardView& view : views) images.push_back(view.corners);
  cv::Mat k, d, perView;
  std::vector<cv::Mat> rotations, translations;
  CameraCalibration c;
  c.rmsPx = cv::calibrateCamera(objects, images, collector.pictureSize(), k, d, rotations,
                                translations, cv::noArray(), cv::noArray(), perView);
  c.camera = {cv::Matx33d(k.ptr<double>()), site::Distortion::zeros(), collector.pictureSize()};
  for (int i = 0; i < int(d.total()) && i < 12; ++i) c.camera.distortion[i] = d.at<double>(i);
  for (int i = 0; i < perView.rows; ++i) c.viewRmsPx.push_back(perView.at<double>(i));
  for (const cv::Mat& r : rotations) {
    cv::Matx33d rotation;
    cv::Rodrigues(r, rotation);
    const double tilt = std::acos(std::min(1.0, std::abs(rotation(2, 2)))) * 180 / CV_PI;
    c.largestTiltDegrees = std::max(c.largestTiltDegrees, tilt);
  }
  c.coverage = collector.coverage();
  c.warnings = warningsFor(c, int(views.size()));
  return c;
}

std::string cameraFileText(const CameraCalibration& c, int views) {
  cv::FileStorage file("camera.yml", cv::FileStorage::WRITE | cv::FileStorage::MEMORY);
  file << "image_width" << c.camera.size.width << "image_height" << c.camera.size.height;
  file << "camera_matrix" << cv::Mat(c.camera.intrinsics);
  file << "distortion_coefficients" << cv::Mat(c.camera.distortion).rowRange(0, 5).t();
  file << "avg_reprojection_error" << c.rmsPx << "views_used" << views;
  return file.releaseAndGetString();
}

}  // namespace Orvanta
