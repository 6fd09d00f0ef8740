// What the autopilot is told of each picture's pose: the vehicle's pose in north-east-down as
// ODOMETRY (with the quality, and quality -1 when there is no pose) or as
// VISION_POSITION_ESTIMATE (nothing when there is no pose: it has no way to say so). A jump of
// the pose counts up the reset counter, so the autopilot takes the new pose as a new start
// rather than as a sudden movement.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "camera_pose.hpp"
#include "framer.hpp"
#include "vehicle_pose.hpp"

namespace Orvanta::autopilot {

enum class MessageChoice { odometry, visionPositionEstimate };

struct Message {
  mavlink::MessageKind kind;
  std::vector<std::uint8_t> payload;
};

// Between two poses that follow each other, more than this is no movement but a jump.
struct JumpLimits {
  double positionM = 0.2;
  double angleDeg = 15;
};

class PoseMessages {
 public:
  PoseMessages(double headingDegrees, const vehicle::Mounting& mounting, MessageChoice choice,
               const JumpLimits& jumps = {});

  // The message for one picture's pose taken at timeUsec; nothing when none goes out.
  std::optional<Message> next(const pose::CameraPose& pose, std::uint64_t timeUsec);

 private:
  double heading_;
  vehicle::Mounting mounting_;
  MessageChoice choice_;
  JumpLimits jumps_;
  std::optional<vehicle::VehiclePose> last_;  // the last pose sent
  std::uint8_t resetCounter_ = 0;

  bool jumped(const vehicle::VehiclePose& now) const;
};

}  // namespace Orvanta::autopilot
