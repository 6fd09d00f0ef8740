// Camera files in the formats users have: OpenCV's own YAML and XML as its calibration writes
// them, and ROS camera_info YAML; and the clear refusal of files that are no camera.
#include <gtest/gtest.h>

#include "camera_file.hpp"

namespace Orvanta::site {
namespace {

// A camera file as cv::FileStorage writes it, in the format the name's extension gives.
std::string writtenByOpenCV(const char* name, const cv::Mat& k, const cv::Mat& d) {
  cv::FileStorage file(name, cv::FileStorage::WRITE | cv::FileStorage::MEMORY);
  file << "image_width" << 640 << "image_height" << 480;
  file << "camera_matrix" << k << "distortion_coefficients" << d;
  return file.releaseAndGetString();
}

const char* const kRosCameraInfo = R"(image_width: 640
image_height: 480
camera_name: front
camera_matrix:
  rows: 3
  cols: 3
  data: [600.5, 0, 321.25, 0, 601, 238.5, 0, 0, 1]
distortion_model: plumb_bob
distortion_coefficients:
  rows: 1
  cols: 5
  data: [-0.3, 0.1, 0.001, -0.002, 0.01]
rectification_matrix:
  rows: 3
  cols: 3
  data: [1, 0, 0, 0, 1, 0, 0, 0, 1]
projection_matrix:
  rows: 3
  cols: 4
  data: [600.5, 0, 321.25, 0, 0, 601, 238.5, 0, 0, 0, 1, 0]
)";

TEST(CameraFile, ReadsTheFormatsUsersHave) {
  const cv::Mat k = (cv::Mat_<double>(3, 3) << 600.5, 0, 321.25, 0, 601, 238.5, 0, 0, 1);
  const cv::Mat five = (cv::Mat_<double>(1, 5) << -0.3, 0.1, 0.001, -0.002, 0.01);
  const cv::Mat eight = (cv::Mat_<double>(8, 1) << -0.3, 0.1, 0.001, -0.002, 0.01, 0.02, 0, 0.003);
  const cv::Mat four = (cv::Mat_<double>(1, 4) << 0.1, 0, 0, 0);
  const struct {
    std::string text;
    cv::Mat distortion;
  } files[] = {{writtenByOpenCV("camera.yml", k, five), five},
               {writtenByOpenCV("camera.xml", k, eight), eight},
               {writtenByOpenCV("camera.yml", k, four), four},
               {kRosCameraInfo, five}};
  for (const auto& file : files) {
    std::string problem;
    const std::optional<CameraModel> camera = parseCameraText(file.text, &problem);
    ASSERT_TRUE(camera) << problem << "\n" << file.text;
    EXPECT_EQ(camera->size, cv::Size(640, 480));
    EXPECT_EQ(cv::norm(cv::Mat(camera->intrinsics), k, cv::NORM_INF), 0);
    for (int i = 0; i < 12; ++i)
      EXPECT_EQ(camera->distortion[i],
                i < int(file.distortion.total()) ? file.distortion.at<double>(i) : 0);
  }
}

TEST(CameraFile, RefusesWhatIsNoCameraWithTheReason) {
  const std::string ros = kRosCameraInfo;
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = ros;
    return text.replace(text.find(from), from.size(), to);
  };
  const struct {
    std::string text;
    std::string reason;
  } files[] = {
      {"", "not a camera file"},
      {"{]\x01", "not a camera file"},
      {"image_width: 640\n", "camera_matrix must be"},
      {replaced("600.5, 0, 321.25", "-600.5, 0, 321.25"), "with fx, fy > 0"},
      {replaced("600.5, 0, 321.25", "600.5, 3, 321.25"), "[fx, 0, cx, 0, fy, cy, 0, 0, 1]"},
      {replaced("601, 238.5, 0, 0, 1]\ndist", ".nan, 238.5, 0, 0, 1]\ndist"), "3x3 numbers"},
      {replaced("rows: 3\n  cols: 3\n  data: [600.5", "rows: 2\n  cols: 3\n  data: [600.5"),
       "3x3 numbers"},
      {replaced("plumb_bob", "equidistant"), "fisheye lens is not supported"},
      {replaced("cols: 5\n  data: [-0.3, 0.1, 0.001, -0.002, 0.01]",
                "cols: 3\n  data: [-0.3, 0.1, 0.001]"),
       "4, 5, 8 or 12 numbers"},
      {replaced("[-0.3, 0.1", "[.inf, 0.1"), "4, 5, 8 or 12 numbers"},
      {replaced("image_width: 640", "image_width: 0"), "image_width and image_height"},
      {replaced("image_height: 480", "image_height: 480.5"), "image_width and image_height"},
      {replaced("321.25, 0, 601", "-5, 0, 601"), "principal point (cx, cy) lies outside"},
      {replaced("[-0.3, 0.1", "[3, -40"), "fold the picture"},
  };
  for (const auto& file : files) {
    std::string problem;
    EXPECT_FALSE(parseCameraText(file.text, &problem)) << file.text;
    EXPECT_NE(problem.find(file.reason), std::string::npos) << problem << "\n" << file.text;
    EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
  }
}

TEST(CameraFile, ScalesToPicturesOfItsShapeOnly) {
  std::string problem;
  const CameraModel camera = *parseCameraText(kRosCameraInfo, &problem);
  const std::optional<CameraModel> doubled = cameraForPictures(camera, {1280, 960}, &problem);
  ASSERT_TRUE(doubled);
  EXPECT_DOUBLE_EQ(doubled->intrinsics(0, 0), 1201);
  EXPECT_DOUBLE_EQ(doubled->intrinsics(1, 2), 477);
  EXPECT_EQ(doubled->distortion, camera.distortion);
  EXPECT_FALSE(cameraForPictures(camera, {1280, 720}, &problem));
  EXPECT_EQ(problem,
            "the camera file is for 640x480 pictures and these are 1280x720, of another shape: "
            "calibrate the camera at this size");
}

}  // namespace
}  // namespace Orvanta::site
