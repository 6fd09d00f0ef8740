// Synthetic frames of the four landmark balls as the vehicle's camera sees them: test input,
// benchmark input and the vision program's demo source when no camera is attached.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace Orvanta::scene {

constexpr int kBallCount = 4;
constexpr double kBallRadius = 0.05;  // metres

// Camera at `position` looking at `target`, both in the landmark frame (metres). Image "up" is
// the landmark frame's +y projected onto the image plane, so a camera above the rectangle sees
// green and red at the top; when the view runs along y, +z is up instead.
struct Pose {
  cv::Vec3d position;
  cv::Vec3d target;
};

struct SceneOptions {
  // The intrinsics scale with the size relative to 320x240, so every size shows the same view.
  cv::Size size{320, 240};
  unsigned seed = 1;    // with the frame index, selects the sensor noise
  double noise = 2.0;   // standard deviation of the sensor noise, grey levels
  bool distort = true;  // false: an ideal pinhole camera
};

// Centre of ball 1..4 (green, red, blue, yellow); not-a-number for any other index.
cv::Vec3d ballCentre(int ball);

// BGR CV_8UC3 frame: shaded spheres over murky water. Deterministic in (pose, options,
// frameIndex); the noise differs between frame indices and seeds.
cv::Mat render(const Pose& pose, const SceneOptions& options, int frameIndex = 0);

// Euclidean distance from `position` to each ball centre, in ball order.
std::array<double, kBallCount> trueDistances(const cv::Vec3d& position);

// Where the centre of ball 1..4 appears in the frame (through the lens distortion when the
// options ask for it), in pixels.
cv::Point2d projectBall(const Pose& pose, int ball, const SceneOptions& options);

// The frame's pixel at the ball's projected centre; black when that lies outside the frame.
cv::Vec3b sampleBall(const cv::Mat& frame, const Pose& pose, int ball, const SceneOptions& options);

// A slow descending circle over the rectangle, about 1.7 to 2.1 m from every ball, all four
// in view throughout.
std::vector<Pose> dive(int frames);

// Writes dir/frame_00001.png onwards (frame k rendered with frame index k) and dir/truth.csv
// with the camera position and the four true distances per frame. Creates `dir` if needed.
// On failure returns false with a one-line reason in *error (when given).
bool writeSequence(const std::string& dir, const std::vector<Pose>& poses,
                   const SceneOptions& options, std::string* error);

// The same frames as writeSequence, as an MJPG video at 30 frames per second.
bool writeVideo(const std::string& path, const std::vector<Pose>& poses,
                const SceneOptions& options, std::string* error);

// The vision program's calibration file: per ball the RGB at its projected centre in `frame`
// and the similarity threshold.
bool writeCalibration(const std::string& path, const cv::Mat& frame, const Pose& pose,
                      const SceneOptions& options, int threshold, std::string* error);

}  // namespace Orvanta::scene
