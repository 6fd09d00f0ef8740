// orvanta calibrate-camera on a chessboard filmed through a lens that is not the vehicle's, as
// MJPG: the camera it recovers, and the runs that must write nothing.
#include <gtest/gtest.h>

#include <opencv2/calib3d.hpp>

#include "camera_file.hpp"
#include "scene.hpp"
#include "support/run_program.hpp"
#include "support/vision_state.hpp"

using namespace OrvantaTest;
using namespace Orvanta;

namespace {

const site::CameraModel kLens{
    {600, 0, 320, 0, 600, 240, 0, 0, 1}, site::Distortion(-0.3, 0.1), {640, 480}};

// A chessboard video of `views` pictures through kLens, as an operator films it.
std::string writeBoardVideo(const std::filesystem::path& dir, int views) {
  scene::SceneOptions options{.size = kLens.size, .mjpgQuality = 85};
  options.camera = kLens;
  options.board = scene::Chessboard{9, 6, 0.04};
  const std::string video = (dir / "board.avi").string();
  std::string error;
  EXPECT_TRUE(
      scene::writeVideo(video, scene::chessboardViews(views, *options.board), options, &error))
      << error;
  return video;
}

// The rms distance between where the two lenses show the same directions through a's
// intrinsics, over the picture.
double lensDifference(const site::CameraModel& a, const site::CameraModel& b) {
  std::vector<cv::Point2d> pixels, rays, shown;
  for (int y = 0; y < a.size.height; y += 16)
    for (int x = 0; x < a.size.width; x += 16) pixels.emplace_back(x, y);
  cv::undistortPoints(pixels, rays, a.intrinsics, a.distortion, cv::noArray(), cv::noArray(),
                      cv::TermCriteria(cv::TermCriteria::COUNT, 100, 0));
  std::vector<cv::Point3d> points;
  for (const cv::Point2d& r : rays) points.emplace_back(r.x, r.y, 1);
  cv::projectPoints(points, cv::Vec3d(), cv::Vec3d(), a.intrinsics, b.distortion, shown);
  double sum = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i)
    sum += std::pow(cv::norm(shown[i] - pixels[i]), 2);
  return std::sqrt(sum / pixels.size());
}

}  // namespace

TEST(CalibrateCamera, RecoversTheLensFromAChessboardVideo) {
  const auto dir = scratchFolder();
  const std::string out = (dir / "camera.yml").string();
  const Outcome run =
      runProgram(ORVANTA_PATH, dir,
                 {"calibrate-camera", "--headless", "--camera", writeBoardVideo(dir, 120),
                  "--board", "9x6", "--square", "0.04", "--out", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find("warning"), std::string::npos) << run.out;
  std::string problem;
  const std::optional<site::CameraModel> camera = site::readCameraFile(out, &problem);
  ASSERT_TRUE(camera) << problem;
  for (const auto& [row, column] : {std::pair{0, 0}, {1, 1}, {0, 2}, {1, 2}})
    EXPECT_NEAR(camera->intrinsics(row, column), kLens.intrinsics(row, column),
                0.005 * kLens.intrinsics(row, column));
  EXPECT_LT(lensDifference(kLens, *camera), 0.1);
  const double rms = std::stod(run.out.substr(run.out.find("error: ") + 7));
  EXPECT_LT(rms, 0.3) << run.out;
  RecordProperty("rms_px", std::to_string(rms));
  RecordProperty("lens_rms_px", std::to_string(lensDifference(kLens, *camera)));
}

TEST(CalibrateCamera, RunsThatCannotCalibrateWriteNothing) {
  const auto dir = scratchFolder();
  const std::string board = writeBoardVideo(dir, 6);
  std::string error;
  const std::string balls = (dir / "balls.avi").string();
  ASSERT_TRUE(scene::writeVideo(balls, scene::dive(10), {}, &error)) << error;
  const std::string out = (dir / "camera.yml").string();
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string says;
  } cases[] = {
      {{"--camera", balls, "--board", "9x6", "--square", "0.04", "--out", out},
       1,
       "0 different views"},
      {{"--camera", board, "--board", "9x6", "--square", "0.04", "--out", board},
       2,
       "is the camera source's input"},
      {{"--camera", (dir / "none.avi").string(), "--board", "9x6", "--square", "0.04", "--out",
        out},
       2,
       "cannot be opened"},
      {{"--camera", board, "--board", "9", "--square", "0.04", "--out", out}, 2, "COLSxROWS"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"calibrate-camera", "--headless"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome run = runProgram(ORVANTA_PATH, dir, args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << c.says;
  }
  EXPECT_GT(std::filesystem::file_size(board), 0u);
}
