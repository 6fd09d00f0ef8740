#include "bench_scene.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numbers>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>
#include <tuple>
#include <utility>

#include "calibration_file.hpp"
#include "colour.hpp"
#include "detection.hpp"
#include "scene.hpp"
#include "similarity_reference.hpp"
#include "state.hpp"

namespace OrvantaBench {

namespace {

namespace fs = std::filesystem;
using Orvanta::scene::Pose;
using Orvanta::scene::SceneOptions;

constexpr double noiseGrain = 40;  // grey levels: grain strong enough to speckle every mask

void require(bool ok, const std::string& what) {
  if (ok) return;
  std::fprintf(stderr, "vision_bench: %s\n", what.c_str());
  std::exit(1);
}

fs::path folderFor(const std::string& kind, cv::Size size, int count = 0) {
  return fs::temp_directory_path() / "orvanta-bench" /
         (kind + "-" + std::to_string(size.width) + "x" + std::to_string(size.height) + "-" +
          std::to_string(count));
}

// BMP: what the image-sequence reader decodes at little more than a copy.
Sequence writeFrames(const fs::path& dir, const std::vector<Pose>& poses,
                     const SceneOptions& options) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  Sequence sequence{(dir / "frame_%05d.bmp").string(), {}};
  for (int k = 1; k <= int(poses.size()); ++k) {
    sequence.frames.push_back(Orvanta::scene::render(poses[k - 1], options, k));
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.bmp", k);
    require(cv::imwrite((dir / name).string(), sequence.frames.back()), "cannot write frames");
  }
  return sequence;
}

SceneOptions noiseOptions(cv::Size size) {
  SceneOptions options{size};
  options.noise = noiseGrain;
  return options;
}

// The largest threshold that at least a third of the frame's pixels reach for this ball.
int thirdPassing(const cv::Mat& frame, const Orvanta::circles& ball) {
  const Orvanta::hsv_color reference{std::uint8_t(ball.h), std::uint8_t(ball.s),
                                     std::uint8_t(ball.v)};
  cv::Mat similarity = cv::Mat::zeros(frame.size(), CV_8UC1);
  Orvanta::computeSimilarity(frame, cv::Rect({0, 0}, frame.size()), reference, ball.hsvNorm,
                             similarity);
  const int wanted = int(frame.total()) / 3;
  int passing = 0;
  for (int threshold = 255; threshold > 0; --threshold) {
    passing += cv::countNonZero(similarity == threshold);
    if (passing >= wanted) return threshold;
  }
  return 0;
}

}  // namespace

const Sequence& diveSequence(cv::Size size, int count) {
  static std::map<std::pair<int, int>, Sequence> made;
  auto found = made.find({size.width, count});
  if (found == made.end())
    found = made.emplace(std::pair{size.width, count},
                         writeFrames(folderFor("dive", size, count), Orvanta::scene::dive(count),
                                     SceneOptions{size}))
                .first;
  return found->second;
}

void calibrateToDive(cv::Size size) {
  const SceneOptions options{size};
  const Pose pose = Orvanta::scene::dive(1).front();
  const fs::path file = folderFor("calibration", size).string() + ".json";
  fs::create_directories(file.parent_path());
  std::string error;
  require(Orvanta::scene::writeCalibration(file.string(), Orvanta::scene::render(pose, options, 1),
                                           pose, options, demoThreshold, &error),
          error);
  require(Orvanta::loadCalibration(file.string(), &error), error);
  require(Orvanta::parseTrackbarAssignments("IntMedian=2", &error), error);
}

const Sequence& noiseSequence(cv::Size size, int count) {
  static std::map<std::pair<int, int>, Sequence> made;
  auto found = made.find({size.width, count});
  if (found == made.end())
    found = made.emplace(std::pair{size.width, count},
                         writeFrames(folderFor("noise", size, count), Orvanta::scene::dive(count),
                                     noiseOptions(size)))
                .first;
  return found->second;
}

void calibrateToNoise(cv::Size size) {
  calibrateToDive(size);
  const cv::Mat& frame = noiseSequence(size, 1).frames.front();
  for (int ball = 1; ball <= 4; ++ball) {
    Orvanta::circles& record = Orvanta::ballRecord(ball);
    record.threshold = thirdPassing(frame, record);
  }
}

const Sequence& stressSequence(Orvanta::scene::Stress kind, cv::Size size, int count) {
  static std::map<std::tuple<int, int, int>, Sequence> made;
  const auto key = std::tuple{int(kind), size.width, count};
  auto found = made.find(key);
  if (found != made.end()) return found->second;
  const fs::path dir = folderFor("stress" + std::to_string(int(kind)), size, count);
  fs::remove_all(dir);
  fs::create_directories(dir);
  Sequence sequence{(dir / "frame_%05d.bmp").string(), {}};
  const cv::Mat picture = Orvanta::scene::stressPicture(kind, size);
  for (int k = 1; k <= count; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.bmp", k);
    require(cv::imwrite((dir / name).string(), picture), "cannot write frames");
    sequence.frames.push_back(picture);
  }
  return made.emplace(key, std::move(sequence)).first->second;
}

void calibrateToStress(cv::Size size) {
  calibrateToDive(size);
  for (int ball = 1; ball <= 4; ++ball) Orvanta::ballRecord(ball).threshold = 200;
}

namespace {

SceneOptions surveyOptions(cv::Size size) {
  return {.size = size, .shading = 0.5, .mjpgQuality = 90};
}

// How far the ball's centre lies inside the picture, as a share of its width (negative: outside).
double insideShare(const Pose& pose, int ball, const SceneOptions& options) {
  const cv::Point2d at = Orvanta::scene::projectBall(pose, ball, options);
  if (std::isnan(at.x)) return -1;
  const cv::Size size = options.size;
  const double inside = std::min({at.x, at.y, size.width - at.x, size.height - at.y});
  return inside / size.width;
}

// Looking down from 2.7 m to 2.25 m with the picture's x axis along the diagonal from green to
// blue (wandering a little), moved along it until green's centre lies a twelfth of the
// picture's width outside the picture; the other three balls stay inside.
std::vector<Pose> besideGreen(int count, const SceneOptions& options) {
  const cv::Vec3d green = Orvanta::scene::ballCentre(1), blue = Orvanta::scene::ballCentre(3);
  const cv::Vec3d diagonal = (blue - green) / cv::norm(blue - green);
  const double along = std::atan2(-diagonal[1], diagonal[0]) * 180 / std::numbers::pi;
  const cv::Vec3d centre = 0.5 * (green + blue);
  std::vector<Pose> poses;
  for (int i = 0; i < count; ++i) {
    const double s = count > 1 ? double(i) / (count - 1) : 0.0;
    const double angle = 2 * std::numbers::pi * s;
    const cv::Vec3d wander(0.05 * std::cos(angle), 0.05 * std::sin(angle), 0);
    Pose pose = Orvanta::scene::lookAt(centre + wander + cv::Vec3d(0, 0, 2.7 - 0.45 * s),
                                       centre + wander * 0.5, along + 5 * std::sin(angle));
    const cv::Vec3d start = pose.position;
    for (double moved = 0; insideShare(pose, 1, options) > -1.0 / 12; moved += 0.005)
      pose.position = start + moved * diagonal;
    for (int ball = 2; ball <= 4; ++ball)
      require(insideShare(pose, ball, options) > 0.04,
              "the path beside the rectangle loses a ball");
    poses.push_back(pose);
  }
  return poses;
}

std::vector<Pose> posesOf(Path path, int count, const SceneOptions& options) {
  return path == Path::survey ? Orvanta::scene::survey(count) : besideGreen(count, options);
}

std::string nameOf(Path path) {
  return path == Path::survey ? "survey" : "without-green";
}

}  // namespace

const SurveyFiles& surveyFiles(cv::Size size, int count, Path path) {
  static std::map<std::tuple<int, int, Path>, SurveyFiles> made;
  const auto key = std::tuple{size.width, count, path};
  auto found = made.find(key);
  if (found != made.end()) return found->second;
  const SceneOptions options = surveyOptions(size);
  const std::vector<Pose> poses = posesOf(path, count, options);
  const std::string base = folderFor(nameOf(path), size, count).string();
  const SurveyFiles files{base + ".avi", base + ".json"};
  fs::create_directories(fs::path(base).parent_path());
  std::string error;
  require(Orvanta::scene::writeVideo(files.video, poses, options, &error), error);
  // Calibrated where every ball is seen: the survey's first picture.
  const Pose first = Orvanta::scene::survey(count).front();
  require(
      Orvanta::scene::writeCalibration(files.calibration, Orvanta::scene::render(first, options, 1),
                                       first, options, demoThreshold, &error),
      error);
  return made.emplace(key, files).first->second;
}

const std::string& surveyH264(cv::Size size, int count, Path path) {
  static std::map<std::tuple<int, int, Path>, std::string> made;
  const auto key = std::tuple{size.width, count, path};
  auto found = made.find(key);
  if (found != made.end()) return found->second;
  const std::string file = folderFor(nameOf(path), size, count).string() + ".mp4";
  cv::VideoCapture mjpg(surveyFiles(size, count, path).video);
  cv::VideoWriter h264(file, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('a', 'v', 'c', '1'), 30.0,
                       size);
  require(h264.isOpened(), "cannot write H.264 video " + file);
  for (cv::Mat picture; mjpg.read(picture);) h264.write(picture);
  return made.emplace(key, file).first->second;
}

const Video& surveyVideo(cv::Size size, int count, Path path) {
  static std::map<std::tuple<int, int, Path>, Video> made;
  const auto key = std::tuple{size.width, count, path};
  auto found = made.find(key);
  if (found != made.end()) return found->second;
  Video video;
  const SceneOptions options = surveyOptions(size);
  video.poses = posesOf(path, count, options);
  cv::VideoCapture capture(surveyFiles(size, count, path).video);
  for (cv::Mat picture; capture.read(picture);) video.pictures.push_back(picture.clone());
  require(video.pictures.size() == video.poses.size(), "the survey video reads back short");
  const Pose above = Orvanta::scene::lookAt({0.35, -0.255, 1.8}, {0.35, -0.255, 0});
  const cv::Mat picture = Orvanta::scene::render(above, options, 1);
  for (int ball = 1; ball <= 4; ++ball) {
    const cv::Vec3b bgr = Orvanta::scene::sampleBall(picture, above, ball, options);
    video.ballRgb[ball - 1] = {bgr[2], bgr[1], bgr[0]};
  }
  return made.emplace(key, std::move(video)).first->second;
}

}  // namespace OrvantaBench
