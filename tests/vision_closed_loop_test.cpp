// The whole chain closed: quellmar simulates the vehicle moving over the balls and writes its
// camera's poses, orvanta-scene renders them as MJPG video, orvanta tracks the video, and the
// tracked poses are compared with the simulated ones.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/range_tolerance.hpp"
#include "support/run_program.hpp"
#include "support/scratch.hpp"

using namespace OrvantaTest;

namespace {

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : lines(text)) {
    std::vector<std::string> fields;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

cv::Vec3d positionOf(const std::vector<std::string>& row, int first) {
  return {std::stod(row[first]), std::stod(row[first + 1]), std::stod(row[first + 2])};
}

}  // namespace

TEST(ClosedLoop, SimulatedMotionRenderedAndTrackedComesBack) {
  const auto dir = scratchFolder();
  const auto path = [&](const char* name) { return (dir / name).string(); };
  // Three seconds from 1.6 m above the rectangle, heading east, pushed ahead and turning.
  Outcome run = runProgram(
      QUELLMAR_PATH, dir,
      {"simulate", "--duration", "3", "--state", "0.05,0,0,0,0,0.05,0.35,0.2,1.4,0,0,1.5707963",
       "--tau", "1,0,0,0,0,0.001", "--bottom-depth", "3", "--camera-poses", path("camera.csv"),
       "--csv", path("state.csv")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = runProgram(SCENE_PATH, dir,
                   {"--poses", path("camera.csv"), "--out", path("scene"), "--video",
                    path("sim.avi"), "--threshold", "210", "--shading", "0.5"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = runProgram(ORVANTA_PATH, dir,
                   {"--headless", "--camera", path("sim.avi"), "--calibration",
                    (dir / "scene" / "calibration.json").string(), "--trackbars", "IntMedian=2",
                    "--poses", path("tracked.csv"), "--csv", path("track.csv")});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const auto truth = csvRows(readFile(dir / "camera.csv"));     // frame from 1
  const auto tracked = csvRows(readFile(dir / "tracked.csv"));  // picture from 0
  ASSERT_EQ(truth.size(), 92u);                                 // 3 s at 30 frames per second
  ASSERT_EQ(tracked.size(), truth.size());
  std::vector<double> errors;
  for (std::size_t k = 1; k < tracked.size(); ++k) {
    ASSERT_EQ(tracked[k][11], "ok") << k;
    errors.push_back(cv::norm(positionOf(tracked[k], 2) - positionOf(truth[k], 1)));
    // The attitude too: the quaternion, up to its sign.
    const cv::Vec4d q(std::stod(tracked[k][5]), std::stod(tracked[k][6]), std::stod(tracked[k][7]),
                      std::stod(tracked[k][8]));
    const cv::Vec4d expected(std::stod(truth[k][4]), std::stod(truth[k][5]), std::stod(truth[k][6]),
                             std::stod(truth[k][7]));
    EXPECT_LT(std::min(cv::norm(q - expected), cv::norm(q + expected)), 5e-3) << k;
  }
  std::sort(errors.begin(), errors.end());
  EXPECT_LT(errors[errors.size() / 2], 0.005);
  EXPECT_LT(errors.back(), 0.02);

  // The range solver, window by window: pass k searched picture 2k - 1, truth row 2k. It moves a
  // few centimetres within a window on top of what whole-pixel radii allow.
  const auto windows = csvRows(readFile(dir / "track.csv"));
  int solved = 0;
  for (std::size_t w = 1; w < windows.size(); ++w) {
    if (windows[w][6].empty()) continue;
    ++solved;
    const int pass = std::stoi(windows[w][0]);
    const cv::Vec3d at = positionOf(truth[std::size_t(2 * pass)], 1);
    const cv::Vec3d tolerance = positionTolerance(at) + cv::Vec3d::all(0.05);
    const cv::Vec3d error = positionOf(windows[w], 6) - at;
    for (int axis = 0; axis < 3; ++axis)
      EXPECT_LE(std::abs(error[axis]), tolerance[axis]) << "pass " << pass << " axis " << axis;
  }
  EXPECT_GT(solved, 0);
}
