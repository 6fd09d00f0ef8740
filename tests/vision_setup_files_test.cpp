// The user's camera and landmark files in a batch run: both chains use them, and a file that
// cannot serve stops the run before anything is written.
#include <gtest/gtest.h>

#include <fstream>
#include <opencv2/core.hpp>
#include <sstream>

#include "camera_model.hpp"
#include "scene.hpp"
#include "support/run_program.hpp"
#include "support/vision_state.hpp"

using namespace OrvantaTest;

namespace {

// The design's camera as a calibration at another size would write it, its focal lengths
// multiplied by `longer`.
void writeCameraFile(const std::filesystem::path& path, cv::Size size, double longer = 1) {
  Orvanta::site::CameraModel camera = Orvanta::site::defaultCamera().at(size);
  camera.intrinsics(0, 0) *= longer;
  camera.intrinsics(1, 1) *= longer;
  cv::FileStorage file(path.string(), cv::FileStorage::WRITE);
  file << "image_width" << size.width << "image_height" << size.height;
  file << "camera_matrix" << cv::Mat(camera.intrinsics) << "distortion_coefficients"
       << cv::Mat(cv::Vec4d(camera.distortion[0], camera.distortion[1], camera.distortion[2],
                            camera.distortion[3]));
}

// Columns x, y, z (from `first`) of every row with a number there.
std::vector<cv::Vec3d> positions(const std::string& text, int first) {
  std::vector<cv::Vec3d> found;
  const std::vector<std::string> rows = lines(text);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    std::vector<std::string> fields;
    std::istringstream row(rows[k]);
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    if (fields.size() > std::size_t(first + 2) && !fields[first].empty())
      found.emplace_back(std::stod(fields[first]), std::stod(fields[first + 1]),
                         std::stod(fields[first + 2]));
  }
  return found;
}

// The range table without its last column, the frame time.
std::string withoutTimes(const std::string& track) {
  std::string kept;
  for (const std::string& row : lines(track)) kept += row.substr(0, row.rfind(',')) + "\n";
  return kept;
}

struct Dive {
  std::filesystem::path dir = scratchFolder();
  std::string video = (dir / "survey.avi").string();
  std::string calibration = (dir / "calibration.json").string();

  Dive() {
    const Orvanta::scene::Pose top = Orvanta::scene::lookAt({0.35, -0.255, 1.5}, {0.35, -0.255, 0});
    std::string error;
    EXPECT_TRUE(Orvanta::scene::writeVideo(video, Orvanta::scene::dive(60), {}, &error));
    EXPECT_TRUE(Orvanta::scene::writeCalibration(calibration, Orvanta::scene::render(top, {}, 1),
                                                 top, {}, 210, &error));
  }

  // Ranges and poses with extra options; exit code and the two tables.
  std::tuple<int, std::string, std::string> run(std::vector<std::string> extra) const {
    std::vector<std::string> args = {"--headless",
                                     "--camera",
                                     video,
                                     "--calibration",
                                     calibration,
                                     "--trackbars",
                                     "IntMedian=2",
                                     "--csv",
                                     (dir / "track.csv").string(),
                                     "--poses",
                                     (dir / "poses.csv").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const Outcome outcome = runProgram(ORVANTA_PATH, dir, args);
    return {outcome.exitCode, readFile(dir / "track.csv"), posesWithoutLatency(dir / "poses.csv")};
  }
};

}  // namespace

TEST(SetupFiles, TheUsersCameraAndLandmarkReachBothChains) {
  const Dive dive;
  const auto [plainExit, plainTrack, plainPoses] = dive.run({});
  ASSERT_EQ(plainExit, 0);
  ASSERT_FALSE(positions(plainPoses, 2).empty());
  ASSERT_FALSE(positions(plainTrack, 6).empty());
  // The same camera, calibrated at twice the size: scaled back, every number as before.
  writeCameraFile(dive.dir / "camera.yml", {640, 480});
  const auto [cameraExit, cameraTrack, cameraPoses] =
      dive.run({"--camera-model", (dive.dir / "camera.yml").string()});
  ASSERT_EQ(cameraExit, 0);
  EXPECT_EQ(withoutTimes(cameraTrack), withoutTimes(plainTrack));
  EXPECT_EQ(cameraPoses, plainPoses);
  // A lens 10 % longer: the same balls stand 10 % farther in both chains (the range chain's
  // whole-pixel radii make each of its rows up to a tenth off, so their mean is compared).
  writeCameraFile(dive.dir / "long.yml", {640, 480}, 1.1);
  const auto [longExit, longTrack, longPoses] =
      dive.run({"--camera-model", (dive.dir / "long.yml").string()});
  ASSERT_EQ(longExit, 0);
  for (const auto& [plain, longer, first, rowTolerance, meanTolerance] :
       {std::tuple{plainTrack, longTrack, 6, 0.12, 0.04},
        std::tuple{plainPoses, longPoses, 2, 0.02, 0.01}}) {
    const std::vector<cv::Vec3d> before = positions(plain, first), after = positions(longer, first);
    ASSERT_EQ(before.size(), after.size());
    double sum = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_NEAR(after[i][2] / before[i][2], 1.1, rowTolerance) << i;
      sum += after[i][2] / before[i][2];
    }
    EXPECT_NEAR(sum / before.size(), 1.1, meanTolerance);
  }
  // The landmark said to stand 0.2 m east and 0.1 m south: every position moves with it.
  std::ofstream(dive.dir / "layout.json")
      << R"({"balls": {"green": [0.2, -0.1, 0], "red": [0.9, -0.1, 0], "blue": [0.9, -0.61, 0],
                       "yellow": [0.2, -0.61, 0]}})";
  const auto [layoutExit, layoutTrack, layoutPoses] =
      dive.run({"--layout", (dive.dir / "layout.json").string()});
  ASSERT_EQ(layoutExit, 0);
  for (const auto& [plain, moved, first] :
       {std::tuple{plainTrack, layoutTrack, 6}, std::tuple{plainPoses, layoutPoses, 2}}) {
    const std::vector<cv::Vec3d> before = positions(plain, first), after = positions(moved, first);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i)
      EXPECT_LT(cv::norm(after[i] - before[i] - cv::Vec3d(0.2, -0.1, 0)), 2e-3) << i;
  }
  // The calibration file may name the camera file, beside it.
  std::string calibration = readFile(dive.calibration);
  std::ofstream(dive.calibration) << "{\"camera\": \"long.yml\", " << calibration.substr(1);
  EXPECT_EQ(std::get<2>(dive.run({})), longPoses);
}

TEST(SetupFiles, AFileThatCannotServeStopsTheRunBeforeAnyOutput) {
  const Dive dive;
  writeCameraFile(dive.dir / "wide.yml", {640, 360});
  std::ofstream(dive.dir / "broken.yml") << "camera_matrix: [1, 2";
  std::ofstream(dive.dir / "line.json")
      << R"({"balls": {"green": [0, 0, 0], "red": [0.5, 0, 0], "blue": [1, 0, 0],
                       "yellow": [0, -0.5, 0]}})";
  const std::string other = (dive.dir / "other.json").string();
  std::ofstream(other) << "{\"camera\": \"none.yml\", " << readFile(dive.calibration).substr(1);
  const std::string& calibration = dive.calibration;
  const struct {
    std::vector<std::string> options;
    std::string says;
  } cases[] = {
      {{"--calibration", calibration, "--camera-model", (dive.dir / "wide.yml").string()},
       "of another shape"},
      {{"--calibration", calibration, "--camera-model", (dive.dir / "broken.yml").string()},
       "broken.yml: not a camera file"},
      {{"--calibration", calibration, "--camera-model", (dive.dir / "none.yml").string()},
       "none.yml: no such file"},
      {{"--calibration", calibration, "--layout", (dive.dir / "line.json").string()},
       "lie in a line"},
      {{"--calibration", other}, "other.json: camera: "},
  };
  for (const auto& c : cases) {
    std::ofstream(dive.dir / "poses.csv") << "earlier poses\n";
    std::vector<std::string> args = {"--headless", "--camera", dive.video, "--poses",
                                     (dive.dir / "poses.csv").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Outcome run = runProgram(ORVANTA_PATH, dive.dir, args);
    EXPECT_EQ(run.exitCode, 2) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(readFile(dive.dir / "poses.csv"), "earlier poses\n");
  }
}
