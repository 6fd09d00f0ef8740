#include "pose_csv.hpp"

#include <cstdio>

namespace Orvanta {

void writePoseHeader(std::ostream& out) {
  out << "frame,balls,x,y,z,qw,qx,qy,qz,yaw_deg,rms_px,status\n";
}

void writePoseRow(std::ostream& out, const PictureFix& fix) {
  const pose::CameraPose& p = fix.pose;
  out << fix.picture << ',';
  if (p.valid) {
    // Micrometres, nine digits of the quaternion: far below what the estimate resolves.
    char numbers[256];
    std::snprintf(numbers, sizeof numbers, "%d,%.6f,%.6f,%.6f,%.9f,%.9f,%.9f,%.9f,%.4f,%.4f,",
                  p.balls, p.position[0], p.position[1], p.position[2], p.quaternion[0],
                  p.quaternion[1], p.quaternion[2], p.quaternion[3], p.headingDegrees, p.rmsPx);
    out << numbers;
  } else {
    out << ",,,,,,,,,,";
  }
  out << pose::describe(p.status) << '\n';
}

void PoseRows::add(const PictureFix& fix) {
  if (file_.is_open())
    writePoseRow(file_, fix);
  else
    waiting_.push_back(fix);
}

bool PoseRows::open(const std::string& path) {
  file_.open(path);
  if (!file_) return false;
  writePoseHeader(file_);
  for (const PictureFix& fix : waiting_) writePoseRow(file_, fix);
  waiting_.clear();
  return bool(file_);
}

bool PoseRows::finish() {
  file_.flush();
  return bool(file_);
}

}  // namespace Orvanta
