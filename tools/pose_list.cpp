// Camera poses given frame by frame, as quellmar simulate --camera-poses writes them.
#include <cmath>
#include <fstream>
#include <sstream>

#include "scene.hpp"

namespace Orvanta::scene {

namespace {

// The rotation of a unit quaternion (w, x, y, z).
cv::Matx33d rotationOf(const cv::Vec4d& q) {
  const double w = q[0], x = q[1], y = q[2], z = q[3];
  return {1 - 2 * (y * y + z * z), 2 * (x * y - w * z),     2 * (x * z + w * y),
          2 * (x * y + w * z),     1 - 2 * (x * x + z * z), 2 * (y * z - w * x),
          2 * (x * z - w * y),     2 * (y * z + w * x),     1 - 2 * (x * x + y * y)};
}

bool fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

}  // namespace

bool readPoseList(const std::string& path, std::vector<Pose>& poses, std::string* error) {
  std::ifstream in(path);
  if (!in) return fail(error, "cannot read " + path);
  std::string line;
  std::getline(in, line);
  if (line != "frame,x,y,z,qw,qx,qy,qz")
    return fail(error, path + ": the first line must be frame,x,y,z,qw,qx,qy,qz");
  for (int number = 2; std::getline(in, line); ++number) {
    std::vector<double> v;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) {
      char* end = nullptr;
      v.push_back(std::strtod(field.c_str(), &end));
      if (end == field.c_str() || *end || !std::isfinite(v.back())) break;
    }
    const cv::Vec4d q = v.size() == 8 ? cv::Vec4d(v[4], v[5], v[6], v[7]) : cv::Vec4d();
    if (v.size() != 8 || std::abs(cv::norm(q) - 1) > 1e-6)
      return fail(error, path + ": line " + std::to_string(number) +
                             " is not frame,x,y,z,qw,qx,qy,qz with a unit quaternion");
    // The quaternion turns the camera frame into the landmark frame; a pose holds the reverse.
    poses.push_back({cv::Vec3d(v[1], v[2], v[3]), rotationOf(q * (1 / cv::norm(q))).t()});
  }
  if (poses.empty()) return fail(error, path + ": no poses");
  return true;
}

}  // namespace Orvanta::scene
