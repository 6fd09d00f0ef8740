#include "pose_messages.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "messages.hpp"
#include "pose_quality.hpp"

namespace Orvanta::autopilot {

namespace {

std::array<float, 3> floats(const cv::Vec3d& v) {
  return {float(v[0]), float(v[1]), float(v[2])};
}

mavlink::Covariance upperTriangle(const cv::Matx<double, 6, 6>& c) {
  mavlink::Covariance out{};
  int k = 0;
  for (int r = 0; r < 6; ++r)
    for (int col = r; col < 6; ++col) out[k++] = float(c(r, col));
  return out;
}

// No pose: the position and attitude unknown, the estimate failed.
mavlink::Odometry failedOdometry(std::uint64_t timeUsec) {
  mavlink::Odometry m;
  m.timeUsec = timeUsec;
  m.position = {NAN, NAN, NAN};
  m.quaternion = {NAN, NAN, NAN, NAN};
  m.quality = -1;
  return m;
}

mavlink::Odometry odometry(const vehicle::VehiclePose& v, std::uint64_t timeUsec, int quality) {
  mavlink::Odometry m;
  m.timeUsec = timeUsec;
  m.position = floats(v.position);
  m.quaternion = {float(v.quaternion[0]), float(v.quaternion[1]), float(v.quaternion[2]),
                  float(v.quaternion[3])};
  m.poseCovariance = upperTriangle(v.covariance);
  m.quality = std::int8_t(quality);
  return m;
}

mavlink::VisionPositionEstimate estimate(const vehicle::VehiclePose& v, std::uint64_t timeUsec) {
  mavlink::VisionPositionEstimate m;
  m.usec = timeUsec;
  m.position = floats(v.position);
  m.roll = float(v.eulerRadians[0]);
  m.pitch = float(v.eulerRadians[1]);
  m.yaw = float(v.eulerRadians[2]);
  m.covariance = upperTriangle(v.covariance);
  return m;
}

}  // namespace

PoseMessages::PoseMessages(double headingDegrees, const vehicle::Mounting& mounting,
                           MessageChoice choice, const JumpLimits& jumps)
    : heading_(headingDegrees), mounting_(mounting), choice_(choice), jumps_(jumps) {}

bool PoseMessages::jumped(const vehicle::VehiclePose& now) const {
  if (!last_) return false;
  const double dot = std::abs(now.quaternion.dot(last_->quaternion));
  const double angleDeg = 2 * std::acos(std::min(1.0, dot)) * 180 / std::numbers::pi;
  return cv::norm(now.position - last_->position) > jumps_.positionM || angleDeg > jumps_.angleDeg;
}

std::optional<Message> PoseMessages::next(const pose::CameraPose& pose, std::uint64_t timeUsec) {
  const bool odometryChosen = choice_ == MessageChoice::odometry;
  if (!pose.valid) {
    if (!odometryChosen) return std::nullopt;
    mavlink::Odometry m = failedOdometry(timeUsec);
    m.resetCounter = resetCounter_;
    return Message{mavlink::kOdometry, mavlink::payloadOf(m)};
  }
  const vehicle::VehiclePose v = vehicle::vehiclePose(pose, heading_, mounting_);
  if (jumped(v)) ++resetCounter_;
  last_ = v;
  if (!odometryChosen) {
    mavlink::VisionPositionEstimate m = estimate(v, timeUsec);
    m.resetCounter = resetCounter_;
    return Message{mavlink::kVisionPositionEstimate, mavlink::payloadOf(m)};
  }
  mavlink::Odometry m = odometry(v, timeUsec, pose::poseQuality(pose));
  m.resetCounter = resetCounter_;
  return Message{mavlink::kOdometry, mavlink::payloadOf(m)};
}

}  // namespace Orvanta::autopilot
