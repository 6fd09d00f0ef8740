#include "camera_file.hpp"

#include <cmath>
#include <cstdio>
#include <opencv2/calib3d.hpp>

#include "text_file.hpp"

namespace Orvanta::site {

namespace {

constexpr int kLargestSide = 16384;  // pixels
constexpr const char* kNotACameraFile =
    "not a camera file (OpenCV YAML or XML, or ROS camera_info YAML)";

std::string sizeText(cv::Size size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// A matrix as OpenCV writes it (!!opencv-matrix) or as ROS does ({rows, cols, data}), in
// doubles; empty when the node is neither.
cv::Mat readMatrix(const cv::FileNode& node) {
  if (node.isMap() && node["dt"].empty()) {
    const cv::FileNode data = node["data"];
    if (!data.isSeq() || !node["rows"].isInt() || !node["cols"].isInt()) return {};
    std::vector<double> values;
    for (const cv::FileNode& value : data) {
      if (!value.isReal() && !value.isInt()) return {};
      values.push_back(double(value));
    }
    const int rows = int(node["rows"]), cols = int(node["cols"]);
    if (rows < 1 || cols < 1 || std::size_t(rows) * std::size_t(cols) != values.size()) return {};
    return cv::Mat(values, true).reshape(1, rows);
  }
  cv::Mat matrix;
  if (node.isMap()) node >> matrix;
  if (!matrix.empty()) matrix.convertTo(matrix, CV_64F);
  return matrix;
}

bool allFinite(const cv::Mat& matrix) {
  return cv::checkRange(matrix, true, nullptr, -1e12, 1e12);
}

std::optional<std::string> intrinsicsProblem(const cv::Mat& k) {
  if (k.rows != 3 || k.cols != 3 || !allFinite(k)) return "camera_matrix must be 3x3 numbers";
  if (!(k.at<double>(0, 0) > 0 && k.at<double>(1, 1) > 0) || k.at<double>(0, 1) != 0 ||
      k.at<double>(1, 0) != 0 || k.at<double>(2, 0) != 0 || k.at<double>(2, 1) != 0 ||
      k.at<double>(2, 2) != 1)
    return "camera_matrix must be [fx, 0, cx, 0, fy, cy, 0, 0, 1] with fx, fy > 0";
  return std::nullopt;
}

std::optional<std::string> distortionProblem(const cv::FileStorage& file, const cv::Mat& d) {
  const cv::FileNode model = file["distortion_model"];
  if (!model.empty()) {
    const std::string name = model.isString() ? model.string() : "";
    if (name != "plumb_bob" && name != "rational_polynomial")
      return "distortion_model must be plumb_bob or rational_polynomial (a fisheye lens is not "
             "supported)";
  }
  const std::size_t count = d.total();
  if ((d.rows != 1 && d.cols != 1 && count != 0) || !allFinite(d) ||
      (count != 0 && count != 4 && count != 5 && count != 8 && count != 12))
    return "distortion_coefficients must be 4, 5, 8 or 12 numbers (k1, k2, p1, p2[, k3[, k4, "
           "k5, k6[, s1, s2, s3, s4]]])";
  return std::nullopt;
}

std::optional<cv::Size> readSize(const cv::FileStorage& file, std::string* problem) {
  const cv::FileNode w = file["image_width"], h = file["image_height"];
  if (!w.isInt() || !h.isInt() || int(w) < 1 || int(h) < 1 || int(w) > kLargestSide ||
      int(h) > kLargestSide) {
    *problem = "image_width and image_height must be whole numbers from 1 to " +
               std::to_string(kLargestSide);
    return std::nullopt;
  }
  return cv::Size(int(w), int(h));
}

// The lens model must map the picture one to one: every pixel of a grid over it, corners
// included, taken to its viewing direction and back lands where it was.
bool invertible(const CameraModel& camera) {
  std::vector<cv::Point2d> pixels, rays, back;
  for (int i = 0; i <= 16; ++i)
    for (int j = 0; j <= 16; ++j)
      pixels.emplace_back(i * (camera.size.width - 1) / 16.0, j * (camera.size.height - 1) / 16.0);
  cv::undistortPoints(pixels, rays, camera.intrinsics, camera.distortion, cv::noArray(),
                      cv::noArray(), cv::TermCriteria(cv::TermCriteria::COUNT, 200, 0));
  std::vector<cv::Point3d> points;
  for (const cv::Point2d& r : rays) points.emplace_back(r.x, r.y, 1);
  cv::projectPoints(points, cv::Vec3d(), cv::Vec3d(), camera.intrinsics, camera.distortion, back);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    if (!(cv::norm(back[i] - pixels[i]) < 0.01)) return false;
  return true;
}

std::optional<CameraModel> parseStorage(const cv::FileStorage& file, std::string* problem) {
  const cv::Mat k = readMatrix(file["camera_matrix"]);
  if (const auto bad = intrinsicsProblem(k)) return refuse(problem, *bad);
  const cv::Mat d = readMatrix(file["distortion_coefficients"]);
  if (file["distortion_coefficients"].empty() && !file["distortion_model"].empty())
    return refuse(problem, "distortion_coefficients are missing");
  if (const auto bad = distortionProblem(file, d)) return refuse(problem, *bad);
  const std::optional<cv::Size> size = readSize(file, problem);
  if (!size) return std::nullopt;
  CameraModel camera{cv::Matx33d(k.ptr<double>()), Distortion::zeros(), *size};
  for (std::size_t i = 0; i < d.total(); ++i) camera.distortion[int(i)] = d.at<double>(int(i));
  const cv::Matx33d& K = camera.intrinsics;
  if (K(0, 2) < 0 || K(0, 2) > size->width || K(1, 2) < 0 || K(1, 2) > size->height)
    return refuse(problem,
                  "the principal point (cx, cy) lies outside the " + sizeText(*size) + " picture");
  if (!invertible(camera))
    return refuse(problem,
                  "the distortion coefficients fold the picture over itself (no lens does)");
  return camera;
}

// OpenCV's reader knows a text's format by its first characters; a ROS camera_info file has no
// YAML directive.
std::string withFormatMark(const std::string& text) {
  for (const char* mark : {"%YAML", "<?xml", "{"})
    if (text.rfind(mark, 0) == 0) return text;
  return "%YAML:1.0\n" + text;
}

}  // namespace

std::optional<CameraModel> parseCameraText(const std::string& text, std::string* problem) {
  try {
    const cv::FileStorage file(withFormatMark(text),
                               cv::FileStorage::READ | cv::FileStorage::MEMORY);
    if (!file.isOpened() || file.root().empty()) return refuse(problem, kNotACameraFile);
    return parseStorage(file, problem);
  } catch (const cv::Exception&) {
    return refuse(problem, std::string(kNotACameraFile) + ": it does not parse");
  }
}

std::optional<CameraModel> readCameraFile(const std::string& path, std::string* problem) {
  const std::optional<std::string> text = readTextFile(path, problem);
  if (!text) return std::nullopt;
  return parseCameraText(*text, problem);
}

std::optional<CameraModel> cameraForPictures(const CameraModel& camera, cv::Size pictures,
                                             std::string* problem) {
  const double fileAspect = double(camera.size.width) / camera.size.height;
  const double aspect = double(pictures.width) / pictures.height;
  if (std::abs(aspect / fileAspect - 1) > 0.01)
    return refuse(problem, "the camera file is for " + sizeText(camera.size) +
                               " pictures and these are " + sizeText(pictures) +
                               ", of another shape: calibrate the camera at this size");
  return camera.at(pictures);
}

}  // namespace Orvanta::site
