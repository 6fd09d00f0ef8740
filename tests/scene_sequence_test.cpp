#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <opencv2/core/persistence.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>
#include <sstream>

#include "scene.hpp"

using namespace Orvanta::scene;
namespace site = Orvanta::site;
namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
class SceneFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("orvanta_scene_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name = "") const { return (dir_ / name).string(); }

  fs::path dir_;
};

int countFrames(cv::VideoCapture& capture) {
  int frames = 0;
  cv::Mat frame;
  while (capture.read(frame)) ++frames;
  return frames;
}

std::vector<std::vector<double>> readCsv(const std::string& file, std::string* header) {
  std::ifstream in(file);
  std::getline(in, *header);
  std::vector<std::vector<double>> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<double> row;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stod(field));
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TEST_F(SceneFiles, SequenceOpensAsAnImageSequenceCapture) {
  const std::vector<Pose> poses = dive(6);
  const SceneOptions options{.seed = 3};
  std::string error;
  ASSERT_TRUE(writeSequence(path(), poses, options, &error)) << error;

  cv::VideoCapture capture(path("frame_%05d.png"));
  ASSERT_TRUE(capture.isOpened());
  cv::Mat first;
  ASSERT_TRUE(capture.read(first));
  // PNG is lossless: the first file is exactly frame 1 of the dive.
  EXPECT_EQ(cv::norm(first, render(poses[0], options, 1), cv::NORM_INF), 0);
  EXPECT_EQ(1 + countFrames(capture), 6);
  EXPECT_TRUE(fs::exists(path("frame_00001.png")));
  EXPECT_TRUE(fs::exists(path("frame_00006.png")));
}

TEST_F(SceneFiles, TruthHasOneRowPerFrameWithDistancesAndAttitude) {
  const std::vector<Pose> poses = survey(4);
  ASSERT_TRUE(writeSequence(path(), poses, SceneOptions{}, nullptr));
  std::string header;
  const auto rows = readCsv(path("truth.csv"), &header);
  EXPECT_EQ(header, "frame,x,y,z,d_green,d_red,d_blue,d_yellow,qw,qx,qy,qz,yaw_deg");
  ASSERT_EQ(rows.size(), 4u);
  const double balls[4][2] = {{0, 0}, {0.7, 0}, {0.7, -0.51}, {0, -0.51}};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(rows[i].size(), 13u);
    EXPECT_EQ(rows[i][0], i + 1);
    EXPECT_NEAR(rows[i][3], poses[i].position[2], 1e-6);
    for (int b = 0; b < 4; ++b) {
      const double dx = rows[i][1] - balls[b][0], dy = rows[i][2] - balls[b][1];
      EXPECT_NEAR(rows[i][4 + b], std::sqrt(dx * dx + dy * dy + rows[i][3] * rows[i][3]), 1e-6);
    }
    // The quaternion turns the camera's axes (x right, z forward) into the landmark frame.
    const double w = rows[i][8], x = rows[i][9], y = rows[i][10], z = rows[i][11];
    const cv::Vec3d forward(2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y));
    const cv::Vec3d right(1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y));
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(forward[k], poses[i].rotation(2, k), 1e-6);
      EXPECT_NEAR(right[k], poses[i].rotation(0, k), 1e-6);
    }
    EXPECT_NEAR(rows[i][12], std::atan2(right[1], right[0]) * 180 / CV_PI, 1e-5);
  }
}

TEST_F(SceneFiles, VideoQualityIsApplied) {
  fs::create_directories(dir_);
  std::uintmax_t sizes[2];
  double differences[2];
  const Pose pose = dive(1).front();
  for (int q : {0, 1}) {
    const SceneOptions options{.mjpgQuality = q ? 95 : 30};
    ASSERT_TRUE(writeVideo(path("q.avi"), {pose, pose}, options, nullptr));
    sizes[q] = fs::file_size(path("q.avi"));
    cv::VideoCapture capture(path("q.avi"));
    cv::Mat picture;
    ASSERT_TRUE(capture.read(picture));
    differences[q] = cv::norm(picture, render(pose, options, 1), cv::NORM_L1);
  }
  EXPECT_LT(sizes[0], sizes[1]);
  EXPECT_GT(differences[0], differences[1]);
}

TEST_F(SceneFiles, VideoHoldsEveryFrame) {
  fs::create_directories(dir_);
  std::string error;
  ASSERT_TRUE(writeVideo(path("dive.avi"), dive(5), SceneOptions{}, &error)) << error;
  cv::VideoCapture capture(path("dive.avi"));
  ASSERT_TRUE(capture.isOpened());
  EXPECT_EQ(countFrames(capture), 5);
}

TEST_F(SceneFiles, CalibrationFileHoldsEachBallsColourAndThreshold) {
  fs::create_directories(dir_);
  const Pose pose = dive(1)[0];
  const SceneOptions options;
  const cv::Mat frame = render(pose, options, 1);
  ASSERT_TRUE(writeCalibration(path("calibration.json"), frame, pose, options, 180, nullptr));

  cv::FileStorage file(path("calibration.json"),
                       cv::FileStorage::READ | cv::FileStorage::FORMAT_JSON);
  ASSERT_TRUE(file.isOpened());
  const char* names[] = {"green", "red", "blue", "yellow"};
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const cv::FileNode node = file[names[ball - 1]];
    ASSERT_FALSE(node.empty()) << names[ball - 1];
    EXPECT_EQ(int(node["threshold"]), 180);
    const cv::Vec3b bgr = sampleBall(frame, pose, ball, options);
    const cv::FileNode rgb = node["rgb"];
    ASSERT_EQ(rgb.size(), 3u);
    EXPECT_EQ(int(rgb[0]), bgr[2]);
    EXPECT_EQ(int(rgb[1]), bgr[1]);
    EXPECT_EQ(int(rgb[2]), bgr[0]);
  }
  EXPECT_GT(int(file["green"]["rgb"][1]), int(file["green"]["rgb"][0]) + 80);
  // Close over green, the others out of the picture: no colour invented for them.
  const Pose close = lookAt({0, 0, 0.4}, {0, 0, 0});
  ASSERT_TRUE(writeCalibration(path("close.json"), render(close, options, 1), close, options, 180,
                               nullptr));
  cv::FileStorage closeFile(path("close.json"),
                            cv::FileStorage::READ | cv::FileStorage::FORMAT_JSON);
  EXPECT_FALSE(closeFile["green"].empty());
  for (const char* name : {"red", "blue", "yellow"}) EXPECT_TRUE(closeFile[name].empty()) << name;
  const Pose away = lookAt({0, 0, 1}, {0, 0, 2});
  EXPECT_FALSE(
      writeCalibration(path("away.json"), render(away, options, 1), away, options, 180, nullptr));
}

TEST_F(SceneFiles, UnwritablePlacesAreReportedNotThrown) {
  fs::create_directories(dir_);
  std::ofstream(path("plain")) << "a file, not a folder";
  std::string error;
  EXPECT_FALSE(writeSequence(path("plain/frames"), dive(2), SceneOptions{}, &error));
  EXPECT_NE(error.find("plain"), std::string::npos) << error;
}
