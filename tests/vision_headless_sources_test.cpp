// What the batch mode does with the pictures a source delivers and with outputs it cannot write:
// other picture formats read as the same pictures, pictures without colour refused, a change of
// size ending the run, and a full disk leaving whole rows.
#include <gtest/gtest.h>

#include <fstream>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "scene.hpp"
#include "support/run_program.hpp"
#include "support/vision_state.hpp"

using namespace OrvantaTest;
namespace scene = Orvanta::scene;

namespace {

// A dive written as PNG files in one of several formats, with its calibration.
struct Dive {
  std::filesystem::path dir;
  std::string calibration;
  std::vector<cv::Mat> pictures;

  explicit Dive(const std::filesystem::path& base, int frames = 22) : dir(base) {
    const scene::Pose above = scene::lookAt({0.35, -0.255, 1.5}, {0.35, -0.255, 0});
    calibration = (dir / "calibration.json").string();
    std::string error;
    EXPECT_TRUE(
        scene::writeCalibration(calibration, scene::render(above, {}, 1), above, {}, 210, &error))
        << error;
    for (const scene::Pose& pose : scene::dive(frames))
      pictures.push_back(scene::render(pose, {}, int(pictures.size()) + 1));
  }

  // Writes the pictures as `name`/frame_00001.png..., each converted; returns the pattern.
  std::string write(const std::string& name, const std::function<cv::Mat(const cv::Mat&)>& as) {
    std::filesystem::create_directories(dir / name);
    for (std::size_t k = 0; k < pictures.size(); ++k) {
      char file[32];
      std::snprintf(file, sizeof file, "frame_%05zu.png", k + 1);
      EXPECT_TRUE(cv::imwrite((dir / name / file).string(), as(pictures[k])));
    }
    return (dir / name / "frame_%05d.png").string();
  }

  Outcome track(const std::string& source, const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {"--headless", "--camera",    source,       "--calibration",
                                     calibration,  "--trackbars", "IntMedian=2"};
    args.insert(args.end(), more.begin(), more.end());
    return runProgram(ORVANTA_PATH, dir, args);
  }
};

// The CSV without its last column, the frame time.
std::string withoutTimes(const std::string& csv) {
  std::string out;
  for (const std::string& line : lines(csv)) out += line.substr(0, line.rfind(',')) + '\n';
  return out;
}

}  // namespace

TEST(HeadlessSources, RgbaAndSixteenBitPicturesTrackAsTheirEightBitOriginals) {
  Dive dive(scratchFolder());
  const auto as = [](int code, int depth) {
    return [=](const cv::Mat& bgr) {
      cv::Mat out;
      if (code >= 0)
        cv::cvtColor(bgr, out, code);
      else
        out = bgr.clone();
      if (depth == CV_16U) out.convertTo(out, CV_16U, 257);
      return out;
    };
  };
  std::string csv[3], poses[3];
  const std::string sources[3] = {dive.write("bgr", as(-1, CV_8U)),
                                  dive.write("rgba", as(cv::COLOR_BGR2BGRA, CV_8U)),
                                  dive.write("deep", as(cv::COLOR_BGR2BGRA, CV_16U))};
  for (int i = 0; i < 3; ++i) {
    const Outcome run = dive.track(sources[i], {"--poses", (dive.dir / "poses.csv").string(),
                                                "--csv", (dive.dir / "track.csv").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    csv[i] = withoutTimes(readFile(dive.dir / "track.csv"));
    poses[i] = posesWithoutLatency(dive.dir / "poses.csv");
  }
  ASSERT_EQ(lines(csv[0]).size(), 3u);  // header and two windows
  ASSERT_EQ(lines(poses[0]).size(), 23u);
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(csv[i], csv[0]) << sources[i];
    EXPECT_EQ(poses[i], poses[0]) << sources[i];
  }
}

TEST(HeadlessSources, GreyPicturesAreRefusedWithOneLine) {
  Dive dive(scratchFolder(), 4);
  const std::string grey = dive.write("grey", [](const cv::Mat& bgr) {
    cv::Mat out;
    cv::cvtColor(bgr, out, cv::COLOR_BGR2GRAY);
    return out;
  });
  const Outcome run = dive.track(grey);
  EXPECT_EQ(run.exitCode, 2);
  ASSERT_EQ(lines(run.err).size(), 1u) << run.err;
  EXPECT_NE(run.err.find("grey pictures (1 channel)"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
}

// In a sequence the grown picture is read at its own size; in a video the decoder cannot convert
// it and the reader would hand back the previous picture again.
TEST(HeadlessSources, APictureOfAnotherSizeEndsTheRunKeepingTheRows) {
  Dive dive(scratchFolder());
  for (std::size_t k = 13; k < dive.pictures.size(); ++k)  // pass 7 searches picture 14
    cv::resize(dive.pictures[k], dive.pictures[k], {640, 480});
  const std::string video = (dive.dir / "mixed.mjpeg").string();
  std::ofstream stream(video, std::ios::binary);
  for (const cv::Mat& picture : dive.pictures) {
    std::vector<uchar> jpeg;
    ASSERT_TRUE(cv::imencode(".jpg", picture, jpeg, {cv::IMWRITE_JPEG_QUALITY, 95}));
    stream.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
  }
  stream.close();
  const struct {
    std::string source, says;
  } cases[] = {{dive.write("mixed", [](const cv::Mat& bgr) { return bgr; }),
                "640x480 where the run's first was 320x240"},
               {video, "larger than the run's first (320x240)"}};
  for (const auto& one : cases) {
    const Outcome run = dive.track(one.source);
    EXPECT_EQ(run.exitCode, 1) << one.source;
    EXPECT_NE(run.err.find(one.says), std::string::npos) << run.err;
    EXPECT_EQ(lines(run.out).size(), 2u) << one.source;  // the header and the first window's row
  }
}

TEST(HeadlessSources, AFullDiskLeavesWholeRowsAndFails) {
  Dive dive(scratchFolder(), 40);
  const std::string source = dive.write("bgr", [](const cv::Mat& bgr) { return bgr; });
  const auto poses = dive.dir / "poses.csv";
  // A file size limit of 2 kB: the poses, 40 rows of about a hundred bytes, do not fit.
  const Outcome run = runProgram(ORVANTA_PATH, dive.dir,
                                 {"--headless", "--camera", source, "--calibration",
                                  dive.calibration, "--poses", poses.string()},
                                 "ulimit -f 4");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("ends at the last complete row"), std::string::npos) << run.err;
  const std::string written = readFile(poses);
  ASSERT_FALSE(written.empty());
  EXPECT_LE(written.size(), 2048u);
  EXPECT_EQ(written.back(), '\n');
  for (const std::string& row : lines(written))
    EXPECT_EQ(std::count(row.begin(), row.end(), ','), 35) << row;
  // Standard output on a full device: the first row fails.
  const Outcome full = runProgram(
      ORVANTA_PATH, dive.dir, {"--headless", "--camera", source, "--calibration", dive.calibration},
      "", "/dev/full");
  EXPECT_EQ(full.exitCode, 2);
  EXPECT_NE(full.err.find("failed"), std::string::npos) << full.err;
}
