// Rendered sequences on disk: numbered PNG frames with their ground truth, or a video.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

namespace {

bool fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

// Frame numbers start at 1; OpenCV's image-sequence capture finds the first file either way.
std::string framePath(const std::string& dir, int number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%05d.png", number);
  return (std::filesystem::path(dir) / name).string();
}

void writeTruthRow(std::ostream& out, int number, const Pose& pose,
                   const site::LandmarkLayout& layout) {
  const cv::Vec3d& p = pose.position;
  out << number << ',' << p[0] << ',' << p[1] << ',' << p[2];
  for (double distance : trueDistances(p, layout)) out << ',' << distance;
  const cv::Vec4d q = cameraQuaternion(pose);
  out << ',' << q[0] << ',' << q[1] << ',' << q[2] << ',' << q[3] << ','
      << cameraHeadingDegrees(pose) << '\n';
}

bool writeImage(const std::string& path, const cv::Mat& frame) {
  try {
    return cv::imwrite(path, frame);
  } catch (const cv::Exception&) {
    return false;
  }
}

// OpenCV's own MJPG encoder: it takes a quality (set after opening; it ignores one given to
// open), and halves the colour resolution as camera MJPG does.
bool openVideo(cv::VideoWriter& video, const std::string& path, const SceneOptions& options) {
  try {
    return video.open(path, cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 30.0,
                      options.size) &&
           video.set(cv::VIDEOWRITER_PROP_QUALITY, options.mjpgQuality);
  } catch (const cv::Exception&) {
    return false;
  }
}

}  // namespace

bool writeSequence(const std::string& dir, const std::vector<Pose>& poses,
                   const SceneOptions& options, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return fail(error, "cannot create folder " + dir + ": " + ec.message());
  const std::string truthPath = (std::filesystem::path(dir) / "truth.csv").string();
  std::ofstream truth(truthPath);
  if (!truth) return fail(error, "cannot write " + truthPath);
  truth.precision(9);
  truth << "frame,x,y,z,d_green,d_red,d_blue,d_yellow,qw,qx,qy,qz,yaw_deg\n";
  for (int number = 1; number <= int(poses.size()); ++number) {
    const Pose& pose = poses[number - 1];
    const std::string path = framePath(dir, number);
    if (!writeImage(path, render(pose, options, number)))
      return fail(error, "cannot write " + path);
    writeTruthRow(truth, number, pose, options.layout);
  }
  truth.flush();
  if (!truth) return fail(error, "cannot write " + truthPath);
  return true;
}

bool writeVideo(const std::string& path, const std::vector<Pose>& poses,
                const SceneOptions& options, std::string* error) {
  cv::VideoWriter video;
  if (!openVideo(video, path, options)) return fail(error, "cannot write video " + path);
  for (int number = 1; number <= int(poses.size()); ++number)
    video.write(render(poses[number - 1], options, number));
  return true;
}

}  // namespace Orvanta::scene
