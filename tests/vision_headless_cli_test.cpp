// The orvanta program in batch mode, run as users run it: a generated dive to the end, and the
// inputs it must refuse with exit code 2.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scene.hpp"
#include "support/run_program.hpp"
#include "support/vision_state.hpp"

using namespace OrvantaTest;

namespace {

Outcome runOrvanta(const std::filesystem::path& dir, const std::vector<std::string>& args) {
  return runProgram(ORVANTA_PATH, dir, args);
}

// A calibration file for the scene's balls, seen from above the rectangle.
std::string writeSceneCalibration(const std::filesystem::path& dir) {
  const Orvanta::scene::Pose pose = Orvanta::scene::lookAt({0.35, -0.255, 1.5}, {0.35, -0.255, 0});
  const Orvanta::scene::SceneOptions options;
  const std::string path = (dir / "calibration.json").string();
  std::string error;
  EXPECT_TRUE(Orvanta::scene::writeCalibration(path, Orvanta::scene::render(pose, options, 1), pose,
                                               options, 210, &error))
      << error;
  return path;
}

}  // namespace

TEST(HeadlessRun, DiveRunsToTheEndWithOneRowPerWindow) {
  const auto dir = scratchFolder();
  std::string error;
  ASSERT_TRUE(
      Orvanta::scene::writeSequence((dir / "dive").string(), Orvanta::scene::dive(300), {}, &error))
      << error;
  const Outcome run =
      runOrvanta(dir, {"--headless", "--camera", (dir / "dive" / "frame_%05d.png").string(),
                       "--calibration", writeSceneCalibration(dir), "--trackbars", "IntMedian=2",
                       "--csv", (dir / "track.csv").string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  const std::vector<std::string> rows = lines(readFile(dir / "track.csv"));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front(), "frame,green,red,blue,yellow,solved,x,y,z,frame_ms");
  // Set-up takes picture 1; 149 passes take two each; every fifth pass closes a window.
  ASSERT_EQ(rows.size(), 1u + 29u);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    std::istringstream row(rows[k]);
    std::vector<std::string> fields;
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 10u) << rows[k];
    EXPECT_EQ(fields[0], std::to_string(5 * k));
    EXPECT_EQ(fields[5], "1") << "all four balls in view along the dive: " << rows[k];
    EXPECT_GT(std::stod(fields[8]), 1.0) << rows[k];  // 1.65 to 2.0 m above the balls
  }
  std::filesystem::remove_all(dir);  // 300 pictures
}

TEST(HeadlessRun, CsvGoesToStandardOutputByDefaultAndPosesAloneSkipTheRangeChain) {
  const auto dir = scratchFolder();
  std::string error;
  ASSERT_TRUE(
      Orvanta::scene::writeSequence((dir / "seq").string(), Orvanta::scene::dive(12), {}, &error))
      << error;
  const Outcome run =
      runOrvanta(dir, {"--headless", "--camera", (dir / "seq" / "frame_%05d.png").string(),
                       "--calibration", writeSceneCalibration(dir)});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(lines(run.out).size(), 2u);  // header and the one window of five passes
  // Poses alone: no range rows, and the same poses as beside them.
  std::string poses[2];
  for (const bool alone : {false, true}) {
    std::vector<std::string> args = {"--headless",
                                     "--camera",
                                     (dir / "seq" / "frame_%05d.png").string(),
                                     "--calibration",
                                     (dir / "calibration.json").string(),
                                     "--poses",
                                     (dir / "poses.csv").string()};
    if (!alone) args.insert(args.end(), {"--csv", (dir / "track.csv").string()});
    const Outcome posesRun = runOrvanta(dir, args);
    ASSERT_EQ(posesRun.exitCode, 0) << posesRun.err;
    EXPECT_TRUE(posesRun.out.empty()) << posesRun.out;
    poses[alone] = posesWithoutLatency(dir / "poses.csv");
  }
  EXPECT_EQ(lines(poses[1]).size(), 13u);  // header and twelve pictures
  EXPECT_EQ(poses[1], poses[0]);
}

TEST(HeadlessRun, PosesHaveOneRowPerPictureReadToTheMillimetre) {
  // A survey as MJPG video, then three pictures looking away from the balls.
  const auto dir = scratchFolder();
  std::vector<Orvanta::scene::Pose> poses = Orvanta::scene::survey(60);
  for (int i = 0; i < 3; ++i) poses.push_back(Orvanta::scene::lookAt({4, 4, 1}, {8, 9, 0.5}));
  std::string error;
  const std::string video = (dir / "survey.avi").string();
  ASSERT_TRUE(Orvanta::scene::writeVideo(video, poses, {.mjpgQuality = 90}, &error)) << error;
  const auto posesCsv = dir / "poses.csv";
  const Outcome run =
      runOrvanta(dir, {"--headless", "--camera", video, "--calibration", writeSceneCalibration(dir),
                       "--csv", (dir / "track.csv").string(), "--poses", posesCsv.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> rows = lines(readFile(posesCsv));
  ASSERT_EQ(rows.size(), 1 + poses.size());
  EXPECT_TRUE(rows.front().starts_with(
      "frame,balls,x,y,z,qw,qx,qy,qz,yaw_deg,rms_px,status,time_s,latency_ms,quality,"
      "cov_x_x,cov_x_y,"))
      << rows.front();
  EXPECT_TRUE(rows.front().ends_with(",cov_ry_rz,cov_rz_rz")) << rows.front();
  std::vector<double> errors;
  int fourBalls = 0;
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const std::vector<std::string> fields = fieldsOf(rows[k]);
    ASSERT_EQ(fields.size(), 36u) << rows[k];
    EXPECT_EQ(fields[0], std::to_string(k - 1));
    // The video's place at 30 pictures per second; the latency measured.
    EXPECT_NEAR(std::stod(fields[12]), (k - 1) / 30.0, 1e-6) << rows[k];
    EXPECT_GE(std::stod(fields[13]), 0) << rows[k];
    const Orvanta::scene::Pose& truth = poses[k - 1];
    if (k > 60) {  // looking away: a status and no numbers
      EXPECT_EQ(fields[11], "green and red and blue and yellow not found") << rows[k];
      for (int i = 1; i <= 10; ++i) EXPECT_EQ(fields[i], "") << rows[k];
      EXPECT_EQ(fields[14], "-1") << rows[k];
      for (int i = 15; i < 36; ++i) EXPECT_EQ(fields[i], "") << rows[k];
      continue;
    }
    const int quality = std::stoi(fields[14]);
    EXPECT_TRUE(quality >= 1 && quality <= 100) << rows[k];
    // Variances on the diagonal: x at 15, rz at 35.
    EXPECT_GT(std::stod(fields[15]), 0) << rows[k];
    EXPECT_GT(std::stod(fields[35]), 0) << rows[k];
    // A ball the survey takes partly out of the picture may be left out.
    ASSERT_EQ(fields[11].substr(0, 2), "ok") << rows[k];
    fourBalls += fields[1] == "4" ? 1 : 0;
    errors.push_back(
        cv::norm(cv::Vec3d(std::stod(fields[2]), std::stod(fields[3]), std::stod(fields[4])) -
                 truth.position));
    const cv::Vec4d q(std::stod(fields[5]), std::stod(fields[6]), std::stod(fields[7]),
                      std::stod(fields[8]));
    EXPECT_LT(std::min(cv::norm(q - Orvanta::scene::cameraQuaternion(truth)),
                       cv::norm(q + Orvanta::scene::cameraQuaternion(truth))),
              5e-3);  // within a third of a degree
    EXPECT_NEAR(std::stod(fields[9]), Orvanta::scene::cameraHeadingDegrees(truth), 0.1);
  }
  EXPECT_GE(fourBalls, 54);
  std::sort(errors.begin(), errors.end());
  EXPECT_LT(errors[errors.size() / 2], 0.005);
  EXPECT_LT(errors.back(), 0.02);
}

TEST(HeadlessRefusal, MissingSourceWritesNothing) {
  const auto dir = scratchFolder();
  const std::string source = (dir / "nothing_%05d.png").string();
  const auto poses = dir / "poses.csv";
  std::ofstream(poses) << "earlier poses\n";
  const Outcome run = runOrvanta(dir, {"--headless", "--camera", source, "--calibration",
                                       writeSceneCalibration(dir), "--poses", poses.string()});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(source), std::string::npos) << run.err;
  EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
  EXPECT_EQ(readFile(poses), "earlier poses\n");
}

TEST(HeadlessRefusal, CorruptCalibrationOverwritesNothing) {
  const auto dir = scratchFolder();
  const auto calibration = dir / "broken.json";
  std::ofstream(calibration) << R"({"green": {"rgb": [10, 200)";
  const auto csv = dir / "keep.csv";
  std::ofstream(csv) << "earlier results\n";
  const Outcome run = runOrvanta(dir, {"--headless", "--camera", "0", "--calibration",
                                       calibration.string(), "--csv", csv.string()});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("broken.json"), std::string::npos) << run.err;
  EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
  EXPECT_EQ(readFile(csv), "earlier results\n");
}

TEST(HeadlessRefusal, OutputsNeverWriteOverInputs) {
  const auto dir = scratchFolder();
  std::string error;
  ASSERT_TRUE(
      Orvanta::scene::writeSequence((dir / "seq").string(), Orvanta::scene::dive(4), {}, &error))
      << error;
  const std::string sequence = (dir / "seq" / "frame_%05d.png").string();
  const std::string calibration = writeSceneCalibration(dir);
  const auto video = dir / "dive.avi";
  std::ofstream(video) << "a recorded dive";
  const auto table = dir / "table.csv";
  std::ofstream(table) << "earlier results\n";
  struct Case {
    std::string camera, option, output;
    std::vector<std::string> more;
    std::filesystem::path kept;
  };
  const std::vector<Case> cases = {
      {sequence, "--csv", calibration, {}, calibration},
      {sequence,
       "--poses",
       (dir / "seq" / "frame_00003.png").string(),
       {},
       dir / "seq" / "frame_00003.png"},
      {video.string(), "--csv", (dir / "seq" / ".." / "dive.avi").string(), {}, video},
      {sequence,
       "--csv",
       table.string(),
       {"--poses", (dir / "seq" / ".." / "table.csv").string()},
       table},
  };
  for (const Case& c : cases) {
    const std::string before = readFile(c.kept);
    std::vector<std::string> args = {"--headless", "--camera", c.camera, "--calibration",
                                     calibration,  c.option,   c.output};
    args.insert(args.end(), c.more.begin(), c.more.end());
    const Outcome run = runOrvanta(dir, args);
    EXPECT_EQ(run.exitCode, 2) << c.output;
    EXPECT_NE(run.err.find(c.option), std::string::npos) << run.err;
    EXPECT_EQ(readFile(c.kept), before) << c.output;
  }
}

// From a file and through a pipe, which can be opened only once: a video that ends early keeps
// its rows and says where; one too short to start is refused, and nothing waits for a writer.
TEST(HeadlessRun, AVideoCutShortEndsWithItsRowsKeptAndSaysWhere) {
  const auto dir = scratchFolder();
  const auto whole = dir / "dive.avi", cut = dir / "cut.avi", stub = dir / "stub.avi";
  std::string error;
  ASSERT_TRUE(Orvanta::scene::writeVideo(whole.string(), Orvanta::scene::dive(40), {}, &error))
      << error;
  const std::string bytes = readFile(whole);
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 3);
  std::ofstream(stub, std::ios::binary) << bytes.substr(0, 100);
  const std::string calibration = writeSceneCalibration(dir);
  const auto pipe = dir / "pipe.avi";
  const struct {
    std::filesystem::path video;
    bool piped;
    int exitCode;
    std::size_t rows;
  } cases[] = {{whole, false, 0, 41}, {cut, false, 1, 6}, {cut, true, 1, 6}, {stub, true, 2, 0}};
  for (const auto& one : cases) {
    std::filesystem::remove(pipe);
    const std::string feed = "mkfifo '" + pipe.string() + "' && (cat '" + one.video.string() +
                             "' > '" + pipe.string() + "' &)";
    const Outcome run = runProgram(
        "timeout", dir,
        {"20", ORVANTA_PATH, "--headless", "--camera", (one.piped ? pipe : one.video).string(),
         "--calibration", calibration, "--poses", (dir / "poses.csv").string()},
        one.piped ? feed : "");
    EXPECT_EQ(run.exitCode, one.exitCode) << one.video << " " << run.err;
    EXPECT_EQ(run.err.find("of 40 pictures") != std::string::npos, one.exitCode == 1) << run.err;
    const std::size_t rows = lines(readFile(dir / "poses.csv")).size();
    EXPECT_GE(rows, one.rows) << one.video;
  }
}

TEST(HeadlessRefusal, NoCalibration) {
  const auto dir = scratchFolder();
  const Outcome run = runOrvanta(dir, {"--headless", "--camera", "missing_%05d.png"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("--calibration"), std::string::npos) << run.err;
}

TEST(CommandLine, BadOptionsAreUsageErrors) {
  const auto dir = scratchFolder();
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--frobnicate"},
                                             {"--camera"},
                                             {"--csv", "out.csv"},
                                             {"--poses", "poses.csv"},
                                             {"--headless", "--trackbars", "IntMedian=12"},
                                             {"--headless", "--trackbars", "Median=2"}}) {
    const Outcome run = runOrvanta(dir, args);
    EXPECT_EQ(run.exitCode, 2) << args.front();
    EXPECT_FALSE(run.err.empty()) << args.front();
  }
}

TEST(CommandLine, HelpListsEveryOption) {
  const auto dir = scratchFolder();
  const Outcome run = runOrvanta(dir, {"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* option :
       {"--camera", "--calibration", "--headless", "--csv", "--poses", "--trackbars",
        "--keep-video-file", "--camera-model", "--layout", "--help"})
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
}
