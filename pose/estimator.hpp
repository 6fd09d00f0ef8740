// The precise estimate of one picture: each ball found and measured on the raw picture, then
// the camera's pose from their centres. It keeps where it last saw each ball and looks there
// first; a ball it lost it looks for where the last pose puts it, then over the whole picture at
// reduced resolution, and only on every few pictures once it has been lost for a while.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>

#include "ball_measurement.hpp"
#include "blob.hpp"
#include "camera_model.hpp"
#include "camera_pose.hpp"
#include "colour_classes.hpp"
#include "landmark_layout.hpp"
#include "pinhole.hpp"

namespace Orvanta::pose {

struct EstimatorSettings {
  site::CameraModel camera = site::defaultCamera();  // at the pictures' size
  site::LandmarkLayout layout = site::defaultLayout();
  // Calibrated RGB of each ball; none: not calibrated, never looked for.
  std::array<std::optional<cv::Vec3d>, site::kBallCount> colours;
  PoseParameters parameters;  // as for 320x240 pictures; scaled to the camera's size
};

struct PictureEstimate {
  CameraPose pose;
  std::array<std::optional<BallMeasurement>, site::kBallCount> balls;
};

class PoseEstimator {
 public:
  explicit PoseEstimator(const EstimatorSettings& settings);

  // An 8-bit BGR picture as the camera delivered it (not undistorted).
  PictureEstimate estimate(const cv::Mat& bgr);

 private:
  EstimatorSettings settings_;
  PoseParameters parameters_;  // at the pictures' size
  PinholeCamera pinhole_;
  UndistortionTable table_;
  ColourClasses classes_;
  std::array<std::optional<BallMeasurement>, site::kBallCount> last_;
  std::array<int, site::kBallCount> unseen_{};  // pictures since each ball was last found
  CameraPose lastPose_;

  std::optional<BallMeasurement> findNear(const cv::Mat& bgr, int ball);
  bool wholeSearchDue(int ball) const;
  void countUnseen(int ball);

  std::optional<BallMeasurement> findAndMeasure(ReducedPicture& picture, int ball);
  std::optional<BallMeasurement> measure(const cv::Mat& bgr, const std::optional<Blob>& blob);
};

}  // namespace Orvanta::pose
