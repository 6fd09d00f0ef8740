// The chessboard target of a camera calibration, rendered through the lens, and the views an
// operator takes of it.
#include <cmath>
#include <numbers>

#include "noise.hpp"
#include "ray_table.hpp"
#include "scene.hpp"

namespace Orvanta::scene {

namespace {

const cv::Vec3f kWhite(190, 195, 185), kBlack(35, 38, 32), kWater(84, 82, 66);

// The colour the landmark-frame ray from `origin` meets: a square of the board, its white
// margin, or the water where it misses the board.
cv::Vec3f boardColour(const Chessboard& board, const cv::Vec3d& origin, const cv::Vec3d& ray) {
  if (!(ray[2] * origin[2] < 0)) return kWater;  // parallel to the board, or away from it
  const double t = -origin[2] / ray[2];
  // Squares 1..columns+1 across hold the corners; 0 and columns+2 are the white margin.
  const double x = (origin[0] + t * ray[0]) / board.square + 2;
  const double y = (origin[1] + t * ray[1]) / board.square + 2;
  if (x < 0 || y < 0 || x >= board.columns + 3 || y >= board.rows + 3) return kWater;
  const int column = int(x), row = int(y);
  const bool margin =
      column == 0 || row == 0 || column == board.columns + 2 || row == board.rows + 2;
  return !margin && (column + row) % 2 == 0 ? kBlack : kWhite;
}

}  // namespace

cv::Mat renderChessboard(const Pose& pose, const SceneOptions& options, int frameIndex) {
  const RayTable& rays = rayTable(sceneCamera(options));
  const cv::Matx33d toLandmark = pose.rotation.t();
  cv::Mat image(options.size, CV_32FC3);
  for (int v = 0; v < image.rows; ++v) {
    auto* row = image.ptr<cv::Vec3f>(v);
    for (int u = 0; u < image.cols; ++u) {
      // 3 x 3 rays over the pixel's area: the squares' edges are anti-aliased.
      cv::Vec3f sum(0, 0, 0);
      for (double dv : {-1.0 / 3, 0.0, 1.0 / 3})
        for (double du : {-1.0 / 3, 0.0, 1.0 / 3})
          sum += boardColour(*options.board, pose.position, toLandmark * rays.at(u + du, v + dv));
      row[u] = sum / 9.0f;
    }
  }
  addSensorNoise(image, options, frameIndex);
  cv::Mat frame;
  image.convertTo(frame, CV_8UC3);
  return frame;
}

std::vector<Pose> chessboardViews(int frames, const Chessboard& board) {
  const double width = (board.columns + 1) * board.square;
  const cv::Vec3d centre((board.columns - 1) * board.square / 2,
                         (board.rows - 1) * board.square / 2, 0);
  std::vector<Pose> poses;
  for (int i = 0; i < frames; ++i) {
    const double s = frames > 1 ? double(i) / (frames - 1) : 0.0;
    const double a = 2 * std::numbers::pi * s;
    // Tilt up to 45 degrees, its direction turning twice; the distance breathing in and out.
    const double tilt = 45 * std::numbers::pi / 180 * std::abs(std::sin(3 * a));
    const double distance = width * (1.5 + 2 * (0.5 + 0.5 * std::cos(5 * a)));
    const cv::Vec3d from =
        centre + distance * cv::Vec3d(std::sin(tilt) * std::cos(2 * a),
                                      std::sin(tilt) * std::sin(2 * a), -std::cos(tilt));
    // Aiming off the centre moves the board over the picture.
    const cv::Vec3d aim =
        centre + 0.35 * distance * cv::Vec3d(std::sin(7 * a), std::cos(4 * a) * 0.75, 0);
    poses.push_back(lookAt(from, aim, 30 * std::sin(9 * a)));
  }
  return poses;
}

}  // namespace Orvanta::scene
