#include "pose_csv.hpp"

#include <cstdio>

#include "pose_quality.hpp"

namespace Orvanta {

namespace {

// Position, then the small turns about the landmark axes.
constexpr const char* kCovarianceAxes[] = {"x", "y", "z", "rx", "ry", "rz"};

std::string covarianceHeader() {
  std::string names;
  for (int a = 0; a < 6; ++a)
    for (int b = a; b < 6; ++b)
      names += std::string(",cov_") + kCovarianceAxes[a] + '_' + kCovarianceAxes[b];
  return names;
}

// When and how well: the capture time, the latency, the quality, the covariance's upper
// triangle row by row (empty without a pose).
std::string timeAndCertainty(const PictureFix& fix) {
  const pose::CameraPose& p = fix.pose;
  char text[64];
  std::snprintf(text, sizeof text, ",%.6f,%.3f,%d", fix.seconds, fix.latencyMs,
                pose::poseQuality(p));
  std::string out = text;
  for (int a = 0; a < 6; ++a)
    for (int b = a; b < 6; ++b) {
      if (p.valid) std::snprintf(text, sizeof text, ",%.6g", p.covariance(a, b));
      out += p.valid ? text : ",";
    }
  return out;
}

}  // namespace

std::string poseHeader() {
  return "frame,balls,x,y,z,qw,qx,qy,qz,yaw_deg,rms_px,status,time_s,latency_ms,quality" +
         covarianceHeader() + '\n';
}

std::string poseRow(const PictureFix& fix) {
  const pose::CameraPose& p = fix.pose;
  std::string row = std::to_string(fix.picture) + ',';
  if (p.valid) {
    // Micrometres, nine digits of the quaternion: far below what the estimate resolves.
    char numbers[256];
    std::snprintf(numbers, sizeof numbers, "%d,%.6f,%.6f,%.6f,%.9f,%.9f,%.9f,%.9f,%.4f,%.4f,",
                  p.balls, p.position[0], p.position[1], p.position[2], p.quaternion[0],
                  p.quaternion[1], p.quaternion[2], p.quaternion[3], p.headingDegrees, p.rmsPx);
    row += numbers;
  } else {
    row += ",,,,,,,,,,";
  }
  return row + pose::describe(p.status) + timeAndCertainty(fix) + '\n';
}

void PoseRows::add(const PictureFix& fix) {
  if (file_.isOpen())
    file_.write(poseRow(fix));
  else
    waiting_.push_back(fix);
}

bool PoseRows::open(const std::string& path) {
  if (!file_.open(path)) return false;
  file_.write(poseHeader());
  for (const PictureFix& fix : waiting_) file_.write(poseRow(fix));
  waiting_.clear();
  return true;
}

}  // namespace Orvanta
